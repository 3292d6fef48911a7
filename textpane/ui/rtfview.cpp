#include "textpane/ui/rtfview.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPaintEvent>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/cp1252.h"
#include "textpane/model/linktarget.h"
#include "textpane/model/picture.h"
#include "textpane/ui/findbar.h"
#include "textpane/ui/qtfontsystem.h"
#include "textpane/ui/qtpicture.h"
#include "textpane/ui/qtsurface.h"

namespace textpane {

namespace {

// The events carry a count on the link, so its target text outlives a new
// text read into the document before the event arrives.
class HyperlinkEvent : public QEvent {
 public:
  explicit HyperlinkEvent(const LinkTarget* link)
      : QEvent(CRtfView::kHyperlinkEvent), link(const_cast<LinkTarget*>(link)) {}
  RefPtr<LinkTarget> link;
};

class LevelEvent : public QEvent {
 public:
  explicit LevelEvent(int32_t level) : QEvent(CRtfView::kLevelEvent), level(level) {}
  int32_t level;
};

unsigned ModifiersOf(Qt::KeyboardModifiers m) {
  unsigned out = 0;
  if (m & Qt::ShiftModifier) out |= CRtfViewCore::kShift;
  if (m & Qt::ControlModifier) out |= CRtfViewCore::kCtrl;
  if (m & Qt::AltModifier) out |= CRtfViewCore::kAlt;
  return out;
}

CRtfViewCore::Key KeyOf(int key) {
  switch (key) {
    case Qt::Key_PageUp: return CRtfViewCore::Key::PageUp;
    case Qt::Key_PageDown: return CRtfViewCore::Key::PageDown;
    case Qt::Key_Up: return CRtfViewCore::Key::Up;
    case Qt::Key_Down: return CRtfViewCore::Key::Down;
    case Qt::Key_Home: return CRtfViewCore::Key::Home;
    case Qt::Key_End: return CRtfViewCore::Key::End;
    default: return CRtfViewCore::Key::Other;
  }
}

QString ToUnicode(const std::string& bytes) {
  const std::u16string text = platform::Cp1252ToUtf16(bytes);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Ctrl with a key of its own: copy, select all, find and the zoom keys; F3
// and Escape while the find bar is open. Copy and select all are the keys of
// a window's Edit menu when it has one, so the view takes them only when no
// menu command did.
enum class Command { None, Copy, SelectAll, ZoomIn, ZoomOut, ZoomReset, Find, FindNext, FindPrevious, CloseFind };

Command CommandOf(const QKeyEvent* e, bool finding) {
  if (e->matches(QKeySequence::Copy)) return Command::Copy;
  if (e->matches(QKeySequence::SelectAll)) return Command::SelectAll;
  if (e->matches(QKeySequence::Find)) return Command::Find;
  if (finding && e->key() == Qt::Key_F3) {
    return e->modifiers() & Qt::ShiftModifier ? Command::FindPrevious : Command::FindNext;
  }
  if (finding && e->key() == Qt::Key_Escape) return Command::CloseFind;
  if (!(e->modifiers() & Qt::ControlModifier) || (e->modifiers() & Qt::AltModifier)) return Command::None;
  switch (e->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: return Command::ZoomIn;
    case Qt::Key_Minus: return Command::ZoomOut;
    case Qt::Key_0: return Command::ZoomReset;
    default: return Command::None;
  }
}

// One inch of margin round the printed text.
constexpr double kPrintMarginInches = 1.0;

// A little page colour between the window's edge and the text, which
// would otherwise touch it.
constexpr int kTextMarginX = 6;
constexpr int kTextMarginTop = 4;

// The page the user chose in Page Setup or the print dialog, and the
// printer, for the prints that follow while the program runs.
struct PrintSettings {
  QString printerName;
  std::optional<QPageLayout> layout;
};

PrintSettings& SavedPrintSettings() {
  static PrintSettings settings;
  return settings;
}

// The margins of Page Setup, an inch all round until the user sets others.
void ApplySavedMargins(QPrinter& printer) {
  const PrintSettings& saved = SavedPrintSettings();
  if (saved.layout) printer.setPageMargins(saved.layout->margins(), saved.layout->units());
  else printer.setPageMargins(QMarginsF(kPrintMarginInches, kPrintMarginInches, kPrintMarginInches, kPrintMarginInches),
                              QPageLayout::Inch);
}

void KeepPrintSettings(const QPrinter& printer) {
  PrintSettings& saved = SavedPrintSettings();
  if (printer.outputFormat() == QPrinter::NativeFormat) saved.printerName = printer.printerName();
  saved.layout = printer.pageLayout();
}

}  // namespace

const QEvent::Type CRtfView::kHyperlinkEvent = static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + 1));
const QEvent::Type CRtfView::kLevelEvent = static_cast<QEvent::Type>(QEvent::registerEventType(QEvent::User + 2));

