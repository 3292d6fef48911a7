// cBibleReference over files written by our builder (and corrupted by hand),
// and over the shipped REFBASE.DAT.
#include "refbase/biblereference.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/coding.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "refbase/datafiles.h"
#include "refbase/refbasebuilder.h"
#include "refbase/vtmsg.h"

namespace {

// Book 1: three plainly numbered chapters, with aliases in each.
// Book 2: lettered chapters ("10" is text there), verse labels in chapter A.
// Book 3: one plain chapter without verse records. Book 4: no chapters.
// Book 5: one chapter whose alias names a book the file lacks.
const char kSource[] = R"(# test data
book 1
verses 3 2 4
alias 1 2 2:1:1 3:1:1 2:1:2
near 1 2 5:1:2
alias 2 1 2:2:1
alias 3 1 5:1:1
book 2
chapter A 3
chapter b 2
chapter 10 1
label 1 1 1a
label 1 2 1b
book 3
verses 5
book 5
verses 2
alias 1 1 99:1:1
)";

std::string Encode(const std::string& source) {
  refbase::RefbaseSource parsed;
  std::string bytes, error;
  EXPECT_TRUE(refbase::ParseRefbaseSource(source, &parsed, &error)) << error;
  EXPECT_TRUE(refbase::EncodeRefbase(parsed, &bytes, &error)) << error;
  return bytes;
}

// Offsets inside a file made by our builder, found by following its tables.
size_t BookRecord(unsigned book) { return 68 + 8 * (book - 1); }
size_t ChapterRecord(const std::string& f, unsigned book, unsigned chapter) {
  return platform::DecodeFixed32(&f[BookRecord(book) + 4]) + 16 * (chapter - 1);
}
size_t VerseRecord(const std::string& f, unsigned book, unsigned chapter, unsigned verse) {
  return platform::DecodeFixed32(&f[ChapterRecord(f, book, chapter) + 12]) + 24 * (verse - 1);
}

