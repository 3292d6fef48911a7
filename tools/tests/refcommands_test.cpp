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
