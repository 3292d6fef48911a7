// The document behind a Bible or book window until the real Bible and book
// documents exist: it keeps the position the workspace saves and gives back
// (book index, section key, first position value, search string, page-down
// mode) and the title of the book it shows, and as a rich-text document the
// text of the section a book window shows. No Qt here.
#pragma once

#include <string>

#include "app/bibles/referencego.h"
#include "app/books/booknavigation.h"
#include "app/search/searchrun.h"
#include "textpane/model/rtfdoc.h"

namespace klmw {

class CPlaceDocument : public textpane::CRtfDoc {
 public:
  // Update hint sent when the position changed.
  static constexpr long kHintPosition = 1;
  // Update hint sent when the reader scrolled into another section of the
  // text on show: the tree and the caption follow, the text stays.
  static constexpr long kHintFollow = 2;
  // Book views: read the section again; go to the key (an int) the hint
  // carries, then read. Hints 13 and 14 leave the text as it is.
  static constexpr long kHintReload = 3;
  static constexpr long kHintGoToKey = 7;
  // The search is over (its Hits window closed, or a search found nothing):
  // the views take their marks away. Hint 3 (read again) shows a new one.
  static constexpr long kHintSearchEnded = 4;

  int GetBookIndex() const { return m_bookIndex; }
  int GetSectionKey() const { return m_sectionKey; }
  int GetFirstPosition() const { return m_firstPosition; }
  const std::string& GetSearchString() const { return m_searchString; }
  int GetPageDownMode() const { return m_pageDownMode; }

  void SetPosition(int bookIndex, int sectionKey, int firstPosition, const std::string& search,
                   int pageDownMode);
  void SetSectionKey(int key);
  void SetPageDownMode(int mode);

  // A section the user went to (tree, link, next or previous): the place
  // left is kept for Back.
  void GoToSection(int bookIndex, int key);
  // The reading moved on to `key` within the text on show; titled `title`.
  void FollowSection(int key, const std::string& title);
  // The tree shows the book's sections (mode 0) or its glossary (mode 1);
  // each mode keeps the key last read in it, and a mode first entered goes
  // to the book's start or its first glossary entry. Returns the mode left.
  int SetTreeMode(int mode);
  int GetTreeMode() const { return m_treeMode; }
  // The window shows a glossary entry (1) or a section (0), however it got
  // there: the mode follows without moving.
  void NoteTreeMode(int mode) { m_treeMode = mode ? 1 : 0; }

  // The last search in this window: its words and colours (which the views
  // mark) and its hits (which a combine reads). Hits of size 0: none.
  CSearchController& GetSearch() { return m_search; }
  const CSearchController& GetSearch() const { return m_search; }
  const CHitSet& GetSearchHits() const { return m_searchHits; }
  bool HasSearchHits() const { return m_searchHits.GetSize() != 0; }
  // A search found these hits: the words are marked from now on.
  void SetSearchResult(const std::vector<std::string>& words, const std::vector<int>& colors, CHitSet hits);
  // The search is over: marks go and the views are told (hint 4).
  void EndSearch();

  // The verses of the references last gone to in this window (a Bible's
  // verse indexes, merged and in order); they stay marked until the next.
  void SetMarkedVerses(std::vector<CVerseSpan> spans) { m_markedVerses = std::move(spans); }
  const std::vector<CVerseSpan>& GetMarkedVerses() const { return m_markedVerses; }
  bool IsVerseMarked(int index) const;
  // The first verse of the next marked stretch after verse `top`, or of the
  // last one before it; -1 when there is none.
  int NextMarkedVerse(int top) const;
  int PreviousMarkedVerse(int top) const;

  bool GoBack();
  bool GoForward();
  bool CanGoBack() const { return m_history.CanGoBack(); }
  bool CanGoForward() const { return m_history.CanGoForward(); }

 private:
  int m_bookIndex = 0;
  int m_sectionKey = 0;
  int m_firstPosition = 0;
  std::string m_searchString = " ";
  int m_pageDownMode = 4;
  CBookHistory m_history;
  CSearchController m_search;
  CHitSet m_searchHits{0};
  int m_treeMode = 0;
  std::vector<CVerseSpan> m_markedVerses;
  int m_modeKeys[2] = {0, kGlossaryKey};
};

}  // namespace klmw
