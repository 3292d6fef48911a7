#include "app/shell/ui/bibview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTextDocument>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "app/bibles/biblecopy.h"
#include "app/bibles/paint.h"
#include "app/shell/ui/bibdoc.h"
#include "app/shell/ui/commands.h"
#include "app/shell/ui/displayoptions.h"
#include "app/shell/ui/qtext.h"
#include "app/shell/ui/versedialogs.h"
#include "biblefile/biblemodule.h"
#include "biblefile/wordmatch.h"
#include "textpane/ui/qtfontsystem.h"
#include "textpane/ui/qtsurface.h"
#include "textpane/view/rtfviewcore.h"

namespace klmw {

using textpane::FontCache;
using textpane::QtFontSystem;
using textpane::QtSurface;

namespace {

int32_t ScreenUnits() {
  return textpane::CRtfViewCore::UnitsPerPixel(100, static_cast<int>(std::lround(QtFontSystem::Screen().PixelsPerInch())));
}

// A verse per notch of the wheel and a half.
constexpr int kWheelPerVerse = 80;

}  // namespace

CBibView::CBibView(BookOf bookOf, CBibleViewHost host, QWidget* parent)
    : CBookView(std::move(bookOf), parent),
      m_host(std::move(host)),
      m_units(ScreenUnits()),
      m_core(FontCache::ForScaling(QtFontSystem::Screen(), 100), m_units) {
  // The bar counts verses here; the book view's own handling stays out.
  verticalScrollBar()->disconnect(this);
  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &CBibView::OnScrollAction);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

CBibView::~CBibView() = default;

CBibDoc* CBibView::Doc() const { return dynamic_cast<CBibDoc*>(GetDocument()); }

bool CBibView::ByLine() const { return !m_host.options || !m_host.options->m_scrollByVerse; }

int CBibView::PageMode() const {
  const CBibDoc* doc = Doc();
  return doc ? doc->GetPageDownMode() : kPageByScreen;
}

void CBibView::Bind() {
  CBibDoc* doc = Doc();
  if (!doc) return;
  const CBibleModule* bible = m_host.bibleOf ? m_host.bibleOf(*doc) : nullptr;
  doc->BindBible(bible);
  if (bible != m_core.GetBible()) {
    m_core.SetBible(bible, bible ? &doc->GetVerses() : nullptr, bible ? bible->GetCode() : std::string());
    m_paint = bible && m_host.paintOf ? m_host.paintOf(*bible) : nullptr;
    ColoursChanged();
    SetCoreSize();
  }
}

void CBibView::SetCoreSize() {
  const QSize size = viewport()->size();
  m_core.SetSize(size.width() * m_units, size.height() * m_units);
}

CBibleColours CBibView::Colours(textpane::RGB page, textpane::RGB text) const {
  CBibleColours colours = CBibleColours::ForPage(page, text);
  if (m_paint && m_paint->HasColorData()) {
    // The topic colours over the page; uncoloured text stays on the page.
    const std::vector<textpane::RGB> own = colours.table;
    colours.table = m_paint->GetBibleColours().table;
    for (size_t i = 0; i < own.size() && i < colours.table.size(); ++i) colours.table[i] = own[i];
  }
  return colours;
}

void CBibView::ColoursChanged() {
  CPaint* paint = m_paint && m_paint->HasColorData() ? m_paint : nullptr;
  CBibDoc* doc = Doc();
  std::vector<std::string> words = doc ? doc->GetSearch().GetWords() : std::vector<std::string>{};
  // Each verse takes its topic colours and underlining as it is made.
  // The words of the window's search, and the footnote letters, as it is made.
  m_core.SetDecorator([paint, doc, words = std::move(words)](CVerse& v) {
    if (paint) v.segments = paint->GetSegments(v.index, v.text);
    v.found.clear();
    for (const WordMatch& m : FindWordMatches(v.text, words))
      v.found.emplace_back(static_cast<int32_t>(m.position), static_cast<int32_t>(m.position + m.length));
    v.marked = doc && doc->IsVerseMarked(v.index);
    v.notes.clear();
    if (const std::vector<CFootnoteMark>* marks = doc ? doc->FootnoteMarks(v.index) : nullptr)
      for (const CFootnoteMark& m : *marks) v.notes.emplace_back(m.start, m.start + m.length);
  });
  viewport()->update();
}

void CBibView::OnUpdate(platform::CView* sender, long hint, void* object) {
  CBibDoc* doc = Doc();
  if (!doc) return;
  Bind();
  if (!ShowsBible()) {
    CBookView::OnUpdate(sender, hint, object);
    return;
  }
  if (m_moving) return;
  if (hint == CPlaceDocument::kHintReload || hint == CPlaceDocument::kHintSearchEnded) ColoursChanged();
  // The footnote letters follow the display option (the verses are read
  // again when it changes).
  if (m_host.options && doc->ShowsFootnoteLetters() == m_host.options->m_suppressFootnotes) {
    doc->SetFootnoteLetters(!m_host.options->m_suppressFootnotes);
    ColoursChanged();
    m_core.Invalidate();
  }
  // The document's verse is the top verse; the run of verses follows it.
  if (m_core.SetTop(doc->GetSectionKey())) m_core.ClearSelection();
  // A verse the Bible does not have (a damaged workspace) becomes the
  // nearest one it has.
  if (doc->GetSectionKey() != m_core.GetTopVerse()) {
    m_moving = true;
    doc->SetSectionKey(m_core.GetTopVerse());
    m_moving = false;
  }
  doc->GetVerses().Load(m_core.GetTopVerse());
  if (hint == 0) m_core.Invalidate();
  SyncScrollBar();
  viewport()->update();
  emit searchMatchesMoved();
}

void CBibView::Moved(bool moved) {
  if (!moved) return;
  if (CBibDoc* doc = Doc()) {
    doc->GetVerses().Load(m_core.GetTopVerse());
    m_moving = true;
    doc->SetSectionKey(m_core.GetTopVerse());
    m_moving = false;
  }
  SyncScrollBar();
  viewport()->update();
  emit searchMatchesMoved();  // the marked verses above and below changed
}

void CBibView::SyncScrollBar() {
  QScrollBar* bar = verticalScrollBar();
  const QSignalBlocker block(bar);
  bar->setRange(0, m_core.GetLastVerse());
  bar->setSingleStep(1);
  bar->setPageStep(m_core.VersesShown());
  bar->setValue(m_core.GetTopVerse());
}

void CBibView::OnScrollAction(int action) {
  if (!ShowsBible()) return;
  bool moved = false;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: moved = m_core.LineDown(); break;
    case QAbstractSlider::SliderSingleStepSub: moved = m_core.LineUp(); break;
    case QAbstractSlider::SliderPageStepAdd: moved = m_core.PageDown(PageMode(), ByLine()); break;
    case QAbstractSlider::SliderPageStepSub: moved = m_core.PageUp(PageMode(), ByLine()); break;
    case QAbstractSlider::SliderToMinimum: moved = m_core.ToTop(); break;
    case QAbstractSlider::SliderToMaximum: moved = m_core.ToBottom(); break;
    case QAbstractSlider::SliderMove: moved = m_core.SetTop(verticalScrollBar()->sliderPosition()); break;
    default: break;
  }
  // The bar shows where the window is, not where the action would have put it.
  QMetaObject::invokeMethod(this, [this] { SyncScrollBar(); }, Qt::QueuedConnection);
  Moved(moved);
}

