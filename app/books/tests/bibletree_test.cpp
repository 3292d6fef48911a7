// The tree of a Bible window: which book items it shows, their chapters, the
// labels, and the verses the items stand for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/books/bibletree.h"
#include "biblefile/biblemodule.h"

namespace klmw {
namespace {

// Genesis 1-2 (verses 0-4), Exodus with 150 chapters of two verses
// (5-304), a Leviticus block without verses, Numbers 1 (305-308).
std::string Definition(const std::string& code) {
  std::string exodus;
  for (int c = 0; c < 150; ++c) exodus += c ? ",2" : "2";
  return "TDBFILE=\"" + code + ".dat\"\n{Genesis\txx3,2}\n{Exodus\txx" + exodus + "}\n{Leviticus}\n{Numbers\txx4}\n";
}

class BibleTreeTest : public testing::Test {
 protected:
  BibleTreeTest() { EXPECT_TRUE(m_bible.ParseDefinition(Definition("KJS"), "")); }
  CBibleModule m_bible;
};

TEST_F(BibleTreeTest, BookItemsAllOrTheCurrentOne) {
  const struct {
    bool justCurrent;
    int verse;
    std::vector<std::string> labels;
  } cases[] = {
      {false, 0, {"Genesis", "Exodus", "Leviticus", "Numbers"}},
      {false, 400, {"Genesis", "Exodus", "Leviticus", "Numbers"}},
      {true, 0, {"Genesis"}},
      {true, 4, {"Genesis"}},
      {true, 5, {"Exodus"}},
      {true, 304, {"Exodus"}},
      {true, 305, {"Numbers"}},  // the book without verses is never current
      {true, 308, {"Numbers"}},
      {true, 309, {"Genesis", "Exodus", "Leviticus", "Numbers"}},
      {true, -1, {"Genesis", "Exodus", "Leviticus", "Numbers"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> labels;
    for (const CTreeBibleBook& b : MakeTreeBooks(m_bible, c.justCurrent, c.verse)) labels.push_back(b.m_label);
    EXPECT_EQ(labels, c.labels) << c.justCurrent << " " << c.verse;
  }
}

TEST_F(BibleTreeTest, ItemsStandForTheirFirstVerse) {
  const std::vector<CTreeBibleBook> books = MakeTreeBooks(m_bible, false, 0);
  ASSERT_EQ(books.size(), 4u);
  const std::vector<CTreeChapter> exodus = MakeTreeChapters(m_bible, books[1]);
  const std::vector<CTreeChapter> genesis = MakeTreeChapters(m_bible, books[0]);
  ASSERT_EQ(exodus.size(), 150u);
  ASSERT_EQ(genesis.size(), 2u);
  EXPECT_TRUE(MakeTreeChapters(m_bible, books[2]).empty());
  const struct {
    const CTreeBibleBook& item;
    std::string label;
    int verse, end;
  } cases[] = {
      {books[0], "Genesis", 0, 5},       {books[1], "Exodus", 5, 305},
      {books[2], "Leviticus", -1, 305},  {books[3], "Numbers", 305, 309},
      {genesis[0], "Genesis 1", 0, 3},   {genesis[1], "Genesis 2", 3, 5},
      {exodus[0], "Exodus 1", 5, 7},     {exodus[149], "Exodus 150", 303, 305},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.item.m_label, c.label);
    EXPECT_EQ(c.item.GetVerse(), c.verse) << c.label;
    EXPECT_EQ(c.item.m_endVerse, c.end) << c.label;
  }
  EXPECT_EQ(exodus[149].m_book, 1);
  EXPECT_EQ(exodus[149].m_chapter, 149);
}

TEST(BibleTreeLabelTest, ProgramsOwnNamesSpanishForRvr) {
  // 67 books: the last one is none of the 66 and keeps its own label.
  std::string definition = "\n";
  for (int b = 1; b <= 67; ++b) definition += "{Book" + std::to_string(b) + "\txx1}\n";
  const struct {
    const char* code;
    int book;
    std::string label;
  } cases[] = {
      {"KJS", 0, "Genesis"},      {"RVR", 0, "G\xE9nesis"},   {"rvr", 18, "Salmos"},
      {"NIV", 18, "Psalms"},      {"KJS", 65, "Revelation"},  {"RVR", 66, "Book67"},
  };
  for (const auto& c : cases) {
    CBibleModule bible;
    ASSERT_TRUE(bible.ParseDefinition("TDBFILE=\"" + std::string(c.code) + ".dat\"" + definition, ""));
    EXPECT_EQ(GetTreeBookLabel(bible, c.book), c.label) << c.code << " " << c.book;
    EXPECT_EQ(MakeTreeChapters(bible, MakeTreeBooks(bible, false, 0)[static_cast<size_t>(c.book)])[0].m_label,
              c.label + " 1");
  }
}

}  // namespace
}  // namespace klmw
