// The Scripture index (verses.idx): key lists by book, chapter and verse,
// places that are not indexed, and damaged files.
#include <gtest/gtest.h>

#include <functional>

#include "platform/coding.h"
#include "soltread/indexwriters.h"
#include "testbook.h"

namespace {

using testbook::BookDir;
using Keys = std::vector<unsigned>;

const Keys kUntouched = {0xABCDu, 0x1234u};

class VersesBook {
 public:
  explicit VersesBook(const std::string& verses) {
    testbook::WriteBytes(m_dir.File("verses.idx"), verses);
    m_book = m_dir.MakeBook();
  }
  cSOLTBook& Book() { return m_book; }

 private:
  BookDir m_dir{solt::cViewableWriter(testbook::Version())};
  cSOLTBook m_book;
};

// Made-up but distinct key lists for every place, so a lookup that lands on
// the wrong record shows.
std::vector<uint32_t> KeysFor(unsigned book, unsigned chapter, unsigned verse, unsigned list) {
  std::vector<uint32_t> keys;
  unsigned n = (book + chapter + verse + list) % 4 + 1;
  for (unsigned i = 0; i < n; ++i) keys.push_back(book * 1000000u + chapter * 10000u + verse * 10u + list + i * 0x10000000u);
  return keys;
}

unsigned Chapters(unsigned book) { return book % 5 + 1; }
unsigned Verses(unsigned chapter) { return chapter % 3 + 1; }

// Books 1..66, leaving out every seventh, each with its lists; chapter 1 of
// every book has no list of its own, and verse 2 of chapter 2 none either.
std::string Bible(uint16_t bookSize, uint16_t chapterSize, uint16_t verseSize, uint16_t versionLength) {
  solt::sVersionInfo version = testbook::Version();
  version.recordLength = versionLength;
  solt::cVersesWriter writer(version);
  writer.SetRecordSizes(bookSize, chapterSize, verseSize);
  // Added out of order; the writer sorts.
  for (unsigned book = 66; book >= 1; --book) {
    if (book % 7 == 0) continue;
    auto b = static_cast<uint16_t>(book);
    writer.SetBookKeys(b, {1});  // replaced below
    writer.SetBookKeys(b, KeysFor(book, 0, 0, 0));
    writer.SetBookAllChapters(b, KeysFor(book, 0, 0, 1));
    writer.SetBookAllVerses(b, KeysFor(book, 0, 0, 2));
    for (unsigned chapter = Chapters(book); chapter >= 1; --chapter) {
      auto c = static_cast<uint16_t>(chapter);
      if (chapter != 1) writer.SetChapterKeys(b, c, KeysFor(book, chapter, 0, 3));
      writer.SetChapterAllVerses(b, c, KeysFor(book, chapter, 0, 4));
      for (unsigned verse = 1; verse <= Verses(chapter); ++verse)
        if (!(chapter == 2 && verse == 2))
          writer.SetVerseKeys(b, c, static_cast<uint16_t>(verse), KeysFor(book, chapter, verse, 5));
    }
  }
  return writer.Build();
}

struct Layout {
  const char* name;
  uint16_t bookSize, chapterSize, verseSize, versionLength;
};

const Layout kLayouts[] = {
    {"plain", 20, 16, 6, 16},
    {"wide_records", 28, 24, 10, 16},
    {"long_version_record", 20, 17, 7, 44},
};

class OccurrencesLayouts : public testing::TestWithParam<Layout> {
 protected:
  void SetUp() override {
    const Layout& l = GetParam();
    m_verses = std::make_unique<VersesBook>(Bible(l.bookSize, l.chapterSize, l.verseSize, l.versionLength));
    ASSERT_EQ(Book().Open(SOLT_VERSES_IDX), 0);
  }
  void TearDown() override {
    m_verses.reset();
    EXPECT_EQ(GetLiveFileSetCount(), 0);
  }
  cSOLTBook& Book() { return m_verses->Book(); }
  std::unique_ptr<VersesBook> m_verses;
};

// Checks one lookup: either the expected list, or 0 with the array untouched.
void Expect(int got, const Keys& keys, const std::vector<uint32_t>* expected) {
  if (expected) {
    EXPECT_EQ(got, static_cast<int>(expected->size()));
    EXPECT_EQ(keys, Keys(expected->begin(), expected->end()));
  } else {
    EXPECT_EQ(got, 0);
    EXPECT_EQ(keys, kUntouched);
  }
}

TEST_P(OccurrencesLayouts, EveryPlaceFindsItsOwnList) {
  // One past each end of every table, and the gaps, as well as every entry.
  for (unsigned book = 0; book <= 67; ++book) {
    const bool hasBook = book >= 1 && book <= 66 && book % 7 != 0;
    auto b = static_cast<uint16_t>(book);
    SCOPED_TRACE("book " + std::to_string(book));
    std::vector<std::vector<uint32_t>> lists;
    for (unsigned list = 0; list < 3; ++list) lists.push_back(KeysFor(book, 0, 0, list));
    Keys keys = kUntouched;
    Expect(Book().GetBookOccurrences(b, keys), keys, hasBook ? &lists[0] : nullptr);
    keys = kUntouched;
    Expect(Book().GetBookOccurrencesAllChapters(b, keys), keys, hasBook ? &lists[1] : nullptr);
    keys = kUntouched;
    Expect(Book().GetBookOccurrencesAllVerses(b, keys), keys, hasBook ? &lists[2] : nullptr);

    for (unsigned chapter = 0; chapter <= Chapters(book) + 1; ++chapter) {
      const bool hasChapter = hasBook && chapter >= 1 && chapter <= Chapters(book);
      auto c = static_cast<uint16_t>(chapter);
      std::vector<uint32_t> own = KeysFor(book, chapter, 0, 3), all = KeysFor(book, chapter, 0, 4);
      keys = kUntouched;
      Expect(Book().GetChapterOccurrences(b, c, keys), keys, hasChapter && chapter != 1 ? &own : nullptr);
      keys = kUntouched;
      Expect(Book().GetChapterOccurrencesAllVerses(b, c, keys), keys, hasChapter ? &all : nullptr);
      for (unsigned verse = 0; verse <= Verses(chapter) + 1; ++verse) {
        const bool hasVerse = hasChapter && verse >= 1 && verse <= Verses(chapter) && !(chapter == 2 && verse == 2);
        std::vector<uint32_t> list = KeysFor(book, chapter, verse, 5);
        keys = kUntouched;
        Expect(Book().GetVerseOccurrences(b, c, static_cast<uint16_t>(verse), keys), keys,
               hasVerse ? &list : nullptr);
      }
    }
  }
}

TEST_P(OccurrencesLayouts, NumbersBeyondTheBible) {
  Keys keys = kUntouched;
  EXPECT_EQ(Book().GetBookOccurrences(0xFFFF, keys), 0);
  EXPECT_EQ(Book().GetChapterOccurrences(1, 0xFFFF, keys), 0);
  EXPECT_EQ(Book().GetVerseOccurrences(1, 1, 0xFFFF, keys), 0);
  EXPECT_EQ(Book().GetVerseOccurrences(0xFFFF, 1, 1, keys), 0);
  EXPECT_EQ(keys, kUntouched);
}

INSTANTIATE_TEST_SUITE_P(Occurrences, OccurrencesLayouts, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

class Occurrences : public testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(GetLiveFileSetCount(), 0); }
};

