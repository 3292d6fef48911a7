// The King James import as a whole: run bibleimport on the installed module
// and check the files it writes. Skipped where libsword or the module is not
// installed.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/importer/markup.h"

namespace {

#ifdef BIBLEIMPORT_PATH

std::vector<std::string> Lines(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  std::string field;
  while (std::getline(in, field, '\t')) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

class KingJames : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                     ("bibleimport-test-" + std::to_string(::getpid())));
    std::filesystem::create_directories(*dir_);
    const std::string command = std::string(BIBLEIMPORT_PATH) + " KJV KJS " + dir_->string() + " >" +
                                (*dir_ / "summary").string() + " 2>" + (*dir_ / "errors").string();
    status_ = std::system(command.c_str());
  }
  static void TearDownTestSuite() {
    std::filesystem::remove_all(*dir_);
    delete dir_;
  }
  void SetUp() override {
    if (status_ != 0) {
      const std::vector<std::string> errors = Lines(*dir_ / "errors");
      if (!errors.empty() && errors[0].find("no Bible module") != std::string::npos)
        GTEST_SKIP() << "the King James module (sword-text-kjv) is not installed";
      FAIL() << "bibleimport failed: " << (errors.empty() ? "" : errors[0]);
    }
  }
  static std::filesystem::path* dir_;
  static int status_;
};
std::filesystem::path* KingJames::dir_ = nullptr;
int KingJames::status_ = 0;

TEST_F(KingJames, EveryVerseInOrder) {
  const std::vector<std::string> lines = Lines(*dir_ / "KJS.txt");
  ASSERT_EQ(lines.size(), 3u + 31102u);
  EXPECT_EQ(lines[0], "#code=KJS");
  EXPECT_EQ(lines[1], "#name=King James Version");
  EXPECT_EQ(lines[2], "#language=english");
  int book = 0, chapter = 0, verse = 0;
  for (size_t i = 3; i < lines.size(); ++i) {
    const std::vector<std::string> f = Fields(lines[i]);
    ASSERT_EQ(f.size(), 4u) << lines[i];
    const int b = std::stoi(f[0]), c = std::stoi(f[1]), v = std::stoi(f[2]);
    const bool next = (b == book && c == chapter && v == verse + 1) || (b == book && c == chapter + 1 && v == 1) ||
                      (b == book + 1 && c == 1 && v == 1);
    ASSERT_TRUE(next) << "line " << i + 1 << ": " << lines[i];
    book = b, chapter = c, verse = v;
    EXPECT_EQ(f[3].find_first_of("\r\n\t"), std::string::npos);
  }
  EXPECT_EQ(book, 66);
  EXPECT_EQ(lines[3], "1\t1\t1\tIn the beginning God created the heaven and the earth.");
  EXPECT_EQ(lines[2 + 26137],
            "43\t3\t16\t$For God so loved the world, that he gave his only begotten Son, that whosoever believeth in "
            "him should not perish, but have everlasting life.");
  EXPECT_EQ(lines.back(), "66\t22\t21\tThe grace of our Lord Jesus Christ [be] with you all. Amen.");
  // Esther 8:9, the longest verse.
  const std::vector<std::string> esther = Fields(lines[2 + 12827]);
  ASSERT_EQ(esther[0] + ":" + esther[1] + ":" + esther[2], "17:8:9");
  EXPECT_GT(importer::DisplayText(esther[3]).size(), 500u);
}

TEST_F(KingJames, WordsOfChristCoverJohn316) {
  bool found = false;
  for (const std::string& line : Lines(*dir_ / "KJS.woc")) {
    const std::vector<std::string> f = Fields(line);
    ASSERT_EQ(f.size(), 3u) << line;
    const int number = std::stoi(f[0]), start = std::stoi(f[1]), end = std::stoi(f[2]);
    EXPECT_TRUE(number >= 1 && number <= 31102 && start >= 0 && start < end) << line;
    if (number == 26137) {
      found = true;
      EXPECT_EQ(start, 0);
      EXPECT_EQ(end, 141);  // the whole verse as shown
    }
  }
  EXPECT_TRUE(found);
}

TEST_F(KingJames, FootnotesNameTheirVerse) {
  std::ifstream in(*dir_ / "KJS-FOOTNTE.DAT", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(all.empty());
  // Entries: NUMBER TEXT ~ ; every reference {x} in the text has one.
  size_t entries = 0, at = 0;
  int last = 0;
  while (at < all.size()) {
    const size_t tilde = all.find('~', at);
    ASSERT_NE(tilde, std::string::npos);
    std::istringstream entry(all.substr(at, tilde - at));
    int number = 0;
    entry >> number;
    EXPECT_TRUE(number >= last && number <= 31102) << all.substr(at, 80);
    last = number;
    ++entries;
    at = all.find_first_not_of(" \r\n", tilde + 1);
    if (at == std::string::npos) break;
  }
  size_t references = 0;
  for (const std::string& line : Lines(*dir_ / "KJS.txt"))
    for (char c : line) references += c == '{';
  EXPECT_EQ(entries, references);
  EXPECT_GT(entries, 2996u);
}

#endif

}  // namespace
