#include "app/search/hitlist.h"

#include <cstdio>

#include "app/search/searchrun.h"
#include "biblefile/biblemodule.h"
#include "biblefile/booknames.h"
#include "platform/file.h"
#include "soltread.h"

namespace klmw {

std::string HitsTitle(size_t count, const std::vector<std::string>& words) {
  std::string query = words.empty() ? std::string(" ") : words.front();
  if (words.size() > 1) query += "...";
  return " " + std::to_string(count) + " Hits [" + query + "]";
}

std::string BibleHitLabel(const CBibleModule& bible, long position) {
  if (position < 0 || position >= static_cast<long>(kMaxHitPositions)) return {};
  int book = 0, chapter = 0, verse = 0;
  // The verse number is the position + 1; past the Bible's last verse the
  // position itself is taken and one added to its verse.
  if (!bible.VerseToPlace(static_cast<int>(position) + 1, book, chapter, verse)) {
    if (!bible.VerseToPlace(static_cast<int>(position), book, chapter, verse)) return {};
    ++verse;
  }
  char place[32];
  std::snprintf(place, sizeof place, " %d:%d", chapter, verse);
  return GetBookName(bible.GetCode(), book) + std::string(place);
}

std::vector<HitEntry> BibleHitList(const CBibleModule& bible, const CHitSet& hits) {
  std::vector<HitEntry> list;
  list.reserve(hits.Count());
  for (long p = hits.Next(-1); p >= 0; p = hits.Next(p)) list.push_back({p, BibleHitLabel(bible, p)});
  return list;
}

std::vector<HitEntry> BookHitList(const cSOLTBook& registered, const CHitSet& hits) {
  std::vector<HitEntry> list;
  list.reserve(hits.Count());
  for (long p = hits.Next(-1); p >= 0; p = hits.Next(p)) list.push_back({p, {}});
  cSOLTBook book(registered);
  try {
    if (book.Open(SOLT_SECTIONS_IDX) != SOLT_OK) return list;
    cSectionsData entry;
    for (HitEntry& hit : list) {
      if (book.GetEntry(static_cast<int>(hit.position), entry) == SOLT_OK) hit.label = entry.GetName();
    }
  } catch (const platform::FileException&) {
  }
  book.Close(SOLT_ALL_OPEN);
  return list;
}

}  // namespace klmw
