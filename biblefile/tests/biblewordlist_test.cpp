// The word list: exact and nearest lookup, next word, verse sets, and the
// matching of search words in a displayed verse.
#include <gtest/gtest.h>

#include "biblefile/biblewordlist.h"
#include "biblefile/tests/biblefixture.h"
#include "biblefile/wordmatch.h"
#include "platform/file.h"

namespace {

using klmw::CBibleWordList;

const char kList[] = " LOVE +0 LOVED +4 LOVELY +6 LOVES +8 ZEAL +12 ";
constexpr int64_t kH1 = 100, kH2 = 116;

// The word the list position points at, or "-" when it is not set.
std::string WordAtListPos(CBibleWordList list) {
  std::string word;
  return list.GetNextWord(word) ? word : "-";
}

TEST(BibleWordListTest, ExactLookupAndTheListPositionItLeaves) {
  const struct {
    const char* word;
    bool found;
    int64_t offset, length;
    const char* listPos;
  } cases[] = {
      {"LOVE", true, 100, 4, "-"},
      {"LOVED", true, 104, 2, "-"},
      {"LOVES", true, 108, 4, "-"},
      // The last entry's list ends at h2.
      {"ZEAL", true, 112, 4, "-"},
      // A prefix alone is not found but positions the list at the last entry
      // it begins.
      {"LOV", false, 0, 0, "LOVES"},
      {"LOVEL", false, 0, 0, "LOVELY"},
      {"Z", false, 0, 0, "ZEAL"},
      {"love", false, 0, 0, "-"},
      {"MISSING", false, 0, 0, "-"},
      {"OVE", false, 0, 0, "-"},
      {"+0", false, 0, 0, "-"},
      {"", false, 0, 0, "-"},
      {"LOVE +0", false, 0, 0, "-"},
  };
  for (const auto& c : cases) {
    CBibleWordList list(kList, kH1, kH2);
    list.SetListPos(3);
    int64_t offset = 0, length = 0;
    EXPECT_EQ(list.FindExact(c.word, offset, length), c.found) << c.word;
    if (c.found) {
      EXPECT_EQ(offset, c.offset) << c.word;
      EXPECT_EQ(length, c.length) << c.word;
    }
    EXPECT_EQ(WordAtListPos(list), c.listPos) << c.word;
  }
}

// The binary search over an ordered list answers as the scan does, for words,
// their prefixes and words between entries; a list out of order is scanned.
TEST(BibleWordListTest, SearchAndScanGiveTheSameAnswers) {
  const char* const lists[] = {
      kList,
      " A +0 AB +2 ABC +4 ABD +6 B +8 BA +10 ",
      "  A +0   AB +2 ABC +4  ",         // extra blanks
      " ZEAL +0 LOVE +4 LOVED +6 ",      // out of order: scanned
      " LOVE +0 LOVE +4 LOVED +6 ",      // a word twice: the first wins
      " LOVE +0 LOVED",                  // ends without a blank or offset
  };
  const char* const words[] = {"", "A", "AB", "ABC", "ABCD", "ABD", "AC", "B", "BA", "BB", "C", "L", "LOV",
                               "LOVE", "LOVED", "LOVEDS", "LOVEL", "LOVELY", "LOVES", "Z", "ZEAL", "ZEALS", "+0"};
  for (const char* text : lists) {
    for (const char* word : words) {
      CBibleWordList searched(text, kH1, kH2);
      CBibleWordList scanned(text, kH1, kH2, std::make_shared<klmw::CBibleWordIndex>());
      int64_t o1 = -1, l1 = -1, o2 = -1, l2 = -1;
      EXPECT_EQ(searched.FindExact(word, o1, l1), scanned.FindExact(word, o2, l2)) << text << " / " << word;
      EXPECT_EQ(o1, o2) << text << " / " << word;
      EXPECT_EQ(l1, l2) << text << " / " << word;
      EXPECT_EQ(searched.GetListPos(), scanned.GetListPos()) << text << " / " << word;
      searched.FindNearest(word);
      scanned.FindNearest(word);
      EXPECT_EQ(searched.GetListPos(), scanned.GetListPos()) << "nearest: " << text << " / " << word;
    }
  }
  EXPECT_TRUE(klmw::CBibleWordIndex::Build(kList)->ascending);
  EXPECT_FALSE(klmw::CBibleWordIndex::Build(lists[3])->ascending);
}

TEST(BibleWordListTest, NearestLookupDropsCharactersUntilSomethingMatches) {
  const struct {
    const char* word;
    const char* listPos;
  } cases[] = {
      {"LOVE", "LOVE"},  {"LOVES", "LOVES"}, {"LOVEM", "LOVE"}, {"LOVXYZ", "LOVE"},
      {"LOVELZ", "LOVELY"}, {"ZZZ", "ZEAL"}, {"QQQ", "LOVE"},  {"", "LOVE"},
  };
  for (const auto& c : cases) {
    CBibleWordList list(kList, kH1, kH2);
    list.FindNearest(c.word);
    EXPECT_EQ(WordAtListPos(list), c.listPos) << c.word;
  }
  CBibleWordList empty("", kH1, kH2);
  empty.FindNearest("LOVE");
  EXPECT_EQ(empty.GetListPos(), -1);
}

TEST(BibleWordListTest, NextWordWalksToTheEnd) {
  CBibleWordList list(kList, kH1, kH2);
  list.SetListPos(0);
  std::vector<std::string> words;
  std::string word;
  while (list.GetNextWord(word)) words.push_back(word);
  EXPECT_EQ(words, (std::vector<std::string>{"LOVE", "LOVED", "LOVELY", "LOVES", "ZEAL"}));
  EXPECT_EQ(list.GetListPos(), -1);
  EXPECT_FALSE(list.GetNextWord(word));
  EXPECT_EQ(list.CountEntries(), 5);
}

TEST(BibleWordListTest, DamagedListsFailTheLookupAndEveryWalkEnds) {
  const struct {
    std::string text;
    const char* word;
    bool found;
    int64_t length;
    int entries;
  } cases[] = {
      {" LOVE LOVED ", "LOVE", false, 0, 1},
      {" A +8 B +4 ", "A", false, 0, 2},
      {" A +8 B +4 ", "B", true, 12, 2},
      {" A +0 B +999 ", "A", false, 0, 2},
      {" A +99999999999999999999 ", "A", false, 0, 1},
      {" A + B +4 ", "A", false, 0, 2},
      {"A +0 ", "A", false, 0, 1},
      {" A +0", "A", true, 16, 1},
      {std::string(" A\0B +0 ", 8), "A", false, 0, 1},
      {"", "A", false, 0, 0},
      {"      ", "A", false, 0, 0},
      {"++++ ++ +", "A", false, 0, 2},
  };
  for (const auto& c : cases) {
    CBibleWordList list(c.text, kH1, kH2);
    int64_t offset = 0, length = 0;
    EXPECT_EQ(list.FindExact(c.word, offset, length), c.found) << c.text << " " << c.word;
    if (c.found) {
      EXPECT_EQ(length, c.length) << c.text;
    }
    EXPECT_EQ(list.CountEntries(), c.entries) << c.text;
  }
}

TEST(BibleWordListTest, VerseSetIsReadFromTheTextFile) {
  bibletest::TempDir dir;
  const std::string words = " LOVE +0 ODD +4 ZEAL +5 ";
  std::string lists;
  for (uint16_t v : {0, 5}) platform::PutFixed16(lists, v);
  lists += 'x';  // ODD: one stray byte, no whole index
  for (uint16_t v : {31102, 40000}) platform::PutFixed16(lists, v);
  const int32_t h1 = 32 + static_cast<int32_t>(words.size()), h2 = h1 + static_cast<int32_t>(lists.size());
  bibletest::WriteBytes(dir.Path() + "T.dat", bibletest::Header(32, h1, h2, h2) + words + lists);
  platform::File file;
  ASSERT_TRUE(file.Open(dir.Path() + "T.dat", platform::File::modeRead));

  CBibleWordList list(words, h1, h2);
  klmw::CHitSet hits;
  EXPECT_EQ(hits.GetSize(), 31103u);
  ASSERT_TRUE(list.ReadVerseSet(file, "LOVE", hits));
  EXPECT_EQ(hits.Count(), 2u);
  EXPECT_TRUE(hits.Test(0));
  EXPECT_TRUE(hits.Test(5));

  std::vector<uint16_t> verses;
  ASSERT_TRUE(list.ReadVerseList(file, "ZEAL", verses));
  EXPECT_EQ(verses, (std::vector<uint16_t>{31102, 40000}));
  klmw::CHitSet zeal;
  ASSERT_TRUE(list.ReadVerseSet(file, "ZEAL", zeal));
  EXPECT_EQ(zeal.Count(), 1u);  // 40000 lies outside the set
  EXPECT_TRUE(zeal.Test(31102));

  EXPECT_TRUE(list.ReadVerseList(file, "ODD", verses));
  EXPECT_TRUE(verses.empty());
  EXPECT_FALSE(list.ReadVerseList(file, "MISSING", verses));

  // A header claiming verse lists beyond the file's end.
  CBibleWordList lying(words, h1, h2 + 1000);
  EXPECT_FALSE(lying.ReadVerseList(file, "ZEAL", verses));
  platform::File closed;
  EXPECT_FALSE(list.ReadVerseList(closed, "LOVE", verses));
}

TEST(QueryTest, SplitsAtBlanksAndLineBreaks) {
  EXPECT_EQ(klmw::SplitQuery(" love\r\nGod  so\n"), (std::vector<std::string>{"love", "God", "so"}));
  EXPECT_TRUE(klmw::SplitQuery(" \r\n ").empty());
  EXPECT_EQ(klmw::SplitQuery("one"), (std::vector<std::string>{"one"}));
}

TEST(WordMatchTest, WholeWordsAfterFoldingAndSeparators) {
  const struct {
    const char* verse;
    std::vector<std::string> words;
    std::vector<size_t> positions;
  } cases[] = {
      {"For God so loved", {"GOD"}, {4}},
      {"God's word; godly god", {"GOD"}, {0, 18}},
      {"G\xE9nesis, \xC9XODO", {"GENESIS", "EXODO"}, {0, 9}},
      {"\xBFQu\xE9? \xA1Se\xF1or!", {"QUE", "SENOR"}, {1, 7}},
      {"A\xF1o", {"A\xD1O"}, {0}},
      {"sea-shore", {"SHORE", "SEA"}, {0, 4}},
      {"[the] <sc1>LORD<sc0>", {"LORD", "THE"}, {1, 11}},
      {"lordship", {"LORD"}, {}},
      {"word", {""}, {}},
      {"", {"A"}, {}},
  };
  for (const auto& c : cases) {
    std::vector<size_t> positions;
    for (const klmw::WordMatch& m : klmw::FindWordMatches(c.verse, c.words)) positions.push_back(m.position);
    EXPECT_EQ(positions, c.positions) << c.verse;
  }
}

TEST(WordMatchTest, APhraseIsItsWholeWordsInOrderAfterFolding) {
  using Phrase = std::vector<std::string>;
  const struct {
    const char* verse;
    Phrase phrase;
    bool found;
  } cases[] = {
      {"In the beginning God created", {"in", "the", "beginning"}, true},
      {"In the beginning God created", {"the", "in", "beginning"}, false},
      {"In the  beginning", {"IN", "THE", "BEGINNING"}, true},
      {"the earth.  And the", {"earth", "and"}, true},
      {"the earth; (and) the", {"earth", "and"}, true},
      {"the earth was and", {"earth", "and"}, false},
      {"G\xE9nesis, \xC9xodo", {"genesis", "EXODO"}, true},
      {"the heavens and", {"heaven", "and"}, false},
      {"heaven and earth", {"heaven", "and", "earth", "were"}, false},
      {"sea-shore", {"sea", "shore"}, true},
      {"by the sea-shore", {"the sea-shore"}, true},
      {"any verse", {}, true},
      {"", {"a"}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(klmw::PhraseInVerse(c.verse, c.phrase), c.found) << c.verse;
}

TEST(WordMatchTest, FoldingKeepsOneCharacterForOne) {
  EXPECT_EQ(klmw::FoldForMatching("\xC1\xC9\xCD\xD3\xDA\xDC\xD1\xE2\xEA\xEE\xF4\xFB"), "aeiouunaeiou");
  const std::string separators = klmw::kWordSeparators;
  EXPECT_EQ(separators.size(), 34u);
  EXPECT_EQ(klmw::FoldForMatching(separators), std::string(34, ' '));
  EXPECT_EQ(klmw::FoldForMatching("\xE0\xE8"), "\xE0\xE8");  // grave accents are not folded
}

}  // namespace

namespace {

// Verse lists set the hit set as Set does one by one, in or out of order,
// with values past the set ignored and an odd trailing byte dropped.
TEST(HitSetTest, ListsSetWhatSetWould) {
  const std::vector<std::vector<uint32_t>> lists = {
      {}, {0}, {63, 64}, {1, 2, 3, 100, 31101, 31102}, {5, 3, 64, 63, 5}, {31103, 65535, 7}, {40000, 0},
  };
  for (size_t size : {size_t{0}, size_t{64}, klmw::kBibleHitCount}) {
    for (const auto& list : lists) {
      std::string bytes;
      for (uint32_t v : list) bytes += {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
      for (bool odd : {false, true}) {
        klmw::CHitSet fromList(size), oneByOne(size);
        std::string data = odd ? bytes + 'x' : bytes;
        fromList.SetFromList(reinterpret_cast<const unsigned char*>(data.data()), data.size());
        for (uint32_t v : list) oneByOne.Set(v);
        for (size_t p = 0; p < 65536; ++p) ASSERT_EQ(fromList.Test(p), oneByOne.Test(p)) << size << " " << p;
        EXPECT_EQ(fromList.Count(), oneByOne.Count());
      }
    }
  }
}

}  // namespace