TEST_F(Occurrences, EmptyAndMissingLists) {
  solt::cVersesWriter writer(testbook::Version());
  writer.SetBookKeys(40, {});                 // given, but empty
  writer.SetVerseKeys(43, 3, 16, {0xFFFFFFFFu, 7});  // only a verse: no book or chapter lists
  VersesBook vb(writer.Build());
  cSOLTBook& book = vb.Book();
  ASSERT_EQ(book.Open(SOLT_VERSES_IDX), 0);

  Keys keys = kUntouched;
  EXPECT_EQ(book.GetBookOccurrences(40, keys), 0);
  EXPECT_TRUE(keys.empty()) << "an empty list is still a list";
  keys = kUntouched;
  EXPECT_EQ(book.GetBookOccurrencesAllChapters(40, keys), 0);
  EXPECT_EQ(book.GetBookOccurrences(43, keys), 0);
  EXPECT_EQ(book.GetBookOccurrencesAllVerses(43, keys), 0);
  EXPECT_EQ(book.GetChapterOccurrences(43, 3, keys), 0);
  EXPECT_EQ(book.GetChapterOccurrencesAllVerses(43, 3, keys), 0);
  EXPECT_EQ(book.GetChapterOccurrences(40, 1, keys), 0) << "a book without chapters";
  EXPECT_EQ(book.GetVerseOccurrences(40, 1, 1, keys), 0);
  EXPECT_EQ(keys, kUntouched);
  EXPECT_EQ(book.GetVerseOccurrences(43, 3, 16, keys), 2);
  EXPECT_EQ(keys, (Keys{0xFFFFFFFFu, 7}));
}