class RefbaseFile : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/refbase_test.XXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(pattern));
    m_dir = std::string(pattern) + "/";
    refbase::SetDataDirectory(m_dir);
    while (cBibleReference::m_conversion_data_in_use) cBibleReference::ReleaseConversionData();
  }
  void TearDown() override {
    while (cBibleReference::m_conversion_data_in_use) cBibleReference::ReleaseConversionData();
    std::filesystem::remove_all(m_dir);
    // Later tests find the data loaded from where the library found it.
    const char* env = std::getenv("REFBASE_DIR");
    refbase::SetDataDirectory(env && *env ? std::string(env) : refbase::LibraryDirectory());
    try {
      cBibleReference::InitializeConversionData();
    } catch (const platform::FileException&) {
    }
  }

  void Write(const std::string& bytes) {
    std::ofstream(m_dir + "REFBASE.DAT", std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // Writes the file and loads it; false when the loader refused it.
  bool Load(const std::string& bytes) {
    Write(bytes);
    try {
      cBibleReference::InitializeConversionData();
      return true;
    } catch (const platform::FileException&) {
      return false;
    }
  }
  void LoadSample() { ASSERT_TRUE(Load(Encode(kSource))); }

  std::string m_dir;
  platform::RecordingMessages m_messages;
  platform::ScopedMessages m_scoped{&m_messages};
};

TEST_F(RefbaseFile, NothingWorksWithoutData) {
  ASSERT_EQ(0, cBibleReference::m_conversion_data_in_use);
  cBibleReference r;
  EXPECT_EQ(1, r.SetBook(1));
  EXPECT_EQ(1, r.SetChapterID(1));
  EXPECT_EQ(1, r.SetVerseID(0));
  EXPECT_EQ(1, r.SetReferenceID(1, 1, 1));
  EXPECT_EQ(1, r.SetChapter("1"));
  EXPECT_EQ(1, r.SetVerse("1"));
  EXPECT_EQ(1, r.SetReference(1, "1", "1"));
  EXPECT_EQ(0, r.GetChapterIDForLabel(1, "1"));
  EXPECT_EQ(0, r.GetVerseIDForLabel(1, 1, "1"));
  EXPECT_EQ(0, cBibleReference::ChaptersInBook(1));
  EXPECT_EQ(0, cBibleReference::VersesInChapter(1, 1));
  EXPECT_EQ(0, r.GetNextVerse());
  EXPECT_EQ(0, r.GetNumberOfAliases());
  cBibleReferenceList list;
  EXPECT_EQ(1, cBibleReference::GetSimilarBooks(1, &list));
  EXPECT_TRUE(m_messages.m_shown.empty());
}

TEST_F(RefbaseFile, UseCountKeepsTheTablesUntilTheLastRelease) {
  LoadSample();
  cBibleReference::InitializeConversionData();
  EXPECT_EQ(2, cBibleReference::m_conversion_data_in_use);
  cBibleReference::ReleaseConversionData();
  EXPECT_EQ(3, cBibleReference::ChaptersInBook(1));
  cBibleReference::ReleaseConversionData();
  EXPECT_EQ(0, cBibleReference::ChaptersInBook(1));
  EXPECT_EQ(nullptr, cBibleReference::m_book_table);
  cBibleReference::ReleaseConversionData();  // no use left: nothing happens
  EXPECT_EQ(0, cBibleReference::m_conversion_data_in_use);
}

TEST_F(RefbaseFile, Counts) {
  LoadSample();
  struct Case {
    unsigned book, chapter, chapters, verses;
  } cases[] = {
      {1, 1, 3, 3}, {1, 3, 3, 4}, {1, 4, 3, 0}, {1, 0, 3, 0}, {2, 2, 3, 2}, {4, 1, 0, 0}, {6, 1, 0, 0}, {0, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.book << ":" << c.chapter);
    EXPECT_EQ(c.chapters, cBibleReference::ChaptersInBook(static_cast<unsigned short>(c.book)));
    EXPECT_EQ(c.verses, cBibleReference::VersesInChapter(static_cast<unsigned short>(c.book),
                                                         static_cast<unsigned short>(c.chapter)));
  }
}

TEST_F(RefbaseFile, ChapterLabels) {
  LoadSample();
  struct Case {
    unsigned book;
    const char* label;
    unsigned id;
  } cases[] = {
      {1, "1", 1},   {1, "3", 3},   {1, "4", 0},  {1, "0", 0},   {1, "03", 3},  {1, "2 ", 0},
      {1, "2a", 0},  {1, "", 0},    {1, "+1", 0}, {1, "99999999999999999999", 0},
      {2, "a", 1},   {2, "A", 1},   {2, "B", 2},  {2, "10", 3},  {2, "010", 0}, {2, "1", 0},
      {2, "A ", 0},  {4, "1", 0},   {6, "1", 0},  {0, "1", 0},
  };
  cBibleReference r;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.book << " '" << c.label << "'");
    EXPECT_EQ(c.id, r.GetChapterIDForLabel(static_cast<unsigned short>(c.book), c.label));
  }
  EXPECT_EQ(0, r.GetChapterIDForLabel(1, nullptr));
}

