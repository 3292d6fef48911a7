// The Hits window's contents: its title and a label per hit, every hit
// listed.
#include <gtest/gtest.h>

#include "app/search/hitlist.h"
#include "app/search/searchrun.h"
#include "app/search/tests/searchfixture.h"
#include "app/shell/tests/sectionbook.h"
#include "soltread.h"
#include "soltread/indexwriters.h"
#include "soltread/tests/testbook.h"

namespace klmw {
namespace {

TEST(HitsTitleTest, CountAndFirstWord) {
  const struct {
    size_t count;
    std::vector<std::string> words;
    const char* title;
  } cases[] = {
      {12, {"love"}, " 12 Hits [love]"},
      {12, {"love", "hope"}, " 12 Hits [love...]"},
      {3, {"faith", "hope", "charity"}, " 3 Hits [faith...]"},
      {31102, {}, " 31102 Hits [ ]"},
      {1, {"caf\xE9"}, " 1 Hits [caf\xE9]"},
  };
  for (const auto& c : cases) EXPECT_EQ(HitsTitle(c.count, c.words), c.title);
}

class BibleHitListTest : public searchtest::SearchBible {};

TEST_F(BibleHitListTest, VersesAreLabelledByBookChapterAndVerse) {
  CHitSet hits;
  for (size_t p : {0, 3, 4, 5}) hits.Set(p);
  const std::vector<HitEntry> list = BibleHitList(m_bible, hits);
  ASSERT_EQ(list.size(), 4u);
  const struct {
    long position;
    const char* label;
  } expected[] = {{0, "Genesis 1:1"}, {3, "Genesis 1:4"}, {4, "Genesis 2:1"}, {5, "Genesis 2:2"}};
  for (size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].position, expected[i].position);
    EXPECT_EQ(list[i].label, expected[i].label);
  }
  // Just past the last verse the last verse's place is taken, one verse on.
  EXPECT_EQ(BibleHitLabel(m_bible, 6), "Genesis 2:3");
  EXPECT_EQ(BibleHitLabel(m_bible, 7), "");
  EXPECT_EQ(BibleHitLabel(m_bible, -1), "");
}

TEST(BibleHitLabelTest, SpanishNamesForRvr) {
  CBibleModule rvr, kjs;
  ASSERT_TRUE(rvr.ParseDefinition("TDBFILE=\"RVR.dat\"\n{Genesis\txx3,2}\n{Exodus\txx2}\n", ""));
  ASSERT_TRUE(kjs.ParseDefinition("TDBFILE=\"KJS.dat\"\n{Genesis\txx3,2}\n{Exodus\txx2}\n", ""));
  EXPECT_EQ(BibleHitLabel(rvr, 5), "Exodo 1:1");
  EXPECT_EQ(BibleHitLabel(kjs, 5), "Exodus 1:1");
  EXPECT_EQ(BibleHitLabel(kjs, 4), "Genesis 2:2");
}

TEST(BibleHitListLongTest, MoreThanFourThousandFiveHundredHitsAreAllListed) {
  CBibleModule bible;
  std::string chapters;
  for (int c = 0; c < 100; ++c) chapters += (c ? "," : "") + std::string("100");
  ASSERT_TRUE(bible.ParseDefinition("TDBFILE=\"KJS.dat\"\n{Genesis\txx" + chapters + "}\n", ""));
  CHitSet hits;
  for (size_t p = 0; p < 10000; ++p) hits.Set(p);
  const std::vector<HitEntry> list = BibleHitList(bible, hits);
  ASSERT_EQ(list.size(), 10000u);
  EXPECT_EQ(list[4500].label, "Genesis 46:1");
  EXPECT_EQ(list.back().position, 9999);
  EXPECT_EQ(list.back().label, "Genesis 100:100");
}

TEST(BookHitListTest, SectionsAreLabelledByName) {
  testbook::BookDir dir{solt::cViewableWriter(testbook::Version())};
  solt::cSectionsWriter sections(testbook::Version());
  for (const char* name : {"Intro", "Grace", "Faith"}) sections.AddSection(name, 1, 0, 0);
  sections.AddGlossary("Hope", 1, 0, 0);
  testbook::WriteBytes(dir.File("sections.idx"), sections.Build());
  cSOLTBook book = dir.MakeBook();
  CHitSet hits(5);
  for (size_t p : {0, 2, 3, 4}) hits.Set(p);
  const std::vector<HitEntry> list = BookHitList(book, hits);
  ASSERT_EQ(list.size(), 4u);
  const char* labels[] = {"Intro", "Faith", "Hope", ""};
  for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(list[i].label, labels[i]) << i;
  EXPECT_EQ(list[3].position, 4);
  EXPECT_EQ(book.GetOpenFlags(), 0u);
}

}  // namespace
}  // namespace klmw

namespace klmw {
namespace {

TEST(SearchResultsTextTest, TitleThenOneLinePerHit) {
  const std::vector<HitEntry> hits = {{0, "Genesis 1:1"}, {26136, "John 3:16"}};
  const std::string text = SearchResultsText(QueryText({"love", "caf\xE9"}), hits, [](long p) {
    return p == 0 ? std::string("In the beginning.") : std::string("For God so loved");
  });
  EXPECT_EQ(text,
            "Search Results for love caf\xE9\n\n"
            "Genesis 1:1 - In the beginning.\n"
            "John 3:16 - For God so loved\n");
  EXPECT_EQ(SearchResultsText(QueryText({}), {}, nullptr), "Search Results for \n\n");
}

TEST(SectionPreviewTest, TheSectionsOwnTextAsOneLine) {
  const auto dir =
      sectionbook::Make(" {\\b bold}\\par\\par   spaced\tout\\par " + testbook::SampleText(20000) + "\\par}");
  const cSOLTBook book = dir->MakeBook();
  const struct {
    long key;
    size_t maxChars;
    const char* preview;
  } cases[] = {
      {1, 22, "Second bold spaced out"},
      {1, 11, "Second bold"},
      {1, 12, "Second bold"},
      {1, 3, "Sec"},
      {0, 200, "First"},
      {2, 200, "Other"},
      {3, 200, ""},
      {-1, 200, ""},
      {1, 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SectionPreview(book, c.key, c.maxChars), c.preview) << c.key << " " << c.maxChars;
  }
  EXPECT_EQ(SectionPreview(book, 1).size(), 200u);
  EXPECT_EQ(book.GetOpenFlags(), 0u);
}

}  // namespace
}  // namespace klmw
