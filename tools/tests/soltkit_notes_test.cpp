// soltkit notes as a user scripts it: notes put into a new file, read back,
// listed, and the exit codes of what cannot be done.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tools/tests/runprogram.h"

namespace {

TEST(SoltkitNotes, PutsGetsAndLists) {
  const std::string dir = (std::filesystem::temp_directory_path() / "klmw-notes-XXXXXX").string();
  std::string made = dir;
  ASSERT_TRUE(::mkdtemp(made.data()));
  const std::string file = made + "/KLMW.NOT";
  const std::string note = made + "/note.rtf";
  const std::string big = std::string("{\\rtf1 ") + std::string(6000, 'g') + "}";
  std::ofstream(note, std::ios::binary) << "{\\rtf1 John 3:16\\par}";
  std::ofstream(made + "/big.rtf", std::ios::binary) << big;
  std::ofstream(made + "/empty.rtf", std::ios::binary);
  std::ofstream(made + "/junk", std::ios::binary) << "not a compound file";
  struct Step {
    std::vector<std::string> words;
    int status;
    std::string out;  // what a run that succeeds prints
  };
  const Step steps[] = {
      {{"notes", "list", file}, 0, ""},
      {{"notes", "put", file, "bible.not", "26136", note}, 0, ""},
      {{"notes", "put", file, "123.not", "7", made + "/big.rtf"}, 0, ""},
      {{"notes", "put", file, "bible.not", "5", made + "/empty.rtf"}, 0, ""},
      {{"notes", "get", file, "bible.not", "26136"}, 0, "{\\rtf1 John 3:16\\par}"},
      {{"notes", "get", file, "123.not", "7"}, 0, big},
      {{"notes", "get", file, "bible.not", "5"}, 0, ""},
      {{"notes", "put", file, "bible.not", "26136", made + "/empty.rtf"}, 0, ""},
      {{"notes", "list", file}, 0, "123.not 7 6008\nbible.not 26136 0\nbible.not 5 0\n"},
      {{"notes", "get", file, "bible.not", "6"}, 1, ""},
      {{"notes", "get", file, "bible.not", "-1"}, 2, ""},
      {{"notes", "put", file, "bible.not", "1", made + "/missing.rtf"}, 1, ""},
      {{"notes", "put", file, "a/b", "1", note}, 1, ""},
      {{"notes", "list"}, 2, ""},
      {{"notes", "erase", file}, 2, ""},
      {{"notes", "list", made + "/junk"}, 1, ""},
  };
  for (const Step& step : steps) {
    std::string line;
    for (const std::string& w : step.words) line += w + " ";
    SCOPED_TRACE(line);
    const testrun::Run run = testrun::RunProgram(SOLTKIT_PATH, step.words);
    EXPECT_EQ(run.status, step.status) << run.err;
    if (step.status == 0) {
      EXPECT_TRUE(run.out == step.out) << run.out.substr(0, 200);
    }
    EXPECT_EQ(run.err.find("soltkit: ") == std::string::npos, step.status == 0) << run.err;
  }
  EXPECT_TRUE(std::filesystem::exists(made + "/junk.damaged"));
  std::filesystem::remove_all(made);
}

}  // namespace
