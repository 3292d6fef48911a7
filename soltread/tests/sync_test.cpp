// Following another window: sync keys by word, Strong's number, date and
// verse, through the writers and back, in other writers' layouts, and what
// damaged indexes do.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/coding.h"
#include "platform/messages.h"
#include "soltread/indexwriters.h"
#include "soltread/util.h"
#include "testbook.h"

namespace {

using testbook::BookDir;

// One book with a single sync index written from `bytes`.
class SyncFixture : public testing::Test {
 protected:
  void TearDown() override {
    m_book.Close(SOLT_ALL_OPEN);
    m_dir.reset();
    EXPECT_EQ(GetLiveFileSetCount(), 0);
  }
  int OpenWith(const char* file, unsigned long flag, const char* syncType, const std::string& bytes) {
    m_book.Close(SOLT_ALL_OPEN);
    m_dir = std::make_unique<BookDir>(solt::cViewableWriter(testbook::Version()));
    testbook::WriteBytes(m_dir->File(file), bytes);
    m_book = m_dir->MakeBook(syncType);
    return m_book.Open(flag);
  }

  platform::RecordingMessages m_messages;
  platform::ScopedMessages m_scope{&m_messages};
  std::unique_ptr<BookDir> m_dir;
  cSOLTBook m_book;
};

struct TextKind {
  const char* file;
  unsigned long flag;
  const char* syncType;
  long (cSOLTBook::*lookup)(const char*);
};

const TextKind kWord = {"wsync.idx", SOLT_WSYNC_IDX, "word", &cSOLTBook::GetWSyncKey};
const TextKind kTextKinds[] = {
    kWord,
    {"ssync.idx", SOLT_SSYNC_IDX, "strongs", &cSOLTBook::GetSSyncKey},
    {"dsync.idx", SOLT_DSYNC_IDX, "date", &cSOLTBook::GetDSyncKey},
};

struct TextEntry {
  std::string text;
  int32_t key;
};

std::string TextIndex(const std::vector<TextEntry>& entries, uint16_t entrySize = 8,
                      solt::sVersionInfo version = testbook::Version()) {
  solt::cTextSyncWriter writer(version);
  writer.SetEntrySize(entrySize);
  for (const TextEntry& e : entries) writer.Add(e.text, e.key);
  return writer.Build();
}

struct Verse {
  uint16_t book, chapter, verse;
  int32_t key;
};

std::string VerseIndex(const std::vector<Verse>& verses, uint16_t bookSize = 6, uint16_t verseSize = 8,
                       solt::sVersionInfo version = testbook::Version()) {
  solt::cVerseSyncWriter writer(version);
  writer.SetRecordSizes(bookSize, verseSize);
  for (const Verse& v : verses) writer.Add(v.book, v.chapter, v.verse, v.key);
  return writer.Build();
}

std::string Ref(int book, int chapter, int verse) {
  return std::to_string(book) + "," + std::to_string(chapter) + "," + std::to_string(verse);
}

uint16_t Get16(const std::string& b, size_t at) { return platform::DecodeFixed16(b.data() + at); }
uint32_t Get32(const std::string& b, size_t at) { return platform::DecodeFixed32(b.data() + at); }
void Put16(std::string& b, size_t at, uint16_t v) { platform::EncodeFixed16(b.data() + at, v); }
void Put32(std::string& b, size_t at, uint32_t v) { platform::EncodeFixed32(b.data() + at, v); }

// Another writer's header length: `delta` bytes more (or fewer: ours pads
// with six) after our fields, every stored offset moved along with what it
// points to.
std::string ResizeTextHeader(std::string b, int delta) {
  const size_t n0 = Get16(b, 0), n1 = Get16(b, n0);
  const size_t count = Get32(b, n0 + 4), size = Get16(b, n0 + 8);
  if (delta >= 0)
    b.insert(n0 + n1, std::string(static_cast<size_t>(delta), '\x5A'));
  else
    b.erase(n0 + n1 + delta, static_cast<size_t>(-delta));
  Put16(b, n0, static_cast<uint16_t>(n1 + delta));
  for (size_t i = 0; i < count; ++i) {
    size_t at = n0 + n1 + delta + i * size + 4;
    Put32(b, at, Get32(b, at) + delta);
  }
  return b;
}

std::string WidenVerseHeader(std::string b, uint16_t extra) {
  const size_t n0 = Get16(b, 0), n1 = Get16(b, n0);
  const size_t books = Get16(b, n0 + 4) - Get16(b, n0 + 2) + 1u, size = Get16(b, n0 + 6);
  b.insert(n0 + n1, std::string(extra, '\x5A'));
  Put16(b, n0, static_cast<uint16_t>(n1 + extra));
  for (size_t i = 0; i < books; ++i) {
    size_t at = n0 + n1 + extra + i * size;
    if (Get32(b, at) != 0) Put32(b, at, Get32(b, at) + extra);
  }
  return b;
}

// --- sync type and open checks ----------------------------------------------

using SyncType = SyncFixture;

TEST_F(SyncType, OtherTypesAnswerNoneWithoutTouchingAFile) {
  // Nothing is open: a lookup that reached for its index would raise.
  const struct {
    const char* owner;
    long (*lookup)(cSOLTBook&);
  } lookups[] = {
      {"word", [](cSOLTBook& b) { return b.GetWSyncKey("love"); }},
      {"word",
       [](cSOLTBook& b) {
         std::string found = "stale";
         long key = b.GetWSyncKeyPartialMatch("love", found);
         return found.empty() ? key : -2;
       }},
      {"verse", [](cSOLTBook& b) { return b.GetVSyncKey("43,3,16"); }},
      {"strongs", [](cSOLTBook& b) { return b.GetSSyncKey("G26"); }},
      {"date", [](cSOLTBook& b) { return b.GetDSyncKey("01-01"); }},
  };
  for (const char* type : {"verse", "word", "strongs", "date", "", "words"}) {
    cSOLTBook book;
    book.SetSyncType(type);
    for (const auto& l : lookups) {
      if (std::string(l.owner) != type) {
        EXPECT_EQ(l.lookup(book), -1) << type << " asking " << l.owner;
      }
    }
  }
}

TEST_F(SyncType, OwnIndexNotOpenRaises) {
  ASSERT_EQ(OpenWith("wsync.idx", SOLT_VIEWABLE_IDX, "word", TextIndex({{"love", 1}})), 0);
  std::string found;
  EXPECT_THROW(m_book.GetWSyncKey("love"), platform::FileException);
  EXPECT_THROW(m_book.GetWSyncKeyPartialMatch("love", found), platform::FileException);
  m_book.SetSyncType("verse");
  EXPECT_THROW(m_book.GetVSyncKey("1,1,1"), platform::FileException);
  m_book.SetSyncType("strongs");
  EXPECT_THROW(m_book.GetSSyncKey("G26"), platform::FileException);
  m_book.SetSyncType("date");
  EXPECT_THROW(m_book.GetDSyncKey("01-01"), platform::FileException);
}

TEST_F(SyncType, TypeNamesIgnoreCase) {
  ASSERT_EQ(OpenWith("vsync.idx", SOLT_VSYNC_IDX, "Verse", VerseIndex({{43, 3, 16, 77}})), 0);
  unsigned long all = SOLT_ALL_FILES;
  m_book.MaskInvalidSyncFileFlags(all);
  EXPECT_EQ(all & (SOLT_WSYNC_IDX | SOLT_VSYNC_IDX | SOLT_SSYNC_IDX | SOLT_DSYNC_IDX), SOLT_VSYNC_IDX);
  EXPECT_EQ(m_book.GetVSyncKey("43,3,16"), 77);
  ASSERT_EQ(OpenWith("wsync.idx", SOLT_WSYNC_IDX, "WORD", TextIndex({{"love", 5}})), 0);
  EXPECT_EQ(m_book.GetWSyncKey("love"), 5);
}

// --- text-keyed indexes -------------------------------------------------------

using SyncText = SyncFixture;

TEST_F(SyncText, RoundTripIgnoringCase) {
  const std::vector<TextEntry> entries = {{"zeal", 9},    {"Abide", 1}, {"love", 5}, {"lovely", 6},
                                          {"\xC9glise", 7}, {"", 0},      {"G2316", 42}, {"12-25", 359}};
  for (const TextKind& kind : kTextKinds) {
    SCOPED_TRACE(kind.file);
    ASSERT_EQ(OpenWith(kind.file, kind.flag, kind.syncType, TextIndex(entries)), 0);
    for (const TextEntry& e : entries) EXPECT_EQ((m_book.*kind.lookup)(e.text.c_str()), e.key) << e.text;
    EXPECT_EQ((m_book.*kind.lookup)("ABIDE"), 1);
    EXPECT_EQ((m_book.*kind.lookup)("LoVe"), 5);
    EXPECT_EQ((m_book.*kind.lookup)("\xE9glise"), 7) << "accented capitals fold too";
    EXPECT_EQ((m_book.*kind.lookup)("g2316"), 42);
    EXPECT_EQ((m_book.*kind.lookup)(nullptr), 0) << "no text is the empty text";
    for (const char* missing : {"lov", "loves", "aaa", "zzz", "G231", "12-25 "})
      EXPECT_EQ((m_book.*kind.lookup)(missing), -1) << missing;
  }
}

TEST_F(SyncText, PartialMatchGivesFirstTextNotLess) {
  ASSERT_EQ(OpenWith("wsync.idx", SOLT_WSYNC_IDX, "word",
                     TextIndex({{"lovely", 6}, {"Love", 5}, {"abide", 1}, {"zeal", 9}})),
            0);
  const struct {
    const char* target;
    long key;
    const char* found;
  } cases[] = {
      {"lov", 5, "Love"},   {"LOVE", 5, "Love"}, {"lovea", 6, "lovely"}, {"", 1, "abide"},
      {"a", 1, "abide"},    {"m", 9, "zeal"},    {"zeal", 9, "zeal"},    {"zeals", -1, ""},
      {"\xFF", -1, ""},
  };
  for (const auto& c : cases) {
    std::string found = "stale";
    EXPECT_EQ(m_book.GetWSyncKeyPartialMatch(c.target, found), c.key) << c.target;
    EXPECT_EQ(found, c.found) << c.target;
  }
}

TEST_F(SyncText, EmptyIndex) {
  ASSERT_EQ(OpenWith("wsync.idx", SOLT_WSYNC_IDX, "word", TextIndex({})), 0);
  std::string found = "stale";
  EXPECT_EQ(m_book.GetWSyncKeyPartialMatch("", found), -1);
  EXPECT_EQ(found, "");
  EXPECT_EQ(m_book.GetWSyncKey(""), -1);
}

// On distinct sorted texts the search finds the first text not less than the
// target; checked against std::lower_bound for every size that takes a
// different path through the two-entry end game.
TEST_F(SyncText, NearestSearchOnEverySize) {
  for (int size : {1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17, 100, 257}) {
    SCOPED_TRACE(size);
    std::vector<TextEntry> entries;
    std::vector<std::string> texts;
    for (int i = 0; i < size; ++i) {
      char text[16];
      std::snprintf(text, sizeof text, "w%05d", i * 2 + 1);
      entries.push_back({i % 2 ? text : std::string("W") + (text + 1), 1000 + i});
      texts.push_back(text);
    }
    ASSERT_EQ(OpenWith("wsync.idx", SOLT_WSYNC_IDX, "word", TextIndex(entries)), 0);
    std::vector<std::string> targets = {"", "a", "w", "w0", "x", "~"};
    for (const std::string& t : texts) {
      targets.push_back(t);
      targets.push_back(t.substr(0, t.size() - 1) + static_cast<char>(t.back() - 1));
      targets.push_back(t.substr(0, t.size() - 1) + static_cast<char>(t.back() + 1));
      targets.push_back(t + "a");
    }
    for (const std::string& target : targets) {
      auto it = std::lower_bound(texts.begin(), texts.end(), target,
                                 [](const std::string& a, const std::string& b) { return solt::CompareNoCase(a, b) < 0; });
      const int want = it == texts.end() ? -1 : static_cast<int>(it - texts.begin());
      std::string found;
      ASSERT_EQ(m_book.GetWSyncKeyPartialMatch(target.c_str(), found), want < 0 ? -1 : 1000 + want) << target;
      ASSERT_TRUE(want < 0 ? found.empty() : solt::EqualsNoCase(found, texts[want])) << target;
      ASSERT_EQ(m_book.GetWSyncKey(target.c_str()),
                want >= 0 && solt::EqualsNoCase(texts[want], target) ? 1000 + want : -1)
          << target;
    }
  }
}

// Texts equal but for case: the search stops at the first probe that equals
// the target, so which of them answers is fixed by the probing order.
TEST_F(SyncText, EqualTextsAnswerAtTheFirstProbe) {
  const struct {
    int count;
    long key;
  } cases[] = {{1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 2}, {8, 3}};
  for (const auto& c : cases) {
    std::vector<TextEntry> entries;
    for (int i = 0; i < c.count; ++i) entries.push_back({i % 2 ? "LOVE" : "love", i});
    ASSERT_EQ(OpenWith("wsync.idx", SOLT_WSYNC_IDX, "word", TextIndex(entries)), 0);
    std::string found;
    EXPECT_EQ(m_book.GetWSyncKeyPartialMatch("Love", found), c.key) << c.count;
    EXPECT_EQ(m_book.GetWSyncKey("lOVE"), c.key) << c.count;
  }
}

TEST_F(SyncText, OtherLayouts) {
  const std::vector<TextEntry> entries = {{"alpha", 1}, {"beta", 2}, {"gamma", 3}, {"delta", 4}, {"omega", 5}};
  const struct {
    const char* name;
    uint16_t versionLength, entrySize;
    int headerDelta;
  } layouts[] = {
      {"wide entries", 16, 13, 0},
      {"long version record", 40, 8, 0},
      {"long header", 16, 8, 30},
      {"shortest header and version record", 12, 8, -6},
      {"everything longer", 25, 32, 7},
  };
  for (const auto& l : layouts) {
    SCOPED_TRACE(l.name);
    solt::sVersionInfo version = testbook::Version();
    version.recordLength = l.versionLength;
    ASSERT_EQ(OpenWith("wsync.idx", SOLT_WSYNC_IDX, "word",
                       ResizeTextHeader(TextIndex(entries, l.entrySize, version), l.headerDelta)),
              0);
    for (const TextEntry& e : entries) EXPECT_EQ(m_book.GetWSyncKey(e.text.c_str()), e.key) << e.text;
    std::string found;
    EXPECT_EQ(m_book.GetWSyncKeyPartialMatch("e", found), 3);
    EXPECT_EQ(found, "gamma");
  }
}

TEST_F(SyncText, WriterLayout) {
  // Keys and texts stored as given, sorted, texts after the table.
  std::string b = TextIndex({{"b", -5}, {"A", 7}}, 10);
  const size_t n0 = 16, table = n0 + 16;
  EXPECT_EQ(Get16(b, n0), 16);
  EXPECT_EQ(Get32(b, n0 + 4), 2u);
  EXPECT_EQ(Get16(b, n0 + 8), 10);
  EXPECT_EQ(Get32(b, table), 7u);
  EXPECT_EQ(Get32(b, table + 10), static_cast<uint32_t>(-5));
  EXPECT_EQ(Get32(b, table + 4), table + 20);
  EXPECT_EQ(b.substr(Get32(b, table + 14)), std::string("\x01\x00" "b", 3));
  EXPECT_EQ(b.size(), table + 20 + 6);
  EXPECT_EQ(Get16(TextIndex({}, 3), n0 + 8), 8) << "entry size below 8 is raised";
}

// --- vsync.idx ----------------------------------------------------------------

using SyncVerse = SyncFixture;

TEST_F(SyncVerse, ReferencesAsTheProgramWritesThem) {
  ASSERT_EQ(OpenWith("vsync.idx", SOLT_VSYNC_IDX, "verse",
                     VerseIndex({{43, 3, 16, 1316}, {43, 1, 1, 101}, {40, 5, 3, 503}, {45, 3, 16, 4516},
                                 {43, 3, 0, 300}, {43, 65535, 65535, 9999}})),
            0);
  const struct {
    const char* text;
    long key;
  } cases[] = {
      {"43,3,16", 1316},   {"43,1,1", 101},      {"40,5,3", 503},    {"45,3,16", 4516},
      {"43,3", -1},        {",3,16", -1},        {"43,,16", -1},     {"", -1},
      {"43", -1},          {",", -1},            {"43,3,", 300},     {" 43, 3, 16", 1316},
      {"+43,03,16xyz", 1316}, {"43,3,16,9", 1316}, {"43,3,17", -1},   {"43,2,16", -1},
      {"43,4,16", -1},     {"39,5,3", -1},       {"46,3,16", -1},    {"44,3,16", -1},
      {"-1,3,16", -1},     {"0,0,0", -1},        {"43,65539,16", -1}, {"43,65535,65535", 9999},
      {"65579,3,16", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(m_book.GetVSyncKey(c.text), c.key) << c.text;
  EXPECT_EQ(m_book.GetVSyncKey(nullptr), -1);
}

TEST_F(SyncVerse, SearchOnEveryRecordCount) {
  for (int count : {1, 2, 3, 4, 5, 7, 8, 31, 200, 2461}) {
    SCOPED_TRACE(count);
    std::vector<Verse> verses;
    // Added backwards and spread over chapters so the sort by chapter, then
    // verse, matters; book 19 holds the records, books 18 and 20 frame it.
    for (int i = count - 1; i >= 0; --i)
      verses.push_back({19, static_cast<uint16_t>(1 + i / 6), static_cast<uint16_t>(2 * (i % 6) + 1), 10 * i});
    verses.push_back({18, 1, 1, -7});
    verses.push_back({20, 1, 1, -8});
    ASSERT_EQ(OpenWith("vsync.idx", SOLT_VSYNC_IDX, "verse", VerseIndex(verses)), 0);
    for (int i = 0; i < count; ++i) {
      const int chapter = 1 + i / 6, verse = 2 * (i % 6) + 1;
      ASSERT_EQ(m_book.GetVSyncKey(Ref(19, chapter, verse).c_str()), 10 * i);
      ASSERT_EQ(m_book.GetVSyncKey(Ref(19, chapter, verse + 1).c_str()), -1);
      ASSERT_EQ(m_book.GetVSyncKey(Ref(19, chapter, verse - 1).c_str()), -1);
    }
    EXPECT_EQ(m_book.GetVSyncKey(Ref(19, 0, 1).c_str()), -1);
    EXPECT_EQ(m_book.GetVSyncKey(Ref(19, 1 + count / 6 + 1, 1).c_str()), -1);
    EXPECT_EQ(m_book.GetVSyncKey("18,1,1"), -7);
    EXPECT_EQ(m_book.GetVSyncKey("20,1,1"), -8);
  }
}

TEST_F(SyncVerse, WriterGroupsBooksAndKeepsTheLastKey) {
  std::string b = VerseIndex({{12, 2, 1, 5}, {10, 1, 1, 1}, {12, 1, 9, 4}, {10, 1, 1, 2}});
  const size_t n0 = 16, books = n0 + 16;
  EXPECT_EQ(Get16(b, n0 + 2), 10);
  EXPECT_EQ(Get16(b, n0 + 4), 12);
  EXPECT_EQ(Get32(b, books + 6), 0u) << "a book without verses has offset 0";
  EXPECT_EQ(Get16(b, books + 4), 1);
  EXPECT_EQ(Get16(b, books + 16), 2);
  const size_t book12 = Get32(b, books + 12);
  EXPECT_EQ(Get16(b, book12), 1);
  EXPECT_EQ(Get16(b, book12 + 2), 9);
  EXPECT_EQ(Get16(b, book12 + 8), 2);

  ASSERT_EQ(OpenWith("vsync.idx", SOLT_VSYNC_IDX, "verse", b), 0);
  EXPECT_EQ(m_book.GetVSyncKey("10,1,1"), 2);
  EXPECT_EQ(m_book.GetVSyncKey("11,1,1"), -1);
  EXPECT_EQ(m_book.GetVSyncKey("12,2,1"), 5);

  ASSERT_EQ(OpenWith("vsync.idx", SOLT_VSYNC_IDX, "verse", VerseIndex({})), 0);
  EXPECT_EQ(m_book.GetVSyncKey("1,1,1"), -1);
}

TEST_F(SyncVerse, OtherLayouts) {
  const std::vector<Verse> verses = {{1, 1, 1, 11}, {1, 50, 26, 15026}, {3, 2, 4, 324}, {66, 22, 21, 662221}};
  const struct {
    const char* name;
    uint16_t versionLength, bookSize, verseSize, extraHeader;
  } layouts[] = {
      {"wide book records", 16, 20, 8, 0},
      {"wide verse records", 16, 6, 14, 0},
      {"long header", 16, 6, 8, 50},
      {"everything longer", 33, 9, 11, 3},
  };
  for (const auto& l : layouts) {
    SCOPED_TRACE(l.name);
    solt::sVersionInfo version = testbook::Version();
    version.recordLength = l.versionLength;
    ASSERT_EQ(OpenWith("vsync.idx", SOLT_VSYNC_IDX, "verse",
                       WidenVerseHeader(VerseIndex(verses, l.bookSize, l.verseSize, version), l.extraHeader)),
              0);
    for (const Verse& v : verses) EXPECT_EQ(m_book.GetVSyncKey(Ref(v.book, v.chapter, v.verse).c_str()), v.key);
    EXPECT_EQ(m_book.GetVSyncKey("2,1,1"), -1);
  }
}

// --- damaged indexes -----------------------------------------------------------

struct Damage {
  const char* name;
  void (*damage)(std::string&);
};

constexpr size_t kN0 = 16;
constexpr size_t kTable = kN0 + 16;

std::string SampleTextIndex() { return TextIndex({{"alpha", 1}, {"beta", 2}, {"gamma", 3}}); }
std::string SampleVerseIndex() { return VerseIndex({{1, 1, 1, 11}, {3, 1, 2, 312}, {3, 4, 5, 345}}); }

using SyncDamaged = SyncFixture;

TEST_F(SyncDamaged, TextHeaderRefused) {
  const Damage cases[] = {
      {"header shorter than 10", [](std::string& b) { Put16(b, kN0, 9); }},
      {"header length below 2", [](std::string& b) { Put16(b, kN0, 1); }},
      {"header past the end", [](std::string& b) { b.resize(kN0 + 12); }},
      {"negative count", [](std::string& b) { Put32(b, kN0 + 4, 0xFFFFFFFF); }},
      {"count past the end", [](std::string& b) { Put32(b, kN0 + 4, 8); }},
      {"huge count", [](std::string& b) { Put32(b, kN0 + 4, 0x7FFFFFFF); }},
      {"entry size below 8", [](std::string& b) { Put16(b, kN0 + 8, 7); }},
      {"entry size past the end", [](std::string& b) { Put16(b, kN0 + 8, 0xFFFF); }},
  };
  for (const TextKind& kind : kTextKinds) {
    for (const Damage& c : cases) {
      SCOPED_TRACE(std::string(kind.file) + ": " + c.name);
      std::string b = SampleTextIndex();
      c.damage(b);
      EXPECT_EQ(OpenWith(kind.file, kind.flag, kind.syncType, b), SOLT_ERR_HEADER_AREA);
      EXPECT_EQ(m_book.GetOpenFlags(), 0ul);
    }
  }
}

TEST_F(SyncDamaged, TextEntriesRaise) {
  // Entry 1 ("beta") is the first probe of a three-entry search.
  const size_t beta = kTable + 8;
  const Damage cases[] = {
      {"text offset past the end", [](std::string& b) { Put32(b, beta + 4, 0x10000); }},
      {"text offset at the last byte", [](std::string& b) { Put32(b, beta + 4, static_cast<uint32_t>(b.size() - 1)); }},
      {"text offset negative", [](std::string& b) { Put32(b, beta + 4, 0xFFFFFFFE); }},
      {"text length negative", [](std::string& b) { Put16(b, Get32(b, beta + 4), 0xFFFF); }},
      {"text length past the end", [](std::string& b) { Put16(b, Get32(b, beta + 4), 0x7FFF); }},
      {"texts cut off", [](std::string& b) { b.resize(b.size() - 2); }},
  };
  for (const Damage& c : cases) {
    SCOPED_TRACE(c.name);
    std::string b = SampleTextIndex();
    c.damage(b);
    ASSERT_EQ(OpenWith("wsync.idx", SOLT_WSYNC_IDX, "word", b), 0);
    std::string found;
    EXPECT_THROW(m_book.GetWSyncKey("gamma"), platform::FileException);
    EXPECT_THROW(m_book.GetWSyncKeyPartialMatch("c", found), platform::FileException);
  }
}

TEST_F(SyncDamaged, SearchReadsOnlyTheEntriesItProbes) {
  // Entry 0 ("alpha") is damaged; a three-entry search reaches it only for
  // targets below the middle entry.
  std::string b = SampleTextIndex();
  Put32(b, kTable + 4, 0x10000);
  ASSERT_EQ(OpenWith("wsync.idx", SOLT_WSYNC_IDX, "word", b), 0);
  EXPECT_EQ(m_book.GetWSyncKey("beta"), 2);
  EXPECT_EQ(m_book.GetWSyncKey("gamma"), 3);
  EXPECT_EQ(m_book.GetWSyncKey("zeta"), -1);
  EXPECT_THROW(m_book.GetWSyncKey("alpha"), platform::FileException);
  EXPECT_THROW(m_book.GetWSyncKey("b"), platform::FileException);
}

TEST_F(SyncDamaged, VerseHeaderRefused) {
  const Damage cases[] = {
      {"header shorter than 10", [](std::string& b) { Put16(b, kN0, 8); }},
      {"header past the end", [](std::string& b) { b.resize(kN0 + 14); }},
      {"first book after the last", [](std::string& b) { Put16(b, kN0 + 2, 4); }},
      {"book record size below 6", [](std::string& b) { Put16(b, kN0 + 6, 5); }},
      {"verse record size below 8", [](std::string& b) { Put16(b, kN0 + 8, 7); }},
      {"book records past the end", [](std::string& b) { Put16(b, kN0 + 4, 0xFFFF); }},
      {"book records cut off", [](std::string& b) { b.resize(kTable + 17); }},
  };
  for (const Damage& c : cases) {
    SCOPED_TRACE(c.name);
    std::string b = SampleVerseIndex();
    c.damage(b);
    EXPECT_EQ(OpenWith("vsync.idx", SOLT_VSYNC_IDX, "verse", b), SOLT_ERR_HEADER_AREA);
    EXPECT_EQ(m_book.GetOpenFlags(), 0ul);
  }
}

TEST_F(SyncDamaged, VerseRecordsRaise) {
  // Book 3's record is the third of the table (books 1 to 3).
  const size_t book3 = kTable + 12;
  const Damage cases[] = {
      {"records past the end", [](std::string& b) { Put32(b, book3, static_cast<uint32_t>(b.size())); }},
      {"offset negative", [](std::string& b) { Put32(b, book3, 0x80000000); }},
      {"count past the end", [](std::string& b) { Put16(b, book3 + 4, 3); }},
      {"huge count", [](std::string& b) { Put16(b, book3 + 4, 0xFFFF); }},
      {"records cut off", [](std::string& b) { b.resize(b.size() - 1); }},
  };
  for (const Damage& c : cases) {
    SCOPED_TRACE(c.name);
    std::string b = SampleVerseIndex();
    c.damage(b);
    ASSERT_EQ(OpenWith("vsync.idx", SOLT_VSYNC_IDX, "verse", b), 0);
    EXPECT_THROW(m_book.GetVSyncKey("3,4,5"), platform::FileException);
    EXPECT_EQ(m_book.GetVSyncKey("1,1,1"), 11) << "the undamaged book still reads";
  }
}

TEST_F(SyncDamaged, VerseRecordCountZeroFindsNothing) {
  std::string b = SampleVerseIndex();
  Put16(b, kTable + 12 + 4, 0);
  ASSERT_EQ(OpenWith("vsync.idx", SOLT_VSYNC_IDX, "verse", b), 0);
  EXPECT_EQ(m_book.GetVSyncKey("3,1,2"), -1);
}

}  // namespace