TEST_F(RefbaseFile, VerseLabelsBothWays) {
  LoadSample();
  struct Case {
    unsigned book, chapter;
    const char* label;
    unsigned id;
  } cases[] = {
      {2, 1, "1a", 1}, {2, 1, "1A", 1}, {2, 1, "1B", 2}, {2, 1, "3", 3}, {2, 1, "2", 0}, {2, 1, "1", 0},
      {1, 1, "3", 3},  {1, 1, "4", 0},  {1, 1, "0", 0},  {1, 1, "1a", 0}, {2, 3, "1", 1}, {2, 4, "1", 0},
      {4, 1, "1", 0},
  };
  cBibleReference r;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.book << ":" << c.chapter << " '" << c.label << "'");
    EXPECT_EQ(c.id, r.GetVerseIDForLabel(static_cast<unsigned short>(c.book), static_cast<unsigned short>(c.chapter),
                                         c.label));
    if (c.id) {
      ASSERT_EQ(0, r.SetReferenceID(static_cast<unsigned short>(c.book), static_cast<unsigned short>(c.chapter),
                                    static_cast<unsigned short>(c.id)));
      char chapter[8], verse[8];
      ASSERT_EQ(0, r.GetLabelsForReference(chapter, verse));
      EXPECT_EQ(c.id, r.GetVerseIDForLabel(r.GetBook(), r.GetChapterID(), verse));
      EXPECT_EQ(c.chapter, r.GetChapterIDForLabel(r.GetBook(), chapter));
    }
  }
  cBibleReference labelled(2, "a", "1B");
  char chapter[8], verse[8];
  ASSERT_EQ(0, labelled.GetLabelsForReference(chapter, verse));
  EXPECT_STREQ("A", chapter);
  EXPECT_STREQ("1b", verse);
  EXPECT_TRUE(m_messages.m_shown.empty());
}

TEST_F(RefbaseFile, SettersStopAtTheFirstFailure) {
  LoadSample();
  cBibleReference r;
  EXPECT_EQ(1, r.SetReference(2, "c", "1"));  // the book stays set
  EXPECT_EQ(2, r.GetBook());
  EXPECT_EQ(0, r.GetChapterID());
  EXPECT_EQ(1, r.SetReferenceID(1, 4, 1));
  EXPECT_EQ(1, r.GetBook());
  EXPECT_EQ(0, r.GetChapterID());
  EXPECT_EQ(1, r.SetReferenceID(6, 1, 1));
  EXPECT_EQ(0, r.GetBook());
  EXPECT_EQ(1, r.SetReferenceID(1, 1, 4));
  EXPECT_EQ(0, r.GetVerseID());
  EXPECT_EQ(0, r.SetBook(4));  // a book without chapters exists, but has no chapter 1
  EXPECT_EQ(1, r.SetChapterID(1));

  // Verse 0 is a chapter-level reference: it has a chapter label but no verse label.
  ASSERT_EQ(0, r.SetReferenceID(2, 2, 0));
  char label[8];
  EXPECT_EQ(0, r.GetLabelForChapter(label));
  EXPECT_STREQ("b", label);
  EXPECT_EQ(1, r.GetLabelForVerse(label));
  EXPECT_EQ(1, r.SetChapterID(0));
}

TEST_F(RefbaseFile, NextVerseStaysInTheBook) {
  LoadSample();
  struct Case {
    unsigned short from[3];
    int moved;
    unsigned short to[3];
  } cases[] = {
      {{1, 1, 1}, 1, {1, 1, 2}}, {{1, 1, 3}, 1, {1, 2, 1}}, {{1, 2, 0}, 1, {1, 2, 1}},
      {{1, 3, 4}, 0, {1, 3, 4}}, {{2, 3, 1}, 0, {2, 3, 1}}, {{5, 1, 2}, 0, {5, 1, 2}},
  };
  for (const Case& c : cases) {
    cBibleReference r(c.from[0], c.from[1], c.from[2]);
    EXPECT_EQ(c.moved, r.GetNextVerse());
    EXPECT_EQ(c.to[0], r.GetBook());
    EXPECT_EQ(c.to[1], r.GetChapterID());
    EXPECT_EQ(c.to[2], r.GetVerseID());
  }
}

std::vector<unsigned short> g_acceptBooks;
std::vector<unsigned short> g_asked;
int AcceptListed(unsigned short book) {
  g_asked.push_back(book);
  for (unsigned short b : g_acceptBooks)
    if (b == book) return 1;
  return 0;
}

