// What a link in a book's text leads to. The rich-text engine hands the book
// view a link type and its target text as the book stores them; this decides
// what the view does with them, so that the view only carries it out.
//
//   type  target as stored               action
//   0     "123"                          the book's section 123
//   1, 3  "firmament"                    the book's glossary entry of that name
//   2     "\"MAPS\\EDEN.BMP\" \"Eden\""  a file inside the book's folder, with
//                                        its caption
//   4     "2 6:16" or "2 6:16-2 6:20"    a verse (book chapter:verse from 1) or
//                                        a range, in the KJS Bible
//
// A target is text from a book file: anything it names is checked before it
// is used, and a link whose file lies outside the book's folder opens nothing.
#pragma once

#include <string>

#include "soltread.h"

namespace klmw {

class CBibleModule;

enum class ELinkAction {
  None,         // nothing to do (an empty target)
  Message,      // tell the user m_message
  GoToSection,  // move the window to section m_key
  ShowGlossary, // show glossary entry m_key in a popup
  ShowVerse,    // show verse index m_verse (and m_verseCount verses)
  ShowPicture,  // show the picture file m_path titled m_caption
  OpenFile,     // hand m_path to the desktop's program for it
};

struct CLinkAction {
  ELinkAction m_action = ELinkAction::None;
  int m_key = -1;
  int m_verse = -1;       // 0-based verse index of the Bible
  int m_verseCount = 0;   // verses from m_verse a range covers
  std::string m_path;     // a regular file inside the book's folder
  std::string m_caption;
  std::string m_message;
};

// A verse target: "b c:v", optionally followed by "-b c:v" or "-v" for a
// range, all counted from 1. False for anything else.
bool ParseVerseTarget(const std::string& target, int& book, int& chapter, int& verse, int& lastBook,
                      int& lastChapter, int& lastVerse);

// A media target: the first double-quoted field is the file name, the second
// (optional) the caption. False without a first field.
bool ParseMediaTarget(const std::string& target, std::string& file, std::string& caption);

// The regular file `name` (either separator) names inside folder, matched
// without regard to case as the book's own files were named on the system
// the book was made for. "" when the name is absolute, steps outside the
// folder (also through a link), or no such file exists.
std::string ResolveBookFile(const std::string& folder, const std::string& name);

// The tooltip of a verse link: the first verse's reference, then each verse
// of the range, at most kMaxTipVerses, after its chapter:verse. "" when the
// Bible's text cannot be read.
inline constexpr int kMaxTipVerses = 6;
std::string FormatVerseTip(const CBibleModule& bible, int first, int count);

class CLinkResolver {
 public:
  // book: the book the link is in (its text path is its folder); bible: the
  // "KJS" Bible module verse links go to. Either may be null.
  CLinkResolver(const cSOLTBook* book, const CBibleModule* bible);
  ~CLinkResolver();
  CLinkResolver(const CLinkResolver&) = delete;
  CLinkResolver& operator=(const CLinkResolver&) = delete;

  CLinkAction Resolve(unsigned type, const std::string& target);

  // The key of the glossary entry named name (case ignored, surrounding
  // blanks dropped), or -1.
  int FindGlossaryKey(const std::string& name);

 private:
  bool OpenSections();
  CLinkAction ResolveSection(const std::string& target);
  CLinkAction ResolveGlossary(unsigned type, const std::string& target);
  CLinkAction ResolveMedia(const std::string& target) const;
  CLinkAction ResolveVerse(const std::string& target) const;

  cSOLTBook m_book;
  bool m_hasBook = false;
  const CBibleModule* m_bible;
};

}  // namespace klmw
