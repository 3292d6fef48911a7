// A book made of arbitrary bytes, opened and read the way the program reads
// one: every area whole and in chunks.
//
// Input:
//   0  4  length of the book.dat part (little-endian, cut to what is there)
//   4  2  chunk size - 1 (little-endian)
//   6  .. book.dat, then viewable.idx (the rest)
// The registration takes its publisher and book IDs from book.dat's own
// version record, so most inputs get past the identity check.
//
// Corrupt books may be refused or raise platform::FileException; what must
// not happen is a crash, a read or write out of bounds, a chunk larger than
// asked, chunks that differ from the whole area, or a file set left behind.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
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
using fuzz::Le32;
using fuzz::WriteFile;

constexpr int kMaxKeys = 64;
constexpr unsigned long kMaxArea = 16ul << 20;
// Chunk calls per input; one-byte chunks of a large area would otherwise make
// a single input take seconds.
constexpr long kMaxChunkCalls = 200000;

// Reads one area both ways and compares.
void ReadArea(cSOLTBook& book, int key, unsigned chunkSize, long& chunkCalls) {
  unsigned long size;
  try {
    size = book.GetViewableAreaSize(key);
  } catch (const platform::FileException&) {
    return;
  }
  if (size > kMaxArea) return;

  // Exactly the size the library asked for, so an overrun is caught.
  std::unique_ptr<char[]> whole(new char[size]);
  bool wholeOk = false;
  try {
    wholeOk = book.GetViewableArea(key, whole.get()) == 0;
    Check(wholeOk, "GetViewableArea refused a key GetViewableAreaSize accepted");
  } catch (const platform::FileException&) {
  }

  std::unique_ptr<char[]> chunk(new char[chunkSize]);
  std::vector<char> chunked;
  bool chunkedOk = true;
  try {
    unsigned long n = book.GetFirstViewableAreaChunk(key, chunkSize, chunk.get());
    while (n > 0) {
      Check(n <= chunkSize, "a chunk is larger than the chunk size");
      chunked.insert(chunked.end(), chunk.get(), chunk.get() + n);
      Check(chunked.size() <= size, "the chunks add up to more than the area's size");
      if (++chunkCalls > kMaxChunkCalls) return;
      n = book.GetNextViewableAreaChunk(chunk.get());
    }
  } catch (const platform::FileException&) {
    chunkedOk = false;
  }

  if (wholeOk) {
    // The same stored bytes cannot be fine whole and corrupt in pieces.
    Check(chunkedOk, "chunked reading failed on an area that reads whole");
    Check(chunked.size() == size, "the chunks stop short of the area's size");
    Check(size == 0 || std::memcmp(chunked.data(), whole.get(), size) == 0, "chunks differ from the whole area");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietMessages();

  if (size < 6) return 0;
  const size_t rest = size - 6;
  const size_t datLen = Le32(data) % (rest + 1);
  const unsigned chunkSize = Le16(data + 4) + 1;
  const uint8_t* dat = data + 6;
  const uint8_t* idx = dat + datLen;

  const std::string& dir = fuzz::ScratchDir();
  WriteFile(dir + "book.dat", dat, datLen);
  WriteFile(dir + "viewable.idx", idx, rest - datLen);

  const unsigned publisher = datLen >= 4 ? Le16(dat + 2) : 0;
  const unsigned bookID = datLen >= 6 ? Le16(dat + 4) : 0;

  Check(GetLiveFileSetCount() == 0, "a file set outlived its books");
  {
    cSOLTBook book;
    fuzz::Register(book, dir, publisher, bookID);

    if (book.Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX) == SOLT_OK) {
      try {
        sVersionRecord record;
        book.GetBookHeaderData(record);
        Check(record.publisherID == publisher && record.bookID == bookID, "the book opened with another identity");
        book.GetHeaderControlWordData("title");
      } catch (const platform::FileException&) {
      }

      const int count = book.GetAreaCount();
      Check(count >= 0, "negative area count");
      long chunkCalls = 0;
      for (int key = 0; key < count && key < kMaxKeys; ++key) ReadArea(book, key, chunkSize, chunkCalls);

      // Keys outside the table are refused quietly.
      for (int key : {-1, count}) {
        Check(book.GetViewableAreaSize(key) == 0, "an invalid key has a size");
        char spare[1];
        Check(book.GetViewableArea(key, spare) != 0, "an invalid key reads");
        Check(book.GetFirstViewableAreaChunk(key, chunkSize, spare) == 0, "an invalid key reads in chunks");
      }
      book.Close(SOLT_ALL_OPEN);
    }
    Check(book.GetOpenFlags() == 0, "the book still has files open after Close");
  }
  Check(GetLiveFileSetCount() == 0, "a file set outlived its books");
  return 0;
}