CRtfView::CRtfView(QWidget* parent)
    : QAbstractScrollArea(parent),
      m_core(QtFontSystem::Screen(), static_cast<int>(std::lround(QtFontSystem::Screen().PixelsPerInch()))) {
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  // A bar that came and went would change the width and so the layout.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  verticalScrollBar()->setTracking(false);
  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &CRtfView::OnVerticalAction);
  connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &CRtfView::OnHorizontalAction);
  setViewportMargins(kTextMarginX, kTextMarginTop, kTextMarginX, 0);
  m_autoScroll.setInterval(250);
  connect(&m_autoScroll, &QTimer::timeout, this, &CRtfView::OnAutoScroll);
  FollowPalette(palette());
}

CRtfView::~CRtfView() = default;

void CRtfView::SetDocument(CRtfDoc* doc) {
  if (doc) doc->AddView(this);
  SyncDocument();
  OnInitialUpdate();
}

CRtfDoc* CRtfView::GetRtfDoc() const { return dynamic_cast<CRtfDoc*>(GetDocument()); }

void CRtfView::SyncDocument() {
  // A document that let the view go leaves nothing behind in the core.
  CRtfDoc* doc = GetRtfDoc();
  if (m_core.Document() != doc) m_core.SetDocument(doc);
}

void CRtfView::OnUpdate(platform::CView*, long, void*) {
  SyncDocument();
  m_core.Invalidate();
  Relayout();
}

void CRtfView::SetTree(Node* root) {
  CRtfDoc* doc = GetRtfDoc();
  if (m_core.Document() != doc) m_core.SetDocument(doc);
  m_core.SetTree(root);
  if (m_findBar) m_findBar->Forget();
  viewport()->update();
}

// The core with the document's current tree at the window's current size,
// before anything asks it where things are.
void CRtfView::ReadyCore() {
  SyncDocument();
  m_core.Resize(viewport()->width(), viewport()->height());
}

void CRtfView::Relayout() {
  m_core.Resize(viewport()->width(), viewport()->height());
  UpdateScrollBars();
  viewport()->update();
}

// --- positions and scaling ----------------------------------------------------

long CRtfView::GetCaretPos() {
  SyncDocument();
  return static_cast<long>(m_core.GetCaretPos());
}

void CRtfView::SetCaretPos(long pos) {
  SyncDocument();
  Apply(m_core.SetCaretPos(pos));
}

void CRtfView::ScrollToLevel(int level) {
  ReadyCore();
  Apply(m_core.ScrollToLevel(level));
  // At once: the level the owner asked for is on show before it goes on.
  viewport()->repaint();
}

void CRtfView::FirstSearchMatch(int level) {
  ReadyCore();
  Apply(m_core.FirstSearchMatch(level));
}

void CRtfView::LastSearchMatch(int level) {
  ReadyCore();
  Apply(m_core.LastSearchMatch(level));
}

void CRtfView::NextSearchMatch(int level) {
  ReadyCore();
  Apply(m_core.NextSearchMatch(level));
}

void CRtfView::PreviousSearchMatch(int level) {
  ReadyCore();
  Apply(m_core.PreviousSearchMatch(level));
}

bool CRtfView::IsNextSearchMatch(int level) {
  SyncDocument();
  return m_core.IsNextSearchMatch(level);
}

bool CRtfView::IsPreviousSearchMatch(int level) {
  SyncDocument();
  return m_core.IsPreviousSearchMatch(level);
}

