// concord.idx made of arbitrary bytes, opened on its own and used the way the
// word search uses it: languages selected, the list walked both ways, words
// searched for, their records, keys and positions read.
//
// Input: the whole of concord.idx. The registration takes its publisher and
// book IDs from input bytes 2-5 (the file's own version record), so most
// inputs get past the identity check. The last two bytes also name a language
// to select, and slices of the input serve as search targets.
//
// Corrupt files may be refused or raise platform::FileException; what must
// not happen is a crash, a read out of bounds, a huge allocation, an endless
// search, an answer that contradicts itself, or a file set left behind.
#include <algorithm>
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
#include "soltread/util.h"

namespace {

using fuzz::Check;
using fuzz::Le16;
using fuzz::Try;
using fuzz::WriteFile;

constexpr int kMaxWords = 48;
constexpr size_t kMaxKeysTried = 6;

void CheckSearch(cSOLTBook& book, std::string target) {
  // The searches take C strings: the target ends at its first NUL.
  target.resize(std::string(target.c_str()).size());
  Try([&] {
    std::string found = "stale";
    int index = book.FindNearestMatchingWord(target.c_str(), found);
    Check(book.GetWordCursor() == index, "the cursor is not where the search ended");
    if (index < 0) {
      Check(found.empty(), "no word found, yet a text");
    } else {
      Check(index < book.WordCount(), "a search found a word past the list");
      Check(solt::CompareNoCase(found, target) >= 0, "the nearest word is less than the target");
    }
    // Both searches probe the same words, so they must agree.
    int exact = book.FindExactMatchingWord(target.c_str());
    if (exact >= 0)
      Check(exact == index && solt::CompareNoCase(found, target) == 0, "an exact match the nearest search missed");
    else if (index >= 0)
      Check(solt::CompareNoCase(found, target) != 0, "the nearest word is equal, yet no exact match");
  });
}

void CheckWord(cSOLTBook& book, int index) {
  Try([&] {
    sWordListRec record;
    if (book.GetWordListRecord(index, record) < 0) return;
    std::vector<unsigned> keys;
    Check(book.GetKeysForWord(index, keys) == index, "a word with a record has no keys");
    Check(keys.size() == static_cast<size_t>(record.keyCount16) + static_cast<size_t>(record.keyCount32),
          "the keys do not match the record's counts");
    const bool ascending = std::is_sorted(keys.begin(), keys.end());
    for (size_t k = 0; k < keys.size() && k < kMaxKeysTried; ++k) {
      Try([&] {
        std::vector<uint16_t> positions;
        int got = book.GetWordPositionList(index, static_cast<int>(keys[k]), positions);
        // Only an ascending list promises the binary search finds every key.
        if (ascending) Check(got == index, "a key of the word has no positions");
        Check(book.GetWordCursor() == got, "the cursor is not where the position lookup ended");
      });
    }
    std::vector<uint16_t> positions = {1};
    if (keys.empty())
      Check(book.GetWordPositionList(index, 0, positions) == -1 && positions.empty(),
            "positions for a word without keys");
  });
}

void Exercise(cSOLTBook& book, const uint8_t* data, size_t size) {
  int count = -1;
  Try([&] { count = book.WordCount(); });
  if (count < 0) {
    // A corrupt language record: using it must fail cleanly.
    std::string w;
    Try([&] { book.GetFirstWord(w); });
    CheckSearch(book, "a");
    return;
  }

  std::vector<std::string> words;
  Try([&] {
    std::string w;
    for (int i = book.GetFirstWord(w); i >= 0 && words.size() < static_cast<size_t>(kMaxWords);
         i = book.GetNextWord(w)) {
      Check(i == static_cast<int>(words.size()), "walking forwards skipped a word");
      Check(book.GetWordCursor() == i, "the cursor is not on the word returned");
      words.push_back(w);
    }
    Check(words.size() <= static_cast<size_t>(count), "walking forwards found more words than the count");
  });
  Try([&] {
    std::string w;
    int steps = 0;
    int expected = count - 1;
    for (int i = book.GetLastWord(w); i >= 0 && steps < kMaxWords; i = book.GetPrevWord(w), ++steps) {
      Check(i == expected--, "walking backwards skipped a word");
      if (static_cast<size_t>(i) < words.size()) Check(words[static_cast<size_t>(i)] == w, "a word read twice differs");
    }
    if (count > 0 && count <= kMaxWords) {
      Check(book.GetWordCursor() == -1 && book.GetPrevWord(w) == -1 && book.GetNextWord(w) == -1,
            "the cursor came back from before the first word");
    }
  });

  for (int i = 0; i < static_cast<int>(words.size()); ++i) {
    CheckWord(book, i);
    CheckSearch(book, words[static_cast<size_t>(i)]);
    CheckSearch(book, words[static_cast<size_t>(i)] + "\x01");
  }
  // Targets the file does not hold: the ends of the order and input slices.
  CheckSearch(book, "");
  CheckSearch(book, "\xFF\xFF\xFF");
  for (size_t at = 0; at + 1 < size && at < 4096; at += 1 + size / 7) {
    size_t length = data[at] % 9;
    CheckSearch(book, std::string(reinterpret_cast<const char*>(data + at + 1), std::min(length, size - at - 1)));
  }
  for (int index : {-1, count, count + 1}) {
    Try([&] {
      std::vector<unsigned> keys = {1};
      sWordListRec record;
      Check(book.GetKeysForWord(index, keys) == -1 && keys.empty(), "keys for a word outside the list");
      Check(book.GetWordListRecord(index, record) == -1, "a record for a word outside the list");
      Check(book.GetWordCursor() == -1, "the cursor stayed on a word outside the list");
    });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietMessages();

  const std::string& dir = fuzz::ScratchDir();
  WriteFile(dir + "concord.idx", data, size);
  const unsigned publisher = size >= 4 ? Le16(data + 2) : 0;
  const unsigned bookID = size >= 6 ? Le16(data + 4) : 0;

  Check(GetLiveFileSetCount() == 0, "a file set outlived its books");
  {
    cSOLTBook book;
    fuzz::Register(book, dir, publisher, bookID);

    // Selecting a language on a closed book borrows the file for the call.
    const int language = size >= 2 ? static_cast<int>(Le16(data + size - 2)) : 1033;
    book.SetLanguage(language);
    Check(book.GetOpenFlags() == 0 && GetLiveFileSetCount() == 0, "SetLanguage left the file open");

    if (book.Open(SOLT_CONCORD_IDX) == SOLT_OK) {
      Exercise(book, data, size);
      const int first = book.GetLanguageRec().language;
      for (int other : {1033, language, first}) {
        int result = book.SetLanguage(other);
        Check(book.GetWordCursor() == -1, "selecting a language kept the cursor");
        if (result == 0) Check(book.GetLanguageRec().language == other, "selected another language");
        Exercise(book, data, size);
      }
      book.Close(SOLT_ALL_OPEN);
    }
    Check(book.GetOpenFlags() == 0, "the book still has files open after Close");
  }
  Check(GetLiveFileSetCount() == 0, "a file set outlived its books");
  return 0;
}
