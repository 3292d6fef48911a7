// Commands on a book directory (book.dat and its index files together).
#include <cstdio>
#include <memory>
#include <sys/stat.h>

#include "app/books/windowsync.h"
#include "biblefile/biblemodule.h"
#include "platform/coding.h"
#include "platform/messages.h"
#include "soltread.h"
#include "soltread/fileidentity.h"
#include "tools/soltkit/args.h"
#include "tools/compiler/bookcompiler.h"
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
    // book.dat's identity; an index file's when there is no book.dat.
    for (const char* name : {"book.dat", "sections.idx", "concord.idx", "verses.idx", "viewable.idx"}) {
      // The identity the book's own files claim opens the folder without a
      // registration; --pub/--book override it.
      solt::ReadFileIdentity(dir + name, publisher, bookID);
      if (publisher || bookID) break;
    }
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
    // Books compiled before the header took the published spelling say "title".
    std::string title = book.GetHeaderControlWordData("Title");
    if (title.empty()) title = book.GetHeaderControlWordData("title");
    std::printf("title: %s\n", title.c_str());
    int sections = 0, glossary = 0, words = 0;
    if (book.Open(SOLT_SECTIONS_IDX) == SOLT_OK) {
      sections = book.GetLastSectionKey() + 1;
      glossary = book.GetLastKey() - book.GetLastSectionKey();
    }
    // Without concord.idx, or without a list in language 1033, there are no words.
    if (book.Open(SOLT_CONCORD_IDX) == SOLT_OK && book.GetLanguageRec().language == 1033) words = book.WordCount();
    std::printf("sections: %d\n", sections);
    std::printf("glossary: %d\n", glossary);
    std::printf("areas: %d\n", book.GetAreaCount());
    std::printf("compression: %d\n", book.GetCompressionType());
    std::printf("header-length: %lu\n", book.GetHeaderAreaLength());
    std::printf("words: %d\n", words);
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

namespace {

// Runs `body` with the book of args.At(1) open for `flags`, turning file
// errors into input errors.
template <class Body>
void WithBook(const Args& args, unsigned long flags, Body body) {
  try {
    BookDir dir(args, flags);
    body(dir.Book());
  } catch (const platform::FileException& e) {
    ThrowFileError(e);
  }
}

void PrintKeys(const std::vector<unsigned>& keys) {
  for (unsigned k : keys) std::printf("%u\n", k);
}

}  // namespace

void CmdToc(const Words& words) {
  Args args(words, kBookOptions, {});
  args.RequireCount(2, 2);
  WithBook(args, SOLT_SECTIONS_IDX, [](cSOLTBook& book) {
    const int last = book.GetLastKey();
    for (int key = 0; key <= last; ++key) {
      cSectionsData e;
      book.GetEntry(key, e);
      std::printf("%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%s\n", key, e.GetLevel(), e.GetParentKey(), e.GetChildKey(),
                  e.GetNextKey(), e.GetPrevKey(), e.GetBookKey(), e.GetLevelCount(), e.GetName().c_str());
    }
  });
}

void CmdPath(const Words& words) {
  Args args(words, kBookOptions, {});
  args.RequireCount(3, 3);
  const int key = static_cast<int>(ParseInteger(args.At(2), "KEY", INT32_MIN, INT32_MAX));
  WithBook(args, SOLT_SECTIONS_IDX, [&](cSOLTBook& book) {
    if (!book.IsValidKey(key)) throw InputError("no entry " + std::to_string(key) + " in " + args.At(1));
    std::printf("%s\n", book.GetPathFromKey(key).c_str());
  });
}

void CmdKey(const Words& words) {
  Args args(words, kBookOptions, {});
  args.RequireCount(3, 3);
  WithBook(args, SOLT_SECTIONS_IDX,
           [&](cSOLTBook& book) { std::printf("%d\n", book.GetSectionKey(args.At(2).c_str())); });
}

void CmdWords(const Words& words) {
  Args args(words, {"pub", "book", "sync", "from", "count"}, {});
  args.RequireCount(2, 2);
  const long long count = args.Integer("count", -1, 0, INT32_MAX);
  WithBook(args, SOLT_CONCORD_IDX, [&](cSOLTBook& book) {
    std::string word;
    int index = args.Has("from") ? book.FindNearestMatchingWord(args.Value("from").c_str(), word)
                                 : book.GetFirstWord(word);
    for (long long n = 0; index >= 0 && (count < 0 || n < count); ++n) {
      sWordListRec record;
      book.GetWordListRecord(index, record);
      std::printf("%d\t%s\t%d\n", index, word.c_str(), record.keyCount16 + record.keyCount32);
      index = book.GetNextWord(word);
    }
  });
}

void CmdKeys(const Words& words) {
  Args args(words, kBookOptions, {});
  args.RequireCount(3, 3);
  WithBook(args, SOLT_CONCORD_IDX, [&](cSOLTBook& book) {
    int index = book.FindExactMatchingWord(args.At(2).c_str());
    if (index < 0) return;
    std::vector<unsigned> keys;
    book.GetKeysForWord(index, keys);
    PrintKeys(keys);
  });
}

