// The document of a Bible window: a book window's document that, while it
// shows a study Bible, is bound to that Bible's module and keeps the display
// texts of the verses around its position, read through its own handle on
// the verse text file. No Qt here.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "app/bibles/verserun.h"
#include "app/shell/ui/placedocument.h"
#include "biblefile/versetext.h"
#include "platform/file.h"

namespace klmw {

class CBibleModule;

class CBibDoc : public CPlaceDocument {
 public:
  // The Bible the document shows, or null for a book; a new one forgets
  // the verses read from the last.
  void BindBible(const CBibleModule* bible);
  const CBibleModule* GetBible() const { return m_bible; }
  // The verses read so far; Get reads more. Empty texts when the verse text
  // file is missing (the user is told once).
  CVerseRun& GetVerses() { return m_run; }

  // Whether the verses show their footnotes' letters; a change reads the
  // verses again.
  void SetFootnoteLetters(bool show);
  bool ShowsFootnoteLetters() const { return m_letters; }
  // Where a verse read shows footnote letters (null: none).
  const std::vector<CFootnoteMark>* FootnoteMarks(int index) const;

 private:
  bool ReadVerse(int index, std::string& text);

  const CBibleModule* m_bible = nullptr;
  platform::File m_text;
  bool m_textOpen = false;
  bool m_textFailed = false;
  CVerseRun m_run;
  bool m_letters = true;
  std::unordered_map<int, std::vector<CFootnoteMark>> m_marks;
};

}  // namespace klmw
