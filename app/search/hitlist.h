// The contents of the Hits window: its title and one label per hit, in
// position order. Every hit is listed.
#pragma once

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

}  // namespace klmw
