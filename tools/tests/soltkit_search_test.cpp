// soltkit search as a user scripts it: a Bible searched by words and colours,
// a book by its concordance, the messages, and the exit codes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "biblefile/biblebuilder.h"
#include "platform/coding.h"
#include "soltread/indexwriters.h"
#include "soltread/tests/testbook.h"
#include "tools/tests/runprogram.h"

namespace {

using Result = testrun::Run;

Result Soltkit(const std::vector<std::string>& words) { return testrun::RunProgram(SOLTKIT_PATH, words); }

class SoltkitSearch : public testing::Test {
 protected:
  void SetUp() override {
    klmw::CBibleBuilder builder;
    builder.SetCode("TST");
    std::string error;
    const char* verses[] = {"In the beginning God created the earth.", "And the earth was void; faith.",
                            "God said, Let there be light.", "Hope and faith."};
    for (int v = 0; v < 4; ++v) ASSERT_TRUE(builder.AddVerse(1, 1, v + 1, verses[v], error)) << error;
    ASSERT_TRUE(builder.AddVerse(2, 1, 1, "God with us.", error)) << error;  // the Bible's verse 5
    ASSERT_TRUE(builder.Write(m_dir, error)) << error;
    // Search code 2 on verses 1 and 4, the underlined verse 2 (sets of 972
    // little-endian words back to back, 15 of them).
    std::string index(15 * 3888, '\0');
    auto mark = [&](int set, int verse) {
      char* word = index.data() + set * 3888 + verse / 32 * 4;
      platform::EncodeFixed32(word, platform::DecodeFixed32(word) | 1u << (verse % 32));
    };
    mark(2, 1);
    mark(2, 4);
    mark(14, 2);
    std::filesystem::create_directories(m_dir + "colours");
    testbook::WriteBytes(m_dir + "colours/COLORNDX.TST", index);
    testbook::WriteBytes(m_dir + "COLORNDX.TST", index.substr(0, 3 * 3888));
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::string m_dir = testbook::MakeTempDir();
};

TEST_F(SoltkitSearch, SearchesABible) {
  const std::string ixb = m_dir + "TST.ixb", colours = m_dir + "colours";
  const struct {
    std::vector<std::string> words;
    std::string out;
  } cases[] = {
      {{ixb, "god"}, " 3 Hits [god]\n0\tGenesis 1:1\n2\tGenesis 1:3\n4\tExodus 1:1\n"},
      {{ixb, "faith", "Earth"}, " 1 Hits [faith...]\n1\tGenesis 1:2\n"},
      {{ixb, "light", "hope", "--or"}, " 2 Hits [light...]\n2\tGenesis 1:3\n3\tGenesis 1:4\n"},
      {{ixb, "light", "hope"}, "Could not find words \"LIGHT HOPE \" in the same verse.\n"},
      {{ixb, "god", "zebra"}, "Could not find the word \"ZEBRA\".\n"},
      {{ixb}, ""},
      // The colour index beside the Bible holds sets 0-2 only.
      {{ixb, "--colors", "2"}, " 2 Hits [ ]\n1\tGenesis 1:2\n4\tExodus 1:1\n"},
      {{ixb, "--woc"}, "Could not find words \"\" in the same verse.\n"},
      {{ixb, "--woc", "--colordir", colours}, " 1 Hits [ ]\n2\tGenesis 1:3\n"},
      {{ixb, "god", "--colors", "0,2", "--woc", "--colordir", colours}, " 2 Hits [god]\n2\tGenesis 1:3\n4\tExodus 1:1\n"},
      {{ixb, "god", "--colors", "5", "--or", "--colordir", colours}, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> words = {"search"};
    words.insert(words.end(), c.words.begin(), c.words.end());
    Result r = Soltkit(words);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.out) << words.size();
  }
}

TEST_F(SoltkitSearch, SearchesABookAndRefusesBadArguments) {
  const std::string book = m_dir + "book/";
  std::filesystem::create_directories(book);
  {
    testbook::BookDir made{solt::cViewableWriter(testbook::Version())};
    std::filesystem::copy(made.Path(), book, std::filesystem::copy_options::recursive);
  }
  solt::cSectionsWriter sections(testbook::Version());
  for (const char* name : {"Intro", "Grace", "Faith"}) sections.AddSection(name, 1, 0, 0);
  testbook::WriteBytes(book + "sections.idx", sections.Build());
  solt::cConcordWriter concord(testbook::Version());
  concord.AddLanguage(1033, {{"faith", {1, 2}, {{4}, {0}}}, {"grace", {1}, {{0}}}});
  testbook::WriteBytes(book + "concord.idx", concord.Build());

  Result r = Soltkit({"search", book, "faith"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, " 2 Hits [faith]\n1\tGrace\n2\tFaith\n");
  r = Soltkit({"search", book, "grace", "faith"});
  EXPECT_EQ(r.out, " 1 Hits [grace...]\n1\tGrace\n");
  r = Soltkit({"search", book, "hope"});
  EXPECT_EQ(r.out, "Could not find the word \"HOPE\".\n");

  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"search"}, {"search", m_dir + "TST.ixb", "--colors", "12"}, {"search", m_dir + "TST.ixb", "--colors", "1,x"},
           {"search", m_dir + "TST.ixb", "--colors"}, {"search", book, "faith", "--woc"}}) {
    r = Soltkit(bad);
    EXPECT_EQ(r.status, 2) << bad.size();
    EXPECT_EQ(r.out, "");
  }
  r = Soltkit({"search", m_dir + "none.ixb", "god"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
}

// The shipped KJV (KLMW_BIBLE names its KJS.ixb): faith and hope share
// exactly these eight verses.
TEST(SoltkitSearchKjv, FaithAndHope) {
  const char* ixb = std::getenv("KLMW_BIBLE");
  if (!ixb || !std::filesystem::exists(ixb)) GTEST_SKIP() << "set KLMW_BIBLE to the sample library's KJS.ixb";
  Result r = Soltkit({"search", ixb, "faith", "hope"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            " 8 Hits [faith...]\n28049\tRomans 5:2\n28678\t1 Corinthians 13:13\n28986\t2 Corinthians 10:15\n"
            "29167\tGalatians 5:5\n29488\tColossians 1:23\n29563\t1 Thessalonians 1:3\n"
            "29629\t1 Thessalonians 5:8\n30395\t1 Peter 1:21\n");
}

}  // namespace
