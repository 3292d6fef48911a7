// soltkit trans as a user scripts it: a table built from a source, then asked.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/tests/runprogram.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

using Outcome = testrun::Run;

class SoltkitTrans : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "soltkittrans.XXXXXX").string();
    ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
    m_dir = pattern + "/";
    std::ofstream(m_dir + "source.txt") << "// two small Bibles\nKJV\n1\n2\n3\n40\nkjva\n1\n2\n3\n69\n70\n40\n";
    Outcome built = Soltkit({"trans", "build", m_dir + "source.txt", m_dir + "VTTRANS.DAT"});
    ASSERT_EQ(0, built.status) << built.err;
    ASSERT_EQ("", built.out);
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  // soltkit with REFBASE_DIR naming the test's folder.
  Outcome Soltkit(const std::vector<std::string>& args) {
    return testrun::RunProgram(SOLTKIT_PATH, args, {"REFBASE_DIR=" + m_dir});
  }

  // The last line of stderr: soltkit's own, after any load-time messages.
  static std::string LastLine(const std::string& text) {
    std::string t = text;
    if (!t.empty() && t.back() == '\n') t.pop_back();
    return t.substr(t.rfind('\n') == std::string::npos ? 0 : t.rfind('\n') + 1);
  }

  std::string m_dir;
};

TEST_F(SoltkitTrans, Answers) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const Case cases[] = {
      {{"trans", "list"}, "1\tKJV\n2\tkjva\n"},
      {{"trans", "books", "KJVA"}, "1\n2\n3\n69\n70\n40\n"},
      {{"trans", "books", "kjv"}, "1\n2\n3\n40\n"},
      {{"trans", "books", "WEB"}, ""},
      {{"trans", "range", "KJVA", "3", "40"}, "69\n70\n40\n"},
      {{"trans", "range", "KJVA", "1", "2"}, "2\n"},
      {{"trans", "range", "KJVA", "2", "2"}, "refused\n"},
      {{"trans", "range", "KJVA", "40", "3"}, "refused\n"},
      {{"trans", "range", "KJV", "3", "69"}, "refused\n"},
      {{"trans", "compare", "KJVA", "69", "40"}, "1\n"},
      {{"trans", "compare", "KJVA", "40", "69"}, "-1\n"},
      {{"trans", "compare", "KJVA", "3", "3"}, "0\n"},
      {{"trans", "compare", "KJV", "69", "1"}, "0\n"},
      {{"trans", "compare", "WEB", "1", "2"}, "0\n"},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    SCOPED_TRACE(line);
    Outcome run = Soltkit(c.args);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(c.out, run.out);
  }
}

TEST_F(SoltkitTrans, FailuresAndUsage) {
  std::ofstream(m_dir + "bad.txt") << "A\n257\n";
  const std::string before = Slurp(m_dir + "VTTRANS.DAT");
  Outcome bad = Soltkit({"trans", "build", m_dir + "bad.txt", m_dir + "VTTRANS.DAT"});
  EXPECT_EQ(1, bad.status);
  EXPECT_EQ("soltkit: Line 2 in the translation specification file is invalid.  The line is <257>.",
            LastLine(bad.err));
  EXPECT_EQ(before, Slurp(m_dir + "VTTRANS.DAT"));

  std::filesystem::remove(m_dir + "VTTRANS.DAT");
  Outcome missing = Soltkit({"trans", "list"});
  EXPECT_EQ(1, missing.status);
  EXPECT_EQ("", missing.out);
  EXPECT_EQ("soltkit: The translation data file could not be opened.  This file is required for the Bible "
            "reference DLL.  The DLL cannot be loaded.",
            LastLine(missing.err));

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"trans"}, {"trans", "nope"}, {"trans", "list", "x"}, {"trans", "books"},
        {"trans", "range", "KJV", "x", "2"}, {"trans", "compare", "KJV", "1", "70000"}, {"trans", "build", "a"}}) {
    Outcome run = Soltkit(args);
    EXPECT_EQ(2, run.status) << args.size();
    EXPECT_EQ("", run.out);
  }
}

}  // namespace