void CRtfView::GoToMarkNumber(int level, int n) {
  ReadyCore();
  Apply(m_core.GoToMarkNumber(level, n));
}

int CRtfView::TopLevel() {
  ReadyCore();
  return m_core.TopLevel();
}

// Marks change formats, never lengths: the same lines are drawn again in
// the marked colours, from the same top.
void CRtfView::MarksChanged() {
  OnUpdate(nullptr, 0, nullptr);
  emit searchMatchesMoved();
}

void CRtfView::OpenFindBar() {
  if (!m_findBar) m_findBar = new CFindBar(*this);
  m_findBar->Open();
  PlaceFindBar();
}

// The bar takes a strip under the text, inside the scroll bars.
void CRtfView::PlaceFindBar() {
  const int height = m_findBar && m_findBar->isVisible() ? m_findBar->sizeHint().height() : 0;
  if (viewportMargins().bottom() != height) setViewportMargins(kTextMarginX, kTextMarginTop, kTextMarginX, height);
  if (!height) return;
  const QRect inner = viewport()->geometry();
  m_findBar->setGeometry(inner.left() - kTextMarginX, inner.bottom() + 1, inner.width() + 2 * kTextMarginX, height);
}

bool CRtfView::SetScaling(int percent) {
  if (!m_core.SetScaling(percent)) return false;
  Relayout();
  return true;
}

void CRtfView::ZoomIn() {
  if (m_core.ZoomIn()) Relayout();
}

void CRtfView::ZoomOut() {
  if (m_core.ZoomOut()) Relayout();
}

void CRtfView::ZoomReset() {
  if (m_core.ZoomReset()) Relayout();
}

// --- scrolling ----------------------------------------------------------------

void CRtfView::Apply(const CRtfViewCore::Scroll& s) {
  if (s.repaint) viewport()->update();
  else if (s.dx || s.dy) viewport()->scroll(s.dx, s.dy);
  UpdateScrollBars();
  if (s.repaint || s.dx || s.dy) emit searchMatchesMoved();
}

void CRtfView::UpdateScrollBars() {
  m_settingBars = true;
  QScrollBar* v = verticalScrollBar();
  const int64_t maxTop = m_core.MaxTop();
  v->setRange(0, maxTop > 0 ? CRtfViewCore::kScrollBarRange : 0);
  const int64_t height = m_core.Layout().Height();
  const int64_t client = int64_t{m_core.Height()} * m_core.UnitsPerPixel();
  v->setPageStep(height > 0 ? static_cast<int>(std::clamp<int64_t>(client * CRtfViewCore::kScrollBarRange / height, 1,
                                                                    CRtfViewCore::kScrollBarRange))
                            : 1);
  v->setSingleStep(1);
  v->setValue(m_core.VerticalBarValue());

  QScrollBar* h = horizontalScrollBar();
  const int k = m_core.UnitsPerPixel();
  h->setRange(0, (m_core.MaxLeft() + k - 1) / k);
  h->setPageStep(std::max(1, m_core.Width()));
  h->setSingleStep(std::max(1, m_core.HorizontalIncrement() / k));
  h->setValue(m_core.LeftPosition() / k);
  m_settingBars = false;
}

void CRtfView::OnVerticalAction(int action) {
  CRtfViewCore::Scroll s;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: s = m_core.LineDown(); break;
    case QAbstractSlider::SliderSingleStepSub: s = m_core.LineUp(); break;
    case QAbstractSlider::SliderPageStepAdd: s = m_core.PageDown(); break;
    case QAbstractSlider::SliderPageStepSub: s = m_core.PageUp(); break;
    case QAbstractSlider::SliderToMinimum: s = m_core.Top(); break;
    case QAbstractSlider::SliderToMaximum: s = m_core.Bottom(); break;
    default: return;  // the thumb: taken when it is let go
  }
  if (action != QAbstractSlider::SliderSingleStepAdd && action != QAbstractSlider::SliderSingleStepSub && s.Moved()) {
    s = CRtfViewCore::Scroll{0, 0, true};
  }
  Apply(s);
  verticalScrollBar()->setSliderPosition(m_core.VerticalBarValue());
}