TEST_F(RefbaseFile, Aliases) {
  LoadSample();
  cBibleReference r(1, 1, 2);
  EXPECT_EQ(3, r.GetNumberOfAliases());
  cBibleReference list[3];
  EXPECT_EQ(2, r.GetListOfAliases(2, list));
  EXPECT_EQ(2, list[0].GetBook());
  EXPECT_EQ(3, list[1].GetBook());
  EXPECT_EQ(0, list[2].GetBook());
  EXPECT_EQ(3, r.GetListOfAliases(10, list));
  EXPECT_EQ(2, list[2].GetVerseID());
  EXPECT_EQ(0, cBibleReference(1, 1, 1).GetNumberOfAliases());
  EXPECT_EQ(0, cBibleReference(3, 1, 1).GetListOfAliases(5, list));

  struct Case {
    std::vector<unsigned short> accept;
    int near;
    int result;
    unsigned short found[3];
    std::vector<unsigned short> asked;
  } cases[] = {
      {{3}, 0, 0, {3, 1, 1}, {1, 2, 3}},
      {{2, 3}, 0, 0, {2, 1, 1}, {1, 2}},
      {{5}, 0, 1, {0, 0, 0}, {1, 2, 3, 2}},
      {{5}, 1, 0, {5, 1, 2}, {1, 2, 3, 2, 5}},
      {{7}, 1, 1, {0, 0, 0}, {1, 2, 3, 2, 5}},
  };
  for (const Case& c : cases) {
    g_acceptBooks = c.accept;
    g_asked.clear();
    cBibleReference out;
    EXPECT_EQ(c.result, r.GetReferenceAlias(&out, AcceptListed, c.near));
    EXPECT_EQ(c.asked, g_asked);
    EXPECT_EQ(c.found[0], out.GetBook());
    EXPECT_EQ(c.found[1], out.GetChapterID());
    EXPECT_EQ(c.found[2], out.GetVerseID());
  }

  // Its own book needs no file at all.
  std::filesystem::remove(m_dir + "REFBASE.DAT");
  g_acceptBooks = {1};
  cBibleReference out;
  EXPECT_EQ(0, r.GetReferenceAlias(&out, AcceptListed, 0));
  EXPECT_EQ(2, out.GetVerseID());
  EXPECT_TRUE(m_messages.m_shown.empty());
  // Anything else does, and says so.
  g_acceptBooks = {3};
  EXPECT_EQ(1, r.GetReferenceAlias(&out, AcceptListed, 0));
  ASSERT_EQ(1u, m_messages.m_shown.size());
  EXPECT_NE(std::string::npos, m_messages.m_shown[0].text.find("The name of the file is " + m_dir + "REFBASE.DAT"));
  EXPECT_EQ(0, r.GetVerseIDForLabel(2, 1, "1a"));
  EXPECT_EQ(2u, m_messages.m_shown.size());
  // A reference to a verse that is not set, or not there, finds nothing.
  EXPECT_EQ(1, cBibleReference(1, 1, 0).GetReferenceAlias(&out, AcceptListed, 1));
}

std::vector<std::vector<unsigned short>> Listed(const cBibleReferenceList& list) {
  std::vector<std::vector<unsigned short>> out;
  for (const auto& r : list) out.push_back({r->GetBook(), r->GetChapterID()});
  return out;
}

