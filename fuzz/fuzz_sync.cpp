// A synchronisation index made of arbitrary bytes, opened for a book of the
// matching sync type and searched with texts and references taken from the
// index itself, so that valid-looking files are searched for what they hold.
//
// Input:
//   0  1  which index: 0 wsync.idx, 1 vsync.idx, 2 ssync.idx, 3 dsync.idx
//         (the value modulo 4)
//   1  .. the index file
// The registration takes its publisher and book IDs from the file's own
// version record (bytes 2-5 of the file), so most inputs get past the
// identity check.
//
// Corrupt indexes may be refused or raise platform::FileException; what must
// not happen is a crash, a read out of bounds, an endless search, a partial
// match less than its target, an exact lookup that disagrees with the partial
// match, a lookup of another sync type that is not -1, or a file set left
// behind.
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
using fuzz::WriteFile;

constexpr size_t kMaxTargets = 40;

struct sKind {
  const char* file;
  unsigned long flag;
  const char* syncType;
};

const sKind kKinds[] = {
    {"wsync.idx", SOLT_WSYNC_IDX, "word"},
    {"vsync.idx", SOLT_VSYNC_IDX, "verse"},
    {"ssync.idx", SOLT_SSYNC_IDX, "strongs"},
    {"dsync.idx", SOLT_DSYNC_IDX, "date"},
};

// Bounds-checked little-endian reads of the input; 0 past its end.
struct sBytes {
  const uint8_t* data;
  size_t size;
  unsigned U16(uint64_t at) const { return at + 2 <= size ? data[at] | static_cast<unsigned>(data[at + 1]) << 8 : 0; }
  uint32_t U32(uint64_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }
  std::string Text(uint64_t at) const {
    unsigned length = U16(at) & 0x7FFF;
    if (at + 2 > size) return {};
    uint64_t end = at + 2 + length < size ? at + 2 + length : size;
    return std::string(reinterpret_cast<const char*>(data + at + 2), static_cast<size_t>(end - at - 2));
  }
};

// The texts the entries point at, read the way a well-formed file lays them
// out, each with neighbours just below and above it.
std::vector<std::string> TextTargets(const sBytes& file) {
  std::vector<std::string> out = {"", "a", "\xFF"};
  const uint64_t n0 = file.U16(0);
  const uint64_t table = n0 + file.U16(n0);
  const uint32_t count = file.U32(n0 + 4);
  const unsigned entrySize = file.U16(n0 + 8);
  for (uint32_t i = 0; i < count && entrySize > 0 && out.size() + 4 <= kMaxTargets; ++i) {
    const uint64_t at = table + static_cast<uint64_t>(i) * entrySize;
    if (at + 8 > file.size) break;
    std::string text = file.Text(file.U32(at + 4));
    out.push_back(text);
    out.push_back(text + "a");
    if (!text.empty()) {
      out.push_back(text.substr(0, text.size() - 1));
      std::string upper = text;
      for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      out.push_back(upper);
    }
  }
  return out;
}

// References to the verses a well-formed file holds, and to their
// neighbours.
std::vector<std::string> VerseTargets(const sBytes& file) {
  std::vector<std::string> out = {"", ",1,1", "1,1", "1,,1", "0,0,0", "-1,1,1", "65537,1,1"};
  const uint64_t n0 = file.U16(0);
  const uint64_t table = n0 + file.U16(n0);
  const unsigned first = file.U16(n0 + 2), last = file.U16(n0 + 4);
  const unsigned bookSize = file.U16(n0 + 6), verseSize = file.U16(n0 + 8);
  for (unsigned book = first; book <= last && bookSize > 0 && out.size() + 3 <= kMaxTargets; ++book) {
    const uint64_t record = table + static_cast<uint64_t>(book - first) * bookSize;
    if (record + 6 > file.size) break;
    const uint32_t offset = file.U32(record);
    const unsigned count = file.U16(record + 4);
    out.push_back(std::to_string(book) + ",1,1");
    for (unsigned i = 0; i < count && out.size() + 3 <= kMaxTargets; ++i) {
      const uint64_t at = static_cast<uint64_t>(offset) + static_cast<uint64_t>(i) * verseSize;
      if (at + 8 > file.size) break;
      const unsigned chapter = file.U16(at), verse = file.U16(at + 2);
      out.push_back(std::to_string(book) + "," + std::to_string(chapter) + "," + std::to_string(verse));
      out.push_back(std::to_string(book) + "," + std::to_string(chapter) + "," + std::to_string(verse + 1));
      out.push_back(std::to_string(book) + "," + std::to_string(chapter + 65536) + "," + std::to_string(verse));
    }
  }
  return out;
}

