// The book compiler: the sample book in data/sample-book (the README's
// example) compiles into a book the library reads as its author meant, and
// bad sources are refused with the file and line.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/messages.h"
#include "soltread/tests/testbook.h"
#include "tools/compiler/bookcompiler.h"
#include "tools/compiler/rtfscan.h"

namespace fs = std::filesystem;

namespace {

class TempDir {
 public:
  TempDir() : m_path(testbook::MakeTempDir()) {}
  ~TempDir() { fs::remove_all(m_path); }
  std::string operator/(const std::string& name) const { return m_path + name; }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

cSOLTBook OpenBook(const std::string& dir, const char* sync = "verse") {
  cSOLTBook book;
  std::string folder = dir + "/";
  book.SetTextPath(folder.c_str());
  book.SetIDXPath(folder.c_str());
  book.SetDefPath(folder.c_str());
  book.SetDefMediaType("FIXED");
  book.SetPublisherID("1");
  book.SetBookID("1");
  book.SetSyncType(sync);
  EXPECT_EQ(book.Open(SOLT_ALL_FILES), 0);
  return book;
}

std::string AreaText(cSOLTBook& book, int key) {
  std::string text(book.GetViewableAreaSize(key), '\0');
  book.GetViewableArea(key, text.data());
  return text;
}

TEST(Compiler, SampleBookReadsAsWritten) {
  TempDir tmp;
  solt::sCompileStats stats = solt::CompileBook(SAMPLE_BOOK_SOURCE, tmp / "book");
  EXPECT_EQ(stats.sections, 5);
  EXPECT_EQ(stats.glossary, 2);
  cSOLTBook book = OpenBook(tmp / "book");

  struct Entry {
    int key;
    const char* path;
    int level, bookKey, levelCount, parent, child, next, prev;
  };
  const Entry entries[] = {
      {0, "\\Introduction", 1, 1, 0, -1, -1, 1, -1},
      {1, "\\Genesis 1 - The Creation", 1, 2, 0, -1, 2, 4, 0},
      {2, "\\Genesis 1 - The Creation\\Genesis 1:1-5 - Light", 2, 2, 1, 1, -1, 3, -1},
      {3, "\\Genesis 1 - The Creation\\Genesis 1:6-13 - Waters and land", 2, 2, 2, 1, -1, -1, 2},
      {4, "\\A note on words", 1, 3, 0, -1, -1, -1, 1},
  };
  EXPECT_EQ(book.GetLastSectionKey(), 4);
  EXPECT_EQ(book.GetLastKey(), 6);
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.path);
    cSectionsData d;
    ASSERT_EQ(book.GetEntry(e.key, d), 0);
    EXPECT_EQ(book.GetPathFromKey(e.key), e.path);
    EXPECT_EQ(book.GetSectionKey(e.path), e.key);
    EXPECT_EQ(d.GetLevel(), e.level);
    EXPECT_EQ(d.GetBookKey(), e.bookKey);
    EXPECT_EQ(d.GetLevelCount(), e.levelCount);
    EXPECT_EQ(d.GetParentKey(), e.parent);
    EXPECT_EQ(d.GetChildKey(), e.child);
    EXPECT_EQ(d.GetNextKey(), e.next);
    EXPECT_EQ(d.GetPrevKey(), e.prev);
    int first = -1, last = -1;
    book.GetKeyRange(d, &first, &last);
    EXPECT_EQ(first, e.key - e.levelCount);
  }
  cSectionsData glossary;
  ASSERT_EQ(book.GetGlossary(-2, glossary), 0);
  EXPECT_EQ(glossary.GetName(), "firmament");

  // One area per top-level section, its entries marked by level in order.
  const std::string area = AreaText(book, 2);
  size_t l0 = area.find("\\soltstartlevel0 "), l1 = area.find("\\soltstartlevel1 "), l2 = area.find("\\soltstartlevel2 ");
  ASSERT_NE(l0, std::string::npos);
  EXPECT_LT(l0, l1);
  EXPECT_LT(l1, l2);
  EXPECT_EQ(area.compare(0, 5, "{\\rtf"), 0);
  EXPECT_EQ(area.back(), '}');
  EXPECT_NE(area.find("{\\soltconcordanceon}"), std::string::npos);
  // The header words as a published book spells them (the scan matches case).
  const std::pair<const char*, const char*> words[] = {{"Title", "Notes on the Beginning"},
                                                       {"PublisherID", "1"},
                                                       {"BookID", "1"},
                                                       {"title", ""},
                                                       {"author", "The klmw sample library"}};
  for (const auto& [word, value] : words) EXPECT_EQ(book.GetHeaderControlWordData(word), value) << word;

