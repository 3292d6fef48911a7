// soltkit ref as a user scripts it: REFBASE.DAT built by `soltkit ref build`
// and found through REFBASE_DIR, and the shipped file beside the library.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/tests/runprogram.h"

namespace {

using Result = testrun::Run;

std::string MakeTempDir() {
  std::string pattern = testing::TempDir() + "refcommandsXXXXXX";
  EXPECT_NE(nullptr, ::mkdtemp(pattern.data()));
  return pattern + "/";
}

// Runs soltkit with REFBASE_DIR set to `dataDir` (removed when empty).
Result Soltkit(const std::vector<std::string>& args, const std::string& dataDir = {}) {
  return testrun::RunProgram(SOLTKIT_PATH, args, {dataDir.empty() ? "REFBASE_DIR" : "REFBASE_DIR=" + dataDir});
}

class RefCommands : public testing::Test {
 protected:
  void SetUp() override {
    m_dir = MakeTempDir();
    std::ofstream(m_dir + "source.txt") << "book 1\n"
                                           "verses 3 2\n"
                                           "alias 1 2 2:1:1 3:1:1 2:1:2\n"
                                           "near 1 2 3:1:3\n"
                                           "alias 2 1 3:1:1\n"
                                           "book 2\n"
                                           "chapter A 3\n"
                                           "label 1 1 1a\n"
                                           "book 3\n"
                                           "verses 4\n";
    Result built = Soltkit({"ref", "build", m_dir + "source.txt", m_dir + "REFBASE.DAT"}, m_dir);
    ASSERT_EQ(0, built.status) << built.err;
    EXPECT_EQ("", built.out);
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }
  std::string m_dir;
};

TEST_F(RefCommands, AnswerAsTheLibraryDoes) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"chapters", "1"}, "2\n"},
      {{"chapters", "4"}, "0\n"},
      {{"verses", "1", "1"}, "3\n"},
      {{"verses", "1", "3"}, "0\n"},
      {{"chapter-id", "2", "a"}, "1\n"},
      {{"chapter-id", "1", "2 "}, "0\n"},
      {{"verse-id", "2", "1", "1A"}, "1\n"},
      {{"verse-id", "1", "1", "4"}, "0\n"},
      {{"label", "2", "1", "1"}, "A\t1a\n"},
      {{"label", "1", "2", "2"}, "2\t2\n"},
      {{"label", "1", "2", "0"}, ""},
      {{"next", "1", "1", "3"}, "1\t2\t1\n"},
      {{"next", "1", "2", "2"}, "end\n"},
      {{"aliases", "1", "1", "2"}, "2\t1\t1\n3\t1\t1\n2\t1\t2\n"},
      {{"aliases", "1", "1", "2", "--near"}, "3\t1\t3\n"},
      {{"aliases", "1", "1", "1"}, ""},
      {{"similar-books", "1"}, "2\n3\n"},
      {{"similar-chapters", "1", "1"}, "2\t1\n3\t1\n"},
      {{"similar-chapters", "1", "2"}, "3\t1\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"ref"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(testing::PrintToString(args));
    Result run = Soltkit(args, m_dir);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(c.out, run.out);
  }
}

TEST_F(RefCommands, UsageAndUnreadableInput) {
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"ref"}, {"ref", "chapters"}, {"ref", "chapters", "x"}, {"ref", "chapters", "65536"},
           {"ref", "nonsense"}, {"ref", "next", "1", "1"}, {"ref", "chapters", "1", "--near"}}) {
    SCOPED_TRACE(testing::PrintToString(args));
    EXPECT_EQ(2, Soltkit(args, m_dir).status);
  }
  std::ofstream(m_dir + "bad.txt") << "book 1\nverses x\n";
  Result bad = Soltkit({"ref", "build", m_dir + "bad.txt", m_dir + "OUT.DAT"}, m_dir);
  EXPECT_EQ(1, bad.status);
  EXPECT_NE(std::string::npos, bad.err.find("soltkit: " + m_dir + "bad.txt: line 2: ")) << bad.err;

  // Without its data file every lookup is refused as unreadable input.
  std::filesystem::remove(m_dir + "REFBASE.DAT");
  Result missing = Soltkit({"ref", "chapters", "1"}, m_dir);
  EXPECT_EQ(1, missing.status);
  EXPECT_EQ("", missing.out);
}

