// The search run: words combined with AND and OR, colours from the colour
// index, the messages that stop a run, and a SOLT book searched through its
// concordance.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/search/searchrun.h"
#include "app/search/tests/searchfixture.h"
#include "soltread.h"
#include "soltread/indexwriters.h"
#include "soltread/tests/testbook.h"

namespace klmw {
namespace {

std::vector<long> Positions(const CHitSet& hits) {
  std::vector<long> out;
  for (long p = hits.Next(-1); p >= 0; p = hits.Next(p)) out.push_back(p);
  return out;
}

class SearchRunTest : public searchtest::SearchBible {
 protected:
  SearchResult Run(const std::string& text, int mode, std::vector<int> colors = {}, bool wog = false,
                   const std::string& index = {}) {
    SearchRequest request = SearchRequest::FromText(text, mode);
    request.colors = std::move(colors);
    request.wordsOfGod = wog;
    return RunBibleSearch(m_bible, m_text, request, index.empty() ? IndexPath() : index);
  }
};

constexpr int AND = kSearchAnd, OR = kSearchOr;

TEST_F(SearchRunTest, WordsAndColoursGiveTheirVersesOrTheRunsMessage) {
  const struct {
    const char* query;
    int mode;
    std::vector<int> colors;
    bool wordsOfGod;
    std::vector<long> hits;
    const char* message;
  } cases[] = {
      {"god", AND, {}, false, {0, 2, 5}, ""},
      {"god", OR, {}, false, {0, 2, 5}, ""},
      {"God  earth", AND, {}, false, {0}, ""},
      {"god\r\nearth", OR, {}, false, {0, 1, 2, 5}, ""},
      {"faith hope", AND, {}, false, {3}, ""},
      {"light hope", AND, {}, false, {}, "Could not find words \"LIGHT HOPE \" in the same verse."},
      {"light hope", OR, {}, false, {2, 3}, ""},
      {"god zebra earth", AND, {}, false, {}, "Could not find the word \"ZEBRA\"."},
      {"zebra", OR, {}, false, {}, "Could not find the word \"ZEBRA\"."},
      {"light,", AND, {}, false, {}, "Could not find the word \"LIGHT,\"."},
      {"caf\xE9", AND, {}, false, {3}, ""},
      {"CAF\xC9", AND, {}, false, {3}, ""},
      {"", AND, {}, false, {}, ""},
      {"   ", OR, {}, false, {}, ""},
      // Colours alone are exactly their verses; with words they restrict.
      {"", AND, {2}, false, {1, 4}, ""},
      {"", OR, {2, 5}, false, {1, 2, 4}, ""},
      {"", AND, {}, true, {0, 5}, ""},
      {"god", AND, {2, 5}, false, {2}, ""},
      {"god", AND, {}, true, {0, 5}, ""},
      {"earth", OR, {2}, true, {0, 1}, ""},
      {"hope", AND, {2}, false, {}, "Could not find words \"HOPE \" in the same verse."},
      {"hope", OR, {2}, false, {}, ""},
      // A code the index has no set for adds nothing.
      {"", AND, {11}, false, {}, "Could not find words \"\" in the same verse."},
      {"", AND, {-1, 99}, false, {}, "Could not find words \"\" in the same verse."},
      // Quoted phrases keep, in an AND search, the verses that hold them word for word.
      {"\"in the beginning\"", AND, {}, false, {0}, ""},
      {"\"the earth\"", AND, {}, false, {0, 1}, ""},
      {"\"the earth\" god", AND, {}, false, {0}, ""},
      {"\x93was without\x94", AND, {}, false, {1}, ""},
      {"\"light and", AND, {}, false, {2}, ""},
      {"\"in the caf\xC9\"", AND, {}, false, {3}, ""},
      {"\"the earth\"", AND, {2}, false, {1}, ""},
      {"\"earth the\"", AND, {}, false, {}, "Could not find words \"EARTH THE \" in the same verse."},
      {"\"earth the\"", OR, {}, false, {0, 1, 3, 4, 5}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query);
    SearchResult r = Run(c.query, c.mode, c.colors, c.wordsOfGod);
    EXPECT_EQ(Positions(r.hits), c.hits);
    EXPECT_EQ(r.HasHits(), !c.hits.empty());
    EXPECT_EQ(r.message, c.message);
    if (r.HasHits()) {
      EXPECT_EQ(r.hits.GetSize(), kBibleHitCount);
    }
  }
}

TEST_F(SearchRunTest, FiveHundredWordsAreAllLookedUp) {
  std::string same, last;
  for (int i = 0; i < 500; ++i) same += "god ";
  last = same + "zebra";
  EXPECT_EQ(Positions(Run(same, AND).hits), (std::vector<long>{0, 2, 5}));
  EXPECT_EQ(Positions(Run(same, OR).hits), (std::vector<long>{0, 2, 5}));
  EXPECT_EQ(Run(last, AND).message, "Could not find the word \"ZEBRA\".");
  std::string mixed;
  for (int i = 0; i < 250; ++i) mixed += "light hope ";
  SearchResult r = Run(mixed, AND);
  EXPECT_FALSE(r.HasHits());
  EXPECT_EQ(r.message.size(), std::string("Could not find words \"\" in the same verse.").size() + 250 * 11);
}

TEST_F(SearchRunTest, AMissingOrShortColourIndexLeavesItsSetsEmpty) {
  const std::string full = bibletest::ReadBytes(IndexPath());
  const std::string shortIndex = m_dir.Path() + "COLORNDX.SHORT";
  // Sets 0-2 whole, set 3 cut short, nothing after.
  bibletest::WriteBytes(shortIndex, full.substr(0, 3 * kColorSetBytes + 100));
  const std::string missing = m_dir.Path() + "COLORNDX.NONE";
  const struct {
    std::string index;
    std::vector<int> colors;
    bool wordsOfGod;
    std::vector<long> hits;
  } cases[] = {
      {shortIndex, {2}, false, {1, 4}},
      {shortIndex, {5}, false, {}},
      {shortIndex, {2}, true, {1, 4}},
      {missing, {2}, false, {}},
      {missing, {}, true, {}},
      {m_dir.Path(), {2}, false, {}},  // a folder, not a file
  };
  for (const auto& c : cases) {
    SearchResult r = Run("", AND, c.colors, c.wordsOfGod, c.index);
    EXPECT_EQ(Positions(r.hits), c.hits) << c.index;
    EXPECT_EQ(r.message.empty(), !c.hits.empty()) << c.index;
    EXPECT_EQ(Positions(Run("", OR, c.colors, c.wordsOfGod, c.index).hits), c.hits) << c.index;
  }
}

TEST_F(SearchRunTest, TheRequestTakesTheWordsOverInUpperCaseAndAddsTheWordsOfGod) {
  SearchRequest r = SearchRequest::FromText(" faith\nCaf\xE9  hope\r", kSearchOr);
  EXPECT_EQ(r.words, (std::vector<std::string>{"faith", "Caf\xE9", "hope"}));
  EXPECT_EQ(r.UpperWords(), (std::vector<std::string>{"FAITH", "CAF\xC9", "HOPE"}));
  EXPECT_EQ(r.mode, kSearchOr);
  r.colors = {3, 0};
  EXPECT_EQ(r.ColorCodes(), (std::vector<int>{3, 0}));
  r.wordsOfGod = true;
  EXPECT_EQ(r.ColorCodes(), (std::vector<int>{3, 0, 14}));
  EXPECT_EQ(ColorIndexPath("/lib/", "KJS"), "/lib/COLORNDX.KJS");
}

TEST_F(SearchRunTest, QuotesMakePhrasesAndLeaveTheWords) {
  using Words = std::vector<std::string>;
  const struct {
    const char* text;
    Words words;
    std::vector<Words> phrases;
  } cases[] = {
      {"faith hope", {"faith", "hope"}, {}},
      {"\"in the beginning\" God", {"in", "the", "beginning", "God"}, {{"in", "the", "beginning"}}},
      {"god \"the earth", {"god", "the", "earth"}, {{"the", "earth"}}},
      {"\x93was  without\x94 \"form\"", {"was", "without", "form"}, {{"was", "without"}, {"form"}}},
      {"a\"b c\"d", {"ab", "cd"}, {{"b", "c"}}},
      {"\"\" \" \" x", {"x"}, {}},
      {"\"", {}, {}},
  };
  for (const auto& c : cases) {
    const SearchRequest r = SearchRequest::FromText(c.text);
    EXPECT_EQ(r.words, c.words) << c.text;
    EXPECT_EQ(r.phrases, c.phrases) << c.text;
  }
}

TEST_F(SearchRunTest, ACancelledRunGivesNothing) {
  std::atomic<bool> cancel{true};
  const struct {
    const char* query;
    std::vector<int> colors;
  } cases[] = {{"god", {}}, {"zebra", {}}, {"", {2}}, {"\"in the beginning\"", {}}};
  for (const auto& c : cases) {
    SearchRequest request = SearchRequest::FromText(c.query);
    request.colors = c.colors;
    const SearchResult r = RunBibleSearch(m_bible, m_text, request, IndexPath(), &cancel);
    EXPECT_TRUE(r.cancelled) << c.query;
    EXPECT_FALSE(r.HasHits()) << c.query;
    EXPECT_EQ(r.message, "") << c.query;
  }
  cancel = false;
  EXPECT_FALSE(RunBibleSearch(m_bible, m_text, SearchRequest::FromText("god"), IndexPath(), &cancel).cancelled);
}

TEST(CombineHitsTest, EachOperationAndSetsOfAnotherSize) {
  auto make = [](size_t size, std::vector<size_t> positions) {
    CHitSet set(size);
    for (size_t p : positions) set.Set(p);
    return set;
  };
  const struct {
    CombineOp op;
    size_t otherSize;
    bool combined;
    std::vector<long> result;
  } cases[] = {
      {CombineOp::Or, 130, true, {0, 1, 64, 128}},
      {CombineOp::And, 130, true, {64}},
      {CombineOp::Xor, 130, true, {0, 1, 128}},
      {CombineOp::Xor, 129, false, {0, 64}},
      {CombineOp::Or, 131, false, {0, 64}},
  };
  for (const auto& c : cases) {
    CHitSet target = make(130, {0, 64});
    EXPECT_EQ(CombineHits(target, make(c.otherSize, {1, 64, 128}), c.op), c.combined);
    EXPECT_EQ(Positions(target), c.result);
    EXPECT_EQ(target.GetSize(), 130u);
  }
}

TEST(SearchControllerTest, KeepsTheLastSearch) {
  CSearchController controller;
  controller.SetLastSearch({"FAITH", "HOPE"}, {2, 14});
  controller.SetSearchedBook("KJS");
  controller.SetLastSearch({"LOVE"}, {});
  EXPECT_EQ(controller.GetWords(), std::vector<std::string>{"LOVE"});
  EXPECT_TRUE(controller.GetColors().empty());
  EXPECT_EQ(controller.GetSearchedBooks(), std::vector<std::string>{"KJS"});
  controller.Clear();
  EXPECT_TRUE(controller.GetWords().empty());
  EXPECT_TRUE(controller.GetSearchedBooks().empty());
}

// A book of four sections whose concordance holds three words.
class BookSearchTest : public ::testing::Test {
 protected:
  BookSearchTest() {
    solt::cSectionsWriter sections(testbook::Version());
    for (const char* name : {"Intro", "Grace", "Faith", "Hope"}) sections.AddSection(name, 1, 0, 0);
    testbook::WriteBytes(m_dir.File("sections.idx"), sections.Build());
    solt::cConcordWriter concord(testbook::Version());
    concord.AddLanguage(1033, {{"faith", {1, 2}, {{4}, {0}}}, {"grace", {1}, {{0}}}, {"hope", {3}, {{2}}}});
    testbook::WriteBytes(m_dir.File("concord.idx"), concord.Build());
    m_book = m_dir.MakeBook();
  }

