// A book window's text: the header area and the section's area arrive
// whole, however many chunks they take, and the section's level is the one
// the view scrolls to.
#include <gtest/gtest.h>

#include <string>

#include "app/shell/booksection.h"
#include "app/shell/tests/sectionbook.h"
#include "textpane/model/paragraph.h"

namespace klmw {
namespace {

TEST(BookSection, StreamsTheSectionsAreaAfterTheHeader) {
  // Far more than the reader's two buffers, so that it takes many chunks.
  const auto dir = sectionbook::Make("\\par " + testbook::SampleText(20000) + "\\par Last\\par}");
  CBookSection section(dir->MakeBook());
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
