// soltkit as a user scripts it: output, error lines and exit codes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "biblefile/tests/biblefixture.h"
#include "soltread/tests/testbook.h"
#include "tools/tests/runprogram.h"

namespace {

using Result = testrun::Run;

Result Soltkit(const std::vector<std::string>& args) { return testrun::RunProgram(SOLTKIT_PATH, args); }

class SoltkitBook : public testing::Test {
 protected:
  void SetUp() override {
    solt::cViewableWriter writer(testbook::Version());
    writer.SetCompression(1);
    writer.SetHeaderText("{\\title:Sample Title}");
    writer.SetHeaderArea(m_header);
    writer.AddArea(m_area);
    m_dir = std::make_unique<testbook::BookDir>(writer);
  }
  std::string m_header = "{\\rtf1\\ansi ";
  std::string m_area = testbook::SampleText(10000) + "}";
  std::unique_ptr<testbook::BookDir> m_dir;
};

TEST_F(SoltkitBook, Info) {
  // The fixture's header says "title", as books compiled before "Title" did.
  // The sync type is taken from the sync index present: remove all but one.
  for (const char* name : {"wsync.idx", "ssync.idx", "dsync.idx"}) std::filesystem::remove(m_dir->File(name));
  Result run = Soltkit({"info", m_dir->Path()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "publisher: 7\nbook: 42\nversion: 0.9\ntitle: Sample Title\nsections: 0\nglossary: 0\nareas: 2\n"
            "compression: 1\nheader-length: 12\nwords: 0\nsync: verse\n");
}

TEST_F(SoltkitBook, AreaWholeAndByChunksIsTheSame) {
  for (std::vector<std::string> extra : {std::vector<std::string>{}, {"--chunk", "1"}, {"--chunk", "2048"},
                                         {"--chunk=5"}, {"--chunk", "100000000"}}) {
    std::vector<std::string> args = {"area", m_dir->Path(), "1"};
    args.insert(args.end(), extra.begin(), extra.end());
    Result run = Soltkit(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, m_header + m_area) << (extra.empty() ? "whole" : extra.back());
  }
}

TEST_F(SoltkitBook, ErrorsAndUsage) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string errStart;
  };
  const std::string dir = m_dir->Path();
  const std::vector<Case> cases = {
      {{}, 2, "usage:"},
      {{"frobnicate"}, 2, "soltkit: unknown command"},
      {{"info"}, 2, "soltkit: missing argument"},
      {{"area", dir}, 2, "soltkit: missing argument"},
      {{"area", dir, "one"}, 2, "soltkit: BOOKKEY"},
      {{"area", dir, "1", "--chunk", "0"}, 2, "soltkit: --chunk"},
      {{"area", dir, "1", "--bogus"}, 2, "soltkit: unknown option --bogus"},
      {{"info", dir + "missing"}, 1, "soltkit: All or part of the path is invalid."},
      {{"info", dir, "--pub", "8"}, 1, "soltkit: Publisher ID and/or the Book ID mismatch error."},
      {{"area", dir, "7"}, 0, "soltkit: no viewable area 7"},
  };
  for (const Case& c : cases) {
    Result run = Soltkit(c.args);
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    EXPECT_EQ(run.status, c.status) << joined << run.err;
    EXPECT_EQ(run.err.compare(0, c.errStart.size(), c.errStart), 0) << joined << run.err;
    if (c.status != 0) {
      EXPECT_EQ(run.out, "") << joined;
    }
  }
}

TEST_F(SoltkitBook, CorruptAreaIsAnInputError) {
  std::string dat = testbook::ReadBytes(m_dir->File("book.dat"));
  dat.resize(dat.size() - 20);
  testbook::WriteBytes(m_dir->File("book.dat"), dat);
  for (std::vector<std::string> args : {std::vector<std::string>{"area", m_dir->Path(), "1"},
                                        {"area", m_dir->Path(), "1", "--chunk", "64"}}) {
    Result run = Soltkit(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("soltkit: "), std::string::npos);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line: " << run.err;
  }
}

}  // namespace

