// verses.idx reader (Scripture index). See versesindex.cpp for the format.
#pragma once

#include "soltread.h"

class cVersesIndex : public cFileBase {
 public:
 protected:
  int LoadHeader() override { return 0; }
};
