// Links in a book's text: each type and target leads where the reader
// expects, and a target that is damaged, names something the book or the
// Bible lacks, or reaches for a file outside the book's folder gives a
// message and nothing else.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "biblefile/biblemodule.h"
#include "biblefile/tests/biblefixture.h"
#include "app/books/linkresolver.h"
#include "soltread/tests/testbook.h"

namespace klmw {
namespace {

using A = ELinkAction;

class LinkResolverTest : public ::testing::Test {
 protected:
  LinkResolverTest() : m_dir(Viewable()), m_outside(testbook::MakeTempDir()) {
    solt::cSectionsWriter sections(testbook::Version());
    sections.AddSection("Intro", 1, 0, 0);
    sections.AddSection("Chapter", 1, 0, 1);
    sections.AddGlossary("Firmament", 1, 0, 2);
    sections.AddGlossary(" void ", 1, 0, 3);
    testbook::WriteBytes(m_dir.File("sections.idx"), sections.Build());
    std::filesystem::create_directories(m_dir.Path() + "maps");
    testbook::WriteBytes(m_dir.Path() + "maps/EDEN.BMP", "BM");
    testbook::WriteBytes(m_dir.Path() + "Talk.mp3", "ID3");
    testbook::WriteBytes(m_outside + "secret.bmp", "BM");
    EXPECT_EQ(::symlink((m_outside + "secret.bmp").c_str(), (m_dir.Path() + "escape.bmp").c_str()), 0);
    EXPECT_EQ(::symlink(m_outside.c_str(), (m_dir.Path() + "away").c_str()), 0);
    EXPECT_TRUE(m_bible.ParseDefinition("TDBFILE=\"KJS.dat\"\n{Genesis\txx3,2}\n{Exodus\txx2}\n", ""));
    m_book = m_dir.MakeBook();
  }
  ~LinkResolverTest() override { std::filesystem::remove_all(m_outside); }

  static solt::cViewableWriter Viewable() {
    solt::cViewableWriter viewable(testbook::Version());
    viewable.SetCompression(1);
    viewable.SetHeaderArea("{\\rtf1");
    viewable.AddArea("\\soltstartlevel0 Intro\\par \\soltstartlevel1 Chapter\\par}");
    return viewable;
  }

  testbook::BookDir m_dir;
  std::string m_outside;
  CBibleModule m_bible;
  cSOLTBook m_book;
};

TEST_F(LinkResolverTest, EachTypeLeadsToItsPlaceOrToAMessage) {
  const std::string real = std::filesystem::canonical(m_dir.Path()).string() + "/";
  const struct {
    unsigned type;
    std::string target;
    A action;
    int key;  // section or glossary key, or verse index
    int count;
    std::string path;
    std::string caption;
  } cases[] = {
      {0, "1", A::GoToSection, 1, 0, "", ""},
      {0, "0", A::GoToSection, 0, 0, "", ""},
      {0, "2", A::Message, -1, 0, "", ""},  // a glossary key is no section
      {0, "99999", A::Message, -1, 0, "", ""},
      {0, "See Light", A::Message, -1, 0, "", ""},
      {0, "-1", A::Message, -1, 0, "", ""},
      {0, "", A::Message, -1, 0, "", ""},
      {1, "firmament", A::ShowGlossary, 2, 0, "", ""},
      {3, "VOID", A::ShowGlossary, 3, 0, "", ""},
      {1, "Light", A::Message, -1, 0, "", ""},
      {4, "1 1:2", A::ShowVerse, 1, 1, "", ""},
      {4, "2 1:1", A::ShowVerse, 5, 1, "", ""},
      {4, "1 1:2-1 2:1", A::ShowVerse, 1, 3, "", ""},
      {4, "1 2:1-2", A::ShowVerse, 3, 2, "", ""},
      {4, "1 1:3-1 1:1", A::ShowVerse, 2, 1, "", ""},    // a range backwards: its first verse
      {4, "1 1:3-1 9:9", A::ShowVerse, 2, 1, "", ""},    // a range end the Bible lacks
      {4, "999 999:999", A::Message, -1, 0, "", ""},
      {4, "1 3:1", A::Message, -1, 0, "", ""},
      {4, "0 1:1", A::Message, -1, 0, "", ""},
      {4, "1 1", A::Message, -1, 0, "", ""},
      {4, "1 1:1x", A::Message, -1, 0, "", ""},
      {4, "99999999999 1:1", A::Message, -1, 0, "", ""},
      {4, "Gen 1:1", A::Message, -1, 0, "", ""},
      {2, "\"maps\\eden.bmp\" \"The Garden\"", A::ShowPicture, -1, 0, real + "maps/EDEN.BMP", "The Garden"},
      {2, "\"TALK.MP3\" \"A talk\"", A::OpenFile, -1, 0, real + "Talk.mp3", "A talk"},
      {2, "\"maps\\missing.bmp\" \"\"", A::Message, -1, 0, "", ""},
      {2, "\"../../etc/passwd\" \"x\"", A::Message, -1, 0, "", ""},
      {2, "\"maps/../Talk.mp3\" \"x\"", A::Message, -1, 0, "", ""},
      {2, "\"/etc/passwd\" \"x\"", A::Message, -1, 0, "", ""},
      {2, "\"C:\\WINDOWS\\WIN.INI\" \"x\"", A::Message, -1, 0, "", ""},
      {2, "\"escape.bmp\" \"x\"", A::Message, -1, 0, "", ""},       // a link to a file outside
      {2, "\"away\\secret.bmp\" \"x\"", A::Message, -1, 0, "", ""}, // a folder link outside
      {2, "\"maps\" \"x\"", A::Message, -1, 0, "", ""},             // a folder is no file
      {2, "eden.bmp", A::Message, -1, 0, "", ""},
      {2, "\"\" \"x\"", A::Message, -1, 0, "", ""},
      {5, "1", A::Message, -1, 0, "", ""},
  };
  CLinkResolver resolver(&m_book, &m_bible);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.type) + " " + c.target);
    const CLinkAction a = resolver.Resolve(c.type, c.target);
    EXPECT_EQ(a.m_action, c.action);
    if (c.action == A::Message) {
      EXPECT_FALSE(a.m_message.empty());
    }
    if (c.action == A::GoToSection || c.action == A::ShowGlossary) {
      EXPECT_EQ(a.m_key, c.key);
    }
    if (c.action == A::ShowVerse) {
      EXPECT_EQ(a.m_verse, c.key);
      EXPECT_EQ(a.m_verseCount, c.count);
    }
    EXPECT_EQ(a.m_path, c.path);
    if (!c.path.empty()) {
      EXPECT_EQ(a.m_caption, c.caption);
    }
  }
}

