// sections.idx reader (table of contents). See sectionsindex.cpp for the format.
#pragma once

#include "soltread.h"

class cSectionsIndex : public cFileBase {
 public:
 protected:
  int LoadHeader() override { return 0; }
};
