// Going to references: typed into the reference box, selected in a book, or
// a book's verse link. The reading is klmw_core's (app/bibles/referencego.h);
// this finds the window and moves it.
#include <QMdiArea>
#include <QStringList>

#include "app/bibles/referencego.h"
#include "app/shell/registry.h"
#include "app/shell/ui/childframe.h"
#include "app/shell/ui/doctemplate.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/shellapp.h"
#include "app/shell/ui/qtext.h"
#include "biblefile/biblemodule.h"
#include "platform/messages.h"

namespace klmw {

CChildFrame* CShellApp::ReferenceTargetWindow() const {
  // The active window first, then down the stacking order: the Bible window
  // the reader was in last.
  for (CChildFrame* f : m_frame->GetChildFrames()) {
    auto* doc = dynamic_cast<CPlaceDocument*>(f->GetDocument());
    if (doc && f->GetTemplate().GetIndex() == kTemplateBibleText && BibleOf(*doc)) return f;
  }
  return nullptr;
}

CChildFrame* CShellApp::ShowRanges(const std::vector<textpane::Range>& ranges) {
  if (ranges.empty()) return nullptr;
  CChildFrame* frame = ReferenceTargetWindow();
  const CBibleModule* bible = nullptr;
  int bibleIndex = -1;
  if (frame) {
    auto* doc = dynamic_cast<CPlaceDocument*>(frame->GetDocument());
    bible = BibleOf(*doc);
    bibleIndex = doc->GetBookIndex();
  } else {
    bibleIndex = CurrentBibleIndex();
    const cSOLTBook* book = bibleIndex >= 0 ? m_core.GetRegistry().GetBook(bibleIndex) : nullptr;
    bible = book ? m_core.GetBibleModules().Find(book->GetBookName()) : nullptr;
  }
  if (!bible) {
    platform::MessageBox("No Bible is installed to show the reference in.");
    return nullptr;
  }
  const std::vector<CVerseSpan> spans = VerseSpansOf(*bible, ranges);
  const std::vector<CVerseSpan> first = VerseSpansOf(*bible, {ranges.front()});
  if (spans.empty()) {
    platform::MessageBox("The " + bible->GetCode() + " Bible does not have " +
                         std::string(ranges.front().Start().FullBookName()) + ".");
    return nullptr;
  }
  const int top = first.empty() ? spans.front().first : first.front().first;
  if (!frame) {
    frame = OpenBook(bibleIndex, top);
    if (!frame) return nullptr;
  }
  auto* doc = dynamic_cast<CPlaceDocument*>(frame->GetDocument());
  doc->SetMarkedVerses(spans);
  doc->SetSectionKey(top);
  doc->UpdateAllViews(nullptr, CPlaceDocument::kHintReload);
  if (frame->isMinimized()) frame->showNormal();
  m_frame->GetMdiArea()->setActiveSubWindow(frame);
  return frame;
}

void CShellApp::GoToTypedReference(const std::string& text) {
  // Read in the numbering of the Bible it will be shown in, from where that
  // window is.
  CChildFrame* target = ReferenceTargetWindow();
  const CPlaceDocument* doc = target ? dynamic_cast<CPlaceDocument*>(target->GetDocument()) : nullptr;
  const CBibleModule* bible = doc ? BibleOf(*doc) : m_core.GetBibleModules().Find(m_core.GetCurrentBibleCode());
  const textpane::Reference context = doc && bible ? ReferenceOfVerse(*bible, doc->GetSectionKey()) : textpane::Reference();
  const CTypedReference read =
      ReadTypedReference(text, TranslationForBible(bible ? bible->GetCode() : std::string("KJV")), context);
  if (!read.Ok()) {
    QStringList names;
    for (const std::string& n : read.suggestions) names << FromLatin1252(n);
    m_frame->ShowReferenceProblem(FromLatin1252(read.problem), FromLatin1252(read.word), names);
    return;
  }
  if (ShowRanges(read.ranges)) m_frame->GetMdiArea()->activeSubWindow()->widget()->setFocus();
}

}  // namespace klmw