void CBibView::scrollContentsBy(int dx, int dy) {
  if (!ShowsBible()) return CBookView::scrollContentsBy(dx, dy);
  viewport()->update();
}

void CBibView::paintEvent(QPaintEvent* e) {
  if (!ShowsBible()) return CBookView::paintEvent(e);
  QPainter painter(viewport());
  const textpane::Colors& colors = GetScreenColors();
  const textpane::RGB page = colors.GetColor(textpane::kRoleBackground);
  painter.fillRect(viewport()->rect(), QtSurface::ToQColor(page));
  QtSurface surface(painter, m_units);
  m_core.Draw(surface, Colours(page, colors.GetColor(textpane::kRoleAutoText)));
}

void CBibView::resizeEvent(QResizeEvent* e) {
  if (!ShowsBible()) return CBookView::resizeEvent(e);
  QAbstractScrollArea::resizeEvent(e);
  SetCoreSize();
  SyncScrollBar();
}

void CBibView::keyPressEvent(QKeyEvent* e) {
  if (!ShowsBible()) return CBookView::keyPressEvent(e);
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  bool moved = false;
  switch (e->key()) {
    case Qt::Key_Down: moved = m_core.LineDown(); break;
    case Qt::Key_Up: moved = m_core.LineUp(); break;
    case Qt::Key_PageDown: moved = m_core.PageDown(PageMode(), ByLine()); break;
    case Qt::Key_PageUp: moved = m_core.PageUp(PageMode(), ByLine()); break;
    case Qt::Key_Home: moved = m_core.ToTop(); break;
    case Qt::Key_End: moved = m_core.ToBottom(); break;
    case Qt::Key_C:
      if (!ctrl) return QAbstractScrollArea::keyPressEvent(e);
      OnEditCopy();
      break;
    default: return QAbstractScrollArea::keyPressEvent(e);
  }
  e->accept();
  Moved(moved);
}