TEST_F(LinkResolverTest, WithoutTheBibleOrAReadableBookLinksOnlyTell) {
  const struct {
    unsigned type;
    const char* target;
    const char* message;
  } cases[] = {
      {4, "1 1:1", "Verse links open in the KJS Bible, which is not installed."},
      {1, "Firmament", "OnHyperLink, Glossary Link, pString=<Firmament>\n"},
      {3, "Firmament", "OnHyperLink, Across-book Link, pString=<Firmament>\n"},
      {7, "x", "OnHyperLink, Invalid link type, pString=<x>\n"},
  };
  cSOLTBook missing = m_book;
  missing.SetTextPath("/nonexistent/book/");
  missing.SetIDXPath("/nonexistent/book/");
  CLinkResolver resolver(&missing, nullptr);
  for (const auto& c : cases) {
    const CLinkAction a = resolver.Resolve(c.type, c.target);
    EXPECT_EQ(a.m_action, A::Message) << c.target;
    EXPECT_EQ(a.m_message, c.message);
  }
  EXPECT_EQ(resolver.Resolve(0, "1").m_action, A::Message);
  EXPECT_EQ(CLinkResolver(nullptr, nullptr).Resolve(2, "\"Talk.mp3\"").m_action, A::Message);
}

TEST(VerseTip, ShowsTheRangeUpToItsLimit) {
  bibletest::TempDir dir;
  std::string error;
  ASSERT_TRUE(bibletest::SmallBible().Write(dir.Path(), error)) << error;
  CBibleModule bible;
  ASSERT_TRUE(bible.Load(dir.Path() + "TST.ixb"));
  const struct {
    int first, count;
    int lines;  // after the reference
    const char* start;
    const char* last;
  } cases[] = {
      {3, 1, 1, "Genesis 2:1\n2:1 Thus the heavens were finished.", "2:1 Thus"},
      {4, 2, 2, "Genesis 2:2\n2:2 And on the seventh day", "1:1 Now these"},  // across books
      {0, 50, 7, "Genesis 1:1\n1:1 ", "..."},                                // cut, then marked
      {5, 9, 2, "Exodus 1:1\n", "1:2 "},                                     // the Bible ends first
  };
  for (const auto& c : cases) {
    const std::string tip = FormatVerseTip(bible, c.first, c.count);
    SCOPED_TRACE(tip);
    EXPECT_EQ(tip.rfind(c.start, 0), 0u);
    EXPECT_EQ(std::count(tip.begin(), tip.end(), '\n'), c.lines);
    EXPECT_EQ(tip.substr(tip.rfind('\n') + 1).rfind(c.last, 0), 0u);
  }
  EXPECT_EQ(FormatVerseTip(bible, 7, 1), "");
}

}  // namespace
}  // namespace klmw
