// The word list of concord.idx: walking and searching it, keys and positions,
// language selection, and what damaged files do.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <functional>

#include "platform/coding.h"
#include "soltread/indexwriters.h"
#include "soltread/util.h"
#include "testbook.h"

namespace {

using testbook::BookDir;
using Keys = std::vector<unsigned>;
using Positions = std::vector<uint16_t>;

solt::sConcordWord Word(std::string text, std::vector<uint32_t> keys = {},
                        std::vector<std::vector<uint16_t>> positions = {}, uint32_t reserved = 0) {
  solt::sConcordWord w;
  w.text = std::move(text);
  w.keys = std::move(keys);
  w.positions = std::move(positions);
  w.reserved = reserved;
  return w;
}

// A book whose only index of interest is the given concord.idx.
class ConcordBook {
 public:
  explicit ConcordBook(const std::string& concord) {
    testbook::WriteBytes(m_dir.File("concord.idx"), concord);
    m_book = m_dir.MakeBook();
  }
  cSOLTBook& Book() { return m_book; }
  const BookDir& Dir() const { return m_dir; }

 private:
  BookDir m_dir{solt::cViewableWriter(testbook::Version())};
  cSOLTBook m_book;
};

std::string OneLanguage(std::vector<solt::sConcordWord> words, uint16_t language = 1033) {
  solt::cConcordWriter writer(testbook::Version());
  writer.AddLanguage(language, std::move(words));
  return writer.Build();
}

std::vector<std::string> Walk(cSOLTBook& book) {
  std::vector<std::string> words;
  std::string w;
  for (int i = book.GetFirstWord(w); i >= 0; i = book.GetNextWord(w)) {
    EXPECT_EQ(i, static_cast<int>(words.size()));
    words.push_back(w);
  }
  return words;
}

class WordList : public testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(GetLiveFileSetCount(), 0); }
};

// --- round trips through the writer, in layouts another writer might use ----

struct Layout {
  const char* name;
  uint16_t versionLength;
  uint16_t recordSize;
  uint16_t stride;
};

const Layout kLayouts[] = {
    {"plain", 16, 18, 16},
    {"wide_records", 16, 30, 16},
    {"wide_stride", 40, 18, 24},
    {"both_wide", 12, 64, 40},
};

class WordListLayouts : public testing::TestWithParam<Layout> {
 protected:
  void SetUp() override {
    solt::sVersionInfo version = testbook::Version();
    version.recordLength = GetParam().versionLength;
    solt::cConcordWriter writer(version);
    writer.SetWordRecordSize(GetParam().recordSize);
    writer.SetLanguageStride(GetParam().stride);
    // Given out of order and in mixed case; the writer sorts.
    writer.AddLanguage(1036, {Word("paix", {9}, {{4}}), Word("amour", {2, 3})});
    writer.AddLanguage(1033, {Word("zion", {65535, 65536}, {{0}, {}}),
                              Word("grace", {3, 70000}, {{1, 300}, {255, 256, 65535}}, 0xDEADBEEF),
                              Word("\xC9" "den", {0xFFFFFFFFu}, {{7, 7}}),
                              Word("Lord", {5, 1, 4}, {{50}, {10}, {40}}), Word("Abel")});
    std::string bytes = writer.Build();
    m_book = std::make_unique<ConcordBook>(bytes);
    ASSERT_EQ(m_book->Book().Open(SOLT_CONCORD_IDX), 0);
  }
  void TearDown() override {
    m_book.reset();
    EXPECT_EQ(GetLiveFileSetCount(), 0);
  }
  cSOLTBook& Book() { return m_book->Book(); }
  std::unique_ptr<ConcordBook> m_book;
};

TEST_P(WordListLayouts, OpenSelectsTheDefaultLanguageAndWalksInOrder) {
  EXPECT_EQ(Book().GetLanguageRec().language, 1033);
  EXPECT_EQ(Book().WordCount(), 5);
  const std::vector<std::string> sorted = {"Abel", "grace", "Lord", "zion", "\xC9" "den"};
  EXPECT_EQ(Walk(Book()), sorted);
  std::string w;
  std::vector<std::string> backwards;
  for (int i = Book().GetLastWord(w); i >= 0; i = Book().GetPrevWord(w)) backwards.insert(backwards.begin(), w);
  EXPECT_EQ(backwards, sorted);
}

