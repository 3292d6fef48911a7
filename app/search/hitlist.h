// The contents of the Hits window: its title and one label per hit, in
// position order. Every hit is listed.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "biblefile/hitset.h"

class cSOLTBook;

namespace klmw {

class CBibleModule;

struct HitEntry {
  long position;  // verse index (Bible) or section key (SOLT book)
  std::string label;
};

// " %d Hits [%s]": the count, then the first query word followed by "..."
// when the query had more words, or a blank when it had none.
std::string HitsTitle(size_t count, const std::vector<std::string>& words);

// A verse's label: the book's name (the Spanish names for "RVR"), then
// " chapter:verse", both counted from 1.
std::string BibleHitLabel(const CBibleModule& bible, long position);
std::vector<HitEntry> BibleHitList(const CBibleModule& bible, const CHitSet& hits);

// A section's label: its name from the table of contents. The book is copied
// and the copy opened and closed here; a book that cannot be opened gives
// empty labels.
std::vector<HitEntry> BookHitList(const cSOLTBook& book, const CHitSet& hits);

// The start of a book section as plain text (paragraph breaks as blanks,
// runs of blanks as one), at most maxChars characters (Windows-1252), from
// the section's own level in its area. Empty when the section cannot be
// read. Opens its own copy of the book.
std::string SectionPreview(const cSOLTBook& registered, long key, size_t maxChars = 200);

// The text file Save Results writes, 8-bit with line feeds only:
// "Search Results for " + query + "\n\n", then per hit: label + " - " +
// verse text + "\n".
std::string SearchResultsText(const std::string& query, const std::vector<HitEntry>& hits,
                              const std::function<std::string(long position)>& verseText);

// The query as titles show it: the words joined by blanks.
std::string QueryText(const std::vector<std::string>& words);

}  // namespace klmw
