// The word list beside the Find box, from a Bible's word list and from a
// book's concordance, and a word chosen from it put into the Find text.
#include <gtest/gtest.h>

#include "app/search/searchpage.h"
#include "app/search/tests/searchfixture.h"
#include "soltread.h"
#include "soltread/indexwriters.h"
#include "soltread/tests/testbook.h"

namespace klmw {
namespace {

using Words = std::vector<std::string>;

TEST(ChooseListWordTest, TheWordReplacesTheTextOrTheWordAtTheCaret) {
  const struct {
    const char* text;
    size_t caret;
    const char* result;
    size_t resultCaret;
  } cases[] = {
      {"", 0, "GRACE", 5},
      {"gr", 2, "GRACE", 5},
      {"  gr ", 0, "GRACE", 5},
      {"faith gr hope", 7, "faith GRACE hope", 11},
      {"faith gr hope", 8, "faith GRACE hope", 11},
      {"faith gr hope", 6, "faith GRACE hope", 11},
      {"faith gr", 8, "faith GRACE", 11},
      {"faith gr", 99, "faith GRACE", 11},
      {"faith gr", 0, "GRACE gr", 5},
      {"faith  gr", 6, "faith GRACE gr", 11},
  };
  for (const auto& c : cases) {
    const CFindEdit edit = ChooseListWord(c.text, c.caret, "GRACE");
    EXPECT_EQ(edit.text, c.result) << c.text << " @" << c.caret;
    EXPECT_EQ(edit.caret, c.resultCaret) << c.text << " @" << c.caret;
  }
}

class BibleWordSourceTest : public searchtest::SearchBible {};

TEST_F(BibleWordSourceTest, FillsFromTheExactThenTheNearestLookupAndScrollsOn) {
  const struct {
    const char* typed;
    bool first;
    Words words;
    Words more;
  } cases[] = {
      // Nothing typed is "A": the list starts at the last word it begins.
      {"", true, {"AND", "BE", "BEGINNING", "CAF\xC9", "CREATED", "DAY", "EARTH", "ENDED", "FAITH", "FINISHED",
                  "FORM", "GOD", "HEAVEN", "HEAVENS", "HIS", "HOPE", "IN", "LET", "LIGHT", "ON"},
       {"SAID", "SEVENTH", "THE", "THERE", "THUS", "WAS", "WERE", "WITHOUT", "WORK"}},
      {"heav", true, {"HEAVENS", "HIS", "HOPE", "IN", "LET", "LIGHT", "ON", "SAID", "SEVENTH", "THE", "THERE",
                      "THUS", "WAS", "WERE", "WITHOUT", "WORK"}, {}},
      // A word found whole leaves the exact lookup's list unset.
      {"heaven", true, {}, {}},
      {"wi", false, {"WITHOUT", "WORK"}, {}},
      {"wo", true, {"WORK"}, {}},
  };
  for (const auto& c : cases) {
    auto source = MakeBibleWordSource(m_bible);
    EXPECT_EQ(source->WordsNear(c.typed, c.first), c.words) << c.typed;
    EXPECT_EQ(source->MoreWords(), c.more) << c.typed;
    EXPECT_EQ(source->MoreWords(), Words{}) << c.typed;
  }
}

// A concordance of 25 words, w00 to w24.
class BookWordSourceTest : public ::testing::Test {
 protected:
  BookWordSourceTest() {
    std::vector<solt::sConcordWord> words;
    for (const std::string& word : Range(0, 25)) words.push_back({word, {0}, {{0}}});
    solt::cConcordWriter concord(testbook::Version());
    concord.AddLanguage(1033, words);
    testbook::WriteBytes(m_dir.File("concord.idx"), concord.Build());
  }
  static Words Range(int from, int to) {
    Words words;
    for (int i = from; i < to; ++i)
      words.push_back({'w', static_cast<char>('0' + i / 10), static_cast<char>('0' + i % 10)});
    return words;
  }

  testbook::BookDir m_dir{solt::cViewableWriter(testbook::Version())};
};

TEST_F(BookWordSourceTest, TenWordsAtATimeAndNeverTheLast) {
  const struct {
    const char* typed;
    std::vector<Words> batches;  // WordsNear, then MoreWords until empty
  } cases[] = {
      {"w03", {Range(3, 13), Range(13, 23), Range(23, 24), {}}},
      {"w20", {Range(20, 24), {}}},
      {"w23", {Range(23, 24), {}}},
      {"w24", {{}, {}}},
      {"", {Range(0, 10), Range(10, 20), Range(20, 24), {}}},
  };
  auto source = MakeBookWordSource(m_dir.MakeBook());
  for (const auto& c : cases) {
    for (size_t i = 0; i < c.batches.size(); ++i)
      EXPECT_EQ(i == 0 ? source->WordsNear(c.typed, true) : source->MoreWords(), c.batches[i]) << c.typed << " " << i;
  }
}

TEST_F(BookWordSourceTest, ABookThatCannotBeReadGivesEmptyLists) {
  cSOLTBook missing = m_dir.MakeBook();
  missing.SetTextPath("/nonexistent/book/");
  missing.SetIDXPath("/nonexistent/book/");
  auto source = MakeBookWordSource(missing);
  EXPECT_EQ(source->WordsNear("w03", true), Words{});
  EXPECT_EQ(source->MoreWords(), Words{});
  for (const char* damage : {"garbage", ""}) {
    testbook::WriteBytes(m_dir.File("concord.idx"), damage);
    source = MakeBookWordSource(m_dir.MakeBook());
    EXPECT_EQ(source->WordsNear("w03", false), Words{});
    EXPECT_EQ(source->MoreWords(), Words{});
  }
}

}  // namespace
}  // namespace klmw
