// Window synchronisation: the section a book takes for a Bible verse (with
// the nearest-verse search of its chapter), and which windows follow a move.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/books/windowsync.h"
#include "biblefile/biblemodule.h"
#include "soltread/tests/testbook.h"

namespace klmw {
namespace {

struct SyncEntry {
  uint16_t book, chapter, verse;
  int32_t key;
};

std::string VerseSyncIndex(const std::vector<SyncEntry>& entries) {
  solt::cVerseSyncWriter writer(testbook::Version());
  for (const SyncEntry& e : entries) writer.Add(e.book, e.chapter, e.verse, e.key);
  return writer.Build();
}

// Genesis 1 has 10 verses (indexes 0-9), Genesis 2 three (10-12), Exodus 1
// two (13-14).
class VerseSyncKeyTest : public testing::Test {
 protected:
  VerseSyncKeyTest() : m_dir(Viewable()) {
    EXPECT_TRUE(m_bible.ParseDefinition("TDBFILE=\"KJS.dat\"\n{Genesis\txx10,3}\n{Exodus\txx2}\n", ""));
  }
  static solt::cViewableWriter Viewable() {
    solt::cViewableWriter viewable(testbook::Version());
    viewable.SetHeaderArea("{\\rtf1");
    return viewable;
  }
  void WriteIndex(const std::string& bytes) { testbook::WriteBytes(m_dir.File("vsync.idx"), bytes); }

  testbook::BookDir m_dir;
  CBibleModule m_bible;
};

TEST_F(VerseSyncKeyTest, NearestVerseOfTheChapterWins) {
  const struct {
    const char* what;
    std::vector<SyncEntry> index;
    int verse;
    long key;
  } cases[] = {
      {"the verse itself", {{1, 1, 4, 40}, {1, 1, 5, 50}}, 4, 50},
      {"verses 4 and 5 missing: 4 is tried, then 6", {{1, 1, 3, 30}, {1, 1, 6, 60}}, 4, 60},
      {"one back wins over one forward", {{1, 1, 4, 40}, {1, 1, 6, 60}}, 4, 40},
      {"three rounds back", {{1, 1, 2, 20}}, 4, 20},
      {"forward to the chapter's last verse", {{1, 1, 10, 100}}, 0, 100},
      {"no further back than the rounds allow", {{1, 1, 1, 10}}, 9, -1},
      {"the chapter after has no say", {{1, 2, 1, 200}}, 9, -1},
      {"the first verse of the next chapter", {{1, 2, 1, 200}}, 10, 200},
      {"another Bible book has no say", {{2, 1, 1, 300}}, 4, -1},
      {"the second book", {{2, 1, 1, 300}}, 14, 300},
      {"a negative key is none", {{1, 1, 5, -7}, {1, 1, 6, 60}}, 4, 60},
      {"an empty index", {}, 4, -1},
      {"beyond the Bible", {{1, 1, 1, 10}}, 15, -1},
      {"before the Bible", {{1, 1, 1, 10}}, -1, -1},
  };
  cSOLTBook book = m_dir.MakeBook("verse");
  for (const auto& c : cases) {
    WriteIndex(VerseSyncIndex(c.index));
    EXPECT_EQ(FindVerseSyncKey(book, m_bible, c.verse), c.key) << c.what;
    // The index is let go again, so the next case reads its own.
    EXPECT_FALSE(book.IsOpen(SOLT_VSYNC_IDX)) << c.what;
  }
}

TEST_F(VerseSyncKeyTest, UnreadableIndexesGiveNone) {
  const std::string good = VerseSyncIndex({{1, 1, 5, 50}});
  const struct {
    const char* what;
    const char* syncType;
    bool present;
    std::string bytes;
  } cases[] = {
      {"a word book", "word", true, good},
      {"no vsync.idx", "verse", false, ""},
      {"an empty file", "verse", true, ""},
      {"verse records cut off", "verse", true, good.substr(0, good.size() - 6)},
      {"only the version record", "verse", true, good.substr(0, 12)},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(m_dir.File("vsync.idx"));
    if (c.present) WriteIndex(c.bytes);
    cSOLTBook book = m_dir.MakeBook(c.syncType);
    EXPECT_EQ(FindVerseSyncKey(book, m_bible, 4), -1) << c.what;
    EXPECT_FALSE(book.IsOpen(SOLT_VSYNC_IDX)) << c.what;
  }
}

TEST(WindowSyncTest, WhichWindowsFollow) {
  using K = EWindowKind;
  using M = CSyncMove;
  const CSyncWindow source{K::Bible, true, ""};
  const CSyncWindow bible{K::Bible, false, ""};
  const CSyncWindow map{K::Map, false, ""};
  const CSyncWindow other{K::Other, false, ""};
  auto book = [](const char* syncType) { return CSyncWindow{K::Book, false, syncType}; };
  const std::map<size_t, long> keys = {{1, 10}, {2, 20}, {3, 30}, {4, 40}};
  const struct {
    const char* what;
    bool on;
    std::vector<CSyncWindow> windows;
    int verse;
    // The book keys by window; no lookup at all when the source's Bible
    // module is not known.
    std::optional<std::map<size_t, long>> keys;
    std::vector<CSyncMove> moves;
  } cases[] = {
      {"sync off", false, {source, bible, book("Verse")}, 4, keys, {}},
      {"Bibles take the verse, books their key", true, {bible, source, book("Verse")}, 4, keys,
       {{0, M::kSetVerse, 4}, {2, M::kGoToKey, 20}}},
      {"a map window before a book stops that book", true, {source, bible, map, book("Verse"), bible}, 4, keys,
       {{1, M::kSetVerse, 4}}},
      {"a map window first stops every window", true, {map, source, bible}, 4, keys, {}},
      {"other windows are passed over", true, {source, other, bible}, 4, keys, {{2, M::kSetVerse, 4}}},
      {"sync types naming verses, in any case", true,
       {source, book("VerseWord"), book("verse"), book("Word"), book("None")}, 4, keys,
       {{1, M::kGoToKey, 10}, {2, M::kGoToKey, 20}}},
      {"a book without a key stays", true, {source, book("Verse"), book("Verse")}, 4,
       std::map<size_t, long>{{2, 20}}, {{2, M::kGoToKey, 20}}},
      {"without the source's Bible only Bibles follow", true, {source, book("Verse"), bible}, 4, std::nullopt,
       {{2, M::kSetVerse, 4}}},
      {"a book window does not lead", true, {{K::Book, true, "Verse"}, bible}, 4, keys, {}},
      {"no source", true, {bible, bible}, 4, keys, {}},
      {"a negative verse", true, {source, bible}, -1, keys, {}},
      {"the first verse", true, {source, bible}, 0, keys, {{1, M::kSetVerse, 0}}},
  };
  for (const auto& c : cases) {
    SyncKeyLookup keyOf;
    if (c.keys) {
      keyOf = [&](size_t i) {
        auto it = c.keys->find(i);
        return it == c.keys->end() ? -1L : it->second;
      };
    }
    EXPECT_EQ(PlanWindowSync(c.on, c.windows, c.verse, keyOf), c.moves) << c.what;
  }
}

}  // namespace
}  // namespace klmw