void CRtfView::OnHorizontalAction(int action) {
  CRtfViewCore::Scroll s;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: s = m_core.LineRight(); break;
    case QAbstractSlider::SliderSingleStepSub: s = m_core.LineLeft(); break;
    case QAbstractSlider::SliderPageStepAdd: s = m_core.PageRight(); break;
    case QAbstractSlider::SliderPageStepSub: s = m_core.PageLeft(); break;
    case QAbstractSlider::SliderToMinimum: s = m_core.ScrollTo(m_core.TopPosition(), 0); break;
    case QAbstractSlider::SliderToMaximum: s = m_core.ScrollTo(m_core.TopPosition(), m_core.MaxLeft()); break;
    default: return;
  }
  Apply(s);
  horizontalScrollBar()->setSliderPosition(m_core.LeftPosition() / m_core.UnitsPerPixel());
}

void CRtfView::scrollContentsBy(int dx, int dy) {
  // The bars' own moves (a thumb let go, a value set from outside); the
  // core's moves set the bars to where it already is.
  if (m_settingBars) return;
  if (dy && verticalScrollBar()->value() != m_core.VerticalBarValue()) {
    Apply(m_core.VerticalThumb(verticalScrollBar()->value()));
  }
  const int k = m_core.UnitsPerPixel();
  if (dx && horizontalScrollBar()->value() != m_core.LeftPosition() / k) {
    Apply(m_core.ScrollTo(m_core.TopPosition(), horizontalScrollBar()->value() * k));
  }
}

void CRtfView::wheelEvent(QWheelEvent* e) {
  const QPoint steps = e->angleDelta();
  if (e->modifiers() & Qt::ControlModifier) {
    if (steps.y() > 0) ZoomIn();
    else if (steps.y() < 0) ZoomOut();
    e->accept();
    return;
  }
  const int lines = QApplication::wheelScrollLines();
  const int64_t dy = int64_t{steps.y()} * lines * m_core.LineIncrement() / 120;
  const int64_t dx = int64_t{steps.x()} * m_core.HorizontalIncrement() / 120;
  // Whole lines keep the moves to whole pixels; a touchpad's small steps
  // are rounded to a pixel.
  const int k = m_core.UnitsPerPixel();
  const int64_t top = m_core.TopPosition() - dy / k * k;
  const int64_t left = int64_t{m_core.LeftPosition()} - dx / k * k;
  Apply(m_core.ScrollTo(top, static_cast<int32_t>(std::clamp<int64_t>(left, 0, INT32_MAX))));
  e->accept();
}

// --- painting -----------------------------------------------------------------

void CRtfView::paintEvent(QPaintEvent* e) {
  SyncDocument();
  const QRect r = e->rect();
  const Colors& colors = GetScreenColors();
  {
    QPainter painter(viewport());
    painter.fillRect(r, QtSurface::ToQColor(colors.GetColor(kRoleBackground)));
    const DocumentLayout& layout = m_core.Layout();
    if (!layout.IsEmpty()) {
      QtSurface surface(painter, m_core.UnitsPerPixel());
      layout.Draw(surface, colors, m_core.AreaFor(r.x(), r.y(), r.width(), r.height()));
      // The selection shows only while the view has the focus.
      if (hasFocus()) {
        surface.ResetClip();
        m_core.ForEachSelectionRect([&](const LRect& rect) { surface.InvertRect(rect); });
      }
    }
  }
  const int32_t level = m_core.LevelToReport();
  if (level >= 0) QCoreApplication::postEvent(this, new LevelEvent(level));
}

void CRtfView::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  PlaceFindBar();
  Apply(m_core.Resize(viewport()->width(), viewport()->height()));
}

void CRtfView::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  if (m_core.HasSelection()) viewport()->update();
}

void CRtfView::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  if (m_core.HasSelection()) viewport()->update();
}

void CRtfView::changeEvent(QEvent* e) {
  QAbstractScrollArea::changeEvent(e);
  if (e->type() == QEvent::PaletteChange) {
    FollowPalette(palette());
    viewport()->update();
  }
}

