// Reading a section's rich text for the book compiler: the text is checked,
// its runs of readable text are wrapped in concordance spans, and the words
// and Bible verse links in it are collected for the indexes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace solt {

struct sVerseLink {
  uint16_t book = 0, chapter = 0, verse = 0;
  uint16_t lastVerse = 0;  // a range within one chapter ends here
};

struct sScannedText {
  std::string rtf;                 // the text to store, spans added
  std::vector<std::string> words;  // indexed words in reading order, case-folded
  std::vector<sVerseLink> verseLinks;
};

struct sScanError {
  int line = 0;
  std::string message;
};

// Scans one section's RTF body. A whole RTF document ("{\rtf1 ...}") is
// accepted too: its outer group and its font, colour and style tables are
// dropped so the text can stand after the book's shared header. Returns false
// with the error's line (counted from firstLine) for unbalanced braces and
// similar faults.
bool ScanRtf(std::string_view text, int firstLine, sScannedText& out, sScanError& error);

// The words of plain text as the scanner counts them (case-folded), for
// headings the compiler writes itself.
void CollectWords(std::string_view text, std::vector<std::string>& words);

// Plain text (UTF-8 or Windows-1252) as RTF paragraphs: blank lines separate
// paragraphs, special characters are escaped, characters outside
// Windows-1252 become \u escapes.
std::string PlainTextToRtf(std::string_view text);

// Converts UTF-8 to Windows-1252 when the text is valid UTF-8 with
// characters beyond ASCII; characters that have no Windows-1252 byte become
// '?' in `out` and are listed in `missing`. Returns false when the text is
// not UTF-8 (it is then taken as Windows-1252 already).
bool Utf8ToCp1252(std::string_view text, std::string& out, std::vector<uint32_t>* missing = nullptr);

// RTF-escapes text for use in a heading.
std::string EscapeRtf(std::string_view text);

}  // namespace solt
