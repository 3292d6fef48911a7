// concord.idx reader (word lists). See concordindex.cpp for the format.
#pragma once

#include "soltread.h"

class cConcordIndex : public cFileBase {
 public:
 protected:
  int LoadHeader() override { return 0; }
};