void CmdPositions(const Words& words) {
  Args args(words, kBookOptions, {});
  args.RequireCount(4, 4);
  const int key = static_cast<int>(ParseInteger(args.At(3), "KEY", INT32_MIN, INT32_MAX));
  WithBook(args, SOLT_CONCORD_IDX, [&](cSOLTBook& book) {
    int index = book.FindExactMatchingWord(args.At(2).c_str());
    if (index < 0) return;
    std::vector<uint16_t> positions;
    book.GetWordPositionList(index, key, positions);
    for (uint16_t p : positions) std::printf("%u\n", p);
  });
}

void CmdVerseKeys(const Words& words) {
  Args args(words, kBookOptions, {"all-chapters", "all-verses"});
  args.RequireCount(3, 5);
  const bool allChapters = args.Has("all-chapters"), allVerses = args.Has("all-verses");
  if (allChapters && allVerses) throw UsageError("give --all-chapters or --all-verses, not both");
  const size_t parts = args.Count() - 2;
  if (allChapters && parts != 1) throw UsageError("--all-chapters goes with a BOOK alone");
  if (allVerses && parts == 3) throw UsageError("--all-verses goes with BOOK or BOOK CHAPTER");
  auto number = [&](size_t i, const char* what) {
    return static_cast<unsigned short>(ParseInteger(args.At(i), what, 0, 65535));
  };
  const unsigned short book = number(2, "BOOK");
  const unsigned short chapter = parts >= 2 ? number(3, "CHAPTER") : 0;
  const unsigned short verse = parts >= 3 ? number(4, "VERSE") : 0;
  WithBook(args, SOLT_VERSES_IDX, [&](cSOLTBook& b) {
    std::vector<unsigned> keys;
    if (parts == 1)
      allChapters ? b.GetBookOccurrencesAllChapters(book, keys)
                  : allVerses ? b.GetBookOccurrencesAllVerses(book, keys) : b.GetBookOccurrences(book, keys);
    else if (parts == 2)
      allVerses ? b.GetChapterOccurrencesAllVerses(book, chapter, keys) : b.GetChapterOccurrences(book, chapter, keys);
    else
      b.GetVerseOccurrences(book, chapter, verse, keys);
    PrintKeys(keys);
  });
}

void CmdSync(const Words& words) {
  Args args(words, kBookOptions, {});
  args.RequireCount(3, 3);
  // Only the sync index of the book's own type is opened.
  try {
    BookDir dir(args, 0);
    cSOLTBook& book = dir.Book();
    const unsigned long flag = book.GetSyncTypeFlag();
    long key = -1;
    if (flag) {
      int result = book.Open(flag);
      if (result != SOLT_OK) throw InputError(cSOLTBook::GetErrorString(result) + " (" + args.At(1) + ")");
      const char* value = args.At(2).c_str();
      switch (flag) {
        case SOLT_WSYNC_IDX: key = book.GetWSyncKey(value); break;
        case SOLT_VSYNC_IDX: key = book.GetVSyncKey(value); break;
        case SOLT_SSYNC_IDX: key = book.GetSSyncKey(value); break;
        default: key = book.GetDSyncKey(value); break;
      }
    }
    std::printf("%ld\n", key);
  } catch (const platform::FileException& e) {
    ThrowFileError(e);
  }
}

// The key a book window synchronised to a Bible window shows when the Bible
// window moves to the verse: the program's own lookup, nearest verse included.
void CmdFollow(const Words& words) {
  Args args(words, kBookOptions, {});
  args.RequireCount(4, 4);
  const int verse = static_cast<int>(ParseInteger(args.At(3), "VERSEINDEX", -2147483647LL - 1, 2147483647LL));
  klmw::CBibleModule bible;
  LoadBible(bible, args.At(2));
  try {
    BookDir dir(args, 0);
    cSOLTBook& book = dir.Book();
    // A verse book whose index cannot be opened is an input error here; a
    // book of another sync type follows no verse.
    if (book.GetSyncTypeFlag() == SOLT_VSYNC_IDX) {
      int result = book.Open(SOLT_VSYNC_IDX);
      if (result != SOLT_OK) throw InputError(cSOLTBook::GetErrorString(result) + " (" + args.At(1) + ")");
    }
    std::printf("%ld\n", klmw::FindVerseSyncKey(book, bible, verse));
  } catch (const platform::FileException& e) {
    ThrowFileError(e);
  }
}

void CmdBuild(const Words& words) {
  Args args(words, {}, {});
  args.RequireCount(3, 3);
  try {
    solt::CompileBook(args.At(1), args.At(2));
  } catch (const solt::cCompileError& e) {
    throw InputError(e.what());
  }
}

void WithBookSetUp(const Words& words, const std::function<void(cSOLTBook&)>& body) {
  Args args(words, {"pub", "book", "sync", "colors", "colordir"}, {"or", "woc"});
  WithBook(args, 0, body);
}

}  // namespace soltkit
