// bookimport against the installed SWORD modules: extracts of a dozen
// entries compiled and read back through soltread (contents, links, sync
// keys, Scripture index), the mends of the modules' configurations, and a
// check over the four whole books. A test is skipped when its module is not
// installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "include/soltread.h"
#include "tools/bookimport/swordbooks.h"

namespace fs = std::filesystem;
using bookimport::SwordBooks;

namespace {

class TempDir {
 public:
  TempDir() {
    static int counter = 0;
    path_ = fs::temp_directory_path() /
            ("bookimport-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs bookimport; returns its exit status.
int Import(const std::string& kind, const fs::path& out, const std::string& select = "") {
  std::string command = std::string(BOOKIMPORT_PATH) + " " + kind + " " + Quote(out.string());
  if (!select.empty()) command += " --select " + Quote(select);
  command += " >" + Quote((out.parent_path() / (kind + ".log")).string()) + " 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Book {
  cSOLTBook book;
  Book(const fs::path& dir, int id, const char* sync) {
    const std::string folder = dir.string() + "/";
    book.SetTextPath(folder.c_str());
    book.SetIDXPath(folder.c_str());
    book.SetDefPath(folder.c_str());
    book.SetDefMediaType("FIXED");
    book.SetPublisherID("2");
    book.SetBookID(std::to_string(id).c_str());
    book.SetSyncType(sync);
    opened = book.Open(SOLT_ALL_FILES);
  }
  int opened = -1;

  std::string Area(int bookKey) {
    std::string text(book.GetViewableAreaSize(bookKey), '\0');
    book.GetViewableArea(bookKey, text.data());
    return text;
  }
  // The part of an entry's area that is the entry's own text.
  std::string EntryText(int key) {
    cSectionsData d;
    if (book.GetEntry(key, d) != 0) return "";
    const std::string area = Area(d.GetBookKey());
    const std::string mark = "\\soltstartlevel" + std::to_string(d.GetLevelCount()) + " ";
    size_t start = area.find(mark);
    if (start == std::string::npos) return "";
    size_t end = area.find("\\soltstartlevel", start + mark.size());
    std::string text = area.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // Without the compiler's concordance spans, the text reads as written.
    for (const char* span : {"{\\soltconcordanceon}", "\\soltconcordanceoff ", "\\soltconcordanceoff"})
      for (size_t p; (p = text.find(span)) != std::string::npos;) text.erase(p, std::strlen(span));
    return text;
  }
  std::vector<unsigned> VerseKeys(int b, int c, int v) {
    std::vector<unsigned> keys;
    book.GetVerseOccurrences(static_cast<unsigned short>(b), static_cast<unsigned short>(c),
                             static_cast<unsigned short>(v), keys);
    return keys;
  }
};

// The targets of the links of one type in RTF text.
std::vector<std::string> LinkTargets(const std::string& text, int type) {
  std::vector<std::string> targets;
  const std::string mark = "\\soltlinkto" + std::to_string(type) + " ";
  for (size_t p = 0; (p = text.find(mark, p)) != std::string::npos;) {
    p += mark.size();
    size_t end = text.find('}', p);
    if (end == std::string::npos) break;
    targets.push_back(text.substr(p, end - p));
    p = end;
  }
  return targets;
}

bool Contains(const std::vector<unsigned>& keys, int key) {
  for (unsigned k : keys)
    if (static_cast<int>(k) == key) return true;
  return false;
}

#define REQUIRE_MODULE(name)                                              \
  do {                                                                    \
    if (!SwordBooks::Installed(name)) GTEST_SKIP() << name " is not installed"; \
  } while (0)

TEST(Program, RefusesWhatItCannotDo) {
  TempDir tmp;
  auto run = [&](const std::string& args) {
    const std::string command = std::string(BOOKIMPORT_PATH) + " " + args + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  const std::string out = Quote((tmp.Path() / "out").string());
  EXPECT_EQ(run(""), 2);
  EXPECT_EQ(run("naves"), 2);
  EXPECT_EQ(run("atlas " + out), 2);
  EXPECT_EQ(run("naves " + out + " --bogus"), 2);
  EXPECT_EQ(run("naves " + out + " extra"), 2);
  if (!SwordBooks::Installed("Nave")) GTEST_SKIP() << "Nave is not installed";
  // Nothing chosen: no book is made.
  EXPECT_EQ(run("naves " + out + " --select NO-SUCH-TOPIC"), 1);
  EXPECT_FALSE(fs::exists(tmp.Path() / "out" / "book"));
  // A folder that holds something other than a book is not replaced.
  fs::create_directories(tmp.Path() / "keep");
  std::ofstream(tmp.Path() / "keep" / "notes.txt") << "mine";
  EXPECT_EQ(run("naves " + out + " --select AARON --book " + Quote((tmp.Path() / "keep").string())), 1);
  EXPECT_TRUE(fs::exists(tmp.Path() / "keep" / "notes.txt"));
  EXPECT_EQ(run("naves " + out + " --select AARON --source-only"), 0);
  EXPECT_TRUE(fs::exists(tmp.Path() / "out" / "source" / "book.ini"));
  EXPECT_FALSE(fs::exists(tmp.Path() / "out" / "book"));
}

TEST(NavesExtract, TopicsLettersLinksAndSync) {
  REQUIRE_MODULE("Nave");
  TempDir tmp;
  const fs::path out = tmp.Path() / "naves";
  ASSERT_EQ(Import("naves", out, "AARON,ABADDON,ABARIM,ABBA,ADULTERY,ANGEL (A SPIRIT),ANGER,BACKSLIDERS,NEBO,"
                                 "REVERENCE,SIN,ZION"),
            0);
  Book b(out / "book", 1, "word");
  ASSERT_EQ(b.opened, 0);

  // Letters, each with its topics; the topic stored twice (SIN,
  // REVERENCE) is one topic.
  struct Entry {
    const char* path;
    int level;
  };
  const Entry entries[] = {{"\\A", 1},      {"\\A\\AARON", 2}, {"\\A\\ABARIM", 2}, {"\\A\\ANGEL (A SPIRIT)", 2},
                           {"\\B", 1},      {"\\N\\NEBO", 2},  {"\\R\\REVERENCE", 2}, {"\\S\\SIN", 2},
                           {"\\Z\\ZION", 2}};
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.path);
    int key = b.book.GetSectionKey(e.path);
    ASSERT_GE(key, 0);
    cSectionsData d;
    ASSERT_EQ(b.book.GetEntry(key, d), 0);
    EXPECT_EQ(d.GetLevel(), e.level);
  }
  EXPECT_EQ(b.book.GetLastKey(), 6 + 12 - 1);  // letters A B N R S Z, twelve topics

  // Sync by topic name.
  for (const char* topic : {"AARON", "NEBO", "SIN", "ANGEL (A SPIRIT)"})
    EXPECT_EQ(b.book.GetWSyncKey(topic), b.book.GetSectionKey((std::string("\\") + topic[0] + "\\" + topic).c_str()))
        << topic;
  EXPECT_EQ(b.book.GetWSyncKey("NO SUCH TOPIC"), -1);

  // Both stored entries of SIN are in its text: the desert and the
  // doctrine.
  const int sin = b.book.GetSectionKey("\\S\\SIN");
  const std::string sinText = b.EntryText(sin);
  EXPECT_NE(sinText.find("Desert of"), std::string::npos);
  EXPECT_NE(sinText.find("MISCELLANY OF MINOR SUB-TOPICS"), std::string::npos);

  // "See NEBO" is a link to the NEBO topic; a loose name finds its topic.
  const int nebo = b.book.GetSectionKey("\\N\\NEBO");
  EXPECT_NE(b.EntryText(b.book.GetSectionKey("\\A\\ABARIM")).find("{\\soltlinkto0 " + std::to_string(nebo) + "}"),
            std::string::npos);

  // Verse references are Bible links and fill the Scripture index.
  const int aaron = b.book.GetSectionKey("\\A\\AARON");
  const std::string aaronText = b.EntryText(aaron);
  EXPECT_NE(aaronText.find("{\\soltlink Ex 6:16-20{\\soltlinkto4 2 6:16-2 6:20}}"), std::string::npos);
  EXPECT_TRUE(Contains(b.VerseKeys(2, 6, 18), aaron));
  EXPECT_TRUE(Contains(b.VerseKeys(19, 106, 16), aaron));

  // Jude's and 2 John's references with the verse written after the link.
  const int adultery = b.book.GetSectionKey("\\A\\ADULTERY");
  EXPECT_NE(b.EntryText(adultery).find("{\\soltlink Jude 1:7{\\soltlinkto4 65 1:7}}"), std::string::npos);
  EXPECT_TRUE(Contains(b.VerseKeys(65, 1, 7), adultery));
  const int angel = b.book.GetSectionKey("\\A\\ANGEL (A SPIRIT)");
  EXPECT_TRUE(Contains(b.VerseKeys(65, 1, 9), angel));
  EXPECT_TRUE(Contains(b.VerseKeys(65, 1, 14), angel));
  EXPECT_TRUE(Contains(b.VerseKeys(65, 1, 15), angel));
  EXPECT_FALSE(Contains(b.VerseKeys(65, 1, 1), angel));
}

TEST(CommentaryExtract, SectionsCoverEveryVerse) {
  REQUIRE_MODULE("MHCC");
  TempDir tmp;
  const fs::path out = tmp.Path() / "mhcc";
  ASSERT_EQ(Import("mhcc", out, "Gen,Lev,Obad,John"), 0);
  Book b(out / "book", 2, "verse");
  ASSERT_EQ(b.opened, 0);

  // Book > chapter > section.
  struct Entry {
    const char* path;
    const char* reference;  // a verse it is the sync key of
  };
  const Entry entries[] = {
      {"\\Genesis\\Chapter 1\\Verses 1-2", "1,1,1"},   {"\\Genesis\\Chapter 1\\Verses 3-5", "1,1,4"},
      // The chapter is one entry stored at its first verse; the empty
      // slots after it are covered by it.
      {"\\Genesis\\Chapter 36\\Verses 1-43", "1,36,20"},
      {"\\Obadiah\\Chapter 1\\Verses 1-16", "31,1,16"}, {"\\John\\Chapter 3\\Verses 1-21", "43,3,16"},
      // Leviticus 19 has no text at all: the section before it covers it.
      {"\\Leviticus\\Chapter 18\\Verses 1-30", "3,19,1"},
  };
  for (const Entry& e : entries) {
    SCOPED_TRACE(e.path);
    const int key = b.book.GetSectionKey(e.path);
    ASSERT_GE(key, 0);
    cSectionsData d;
    ASSERT_EQ(b.book.GetEntry(key, d), 0);
    EXPECT_EQ(d.GetLevel(), 3);
    EXPECT_EQ(b.book.GetVSyncKey(e.reference), key);
  }
  EXPECT_EQ(b.book.GetSectionKey("\\Leviticus\\Chapter 19"), -1);

  // The book's introduction and the chapter's outline are the texts of
  // their own entries, not of the first section.
  EXPECT_NE(b.EntryText(b.book.GetSectionKey("\\Genesis")).find("Genesis is a name taken from the Greek"),
            std::string::npos);
  const std::string outline = b.EntryText(b.book.GetSectionKey("\\John\\Chapter 3"));
  EXPECT_NE(outline.find("{\\b Chapter Outline}"), std::string::npos) << outline;
  EXPECT_NE(outline.find("Christ's discourse with Nicodemus. (1-21)"), std::string::npos) << outline;
  const std::string first = b.EntryText(b.book.GetSectionKey("\\John\\Chapter 3\\Verses 1-21"));
  EXPECT_EQ(first.find("Chapter Outline"), std::string::npos);
  EXPECT_NE(first.find("{\\b Verses 1-8}"), std::string::npos);

  // Every verse of the chosen books has a section.
  for (int book : {1, 3, 31, 43})
    for (int c = 1; SwordBooks::VerseExists(book, c, 1); ++c)
      for (int v = 1; SwordBooks::VerseExists(book, c, v); ++v) {
        const std::string ref = std::to_string(book) + "," + std::to_string(c) + "," + std::to_string(v);
        const long key = b.book.GetVSyncKey(ref.c_str());
        ASSERT_TRUE(key >= 0 && b.book.IsValidSectionKey(static_cast<int>(key))) << ref;
      }
  EXPECT_EQ(b.book.GetVSyncKey("2,1,1"), -1);  // Exodus was not chosen

  // Each section names its verses as a Bible link, which files it in the
  // Scripture index.
  const int john3 = b.book.GetSectionKey("\\John\\Chapter 3\\Verses 1-21");
  EXPECT_NE(b.EntryText(john3).find("{\\soltlink John 3:1-21{\\soltlinkto4 43 3:1-43 3:21}}"), std::string::npos);
  EXPECT_TRUE(Contains(b.VerseKeys(43, 3, 16), john3));
}

TEST(CommentaryExtract, TreasuryOfDavidPsalmByPsalm) {
  REQUIRE_MODULE("TDavid");
  TempDir tmp;
  const fs::path out = tmp.Path() / "tdavid";
  ASSERT_EQ(Import("tdavid", out), 0);
  Book b(out / "book", 5, "verse");
  ASSERT_EQ(b.opened, 0);
  // Each psalm is one entry stored at its first verse.
  const int psalm23 = b.book.GetSectionKey("\\Psalms\\Psalm 23\\Verses 1-6");
  ASSERT_GE(psalm23, 0);
  for (const char* verse : {"19,23,1", "19,23,4", "19,23,6"}) EXPECT_EQ(b.book.GetVSyncKey(verse), psalm23) << verse;
  EXPECT_EQ(b.book.GetVSyncKey("19,24,1"), b.book.GetSectionKey("\\Psalms\\Psalm 24\\Verses 1-10"));
  EXPECT_EQ(b.book.GetVSyncKey("1,1,1"), -1);  // the Psalms only
  // OSIS <reference> elements are Bible links.
  const std::string text = b.EntryText(psalm23);
  EXPECT_NE(text.find("{\\soltlinkto4 19 23:1-19 23:6}}"), std::string::npos);
  EXPECT_TRUE(Contains(b.VerseKeys(19, 23, 4), psalm23));
  EXPECT_EQ(b.book.GetLastKey(), 300);  // Psalms, 150 psalms, a section each
}

TEST(StrongsExtract, NumbersHundredsAndScript) {
  REQUIRE_MODULE("StrongsGreek");
  TempDir tmp;
  const fs::path out = tmp.Path() / "greek";
  ASSERT_EQ(Import("strongs-greek", out, "00001,00002,00025,00026,00175,00427,05368,05485,00100,00099,00199,00200"), 0);
  Book b(out / "book", 3, "strongs");
  ASSERT_EQ(b.opened, 0);
  // Grouped by hundreds; keys five digits in the module, "G25" in the book.
  EXPECT_EQ(b.book.GetPathFromKey(0), "\\G1-G99");
  const int g25 = b.book.GetSSyncKey("G25");
  ASSERT_GE(g25, 0);
  EXPECT_EQ(b.book.GetPathFromKey(g25).rfind("\\G1-G99\\G25 agap", 0), 0u) << b.book.GetPathFromKey(g25);
  EXPECT_EQ(b.book.GetPathFromKey(b.book.GetSSyncKey("G100")).rfind("\\G100-G199\\G100 ", 0), 0u);
  EXPECT_EQ(b.book.GetPathFromKey(b.book.GetSSyncKey("G5485")).rfind("\\G5400-G5499\\G5485 ", 0), 0u);
  // The Bibles' lemmas are four digits: "G0025" finds G25 as well.
  EXPECT_EQ(b.book.GetSSyncKey("G0025"), g25);
  EXPECT_EQ(b.book.GetSSyncKey("G00025"), -1);
  EXPECT_EQ(b.book.GetSSyncKey("G3"), -1);  // not chosen
  // The Greek is spelt in Latin letters, and the entry says so.
  const std::string text = b.EntryText(g25);
  EXPECT_NE(text.find("{\\b agapao}"), std::string::npos) << text;
  EXPECT_NE(text.find("Latin letters"), std::string::npos);
  // "Compare G5368": a link within the book; the Hebrew reference stays text.
  EXPECT_NE(text.find("{\\soltlinkto0 " + std::to_string(b.book.GetSSyncKey("G5368")) + "}"), std::string::npos);
  EXPECT_NE(text.find("H5689"), std::string::npos);
  EXPECT_EQ(text.find("{\\soltlink H5689"), std::string::npos);
}

TEST(StrongsExtract, HebrewWithMendedConfiguration) {
  REQUIRE_MODULE("StrongsHebrew");
  TempDir tmp;
  {
    // The package's configuration says neither that the text is UTF-8 nor
    // that it is TEI; the private copy does.
    SwordBooks sword("StrongsHebrew", (tmp.Path() / "probe").string());
    std::ifstream conf(sword.ConfigFile());
    std::string text((std::istreambuf_iterator<char>(conf)), {});
    EXPECT_NE(text.find("Encoding=UTF-8"), std::string::npos);
    EXPECT_NE(text.find("SourceType=TEI"), std::string::npos);
  }
  const fs::path out = tmp.Path() / "hebrew";
  ASSERT_EQ(Import("strongs-hebrew", out, "00001,00002,00003,00024,00430,00433,00410,02200,00100,00099,00500,08674"), 0);
  Book b(out / "book", 4, "strongs");
  ASSERT_EQ(b.opened, 0);
  const int h430 = b.book.GetSSyncKey("H430");
  ASSERT_GE(h430, 0);
  EXPECT_EQ(b.book.GetSSyncKey("H0430"), h430);  // as the Bibles' lemmas write it
  EXPECT_EQ(b.book.GetPathFromKey(b.book.GetSSyncKey("H8674")).rfind("\\H8600-H8699\\H8674 ", 0), 0u);
  EXPECT_EQ(b.book.GetPathFromKey(h430).rfind("\\H400-H499\\H430 ", 0), 0u);
  const std::string text = b.EntryText(h430);
  EXPECT_NE(text.find("{\\b 'lhym}"), std::string::npos) << text;  // the script, transliterated
  EXPECT_NE(text.find("Hebrew script"), std::string::npos);
  EXPECT_NE(text.find("{\\soltlinkto0 " + std::to_string(b.book.GetSSyncKey("H433")) + "}"), std::string::npos);
  EXPECT_NE(text.find("\\{thus\\}"), std::string::npos);  // the module's braces are text
  // H1 is referred to by H2: a link within the book.
  EXPECT_NE(b.EntryText(b.book.GetSSyncKey("H2")).find("{\\soltlinkto0 " + std::to_string(b.book.GetSSyncKey("H1")) + "}"),
            std::string::npos);
}

TEST(CommentaryConfiguration, PrivateCopyReadsTheText) {
  REQUIRE_MODULE("MHCC");
  TempDir tmp;
  SwordBooks sword("MHCC", tmp.Path().string());
  // The package's driver (zCom4) reads nothing; the mended copy uses zCom.
  ASSERT_EQ(sword.Mends().size(), 1u);
  EXPECT_EQ(sword.Mends()[0], "ModDrv=zCom");
  auto slots = sword.CommentarySlots();
  ASSERT_EQ(slots.size(), 31102u);
  EXPECT_NE(slots[2].second.find("Verses 3-5"), std::string::npos);  // Genesis 1:3
  EXPECT_TRUE(slots[3].first.linkedToPrevious);
  EXPECT_TRUE(slots[3].second.empty());  // a span's text is kept once
}

// The whole books: every link within a book names an entry, every Bible
// link a verse of the English order, every verse has a section of the
// commentary, every entry its sync key.
TEST(WholeBooks, LinksAndSyncHold) {
  struct Kind {
    const char* kind;
    const char* module;
    int id;
    const char* sync;
  };
  const Kind kinds[] = {{"naves", "Nave", 1, "word"},
                        {"mhcc", "MHCC", 2, "verse"},
                        {"strongs-greek", "StrongsGreek", 3, "strongs"},
                        {"strongs-hebrew", "StrongsHebrew", 4, "strongs"},
                        {"tdavid", "TDavid", 5, "verse"}};
  int built = 0;
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.kind);
    if (!SwordBooks::Installed(k.module)) continue;
    TempDir tmp;
    const fs::path out = tmp.Path() / k.kind;
    ASSERT_EQ(Import(k.kind, out), 0);
    ++built;
    Book b(out / "book", k.id, k.sync);
    ASSERT_EQ(b.opened, 0);
    int entryLinks = 0, verseLinks = 0;
    std::set<int> areas;
    const int last = b.book.GetLastKey();
    for (int key = 0; key <= last; ++key) {
      cSectionsData d;
      ASSERT_EQ(b.book.GetEntry(key, d), 0);
      areas.insert(d.GetBookKey());
      // Every entry's own sync value leads back to it.
      const std::string name = d.GetName();
      if (std::string(k.sync) == "word" && d.GetLevel() == 2) {
        EXPECT_EQ(b.book.GetWSyncKey(name.c_str()), key) << name;
      }
      if (std::string(k.sync) == "strongs" && d.GetLevel() == 2) {
        EXPECT_EQ(b.book.GetSSyncKey(name.substr(0, name.find(' ')).c_str()), key) << name;
      }
    }
    for (int area : areas) {
      const std::string text = b.Area(area);
      for (const std::string& target : LinkTargets(text, 0)) {
        ++entryLinks;
        EXPECT_TRUE(!target.empty() && target.size() < 9 &&
                    target.find_first_not_of("0123456789") == std::string::npos &&
                    b.book.IsValidKey(std::stoi(target)))
            << target;
      }
      for (const std::string& target : LinkTargets(text, 4)) {
        ++verseLinks;
        int v[6] = {};
        char sep[4] = {};
        const int n = std::sscanf(target.c_str(), "%d %d%c%d%c%d %d%c%d", &v[0], &v[1], &sep[0], &v[2], &sep[1],
                                  &v[3], &v[4], &sep[2], &v[5]);
        ASSERT_TRUE((n == 4 && sep[0] == ':') || (n == 9 && sep[1] == '-' && sep[2] == ':')) << target;
        EXPECT_TRUE(SwordBooks::VerseExists(v[0], v[1], v[2])) << target;
        if (n == 9) {
          EXPECT_TRUE(SwordBooks::VerseExists(v[3], v[4], v[5])) << target;
          EXPECT_EQ(v[3], v[0]) << target;
        }
      }
    }
    if (std::string(k.kind) == "naves") {
      EXPECT_GT(entryLinks, 4000);
      EXPECT_GT(verseLinks, 70000);
    }
    if (std::string(k.sync) == "verse") {
      // The commentary on the whole Bible has a section for every verse, the
      // Treasury of David for every verse of the Psalms.
      const bool psalms = std::string(k.kind) == "tdavid";
      int verses = 0;
      for (int book = psalms ? 19 : 1; book <= (psalms ? 19 : 66); ++book)
        for (int c = 1; SwordBooks::VerseExists(book, c, 1); ++c)
          for (int v = 1; SwordBooks::VerseExists(book, c, v); ++v, ++verses) {
            const std::string ref = std::to_string(book) + "," + std::to_string(c) + "," + std::to_string(v);
            const long key = b.book.GetVSyncKey(ref.c_str());
            ASSERT_TRUE(key >= 0 && b.book.IsValidSectionKey(static_cast<int>(key))) << ref;
          }
      EXPECT_EQ(verses, psalms ? 2461 : 31102);
    }
  }
  if (built == 0) GTEST_SKIP() << "no reference module is installed";
}

}  // namespace