  // Words: found ignoring case, with the sections they occur in.
  std::vector<unsigned> keys;
  int index = book.FindExactMatchingWord("WATERS");
  ASSERT_GE(index, 0);
  book.GetKeysForWord(index, keys);
  EXPECT_EQ(keys, (std::vector<unsigned>{3, 5})) << "the section and the glossary entry";
  std::vector<uint16_t> positions;
  book.GetWordPositionList(index, 3, positions);
  EXPECT_FALSE(positions.empty());
  EXPECT_EQ(book.FindExactMatchingWord("beginning,"), -1) << "punctuation is not part of a word";

  // Scripture index from the verse links; sync index from the declarations.
  struct Verse {
    unsigned short b, c, v;
    std::vector<unsigned> keys;
  };
  const Verse verses[] = {{1, 1, 1, {0}}, {1, 1, 3, {2}}, {1, 1, 7, {3}}, {1, 1, 12, {3}}, {1, 1, 2, {}}};
  for (const Verse& v : verses) {
    keys.clear();
    book.GetVerseOccurrences(v.b, v.c, v.v, keys);
    EXPECT_EQ(keys, v.keys) << v.v;
  }
  keys.clear();
  book.GetChapterOccurrencesAllVerses(1, 1, keys);
  EXPECT_EQ(keys, (std::vector<unsigned>{0, 2, 3}));
  const std::vector<std::pair<const char*, long>> syncs = {
      {"1,1,1", 0}, {"1,1,2", 0}, {"1,1,3", 2}, {"1,1,5", 2}, {"1,1,13", 3}, {"1,1,14", -1}, {"2,1,1", -1}};
  for (const auto& [ref, key] : syncs) EXPECT_EQ(book.GetVSyncKey(ref), key) << ref;
}