void CBibView::mousePressEvent(QMouseEvent* e) {
  if (!ShowsBible()) return CBookView::mousePressEvent(e);
  if (e->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(e);
  setFocus(Qt::MouseFocusReason);
  const QPoint at = e->position().toPoint();
  m_core.BeginSelection(at.x() * m_units, at.y() * m_units);
  m_selecting = true;
  viewport()->update();
  e->accept();
}

void CBibView::mouseMoveEvent(QMouseEvent* e) {
  if (!ShowsBible()) return CBookView::mouseMoveEvent(e);
  if (!m_selecting) return;
  const QPoint at = e->position().toPoint();
  m_core.ExtendSelection(at.x() * m_units, at.y() * m_units);
  viewport()->update();
}

void CBibView::mouseReleaseEvent(QMouseEvent* e) {
  if (!ShowsBible()) return CBookView::mouseReleaseEvent(e);
  if (m_selecting && e->button() == Qt::LeftButton) {
    const QPoint at = e->position().toPoint();
    m_core.ExtendSelection(at.x() * m_units, at.y() * m_units);
    m_selecting = false;
    viewport()->update();
  }
}

// A double click does nothing on Bible text.
void CBibView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (!ShowsBible()) return CBookView::mouseDoubleClickEvent(e);
  e->accept();
}

void CBibView::wheelEvent(QWheelEvent* e) {
  if (!ShowsBible()) return CBookView::wheelEvent(e);
  m_wheel += e->angleDelta().y();
  bool moved = false;
  while (m_wheel >= kWheelPerVerse) {
    moved |= m_core.LineUp();
    m_wheel -= kWheelPerVerse;
  }
  while (m_wheel <= -kWheelPerVerse) {
    moved |= m_core.LineDown();
    m_wheel += kWheelPerVerse;
  }
  e->accept();
  Moved(moved);
}

void CBibView::contextMenuEvent(QContextMenuEvent* e) {
  if (!ShowsBible() || !m_host.command) return CBookView::contextMenuEvent(e);
  QMenu menu(this);
  for (int id : {ID_EDIT_COPY, ID_EDIT_FIND, ID_CHANGE_FONT, ID_TAGGED_TAG, ID_BOOKMARK_ADD, ID_GOTO_VERSE,
                 ID_MAPS_BUTTON}) {
    if (QAction* a = m_host.command(id)) menu.addAction(a);
  }
  menu.exec(e->globalPos());
}

void CBibView::CopyVerseSelection(const CVerseSelection& selection) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  CBibDoc* doc = Doc();
  const CBibleModule* bible = m_core.GetBible();
  if (!clipboard || !doc || !bible) return;
  if (selection.IsEmpty()) {
    clipboard->clear();
    return;
  }
  const CBibleCopy copy = CopyVerses(*bible, bible->GetCode(), selection,
                                     [doc](int index) { return doc->GetVerses().Get(index); });
  auto mime = std::make_unique<QMimeData>();
  const QByteArray rtf(copy.rtf.data(), static_cast<qsizetype>(copy.rtf.size()));
  mime->setData(QStringLiteral("text/rtf"), rtf);
  mime->setData(QStringLiteral("application/rtf"), rtf);
  mime->setText(FromLatin1252(copy.plain));
  clipboard->setMimeData(mime.release());
}