TEST_F(RefbaseFile, SimilarBooksAndChaptersOnceEachInOrder) {
  LoadSample();
  using L = std::vector<std::vector<unsigned short>>;
  cBibleReferenceList books;
  EXPECT_EQ(0, cBibleReference::GetSimilarBooks(1, &books));
  EXPECT_EQ((L{{2, 0}, {3, 0}, {5, 0}}), Listed(books));
  EXPECT_EQ(0, cBibleReference::GetSimilarBooks(1, &books));
  EXPECT_EQ(3u, books.size());

  struct Case {
    unsigned short book, chapter;
    int result;
    L listed;
  } cases[] = {
      {1, 1, 0, {{2, 1}, {3, 1}}}, {1, 2, 0, {{2, 2}}}, {1, 3, 0, {{5, 1}}}, {3, 1, 0, {}},
      {1, 4, 1, {}},               {9, 1, 1, {}},
  };
  for (const Case& c : cases) {
    cBibleReferenceList chapters;
    EXPECT_EQ(c.result, cBibleReference::GetSimilarChapters(c.book, c.chapter, &chapters));
    EXPECT_EQ(c.listed, Listed(chapters));
  }
  EXPECT_TRUE(m_messages.m_shown.empty());

  // An alias to a book the file lacks cannot be listed.
  cBibleReferenceList bad;
  EXPECT_EQ(1, cBibleReference::GetSimilarBooks(5, &bad));
  ASSERT_EQ(1u, m_messages.m_shown.size());
  EXPECT_EQ(refbase::FormatMessage(113), m_messages.m_shown[0].text);
  EXPECT_EQ(1, cBibleReference::GetSimilarBooks(0, &bad));
  EXPECT_EQ(1, cBibleReference::GetSimilarBooks(6, &bad));
}

TEST_F(RefbaseFile, TextLabelledChapterWithoutVerseRecordsUsesNumbers) {
  // Another writer may mark a chapter's verse labels as text yet give it no
  // verse records; its labels are then the verse IDs both ways.
  std::string f = Encode(kSource);
  platform::EncodeFixed16(&f[ChapterRecord(f, 3, 1) + 2], 0);
  ASSERT_TRUE(Load(f));
  cBibleReference r(3, 1, 5);
  char label[8];
  ASSERT_EQ(0, r.GetLabelForVerse(label));
  EXPECT_STREQ("5", label);
  EXPECT_EQ(5, r.GetVerseIDForLabel(3, 1, "5"));
  EXPECT_EQ(0, r.GetVerseIDForLabel(3, 1, "6"));
  EXPECT_TRUE(m_messages.m_shown.empty());
}

TEST_F(RefbaseFile, TheLargestBookIsWalkedToItsEnd) {
  // 65,535 chapters: a chapter counter as wide as the ID would never pass the last.
  refbase::RefbaseSource source;
  source.books.resize(1);
  source.books[0].chapters.resize(65535);
  auto& last = source.books[0].chapters.back();
  last.verseCount = 1;
  last.verses.resize(1);
  last.verses[0].aliases.push_back({1, 1, 0});
  std::string bytes, error;
  ASSERT_TRUE(refbase::EncodeRefbase(source, &bytes, &error)) << error;
  ASSERT_TRUE(Load(bytes));
  EXPECT_EQ(65535, cBibleReference::ChaptersInBook(1));
  cBibleReference r;
  EXPECT_EQ(65535, r.GetChapterIDForLabel(1, "65535"));
  EXPECT_EQ(0, r.GetChapterIDForLabel(1, "65536"));
  cBibleReferenceList books;
  EXPECT_EQ(0, cBibleReference::GetSimilarBooks(1, &books));
  ASSERT_EQ(1u, books.size());
  EXPECT_EQ(1, books[0]->GetBook());
}

