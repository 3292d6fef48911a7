// A book window's movements: the tree's children, the section a scrolled-to
// level belongs to, stepping through sections and books, and the history.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/books/booknavigation.h"
#include "soltread/tests/testbook.h"

namespace klmw {
namespace {

// Part One (area 1) holds Chapter 1 and Chapter 2 in the same area; Part
// Two has an area of its own; one glossary entry follows.
class BookNavigation : public testing::Test {
 protected:
  BookNavigation() : m_dir(Viewable(), testbook::Version()) {
    solt::cSectionsWriter sections(testbook::Version());
    sections.AddSection("Part One", 1, 1, 0);
    sections.AddSection("Chapter 1", 2, 1, 1);
    sections.AddSection("Chapter 2", 2, 1, 2);
    sections.AddSection("Part Two", 1, 2, 0);
    sections.AddGlossary("Word", 1, 3, 0);
    testbook::WriteBytes(m_dir.File("sections.idx"), sections.Build());
    m_book = m_dir.MakeBook();
  }
  static solt::cViewableWriter Viewable() {
    solt::cViewableWriter viewable(testbook::Version());
    viewable.SetHeaderArea("{\\rtf1");
    viewable.AddArea("\\soltstartlevel0 One\\par \\soltstartlevel1 C1\\par \\soltstartlevel2 C2\\par}");
    viewable.AddArea("\\soltstartlevel0 Two\\par}");
    viewable.AddArea("\\soltstartlevel0 Word\\par}");
    return viewable;
  }
  cSectionsData Entry(int key) {
    cSectionsData entry;
    EXPECT_TRUE(OpenBookForReading(m_book));
    EXPECT_EQ(m_book.GetEntry(key, entry), 0);
    return entry;
  }

  testbook::BookDir m_dir;
  cSOLTBook m_book;
};

std::vector<std::string> Names(const std::vector<cSectionsData>& entries) {
  std::vector<std::string> names;
  for (const cSectionsData& e : entries) names.push_back(e.GetName());
  return names;
}

TEST_F(BookNavigation, ChildrenOfANodeAndWhetherItExpands) {
  const struct {
    int key;
    std::vector<std::string> children;
  } cases[] = {
      {kTopLevelKey, {"Part One", "Part Two"}},
      {kGlossaryKey, {"Word"}},
      {0, {"Chapter 1", "Chapter 2"}},
      {1, {}},
      {3, {}},  // the last section: the glossary is no child of it
      {99, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Names(GetChildSections(m_book, c.key)), c.children) << c.key;
    if (c.key >= 0 && c.key < 4) {
      EXPECT_EQ(HasChildSections(m_book, Entry(c.key)), !c.children.empty()) << c.key;
    }
  }
}

TEST(BookNavigationEmpty, AnEmptyTopLevelGivesNoChildren) {
  solt::cViewableWriter viewable(testbook::Version());
  viewable.SetHeaderArea("{\\rtf1");
  testbook::BookDir dir(viewable);  // a table of contents without sections
  cSOLTBook book = dir.MakeBook();
  EXPECT_TRUE(GetChildSections(book, kTopLevelKey).empty());
  EXPECT_TRUE(GetChildSections(book, kGlossaryKey).empty());
  int key = -5;
  EXPECT_TRUE(StepSection(book, 0, -1, key));
  EXPECT_EQ(key, 0);
}

TEST_F(BookNavigation, LevelOfTheTextOnShowNamesItsSection) {
  const struct {
    int shown, level, key;
  } cases[] = {
      {1, 0, 0}, {1, 2, 2}, {0, 1, 1},
      {1, 3, -1},   // past the area: key 3 is Part Two's own area
      {1, -1, -1},  {3, 0, 3}, {3, 1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KeyOfLevel(m_book, Entry(c.shown), c.level), c.key) << c.shown << " level " << c.level;
  }
}

TEST_F(BookNavigation, SectionAndBookStepsStopAtTheEnds) {
  const struct {
    int key, step, to;
  } sections[] = {
      {0, -1, 0},  // previous section on key 0 stays
      {1, 1, 2}, {2, -1, 1},
      {3, 1, 4},  // into the glossary, which the book also shows
      {4, 1, 4},  // the last key stays
  };
  for (const auto& c : sections) {
    int to = -7;
    EXPECT_TRUE(StepSection(m_book, c.key, c.step, to));
    EXPECT_EQ(to, c.to) << c.key << " " << c.step;
  }
  cSOLTBook missing;
  missing.SetTextPath("/nonexistent/");
  missing.SetIDXPath("/nonexistent/");
  int to = -7;
  EXPECT_FALSE(StepSection(missing, 2, 1, to));
  EXPECT_EQ(to, 2);

  // Book 1 of four is one the window cannot show (a Bible).
  const auto shows = [](int i) { return i != 1; };
  const struct {
    int book, step, count;
    bool skip;
    int to;
  } books[] = {
      {2, 1, 3, false, 2},  // next book on the last book stays
      {0, -1, 3, false, 0}, {1, 1, 3, false, 2}, {1, -1, 3, false, 0}, {0, 1, 0, false, 0},
      {0, 1, 4, true, 2},   {2, -1, 4, true, 0}, {3, 1, 4, true, 3},
      {0, 1, 2, true, 0},  // nothing to show further on: stays
  };
  for (const auto& c : books) {
    EXPECT_EQ(StepBook(c.book, c.step, c.count, c.skip ? std::function<bool(int)>(shows) : nullptr), c.to)
        << c.book << " " << c.step << " of " << c.count;
  }
}

TEST(BookHistory, BackAndForwardWalkTheVisitedSections) {
  CBookHistory history;
  CBookPlace at{0, 0}, to;
  EXPECT_FALSE(history.Back(at, to));
  // Visits 0:0 -> 0:5 -> 1:2.
  history.Visit(at);
  at = {0, 5};
  history.Visit(at);
  at = {1, 2};
  const struct {
    bool back;  // else forward
    bool moves;
    CBookPlace to;
  } steps[] = {
      {true, true, {0, 5}}, {true, true, {0, 0}}, {true, false, {0, 0}},
      {false, true, {0, 5}}, {false, true, {1, 2}}, {false, false, {1, 2}},
      {true, true, {0, 5}},
  };
  for (const auto& s : steps) {
    CBookPlace next = at;
    EXPECT_EQ(s.back ? history.Back(at, next) : history.Forward(at, next), s.moves);
    if (s.moves) at = next;
    EXPECT_EQ(at, s.to);
  }
  // A new visit forgets what lay ahead.
  history.Visit(at);
  at = {2, 0};
  EXPECT_FALSE(history.CanGoForward());
  EXPECT_TRUE(history.Back(at, to));
  EXPECT_EQ(to, (CBookPlace{0, 5}));
  // A place scrolled back to is skipped.
  history.Visit({0, 7});
  EXPECT_TRUE(history.Back({0, 7}, to));
  EXPECT_EQ(to, (CBookPlace{0, 0}));
}

}  // namespace
}  // namespace klmw
