// The links of a book window: CLinkResolver decides where a link leads, and
// this carries it out in the windows.
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QTextDocument>
#include <QToolTip>

#include "app/bibles/referencego.h"
#include "app/books/linkresolver.h"
#include "app/shell/booksection.h"
#include "app/shell/registry.h"
#include "app/shell/ui/bookview.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/qtext.h"
#include "platform/messages.h"
#include "textpane/model/linktarget.h"
#include "textpane/ui/popup.h"

namespace klmw {

void CBookView::OnHyperlink(unsigned type, const char* target) {
  auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
  const cSOLTBook* book = doc && m_bookOf ? m_bookOf(*doc) : nullptr;
  const CBibleModule* bible = m_linkHost.bible ? m_linkHost.bible() : nullptr;
  CLinkResolver resolver(book, bible);
  const CLinkAction a = resolver.Resolve(type, target ? target : "");
  switch (a.m_action) {
    case ELinkAction::None: break;
    case ELinkAction::Message: platform::MessageBox(a.m_message); break;
    case ELinkAction::GoToSection:
      // The text is read again at the new place and scrolled to its level;
      // Back returns to where the link was.
      if (doc) doc->GoToSection(doc->GetBookIndex(), a.m_key);
      break;
    case ELinkAction::ShowGlossary:
      if (book) ShowGlossary(*book, a.m_key);
      break;
    case ELinkAction::ShowVerse:
      MarkVerseLinks(target ? target : "");
      if (m_linkHost.showVerse) m_linkHost.showVerse(a.m_verse, a.m_verseCount);
      break;
    case ELinkAction::ShowPicture:
      if (m_linkHost.showPicture) m_linkHost.showPicture(a.m_path, a.m_caption);
      break;
    case ELinkAction::OpenFile: {
      // The desktop's program for the file's type; never through a shell.
      const std::vector<std::string> argv{"xdg-open", a.m_path};
      const bool started = m_linkHost.startProcess ? m_linkHost.startProcess(argv) : StartDetachedProcess(argv);
      if (!started) platform::MessageBox("No program could be started to open " + a.m_path + ".");
      break;
    }
  }
}

void CBookView::MarkVerseLinks(const std::string& target) {
  auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
  textpane::Range range;
  if (!doc || !m_section || !range.SetFromString(target)) return;
  const int level = m_section->GetLevelCount();
  doc->UnmarkAll();
  MarkSearchWords(level);
  doc->MarkRanges(level, {range}, 0);
  MarksChanged();
}

void CBookView::contextMenuEvent(QContextMenuEvent* e) {
  QMenu menu(this);
  QAction* copy = menu.addAction(tr("&Copy"), this, [this] { OnEditCopy(); });
  copy->setEnabled(HasSelection());
  menu.addAction(tr("Select &All"), this, [this] { SelectAll(); });
  // The selection as references, read in the numbering verse links use.
  std::vector<textpane::Range> ranges;
  const bool isReference =
      HasSelection() && m_linkHost.showRanges && SelectionReferences(ranges, TranslationForBible("KJS"));
  menu.addSeparator();
  QAction* go = menu.addAction(tr("&Go to reference"), this, [this, ranges] { m_linkHost.showRanges(ranges); });
  go->setEnabled(isReference);
  menu.exec(e->globalPos());
}

void CBookView::ShowGlossary(const cSOLTBook& book, int key) {
  CBookSection section(book);
  if (!section.Prepare(key) || section.GetEntry().GetSectionKey() != key) {
    platform::MessageBox("The glossary entry cannot be read from " + book.GetBookName() + ".");
    return;
  }
  auto doc = std::make_unique<textpane::CRtfDoc>();
  section.Stream(*doc);
  auto* popup = new textpane::CPopup(std::move(doc), nullptr, window());
  popup->setWindowTitle(FromLatin1252(book.GetBookName() + ":" + section.GetEntry().GetName()));
  popup->setObjectName(QStringLiteral("glossaryPopup"));
  popup->show();
  popup->GetView().ScrollToLevel(section.GetLevelCount());
}

bool CBookView::viewportEvent(QEvent* e) {
  if (e->type() != QEvent::ToolTip) return CRtfView::viewportEvent(e);
  auto* help = static_cast<QHelpEvent*>(e);
  const textpane::LinkTarget* link = Core().LinkAt(help->pos().x(), help->pos().y());
  const CBibleModule* bible = m_linkHost.bible ? m_linkHost.bible() : nullptr;
  std::string tip;
  if (link && link->Type() == 4 && bible) {
    const CLinkAction a = CLinkResolver(nullptr, bible).Resolve(4, link->Target());
    if (a.m_action == ELinkAction::ShowVerse) tip = FormatVerseTip(*bible, a.m_verse, a.m_verseCount);
  }
  ShowTextTip(help, tip, viewport());
  return true;
}

}  // namespace klmw
