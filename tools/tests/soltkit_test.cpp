// soltkit as a user scripts it: output, error lines and exit codes.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "soltread/tests/testbook.h"

extern char** environ;

namespace {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) { return testbook::ReadBytes(path); }

Result Soltkit(const std::vector<std::string>& args) {
  std::string dir = testbook::MakeTempDir();
  std::vector<std::string> words = {SOLTKIT_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, (dir + "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (dir + "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid;
  Result run;
  if (posix_spawn(&pid, SOLTKIT_PATH, &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = Slurp(dir + "out");
  run.err = Slurp(dir + "err");
  std::filesystem::remove_all(dir);
  return run;
}

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