TEST_F(RefbaseFile, LoadFailuresGiveTheirMessage) {
  const std::string good = Encode(kSource);
  auto patch16 = [&](size_t at, uint16_t v) {
    std::string f = good;
    platform::EncodeFixed16(&f[at], v);
    return f;
  };
  auto patch32 = [&](size_t at, uint32_t v) {
    std::string f = good;
    platform::EncodeFixed32(&f[at], v);
    return f;
  };
  const size_t chapterA = ChapterRecord(good, 2, 1);
  std::string noNul = good;
  std::memcpy(&noNul[chapterA + 4], "ABCDEFGH", 8);
  std::string lowerTitle = good;
  lowerTitle[0] = 'v';
  std::string noEof = good;
  noEof[39] = ' ';
  struct Case {
    const char* what;
    std::string bytes;
    int message;
  } cases[] = {
      {"empty", "", 108},
      {"short header", good.substr(0, 67), 108},
      {"title case", lowerTitle, 107},
      {"no 0x1A", noEof, 107},
      {"version 9", patch16(50, 9), 109},
      {"version 11", patch16(50, 11), 109},
      {"one chapter more", patch16(54, static_cast<uint16_t>(platform::DecodeFixed16(&good[54]) + 1)), 107},
      {"one chapter fewer", patch16(54, static_cast<uint16_t>(platform::DecodeFixed16(&good[54]) - 1)), 107},
      {"65535 chapters", patch16(54, 65535), 107},
      {"65535 books", patch16(52, 65535), 108},
      {"book table past the end", patch32(60, static_cast<uint32_t>(good.size())), 108},
      {"book table before the start", patch32(60, 0xFFFFFFF0u), 108},
      {"chapters past the end", patch32(BookRecord(3) + 4, static_cast<uint32_t>(good.size() - 8)), 108},
      {"chapters at a negative offset", patch32(BookRecord(1) + 4, 0x80000000u), 108},
      {"a book's chapters overrun the total", patch16(BookRecord(5), 60000), 107},
      {"chapter label without NUL", noNul, 107},
      {"truncated chapter table", good.substr(0, chapterA + 8), 108},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_messages.m_shown.clear();
    EXPECT_FALSE(Load(c.bytes));
    EXPECT_EQ(0, cBibleReference::m_conversion_data_in_use);
    EXPECT_EQ(nullptr, cBibleReference::m_book_table);
    EXPECT_EQ(0, cBibleReference::ChaptersInBook(1));
    ASSERT_EQ(1u, m_messages.m_shown.size());
    EXPECT_EQ(refbase::MessageText(c.message), m_messages.m_shown[0].text);
    EXPECT_EQ("Bible Reference DLL Load Message", m_messages.m_shown[0].caption);
  }

  // The bytes after the title's NUL are not examined.
  std::string trailing = good;
  trailing[45] = 'x';
  m_messages.m_shown.clear();
  EXPECT_TRUE(Load(trailing));
  cBibleReference::ReleaseConversionData();

  std::filesystem::remove(m_dir + "REFBASE.DAT");
  m_messages.m_shown.clear();
  try {
    cBibleReference::InitializeConversionData();
    ADD_FAILURE() << "a missing file loaded";
  } catch (const platform::FileException& e) {
    EXPECT_EQ(platform::FileException::fileNotFound, e.m_cause);
  }
  ASSERT_EQ(1u, m_messages.m_shown.size());
  EXPECT_EQ(refbase::MessageText(106), m_messages.m_shown[0].text);
}

