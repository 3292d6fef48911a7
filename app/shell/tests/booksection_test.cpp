// A book window's text: the header area and the section's area arrive
// whole, however many chunks they take, and the section's level is the one
// the view scrolls to.
#include <gtest/gtest.h>

#include <string>

#include "app/shell/booksection.h"
#include "soltread/tests/testbook.h"
#include "textpane/model/paragraph.h"

namespace klmw {
namespace {

TEST(BookSection, StreamsTheSectionsAreaAfterTheHeader) {
  const solt::sVersionInfo version = testbook::Version();
  solt::cViewableWriter viewable(version);
  viewable.SetCompression(1);
  viewable.SetHeaderArea("{\\rtf1\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}");
  // Far more than the reader's two buffers, so that it takes many chunks.
  viewable.AddArea("\\soltstartlevel0 First\\par \\soltstartlevel1 Second\\par " + testbook::SampleText(20000) +
                   "\\par Last\\par}");
  viewable.AddArea("\\soltstartlevel0 Other\\par}");
  testbook::BookDir dir(viewable, version);
  solt::cSectionsWriter sections(version);
  sections.AddSection("First", 1, 1, 0);
  sections.AddSection("Second", 1, 1, 1);
  sections.AddSection("Other", 1, 2, 0);
  testbook::WriteBytes(dir.File("sections.idx"), sections.Build());

  CBookSection section(dir.MakeBook());
  const struct {
    int key;
    const char* name;
    int levelCount;
    const char* levelText;  // the paragraph at the section's level
    const char* lastText;
  } cases[] = {
      {1, "Second", 1, "Second", "Last"},
      {2, "Other", 0, "Other", "Other"},
      {99, "First", 0, "First", "Last"},  // a key the book lacks: the first section
  };
  for (const auto& c : cases) {
    textpane::CRtfDoc doc;
    ASSERT_TRUE(section.Prepare(c.key)) << c.key;
    EXPECT_EQ(section.GetEntry().GetName(), c.name);
    EXPECT_EQ(section.GetLevelCount(), c.levelCount);
    section.Stream(doc);
    const textpane::TextPoint at = doc.PointAt(doc.LevelPosition(section.GetLevelCount()));
    ASSERT_TRUE(at.paragraph);
    EXPECT_EQ(at.paragraph->Text().substr(at.offset, at.paragraph->Length() - 1 - at.offset), c.levelText);
    const textpane::Paragraph* last = textpane::LastLeaf(doc.Root());
    EXPECT_EQ(last->Text().substr(0, last->Length() - 1), c.lastText) << c.key;
  }
}

}  // namespace
}  // namespace klmw
