#include "textpane/ui/findbar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/cp1252.h"
#include "textpane/ui/rtfview.h"

namespace textpane {

namespace {

// The phrase in the document's character set; a character it lacks becomes
// "?", which matches any one letter.
std::string ToDocumentText(const QString& text) { return platform::Utf16ToCp1252(text.toStdU16String(), '?'); }

}  // namespace

CFindBar::CFindBar(CRtfView& view) : QWidget(&view), m_view(view) {
  setObjectName(QStringLiteral("findBar"));
  setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  m_phrase = new QLineEdit(this);
  m_phrase->setObjectName(QStringLiteral("findPhrase"));
  m_phrase->setPlaceholderText(tr("Find in this section"));
  m_phrase->setClearButtonEnabled(true);
  m_phrase->installEventFilter(this);
  auto* previous = new QToolButton(this);
  previous->setArrowType(Qt::UpArrow);
  previous->setToolTip(tr("Previous match (Shift+F3)"));
  auto* next = new QToolButton(this);
  next->setArrowType(Qt::DownArrow);
  next->setToolTip(tr("Next match (F3)"));
  m_matchCase = new QCheckBox(tr("Match &case"), this);
  m_status = new QLabel(this);
  auto* close = new QToolButton(this);
  close->setText(QStringLiteral("\u00d7"));
  close->setToolTip(tr("Close (Esc)"));
  layout->addWidget(m_phrase, 1);
  layout->addWidget(previous);
  layout->addWidget(next);
  layout->addWidget(m_matchCase);
  layout->addWidget(m_status);
  layout->addWidget(close);
  connect(previous, &QToolButton::clicked, this, [this] { Step(false); });
  connect(next, &QToolButton::clicked, this, [this] { Step(true); });
  connect(close, &QToolButton::clicked, this, &CFindBar::Close);
  connect(m_phrase, &QLineEdit::textEdited, this, [this] { ShowStatus(); });
  connect(m_matchCase, &QCheckBox::toggled, this, [this] { ShowStatus(); });
  hide();
}

void CFindBar::Open() {
  show();
  m_phrase->setFocus(Qt::ShortcutFocusReason);
  m_phrase->selectAll();
}

void CFindBar::Close() {
  if (m_haveMarks && m_view.GetRtfDoc()) {
    m_view.GetRtfDoc()->UnmarkAll();
    m_view.MarksChanged();
  }
  m_marked.clear();
  Forget();
  hide();
  m_view.PlaceFindBar();
  m_view.setFocus(Qt::OtherFocusReason);
}

void CFindBar::Find() {
  CRtfDoc* doc = m_view.GetRtfDoc();
  if (!doc) return;
  doc->UnmarkAll();
  m_marked = m_phrase->text();
  m_markedCase = m_matchCase->isChecked();
  m_level = m_view.TopLevel();
  m_current = -1;
  m_count = 0;
  const std::string phrase = ToDocumentText(m_marked.trimmed());
  if (!phrase.empty()) {
    m_count = doc->SearchForPhrase(m_level, phrase.c_str(), m_markedCase, true);
    if (m_count > 0) doc->MarkPhrases(m_level, {phrase}, m_markedCase);
  }
  m_haveMarks = true;
  m_view.MarksChanged();
  if (m_count > 0) {
    m_current = 0;
    m_view.GoToMarkNumber(m_level, 0);
  }
  ShowStatus();
}

void CFindBar::Step(bool forward) {
  if (!MarkedIsCurrent()) {
    Find();
    return;
  }
  // Matches that touch one another make a single stretch, so the stretches
  // and not the count decide where the steps wrap.
  const int marks = m_view.CountMarks(m_level);
  if (marks <= 0) return;
  m_current = forward ? (m_current + 1) % marks : (m_current + marks - 1) % marks;
  m_view.GoToMarkNumber(m_level, m_current);
  ShowStatus();
}

void CFindBar::Forget() {
  m_haveMarks = false;
  m_count = 0;
  m_current = -1;
  ShowStatus();
}

bool CFindBar::MarkedIsCurrent() const {
  return m_haveMarks && m_marked == m_phrase->text() && m_markedCase == m_matchCase->isChecked();
}

QString CFindBar::Status() const { return m_status->text(); }

void CFindBar::ShowStatus() {
  if (!MarkedIsCurrent() || m_marked.trimmed().isEmpty())
    m_status->clear();
  else if (m_count == 0)
    m_status->setText(tr("No matches"));
  else
    m_status->setText(tr("%1 of %2").arg(std::min(m_current + 1, m_count)).arg(m_count));
}

// Enter and F3 step forward, with Shift back; Escape closes; Ctrl+F again
// selects the phrase rather than reaching the program's own search.
bool CFindBar::eventFilter(QObject* watched, QEvent* e) {
  if (watched == m_phrase && e->type() == QEvent::ShortcutOverride) {
    const auto* k = static_cast<QKeyEvent*>(e);
    if (k->matches(QKeySequence::Find) || k->key() == Qt::Key_F3 || k->key() == Qt::Key_Escape) {
      e->accept();
      return true;
    }
  }
  if (watched == m_phrase && e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
      Step(!(k->modifiers() & Qt::ShiftModifier));
      return true;
    }
    if (k->matches(QKeySequence::Find)) {
      m_phrase->selectAll();
      return true;
    }
  }
  return QWidget::eventFilter(watched, e);
}

void CFindBar::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) {
    Close();
  } else if (e->key() == Qt::Key_F3) {
    Step(!(e->modifiers() & Qt::ShiftModifier));
  } else {
    QWidget::keyPressEvent(e);
    return;
  }
  e->accept();
}

}  // namespace textpane