// A subtree whose text passes the area bound is split at its children; every
// section still finds its text at its level in its area, and the indexes
// still name it by its key.
TEST(Compiler, LargeSubtreesAreSplitIntoAreas) {
  TempDir tmp;
  const std::string src = tmp / "src/";
  fs::create_directories(src + "sections/1 Big/2 B");
  testbook::WriteBytes(src + "book.ini", "[book]\ntitle = Split\npublisher = 1\nbook = 1\nsync = verse\n");
  auto text = [](char id, int fill) {
    std::string t = std::string("zq") + id;
    for (int i = 0; i < fill / 6; ++i) t += " lorem";
    return t;
  };
  // Each file with the length of its filler, in key order.
  const std::vector<std::pair<std::string, int>> files = {
      {"1 Big/index.txt", 100}, {"1 Big/1 A.txt", 300},  {"1 Big/2 B/index.txt", 100}, {"1 Big/2 B/1 B1.txt", 800},
      {"1 Big/2 B/2 B2.txt", 800}, {"1 Big/3 C.txt", 1500}, {"1 Big/4 D.txt", 250},         {"1 Big/5 E.txt", 250},
      {"2 Small.txt", 100}};
  for (size_t k = 0; k < files.size(); ++k)
    testbook::WriteBytes(src + "sections/" + files[k].first,
                         (k == 7 ? "---\nsync: 1 1:1\n---\n" : "") + text(static_cast<char>('a' + k), files[k].second));

  struct Case {
    size_t bound;
    std::vector<std::pair<int, int>> areas;  // book key and level count of each key
  };
  const Case cases[] = {
      // Big's own text and A fit one area; B's subtree is split, C stands
      // alone, D and E share one.
      {1024, {{1, 0}, {1, 1}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {6, 1}, {7, 0}}},
      {256 * 1024, {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {1, 7}, {2, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bound);
    solt::sCompileOptions options;
    options.areaBound = c.bound;
    solt::sCompileStats stats = solt::CompileBook(src, tmp / "book", options);
    EXPECT_EQ(stats.areas, c.areas.back().first + 1);
    cSOLTBook book = OpenBook(tmp / "book");
    for (int key = 0; key < static_cast<int>(files.size()); ++key) {
      SCOPED_TRACE(key);
      cSectionsData d;
      ASSERT_EQ(book.GetSection(key, d), 0);
      EXPECT_EQ(std::make_pair(d.GetBookKey(), d.GetLevelCount()), c.areas[key]);
      // The section's own text lies between its level mark and the next.
      const std::string area = AreaText(book, d.GetBookKey());
      const std::string mark = "\\soltstartlevel" + std::to_string(d.GetLevelCount()) + " ";
      size_t begin = area.find(mark);
      ASSERT_NE(begin, std::string::npos);
      const std::string own = area.substr(begin, area.find("\\soltstartlevel", begin + mark.size()) - begin);
      const std::string word = std::string("zq") + static_cast<char>('a' + key);
      EXPECT_NE(own.find(word), std::string::npos);
      std::vector<unsigned> keys;
      book.GetKeysForWord(book.FindExactMatchingWord(word.c_str()), keys);
      EXPECT_EQ(keys, std::vector<unsigned>{static_cast<unsigned>(key)});
      int first = -1, last = -1;
      book.GetKeyRange(d, &first, &last);
      EXPECT_EQ(first, key - d.GetLevelCount());
    }
    EXPECT_EQ(book.GetVSyncKey("1,1,1"), 7);
  }
}

TEST(Compiler, RebuildReplacesTheBookAndFailuresLeaveItAlone) {
  TempDir tmp;
  solt::CompileBook(SAMPLE_BOOK_SOURCE, tmp / "book");
  fs::copy(SAMPLE_BOOK_SOURCE, tmp / "src", fs::copy_options::recursive);
  testbook::WriteBytes(tmp / "src/sections/4 More.rtf", "{\\pard More.\\par}");
  solt::CompileBook(tmp / "src", tmp / "book");
  {
    cSOLTBook book = OpenBook(tmp / "book");
    EXPECT_EQ(book.GetLastSectionKey(), 5);
  }
  const std::string before = testbook::ReadBytes(tmp / "book/book.dat");
  testbook::WriteBytes(tmp / "src/sections/5 Broken.rtf", "{\\pard Unclosed.\\par");
  EXPECT_THROW(solt::CompileBook(tmp / "src", tmp / "book"), solt::cCompileError);
  EXPECT_EQ(testbook::ReadBytes(tmp / "book/book.dat"), before);
  int leftovers = 0;
  for (const auto& e : fs::directory_iterator(tmp.Path()))
    if (e.path().filename().string().find("partial") != std::string::npos) ++leftovers;
  EXPECT_EQ(leftovers, 0);
}

TEST(Compiler, BadSourcesNameFileAndLine) {
  struct Case {
    const char* name;
    const char* file;  // relative to the source folder; "" = no change
    const char* content;
    const char* where;  // expected start of the message after the folder
    const char* says;
  };
  const Case cases[] = {
      {"no title", "book.ini", "[book]\npublisher = 1\nbook = 1\n", "book.ini", "needs a title"},
      {"publisher too big", "book.ini", "[book]\ntitle = T\npublisher = 70000\nbook = 1\n", "book.ini:3",
       "publisher must be a number from 0 to 65535"},
      {"unknown sync", "book.ini", "[book]\ntitle = T\npublisher = 1\nbook = 1\nsync = chapter\n", "book.ini:5",
       "sync must be"},
      {"line without =", "book.ini", "[book]\ntitle = T\noops\n", "book.ini:3", "expected 'key = value'"},
      {"identifier as a header word", "book.ini", "[book]\ntitle = T\npublisher = 1\nbook = 1\nBookID = 9\n",
       "book.ini:5", "written from the publisher and book numbers"},
      {"brace in the title", "book.ini", "[book]\ntitle = A } B\npublisher = 1\nbook = 1\n", "book.ini:2",
       "may not contain '}'"},
      {"unclosed group", "sections/1 Introduction.rtf", "{\\pard one\\par}\n{\\pard two\n\\par\n",
       "sections/1 Introduction.rtf:2", "never closed"},
      {"stray brace", "sections/1 Introduction.rtf", "text\n}\n", "sections/1 Introduction.rtf:2",
       "closes a group"},
      {"level mark in the source", "sections/1 Introduction.rtf", "\\soltstartlevel3 x", "sections/1 Introduction.rtf:1",
       "placed by the compiler"},
      {"unknown front matter", "sections/1 Introduction.rtf", "---\ntitle: A\ncolour: red\n---\ntext",
       "sections/1 Introduction.rtf:3", "unknown field"},
      {"unclosed front matter", "sections/1 Introduction.rtf", "---\ntitle: A\n", "sections/1 Introduction.rtf:1",
       "no closing"},
      {"bad verse", "sections/1 Introduction.rtf", "---\nsync: John 3:16\n---\ntext", "sections/1 Introduction.rtf:2",
       "is not a verse"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir tmp;
    fs::copy(SAMPLE_BOOK_SOURCE, tmp / "src", fs::copy_options::recursive);
    testbook::WriteBytes(tmp / "src/" + c.file, c.content);
    try {
      solt::CompileBook(tmp / "src", tmp / "out");
      ADD_FAILURE() << "compiled";
    } catch (const solt::cCompileError& e) {
      std::string what = e.what();
      std::string expected = tmp / "src/" + c.where;
      EXPECT_EQ(what.compare(0, expected.size(), expected), 0) << what;
      EXPECT_NE(what.find(c.says), std::string::npos) << what;
    }
    EXPECT_FALSE(fs::exists(tmp / "out"));
  }
}

TEST(Compiler, RefusesToReplaceAFolderThatIsNotABook) {
  TempDir tmp;
  fs::create_directories(tmp / "precious");
  testbook::WriteBytes(tmp / "precious/thesis.txt", "years of work");
  EXPECT_THROW(solt::CompileBook(SAMPLE_BOOK_SOURCE, tmp / "precious"), solt::cCompileError);
  EXPECT_EQ(testbook::ReadBytes(tmp / "precious/thesis.txt"), "years of work");
}

TEST(RtfScan, SpansWordsAndLinks) {
  struct Case {
    const char* name;
    const char* in;
    const char* rtf;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {"plain text", "In the Beginning.", "{\\soltconcordanceon}In the Beginning.\\soltconcordanceoff ",
       {"in", "the", "beginning"}},
      {"formatting keeps a word whole", "be{\\b gin}ning",
       "{\\soltconcordanceon}be\\soltconcordanceoff {\\b {\\soltconcordanceon}gin\\soltconcordanceoff }"
       "{\\soltconcordanceon}ning\\soltconcordanceoff ",
       {"beginning"}},
      {"paragraphs break words", "one\\par two", "{\\soltconcordanceon}one\\soltconcordanceoff \\par "
                                                 "{\\soltconcordanceon}two\\soltconcordanceoff ",
       {"one", "two"}},
      {"hex escapes are letters", "caf\\'e9", "{\\soltconcordanceon}caf\\'e9\\soltconcordanceoff ", {"caf\xe9"}},
      {"destinations are not text", "{\\*\\comment hidden}x", "{\\*\\comment hidden}{\\soltconcordanceon}x\\soltconcordanceoff ",
       {"x"}},
      {"link text indexed, target not", "{\\soltlink John{\\soltlinkto4 43 3:16}}",
       "{\\soltlink John{\\soltlinkto4 43 3:16}}", {"john"}},
      {"unicode keeps its fallback", "a\\u8212?b", "{\\soltconcordanceon}a\\soltconcordanceoff \\u8212?"
                                                  "{\\soltconcordanceon}b\\soltconcordanceoff ",
       {"a", "b"}},
      {"inner punctuation stays", "1,000 don't (see)", "{\\soltconcordanceon}1,000 don't (see)\\soltconcordanceoff ",
       {"1,000", "don't", "see"}},
      {"a whole document loses its wrapper and tables",
       "{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}}{\\colortbl;\\red0;}\\f0 Hi}", "\\ansi\\f0 {\\soltconcordanceon}Hi\\soltconcordanceoff ",
       {"hi"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    solt::sScannedText out;
    solt::sScanError error;
    ASSERT_TRUE(solt::ScanRtf(c.in, 1, out, error)) << error.message;
    EXPECT_EQ(out.rtf, c.rtf);
    EXPECT_EQ(out.words, c.words);
  }
  solt::sScannedText out;
  solt::sScanError error;
  // A Unicode character's fallback is taken only when it is a whole escape;
  // a broken one is the scanner's to refuse, not to swallow with a backslash.
  EXPECT_FALSE(solt::ScanRtf("en\\u82\\'f\\'1 x", 1, out, error));
  EXPECT_NE(error.message.find("hexadecimal"), std::string::npos);
  ASSERT_TRUE(solt::ScanRtf("{\\soltlink a{\\soltlinkto4 43 3:16-43 3:18}} {\\soltlink b{\\soltlinkto1 x}}", 1, out, error));
  ASSERT_EQ(out.verseLinks.size(), 1u);
  EXPECT_EQ(out.verseLinks[0].book, 43);
  EXPECT_EQ(out.verseLinks[0].verse, 16);
  EXPECT_EQ(out.verseLinks[0].lastVerse, 18);
}

TEST(RtfScan, PlainText) {
  EXPECT_EQ(solt::PlainTextToRtf("one\ntwo\n\nthree {x}\n"),
            "{\\pard\\sa120 one two\\par}\n{\\pard\\sa120 three \\{x\\}\\par}\n");
  // UTF-8 becomes Windows-1252, and what it lacks a \u escape.
  EXPECT_EQ(solt::PlainTextToRtf("caf\xc3\xa9 \xe2\x80\x94 \xce\xb1"),
            "{\\pard\\sa120 caf\\'e9 \\'97 \\u945?\\par}\n");
  // Text that is not UTF-8 is taken as Windows-1252 already.
  EXPECT_EQ(solt::PlainTextToRtf("caf\xe9"), "{\\pard\\sa120 caf\\'e9\\par}\n");
}

}  // namespace
