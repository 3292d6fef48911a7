// The rich-text view: shows one CRtfDoc read-only in a scrolling window. It
// forwards what happens to the window to its CRtfViewCore and paints what
// the core lays out through a QtSurface. The program derives its book and
// Bible views from it and overrides the two notifications, which arrive as
// events posted to the view itself, after the input that caused them.
#pragma once

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPoint>
#include <QTimer>
#include <memory>

#include "platform/docview.h"
#include "textpane/layout/colors.h"
#include "textpane/model/rtfdoc.h"
#include "textpane/view/rtfviewcore.h"

class QMimeData;
class QPrinter;

namespace textpane {

class CFindBar;

class CRtfView : public QAbstractScrollArea, public platform::CView, public RtfTreeView {
  Q_OBJECT

 public:
  // The events the notifications travel in.
  static const QEvent::Type kHyperlinkEvent;
  static const QEvent::Type kLevelEvent;

  explicit CRtfView(QWidget* parent = nullptr);
  ~CRtfView() override;

  // Adds the view to the document's views and shows it (for a view made
  // outside a document template).
  void SetDocument(CRtfDoc* doc);
  CRtfDoc* GetRtfDoc() const;

  // platform::CView: hint 0 (and any other) lays out again and repaints.
  void OnUpdate(platform::CView* sender, long hint, void* object) override;
  // RtfTreeView: the document replaced its tree.
  void SetTree(Node* root) override;

  long GetCaretPos();
  void SetCaretPos(long pos);
  void ScrollToLevel(int level);
  // Moving among the marks of a level (CRtfViewCore tells which mark each takes).
  void FirstSearchMatch(int level);
  void LastSearchMatch(int level);
  void NextSearchMatch(int level);
  void PreviousSearchMatch(int level);
  bool IsNextSearchMatch(int level);
  bool IsPreviousSearchMatch(int level);
  // Stepping through one phrase's marks in text order (the find bar's way).
  int CountMarks(int level) { return m_core.CountMarks(level); }
  void GoToMarkNumber(int level, int n);
  // The level at the top of the window: the section being read.
  int TopLevel();
  // The marks of the document changed in place: repaint, and tell whoever
  // enables the match commands.
  void MarksChanged();
  // Ctrl+F: the find bar under the text, made on first use.
  void OpenFindBar();
  CFindBar* GetFindBar() const { return m_findBar; }
  // Gives the find bar its strip, or the text the whole window once it hides.
  void PlaceFindBar();
  bool SetScaling(int percent);
  int GetScaling() const { return m_core.GetScaling(); }

  int GetSelection(long* start, long* end) const { return m_core.GetSelection(start, end); }
  void SelectAll();
  void GetSelectedText(char* buffer, long size) const { m_core.GetSelectedText(buffer, size); }
  bool HasSelection() const { return m_core.HasSelection(); }
  bool SelectionReferences(std::vector<Range>& ranges, uint16_t translation) const {
    return m_core.SelectionReferences(ranges, translation);
  }
  // Whether the selection reads as one reference range (stored through
  // range when it does); see CRtfViewCore::SelectionReferences.
  bool IsSelectionARange(Range* range, uint16_t translation = 0) const {
    std::vector<Range> ranges;
    if (!m_core.SelectionReferences(ranges, translation) || ranges.size() != 1) return false;
    if (range) *range = ranges.front();
    return true;
  }

  // The clipboard's copy of the selection: RTF, plain text and, when the
  // selection holds a picture, the picture. Null without a selection.
  std::unique_ptr<QMimeData> SelectionMimeData() const;
  // Derived views that draw their own text copy and print it their way.
  virtual void OnEditCopy();
  void OnEditSelectAll() { SelectAll(); }
  void ZoomIn();
  void ZoomOut();
  void ZoomReset();

  // Lays the document out for the printer's page (the margins of Page
  // Setup, an inch all round until then) and prints it page by page in the
  // printer colours, only the pages of the printer's range when it has one.
  // Returns the number of pages printed.
  virtual int Print(QPrinter& printer);
  // The print dialog; without a printer it offers a PDF file named after
  // the document, in the home folder.
  void OnFilePrint();
  void OnFilePrintPreview();
  // Paper, orientation and margins for the prints that follow (Print Setup
  // and Page Setup), kept while the program runs.
  void OnFilePageSetup();

  static Colors& GetScreenColors() { return Colors::ScreenColors(); }
  static Colors& GetPrinterColors() { return Colors::PrinterColors(); }

  CRtfViewCore& Core() { return m_core; }

 signals:
  // The window moved or the marks changed: whether a next or previous
  // match exists may have changed with it.
  void searchMatchesMoved();

 protected:
  // Called for a double click on a finished link; does nothing here.
  virtual void OnHyperlink(unsigned type, const char* target);
  // Called when the user's scrolling brings another level to the top.
  virtual void OnLevelChanged(unsigned level);

  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void SyncDocument();
  void ReadyCore();
  void Apply(const CRtfViewCore::Scroll& s);
  void UpdateScrollBars();
  void OnVerticalAction(int action);
  void OnHorizontalAction(int action);
  void OnAutoScroll();
  void UpdateCursor(const QPoint& at);
  void Relayout();
  void PaintMargins();
  bool ForwardMarginMouse(QMouseEvent* e);
  void PreparePrinter(QPrinter& printer) const;
  void PrepareOutput(QPrinter& printer) const;
  QString DefaultPdfName() const;
  static void FollowPalette(const QPalette& palette);

  CRtfViewCore m_core;
  bool m_settingBars = false;
  bool m_tracking = false;
  QPoint m_pointer;
  QTimer m_autoScroll;
  CFindBar* m_findBar = nullptr;
};

}  // namespace textpane
