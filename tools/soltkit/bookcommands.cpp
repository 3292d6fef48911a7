// Commands on a book directory (book.dat and its index files together).
#include <cstdio>
#include <memory>
#include <sys/stat.h>

#include "platform/coding.h"
#include "platform/messages.h"
#include "soltread.h"
#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace soltkit {
namespace {

const std::set<std::string> kBookOptions = {"pub", "book", "sync"};

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string AsFolder(std::string dir) {
  if (dir.empty()) dir = ".";
  if (dir.back() != '/') dir += '/';
  return dir;
}

// The identity the book's own files claim, so that a directory opens without
// a registration; --pub/--book override it.
void ReadFileIdentity(const std::string& path, int& publisher, int& book) {
  publisher = book = 0;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    unsigned char b[6];
    if (std::fread(b, 1, 6, f) == 6) {
      publisher = platform::DecodeFixed16(b + 2);
      book = platform::DecodeFixed16(b + 4);
    }
    std::fclose(f);
  }
}

// Message boxes would put several lines on stderr; soltkit reports the
// library's one-line error instead.
class QuietMessages : public platform::Messages {
 public:
  int Show(const std::string&, platform::MessageButtons buttons, const std::string&) override {
    return buttons == platform::MessageButtons::Ok ? platform::IDOK : platform::IDCANCEL;
  }
};

[[noreturn]] void ThrowFileError(const platform::FileException& e) {
  std::string text = cSOLTBook::GetErrorString(cSOLTBook::ConvertCauseToErrorCode(e.m_cause));
  if (!e.m_strFileName.empty()) text += " (" + e.m_strFileName + ")";
  throw InputError(text);
}

// A book set up from a directory and opened for `flags`.
class BookDir {
 public:
  BookDir(const Args& args, unsigned long flags) : m_messages(&m_quiet) {
    const std::string dir = AsFolder(args.At(1));
    int publisher, bookID;
    ReadFileIdentity(dir + "book.dat", publisher, bookID);
    publisher = static_cast<int>(args.Integer("pub", publisher, 0, 65535));
    bookID = static_cast<int>(args.Integer("book", bookID, 0, 65535));
    std::string sync = args.Value("sync");
    if (!args.Has("sync")) {
      for (const char* type : {"word", "verse", "strongs", "date"}) {
        if (FileExists(dir + type[0] + "sync.idx")) {
          sync = type;
          break;
        }
      }
    }
    m_book.SetTextPath(dir.c_str());
    m_book.SetIDXPath(dir.c_str());
    m_book.SetDefPath(dir.c_str());
    m_book.SetDefMediaType("FIXED");
    m_book.SetRegMediaType("FIXED");
    m_book.SetPublisherID(std::to_string(publisher).c_str());
    m_book.SetBookID(std::to_string(bookID).c_str());
    m_book.SetSyncType(sync.c_str());
    m_book.SetBookName(dir.c_str());
    int result = m_book.Open(flags);
    if (result != SOLT_OK) throw InputError(cSOLTBook::GetErrorString(result) + " (" + dir + ")");
  }

  cSOLTBook& Book() { return m_book; }

 private:
  QuietMessages m_quiet;
  platform::ScopedMessages m_messages;
  cSOLTBook m_book;
};

void Write(const char* data, size_t size) {
  if (size && std::fwrite(data, 1, size, stdout) != size) throw InputError("cannot write to standard output");
}

}  // namespace

void CmdInfo(const Words& words) {
  Args args(words, kBookOptions, {});
  args.RequireCount(2, 2);
  try {
    BookDir dir(args, SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX);
    cSOLTBook& book = dir.Book();
    sVersionRecord version;
    book.GetBookHeaderData(version);
    std::string sync = book.GetSyncType();
    std::printf("publisher: %u\n", version.publisherID);
    std::printf("book: %u\n", version.bookID);
    std::printf("version: %u.%u\n", version.lcsMajor, version.lcsMinor);
    std::printf("title: %s\n", book.GetHeaderControlWordData("title").c_str());
    std::printf("areas: %d\n", book.GetAreaCount());
    std::printf("compression: %d\n", book.GetCompressionType());
    std::printf("header-length: %lu\n", book.GetHeaderAreaLength());
    std::printf("sync: %s\n", sync.empty() ? "none" : sync.c_str());
  } catch (const platform::FileException& e) {
    ThrowFileError(e);
  }
}

void CmdArea(const Words& words) {
  Args args(words, {"pub", "book", "sync", "chunk"}, {});
  args.RequireCount(3, 3);
  const int key = static_cast<int>(ParseInteger(args.At(2), "BOOKKEY", INT32_MIN, INT32_MAX));
  const bool chunked = args.Has("chunk");
  const long long chunk = args.Integer("chunk", 0, 1, UINT32_MAX);
  try {
    BookDir dir(args, SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX);
    cSOLTBook& book = dir.Book();
    const unsigned long size = book.GetViewableAreaSize(key);
    if (size == 0 && (key < 0 || key >= book.GetAreaCount())) {
      std::fprintf(stderr, "soltkit: no viewable area %d in %s\n", key, args.At(1).c_str());
      return;
    }
    if (!chunked) {
      std::unique_ptr<char[]> buffer(new char[size ? size : 1]);
      book.GetViewableArea(key, buffer.get());
      Write(buffer.get(), size);
      return;
    }
    // The buffer never needs to be larger than the whole text.
    unsigned long bufferSize = static_cast<unsigned long>(chunk) < size ? static_cast<unsigned long>(chunk) : size;
    std::unique_ptr<char[]> buffer(new char[bufferSize ? bufferSize : 1]);
    unsigned long n = book.GetFirstViewableAreaChunk(key, static_cast<unsigned>(chunk), buffer.get());
    while (n > 0) {
      Write(buffer.get(), n);
      n = book.GetNextViewableAreaChunk(buffer.get());
    }
  } catch (const platform::FileException& e) {
    ThrowFileError(e);
  }
}

}  // namespace soltkit
