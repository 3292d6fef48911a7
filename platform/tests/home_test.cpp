#include "platform/home.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace platform {
namespace {

// Runs InitProgramDir over a copy of args with KLMW_HOME set as given, and
// restores the environment and program directory afterwards.
class Home : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* env = std::getenv("KLMW_HOME")) m_savedEnv = env;
    m_savedDir = GetProgramDir();
  }
  void TearDown() override {
    if (m_savedEnv)
      ::setenv("KLMW_HOME", m_savedEnv->c_str(), 1);
    else
      ::unsetenv("KLMW_HOME");
    SetProgramDir(m_savedDir);
  }

  std::vector<std::string> Run(std::vector<std::string> args, const char* env) {
    if (env)
      ::setenv("KLMW_HOME", env, 1);
    else
      ::unsetenv("KLMW_HOME");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(args.size());
    InitProgramDir(argc, argv.data());
    EXPECT_EQ(argv[static_cast<size_t>(argc)], nullptr);
    return std::vector<std::string>(argv.begin(), argv.begin() + argc);
  }

  std::optional<std::string> m_savedEnv;
  std::string m_savedDir;
};

TEST_F(Home, ChoosesDirectoryAndStripsOption) {
  const std::string exeDir = GetExecutableDir();
  const std::string cwd = std::filesystem::current_path().string();
  struct Case {
    std::vector<std::string> args;
    const char* env;
    std::vector<std::string> rest;
    std::string dir;
  };
  const Case cases[] = {
      {{"prog", "--home", "/data/bible", "book.lbk"}, nullptr, {"prog", "book.lbk"}, "/data/bible/"},
      {{"prog", "--home=/data/bible/", "-x"}, nullptr, {"prog", "-x"}, "/data/bible/"},
      {{"prog", "--home=/a/./b/../c"}, nullptr, {"prog"}, "/a/c/"},
      {{"prog", "--home=rel"}, nullptr, {"prog"}, cwd + "/rel/"},
      {{"prog", "--home=/one", "--home", "/two"}, nullptr, {"prog"}, "/two/"},
      {{"prog", "--home=/arg"}, "/env", {"prog"}, "/arg/"},
      {{"prog", "x"}, "/env", {"prog", "x"}, "/env/"},
      {{"prog", "--home="}, "/env", {"prog"}, "/env/"},
      {{"prog", "--home"}, nullptr, {"prog"}, exeDir},
      {{"prog", "--", "--home", "/x"}, nullptr, {"prog", "--", "--home", "/x"}, exeDir},
      {{"prog", "--homes"}, "", {"prog", "--homes"}, exeDir},
      {{}, nullptr, {}, exeDir},
  };
  for (const Case& c : cases) {
    std::string label = c.args.empty() ? "(no args)" : c.args.back();
    EXPECT_EQ(Run(c.args, c.env), c.rest) << label;
    EXPECT_EQ(GetProgramDir(), c.dir) << label;
  }
}

TEST_F(Home, ExecutableDirHoldsThisTest) {
  std::string dir = GetExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/", dir);
}

}  // namespace
}  // namespace platform
