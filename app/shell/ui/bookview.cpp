#include "app/shell/ui/bookview.h"

#include "app/books/booknavigation.h"
#include "app/shell/booksection.h"
#include "app/shell/ui/placedocument.h"
#include "platform/file.h"

namespace klmw {

CBookView::CBookView(BookOf bookOf, QWidget* parent) : CRtfView(parent), m_bookOf(std::move(bookOf)) {}

CBookView::~CBookView() = default;

void CBookView::OnUpdate(platform::CView* sender, long hint, void* object) {
  if (hint == CPlaceDocument::kHintFollow) return;
  if (!m_reloading && (hint == CPlaceDocument::kHintPosition || !m_loaded)) {
    Reload();
    return;
  }
  CRtfView::OnUpdate(sender, hint, object);
}

void CBookView::Reload() {
  auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
  if (!doc) return;
  m_loaded = true;
  const cSOLTBook* book = m_bookOf ? m_bookOf(*doc) : nullptr;
  if (!book) {
    CRtfView::OnUpdate(nullptr, 0, nullptr);
    return;
  }
  if (!m_section || m_bookIndex != doc->GetBookIndex() || m_section->GetBookName() != book->GetBookName()) {
    m_section = std::make_unique<CBookSection>(*book);
    m_bookIndex = doc->GetBookIndex();
  }
  if (!m_section->Prepare(doc->GetSectionKey())) {
    CRtfView::OnUpdate(nullptr, 0, nullptr);
    return;
  }
  // Before the text arrives, so that the frame's caption follows with it.
  doc->SetTitle(book->GetBookName() + ":" + m_section->GetEntry().GetName());
  m_reloading = true;
  m_section->Stream(*doc);
  m_reloading = false;
  ScrollToLevel(m_section->GetLevelCount());
}

void CBookView::OnLevelChanged(unsigned level) {
  auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
  if (!doc || !m_section || m_reloading) return;
  cSOLTBook& book = m_section->GetBook();
  const int key = KeyOfLevel(book, m_section->GetEntry(), static_cast<int>(level));
  if (key < 0 || key == doc->GetSectionKey()) return;
  cSectionsData entry;
  try {
    if (book.GetEntry(key, entry) != 0) return;
  } catch (const platform::FileException&) {
    return;
  }
  doc->FollowSection(key, m_section->GetBookName() + ":" + entry.GetName());
}

}  // namespace klmw
