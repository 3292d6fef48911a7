#include "app/shell/ui/bookview.h"

#include <QDateTime>
#include <algorithm>

#include "app/books/booknavigation.h"
#include "app/shell/booksection.h"
#include "app/shell/ui/placedocument.h"
#include "platform/file.h"

namespace klmw {

namespace {
// When any book view last handled an update.
int64_t g_lastBookUpdate = CUpdateThrottle::kNever;

int64_t NowMs() { return QDateTime::currentMSecsSinceEpoch(); }
}  // namespace

CBookView::CBookView(BookOf bookOf, QWidget* parent)
    : CRtfView(parent), m_bookOf(std::move(bookOf)), m_throttle(g_lastBookUpdate) {
  m_throttleTimer.setSingleShot(true);
  connect(&m_throttleTimer, &QTimer::timeout, this, &CBookView::OnThrottleDue);
}

CBookView::~CBookView() = default;

void CBookView::OnUpdate(platform::CView* sender, long hint, void* object) {
  if (hint == CPlaceDocument::kHintFollow || hint == 13 || hint == 14) return;
  if (hint == CPlaceDocument::kHintSearchEnded) {
    // The marks follow the document's search: gone when it has ended, kept
    // when it goes on (a Search sheet cancelled).
    if (textpane::CRtfDoc* doc = GetRtfDoc(); doc && m_loaded && !m_reloading) {
      doc->UnmarkAll();
      if (m_section) MarkSearchWords(m_section->GetLevelCount());
      MarksChanged();
    }
    return;
  }
  if (m_reloading || (hint == 0 && m_loaded)) {
    CRtfView::OnUpdate(sender, hint, object);
    return;
  }
  if (hint == CPlaceDocument::kHintGoToKey && object) {
    auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
    const int key = *static_cast<const int*>(object);
    // A new key comes back as a position hint, which reads the text; the
    // section being read already is left where the reader is in it.
    if (doc && key != doc->GetSectionKey()) {
      doc->GoToSection(doc->GetBookIndex(), key);
      return;
    }
    if (m_loaded) return;
  }
  if (!m_loaded || hint == 0 || hint == CPlaceDocument::kHintPosition || hint == CPlaceDocument::kHintGoToKey) {
    Reload(false);
    return;
  }
  if (hint == CPlaceDocument::kHintReload) {
    // A search's words are marked in the text on show; reading it again
    // would only cost the time.
    if (m_loaded && m_section && m_streamedArea >= 0) {
      MarkSearchWords(m_section->GetLevelCount());
    } else {
      Reload(true);
    }
    return;
  }
  if (m_throttle.Admit(NowMs())) {
    Reload(true);
  } else if (!m_throttleTimer.isActive()) {
    m_throttleTimer.start(static_cast<int>(std::max<int64_t>(1, m_throttle.GetDue() - NowMs())));
  }
}

void CBookView::OnThrottleDue() {
  if (m_throttle.Flush(NowMs())) {
    Reload(true);
  } else if (m_throttle.IsPending()) {
    // Another view took the second meanwhile.
    m_throttleTimer.start(static_cast<int>(std::max<int64_t>(1, m_throttle.GetDue() - NowMs())));
  }
}

void CBookView::Reload(bool force) {
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
    m_streamedArea = -1;
  }
  if (!m_section->Prepare(doc->GetSectionKey())) {
    m_streamedArea = -1;
    CRtfView::OnUpdate(nullptr, 0, nullptr);
    return;
  }
  // Before the text arrives, so that the frame's caption follows with it.
  const std::string title = book->GetBookName() + ":" + m_section->GetEntry().GetName();
  // A section of the area on show needs no reading: the view goes to it.
  const bool sameArea = !force && m_streamedArea >= 0 && m_section->GetEntry().GetBookKey() == m_streamedArea;
  // A key the book does not have, or the glossary's own, becomes the
  // section shown, so that the tree and the history name it.
  doc->NoteTreeMode(m_section->IsGlossaryEntry() ? 1 : 0);
  if (m_section->GetEntry().GetSectionKey() != doc->GetSectionKey()) {
    doc->FollowSection(m_section->GetEntry().GetSectionKey(), title);
  } else {
    doc->SetTitle(title);
  }
  if (!sameArea) {
    m_reloading = true;
    m_section->Stream(*doc);
    m_reloading = false;
    m_streamedArea = m_section->GetEntry().GetBookKey();
  }
  ScrollToLevel(m_section->GetLevelCount());
  MarkSearchWords(m_section->GetLevelCount());
}

void CBookView::MarkSearchWords(int level) {
  auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
  if (!doc) return;
  const std::vector<std::string>& words = doc->GetSearch().GetWords();
  if (words.empty()) return;
  // The words as the book's concordance holds them; the marks stay until
  // the search ends.
  if (doc->SearchForPhrase(level, words.front().c_str(), false, false) > 0 || words.size() > 1)
    doc->MarkPhrases(level, words, false);
  MarksChanged();
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
