// Turning the entries of SWORD dictionaries and commentaries (TEI and OSIS
// markup, UTF-8) into the rich text of a book source, kept apart from the
// library that reads the modules so it can be tested (and fuzzed) alone.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bookimport {

// The book number (1 Genesis .. 66 Revelation) of an OSIS book name such as
// "Gen" or "2John"; 0 for a name that is not one of the 66.
int OsisBookNumber(std::string_view osisName);
// The OSIS name and the English name of a book (1-66); "" outside.
const char* OsisBookName(int book);
const char* EnglishBookName(int book);
// Obadiah, Philemon, 2 John, 3 John and Jude.
bool IsOneChapterBook(int book);

// "Gen.1.1", "Gen.1.1-Gen.1.5", "Exod.6.16-Exod.7.2" or a chapter "Mic.2"
// (verse 0). The end is the start for a single verse.
struct OsisRef {
  int book = 0, chapter = 0, verse = 0;
  int lastChapter = 0, lastVerse = 0;
};
bool ParseOsisRef(std::string_view text, OsisRef& ref);

// Windows-1252 text from UTF-8. Greek and Hebrew letters, which the code page
// lacks, are spelt in Latin letters (*transliterated counts them); other
// characters are mapped as the Bible importer maps them.
std::string ToWindows1252(std::string_view utf8, int* transliterated = nullptr);

// What an entry's links are checked against and resolved to.
struct LinkContext {
  // Does the verse exist in the English (KJV) order?
  std::function<bool(int book, int chapter, int verse)> verseExists;
  // The key, in the book being made, of a cross-reference `<ref target=...>`
  // given its target (e.g. "Nave:NEBO", "StrongsGreek:427") and its text
  // ("NEBO", "H0175"); -1 when the book has no such entry.
  std::function<int(std::string_view target, std::string_view text)> entryKey;
};

struct MarkupStats {
  int verseLinks = 0;      // Bible verse links written (type 4)
  int entryLinks = 0;      // links within the book written (type 0)
  int repairedRefs = 0;    // one-chapter-book references whose verse stood outside the link
  int droppedRefs = 0;     // verse references naming no verse of the English order (kept as text)
  int unresolvedRefs = 0;  // cross-references to entries the book lacks (kept as text)
  int transliterated = 0;  // Greek or Hebrew letters spelt in Latin letters
};

// The RTF body (Windows-1252, for a section file of the compiler) of one
// entry's raw markup. Never fails: broken markup is read as far as it makes
// sense and the rest taken as text.
std::string EntryToRtf(std::string_view raw, const LinkContext& context, MarkupStats& stats);

// RTF-escaped Windows-1252 text.
std::string EscapeRtfText(std::string_view text);

// The text of the first element `tag` (with the attribute `attribute`="value"
// when attribute is given) of raw markup, entities decoded, still UTF-8; ""
// when there is none.
std::string ElementText(std::string_view raw, std::string_view tag, std::string_view attribute = {},
                        std::string_view value = {});

// "G25" from a Strong's module key "00025" (five digits, zero-padded) and a
// reference's number "0175" or "427"; "" when `number` has no digits.
std::string StrongsKey(char letter, std::string_view number);

// The topic a cross-reference names, among `topics` (name -> key): the name
// itself, else its singular or plural ("ABLUTIONS" finds "ABLUTION"), else
// the first topic that begins with the name and a qualifier ("ANGEL" finds
// "ANGEL (A SPIRIT)", "ACCUSATION" finds "ACCUSATION, FALSE"); -1 when none.
// Many of Nave's references name a topic loosely.
int FindTopic(const std::map<std::string, int>& topics, const std::string& name);

// The mends a module's configuration needs, as key = value pairs to set
// (empty when it is sound): the commentary whose package names the wrong
// storage driver, the Strong's dictionary that does not say it is UTF-8 TEI.
std::vector<std::pair<std::string, std::string>> ConfigMends(const std::string& module,
                                                             const std::map<std::string, std::string>& config);

// One verse slot of a commentary in the English order.
struct VerseSlot {
  int book = 0, chapter = 0, verse = 0;
  bool hasText = false;     // a slot with no text is never part of a span
  bool linkedToPrevious = false;  // the module stores it as the same entry as the slot before
};

// A range of verses within one chapter.
struct VerseRange {
  int book = 0, chapter = 0, first = 0, last = 0;
  bool operator==(const VerseRange&) const = default;
};

// One section of a commentary: the entry stored at slot `textSlot`, placed
// under its book and chapter, titled by `title` ("Verses 1-8"); `covers`
// lists every verse whose sync key it is.
struct CommentarySection {
  size_t textSlot = 0;
  int book = 0, chapter = 0;
  std::string title;
  std::vector<VerseRange> covers;
};

// A commentary entry parted where the module's own headings stand: the
// book's introduction (from a book title), the chapter's introduction and
// outline (from a chapter title) and the comment on the verses (from the
// first "Verses ..." heading). What stands before that heading without a book
// or chapter title stays with the comment, so no text is lost.
struct CommentaryParts {
  std::string book, chapter, section;
};
CommentaryParts SplitCommentaryEntry(std::string_view raw);

// Groups the slots into sections: a slot with text starts a section unless
// it is linked to the slot with text before it; an empty slot belongs to the
// section before it in its chapter, or else to the next one in its chapter,
// or else (a chapter with no text at all) to the last section before it in
// its book, or else to the book's first. Every slot of a book with any text
// is covered exactly once.
std::vector<CommentarySection> GroupCommentary(const std::vector<VerseSlot>& slots);

}  // namespace bookimport