TEST_P(WordListLayouts, KeysPositionsAndRecords) {
  Keys keys;
  EXPECT_EQ(Book().GetKeysForWord("GRACE", keys), 1);
  EXPECT_EQ(keys, (Keys{3, 70000}));
  EXPECT_EQ(Book().GetKeysForWord(2, keys), 2);
  EXPECT_EQ(keys, (Keys{1, 4, 5})) << "keys come back sorted";
  EXPECT_EQ(Book().GetKeysForWord("abel", keys), 0);
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(Book().GetKeysForWord("\xE9" "DEN", keys), 4) << "accented capitals fold";
  EXPECT_EQ(keys, (Keys{0xFFFFFFFFu}));

  sWordListRec record;
  EXPECT_EQ(Book().GetWordListRecord("Grace", record), 1);
  EXPECT_EQ(record.reserved, 0xDEADBEEFu);
  EXPECT_EQ(record.keyCount16, 1);
  EXPECT_EQ(record.keyCount32, 1);
  EXPECT_EQ(Book().GetWordListRecord(3, record), 3);
  EXPECT_EQ(record.keyCount16, 1) << "65535 still fits two bytes";
  EXPECT_EQ(record.keyCount32, 1) << "65536 does not";

  Positions positions;
  EXPECT_EQ(Book().GetWordPositionList(1, 70000, positions), 1);
  EXPECT_EQ(positions, (Positions{255, 256, 65535}));
  EXPECT_EQ(Book().GetWordPositionList(1, 3, positions), 1);
  EXPECT_EQ(positions, (Positions{1, 300}));
  EXPECT_EQ(Book().GetWordPositionList(2, 4, positions), 2) << "positions follow their key through the sort";
  EXPECT_EQ(positions, (Positions{40}));
  EXPECT_EQ(Book().GetWordPositionList(4, -1, positions), 4) << "keys above INT_MAX pass through int";
  EXPECT_EQ(positions, (Positions{7, 7}));
  EXPECT_EQ(Book().GetWordPositionList(3, 65536, positions), 3);
  EXPECT_TRUE(positions.empty());
}

TEST_P(WordListLayouts, LanguagesSwitch) {
  EXPECT_EQ(Book().SetLanguage(1036), 0);
  EXPECT_EQ(Book().WordCount(), 2);
  EXPECT_EQ(Walk(Book()), (std::vector<std::string>{"amour", "paix"}));
  Keys keys;
  EXPECT_EQ(Book().GetKeysForWord("paix", keys), 1);
  EXPECT_EQ(keys, (Keys{9}));
  EXPECT_EQ(Book().FindExactMatchingWord("grace"), -1);
  EXPECT_EQ(Book().SetLanguage(1033), 0);
  EXPECT_EQ(Book().FindExactMatchingWord("grace"), 1);
}

