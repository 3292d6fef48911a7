// The table of contents: entries, sibling runs, paths, key ranges, and what
// damaged files do.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "platform/coding.h"
#include "platform/messages.h"
#include "soltread/indexwriters.h"
#include "testbook.h"

namespace {

using testbook::BookDir;

// One entry as the tests expect to read it back.
struct Expected {
  const char* name;
  int level, bookKey, levelCount;
  int parent, child, next, prev;
  bool glossary = false;
};

// A small commentary: two parts, a level skipped under Part Two, a section
// that shares its area with the glossary entry after it, and a glossary.
const Expected kBook[] = {
    // name            lvl area cnt parent child next prev
    {"Part One",        1,  1,  0,  -1,    1,   6,   -1},
    {"Chapter 1",       2,  1,  1,   0,    2,   3,   -1},
    {"Intro",           3,  2,  0,   1,   -1,  -1,   -1},
    {"Chapter 2",       2,  3,  0,   0,    4,  -1,    1},
    {"Notes",           3,  3,  1,   3,   -1,   5,   -1},
    {"Summary",         3,  3,  2,   3,   -1,  -1,    4},
    {"Part Two",        1,  4,  0,  -1,    7,  -1,    0},
    {"Appendix",        3,  5,  0,   6,    8,   9,   -1},
    {"Table",           4,  5,  1,   7,   -1,  -1,   -1},
    {"Maps",            3,  6,  0,   6,   -1,  -1,    7},
    {"Aaron",           4,  6,  1,  -1,   -1,  11,   -1, true},
    {"",                4,  7,  0,  -1,   -1,  12,   10, true},
    {"Zion",            4,  8,  0,  -1,   -1,  -1,   11, true},
};
constexpr int kSections = 10;
constexpr int kEntries = static_cast<int>(sizeof kBook / sizeof kBook[0]);

solt::cSectionsWriter MakeWriter(const solt::sVersionInfo& version = testbook::Version()) {
  solt::cSectionsWriter writer(version);
  for (const Expected& e : kBook) {
    int key = e.glossary ? writer.AddGlossary(e.name, e.level, e.bookKey, e.levelCount)
                         : writer.AddSection(e.name, e.level, e.bookKey, e.levelCount);
    EXPECT_EQ(key, static_cast<int>(&e - kBook));
  }
  return writer;
}

// A book folder whose sections.idx holds `bytes`, and a book on it.
struct SectionsBook {
  explicit SectionsBook(const std::string& bytes, const solt::sVersionInfo& version = testbook::Version())
      : dir(solt::cViewableWriter(version), version), book(dir.MakeBook()) {
    testbook::WriteBytes(dir.File("sections.idx"), bytes);
  }
  int Open() { return book.Open(SOLT_SECTIONS_IDX); }
  BookDir dir;
  cSOLTBook book;
};

void ExpectEntry(const cSectionsData& got, int key) {
  const Expected& e = kBook[key];
  SCOPED_TRACE(key);
  EXPECT_EQ(got.GetName(), e.name);
  EXPECT_EQ(got.GetLevel(), e.level);
  EXPECT_EQ(got.GetBookKey(), e.bookKey);
  EXPECT_EQ(got.GetLevelCount(), e.levelCount);
  EXPECT_EQ(got.GetSectionKey(), key);
  EXPECT_EQ(got.GetParentKey(), e.parent);
  EXPECT_EQ(got.GetChildKey(), e.child);
  EXPECT_EQ(got.GetNextKey(), e.next);
  EXPECT_EQ(got.GetPrevKey(), e.prev);
}

// Layouts another writer might choose: longer version record, header and
// entry records than ours.
struct Layout {
  const char* name;
  uint16_t versionLength, headerLength, entrySize;
};
const Layout kLayouts[] = {
    {"ours", 16, 16, 23},
    {"shortest", 12, 12, 23},
    {"wide", 40, 30, 31},
    {"very_wide", 100, 64, 200},
};

class Sections : public testing::TestWithParam<Layout> {
 protected:
  void SetUp() override {
    solt::sVersionInfo version = testbook::Version();
    version.recordLength = GetParam().versionLength;
    solt::cSectionsWriter writer = MakeWriter(version);
    writer.SetHeaderLength(GetParam().headerLength);
    writer.SetEntrySize(GetParam().entrySize);
    m_files = std::make_unique<SectionsBook>(writer.Build(), version);
    ASSERT_EQ(m_files->Open(), 0);
  }
  void TearDown() override {
    m_files.reset();
    EXPECT_EQ(GetLiveFileSetCount(), 0);
  }
  cSOLTBook& Book() { return m_files->book; }

