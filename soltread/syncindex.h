// Synchronisation index readers: the text-keyed wsync/ssync/dsync.idx and the
// verse-keyed vsync.idx. See syncindex.cpp for the formats.
#pragma once

#include "soltread.h"

class cTextSyncIndex : public cFileBase {
 public:
 protected:
  int LoadHeader() override { return 0; }
};

class cVerseSyncIndex : public cFileBase {
 public:
 protected:
  int LoadHeader() override { return 0; }
};
