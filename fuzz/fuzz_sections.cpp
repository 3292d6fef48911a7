// A table of contents made of arbitrary bytes: the input is sections.idx
// itself, opened alone and walked with every operation on every key.
//
// The registration takes its publisher and book IDs from the input's own
// version record (bytes 2-5), so most inputs get past the identity check.
//
// Damaged files may be refused or raise platform::FileException; what must
// not happen is a crash, a read out of bounds, a loop that never ends, or
// answers that contradict each other (an entry read under a key that is not
// valid, a key from a path that does not name a section).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/file.h"
#include "platform/messages.h"
#include "fuzz/fuzzsupport.h"
#include "soltread.h"

namespace {

using fuzz::Check;
using fuzz::Le16;
using fuzz::Try;
using fuzz::WriteFile;

// Keys walked per input; each key's sibling runs and paths may themselves
// touch every entry.
constexpr int kMaxKeys = 24;

struct EnumState {
  int calls = 0;
  int stopAt = 0;
};

int CountCalls(cSectionsData&, void* user) {
  auto* state = static_cast<EnumState*>(user);
  return ++state->calls < state->stopAt ? 1 : 0;
}

void WalkKey(cSOLTBook& book, int key, int lastKey) {
  const bool section = book.IsValidSectionKey(key) == 1;
  const bool valid = book.IsValidKey(key) == 1;
  Check(!section || valid, "a section key that is not a key");

  cSectionsData entry;
  bool read = false;
  Try([&] {
    read = book.GetEntry(key, entry) == 0;
    Check(read == valid || key == -2, "GetEntry disagrees with IsValidKey");
  });
  if (read) {
    Check(entry.GetSectionKey() == key || key == -2, "an entry read under another key");
    for (int link : {entry.GetParentKey(), entry.GetChildKey(), entry.GetNextKey(), entry.GetPrevKey()})
      Check(link == -1 || (link >= 0 && link <= lastKey), "a link outside the keys");
    Check(entry.GetLevel() >= 0 && entry.GetLevel() <= 255, "a level that does not fit its byte");
  }

  Try([&] {
    int count = book.GetSiblingSectionCount(key);
    Check(section, "a sibling count for a key that is not a section");
    Check(count >= 1 && count <= lastKey + 1, "a sibling count beyond the entries");
  });
  Try([&] {
    std::vector<cSectionsData> entries;
    int n = book.GetSectionsArray(key, entries);
    Check(n == static_cast<int>(entries.size()), "GetSectionsArray miscounts");
    Check(section ? n >= 1 : n == 0, "GetSectionsArray on a key that is not a section");
  });
  Try([&] {
    EnumState state;
    state.stopAt = 3;
    int n = book.EnumSections(key, CountCalls, &state);
    Check(section ? n == state.calls + (state.calls < state.stopAt ? 1 : 0) : n == 0 && state.calls == 0,
          "EnumSections miscounts");
  });

  std::string path;
  bool havePath = false;
  Try([&] {
    path = book.GetPathFromKey(key);
    havePath = true;
    Check(valid, "a path for a key that is not valid");
  });
  Try([&] {
    std::string formatted = book.GetFormattedPathFromKey(key, "\\");
    Check(valid, "a formatted path for a key that is not valid");
    if (havePath) Check("\\" + formatted == path, "formatted and plain paths differ");
  });
  if (havePath) {
    Try([&] {
      int found = book.GetSectionKey(path.c_str());
      Check(found == -1 || book.IsValidSectionKey(found), "a path found something that is not a section");
    });
  }
  if (read) {
    Try([&] {
      int first = 0, last = 0;
      book.GetKeyRange(entry, &first, &last);
      Check(last >= entry.GetSectionKey() && last <= lastKey, "a key range past the entries");
    });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietMessages();

  const std::string& dir = fuzz::ScratchDir();
  WriteFile(dir + "sections.idx", data, size);
  const unsigned publisher = size >= 4 ? Le16(data + 2) : 0;
  const unsigned bookID = size >= 6 ? Le16(data + 4) : 0;

  Check(GetLiveFileSetCount() == 0, "a file set outlived its books");
  {
    cSOLTBook book;
    fuzz::Register(book, dir, publisher, bookID);

    if (book.Open(SOLT_SECTIONS_IDX) == SOLT_OK) {
      const int lastSection = book.GetLastSectionKey();
      const int lastKey = book.GetLastKey();
      Check(lastSection >= -1 && lastKey >= lastSection, "key counts out of order");
      // The keys at both ends are where the boundaries are.
      std::vector<int> keys = {-2, -1, lastSection, lastSection + 1, lastKey, lastKey + 1};
      for (int key = 0; key <= lastKey && key < kMaxKeys; ++key) keys.push_back(key);
      for (int key : keys) WalkKey(book, key, lastKey);
      for (const char* path : {"", "\\", "a", "\\A\\B", "a\\b\\"}) {
        Try([&] {
          int found = book.GetSectionKey(path);
          Check(found == -1 || book.IsValidSectionKey(found), "a path found something that is not a section");
        });
      }
      book.Close(SOLT_ALL_OPEN);
    }
    Check(book.GetOpenFlags() == 0, "the book still has files open after Close");
  }
  Check(GetLiveFileSetCount() == 0, "a file set outlived its books");
  return 0;
}