  std::unique_ptr<SectionsBook> m_files;
};

TEST_P(Sections, EveryEntryReadsBack) {
  for (int key = 0; key < kEntries; ++key) {
    cSectionsData entry;
    ASSERT_EQ(Book().GetEntry(key, entry), 0) << key;
    ExpectEntry(entry, key);
    cSectionsData other;
    EXPECT_EQ(key < kSections ? Book().GetSection(key, other) : Book().GetGlossary(key, other), 0);
    EXPECT_EQ(other.GetName(), entry.GetName());
  }
}

TEST_P(Sections, KeyRanges) {
  EXPECT_EQ(Book().GetLastSectionKey(), kSections - 1);
  EXPECT_EQ(Book().GetLastKey(), kEntries - 1);
  const struct {
    int key, section, glossary, any;
  } cases[] = {
      {-2, 0, 1, 0},  {-1, 0, 0, 0},        {0, 1, 0, 1},
      {kSections - 1, 1, 0, 1},              {kSections, 0, 1, 1},
      {kEntries - 1, 0, 1, 1},               {kEntries, 0, 0, 0},
      {1 << 30, 0, 0, 0},                    {INT32_MIN, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(Book().IsValidSectionKey(c.key), c.section);
    EXPECT_EQ(Book().IsValidGlossaryKey(c.key), c.glossary);
    EXPECT_EQ(Book().IsValidKey(c.key), c.any);
  }
}

TEST_P(Sections, WrongKindOfKeyLeavesTheEntryAlone) {
  cSectionsData entry;
  entry.SetName("untouched");
  for (int key : {-1, -2, kSections, kEntries}) EXPECT_EQ(Book().GetSection(key, entry), 1) << key;
  for (int key : {-1, 0, kSections - 1, kEntries}) EXPECT_EQ(Book().GetGlossary(key, entry), 1) << key;
  for (int key : {-1, kEntries}) EXPECT_EQ(Book().GetEntry(key, entry), 1) << key;
  EXPECT_EQ(entry.GetName(), "untouched");
  EXPECT_EQ(entry.GetSectionKey(), -1);

  ASSERT_EQ(Book().GetGlossary(-2, entry), 0);
  ExpectEntry(entry, kSections);
  ASSERT_EQ(Book().GetEntry(-2, entry), 0);
  ExpectEntry(entry, kSections);
}

TEST_P(Sections, SiblingRuns) {
  const struct {
    int key;
    int siblings;
    std::vector<int> run;  // the key and its next siblings
  } cases[] = {
      {0, 2, {0, 6}}, {6, 2, {6}},    {1, 2, {1, 3}}, {3, 2, {3}},
      {2, 1, {2}},    {4, 2, {4, 5}}, {7, 2, {7, 9}}, {8, 1, {8}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(Book().GetSiblingSectionCount(c.key), c.siblings);
    std::vector<cSectionsData> entries(1);  // appended to, not replaced
    EXPECT_EQ(Book().GetSectionsArray(c.key, entries), static_cast<int>(c.run.size()) + 1);
    ASSERT_EQ(entries.size(), c.run.size() + 1);
    EXPECT_EQ(entries[0].GetSectionKey(), -1);
    for (size_t i = 0; i < c.run.size(); ++i) ExpectEntry(entries[i + 1], c.run[i]);
  }
  for (int key : {-1, kSections, kEntries}) {
    EXPECT_THROW(Book().GetSiblingSectionCount(key), platform::FileException) << key;
    std::vector<cSectionsData> entries(2);
    EXPECT_EQ(Book().GetSectionsArray(key, entries), 2) << key;
  }
}

struct EnumState {
  std::vector<int> keys;
  int stopAfter;  // callbacks answering nonzero before the one that stops
};

int Collect(cSectionsData& entry, void* user) {
  auto* state = static_cast<EnumState*>(user);
  state->keys.push_back(entry.GetSectionKey());
  return static_cast<int>(state->keys.size()) <= state->stopAfter ? 1 : 0;
}

TEST_P(Sections, EnumSectionsCountsTheCallbacksThatGoOn) {
  const struct {
    int key, stopAfter, result;
    std::vector<int> called;
  } cases[] = {
      {0, 100, 3, {0, 6}},  // runs to the end of the siblings: 1 + 2
      {0, 1, 2, {0, 6}},    // the second callback stops
      {0, 0, 1, {0}},       // the first callback stops at once
      {4, 100, 3, {4, 5}},
      {2, 100, 2, {2}},
      {-1, 100, 0, {}},
      {kSections, 100, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EnumState state{{}, c.stopAfter};
    EXPECT_EQ(Book().EnumSections(c.key, Collect, &state), c.result);
    EXPECT_EQ(state.keys, c.called);
  }
}

TEST_P(Sections, SectionKeyFromPath) {
  const struct {
    const char* path;
    int key;
  } cases[] = {
      {"\\Part One\\Chapter 2\\Notes", 4},
      {"Part One\\Chapter 2\\Notes", 4},
      {"part one\\CHAPTER 2\\notes\\", 4},
      {"\\\\Part One\\\\Chapter 2\\Notes\\\\", 4},
      {"\\Part One", 0},
      {"Part Two", 6},
      {"Part Two\\Maps", 9},
      {"Part Two\\Appendix\\Table", 8},
      {"Chapter 1", -1},                         // not at the top
      {"Part One\\Chapter 2\\Notes\\More", -1},  // Notes has no children
      {"Part One\\Chapter 3", -1},
      {"Part One\\Chapter", -1},                 // a whole name, not a prefix
      {"Aaron", -1},                             // glossary entries are not sections
      {"", -1},
      {"\\", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(Book().GetSectionKey(c.path), c.key) << c.path;
}

TEST_P(Sections, PathsFromKeys) {
  const struct {
    int key;
    const char* path;
    const char* formatted;
  } cases[] = {
      {4, "\\Part One\\Chapter 2\\Notes", "Part One > Chapter 2 > Notes"},
      {0, "\\Part One", "Part One"},
      {8, "\\Part Two\\Appendix\\Table", "Part Two > Appendix > Table"},
      {5, "\\Part One\\Chapter 2\\Summary", "Part One > Chapter 2 > Summary"},
      {2, "\\Part One\\Chapter 1\\Intro", "Part One > Chapter 1 > Intro"},
      {9, "\\Part Two\\Maps", "Part Two > Maps"},
      {10, "\\Aaron", "Aaron"},
      {11, "\\", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(Book().GetPathFromKey(c.key), c.path);
    EXPECT_EQ(Book().GetFormattedPathFromKey(c.key, " > "), c.formatted);
    EXPECT_EQ(Book().GetSectionKey(c.path), c.key < kSections ? c.key : -1);
  }
  EXPECT_EQ(Book().GetFormattedPathFromKey(4, ""), "Part OneChapter 2Notes");
  for (int key : {-1, -2, kEntries}) {
    EXPECT_THROW(Book().GetPathFromKey(key), platform::FileException) << key;
    EXPECT_THROW(Book().GetFormattedPathFromKey(key, "/"), platform::FileException) << key;
  }
}

TEST_P(Sections, FormattedPathsInAnyOrderMatchThePlainOnes) {
  // The remembered ancestors must never leak from one subtree into another,
  // whatever order the entries are formatted in (the levels under Part Two
  // skip one, so a stale slot would show).
  const int order[] = {8, 4, 8, 2, 9, 5, 0, 8, 3, 7, 12, 4, 1, 8, 6, 2};
  for (int key : order) {
    std::string plain = Book().GetPathFromKey(key);
    std::string formatted = Book().GetFormattedPathFromKey(key, "\\");
    EXPECT_EQ("\\" + formatted, plain) << key;
  }
}

TEST_P(Sections, KeyRangeCoversTheArea) {
  const struct {
    int key, first, last;
  } cases[] = {
      {0, 0, 1}, {1, 0, 1}, {2, 2, 2}, {4, 3, 5}, {6, 6, 6},
      {9, 9, 10},  // the last section shares its area with the first glossary entry
      {10, 9, 10}, {12, 12, 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    cSectionsData entry;
    ASSERT_EQ(Book().GetEntry(c.key, entry), 0);
    int first = -100, last = -100;
    Book().GetKeyRange(entry, &first, &last);
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(last, c.last);
  }
  cSectionsData none;
  int first, last;
  EXPECT_THROW(Book().GetKeyRange(none, &first, &last), platform::FileException);
  none.SetSectionKey(kEntries);
  EXPECT_THROW(Book().GetKeyRange(none, &first, &last), platform::FileException);
}

INSTANTIATE_TEST_SUITE_P(Layouts, Sections, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

// --- smaller books ---------------------------------------------------------

class SectionsEdge : public testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(GetLiveFileSetCount(), 0); }
};

TEST_F(SectionsEdge, EveryOperationNeedsTheFileOpen) {
  SectionsBook files(MakeWriter().Build());
  cSOLTBook& book = files.book;
  ASSERT_EQ(book.Open(SOLT_VIEWABLE_IDX), 0);  // something else open, not sections.idx
  for (int round = 0; round < 2; ++round) {
    cSectionsData entry;
    std::vector<cSectionsData> entries;
    int first, last;
    EXPECT_THROW(book.GetSection(0, entry), platform::FileException);
    EXPECT_THROW(book.GetGlossary(-2, entry), platform::FileException);
    EXPECT_THROW(book.GetEntry(0, entry), platform::FileException);
    EXPECT_THROW(book.IsValidSectionKey(0), platform::FileException);
    EXPECT_THROW(book.IsValidGlossaryKey(-2), platform::FileException);
    EXPECT_THROW(book.IsValidKey(0), platform::FileException);
    EXPECT_THROW(book.GetLastSectionKey(), platform::FileException);
    EXPECT_THROW(book.GetLastKey(), platform::FileException);
    EXPECT_THROW(book.GetSiblingSectionCount(0), platform::FileException);
    EXPECT_THROW(book.GetSectionsArray(0, entries), platform::FileException);
    EXPECT_THROW(book.EnumSections(0, Collect, nullptr), platform::FileException);
    EXPECT_THROW(book.GetSectionKey("Part One"), platform::FileException);
    EXPECT_THROW(book.GetPathFromKey(0), platform::FileException);
    EXPECT_THROW(book.GetFormattedPathFromKey(0, "/"), platform::FileException);
    EXPECT_THROW(book.GetKeyRange(entry, &first, &last), platform::FileException);
    // Once opened and closed again, the same.
    ASSERT_EQ(book.Open(SOLT_SECTIONS_IDX), 0);
    EXPECT_EQ(book.GetLastKey(), kEntries - 1);
    book.Close(SOLT_SECTIONS_IDX);
  }
}

TEST_F(SectionsEdge, BooksWithoutSectionsOrGlossary) {
  const struct {
    const char* name;
    int sections, glossary;
  } cases[] = {{"empty", 0, 0}, {"glossary only", 0, 2}, {"sections only", 3, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    solt::cSectionsWriter writer(testbook::Version());
    for (int i = 0; i < c.sections; ++i) writer.AddSection("S" + std::to_string(i), 1 + i, i, 0);
    for (int i = 0; i < c.glossary; ++i) writer.AddGlossary("G" + std::to_string(i), 2, 10 + i, 0);
    SectionsBook files(writer.Build());
    ASSERT_EQ(files.Open(), 0);
    cSOLTBook& book = files.book;
    EXPECT_EQ(book.GetLastSectionKey(), c.sections - 1);
    EXPECT_EQ(book.GetLastKey(), c.sections + c.glossary - 1);
    EXPECT_EQ(book.IsValidGlossaryKey(-2), 1);
    cSectionsData entry;
    EXPECT_EQ(book.GetSection(0, entry), c.sections ? 0 : 1);
    EXPECT_EQ(book.GetGlossary(-2, entry), c.glossary ? 0 : 1);
    EXPECT_EQ(entry.GetSectionKey(), c.glossary ? c.sections : (c.sections ? 0 : -1));
    EXPECT_EQ(book.EnumSections(0, [](cSectionsData&, void*) { return 1; }, nullptr),
              c.sections ? 2 : 0);  // the sections are nested, so each run is one long
    EXPECT_EQ(book.GetSectionKey("S0"), c.sections ? 0 : -1);
    EXPECT_EQ(book.GetSectionKey("G0"), -1);
    if (c.sections) {
      // Each section nests in the one before, down to the last, which has
      // no child (in kBook, not even with deeper glossary entries after it).
      EXPECT_EQ(book.GetPathFromKey(c.sections - 1), "\\S0\\S1\\S2");
      ASSERT_EQ(book.GetSection(c.sections - 1, entry), 0);
      EXPECT_EQ(entry.GetChildKey(), -1);
    }
    if (c.glossary) {
      ASSERT_EQ(book.GetGlossary(c.sections + 1, entry), 0);
      EXPECT_EQ(entry.GetPrevKey(), c.sections);
      EXPECT_EQ(entry.GetParentKey(), -1);
    }
  }
}

TEST_F(SectionsEdge, WriterKeepsSectionsBeforeGlossaryAndCutsLongNames) {
  solt::cSectionsWriter writer(testbook::Version());
  EXPECT_EQ(writer.AddGlossary("Gloss", 1, 5, 0), 0);
  EXPECT_EQ(writer.AddSection(std::string(40000, 'x'), 1, 1, 0), 0);
  EXPECT_EQ(writer.AddSection("Second", 1, 2, 0), 1);
  EXPECT_EQ(writer.GetSectionCount(), 2);
  EXPECT_EQ(writer.GetGlossaryCount(), 1);
  SectionsBook files(writer.Build());
  ASSERT_EQ(files.Open(), 0);
  cSectionsData entry;
  ASSERT_EQ(files.book.GetGlossary(-2, entry), 0);
  EXPECT_EQ(entry.GetName(), "Gloss");
  EXPECT_EQ(entry.GetSectionKey(), 2);
  ASSERT_EQ(files.book.GetSection(0, entry), 0);
  EXPECT_EQ(entry.GetName(), std::string(32767, 'x'));
  EXPECT_EQ(entry.GetNextKey(), 1);
}

// Rewrites bytes of a file in place while it is open.
void Patch(const std::string& path, size_t at, const std::string& bytes) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(static_cast<std::streamoff>(at));
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(SectionsEdge, FormattedPathsRememberAncestorsUntilClosed) {
  std::string bytes = MakeWriter().Build();
  SectionsBook files(bytes);
  ASSERT_EQ(files.Open(), 0);
  cSOLTBook& book = files.book;
  EXPECT_EQ(book.GetFormattedPathFromKey(4, "/"), "Part One/Chapter 2/Notes");
  // Renaming Part One on disk shows in plain paths at once, but formatted
  // paths under the remembered Chapter 2 still use the name read before.
  size_t name = bytes.find("Part One");
  ASSERT_NE(name, std::string::npos);
  Patch(files.dir.File("sections.idx"), name, "PART ONE");
  EXPECT_EQ(book.GetPathFromKey(5), "\\PART ONE\\Chapter 2\\Summary");
  EXPECT_EQ(book.GetFormattedPathFromKey(5, "/"), "Part One/Chapter 2/Summary");
  book.Close(SOLT_SECTIONS_IDX);
  ASSERT_EQ(book.Open(SOLT_SECTIONS_IDX), 0);
  EXPECT_EQ(book.GetFormattedPathFromKey(5, "/"), "PART ONE/Chapter 2/Summary");
}

// --- damaged files -----------------------------------------------------------

// Offsets in sections.idx as our writer lays out kBook.
constexpr size_t kHeader = 16;
constexpr size_t kTable = 32;
constexpr size_t kEntrySize = 23;
size_t RecordAt(int key) { return kTable + static_cast<size_t>(key) * kEntrySize; }
uint32_t Link(int key) { return static_cast<uint32_t>(RecordAt(key)); }
void Put32(std::string& bytes, size_t at, uint32_t value) { platform::EncodeFixed32(bytes.data() + at, value); }
void Put16(std::string& bytes, size_t at, uint16_t value) { platform::EncodeFixed16(bytes.data() + at, value); }
uint32_t Get32(const std::string& bytes, size_t at) { return platform::DecodeFixed32(bytes.data() + at); }

struct DamageCase {
  const char* name;
  void (*damage)(std::string&);
};

class SectionsCorrupt : public testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(GetLiveFileSetCount(), 0); }
  platform::RecordingMessages m_messages;
  platform::ScopedMessages m_scope{&m_messages};
};

TEST_F(SectionsCorrupt, OpenRefusesDamagedHeaders) {
  const DamageCase cases[] = {
      {"no header at all", [](std::string& b) { b.resize(kHeader); }},
      {"header cut short", [](std::string& b) { b.resize(kHeader + 8); }},
      {"header shorter than 12", [](std::string& b) { Put16(b, kHeader, 11); }},
      {"header longer than the file", [](std::string& b) { Put16(b, kHeader, 60000); }},
      {"negative section count", [](std::string& b) { Put32(b, kHeader + 2, 0xFFFFFFFF); }},
      {"negative glossary count", [](std::string& b) { Put32(b, kHeader + 6, 0x80000000); }},
      {"section count past the file", [](std::string& b) { Put32(b, kHeader + 2, 1000); }},
      {"glossary count past the file", [](std::string& b) { Put32(b, kHeader + 6, 100); }},
      {"counts that overflow", [](std::string& b) {
         Put32(b, kHeader + 2, 0x7FFFFFFF);
         Put32(b, kHeader + 6, 0x7FFFFFFF);
       }},
      {"entry size below 23", [](std::string& b) { Put16(b, kHeader + 10, 22); }},
      {"entry size zero", [](std::string& b) { Put16(b, kHeader + 10, 0); }},
      {"entry size past the file", [](std::string& b) { Put16(b, kHeader + 10, 0xFFFF); }},
      {"table cut short", [](std::string& b) { b.resize(RecordAt(kEntries) - 1); }},
  };
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = MakeWriter().Build();
    c.damage(bytes);
    SectionsBook files(bytes);
    EXPECT_EQ(files.Open(), SOLT_ERR_HEADER_AREA);
    EXPECT_EQ(files.book.GetOpenFlags(), 0ul);
  }
}

// Runs every operation on every key; each must answer or raise
// FileException. Returns how many raised (none for a sound file).
int Exercise(cSOLTBook& book) {
  int raised = 0;
  auto attempt = [&](auto&& call) {
    try {
      call();
    } catch (const platform::FileException&) {
      ++raised;
    }
  };
  for (int key = 0; key < kEntries; ++key) {
    cSectionsData entry;
    std::vector<cSectionsData> entries;
    int first, last;
    attempt([&] { book.GetEntry(key, entry); });
    if (key < kSections) attempt([&] { book.GetSiblingSectionCount(key); });
    attempt([&] { book.GetSectionsArray(key, entries); });
    attempt([&] { book.EnumSections(key, [](cSectionsData&, void*) { return 1; }, nullptr); });
    attempt([&] { book.GetPathFromKey(key); });
    attempt([&] { book.GetFormattedPathFromKey(key, "/"); });
    entry.SetSectionKey(key);
    attempt([&] { book.GetKeyRange(entry, &first, &last); });
  }
  for (const char* path : {"Part One\\Chapter 2\\Summary", "Part Two\\Maps", "Part Two\\Nowhere"})
    attempt([&] { book.GetSectionKey(path); });
  return raised;
}

TEST_F(SectionsCorrupt, DamagedEntriesRaiseInsteadOfLooping) {
  const struct {
    const char* name;
    void (*damage)(std::string&);
    void (*check)(cSOLTBook&);
  } cases[] = {
      {"next sibling loops back", [](std::string& b) { Put32(b, RecordAt(5) + 8, Link(4)); },
       [](cSOLTBook& book) {
         std::vector<cSectionsData> entries;
         EXPECT_THROW(book.GetSectionsArray(4, entries), platform::FileException);
         EXPECT_THROW(book.EnumSections(4, [](cSectionsData&, void*) { return 1; }, nullptr),
                      platform::FileException);
         EXPECT_THROW(book.GetSiblingSectionCount(4), platform::FileException);
         EXPECT_THROW(book.GetSectionKey("Part One\\Chapter 2\\Nowhere"), platform::FileException);
         // A match before the loop closes is still found.
         EXPECT_EQ(book.GetSectionKey("Part One\\Chapter 2\\Summary"), 5);
       }},
      {"next sibling is itself", [](std::string& b) { Put32(b, RecordAt(6) + 8, Link(6)); },
       [](cSOLTBook& book) { EXPECT_THROW(book.GetSiblingSectionCount(6), platform::FileException); }},
      {"previous sibling loops", [](std::string& b) { Put32(b, RecordAt(0) + 4, Link(6)); },
       [](cSOLTBook& book) { EXPECT_THROW(book.GetSiblingSectionCount(6), platform::FileException); }},
      {"parent loops", [](std::string& b) { Put32(b, RecordAt(0), Link(4)); },
       [](cSOLTBook& book) {
         EXPECT_THROW(book.GetPathFromKey(4), platform::FileException);
         EXPECT_THROW(book.GetFormattedPathFromKey(4, "/"), platform::FileException);
         EXPECT_THROW(book.GetFormattedPathFromKey(5, "/"), platform::FileException);  // after caching
       }},
      {"parent is itself", [](std::string& b) { Put32(b, RecordAt(8), Link(8)); },
       [](cSOLTBook& book) { EXPECT_THROW(book.GetFormattedPathFromKey(8, "/"), platform::FileException); }},
      {"link before the table", [](std::string& b) { Put32(b, RecordAt(1) + 8, kTable - 1); },
       [](cSOLTBook& book) {
         cSectionsData entry;
         EXPECT_THROW(book.GetSection(1, entry), platform::FileException);
         EXPECT_EQ(entry.GetSectionKey(), -1) << "a damaged entry is not half filled";
       }},
      {"link past the table", [](std::string& b) { Put32(b, RecordAt(1), Link(kEntries)); },
       [](cSOLTBook& book) { EXPECT_THROW(book.GetPathFromKey(2), platform::FileException); }},
      {"link past the file", [](std::string& b) { Put32(b, RecordAt(2) + 4, 0x7FFFFFFF); },
       [](cSOLTBook& book) {
         cSectionsData entry;
         EXPECT_THROW(book.GetSection(2, entry), platform::FileException);
       }},
      {"negative link", [](std::string& b) { Put32(b, RecordAt(3) + 8, 0xFFFFFFF0); },
       [](cSOLTBook& book) { EXPECT_THROW(book.GetSiblingSectionCount(1), platform::FileException); }},
      {"name length past the end", [](std::string& b) { Put16(b, Get32(b, RecordAt(12) + 19), 0x7FFF); },
       [](cSOLTBook& book) { EXPECT_THROW(book.GetPathFromKey(12), platform::FileException); }},
      {"negative name length", [](std::string& b) { Put16(b, Get32(b, RecordAt(0) + 19), 0xFFFF); },
       [](cSOLTBook& book) { EXPECT_THROW(book.GetFormattedPathFromKey(3, "/"), platform::FileException); }},
      {"name offset past the end", [](std::string& b) { Put32(b, RecordAt(3) + 19, static_cast<uint32_t>(b.size() - 1)); },
       [](cSOLTBook& book) { EXPECT_THROW(book.GetSectionKey("Part One\\Chapter 2"), platform::FileException); }},
      {"negative name offset", [](std::string& b) { Put32(b, RecordAt(7) + 19, 0x80000000); },
       [](cSOLTBook& book) { EXPECT_THROW(book.GetSectionKey("Part Two\\Maps"), platform::FileException); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = MakeWriter().Build();
    c.damage(bytes);
    SectionsBook files(bytes);
    ASSERT_EQ(files.Open(), 0);
    c.check(files.book);
    EXPECT_GT(Exercise(files.book), 0);
  }
}

TEST_F(SectionsCorrupt, OffsetsInsideARecordNameThatRecord) {
  // Links are turned into keys by whole records, so an offset into the middle
  // of a record still names it.
  std::string bytes = MakeWriter().Build();
  Put32(bytes, RecordAt(4) + 8, Link(5) + kEntrySize - 1);
  SectionsBook files(bytes);
  ASSERT_EQ(files.Open(), 0);
  cSectionsData entry;
  ASSERT_EQ(files.book.GetSection(4, entry), 0);
  EXPECT_EQ(entry.GetNextKey(), 5);
  EXPECT_EQ(Exercise(files.book), 0);
}

}  // namespace
