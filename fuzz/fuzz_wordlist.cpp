// A Bible's word list and verse lists made of arbitrary bytes, walked and
// looked up the way the search page and the word search do.
//
// Input: a 16-bit little-endian length L, then L bytes of word list (h0 to
// h1), then the verse list area (h1 to h2). A text file with that header is
// written so that verse sets are read from a real file.
//
// Every walk must end, every list found must lie inside the verse list area,
// and nothing may read out of bounds or allocate beyond the input's size.
#include <cstdint>
#include <string>

#include "biblefile/biblewordlist.h"
#include "biblefile/wordmatch.h"
#include "fuzz/fuzzsupport.h"
#include "platform/coding.h"
#include "platform/file.h"

namespace {

using fuzz::Check;

constexpr int kWordsLookedUp = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t length = std::min<size_t>(fuzz::Le16(data), size - 2);
  const std::string words(reinterpret_cast<const char*>(data + 2), length);
  const std::string lists(reinterpret_cast<const char*>(data + 2 + length), size - 2 - length);
  const int64_t h1 = 32 + static_cast<int64_t>(words.size()), h2 = h1 + static_cast<int64_t>(lists.size());

  std::string file;
  for (int64_t h : {int64_t{32}, h1, h2, h2, int64_t{0}, int64_t{0}, int64_t{0}, int64_t{0}})
    platform::PutFixed32(file, static_cast<uint32_t>(h));
  file += words;
  file += lists;
  const std::string path = fuzz::ScratchDir() + "words.dat";
  fuzz::WriteFile(path, reinterpret_cast<const uint8_t*>(file.data()), file.size());
  platform::File text;
  Check(text.Open(path, platform::File::modeRead), "cannot open the file just written");

  klmw::CBibleWordList list(words, h1, h2);
  const int entries = list.CountEntries();
  Check(entries >= 0 && static_cast<size_t>(entries) <= words.size(), "more entries than bytes");

  list.SetListPos(0);
  std::string word;
  std::vector<std::string> seen;
  int64_t last = -1;
  for (int i = 0; i < kWordsLookedUp && list.GetNextWord(word); ++i) {
    Check(list.GetListPos() == -1 || list.GetListPos() > last, "the list position went back");
    last = list.GetListPos();
    seen.push_back(word);
  }
  for (const std::string& w : seen) {
    klmw::CBibleWordList lookup(words, h1, h2);
    int64_t offset = 0, bytes = 0;
    if (lookup.FindExact(w, offset, bytes))
      Check(offset >= h1 && bytes >= 0 && offset + bytes <= h2, "a verse list outside the verse list area");
    Check(lookup.GetListPos() >= -1 && lookup.GetListPos() <= static_cast<int64_t>(words.size()),
          "list position outside the word list");
    klmw::CHitSet hits;
    lookup.ReadVerseSet(text, w, hits);
    lookup.FindNearest(w + "\x7F");
    std::string next;
    lookup.GetNextWord(next);
    for (const klmw::WordMatch& m : klmw::FindWordMatches(words, {w}))
      Check(m.position + m.length <= words.size(), "a match past the text");
  }
  for (const std::string& q : klmw::SplitQuery(words)) Check(!q.empty(), "an empty query word");
  return 0;
}
