// The mapping of OSIS verse markup onto our verse-text markup, kept apart from
// the library that reads the modules so it can be tested (and fuzzed) alone.
//
// Verse-text markup written here (Windows-1252):
//   `$` first        the verse begins a paragraph; `$` elsewhere is a line break
//   `[` ... `]`      words the translators added
//   "<sc1>" ... "<sc0>"  the divine name, in small capitals
//   `{a}`, `{b}`...  a footnote reference; the n-th note of a verse is labelled
//                    with the n-th letter (`{aa}` after `{z}`)
// Literal brackets, braces, `$`, `<` and `>` in the source text would read as
// markup, so they are written as parentheses, the currency sign and the single
// guillemets instead.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace importer {

// Windows-1252 text from UTF-8. Characters the code page lacks are written as
// a near letter (accents dropped, Greek and a few Latin letters spelt in Latin
// letters), dropped (combining marks, zero-width characters) or written as
// '?'; each of them, and each byte that is not UTF-8, counts one in
// *unmappable. Typographic quotes, dashes and the ellipsis keep their own
// Windows-1252 codes.
std::string Utf8ToWindows1252(std::string_view utf8, int* unmappable);

// Decodes XML's five named entities, &nbsp; and numeric references in UTF-8
// text (the result stays UTF-8); anything else stays as it stands.
std::string DecodeEntities(std::string_view text);

// A range of the words of Christ: [start, end) in bytes of the display form of
// the verse (DisplayText), which is also characters since the text is
// Windows-1252.
struct ChristRange {
  int start = 0;
  int end = 0;
  bool operator==(const ChristRange&) const = default;
};

// What one verse turns into.
struct ConvertedVerse {
  std::string text;                 // verse-text markup, Windows-1252, one line
  std::vector<std::string> notes;   // footnote texts (Windows-1252), in label order
  std::vector<ChristRange> christ;  // words of Christ in DisplayText(text)
  int unmappable = 0;               // characters Windows-1252 has no code for
  bool endOfBook = false;           // the verse closed its book; what followed was dropped
};

// What carries over from one verse to the next: quotations of Jesus written as
// milestones (<q sID=".." who="Jesus"/> ... <q eID=".."/>) may span verses.
struct OsisState {
  std::vector<std::string> christMilestones;  // sIDs of the open ones
};

// Converts the raw OSIS of one verse. Never fails: broken markup is read as
// far as it makes sense and the rest is taken as text.
ConvertedVerse ConvertOsisVerse(std::string_view osis, OsisState& state);

// The verse as a Bible window shows it: leading blanks dropped, every `$`,
// `[`, `]`, "<sc1>", "<sc0>" and other angle bracket removed, and each `{..}`
// reference removed together with one following blank when a blank precedes it.
std::string DisplayText(std::string_view text);

// The label of the index-th (0-based) note of a verse: a..z, aa, ab, ...
std::string NoteLabel(size_t index);

}  // namespace importer
