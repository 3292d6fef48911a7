// The VTTRANS.DAT builder: the source it reads, the file it writes
// (read back through the loader), and what a failed build leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/coding.h"
#include "refbase/tests/transtest.h"
#include "refbase/vtmsg.h"

namespace {

using transtest::TransTest;

// Every loaded translation as "NAME:b1,b2,..." in ID order, books in their order.
std::vector<std::string> Summary() {
  std::vector<std::string> out;
  cTranslation names;
  unsigned short id = 0;
  for (const char* name = names.GetFirstTranslationName(&id); name; name = names.GetNextTranslationName(&id)) {
    std::string line = std::string(name) + ":";
    cTranslation t(id);
    std::vector<unsigned short> byPosition(257, 0);
    for (unsigned short b = 1; b <= 256; ++b)
      if (unsigned short p = t.IsBookValid(b)) byPosition[p] = b;
    for (unsigned short p = 1; p <= 256 && byPosition[p]; ++p) line += (p > 1 ? "," : "") + std::to_string(byPosition[p]);
    out.push_back(line);
  }
  return out;
}

std::string Repeat(char c, size_t n) { return std::string(n, c); }

TEST_F(TransTest, SourcesAndWhatTheyBuild) {
  struct Case {
    const char* what;
    std::string source;
    std::vector<std::string> built;  // when the build succeeds
    std::string message;             // when it fails
  };
  const Case cases[] = {
      {"plain", "KJV\n1\n2\nNIV\n2\n1\n", {"KJV:1,2", "NIV:2,1"}, ""},
      {"books before the first name belong to none", "1\n2\nA\n3\n", {"A:3"}, ""},
      {"comments, blanks, tabs and CRLF", "// head\r\n\r\n \t\n  // indented\nA // note\r\n\t5\r\n 6 // six\n",
       {"A:5,6"}, ""},
      {"a name without books", "A\nB\n7\n", {"A:", "B:7"}, ""},
      {"no newline at the end", "A\n1\n2", {"A:1,2"}, ""},
      {"nine letters make a name", "ABCDEFGHI\n1\n", {"ABCDEFGHI:1"}, ""},
      {"letters then more", "KJV2\n1\nWEB Bible\n2\n", {"KJV:1", "WEB:2"}, ""},
      {"book 256", "A\n256\n1\n", {"A:256,1"}, ""},
      {"nothing at all", "// only a comment\n", {}, ""},
      {"a 127-character line", "A\n//" + Repeat('x', 125) + "\n1\n", {"A:1"}, ""},
      {"a 127-character line, then CRLF", "A\n//" + Repeat('x', 125) + "\r\n1\n", {"A:1"}, ""},
      {"a 127-character last line", "A\n1\n//" + Repeat('x', 125), {"A:1"}, ""},
      {"257", "A\n1\n257\n", {}, "Line 3 in the translation specification file is invalid.  The line is <257>."},
      {"0", "// c\n\nA\n0\n", {}, "Line 4 in the translation specification file is invalid.  The line is <0>."},
      {"negative", "A\n-1\n", {}, "Line 2 in the translation specification file is invalid.  The line is <-1>."},
      {"ten letters", "ABCDEFGHIJ\n", {}, "Line 1 in the translation specification file is invalid.  The line is <ABCDEFGHIJ>."},
      {"punctuation", "A\n#3\n", {}, "Line 2 in the translation specification file is invalid.  The line is <#3>."},
      {"overflowing number", "A\n99999999999999999999999\n", {},
       "Line 2 in the translation specification file is invalid.  The line is <99999999999999999999999>."},
      {"book 257 before any name", "257\nA\n", {},
       "Line 1 in the translation specification file is invalid.  The line is <257>."},
      {"a book twice", "A\n1\n2\n1\n", {}, "Line 4 in the translation specification file is invalid.  The line is <1>."},
      {"a 128-character line", "A\n\n//" + Repeat('x', 126) + "\n1\n", {},
       "A specification line was read that is too long.  Increase the max length for a line or shorten the line.  "
       "The line number is 3."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_messages.m_shown.clear();
    const int result = Build(c.source);
    if (!c.message.empty()) {
      EXPECT_EQ(1, result);
      ASSERT_EQ(1u, m_messages.m_shown.size());
      EXPECT_EQ(c.message, m_messages.m_shown[0].text);
      continue;
    }
    ASSERT_EQ(0, result) << (m_messages.m_shown.empty() ? "" : m_messages.m_shown[0].text);
    EXPECT_TRUE(m_messages.m_shown.empty());
    ASSERT_EQ(0, Load());
    EXPECT_EQ(c.built, Summary());
  }
}

TEST_F(TransTest, WrittenFileHasTheHeaderAndTablesWhereTheySay) {
  ASSERT_EQ(0, Build("KJV\n1\n2\n3\nNIV\n3\n"));
  const std::string f = transtest::ReadBytes(m_dir + "VTTRANS.DAT");
  ASSERT_EQ(56u + 2 * 1026 + 2 * 10, f.size());
  EXPECT_EQ(std::string("Vantrel Bible Translation Data File\x1A\0\0\0\0", 40), f.substr(0, 40));
  EXPECT_EQ(10u, platform::DecodeFixed32(&f[40]));
  EXPECT_EQ(56u, platform::DecodeFixed32(&f[44]));
  EXPECT_EQ(56u + 2 * 1026, platform::DecodeFixed32(&f[48]));
  EXPECT_EQ(2, platform::DecodeFixed16(&f[52]));
  EXPECT_EQ(256, platform::DecodeFixed16(&f[54]));
  // KJV's record: count, positions of books 1-3, then the order.
  EXPECT_EQ(3, platform::DecodeFixed16(&f[56]));
  EXPECT_EQ(2, platform::DecodeFixed16(&f[56 + 2 * 2]));
  EXPECT_EQ(3, platform::DecodeFixed16(&f[56 + 2 * 259]));
  EXPECT_EQ(0, platform::DecodeFixed16(&f[56 + 2 * 260]));
  EXPECT_EQ(std::string("NIV\0\0\0\0\0\0\0", 10), f.substr(56 + 2 * 1026 + 10));
  EXPECT_EQ(0, cTranslation::DumpTranslationDataFile((m_dir + "VTTRANS.DAT").c_str()));
}

// The count is 16 bits wide; the builder holds any number of names.
TEST_F(TransTest, ManyTranslations) {
  std::string source;
  std::vector<std::string> expected;
  for (int i = 0; i < 300; ++i) {
    std::string name = {static_cast<char>('A' + i / 26 % 26), static_cast<char>('a' + i % 26), 'X'};
    source += name + "\n" + std::to_string(i % 256 + 1) + "\n";
    expected.push_back(name + ":" + std::to_string(i % 256 + 1));
  }
  ASSERT_EQ(0, Build(source));
  ASSERT_EQ(0, Load());
  EXPECT_EQ(300, cTranslation::m_number_of_translations);
  EXPECT_EQ(expected, Summary());
  EXPECT_EQ(300, cTranslation::GetTranslationIDFromName(expected.back().substr(0, 3).c_str()));
}

TEST_F(TransTest, StatusWindowFollowsTheTranslations) {
  transtest::WriteBytes(m_dir + "source.txt", "7\nKJV\n1\nniv\n");
  std::vector<std::string> seen;
  cTranslation::StatusWindow status = [&](const std::string& text) { seen.push_back(text); };
  ASSERT_EQ(0, cTranslation::CreateTransDataFile((m_dir + "source.txt").c_str(), (m_dir + "VTTRANS.DAT").c_str(),
                                                 &status));
  EXPECT_EQ((std::vector<std::string>{"Processing translation: KJV", "Processing translation: niv"}), seen);
}

TEST_F(TransTest, AFailedBuildLeavesTheOldFileAndNoOther) {
  ASSERT_EQ(0, Build("A\n1\n"));
  const std::string before = transtest::ReadBytes(m_dir + "VTTRANS.DAT");
  for (const std::string& bad : {std::string("A\n1\n300\n"), "A\n//" + Repeat('y', 200) + "\n"}) {
    EXPECT_EQ(1, Build(bad));
    EXPECT_EQ(before, transtest::ReadBytes(m_dir + "VTTRANS.DAT"));
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir)) files.push_back(entry.path().filename());
    std::sort(files.begin(), files.end());
    EXPECT_EQ((std::vector<std::string>{"VTTRANS.DAT", "source.txt"}), files);
  }
}

