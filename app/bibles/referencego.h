// Going to references the user typed or selected: the text read as Bible
// references, the ranges found turned into verses of the Bible a window
// shows, and what the user is told when the text is no reference.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "textpane/refs/range.h"

namespace klmw {

class CBibleModule;

// The verse indexes [first, last] of a Bible (0-based, in its own order).
struct CVerseSpan {
  int first = 0, last = 0;
  bool operator==(const CVerseSpan&) const = default;
};

struct CTypedReference {
  std::vector<textpane::Range> ranges;
  // When nothing could be read: why, where (a character of the text), and
  // the book names the word there may have meant.
  std::string problem;
  size_t errorPosition = 0;
  std::string word;  // the word there that named no book
  std::vector<std::string> suggestions;
  bool Ok() const { return problem.empty(); }
};

// The reference library's translation for a Bible's code ("KJS", "WEB",
// "RVR"), or the King James numbering when it has none.
uint16_t TranslationForBible(const std::string& code);

// Reads typed text ("Gen 1:1-3; 2:4, 6", "jn 3 16", "1 cor 13", "Ps 23"):
// letter case is free, '.' or a blank may part chapter and verse, a book
// alone names all of it. `context` is where the reader is ("3:16" then means
// a verse of its book).
CTypedReference ReadTypedReference(const std::string& text, uint16_t translation,
                                   const textpane::Reference& context = {});

// The verses of the ranges that the Bible has, merged and in order; a range
// of books the Bible lacks gives none, a verse past a chapter's end in this
// Bible stops at the chapter's last verse.
std::vector<CVerseSpan> VerseSpansOf(const CBibleModule& bible, const std::vector<textpane::Range>& ranges);

// The reference of a Bible's verse index, for the reader's context.
textpane::Reference ReferenceOfVerse(const CBibleModule& bible, int index);

}  // namespace klmw