INSTANTIATE_TEST_SUITE_P(WordList, WordListLayouts, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

// --- the nearest-word search ------------------------------------------------

// The plain answer: the first word not less than the target, ignoring case.
int FirstNotLess(const std::vector<std::string>& words, const std::string& target) {
  for (size_t i = 0; i < words.size(); ++i)
    if (solt::CompareNoCase(words[i], target) >= 0) return static_cast<int>(i);
  return -1;
}

TEST_F(WordList, NearestAgreesWithALinearScanOnDistinctWords) {
  for (int size : {0, 1, 2, 3, 4, 5, 7, 8, 9, 16, 31, 33, 100}) {
    std::vector<std::string> words;
    std::vector<solt::sConcordWord> input;
    for (int i = 0; i < size; ++i) {
      char text[16];
      std::snprintf(text, sizeof text, "w%03d", i * 2 + 1);
      words.push_back(text);
      input.push_back(Word(text));
    }
    ConcordBook cb(OneLanguage(input));
    cSOLTBook& book = cb.Book();
    ASSERT_EQ(book.Open(SOLT_CONCORD_IDX), 0);
    ASSERT_EQ(book.WordCount(), size);
    EXPECT_EQ(Walk(book), words);
    std::string last = "stale";
    EXPECT_EQ(book.GetLastWord(last), size - 1);
    EXPECT_EQ(last, size ? words.back() : std::string());
    EXPECT_EQ(book.FindNearestMatchingWord(nullptr, last), size ? 0 : -1) << "no target is the empty text";
    // Every word, in either case, every gap between words, and both ends.
    std::vector<std::string> targets = {"", "a", "w", "w000", "W999", "x", "\xFF"};
    for (int i = 0; i <= size * 2 + 1; ++i) {
      char text[16];
      std::snprintf(text, sizeof text, "W%03d", i);
      targets.push_back(text);
      targets.push_back(std::string(text) + "a");
    }
    for (const std::string& target : targets) {
      SCOPED_TRACE("size " + std::to_string(size) + " target " + target);
      std::string found = "stale";
      int expected = FirstNotLess(words, target);
      EXPECT_EQ(book.FindNearestMatchingWord(target.c_str(), found), expected);
      EXPECT_EQ(found, expected >= 0 ? words[static_cast<size_t>(expected)] : std::string());
      EXPECT_EQ(book.GetWordCursor(), expected);
      int exact = expected >= 0 && solt::EqualsNoCase(words[static_cast<size_t>(expected)], target) ? expected : -1;
      EXPECT_EQ(book.FindExactMatchingWord(target.c_str()), exact);
    }
  }
}

TEST_F(WordList, NearestAmongWordsEqualIgnoringCase) {
  // Where the search and the linear scan part ways: a probe that hits one of
  // several equal words stops there, which need not be the first of them.
  struct Case {
    std::vector<std::string> words;  // already in the order the writer keeps
    const char* target;
    int expected;
    int firstNotLess;
  };
  const Case cases[] = {
      {{"a", "b", "B", "b", "c"}, "b", 2, 1},
      {{"a", "b", "b", "b", "b", "b", "c"}, "B", 3, 1},
      {{"a", "a", "a", "a", "z"}, "a", 2, 0},
      {{"b", "b"}, "b", 0, 0},
      {{"a", "b", "b"}, "b", 1, 1},
      {{"a", "a", "b", "b", "b", "b"}, "b", 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    std::vector<solt::sConcordWord> input;
    for (const std::string& w : c.words) input.push_back(Word(w));
    ConcordBook cb(OneLanguage(input));
    ASSERT_EQ(cb.Book().Open(SOLT_CONCORD_IDX), 0);
    std::string found;
    EXPECT_EQ(cb.Book().FindNearestMatchingWord(c.target, found), c.expected);
    EXPECT_EQ(FirstNotLess(c.words, c.target), c.firstNotLess);
    EXPECT_EQ(cb.Book().FindExactMatchingWord(c.target), c.expected);
  }
}

// --- the word cursor ----------------------------------------------------------

TEST_F(WordList, CursorStopsAtBothEnds) {
  ConcordBook cb(OneLanguage({Word("a"), Word("b"), Word("c")}));
  cSOLTBook& book = cb.Book();
  ASSERT_EQ(book.Open(SOLT_CONCORD_IDX), 0);
  std::string w = "stale";
  EXPECT_EQ(book.GetNextWord(w), -1) << "nothing read yet";
  EXPECT_EQ(book.GetPrevWord(w), -1);
  EXPECT_EQ(w, "");

  EXPECT_EQ(book.GetLastWord(w), 2);
  EXPECT_EQ(book.GetNextWord(w), -1);
  EXPECT_EQ(book.GetWordCursor(), -1);
  EXPECT_EQ(book.GetPrevWord(w), -1) << "running off the end forgets the position";

  EXPECT_EQ(book.GetFirstWord(w), 0);
  EXPECT_EQ(book.GetPrevWord(w), -1);
  EXPECT_EQ(book.GetNextWord(w), -1);

  EXPECT_EQ(book.FindNearestMatchingWord("B", w), 1);
  EXPECT_EQ(book.GetNextWord(w), 2);
  EXPECT_EQ(w, "c");
  EXPECT_EQ(book.FindExactMatchingWord("bb"), -1);
  EXPECT_EQ(book.GetNextWord(w), -1);

  sWordListRec record;
  Keys keys = {1};
  Positions positions = {1};
  EXPECT_EQ(book.GetWordListRecord(1, record), 1);
  EXPECT_EQ(book.GetPrevWord(w), 0);
  for (int index : {-1, 3, INT_MAX}) {
    EXPECT_EQ(book.GetKeysForWord(index, keys), -1);
    EXPECT_TRUE(keys.empty());
    EXPECT_EQ(book.GetWordListRecord(index, record), -1);
    EXPECT_EQ(book.GetWordPositionList(index, 0, positions), -1);
    EXPECT_TRUE(positions.empty());
    EXPECT_EQ(book.GetWordCursor(), -1);
  }
  EXPECT_EQ(book.SetLanguage(1033), 0);
  EXPECT_EQ(book.GetWordCursor(), -1);
}

// --- keys and positions in their two widths ----------------------------------

TEST_F(WordList, KeyAndPositionWidths) {
  std::vector<uint32_t> manySmall;
  for (uint32_t k = 0; k < 65536; ++k) manySmall.push_back(k);
  std::vector<uint16_t> allBytes;
  for (uint16_t p = 0; p < 256; ++p) allBytes.push_back(p);
  struct Case {
    const char* word;
    std::vector<uint32_t> keys;
    int count16, count32;
  };
  const Case cases[] = {
      {"four", {70000, 80000, 90000}, 0, 3},
      {"two", {1, 2}, 2, 0},
      {"none", {}, 0, 0},
      // More small keys than the two-byte count holds: the last goes wide.
      {"many", manySmall, 65535, 1},
  };
  std::vector<solt::sConcordWord> input;
  for (const Case& c : cases) input.push_back(Word(c.word, c.keys, {allBytes}));
  ConcordBook cb(OneLanguage(input));
  ASSERT_EQ(cb.Book().Open(SOLT_CONCORD_IDX), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    sWordListRec record;
    ASSERT_GE(cb.Book().GetWordListRecord(c.word, record), 0);
    EXPECT_EQ(record.keyCount16, c.count16);
    EXPECT_EQ(record.keyCount32, c.count32);
    Keys keys;
    cb.Book().GetKeysForWord(c.word, keys);
    std::vector<uint32_t> sorted = c.keys;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(keys, Keys(sorted.begin(), sorted.end()));
    if (!sorted.empty()) {
      // 256 one-byte values overflow the one-byte count by one.
      Positions positions;
      int index = cb.Book().GetWordPositionList(cb.Book().FindExactMatchingWord(c.word),
                                                static_cast<int>(c.keys[0]), positions);
      EXPECT_GE(index, 0);
      EXPECT_EQ(positions, allBytes);
    }
  }
  Positions positions = {9};
  int two = cb.Book().FindExactMatchingWord("two");
  EXPECT_EQ(cb.Book().GetWordPositionList(two, 3, positions), -1) << "a key the word does not have";
  EXPECT_TRUE(positions.empty());
  EXPECT_EQ(cb.Book().GetWordCursor(), -1);
}

// --- choosing the language ---------------------------------------------------

TEST_F(WordList, LanguageSelection) {
  solt::cConcordWriter writer(testbook::Version());
  writer.AddLanguage(1031, {Word("ja")});
  writer.AddLanguage(1036, {Word("oui"), Word("non")});
  ConcordBook cb(writer.Build());
  cSOLTBook& book = cb.Book();

  // Opening applies 1033, which this file lacks: the last record stays.
  ASSERT_EQ(book.Open(SOLT_CONCORD_IDX), 0);
  EXPECT_EQ(book.GetLanguageRec().language, 1036);
  EXPECT_EQ(book.WordCount(), 2);
  EXPECT_EQ(book.SetLanguage(1031), 0);
  EXPECT_EQ(book.WordCount(), 1);
  EXPECT_EQ(book.SetLanguage(1033), 1);
  EXPECT_EQ(book.GetLanguageRec().language, 1036);
  EXPECT_EQ(book.SetLanguage(0x10000 + 1031), 1) << "IDs are 16-bit; no wrapping";
  book.Close(SOLT_CONCORD_IDX);

  // A closed book opens the file for the call and keeps the choice for the
  // next Open.
  EXPECT_EQ(book.SetLanguage(1031), 0);
  EXPECT_EQ(book.GetOpenFlags(), 0ul);
  EXPECT_EQ(GetLiveFileSetCount(), 0);
  EXPECT_EQ(book.GetLanguageRec().language, 1031);
  ASSERT_EQ(book.Open(SOLT_CONCORD_IDX), 0);
  EXPECT_EQ(book.WordCount(), 1);
  book.Close(SOLT_CONCORD_IDX);

  // The same with another file of the set kept open meanwhile.
  ASSERT_EQ(book.Open(SOLT_VIEWABLE_IDX), 0);
  EXPECT_EQ(book.SetLanguage(1036), 0);
  EXPECT_EQ(book.GetOpenFlags(), static_cast<unsigned long>(SOLT_VIEWABLE_IDX));
  ASSERT_EQ(book.Open(SOLT_CONCORD_IDX), 0);
  EXPECT_EQ(book.WordCount(), 2);
  book.Close(SOLT_ALL_OPEN);

  std::remove(cb.Dir().File("concord.idx").c_str());
  EXPECT_EQ(book.SetLanguage(1031), 1) << "no concord.idx to open";
}

TEST_F(WordList, NeedsConcordOpen) {
  ConcordBook cb(OneLanguage({Word("a")}));
  cSOLTBook& book = cb.Book();
  ASSERT_EQ(book.Open(SOLT_VIEWABLE_IDX), 0);
  std::string w;
  Keys keys;
  Positions positions;
  sWordListRec record;
  const std::function<void()> ops[] = {
      [&] { book.WordCount(); },
      [&] { book.GetFirstWord(w); },
      [&] { book.GetLastWord(w); },
      [&] { book.GetNextWord(w); },
      [&] { book.GetPrevWord(w); },
      [&] { book.FindNearestMatchingWord("a", w); },
      [&] { book.FindExactMatchingWord("a"); },
      [&] { book.GetKeysForWord("a", keys); },
      [&] { book.GetKeysForWord(0, keys); },
      [&] { book.GetWordListRecord("a", record); },
      [&] { book.GetWordListRecord(0, record); },
      [&] { book.GetWordPositionList(0, 0, positions); },
  };
  for (const auto& op : ops) EXPECT_THROW(op(), platform::FileException);
}

// --- damaged files -------------------------------------------------------------

// Offsets in a one-language file from our writer with a 16-byte version record.
constexpr size_t kHeader = 16;
constexpr size_t kLanguage = kHeader + 8;
constexpr size_t kFirstRecord = kLanguage + 16;
size_t RecordAt(int i) { return kFirstRecord + static_cast<size_t>(i) * 18; }

void Put16(std::string& b, size_t at, uint16_t v) { platform::EncodeFixed16(b.data() + at, v); }
void Put32(std::string& b, size_t at, uint32_t v) { platform::EncodeFixed32(b.data() + at, v); }
uint32_t Get32(const std::string& b, size_t at) { return platform::DecodeFixed32(b.data() + at); }

std::string DamageSample() {
  return OneLanguage({Word("alpha", {1, 70000}, {{1, 2}, {300}}), Word("beta", {2}, {{3}}), Word("gamma", {5}, {{4}})});
}

TEST_F(WordList, DamagedHeadersAreRefused) {
  struct Case {
    const char* name;
    void (*damage)(std::string&);
  };
  const Case cases[] = {
      {"header shorter than its fields", [](std::string& b) { Put16(b, kHeader, 5); }},
      {"header past the end", [](std::string& b) { b.resize(kHeader + 4); }},
      {"stride below 16", [](std::string& b) { Put16(b, kHeader + 4, 15); }},
      {"language records past the end", [](std::string& b) { Put16(b, kHeader + 2, 0xFFFF); }},
      {"stride past the end", [](std::string& b) { Put16(b, kHeader + 4, 0xFFFF); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = DamageSample();
    c.damage(bytes);
    ConcordBook cb(bytes);
    EXPECT_EQ(cb.Book().Open(SOLT_CONCORD_IDX), SOLT_ERR_HEADER_AREA);
    EXPECT_EQ(cb.Book().SetLanguage(1033), 1);
  }
}

TEST_F(WordList, DamagedRecordsRaiseFileErrors) {
  using Op = void (*)(cSOLTBook&);
  struct Case {
    const char* name;
    void (*damage)(std::string&);
    Op op;
  };
  const Op count = [](cSOLTBook& b) { b.WordCount(); };
  const Op search = [](cSOLTBook& b) {
    std::string w;
    b.FindNearestMatchingWord("beta", w);
  };
  const Op keys = [](cSOLTBook& b) {
    Keys k;
    b.GetKeysForWord(0, k);
  };
  const Op positions = [](cSOLTBook& b) {
    Positions p;
    b.GetWordPositionList(0, 70000, p);
  };
  const Case cases[] = {
      {"negative word count", [](std::string& b) { Put32(b, kLanguage + 2, 0xFFFFFFFF); }, count},
      {"word count past the end", [](std::string& b) { Put32(b, kLanguage + 2, 0x7FFFFFFF); }, search},
      {"word table offset negative", [](std::string& b) { Put32(b, kLanguage + 6, 0x80000000); }, search},
      {"word table offset past the end", [](std::string& b) { Put32(b, kLanguage + 6, 0x7FFFFFF0); }, count},
      {"word records too small", [](std::string& b) { Put16(b, kLanguage + 10, 17); }, search},
      {"word records too large", [](std::string& b) { Put16(b, kLanguage + 10, 0xFFFF); }, count},
      {"text offset past the end", [](std::string& b) { Put32(b, RecordAt(1) + 8, 0x7FFFFFFF); }, search},
      {"text offset negative", [](std::string& b) { Put32(b, RecordAt(1) + 8, 0xFFFFFFFE); }, search},
      {"text runs past the end", [](std::string& b) { Put16(b, Get32(b, RecordAt(1) + 8), 0xFFFF); }, search},
      {"negative K32", [](std::string& b) { Put32(b, RecordAt(0) + 4, 0xFFFFFFFF); }, keys},
      {"K32 past the end", [](std::string& b) { Put32(b, RecordAt(0) + 4, 0x40000000); }, keys},
      {"K32 overflowing", [](std::string& b) { Put32(b, RecordAt(0) + 4, 0x7FFFFFFF); }, keys},
      {"K16 past the end", [](std::string& b) { Put16(b, RecordAt(0) + 12, 0xFFFF); }, keys},
      {"position table past the end", [](std::string& b) { Put32(b, RecordAt(0) + 14, 0x7FFFFFFF); }, positions},
      {"position table negative", [](std::string& b) { Put32(b, RecordAt(0) + 14, 0x80000000); }, positions},
      {"position list past the end",
       [](std::string& b) { Put32(b, Get32(b, RecordAt(0) + 14) + 4, 0x7FFFFFF0); }, positions},
      {"position counts past the end",
       [](std::string& b) { Put16(b, Get32(b, Get32(b, RecordAt(0) + 14) + 4) + 1, 0xFFFF); }, positions},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = DamageSample();
    c.damage(bytes);
    ConcordBook cb(bytes);
    ASSERT_EQ(cb.Book().Open(SOLT_CONCORD_IDX), 0);
    EXPECT_THROW(c.op(cb.Book()), platform::FileException);
  }
}

}  // namespace