TEST_F(TransTest, FilesThatCannotBeOpened) {
  struct Case {
    std::string source, data;
    int message;
  };
  transtest::WriteBytes(m_dir + "source.txt", "A\n1\n");
  const Case cases[] = {
      {m_dir + "absent.txt", m_dir + "VTTRANS.DAT", 156},
      {m_dir + "source.txt", m_dir + "no/such/folder/VTTRANS.DAT", 157},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    m_messages.m_shown.clear();
    EXPECT_EQ(1, cTranslation::CreateTransDataFile(c.source.c_str(), c.data.c_str(), nullptr));
    ASSERT_EQ(1u, m_messages.m_shown.size());
    EXPECT_EQ(refbase::MessageText(c.message), m_messages.m_shown[0].text);
  }
}

TEST_F(TransTest, DumpReadsAWholeFileOrSaysWhy) {
  ASSERT_EQ(0, Build("A\n1\nB\n2\n"));
  const std::string path = m_dir + "VTTRANS.DAT";
  const std::string good = transtest::ReadBytes(path);
  struct Case {
    const char* what;
    std::string bytes;
    int message;
  };
  const Case cases[] = {
      {"whole", good, 0},
      {"cut short", good.substr(0, good.size() - 3), 151},
      {"header only", good.substr(0, 30), 151},
      {"absent", "-", 156},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(path);
    if (c.bytes != "-") transtest::WriteBytes(path, c.bytes);
    m_messages.m_shown.clear();
    EXPECT_EQ(c.message ? 1 : 0, cTranslation::DumpTranslationDataFile(path.c_str()));
    if (c.message) {
      ASSERT_EQ(1u, m_messages.m_shown.size());
      EXPECT_EQ(refbase::MessageText(c.message), m_messages.m_shown[0].text);
    } else {
      EXPECT_TRUE(m_messages.m_shown.empty());
    }
  }
}

}  // namespace
