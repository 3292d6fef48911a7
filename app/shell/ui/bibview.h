// The text pane of a Bible window: the Bible as one stream of verses, drawn
// by the program itself through the rich-text engine's surface — chapter
// headings, small blue verse numbers, the text broken at blanks — scrolled
// by verse, page, chapter or book, with a selection that copies as plain
// and rich text, and printing of the verses. A window on a book is left to
// the book view it derives from.
#pragma once

#include <QPoint>
#include <functional>
#include <memory>

#include "app/bibles/bibleviewcore.h"
#include "app/shell/ui/bookview.h"

class QAction;

namespace klmw {

class CBibDoc;
class CBibleModule;
class CPaint;
class CPlaceDocument;
struct CDisplayOptions;

// What the Bible view takes from the application.
struct CBibleViewHost {
  // The Bible a document shows, or null.
  std::function<const CBibleModule*(const CPlaceDocument&)> bibleOf;
  // The scroll switch and the other display options.
  const CDisplayOptions* options = nullptr;
  // The main frame's command of that number, for the context menu.
  std::function<QAction*(int id)> command;
  // The colour data of a Bible (its topic colours and underlining), or null.
  std::function<CPaint*(const CBibleModule&)> paintOf;
  // The text of a verse's footnote by its place among the verse's letters
  // (0 the first), or "".
  std::function<std::string(const CBibleModule& bible, int verse, size_t which)> footnote;
};

class CBibView : public CBookView {
  Q_OBJECT

 public:
  CBibView(BookOf bookOf, CBibleViewHost host, QWidget* parent = nullptr);
  ~CBibView() override;

  void OnUpdate(platform::CView* sender, long hint, void* object) override;
  void OnEditCopy() override;
  int Print(QPrinter& printer) override;

  // Whether the window shows a Bible (else the book view works as ever).
  bool ShowsBible() const { return m_core.GetBible() != nullptr; }
  CBibleViewCore& BibleCore() { return m_core; }
  // The verses the window shows, printed.
  void PrintVersesShown();
  // The Copy Range of Verses dialog, then the copy.
  void OnCopyRange();
  // Copies the selection (plain and rich text) to the clipboard.
  void CopyVerseSelection(const CVerseSelection& selection);
  // The colour data the window draws with (null without any).
  CPaint* GetPaint() const { return m_paint; }
  // The colour data changed (painting): the verses are drawn again.
  void ColoursChanged();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  // A footnote letter shows its note.
  bool viewportEvent(QEvent* e) override;

 private:
  CBibDoc* Doc() const;
  // Binds the document to its Bible and the core to both.
  void Bind();
  void SetCoreSize();
  // After the window moved itself: the document takes the top verse (and
  // with it the windows that follow), the bar and the picture follow.
  void Moved(bool moved);
  void SyncScrollBar();
  void OnScrollAction(int action);
  bool ByLine() const;
  int PageMode() const;
  int32_t Units() const { return m_units; }
  // The window's colours on a page: the Bible's topic colours when it has them.
  CBibleColours Colours(textpane::RGB page, textpane::RGB text) const;

  CBibleViewHost m_host;
  CPaint* m_paint = nullptr;
  int32_t m_units;  // logical units per pixel
  CBibleViewCore m_core;
  bool m_selecting = false;
  bool m_moving = false;
  int m_wheel = 0;  // wheel turn not yet a verse
  int m_printFirst = -1, m_printLast = -1;  // a range to print instead of the chapter
};

}  // namespace klmw