TEST(ShippedRefCommands, KingJamesNumbers) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"ref", "chapters", "19"}, "150\n"},
      {{"ref", "verses", "19", "119"}, "176\n"},
      {{"ref", "verses", "64", "1"}, "14\n"},
      {{"ref", "next", "66", "22", "21"}, "end\n"},
  };
  for (const Case& c : cases) {
    Result run = Soltkit(c.args);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(c.out, run.out);
  }
}

}  // namespace

// soltkit refs: references read from text, walked, and numeric ranges, with
// the shipped data; then with none.
TEST(RefsCommands, ParseWalkAndResolve) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"parse", "See Gen. 1:1-3; 2:4, 6."},
       "1\t1\t1\t1\t1\t3\t1\t0\t4\t14\n1\t2\t4\t1\t2\t4\t1\t0\t16\t19\n1\t2\t6\t1\t2\t6\t1\t0\t21\t22\n"},
      {{"parse", "Jude 5 (NIV)"}, "65\t1\t5\t65\t1\t5\t3\t0\t0\t12\n"},
      {{"parse", "Rom 8.28", "--period"}, "45\t8\t28\t45\t8\t28\t1\t0\t0\t8\n"},
      {{"parse", "see Gn here"}, "error 4\n"},
      {{"parse", "see Gn here", "--lone-book"}, "1\t1\t1\t1\t50\t26\t1\t0\t4\t6\n"},
      {{"parse", "no reference at all"}, "error 19\n"},  // the end of the text
      {{"parse", "Gen 1:1-"}, "1\t1\t1\t1\t1\t1\t1\t0\t0\t7\n"},
      {{"verses", "Gen 50:25-Exod 1:2"}, "1\t50\t25\n1\t50\t26\n2\t1\t1\n2\t1\t2\n"},
      {{"verses", "Jude 25 and Obad 21"}, "65\t1\t25\n31\t1\t21\n"},
      {{"verses", "Gen 99"}, "error 0\n"},
      {{"range", "19 23:0"}, "19\t23\t1\t19\t23\t6\t0\t1\tchapter\tforward\n"},
      {{"range", "1 1:1-2 3:4 3"}, "1\t1\t1\t2\t3\t4\t3\t3\tverse\tforward\n"},
      {{"range", "2 1:0-1 1:0", "--translation", "KJV"}, "2\t1\t1\t1\t1\t31\t1\t1\tchapter\tbackward\n"},
      {{"range", "1 0:0-1 0:0"}, "1\t1\t1\t1\t50\t26\t0\t1\tbook\tforward\n"},
      {{"range", "1 1:1-2 3"}, "invalid\n"},
      {{"range", "1 51:1"}, "invalid\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"refs"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(testing::PrintToString(args));
    Result run = Soltkit(args);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(c.out, run.out);
  }
}

TEST(RefsCommands, UsageAndMissingData) {
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"refs"}, {"refs", "nonsense"}, {"refs", "parse"}, {"refs", "parse", "Gen 1", "--translation", "XYZ"},
           {"refs", "range", "1 1:1", "--period"}, {"refs", "verses", "a", "b"}}) {
    SCOPED_TRACE(testing::PrintToString(args));
    EXPECT_EQ(2, Soltkit(args).status);
  }
  const std::string empty = MakeTempDir();
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"refs", "parse", "Gen 1:1"}, {"refs", "verses", "Gen 1:1"}, {"refs", "range", "1 1:1"}}) {
    SCOPED_TRACE(testing::PrintToString(args));
    Result run = Soltkit(args, empty);
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("", run.out);
    EXPECT_NE(std::string::npos, run.err.find("could not be loaded")) << run.err;
  }
  std::filesystem::remove_all(empty);
}
