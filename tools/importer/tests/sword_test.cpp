// bibleimport against a small module written here with the SWORD library
// itself, in the Hebrew (MT) versification (no New Testament): verses it lacks in the English
// order stay empty, verses it numbers past an English chapter's end go to that
// chapter's last verse, and modules are found by name, abbreviation or prefix.
#include <gtest/gtest.h>
#include <rawtext.h>
#include <versekey.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class SmallModule : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("bibleimport-sword-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    const fs::path data = root_ / "modules/texts/rawtext/testmt";
    fs::create_directories(data);
    fs::create_directories(root_ / "mods.d");
    std::ofstream(root_ / "mods.d/testmt.conf") << "[TestMT1909]\n"
                                                   "DataPath=./modules/texts/rawtext/testmt/\n"
                                                   "ModDrv=RawText\n"
                                                   "SourceType=OSIS\n"
                                                   "Encoding=UTF-8\n"
                                                   "Versification=MT\n"
                                                   "Lang=es\n"
                                                   "Abbreviation=TMT\n"
                                                   "Description=Versión de prueba\n";
    ASSERT_EQ(sword::RawText::createModule(data.c_str(), "MT"), 0);
    sword::RawText module(data.c_str(), "TestMT1909", nullptr, nullptr, sword::ENC_UTF8, sword::DIRECTION_LTR,
                          sword::FMT_OSIS, nullptr, "MT");
    const std::map<std::string, std::string> entries = {
        {"Gen.1.1", R"(<w lemma="strong:H7225">EN el principio</w> crió Dios)"},
        {"Mal.3.18", "Entonces os volveréis,"},
        {"Mal.3.19", "Porque he aquí, viene el día"},
        {"Mal.3.24", "El convertirá el corazón"},
        {"Joel.4.1", "Porque he aquí"},
        {"Gen.1.3", R"(Y dijo Dios: <q who="Jesus">Sea la luz</q>)"},
    };
    sword::VerseKey key;
    key.setVersificationSystem("MT");
    for (const auto& [ref, text] : entries) {
      key.setText(ref.c_str());
      module.setKey(key);
      module.setEntry(text.c_str());
    }
  }
  void TearDown() override { fs::remove_all(root_); }

  // Runs bibleimport with our library first in SWORD's search; returns its
  // exit status.
  int Import(const std::string& module, const std::string& code) {
    const std::string command = "SWORD_PATH=" + root_.string() + " " + BIBLEIMPORT_PATH + " " + module + " " + code +
                                " " + (root_ / "out").string() + " >" + (root_ / "summary").string() + " 2>" +
                                (root_ / "errors").string();
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::map<std::string, std::string> Verses(const std::string& code) {
    std::ifstream in(root_ / "out" / (code + ".txt"), std::ios::binary);
    std::map<std::string, std::string> verses;
    std::string line;
    int count = 0;
    while (std::getline(in, line)) {
      if (line.starts_with("#")) {
        verses[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
        continue;
      }
      ++count;
      const size_t a = line.find('\t'), b = line.find('\t', a + 1), c = line.find('\t', b + 1);
      verses[line.substr(0, a) + ":" + line.substr(a + 1, b - a - 1) + ":" + line.substr(b + 1, c - b - 1)] =
          line.substr(c + 1);
    }
    verses["count"] = std::to_string(count);
    return verses;
  }

  fs::path root_;
};

TEST_F(SmallModule, EnglishOrderFromHebrewNumbering) {
  ASSERT_EQ(Import("TestMT1909", "TST"), 0);
  std::map<std::string, std::string> v = Verses("TST");
  EXPECT_EQ(v["count"], "31102");
  EXPECT_EQ(v["#code"], "TST");
  EXPECT_EQ(v["#name"], "Versi\xF3n de prueba");
  EXPECT_EQ(v["#language"], "spanish");
  EXPECT_EQ(v["1:1:1"], "EN el principio cri\xF3 Dios");
  EXPECT_EQ(v["1:1:2"], "");
  // Malachi 3:19-24 of the Hebrew numbering are the English 4:1-6.
  EXPECT_EQ(v["39:3:18"], "Entonces os volver\xE9is, Porque he aqu\xED, viene el d\xED" "a El convertir\xE1 el coraz\xF3n");
  EXPECT_EQ(v["39:4:1"], "");
  EXPECT_EQ(v["39:4:6"], "");
  // A chapter the English order lacks goes to the book's last verse.
  EXPECT_EQ(v["29:3:21"], "Porque he aqu\xED");
  // The Hebrew numbering has no New Testament: the English order is still whole.
  EXPECT_EQ(v["40:1:1"], "");
  EXPECT_EQ(v["66:22:21"], "");

  std::ifstream woc(root_ / "out/TST.woc");
  std::string line;
  ASSERT_TRUE(std::getline(woc, line));
  EXPECT_EQ(line, "3\t13\t23");
  std::ifstream summary(root_ / "summary");
  ASSERT_TRUE(std::getline(summary, line));
  EXPECT_NE(line.find("31102 verses written, 31098 empty"), std::string::npos) << line;
  EXPECT_NE(line.find("3 source verses folded"), std::string::npos) << line;
}

TEST_F(SmallModule, FoundByAbbreviationOrPrefix) {
  for (const char* name : {"tmt", "testmt", "TESTMT1909"}) {
    EXPECT_EQ(Import(name, "TST"), 0) << name;
    EXPECT_EQ(Verses("TST")["1:1:1"], "EN el principio cri\xF3 Dios") << name;
  }
  EXPECT_EQ(Import("NoSuchBible", "TST"), 1);
  std::ifstream errors(root_ / "errors");
  std::string line;
  std::getline(errors, line);
  EXPECT_EQ(line, "bibleimport: no Bible module \"NoSuchBible\" is installed");
}

TEST_F(SmallModule, CodeThatCannotNameAFile) { EXPECT_EQ(Import("TMT", "../x"), 2); }

}  // namespace
