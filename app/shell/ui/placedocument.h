// The document behind a Bible or book window until the real Bible and book
// documents exist: it keeps the position the workspace saves and gives back
// (book index, section key, first position value, search string, page-down
// mode) and the title of the book it shows, and as a rich-text document the
// text of the section a book window shows. No Qt here.
#pragma once

#include <string>

#include "textpane/model/rtfdoc.h"

namespace klmw {

class CPlaceDocument : public textpane::CRtfDoc {
 public:
  // Update hint sent when the position changed.
  static constexpr long kHintPosition = 1;

  int GetBookIndex() const { return m_bookIndex; }
  int GetSectionKey() const { return m_sectionKey; }
  int GetFirstPosition() const { return m_firstPosition; }
  const std::string& GetSearchString() const { return m_searchString; }
  int GetPageDownMode() const { return m_pageDownMode; }

  void SetPosition(int bookIndex, int sectionKey, int firstPosition, const std::string& search,
                   int pageDownMode);
  void SetSectionKey(int key);
  void SetPageDownMode(int mode);

 private:
  int m_bookIndex = 0;
  int m_sectionKey = 0;
  int m_firstPosition = 0;
  std::string m_searchString = " ";
  int m_pageDownMode = 4;
};

}  // namespace klmw
