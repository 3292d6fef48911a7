// soltkit paint as a user scripts it: converting a .pip file in both modes,
// a verse's record and a set of the colour index, and the exit codes.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/coding.h"
#include "soltread/tests/testbook.h"
#include "tools/tests/runprogram.h"

namespace {

using Result = testrun::Run;

class SoltkitPaint : public testing::Test {
 protected:
  void SetUp() override {
    std::string pip(31103 * 100, '\0');
    auto entry = [&](int verse, int i, int word, int colour) {
      char* p = pip.data() + verse * 100 + 5 * i;
      platform::EncodeFixed32(p, static_cast<uint32_t>(word));
      p[4] = static_cast<char>(colour);
    };
    entry(1, 0, 2, 3);
    entry(1, 1, 5, 0);
    entry(31102, 0, 1, 16);
    entry(31102, 1, 4, 0x81);
    entry(31102, 2, 6, 1);
    m_pip = pip;
    testbook::WriteBytes(m_dir + "KJS.pip", pip);
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  Result Soltkit(const std::vector<std::string>& words) { return testrun::RunProgram(SOLTKIT_PATH, words); }

  std::string m_dir = testbook::MakeTempDir();
  std::string m_pip;
};

TEST_F(SoltkitPaint, ConvertsAndReadsBack) {
  const std::string creating = "Creating color data from your KJS.pip file...Please wait\n";
  struct Case {
    std::vector<std::string> words;
    std::string out;
  };
  const Case cases[] = {
      {{"paint", "convert", "KJS", m_dir, "--max", "15"},
       creating + "Verse 31102 has color number 16\nThis and future verses with color number > 15 will be given color 15\n"},
      {{"paint", "record", m_dir, "KJS", "0"}, "colour -2 8\ncolour -5 5\nflag 0\n"},
      {{"paint", "record", m_dir, "kjs", "31101"}, "colour -1 20\ncolour -4 6\ncolour -6 6\nflag 0\n"},
      {{"paint", "record", m_dir, "KJS", "5"}, "colour 2 2\nflag 0\n"},
      {{"paint", "index", m_dir, "KJS", "2"}, "0\n"},
      {{"paint", "index", m_dir, "KJS", "0"}, "31101\n"},
      {{"paint", "index", m_dir, "KJS", "13"}, ""},  // 15 is past the index's 14 colours
      // The clamping applies to the underlining too (at the default 14).
      {{"paint", "convert", "KJS", m_dir, "--underline"},
       creating + "Verse 31102 has color number 16\nThis and future verses with color number > 14 will be given color 14\n"},
      {{"paint", "record", m_dir, "KJS", "31101"},
       "colour -1 20\ncolour -4 6\ncolour -6 6\nunderline -1 3\nunderline -2 2\nunderline -4 3\nunderline -7 2\nflag 1\n"},
      {{"paint", "index", m_dir, "KJS", "14"}, "0\n31101\n"},
      {{"paint", "index", m_dir, "KJS", "2"}, "0\n"},
  };
  for (const Case& c : cases) {
    Result run = Soltkit(c.words);
    EXPECT_EQ(run.status, 0) << c.words[1] << " " << c.words.back() << ": " << run.err;
    EXPECT_EQ(run.out, c.out) << c.words[1] << " " << c.words.back();
  }
}

TEST_F(SoltkitPaint, FailsClearly) {
  testbook::WriteBytes(m_dir + "paint.NIV", std::string("\xff\xff\xff\xff", 4) + std::string(20, '\0'));
  testbook::WriteBytes(m_dir + "COLORNDX.NIV", std::string(3888 * 2, '\0'));
  struct Case {
    std::vector<std::string> words;
    int status;
  };
  const Case cases[] = {
      {{"paint"}, 2},
      {{"paint", "mix", "KJS", m_dir}, 2},
      {{"paint", "convert", "KJS"}, 2},
      {{"paint", "convert", "KJS", m_dir, "--max", "0"}, 2},
      {{"paint", "record", m_dir, "KJS", "31102"}, 2},
      {{"paint", "record", m_dir, "KJS", "1", "--underline"}, 2},
      {{"paint", "index", m_dir, "KJS", "15"}, 2},
      {{"paint", "convert", "RVR", m_dir}, 1},  // no RVR.pip
      {{"paint", "record", m_dir, "KJS", "0"}, 1},  // nothing converted yet
      {{"paint", "record", m_dir, "NIV", "0"}, 1},  // a damaged header
      {{"paint", "index", m_dir, "NIV", "2"}, 1},   // a set the file lacks
      {{"paint", "index", m_dir, "RVR", "0"}, 1},
  };
  for (const Case& c : cases) {
    Result run = Soltkit(c.words);
    EXPECT_EQ(run.status, c.status) << c.words.size() << " " << c.words.back();
    EXPECT_EQ(run.out, "") << c.words.back();
    EXPECT_EQ(run.err.rfind("soltkit: ", 0), 0u) << run.err;
  }
}

}  // namespace
