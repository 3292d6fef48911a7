// soltkit dbf as a user scripts it: the lines, the choices of record and
// field, and the exit codes for bad tables and bad arguments.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/dbf.h"
#include "soltread/tests/testbook.h"
#include "tools/tests/runprogram.h"

namespace {

using Result = testrun::Run;

class SoltkitDbf : public testing::Test {
 protected:
  void SetUp() override {
    platform::DbfWriter writer(m_dir + "KJV.dbf", {{"ref", 'C', 6, 0}, {"verse", 'M', 0, 0}});
    writer.AddRecord({"Gen1:1", "In the beginning"});
    writer.AddRecord({"", ""});
    writer.AddRecord({"Est8:9", m_long});
    writer.Commit();
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  Result Soltkit(const std::vector<std::string>& words) { return testrun::RunProgram(SOLTKIT_PATH, words); }

  std::string m_dir = testbook::MakeTempDir();
  std::string m_long = std::string(300, 'a') + "\xE9" + std::string(227, 'z');  // 528 bytes
};

TEST_F(SoltkitDbf, PrintsRecordsAndFields) {
  struct Case {
    std::vector<std::string> options;
    std::string out;
  };
  const Case cases[] = {
      {{},
       "1\tREF=Gen1:1\n1\tVERSE=In the beginning\n2\tREF=      \n2\tVERSE=\n3\tREF=Est8:9\n3\tVERSE=" + m_long + "\n"},
      {{"--record", "3", "--field", "verse"}, "3\tVERSE=" + m_long + "\n"},
      {{"--field=Ref"}, "1\tREF=Gen1:1\n2\tREF=      \n3\tREF=Est8:9\n"},
      {{"--record=1"}, "1\tREF=Gen1:1\n1\tVERSE=In the beginning\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> words = {"dbf", m_dir + "KJV.dbf"};
    words.insert(words.end(), c.options.begin(), c.options.end());
    Result run = Soltkit(words);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, c.out);
  }
}

TEST_F(SoltkitDbf, FailsClearly) {
  testbook::WriteBytes(m_dir + "bad.dbf", std::string("\x03\x7e\x0c\x08\xff\xff\xff\xff", 8) + std::string(24, '\0'));
  struct Case {
    std::vector<std::string> words;
    int status;
  };
  const Case cases[] = {
      {{"dbf"}, 2},
      {{"dbf", m_dir + "KJV.dbf", "--record", "0"}, 2},
      {{"dbf", m_dir + "KJV.dbf", "--record", "x"}, 2},
      {{"dbf", m_dir + "KJV.dbf", "--record", "4"}, 1},
      {{"dbf", m_dir + "KJV.dbf", "--field", "notes"}, 1},
      {{"dbf", m_dir + "missing.dbf"}, 1},
      {{"dbf", m_dir + "bad.dbf"}, 1},
  };
  for (const Case& c : cases) {
    Result run = Soltkit(c.words);
    EXPECT_EQ(run.status, c.status) << c.words.back();
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("soltkit: ", 0), 0u) << run.err;
  }
}

}  // namespace
