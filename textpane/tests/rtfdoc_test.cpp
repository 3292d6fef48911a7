#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/messages.h"
#include "textpane/model/paragraph.h"
#include "textpane/model/rtfdoc.h"
#include "treetext.h"

namespace textpane {
namespace {

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = ::testing::TempDir() + "klmw-rtfdoc-XXXXXX";
    m_path = ::mkdtemp(pattern.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(m_path); }
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Records what the document tells its views, in order.
class TreeLog : public platform::CView, public RtfTreeView {
 public:
  std::string log;
  Node* tree = nullptr;
  void SetTree(Node* root) override {
    tree = root;
    log += "tree ";
  }
  void OnUpdate(platform::CView*, long hint, void*) override { log += "update" + std::to_string(hint) + " "; }
};

TEST(RtfDocFile, OpenAndSaveRoundTrip) {
  ScratchDir dir;
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  // Larger than the stream's two buffers, so loading takes several reads.
  std::string body;
  for (int i = 0; i < 800; ++i) body += "{\\b verse " + std::to_string(i) + "}\\par ";
  struct Case {
    const char* name;
    std::string bytes;
    std::string firstParagraph;
  } cases[] = {
      {"rtf", "{\\rtf1 " + body + "}", "verse 0\r"},
      {"plain text", "just words\r\nand more", "just words\r"},
      {"empty", "", "\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir / c.name;
    WriteBytes(path, c.bytes);
    CRtfDoc doc;
    TreeLog view;
    doc.AddView(&view);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_TRUE(doc.OpeningPath().empty()) << "forgotten once the open is over";
    EXPECT_EQ(c.firstParagraph, doc.FirstParagraph()->Text());
    EXPECT_EQ(view.tree, doc.Root());
    EXPECT_EQ("tree tree update0 ", view.log) << "emptied before loading, then the new tree, then one update";

    std::string saved = dir / (std::string(c.name) + ".rtf");
    ASSERT_TRUE(doc.OnSaveDocument(saved));
    EXPECT_EQ(doc.GetText(FORMAT_RTF), ReadBytes(saved));
    CRtfDoc again;
    ASSERT_TRUE(again.OnOpenDocument(saved));
    EXPECT_EQ(test::TreeText(doc.Root()), test::TreeText(again.Root()));
  }
  EXPECT_TRUE(messages.m_shown.empty());

  CRtfDoc doc;
  EXPECT_FALSE(doc.OnOpenDocument(dir / "missing.rtf"));
  EXPECT_EQ(1u, messages.m_shown.size());
  EXPECT_EQ("S{P()}", test::TreeText(doc.Root())) << "a failed open leaves an empty document";
}

}  // namespace
}  // namespace textpane