namespace {

// Every book command on the sample book, compiled by soltkit build itself.
TEST(SoltkitSample, CommandsAnswerAsTheBookSays) {
  std::string dir = testbook::MakeTempDir();
  Result build = Soltkit({"build", SAMPLE_BOOK_SOURCE, dir + "book"});
  ASSERT_EQ(build.status, 0) << build.err;
  EXPECT_EQ(build.out, "");
  const std::string book = dir + "book";
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const std::vector<Case> cases = {
      {{"path", book, "3"}, "\\Genesis 1 - The Creation\\Genesis 1:6-13 - Waters and land\n"},
      {{"key", book, "genesis 1 - the creation\\GENESIS 1:1-5 - LIGHT"}, "2\n"},
      {{"key", book, "\\No such section"}, "-1\n"},
      {{"words", book, "--from", "wate", "--count", "2"}, "192\twaters\t2\n193\tway\t1\n"},
      {{"words", book, "--from", "zzz"}, ""},
      {{"keys", book, "Firmament"}, "3\n4\n5\n"},
      {{"keys", book, "nothing-like-it"}, ""},
      {{"positions", book, "light", "2"}, "2\n65\n69\n"},
      {{"verse-keys", book, "1", "1", "3"}, "2\n"},
      {{"verse-keys", book, "1", "1", "--all-verses"}, "0\n2\n3\n"},
      {{"verse-keys", book, "1", "--all-chapters"}, "0\n2\n3\n"},
      {{"verse-keys", book, "2"}, ""},
      {{"sync", book, "1,1,7"}, "3\n"},
      {{"sync", book, "1,1,99"}, "-1\n"},
      {{"sync", book, "1,1"}, "-1\n"},
  };
  for (const Case& c : cases) {
    Result run = Soltkit(c.args);
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    EXPECT_EQ(run.status, 0) << joined << run.err;
    EXPECT_EQ(run.out, c.out) << joined;
  }
  // Compiled books carry the published "Title"; the fixture above the old "title".
  Result info = Soltkit({"info", book});
  EXPECT_NE(info.out.find("\ntitle: Notes on the Beginning\n"), std::string::npos) << info.out;
  Result toc = Soltkit({"toc", book});
  EXPECT_EQ(toc.out.substr(0, toc.out.find('\n', toc.out.find('\n') + 1) + 1),
            "0\t1\t-1\t-1\t1\t-1\t1\t0\tIntroduction\n1\t1\t-1\t2\t4\t0\t2\t0\tGenesis 1 - The Creation\n");
  EXPECT_EQ(std::count(toc.out.begin(), toc.out.end(), '\n'), 7);

  // The book has no word sync index: asking for one is an input error.
  Result word = Soltkit({"sync", book, "love", "--sync", "word"});
  EXPECT_EQ(word.status, 1);
  EXPECT_NE(word.err.find("The file could not be located."), std::string::npos) << word.err;

  Result bad = Soltkit({"build", SAMPLE_BOOK_SOURCE "/sections", dir + "other"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("book.ini: cannot read"), std::string::npos) << bad.err;
  std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

TEST(SoltkitRtf, DumpShowsRunsLinksAndLevels) {
  std::string dir = testbook::MakeTempDir();
  testbook::WriteBytes(dir + "in.rtf",
                       "{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}}\\f0 Hi {\\b bold}\\soltstartlevel0 "
                       "{\\soltlink John{\\soltlinkto4 43 3:16}}\\par\n\\qc Two\\tab \"x\"\\par}");
  Result run = Soltkit({"rtf", "dump", dir + "in.rtf"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "P\t0\t0\t0\t0\t0\n"
            "R\t3\t0\t0\t0\t0\t0\t0\t240\t0\t0\t0\t5\t0\t0\t0\t\"Hi \"\n"
            "R\t4\t1\t0\t0\t0\t0\t0\t240\t0\t0\t0\t5\t0\t0\t0\t\"bold\"\n"
            "R\t4\t0\t0\t0\t0\t0\t0\t240\t0\t0\t0\t4\t0\t0\t0\t\"John\"\n"
            "L\t4\t\"43 3:16\"\n"
            "R\t1\t0\t0\t0\t0\t0\t0\t240\t0\t0\t0\t5\t0\t0\t0\t\"\\x0D\"\n"
            "P\t1\t2\t0\t0\t0\n"
            "R\t8\t0\t0\t0\t0\t0\t0\t240\t0\t0\t0\t5\t0\t0\t0\t\"Two\\t\\\"x\\\"\\x0D\"\n"
            "V\t0\t7\n");
  Result missing = Soltkit({"rtf", "dump", dir + "missing.rtf"});
  EXPECT_EQ(missing.status, 1);
  Result usage = Soltkit({"rtf", "dump"});
  EXPECT_EQ(usage.status, 2);
  std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

TEST(SoltkitRtf, TextAndRtfRoundTrip) {
  std::string dir = testbook::MakeTempDir();
  testbook::WriteBytes(dir + "in.rtf", "{\\rtf1\\ansi Hello {\\b bold} w\\'e9rld\\par\nTwo\\par}");
  Result text = Soltkit({"rtf", "text", dir + "in.rtf"});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out, "Hello bold w\xe9rld\r\n\r\nTwo");
  Result rtf = Soltkit({"rtf", "rtf", dir + "in.rtf"});
  EXPECT_EQ(rtf.status, 0) << rtf.err;
  testbook::WriteBytes(dir + "again.rtf", rtf.out);
  EXPECT_EQ(Soltkit({"rtf", "text", dir + "again.rtf"}).out, text.out);
  EXPECT_EQ(Soltkit({"rtf", "rtf", dir + "in.rtf", "--from-level"}).status, 2);
  std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

// Layout with the fixed metrics: a \fs24 character is 240 high, 120 wide,
// with an ascent of 192; superscript is 65 % of that, small capitals 80 %.
TEST(SoltkitRtf, LayoutPrintsParagraphsLinesAndRows) {
  const struct {
    const char* name;
    const char* rtf;
    const char* width;
    const char* out;
  } cases[] = {
      {"a word that does not fit starts the next line; trailing space counts in spacewidth only",
       "{\\rtf1 aaa bbb\\par}", "500",
       "P\t0\t480\t360\nL\t0\t3\t360\t480\t240\t192\t0\nL\t4\t7\t360\t360\t240\t192\t0\n"},
      {"a centred line of a larger font", "{\\rtf1\\qc\\fs48 ab\\par}", "500",
       "P\t0\t480\t480\nL\t0\t2\t480\t480\t480\t384\t10\n"},
      {"superscript and small capitals are narrower; the mark's font sets the height",
       "{\\rtf1 {\\super ab}\\scaps ab\\par}", "5000", "P\t0\t240\t348\nL\t0\t4\t348\t348\t240\t192\t0\n"},
      {"cell paragraphs are numbered on and followed by their row",
       "{\\rtf1\\trowd\\trgaph100\\trleft200\\cellx1000\\cellx3000\\pard\\intbl a\\cell bb\\cell\\row"
       "\\pard\\qr\\ri100 after\\par}",
       "5000",
       "P\t0\t240\t120\nL\t0\t1\t120\t120\t240\t192\t0\n"
       "P\t1\t240\t240\nL\t0\t2\t240\t240\t240\t192\t0\n"
       "ROW\t200\t240\n"
       "P\t2\t240\t600\nL\t0\t5\t600\t600\t240\t192\t4300\n"},
  };
  std::string dir = testbook::MakeTempDir();
  const std::string file = dir + "in.rtf";
  for (const auto& c : cases) {
    testbook::WriteBytes(file, c.rtf);
    Result run = Soltkit({"rtf", "layout", file, "--width", c.width, "--fixed"});
    EXPECT_EQ(run.status, 0) << c.name << run.err;
    EXPECT_EQ(run.out, c.out) << c.name;
  }

  const struct {
    std::vector<std::string> args;
    int status;
  } errors[] = {
      {{"rtf", "layout", file, "--fixed"}, 2},
      {{"rtf", "layout", file, "--width", "-5", "--fixed"}, 2},
      {{"rtf", "text", file, "--fixed"}, 2},
      {{"rtf", "layout", dir + "missing.rtf", "--width", "100", "--fixed"}, 1},
  };
  for (const auto& e : errors) {
    Result run = Soltkit(e.args);
    EXPECT_EQ(run.status, e.status) << e.args[1] << " " << e.args[3];
    EXPECT_EQ(run.out, "") << e.args[1] << " " << e.args[3];
    EXPECT_EQ(run.err.rfind("soltkit: ", 0), 0u) << run.err;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

TEST(SoltkitRtf, FindCountsAndMarkListsTheMarkedStretches) {
  std::string dir = testbook::MakeTempDir();
  const std::string file = dir + "in.rtf";
  testbook::WriteBytes(file,
                       "{\\rtf1\\ansi {\\soltconcordanceon Lord God}the LORD God\\soltconcordanceoff and "
                       "{\\soltconcordanceon}love of God, love\\soltconcordanceoff\\par}");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;
  } cases[] = {
      {{"rtf", "find", file, "0", "god"}, 0, "1\n"},
      {{"rtf", "find", file, "0", "god", "--all"}, 0, "3\n"},
      {{"rtf", "find", file, "0", "god", "--all", "--case"}, 0, "0\n"},
      {{"rtf", "find", file, "1", "god", "--all"}, 0, "0\n"},
      {{"rtf", "mark", file, "0", "love", "lord*"}, 0, "0 4 \"Lord\"\n12 4 \"LORD\"\n25 4 \"love\"\n38 4 \"love\"\n"},
      {{"rtf", "mark", file, "0", "lord god"}, 0, "0 8 \"Lord God\"\n12 8 \"LORD God\"\n"},
      {{"rtf", "mark", file, "0", "love", "--all"}, 2, ""},
      {{"rtf", "find", file, "x", "god"}, 2, ""},
      {{"rtf", "find", file, "0"}, 2, ""},
      {{"rtf", "dump", file, "--case"}, 2, ""},
      {{"rtf", "find", dir + "missing.rtf", "0", "god"}, 1, ""},
  };
  for (const auto& c : cases) {
    Result run = Soltkit(c.args);
    EXPECT_EQ(run.status, c.status) << c.args[1] << " " << c.args.back() << run.err;
    EXPECT_EQ(run.out, c.out) << c.args[1] << " " << c.args.back();
  }
  std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

// A book following a Bible window: Genesis 1:1 and 2:2 of the small Bible
// (verse indexes 0 and 4) have sections.
TEST_F(SoltkitBook, FollowFindsTheNearestVerseWithASection) {
  for (const char* name : {"wsync.idx", "ssync.idx", "dsync.idx"}) std::filesystem::remove(m_dir->File(name));
  solt::cVerseSyncWriter vsync(testbook::Version());
  vsync.Add(1, 1, 1, 11);
  vsync.Add(1, 2, 2, 22);
  testbook::WriteBytes(m_dir->File("vsync.idx"), vsync.Build());
  bibletest::TempDir bibleDir;
  std::string error;
  ASSERT_TRUE(bibletest::SmallBible().Write(bibleDir.Path(), error)) << error;
  const std::string book = m_dir->Path();
  const std::string bible = bibleDir.Path() + "TST.ixb";
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string errStart;
  };
  const std::vector<Case> cases = {
      {{"follow", book, bible, "0"}, 0, "11\n", ""},
      {{"follow", book, bible, "1"}, 0, "11\n", ""},  // one verse back
      {{"follow", book, bible, "2"}, 0, "-1\n", ""},  // the last verse looks back one verse only
      {{"follow", book, bible, "3"}, 0, "22\n", ""},  // one verse forward
      {{"follow", book, bible, "5"}, 0, "-1\n", ""},  // Exodus has none
      {{"follow", book, bible, "7"}, 0, "-1\n", ""},  // beyond the Bible
      {{"follow", book, bible, "0", "--sync", "word"}, 0, "-1\n", ""},
      {{"follow", book, bible}, 2, "", "soltkit: missing argument"},
      {{"follow", book, bible, "first"}, 2, "", "soltkit: VERSEINDEX"},
      {{"follow", book, bible + ".missing", "0"}, 1, "", "soltkit: cannot load the Bible"},
      {{"follow", book, bible, "0", "--pub", "8"}, 1, "", "soltkit: Publisher ID and/or the Book ID mismatch"},
  };
  for (const Case& c : cases) {
    Result run = Soltkit(c.args);
    EXPECT_EQ(run.status, c.status) << c.args.back() << run.err;
    EXPECT_EQ(run.out, c.out) << c.args.back();
    EXPECT_EQ(run.err.compare(0, c.errStart.size(), c.errStart), 0) << c.args.back() << run.err;
  }
  // A verse book without its index cannot follow: an input error.
  std::filesystem::remove(m_dir->File("vsync.idx"));
  Result missing = Soltkit({"follow", book, bible, "0", "--sync", "verse"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("The file could not be located."), std::string::npos) << missing.err;
}

}  // namespace
