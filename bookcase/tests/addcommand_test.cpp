#include "bookcase/addcommand.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "bookcase/tests/bookcasetest.h"

namespace bookcase {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;

struct ProcessRun {
  int status = -1;
  std::string out;
  std::string err;
};

using BookCaseAddCommand = BookCaseTest;

TEST_F(BookCaseAddCommand, PrintsWhatItRegistered) {
  std::string desc = WriteDescription("volume.ini", Description("Set", {{"1", "One"}, {"2", "Two", "two"}}));
  std::ostringstream out, err;
  EXPECT_EQ(RunAddCommand(desc, Home(), out, err, &m_volumes), 0);
  EXPECT_EQ(out.str(), "DATASET_1\tSet\tadded\nBOOK_1_1\tOne\t" + Lib() + "\nBOOK_1_2\tTwo\t" + Lib() + "/two\n");
  EXPECT_EQ(err.str(), "");

  std::string more = WriteDescription("more.ini", Description("Set", {{"2", "Two"}, {"3", "Three"}}));
  out.str("");
  EXPECT_EQ(RunAddCommand(more, Home(), out, err, &m_volumes), 0);
  EXPECT_EQ(out.str(), "DATASET_1\tSet\textended\nBOOK_1_3\tThree\t" + Lib() + "\n");

  out.str("");
  EXPECT_EQ(RunAddCommand(more, Home(), out, err, &m_volumes), 0);
  EXPECT_EQ(out.str(), "DATASET_1\tSet\talready registered\n");
  EXPECT_EQ(err.str(), "");
}

TEST_F(BookCaseAddCommand, FailuresGoToStderr) {
  std::string a = WriteDescription("a.ini", Description("A", {{"1", "A1"}}));
  std::string b = WriteDescription("b.ini", Description("B", {{"1", "B1"}}));
  std::ostringstream out, err;
  ASSERT_EQ(RunAddCommand(a, Home(), out, err, &m_volumes), 0);
  ASSERT_EQ(RunAddCommand(b, Home(), out, err, &m_volumes), 0);
  out.str("");

  struct Case {
    std::string description;
    std::string message;
  } cases[] = {
      {Lib() + "/missing.ini", "cannot read"},
      {WriteDescription("noname.ini", Description("", {{"1", "X"}})), "no DataSetName"},
      {WriteDescription("nobooks.ini", Description("C", {})), "no nonzero BookID"},
      {WriteDescription("more-a.ini", Description("A", {{"2", "A2"}})), "not the last data set"},
  };
  for (const Case& c : cases) {
    err.str("");
    EXPECT_EQ(RunAddCommand(c.description, Home(), out, err, &m_volumes), 1) << c.description;
    EXPECT_EQ(err.str().rfind("bookcase: ", 0), 0u) << err.str();
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
  }
  EXPECT_EQ(out.str(), "");
}

TEST_F(BookCaseAddCommand, SampleLibraryDescription) {
  // The description scripts/run registers, copied into a library folder.
  std::string desc = WriteDescription("sample-library.ini", ReadFile(SAMPLE_LIBRARY));
  std::ostringstream out, err;
  ASSERT_EQ(RunAddCommand(desc, Home(), out, err, &m_volumes), 0) << err.str();
  EXPECT_EQ(out.str(), "DATASET_1\tSample Library\tadded\n"
                       "BOOK_1_1\tKJS\t" + Lib() + "/KJS\n"
                       "BOOK_1_2\tRVR\t" + Lib() + "/RVR\n"
                       "BOOK_1_3\tWEB\t" + Lib() + "/WEB\n"
                       "BOOK_1_4\tNotes on the Beginning\t" + Lib() + "/notes\n");
  EXPECT_EQ(Get("DATASET_1", "PUBLISHERNAME"), "Public domain");
  for (const char* section : {"BOOK_1_1", "BOOK_1_2", "BOOK_1_3", "BOOK_1_4"}) {
    EXPECT_EQ(Get(section, "SYNCTYPE"), "verse") << section;
    EXPECT_EQ(Get(section, "PUBLISHERID"), "1") << section;
  }
  EXPECT_EQ(Get("BOOK_1_3", "BOOKID"), "3");
  out.str("");
  EXPECT_EQ(RunAddCommand(desc, Home(), out, err, &m_volumes), 0);
  EXPECT_EQ(out.str(), "DATASET_1\tSample Library\talready registered\n");
}

// The program itself, as a script calls it: no display, a home of its own.
ProcessRun RunBookcase(const std::vector<std::string>& args, const std::string& scratch) {
  ProcessRun run;
  std::string outPath = scratch + "/stdout", errPath = scratch + "/stderr";
  pid_t pid = ::fork();
  if (pid == 0) {
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0) ::_exit(126);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::unsetenv("KLMW_HOME");
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    std::vector<char*> argv{const_cast<char*>(BOOKCASE_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(BOOKCASE_PATH, argv.data());
    ::_exit(127);
  }
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.out = ReadFile(outPath);
  run.err = ReadFile(errPath);
  return run;
}

TEST_F(BookCaseAddCommand, EndToEnd) {
  TempDir scratch;
  std::string desc = WriteDescription("sample-library.ini",
                                      Description("Sample Library", {{"1", "KJS", "KJS"}, {"2", "RVR", "RVR"}}));

  ProcessRun run = RunBookcase({"--home", Home(), "--add", desc}, scratch.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "DATASET_1\tSample Library\tadded\nBOOK_1_1\tKJS\t" + Lib() + "/KJS\nBOOK_1_2\tRVR\t" + Lib() +
                         "/RVR\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Get("SOLTDATASETS", "DATASETCOUNT"), "1");
  EXPECT_EQ(Get("BOOK_1_2", "DEFPATH"), Lib() + "/RVR");
  EXPECT_EQ(Get("BOOK_1_2", "IGNORE"), "N");
  // No session: nothing to undo, so no backup.
  EXPECT_FALSE(fs::exists(Backup()));

  // Again: nothing new, still a success for a script that runs every time.
  run = RunBookcase({"--add", desc, "--home=" + Home()}, scratch.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "DATASET_1\tSample Library\talready registered\n");

  run = RunBookcase({"--home", Home(), "--add", Lib() + "/none.ini"}, scratch.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("bookcase: cannot read"), std::string::npos) << run.err;

  run = RunBookcase({"--home", Home(), "--add"}, scratch.path());
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("usage:"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace bookcase
