// The REFBASE.DAT source reader and writer: what a source may say, and the
// bytes it becomes.
#include "refbase/refbasebuilder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/coding.h"

namespace {

TEST(RefbaseSource, BadLinesNameTheirLine) {
  struct Case {
    const char* text;
    const char* error;  // start of the message
  } cases[] = {
      {"verses 3\n", "line 1: "},
      {"book 2\nbook 2\n", "line 2: "},
      {"book 2\nbook 1\n", "line 2: "},
      {"book 0\n", "line 1: "},
      {"book 65536\n", "line 1: "},
      {"book x\n", "line 1: "},
      {"book 1\nverses\n", "line 2: "},
      {"book 1\nverses 3 -1\n", "line 2: "},
      {"book 1\nverses 65536\n", "line 2: "},
      {"book 1\nchapter ABCDEFGH 3\n", "line 2: "},
      {"book 1\nchapter A\n", "line 2: "},
      {"book 1\nverses 3\nlabel 1 4 x\n", "line 3: "},
      {"book 1\nverses 3\nlabel 2 1 x\n", "line 3: "},
      {"book 1\nverses 3\nlabel 1 1 12345678\n", "line 3: "},
      {"book 1\nverses 3\nalias 1 1 2:1\n", "line 3: "},
      {"book 1\nverses 3\nalias 1 1 2:1:1:1\n", "line 3: "},
      {"book 1\nverses 3\nnear 1 1 2:x:1\n", "line 3: "},
      {"book 1\nverses 3\nalias 1 1\n", "line 3: "},
      {"book 1\n\n# comment\nchapters 3\n", "line 4: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    refbase::RefbaseSource source;
    std::string error;
    EXPECT_FALSE(refbase::ParseRefbaseSource(c.text, &source, &error));
    EXPECT_EQ(0u, error.find(c.error)) << error;
  }
}

TEST(RefbaseSource, LayoutOfTheFile) {
  refbase::RefbaseSource source;
  std::string error, bytes;
  ASSERT_TRUE(refbase::ParseRefbaseSource(
      "book 1 # comment\nverses 2 3\nalias 2 3 4:5:6 7:8:9\nbook 3\nchapter Pr 2\nlabel 1 2 2a\n", &source, &error))
      << error;
  ASSERT_TRUE(refbase::EncodeRefbase(source, &bytes, &error)) << error;
  // header 68 + 3 books + 3 chapters + 5 verse records + 2 aliases
  ASSERT_EQ(68u + 3 * 8 + 3 * 16 + 5 * 24 + 2 * 6, bytes.size());
  EXPECT_EQ(0, std::memcmp(bytes.data(), "Vantrel Bible Reference Conversion File\x1A", 41));
  EXPECT_EQ(10, platform::DecodeFixed16(&bytes[50]));
  EXPECT_EQ(3, platform::DecodeFixed16(&bytes[52]));
  EXPECT_EQ(3, platform::DecodeFixed16(&bytes[54]));
  EXPECT_EQ(68u, platform::DecodeFixed32(&bytes[60]));
  // Book 1: plain chapter labels; book 2: no chapters; book 3: text labels.
  EXPECT_EQ(2, platform::DecodeFixed16(&bytes[68]));
  EXPECT_EQ(2, platform::DecodeFixed16(&bytes[70]));
  EXPECT_EQ(92u, platform::DecodeFixed32(&bytes[72]));
  EXPECT_EQ(0u, platform::DecodeFixed32(&bytes[76 + 4]));
  EXPECT_EQ(1, platform::DecodeFixed16(&bytes[84]));
  EXPECT_NE(1, platform::DecodeFixed16(&bytes[86]));
  // Chapter 1:1 needs no verse records; 1:2 has them for its alias, with plain labels.
  EXPECT_EQ(0u, platform::DecodeFixed32(&bytes[92 + 12]));
  EXPECT_STREQ("2", &bytes[108 + 4]);
  EXPECT_EQ(3, platform::DecodeFixed16(&bytes[108 + 2]));
  const size_t verses = platform::DecodeFixed32(&bytes[108 + 12]);
  EXPECT_EQ(140u, verses);
  const size_t verse3 = verses + 2 * 24;
  EXPECT_EQ(2, platform::DecodeFixed16(&bytes[verse3]));
  const size_t aliases = platform::DecodeFixed32(&bytes[verse3 + 4]);
  EXPECT_EQ(7, platform::DecodeFixed16(&bytes[aliases + 6]));
  EXPECT_STREQ("3", &bytes[verse3 + 16]);
  // Chapter "Pr" has a verse label that is not its number.
  EXPECT_STREQ("Pr", &bytes[124 + 4]);
  EXPECT_EQ(0, platform::DecodeFixed16(&bytes[124 + 2]));
  EXPECT_STREQ("2a", &bytes[platform::DecodeFixed32(&bytes[124 + 12]) + 24 + 16]);
}

TEST(RefbaseSource, ImpossibleSourcesAreRefused) {
  refbase::RefbaseSource source;
  source.books.resize(2);
  source.books[0].chapters.resize(40000);
  source.books[1].chapters.resize(30000);
  std::string bytes, error;
  EXPECT_FALSE(refbase::EncodeRefbase(source, &bytes, &error));
  source.books.resize(1);
  EXPECT_TRUE(refbase::EncodeRefbase(source, &bytes, &error)) << error;
  source.books[0].chapters[0].label = "TOOLONGX";
  EXPECT_FALSE(refbase::EncodeRefbase(source, &bytes, &error));
}

TEST(RefbaseSource, BuildLeavesNoHalfFile) {
  char pattern[] = "/tmp/refbasebuilder_test.XXXXXX";
  ASSERT_NE(nullptr, ::mkdtemp(pattern));
  const std::string dir = std::string(pattern) + "/";
  std::ofstream(dir + "bad.txt") << "book 1\nverses 3\nbogus\n";
  std::ofstream(dir + "good.txt") << "book 1\nverses 3\n";
  std::string error;
  EXPECT_FALSE(refbase::BuildRefbaseFile(dir + "bad.txt", dir + "OUT.DAT", &error));
  EXPECT_NE(std::string::npos, error.find("line 3")) << error;
  EXPECT_FALSE(std::filesystem::exists(dir + "OUT.DAT"));
  EXPECT_FALSE(refbase::BuildRefbaseFile(dir + "missing.txt", dir + "OUT.DAT", &error));
  EXPECT_FALSE(refbase::BuildRefbaseFile(dir + "good.txt", dir + "no/such/dir/OUT.DAT", &error));
  EXPECT_TRUE(refbase::BuildRefbaseFile(dir + "good.txt", dir + "OUT.DAT", &error)) << error;
  EXPECT_EQ(68u + 8 + 16, std::filesystem::file_size(dir + "OUT.DAT"));
  std::filesystem::remove_all(dir);
}

}  // namespace
