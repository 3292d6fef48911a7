// The markup inside a stored verse text and the two cleaned forms made of it.
//
//   leading blanks        not text
//   $ at the start        the verse begins a paragraph
//   $ elsewhere           a line break
//   [ ]                   enclose translators' added words; the brackets are not shown
//   <sc1> <sc0>           small capitals on and off; not shown
//   other < and >         not shown (the characters after them are)
//   {...}                 a footnote reference
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace klmw {

// What a line break is in copied and printed text.
inline constexpr char kVerseLineBreak[] = "\n";

// A verse made ready for copying and printing: leading blanks and the leading
// run of $ dropped, every other $ made a line break, brackets and angle-bracket
// markers dropped; footnote references are kept. paragraph is set when the
// stored text began with $.
std::string CleanVerseForCopy(std::string_view stored, bool& paragraph);

// The form a Bible window shows: every $ removed, brackets and markers dropped,
// and each {...} footnote reference removed together with one following blank
// when a blank precedes it.
std::string CleanVerseForDisplay(std::string_view stored);

// A footnote's letter kept in the display text: the label of a {...}
// reference, at [start, start + length).
struct CFootnoteMark {
  int32_t start = 0;
  int32_t length = 0;
};
// The display form with each footnote reference shown as its label (the
// braces dropped, the blank before it taken away so that the letter follows
// its word); marks receives where the labels stand, in text order.
std::string CleanVerseForDisplay(std::string_view stored, std::vector<CFootnoteMark>& marks);

// Appends one copied verse to out the way a fetch of several verses does: on a
// new line when it begins a paragraph or a chapter, else after one blank when
// the texts would otherwise run together.
void AppendCopiedVerse(std::string& out, const std::string& cleaned, bool newLine);

}  // namespace klmw