TEST_F(RefbaseFile, CorruptVerseRecordsAndAliasListsFailCleanly) {
  const std::string good = Encode(kSource);
  const size_t verseA = VerseRecord(good, 2, 1, 1);   // text-labelled chapter
  const size_t alias12 = VerseRecord(good, 1, 1, 2);  // verse with aliases
  constexpr int kAny = -1;
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    bool wide;
    int listed, found;  // GetListOfAliases(4), GetReferenceAlias for book 3
  } cases[] = {
      {"verse records past the end", ChapterRecord(good, 2, 1) + 12, static_cast<uint32_t>(good.size() - 30), true,
       3, 0},
      {"verse records at a negative offset", ChapterRecord(good, 2, 1) + 12, 0xFFFFFF00u, true, 3, 0},
      {"alias list past the end", alias12 + 4, static_cast<uint32_t>(good.size() - 4), true, 0, 1},
      // Entries are read one by one while they lie in the file.
      {"alias count past the end", alias12, 60000, false, kAny, kAny},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string f = good;
    if (c.wide)
      platform::EncodeFixed32(&f[c.at], c.value);
    else
      platform::EncodeFixed16(&f[c.at], static_cast<uint16_t>(c.value));
    ASSERT_TRUE(Load(f));
    m_messages.m_shown.clear();
    cBibleReference r;
    r.GetVerseIDForLabel(2, 1, "1a");
    char label[8];
    cBibleReference(2, 1, 1).GetLabelForVerse(label);
    cBibleReference aliases(1, 1, 2);
    cBibleReference list[4];
    const int listed = aliases.GetListOfAliases(4, list);
    if (c.listed != kAny) {
      EXPECT_EQ(c.listed, listed);
    }
    g_acceptBooks = {3};
    cBibleReference out;
    const int found = aliases.GetReferenceAlias(&out, AcceptListed, 1);
    if (c.found != kAny) {
      EXPECT_EQ(c.found, found);
    }
    cBibleReferenceList similar;
    bool raised = false;
    try {
      cBibleReference::GetSimilarBooks(1, &similar);
      cBibleReference::GetSimilarBooks(2, &similar);
    } catch (const platform::FileException& e) {
      EXPECT_EQ(platform::FileException::genericException, e.m_cause);
      raised = true;
    }
    EXPECT_TRUE(raised);
    if (c.listed != kAny) {
      EXPECT_FALSE(m_messages.m_shown.empty());
    }
    for (const auto& shown : m_messages.m_shown) EXPECT_EQ(refbase::FormatMessage(105, 1), shown.text);
    while (cBibleReference::m_conversion_data_in_use) cBibleReference::ReleaseConversionData();
  }

  // A verse label that fills its field has no end to hand out.
  std::string f = good;
  std::memcpy(&f[verseA + 16], "12345678", 8);
  ASSERT_TRUE(Load(f));
  m_messages.m_shown.clear();
  char label[8];
  EXPECT_EQ(1, cBibleReference(2, 1, 1).GetLabelForVerse(label));
  EXPECT_EQ(2, cBibleReference().GetVerseIDForLabel(2, 1, "1b"));
  ASSERT_EQ(1u, m_messages.m_shown.size());
}

TEST(ShippedRefbase, HoldsTheKingJamesVersification) {
  refbase::SetDataDirectory(refbase::LibraryDirectory());
  cBibleReference::InitializeConversionData();  // a use of our own
  ASSERT_GE(cBibleReference::m_total_books, 85);
  unsigned chapters = 0, verses = 0;
  for (unsigned short b = 1; b <= 66; ++b) {
    ASSERT_GT(cBibleReference::ChaptersInBook(b), 0) << b;
    for (unsigned short c = 1; c <= cBibleReference::ChaptersInBook(b); ++c) {
      ++chapters;
      verses += cBibleReference::VersesInChapter(b, c);
    }
  }
  EXPECT_EQ(1189u, chapters);
  EXPECT_EQ(31102u, verses);
  struct Case {
    unsigned short book, chapter, chapters, verses;
  } cases[] = {
      {1, 50, 50, 26}, {19, 150, 150, 6}, {19, 119, 150, 176}, {64, 1, 1, 14}, {66, 22, 22, 21},
      {67, 1, 0, 0},   {68, 1, 0, 0},     {69, 14, 14, 15},    {73, 51, 51, 30}, {75, 1, 0, 0}, {85, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.book << ":" << c.chapter);
    EXPECT_EQ(c.chapters, cBibleReference::ChaptersInBook(c.book));
    EXPECT_EQ(c.verses, cBibleReference::VersesInChapter(c.book, c.chapter));
  }
  cBibleReference r(19, "119", "176");
  EXPECT_EQ(1, r.GetNextVerse());
  EXPECT_EQ(120, r.GetChapterID());
  EXPECT_EQ(1, r.GetVerseID());
  cBibleReference::ReleaseConversionData();
}

}  // namespace
