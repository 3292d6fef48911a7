// A Bible module made of arbitrary bytes: the definition and the verse text
// file it names, loaded and read verse by verse.
//
// Input: a 16-bit little-endian length L, then L bytes of definition (BIB.ixb),
// then the text file (BIB.dat). A definition naming any other text file is
// only parsed, so the fuzzer never reads files outside its scratch folder.
//
// Damaged files may be refused or give fewer verses; what must not happen is
// a crash, a read out of bounds, a huge allocation, an endless loop, a place
// that does not turn back into its verse index, or more verses appended than
// asked for.
#include <cstdint>
#include <string>

#include "biblefile/biblemodule.h"
#include "fuzz/fuzzsupport.h"
#include "platform/file.h"
#include "platform/volumes.h"

namespace {

using fuzz::Check;

using fuzz::FixedVolumes;

constexpr int kVersesAtEachEnd = 200;

void CheckVerse(const klmw::CBibleModule& module, platform::File& file, int verse) {
  int book = 0, chapter = 0, inChapter = 0;
  Check(module.IndexToPlace(verse - 1, book, chapter, inChapter), "a verse inside the Bible has no place");
  Check(module.PlaceToIndex(book, chapter, inChapter) == verse - 1, "a place does not turn back into its index");
  std::string text;
  module.GetVerseText(file, verse, text);
  std::string copied;
  const int appended = module.GetVerses(file, verse, 3, copied);
  Check(appended >= 0 && appended <= 3, "more verses appended than asked for");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietMessages();
  static FixedVolumes volumes;
  static platform::ScopedVolumes scopedVolumes(&volumes);
  if (size < 2) return 0;
  const size_t length = std::min<size_t>(fuzz::Le16(data), size - 2);
  const std::string definition(reinterpret_cast<const char*>(data + 2), length);
  const std::string& dir = fuzz::ScratchDir();
  fuzz::WriteFile(dir + "BIB.ixb", data + 2, length);
  fuzz::WriteFile(dir + "BIB.dat", data + 2 + length, size - 2 - length);

  klmw::CBibleModule module;
  if (!module.ParseDefinition(definition, dir)) return 0;
  Check(module.GetBookCount() >= 1 && module.GetBookCount() <= klmw::kMaxBibleBooks, "book count out of range");
  if (module.GetTextPath() != dir + "BIB.dat" || !module.Load(dir + "BIB.ixb")) return 0;

  const int verses = module.GetVerseCount();
  int book, chapter, inChapter;
  Check(!module.VerseToPlace(verses + 1, book, chapter, inChapter), "a place past the last book");
  Check(!module.VerseToPlace(0, book, chapter, inChapter), "a place for verse 0");
  platform::File file;
  for (int v = 1; v <= verses && v <= kVersesAtEachEnd; ++v) CheckVerse(module, file, v);
  for (int v = std::max(kVersesAtEachEnd + 1, verses - kVersesAtEachEnd + 1); v <= verses; ++v)
    CheckVerse(module, file, v);
  std::string all;
  Check(module.GetVerses(file, 1, 1 << 30, all) <= verses, "more verses than the Bible has");

  klmw::CBibleWordList list = module.MakeWordList();
  Check(list.CountEntries() >= 0, "negative word count");
  list.FindNearest("A");
  std::string word;
  for (int i = 0; i < 20 && list.GetNextWord(word); ++i) {
    klmw::CHitSet hits;
    klmw::CBibleWordList lookup = module.MakeWordList();
    lookup.ReadVerseSet(file, word, hits);
  }
  return 0;
}