// A dark desktop gets its own page and text colours and lighter links; the
// colours a text names itself stay as they are.
void CRtfView::FollowPalette(const QPalette& palette) {
  static bool dark = false;
  Colors& colors = GetScreenColors();
  auto rgb = [](const QColor& c) { return MakeRGB(static_cast<unsigned>(c.red()), static_cast<unsigned>(c.green()), static_cast<unsigned>(c.blue())); };
  colors.SetFallback(rgb(palette.color(QPalette::Text)));
  const bool nowDark = palette.color(QPalette::Window).lightness() < 128;
  if (nowDark) {
    colors.SetColor(kRoleBackground, rgb(palette.color(QPalette::Base)));
    colors.SetColor(kRoleAutoText, rgb(palette.color(QPalette::Text)));
    for (int role = 0; role <= 3; ++role) colors.SetColor(role, MakeRGB(240, 128, 128));
    colors.SetColor(4, MakeRGB(128, 216, 128));
  } else if (dark) {
    for (int role = kRoleBackground; role <= 4; ++role) colors.UseDefault(role);
  }
  dark = nowDark;
}

// --- keys ---------------------------------------------------------------------

bool CRtfView::event(QEvent* e) {
  if (e->type() == kHyperlinkEvent) {
    const auto* h = static_cast<HyperlinkEvent*>(e);
    if (h->link) OnHyperlink(static_cast<unsigned>(h->link->Type()), h->link->Target().c_str());
    return true;
  }
  if (e->type() == kLevelEvent) {
    OnLevelChanged(static_cast<unsigned>(static_cast<LevelEvent*>(e)->level));
    return true;
  }
  switch (e->type()) {
    case QEvent::ShortcutOverride: {
      // The zoom and find keys win over any shortcut while the view has the
      // focus.
      const Command command = CommandOf(static_cast<QKeyEvent*>(e), m_findBar && m_findBar->isVisible());
      if (command != Command::None && command != Command::Copy && command != Command::SelectAll) {
        e->accept();
        return true;
      }
      break;
    }
    case QEvent::Paint:
      PaintMargins();
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
      if (ForwardMarginMouse(static_cast<QMouseEvent*>(e))) return true;
      break;
    default: break;
  }
  return QAbstractScrollArea::event(e);
}

// The margins round the viewport belong to the scroll area itself, which
// draws only its frame; they take the page colour.
void CRtfView::PaintMargins() {
  QPainter painter(this);
  const QColor page = QtSurface::ToQColor(GetScreenColors().GetColor(kRoleBackground));
  const QRect inner = viewport()->geometry();
  const QRegion margins = QRegion(inner.adjusted(-kTextMarginX, -kTextMarginTop, kTextMarginX, 0)) - QRegion(inner);
  for (const QRect& r : margins) painter.fillRect(r, page);
}

// A press in a margin starts a selection as if it were at the text's edge;
// the moves and release of that drag come here as well.
bool CRtfView::ForwardMarginMouse(QMouseEvent* e) {
  const bool press = e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick;
  const QRect inner = viewport()->geometry();
  if (press && !inner.adjusted(-kTextMarginX, -kTextMarginTop, kTextMarginX, 0).contains(e->position().toPoint()))
    return false;
  const QPointF at = e->position() - QPointF(viewport()->pos());
  QMouseEvent moved(e->type(), at, e->globalPosition(), e->button(), e->buttons(), e->modifiers(),
                    e->pointingDevice());
  switch (e->type()) {
    case QEvent::MouseButtonPress: mousePressEvent(&moved); break;
    case QEvent::MouseButtonDblClick: mouseDoubleClickEvent(&moved); break;
    case QEvent::MouseMove:
      if (!m_tracking) return false;
      mouseMoveEvent(&moved);
      break;
    case QEvent::MouseButtonRelease: mouseReleaseEvent(&moved); break;
    default: return false;
  }
  e->setAccepted(moved.isAccepted());
  return true;
}

