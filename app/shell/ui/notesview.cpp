#include "app/shell/ui/notesview.h"

#include <QColorDialog>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTextCursor>

#include "app/shell/ui/notesbridge.h"
#include "app/shell/ui/placedocument.h"
#include "notesstore/notesfile.h"
#include "platform/messages.h"

namespace klmw {

CNotesView::CNotesView(CNotesHost host, QWidget* parent) : QTextEdit(parent), m_host(std::move(host)) {
  setObjectName(QStringLiteral("notesPane"));
  setAcceptRichText(true);
  setPlaceholderText(tr("Your note on this place"));
  // The pane's face until the user chooses another (Edit > Change the font).
  document()->setDefaultFont(QFont(QStringLiteral("MS Sans Serif"), 10));
}

CNotesView::~CNotesView() { SaveNote(); }

CPlaceDocument* CNotesView::Doc() const { return dynamic_cast<CPlaceDocument*>(GetDocument()); }

void CNotesView::OnInitialUpdate() { Follow(); }

void CNotesView::OnUpdate(platform::CView*, long hint, void*) {
  // The place changed (a new verse or section, or the reading moved into
  // another section of the text on show); other hints leave the note.
  if (hint == 0 || hint == CPlaceDocument::kHintPosition || hint == CPlaceDocument::kHintFollow) Follow();
}

bool CNotesView::SaveNote() {
  if (m_loading || !document()->isModified() || m_storage.empty() || m_position < 0) return true;
  CNotesFile* store = m_host.store ? m_host.store() : nullptr;
  if (!store) return false;
  std::string error;
  const bool empty = document()->isEmpty() || toPlainText().trimmed().isEmpty();
  const bool ok = empty ? store->Remove(m_storage, m_position, error)
                        : store->Put(m_storage, m_position, DocumentToRtf(*document()), error);
  if (!ok) {
    platform::MessageBox("The note could not be saved: " + error);
    return false;
  }
  document()->setModified(false);
  return true;
}

void CNotesView::Follow() {
  CPlaceDocument* doc = Doc();
  const std::string storage = doc && m_host.storageOf ? m_host.storageOf(*doc) : std::string();
  const long position = doc ? doc->GetSectionKey() : -1;
  if (storage == m_storage && position == m_position) return;
  // A note that cannot be saved stays on show rather than being lost.
  if (!SaveNote()) return;
  m_storage = storage;
  m_position = position;
  m_loading = true;
  std::string rtf;
  CNotesFile* store = m_host.store ? m_host.store() : nullptr;
  if (store && !storage.empty() && store->Get(storage, position, rtf)) {
    RtfToDocument(rtf, *document());
  } else {
    clear();
  }
  document()->setModified(false);
  m_loading = false;
  setReadOnly(storage.empty() || !store);
}

void CNotesView::focusOutEvent(QFocusEvent* e) {
  SaveNote();
  QTextEdit::focusOutEvent(e);
}

void CNotesView::ToggleBold() {
  setFontWeight(fontWeight() >= QFont::DemiBold ? QFont::Normal : QFont::Bold);
}

void CNotesView::ToggleItalic() { setFontItalic(!fontItalic()); }

void CNotesView::ToggleUnderline() { setFontUnderline(!fontUnderline()); }

void CNotesView::ChooseColour() {
  const QColor c = QColorDialog::getColor(textColor(), this, tr("Text Colour"));
  if (c.isValid()) setTextColor(c);
}

void CNotesView::keyPressEvent(QKeyEvent* e) {
  if (e->modifiers() == Qt::ControlModifier) {
    switch (e->key()) {
      case Qt::Key_B: ToggleBold(); return;
      case Qt::Key_I: ToggleItalic(); return;
      case Qt::Key_U: ToggleUnderline(); return;
      case Qt::Key_S: SaveNote(); return;
      default: break;
    }
  }
  QTextEdit::keyPressEvent(e);
}

void CNotesView::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = createStandardContextMenu(e->pos());
  menu->addSeparator();
  menu->addAction(tr("&Bold\tCtrl+B"), this, &CNotesView::ToggleBold);
  menu->addAction(tr("&Italic\tCtrl+I"), this, &CNotesView::ToggleItalic);
  menu->addAction(tr("&Underline\tCtrl+U"), this, &CNotesView::ToggleUnderline);
  menu->addAction(tr("Text &Colour..."), this, &CNotesView::ChooseColour);
  QMenu* align = menu->addMenu(tr("&Alignment"));
  const std::pair<const char*, Qt::Alignment> alignments[] = {
      {"&Left", Qt::AlignLeft}, {"C&entre", Qt::AlignHCenter}, {"&Right", Qt::AlignRight}, {"&Justify", Qt::AlignJustify}};
  for (const auto& [label, a] : alignments) {
    const Qt::Alignment alignment = a;
    align->addAction(tr(label), this, [this, alignment] { setAlignment(alignment); });
  }
  menu->addSeparator();
  menu->addAction(tr("&Save Note\tCtrl+S"), this, [this] { SaveNote(); });
  menu->exec(e->globalPos());
  delete menu;
}

}  // namespace klmw
