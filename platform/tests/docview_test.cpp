#include "platform/docview.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/messages.h"
#include "temp_dir.h"

namespace platform {
namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// A document holding the file's bytes; "fail" in the data makes storing throw
// part-way, the way a full disk would.
class TextDoc : public CDocument {
 public:
  std::string text;
  int cleared = 0;
  void DeleteContents() override {
    text.clear();
    ++cleared;
  }
  void Serialize(CArchive& ar) override {
    if (ar.IsLoading()) {
      char buf[7];
      while (unsigned n = ar.Read(buf, sizeof buf)) text.append(buf, n);
    } else {
      ar.Write(text.data(), static_cast<unsigned>(text.size() / 2));
      if (text.find("fail") != std::string::npos) throw FileException(FileException::diskFull);
      ar.Write(text.data() + text.size() / 2, static_cast<unsigned>(text.size() - text.size() / 2));
    }
  }
};

class LogView : public CView {
 public:
  explicit LogView(std::string* log, std::string name) : m_log(log), m_name(std::move(name)) {}
  void OnUpdate(CView*, long hint, void*) override {
    *m_log += m_name + std::to_string(hint) + " ";
    if (dropOnUpdate) GetDocument()->RemoveView(dropOnUpdate);
  }
  CView* dropOnUpdate = nullptr;

 private:
  std::string* m_log;
  std::string m_name;
};

TEST(DocView, UpdatesSkipTheSenderAndViewsThatLeave) {
  TextDoc doc;
  std::string log;
  LogView a(&log, "a"), b(&log, "b"), c(&log, "c");
  doc.AddView(&a);
  doc.AddView(&b);
  doc.AddView(&c);
  doc.AddView(&a);  // twice: still one entry
  EXPECT_EQ(doc.Views().size(), 3u);

  doc.UpdateAllViews(&b, 7);
  EXPECT_EQ(log, "a7 c7 ");

  log.clear();
  a.dropOnUpdate = &b;  // a removes b during the walk: b is not called
  doc.UpdateAllViews(nullptr, 1);
  EXPECT_EQ(log, "a1 c1 ");
  EXPECT_EQ(b.GetDocument(), nullptr);

  {
    LogView d(&log, "d");
    doc.AddView(&d);
  }  // a view that is destroyed leaves the document
  EXPECT_EQ(doc.Views().size(), 2u);
}

TEST(DocView, ViewOutlivesItsDocument) {
  std::string log;
  LogView v(&log, "v");
  {
    TextDoc doc;
    doc.AddView(&v);
  }
  EXPECT_EQ(v.GetDocument(), nullptr);
}

TEST(DocView, OpenSaveRoundTripAndFailures) {
  TempDir dir;
  RecordingMessages messages;
  ScopedMessages scoped(&messages);

  struct Case {
    const char* name;
    bool exists;
    const char* content;
    bool openOk;
  } cases[] = {
      {"empty", true, "", true},
      {"text", true, "line one\nline two\n", true},
      {"missing", false, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir / c.name;
    if (c.exists) WriteFile(path, c.content);
    TextDoc doc;
    doc.text = "stale";
    EXPECT_EQ(doc.OnOpenDocument(path), c.openOk);
    if (!c.openOk) continue;
    EXPECT_EQ(doc.text, c.content);
    EXPECT_EQ(doc.GetPathName(), path);
    EXPECT_EQ(doc.GetTitle(), c.name);
    doc.text += "more";
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(ReadFile(path), std::string(c.content) + "more");
  }
  EXPECT_EQ(messages.m_shown.size(), 1u);

  // A save that fails part-way leaves the old file whole and no temporary behind.
  std::string path = dir / "keep";
  WriteFile(path, "precious");
  TextDoc doc;
  doc.text = "this will fail";
  EXPECT_FALSE(doc.OnSaveDocument(path));
  EXPECT_EQ(ReadFile(path), "precious");
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) files += e.path().filename() != "";
  EXPECT_EQ(files, 3);  // text, empty, keep
  EXPECT_FALSE(doc.OnSaveDocument(dir / "no-such-folder/x"));
}

TEST(DocView, TemplateOpensByNameOrOpener) {
  TempDir dir;
  WriteFile(dir / "a.txt", "abc");
  RecordingMessages messages;
  ScopedMessages scoped(&messages);

  CDocTemplate files("Text", [] { return std::make_unique<TextDoc>(); });
  CDocument* d = files.OpenDocumentFile(dir / "a.txt");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(static_cast<TextDoc*>(d)->text, "abc");
  EXPECT_EQ(files.OpenDocumentFile(dir / "none"), nullptr);
  EXPECT_NE(files.OpenDocumentFile(""), nullptr);
  EXPECT_EQ(files.Documents().size(), 2u);
  files.CloseDocument(d);
  EXPECT_EQ(files.Documents().size(), 1u);

  CDocTemplate named("Book", [] { return std::make_unique<TextDoc>(); },
                     [](CDocument& doc, const std::string& name) {
                       static_cast<TextDoc&>(doc).text = "opened " + name;
                       return name != "bad";
                     });
  CDocument* b = named.OpenDocumentFile("Book# 1 2");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(static_cast<TextDoc*>(b)->text, "opened Book# 1 2");
  EXPECT_EQ(named.OpenDocumentFile("bad"), nullptr);
}

TEST(DocView, BusyCursorNests) {
  std::string log;
  BusyCursor::SetHandler([&](bool busy) { log += busy ? "+" : "-"; });
  {
    BusyCursor outer;
    BusyCursor inner;
  }
  BusyCursor::SetHandler({});
  { BusyCursor quiet; }
  EXPECT_EQ(log, "+-");
}

}  // namespace
}  // namespace platform