  testbook::BookDir m_dir{solt::cViewableWriter(testbook::Version())};
  cSOLTBook m_book;
};

TEST_F(BookSearchTest, WordsGiveSectionKeys) {
  const struct {
    const char* query;
    int mode;
    std::vector<long> hits;
    const char* message;
  } cases[] = {
      {"faith", AND, {1, 2}, ""},
      {"Faith", OR, {1, 2}, ""},
      {"faith grace", AND, {1}, ""},
      {"faith hope", OR, {1, 2, 3}, ""},
      {"grace hope", AND, {}, "Could not find words \"GRACE HOPE \" in the same verse."},
      {"faith love", OR, {}, "Could not find the word \"LOVE\"."},
      {"", AND, {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.query);
    SearchRequest request = SearchRequest::FromText(c.query, c.mode);
    SearchResult r = RunBookSearch(m_book, request);
    EXPECT_EQ(Positions(r.hits), c.hits);
    EXPECT_EQ(r.message, c.message);
    if (r.HasHits()) {
      EXPECT_EQ(r.hits.GetSize(), 4u);
    }
  }
  EXPECT_EQ(m_book.GetOpenFlags(), 0u);
}

TEST_F(BookSearchTest, ABookThatCannotBeOpenedGivesNothing) {
  cSOLTBook missing = m_book;
  missing.SetTextPath("/nonexistent/book/");
  missing.SetIDXPath("/nonexistent/book/");
  SearchResult r = RunBookSearch(missing, SearchRequest::FromText("faith"));
  EXPECT_FALSE(r.HasHits());
  EXPECT_EQ(r.message, "");
  // A damaged concordance is no better.
  testbook::WriteBytes(m_dir.File("concord.idx"), "garbage");
  r = RunBookSearch(m_book, SearchRequest::FromText("faith"));
  EXPECT_FALSE(r.HasHits());
  EXPECT_EQ(r.message, "");
}

TEST_F(BookSearchTest, ACancelledRunGivesNothing) {
  std::atomic<bool> cancel{true};
  for (const char* query : {"faith", "love"}) {
    SearchResult r = RunBookSearch(m_book, SearchRequest::FromText(query), &cancel);
    EXPECT_TRUE(r.cancelled) << query;
    EXPECT_FALSE(r.HasHits()) << query;
    EXPECT_EQ(r.message, "") << query;
  }
  EXPECT_EQ(m_book.GetOpenFlags(), 0u);
}

}  // namespace
}  // namespace klmw