void CBibView::OnEditCopy() {
  if (!ShowsBible()) return CBookView::OnEditCopy();
  CopyVerseSelection(m_core.GetSelection());
}

void CBibView::OnCopyRange() {
  CBibDoc* doc = Doc();
  const CBibleModule* bible = m_core.GetBible();
  if (!doc || !bible) return;
  CCopyRangeDialog dialog(*bible, m_core.GetTopVerse(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  CopyVerseSelection(WholeVerses(dialog.FirstVerse(), dialog.LastVerse(),
                                 [doc](int index) { return doc->GetVerses().Get(index); }));
}

void CBibView::PrintVersesShown() {
  if (!ShowsBible()) return;
  m_printFirst = m_core.GetTopVerse();
  m_printLast = std::min(m_core.GetLastVerse(), m_printFirst + m_core.VersesShown() - 1);
  OnFilePrint();
  m_printFirst = m_printLast = -1;
}

// The verses go onto the page with the printer's own fonts (Times New
// Roman), a verse that does not fit beginning the next page. What prints:
// the verses asked for, else the selection, else the top verse to the end
// of its chapter.
int CBibView::Print(QPrinter& printer) {
  if (!ShowsBible()) return CBookView::Print(printer);
  const CBibleModule* bible = m_core.GetBible();
  int first = m_printFirst, last = m_printLast;
  const CVerseSelection& selection = m_core.GetSelection();
  if (first < 0 && !selection.IsEmpty()) {
    first = selection.firstVerse;
    last = selection.lastVerse;
  }
  if (first < 0) {
    first = m_core.GetTopVerse();
    int b = 0, c = 0, v = 0;
    last = first;
    if (bible->IndexToPlace(first, b, c, v)) {
      while (last < m_core.GetLastVerse()) {
        int nb = 0, nc = 0, nv = 0;
        if (!bible->IndexToPlace(last + 1, nb, nc, nv) || nb != b || nc != c) break;
        ++last;
      }
    }
  }
  QtFontSystem fonts(QtFontSystem::Device::Printer, printer.resolution());
  const double units = fonts.UnitsPerPixel(100);
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  const auto width = static_cast<int32_t>(page.width() * units);
  const auto height = static_cast<int32_t>(page.height() * units);
  if (width <= 0 || height <= 0) return 0;
  CBibleFontSizes sizes;
  sizes.face = "Times New Roman";
  CBibleLayout layout(FontCache::ForScaling(fonts, 100), std::max<int32_t>(1, static_cast<int32_t>(std::lround(units))),
                      sizes);
  const CBibleColours colours = Colours(textpane::MakeRGB(255, 255, 255), 0);
  QPainter painter;
  if (!painter.begin(&printer)) return 0;
  int pages = 1;
  int32_t y = 0;
  for (int index = first; index <= last; ++index) {
    CVerse v = m_core.PrepareVerse(index);
    layout.Layout(v, width, y);
    if (v.bottom > height && y > 0) {
      if (!printer.newPage()) break;
      ++pages;
      layout.Layout(v, width, 0);
    }
    QtSurface surface(painter, units, QPointF(0, 0), true);
    layout.Draw(surface, v, width, 0, colours);
    y = v.bottom;
  }
  painter.end();
  return pages;
}

bool CBibView::viewportEvent(QEvent* e) {
  if (e->type() != QEvent::ToolTip || !ShowsBible()) return CBookView::viewportEvent(e);
  auto* help = static_cast<QHelpEvent*>(e);
  int verse = -1, offset = 0;
  std::string tip;
  CBibDoc* doc = Doc();
  if (doc && m_host.footnote && m_core.HitTest(help->pos().x() * m_units, help->pos().y() * m_units, verse, offset)) {
    if (const std::vector<CFootnoteMark>* marks = doc->FootnoteMarks(verse)) {
      for (size_t k = 0; k < marks->size(); ++k) {
        const CFootnoteMark& m = (*marks)[k];
        // The character under the pointer, or the one just before it.
        if (offset >= m.start && offset <= m.start + m.length) tip = m_host.footnote(*m_core.GetBible(), verse, k);
      }
    }
  }
  ShowTextTip(help, tip, viewport());
  return true;
}

}  // namespace klmw