// -2 stands for "raised a file error".
template <class F>
long Guard(F lookup) {
  try {
    return lookup();
  } catch (const platform::FileException&) {
    return -2;
  }
}

void SearchTexts(cSOLTBook& book, unsigned long flag, const std::vector<std::string>& targets) {
  for (const std::string& whole : targets) {
    // The lookups take C strings: a text with a zero byte ends there.
    const std::string target = whole.c_str();
    long exact = Guard([&] {
      if (flag == SOLT_WSYNC_IDX) return book.GetWSyncKey(target.c_str());
      if (flag == SOLT_SSYNC_IDX) return book.GetSSyncKey(target.c_str());
      return book.GetDSyncKey(target.c_str());
    });
    if (flag != SOLT_WSYNC_IDX) continue;
    std::string found = "stale";
    long partial = Guard([&] { return book.GetWSyncKeyPartialMatch(target.c_str(), found); });
    if (partial == -2) {
      Check(exact == -2, "the partial match raised where the exact lookup did not");
      continue;
    }
    Check(exact != -2, "the exact lookup raised where the partial match did not");
    Check(found.empty() || solt::CompareNoCase(found, target) >= 0, "the partial match is less than its target");
    long want = solt::CompareNoCase(found, target) == 0 ? partial : -1;
    Check(exact == want, "the exact lookup disagrees with the partial match");
  }
}

void SearchVerses(cSOLTBook& book, const std::vector<std::string>& targets) {
  for (const std::string& target : targets) {
    long plain = Guard([&] { return book.GetVSyncKey(target.c_str()); });
    // The numbers are read the way atoi reads them: blanks before and
    // anything after a number change nothing.
    // Empty parts stay empty: a comma in first place must still refuse.
    std::string padded, part;
    for (size_t i = 0; i <= target.size(); ++i) {
      if (i < target.size() && target[i] != ',') {
        part += target[i];
        continue;
      }
      if (!part.empty()) padded += " " + part + "x";
      if (i < target.size()) padded += ',';
      part.clear();
    }
    long same = Guard([&] { return book.GetVSyncKey(padded.c_str()); });
    Check(plain == same, "blanks or trailing text changed a verse lookup");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QuietMessages();

  if (size < 1) return 0;
  const sKind& kind = kKinds[data[0] % 4];
  const sBytes file = {data + 1, size - 1};

  const std::string& dir = fuzz::ScratchDir();
  WriteFile(dir + kind.file, file.data, file.size);

  Check(GetLiveFileSetCount() == 0, "a file set outlived its books");
  {
    cSOLTBook book;
    fuzz::Register(book, dir, file.U16(2), file.U16(4));
    book.SetSyncType(kind.syncType);

    if (book.Open(kind.flag) == SOLT_OK) {
      if (kind.flag == SOLT_VSYNC_IDX)
        SearchVerses(book, VerseTargets(file));
      else
        SearchTexts(book, kind.flag, TextTargets(file));

      // Lookups of the other sync types answer -1 and read nothing.
      std::string found = "stale";
      if (kind.flag != SOLT_WSYNC_IDX) {
        Check(book.GetWSyncKey("a") == -1, "a word lookup answered for another sync type");
        Check(book.GetWSyncKeyPartialMatch("a", found) == -1 && found.empty(),
              "a partial word lookup answered for another sync type");
      }
      if (kind.flag != SOLT_VSYNC_IDX) Check(book.GetVSyncKey("1,1,1") == -1, "a verse lookup answered for another sync type");
      if (kind.flag != SOLT_SSYNC_IDX) Check(book.GetSSyncKey("a") == -1, "a Strong's lookup answered for another sync type");
      if (kind.flag != SOLT_DSYNC_IDX) Check(book.GetDSyncKey("a") == -1, "a date lookup answered for another sync type");
      book.Close(SOLT_ALL_OPEN);
    }
    Check(book.GetOpenFlags() == 0, "the book still has files open after Close");
  }
  Check(GetLiveFileSetCount() == 0, "a file set outlived its books");
  return 0;
}