TEST_F(Occurrences, NoBooksAtAll) {
  VersesBook vb(solt::cVersesWriter(testbook::Version()).Build());
  ASSERT_EQ(vb.Book().Open(SOLT_VERSES_IDX), 0);
  Keys keys = kUntouched;
  EXPECT_EQ(vb.Book().GetVerseOccurrences(1, 1, 1, keys), 0);
  EXPECT_EQ(vb.Book().GetBookOccurrences(1, keys), 0);
  EXPECT_EQ(keys, kUntouched);
}

TEST_F(Occurrences, NeedVersesOpen) {
  VersesBook vb(Bible(20, 16, 6, 16));
  cSOLTBook& book = vb.Book();
  Keys keys;
  const std::function<int()> ops[] = {
      [&] { return book.GetBookOccurrences(1, keys); },
      [&] { return book.GetBookOccurrencesAllChapters(1, keys); },
      [&] { return book.GetBookOccurrencesAllVerses(1, keys); },
      [&] { return book.GetChapterOccurrences(1, 1, keys); },
      [&] { return book.GetChapterOccurrencesAllVerses(1, 1, keys); },
      [&] { return book.GetVerseOccurrences(1, 1, 1, keys); },
  };
  for (const auto& op : ops) EXPECT_THROW(op(), platform::FileException) << "nothing open";
  ASSERT_EQ(book.Open(SOLT_VIEWABLE_IDX), 0);
  for (const auto& op : ops) EXPECT_THROW(op(), platform::FileException) << "another file open";
}

// --- damaged files -------------------------------------------------------------

// Offsets in a file from our writer with a 16-byte version record and one book.
constexpr size_t kHeader = 16;
constexpr size_t kBookRecord = kHeader + 16;

void Put16(std::string& b, size_t at, uint16_t v) { platform::EncodeFixed16(b.data() + at, v); }
void Put32(std::string& b, size_t at, uint32_t v) { platform::EncodeFixed32(b.data() + at, v); }
uint32_t Get32(const std::string& b, size_t at) { return platform::DecodeFixed32(b.data() + at); }

std::string DamageSample() {
  solt::cVersesWriter writer(testbook::Version());
  writer.SetBookKeys(1, {1, 2});
  writer.SetChapterKeys(1, 1, {3});
  writer.SetVerseKeys(1, 1, 1, {4});
  return writer.Build();
}

size_t ChapterRecord(const std::string& b) { return Get32(b, kBookRecord + 4); }
size_t VerseRecord(const std::string& b) { return Get32(b, ChapterRecord(b) + 4); }