void CRtfView::keyPressEvent(QKeyEvent* e) {
  CRtfViewCore::Scroll s;
  if (m_core.KeyDown(KeyOf(e->key()), ModifiersOf(e->modifiers()), s)) {
    Apply(s);
    e->accept();
    return;
  }
  switch (CommandOf(e, m_findBar && m_findBar->isVisible())) {
    case Command::Copy: OnEditCopy(); break;
    case Command::SelectAll: SelectAll(); break;
    case Command::ZoomIn: ZoomIn(); break;
    case Command::ZoomOut: ZoomOut(); break;
    case Command::ZoomReset: ZoomReset(); break;
    case Command::Find: OpenFindBar(); break;
    case Command::FindNext: m_findBar->Step(true); break;
    case Command::FindPrevious: m_findBar->Step(false); break;
    case Command::CloseFind: m_findBar->Close(); break;
    case Command::None: QAbstractScrollArea::keyPressEvent(e); return;
  }
  e->accept();
}

// --- mouse --------------------------------------------------------------------

void CRtfView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(e);
  setFocus(Qt::MouseFocusReason);
  SyncDocument();
  if (m_core.HasSelection()) viewport()->update();
  viewport()->unsetCursor();
  m_pointer = e->position().toPoint();
  m_core.StartSelection(m_pointer.x(), m_pointer.y());
  // Qt keeps the pointer with this widget while the button is down.
  m_tracking = true;
  m_autoScroll.start();
  e->accept();
}

void CRtfView::mouseMoveEvent(QMouseEvent* e) {
  m_pointer = e->position().toPoint();
  if (m_tracking) {
    if (m_core.ExtendSelection(m_pointer.x(), m_pointer.y())) viewport()->update();
  } else {
    UpdateCursor(m_pointer);
  }
  e->accept();
}

void CRtfView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && m_tracking) {
    m_tracking = false;
    m_autoScroll.stop();
    UpdateCursor(e->position().toPoint());
  }
  e->accept();
}

void CRtfView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint at = e->position().toPoint();
  if (const LinkTarget* link = m_core.LinkAt(at.x(), at.y())) {
    QCoreApplication::postEvent(this, new HyperlinkEvent(link));
  }
  e->accept();
}

void CRtfView::OnAutoScroll() {
  if (!m_tracking) return;
  const CRtfViewCore::AutoScroll a = m_core.AutoScrollFor(m_pointer.x(), m_pointer.y());
  if (a.vertical < 0) Apply(m_core.LineUp());
  else if (a.vertical > 0) Apply(m_core.LineDown());
  if (a.horizontal < 0) Apply(m_core.LineLeft());
  else if (a.horizontal > 0) Apply(m_core.LineRight());
  if ((a.vertical || a.horizontal) && m_core.ExtendSelection(m_pointer.x(), m_pointer.y())) viewport()->update();
}

void CRtfView::UpdateCursor(const QPoint& at) {
  if (m_core.LinkAt(at.x(), at.y())) viewport()->setCursor(Qt::PointingHandCursor);
  else viewport()->unsetCursor();
}

void CRtfView::OnHyperlink(unsigned, const char*) {}

void CRtfView::OnLevelChanged(unsigned) {}

// --- selection and clipboard ------------------------------------------------------

void CRtfView::SelectAll() {
  SyncDocument();
  m_core.SelectAll();
  viewport()->update();
}

std::unique_ptr<QMimeData> CRtfView::SelectionMimeData() const {
  if (!m_core.HasSelection()) return nullptr;
  auto mime = std::make_unique<QMimeData>();
  const std::string rtf = m_core.SelectionAs(FORMAT_RTF);
  const QByteArray rtfBytes(rtf.data(), static_cast<qsizetype>(rtf.size()));
  mime->setData(QStringLiteral("text/rtf"), rtfBytes);
  mime->setData(QStringLiteral("application/rtf"), rtfBytes);
  QString text = ToUnicode(m_core.SelectionAs(FORMAT_TEXT));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  mime->setText(text);
  if (const Picture* picture = m_core.SelectedPicture()) {
    const QImage image = DecodePicture(*picture);
    if (!image.isNull()) mime->setImageData(image);
  }
  return mime;
}

void CRtfView::OnEditCopy() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return;
  std::unique_ptr<QMimeData> mime = SelectionMimeData();
  if (mime) clipboard->setMimeData(mime.release());
  else clipboard->clear();
}

// --- printing -------------------------------------------------------------------

