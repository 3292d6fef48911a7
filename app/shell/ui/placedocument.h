// The document behind a Bible or book window until the real Bible and book
// documents exist: it keeps the position the workspace saves and gives back
// (book index, section key, first position value, search string, page-down
// mode) and the title of the book it shows, and as a rich-text document the
// text of the section a book window shows. No Qt here.
#pragma once

#include <string>

#include "app/books/booknavigation.h"
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
};

}  // namespace klmw