TEST_F(Occurrences, DamagedHeadersAreRefused) {
  struct Case {
    const char* name;
    void (*damage)(std::string&);
  };
  const Case cases[] = {
      {"header shorter than its fields", [](std::string& b) { Put16(b, kHeader, 9); }},
      {"header past the end", [](std::string& b) { b.resize(kHeader + 8); }},
      {"book records below 20", [](std::string& b) { Put16(b, kHeader + 4, 19); }},
      {"chapter records below 16", [](std::string& b) { Put16(b, kHeader + 6, 15); }},
      {"verse records below 6", [](std::string& b) { Put16(b, kHeader + 8, 5); }},
      {"book records past the end", [](std::string& b) { Put16(b, kHeader + 2, 0xFFFF); }},
      {"book record size past the end", [](std::string& b) { Put16(b, kHeader + 4, 0xFFFF); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = DamageSample();
    c.damage(bytes);
    VersesBook vb(bytes);
    EXPECT_EQ(vb.Book().Open(SOLT_VERSES_IDX), SOLT_ERR_HEADER_AREA);
  }
}

TEST_F(Occurrences, DamagedRecordsRaiseFileErrors) {
  using Op = int (*)(cSOLTBook&, Keys&);
  struct Case {
    const char* name;
    void (*damage)(std::string&);
    Op op;
  };
  const Op bookOp = [](cSOLTBook& b, Keys& k) { return b.GetBookOccurrences(1, k); };
  const Op chapterOp = [](cSOLTBook& b, Keys& k) { return b.GetChapterOccurrences(1, 1, k); };
  const Op verseOp = [](cSOLTBook& b, Keys& k) { return b.GetVerseOccurrences(1, 1, 1, k); };
  const Case cases[] = {
      {"chapter table past the end", [](std::string& b) { Put32(b, kBookRecord + 4, 0x7FFFFFF0); }, chapterOp},
      {"chapter table negative", [](std::string& b) { Put32(b, kBookRecord + 4, 0xFFFFFFF0); }, chapterOp},
      {"chapter count past the end", [](std::string& b) { Put16(b, kBookRecord + 2, 0xFFFF); }, chapterOp},
      {"verse table past the end", [](std::string& b) { Put32(b, ChapterRecord(b) + 4, 0x7FFFFFF0); }, verseOp},
      {"verse count past the end", [](std::string& b) { Put16(b, ChapterRecord(b) + 2, 0xFFFF); }, verseOp},
      {"book list past the end", [](std::string& b) { Put32(b, kBookRecord + 8, 0x7FFFFFF0); }, bookOp},
      {"book list negative", [](std::string& b) { Put32(b, kBookRecord + 8, 0x80000000); }, bookOp},
      {"negative key count", [](std::string& b) { Put32(b, Get32(b, kBookRecord + 8), 0xFFFFFFFF); }, bookOp},
      {"key count past the end", [](std::string& b) { Put32(b, Get32(b, kBookRecord + 8), 0x40000000); }, bookOp},
      {"key count overflowing", [](std::string& b) { Put32(b, Get32(b, kBookRecord + 8), 0x7FFFFFFF); }, bookOp},
      {"chapter list past the end", [](std::string& b) { Put32(b, ChapterRecord(b) + 8, 0x7FFFFFF0); }, chapterOp},
      {"verse list past the end", [](std::string& b) { Put32(b, VerseRecord(b) + 2, 0x7FFFFFF0); }, verseOp},
      {"verse key count past the end",
       [](std::string& b) { Put32(b, Get32(b, VerseRecord(b) + 2), 0x10000000); }, verseOp},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = DamageSample();
    c.damage(bytes);
    VersesBook vb(bytes);
    ASSERT_EQ(vb.Book().Open(SOLT_VERSES_IDX), 0);
    Keys keys = kUntouched;
    EXPECT_THROW(c.op(vb.Book(), keys), platform::FileException);
  }
}

}  // namespace
