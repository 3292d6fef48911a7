// verses.idx made of arbitrary bytes, opened on its own and asked for the
// occurrences of books, chapters and verses.
//
// Input: the whole of verses.idx. The registration takes its publisher and
// book IDs from input bytes 2-5 (the file's own version record), so most
// inputs get past the identity check. The places asked for are the numbers
// the file's own records hold (found by following the layout as far as the
// bytes allow), their neighbours, and one more place from the last six bytes.
//
// Corrupt files may be refused or raise platform::FileException; what must
// not happen is a crash, a read out of bounds, a huge allocation, a count that
// differs from the list handed back, an array changed when nothing was found,
// or a file set left behind.
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
using fuzz::WriteFile;

constexpr unsigned kMaxRecords = 6;

// Little-endian reads of the input that give 0 past its end.
struct Bytes {
  const uint8_t* data;
  size_t size;
  unsigned U16(int64_t at) const {
    if (at < 0 || static_cast<uint64_t>(at) + 2 > size) return 0;
    return data[at] | static_cast<unsigned>(data[at + 1]) << 8;
  }
  int64_t I32(int64_t at) const {
    if (at < 0 || static_cast<uint64_t>(at) + 4 > size) return 0;
    return static_cast<int32_t>(U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16);
  }
};

struct Place {
  uint16_t book, chapter, verse;
};

// The places the file's own records name, looked up the way a reader would
// but with no checks beyond staying inside the input.
std::vector<Place> PlacesInFile(const Bytes& in) {
  std::vector<Place> places;
  const int64_t n0 = in.U16(0);
  const int64_t n1 = in.U16(n0);
  const unsigned books = in.U16(n0 + 2), bookSize = in.U16(n0 + 4);
  const unsigned chapterSize = in.U16(n0 + 6), verseSize = in.U16(n0 + 8);
  for (unsigned b = 0; b < books && b < kMaxRecords; ++b) {
    const int64_t bookAt = n0 + n1 + int64_t{b} * bookSize;
    const auto book = static_cast<uint16_t>(in.U16(bookAt));
    places.push_back({book, 1, 1});
    const unsigned chapters = in.U16(bookAt + 2);
    const int64_t chapterTable = in.I32(bookAt + 4);
    for (unsigned c = 0; c < chapters && c < kMaxRecords; ++c) {
      const int64_t chapterAt = chapterTable + int64_t{c} * chapterSize;
      const auto chapter = static_cast<uint16_t>(in.U16(chapterAt));
      places.push_back({book, chapter, 0});
      const unsigned verses = in.U16(chapterAt + 2);
      const int64_t verseTable = in.I32(chapterAt + 4);
      for (unsigned v = 0; v < verses && v < kMaxRecords; ++v)
        places.push_back({book, chapter, static_cast<uint16_t>(in.U16(verseTable + int64_t{v} * verseSize))});
    }
  }
  return places;
}

template <typename F>
void Lookup(F lookup) {
  static const std::vector<unsigned> kSentinel = {0xFEEDu, 0xBEEFu, 0xF00Du};
  std::vector<unsigned> keys = kSentinel;
  try {
    int count = lookup(keys);
    Check(count >= 0, "a negative count");
    if (count > 0)
      Check(keys.size() == static_cast<size_t>(count), "the count differs from the keys handed back");
    else
      Check(keys.empty() || keys == kSentinel, "nothing found, yet the array changed");
  } catch (const platform::FileException&) {
  }
}

void Ask(cSOLTBook& book, Place p) {
  Lookup([&](std::vector<unsigned>& k) { return book.GetBookOccurrences(p.book, k); });
  Lookup([&](std::vector<unsigned>& k) { return book.GetBookOccurrencesAllChapters(p.book, k); });
  Lookup([&](std::vector<unsigned>& k) { return book.GetBookOccurrencesAllVerses(p.book, k); });
  Lookup([&](std::vector<unsigned>& k) { return book.GetChapterOccurrences(p.book, p.chapter, k); });
  Lookup([&](std::vector<unsigned>& k) { return book.GetChapterOccurrencesAllVerses(p.book, p.chapter, k); });
  Lookup([&](std::vector<unsigned>& k) { return book.GetVerseOccurrences(p.book, p.chapter, p.verse, k); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietMessages();

  const std::string& dir = fuzz::ScratchDir();
  WriteFile(dir + "verses.idx", data, size);
  const Bytes in{data, size};

  Check(GetLiveFileSetCount() == 0, "a file set outlived its books");
  {
    cSOLTBook book;
    fuzz::Register(book, dir, in.U16(2), in.U16(4));

    if (book.Open(SOLT_VERSES_IDX) == SOLT_OK) {
      std::vector<Place> places = PlacesInFile(in);
      if (size >= 6) places.push_back({static_cast<uint16_t>(in.U16(static_cast<int64_t>(size) - 6)),
                                       static_cast<uint16_t>(in.U16(static_cast<int64_t>(size) - 4)),
                                       static_cast<uint16_t>(in.U16(static_cast<int64_t>(size) - 2))});
      places.push_back({1, 1, 1});
      places.push_back({0xFFFF, 0xFFFF, 0xFFFF});
      for (const Place& p : places) {
        Ask(book, p);
        // Neighbours fall between records, or off the ends of a table.
        Ask(book, {static_cast<uint16_t>(p.book + 1), p.chapter, static_cast<uint16_t>(p.verse - 1)});
        Ask(book, {p.book, static_cast<uint16_t>(p.chapter - 1), static_cast<uint16_t>(p.verse + 1)});
      }
      book.Close(SOLT_ALL_OPEN);
    }
    Check(book.GetOpenFlags() == 0, "the book still has files open after Close");
  }
  Check(GetLiveFileSetCount() == 0, "a file set outlived its books");
  return 0;
}