int CRtfView::Print(QPrinter& printer) {
  SyncDocument();
  const CRtfDoc* doc = GetRtfDoc();
  if (!doc) return 0;
  ApplySavedMargins(printer);
  QtFontSystem fonts(QtFontSystem::Device::Printer, printer.resolution());
  const double units = fonts.UnitsPerPixel(CRtfViewCore::kDefaultScaling);
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  const auto width = static_cast<int32_t>(page.width() * units);
  const auto height = static_cast<int32_t>(page.height() * units);
  if (width <= 0 || height <= 0) return 0;

  QPainter painter;
  if (!painter.begin(&printer)) return 0;
  DocumentLayout layout;
  layout.Layout(*doc, FontCache::ForScaling(fonts, CRtfViewCore::kDefaultScaling), width, width, height);
  const std::vector<int64_t> starts = layout.PageStarts(height);
  const Colors& colors = GetPrinterColors();
  // The pages the print dialog asked for (from 1), else all.
  const bool range = printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0;
  const size_t first = range ? static_cast<size_t>(printer.fromPage()) - 1 : 0;
  const size_t last = range && printer.toPage() > 0 ? static_cast<size_t>(printer.toPage()) : starts.size();
  int pages = 0;
  for (size_t i = first; i < std::min(last, starts.size()); ++i) {
    if (i > first && !printer.newPage()) break;
    const int64_t end = i + 1 < starts.size() ? starts[i + 1] : layout.Height();
    const auto band = static_cast<int32_t>(std::clamp<int64_t>(end - starts[i], 0, height));
    QtSurface surface(painter, units, QPointF(0, 0), true);
    // A line that begins the next page is not printed at this one's foot.
    surface.SetBaseClip({0, 0, width, band});
    DrawArea area;
    area.originY = starts[i];
    area.clip = {0, 0, width, band};
    layout.Draw(surface, colors, area);
    ++pages;
  }
  painter.end();
  return pages;
}

// The printer the user chose last with the page of Page Setup.
void CRtfView::PreparePrinter(QPrinter& printer) const {
  const PrintSettings& saved = SavedPrintSettings();
  if (!saved.printerName.isEmpty() && QPrinterInfo::availablePrinterNames().contains(saved.printerName))
    printer.setPrinterName(saved.printerName);
  if (saved.layout) {
    printer.setPageSize(saved.layout->pageSize());
    printer.setPageOrientation(saved.layout->orientation());
  }
  ApplySavedMargins(printer);
}

// Without a printer set up, a print goes to a PDF file named after the
// document; the print dialog shows it as "Print to File (PDF)".
void CRtfView::PrepareOutput(QPrinter& printer) const {
  PreparePrinter(printer);
  if (QPrinterInfo::availablePrinterNames().isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(DefaultPdfName());
  }
}

// "<document title>.pdf" in the home folder; a book section's title is
// "Book:Section", and neither that colon nor a slash belongs in a file name.
QString CRtfView::DefaultPdfName() const {
  const CRtfDoc* doc = GetRtfDoc();
  QString title = doc ? ToUnicode(doc->GetTitle()).simplified() : QString();
  title.replace(QLatin1Char(':'), QStringLiteral(" - "));
  for (QChar& c : title) {
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control) c = QLatin1Char('_');
  }
  if (title.isEmpty() || title.startsWith(QLatin1Char('.'))) title.prepend(tr("Document"));
  return QDir::home().filePath(title + QStringLiteral(".pdf"));
}

void CRtfView::OnFilePrint() {
  QPrinter printer(QPrinter::HighResolution);
  PrepareOutput(printer);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  KeepPrintSettings(printer);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Print(printer);
  QApplication::restoreOverrideCursor();
}

void CRtfView::OnFilePrintPreview() {
  QPrinter printer(QPrinter::HighResolution);
  PrepareOutput(printer);
  QPrintPreviewDialog dialog(&printer, this);
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { Print(*p); });
  dialog.exec();
}

void CRtfView::OnFilePageSetup() {
  QPrinter printer(QPrinter::HighResolution);
  PreparePrinter(printer);
  QPageSetupDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) KeepPrintSettings(printer);
}

}  // namespace textpane
