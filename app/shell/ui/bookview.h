// The text pane of a book window: the section the document's position names,
// read from the book into the document and shown from the section's level.
// Bible windows keep the stand-in view until the Bible view exists.
#pragma once

#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/books/updatethrottle.h"
#include "soltread.h"
#include "textpane/ui/rtfview.h"

namespace klmw {

class CBibleModule;
class CBookSection;
class CPlaceDocument;

// What a link reaches outside its book window; the application fills it in.
struct CBookLinkHost {
  std::function<const CBibleModule*()> bible;  // the "KJS" Bible, or null
  // Its window at verse index `verse`, the `count` verses from there marked.
  std::function<void(int verse, int count)> showVerse;
  // References gone to: shown in a Bible window with their verses marked.
  std::function<void(const std::vector<textpane::Range>& ranges)> showRanges;
  std::function<void(const std::string& path, const std::string& caption)> showPicture;
  std::function<bool(const std::vector<std::string>& argv)> startProcess;
};

class CBookView : public textpane::CRtfView {
  Q_OBJECT

 public:
  // The registered book a document shows; null when it shows none.
  using BookOf = std::function<const cSOLTBook*(const CPlaceDocument&)>;

  explicit CBookView(BookOf bookOf, QWidget* parent = nullptr);
  ~CBookView() override;

  // A new position reads the text again; the text arriving (hint 0 while
  // reading) is only laid out. Other hints read the text again too, but a
  // burst of them within a second only once more (the stamp is shared by
  // every book view).
  void OnUpdate(platform::CView* sender, long hint, void* object) override;

  void SetLinkHost(CBookLinkHost host) { m_linkHost = std::move(host); }

 protected:
  bool viewportEvent(QEvent* e) override;
  // Copy, Select All, and "Go to reference" when the selection reads as one.
  void contextMenuEvent(QContextMenuEvent* e) override;
  // The reader scrolled into another section of the area: the document
  // follows without reading the text again.
  void OnLevelChanged(unsigned level) override;

 private:
  // Reads the document's section into it; without `force` a section of the
  // area already read is only scrolled to.
  void Reload(bool force);
  void OnThrottleDue();
  // The words of the document's search marked in the level.
  void MarkSearchWords(int level);

  // Links: a double click follows one, a verse link shows its text on hover.
  void OnHyperlink(unsigned type, const char* target) override;
  void ShowGlossary(const cSOLTBook& book, int key);
  // A verse link followed: the links to the same verses are marked (the
  // search's words stay marked).
  void MarkVerseLinks(const std::string& target);

  BookOf m_bookOf;
  CBookLinkHost m_linkHost;
  std::unique_ptr<CBookSection> m_section;
  int m_bookIndex = -1;  // the registry index m_section reads
  int m_streamedArea = -1;  // the area the document holds, -1 before any
  bool m_reloading = false;
  bool m_loaded = false;
  CUpdateThrottle m_throttle;
  QTimer m_throttleTimer;
};

}  // namespace klmw
