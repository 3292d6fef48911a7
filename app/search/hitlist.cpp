#include "app/search/hitlist.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "app/search/searchrun.h"
#include "app/shell/booksection.h"
#include "biblefile/biblemodule.h"
#include "biblefile/booknames.h"
#include "platform/file.h"
#include "soltread.h"
#include "textpane/model/paragraph.h"
#include "textpane/model/rtfdoc.h"

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

std::string SectionPreview(const cSOLTBook& registered, long key, size_t maxChars) {
  if (key < 0 || key > INT_MAX || maxChars == 0) return {};
  CBookSection section(registered);
  try {
    // Opened here so that a key the book lacks, or an entry that cannot be
    // read, is turned away quietly: the section would fall back to the first
    // one or tell the user.
    cSOLTBook& book = section.GetBook();
    cSectionsData entry;
    if (book.Open(SOLT_ALL_FILES) != SOLT_OK || !book.IsValidKey(static_cast<int>(key)) ||
        book.GetEntry(static_cast<int>(key), entry) != SOLT_OK)
      return {};
  } catch (const platform::FileException&) {
    return {};
  }
  if (!section.Prepare(static_cast<int>(key))) return {};
  textpane::CRtfDoc doc;
  // The area is read only as far as the preview needs: to where the next
  // level starts, or a stretch past the section's own start.
  constexpr size_t kReadPastLevel = 16384;
  const size_t levelCount = static_cast<size_t>(std::max(section.GetLevelCount(), 0));
  size_t levelFrom = SIZE_MAX;  // the bytes read when the section's level was first seen
  section.Stream(doc, [&](size_t read) {
    const size_t levels = doc.Levels().Count();
    if (levels <= levelCount) return false;
    if (levels > levelCount + 1) return true;
    if (levelFrom == SIZE_MAX) levelFrom = read;
    return read - levelFrom >= kReadPastLevel;
  });
  const textpane::TextPoint level = doc.Levels().At(section.GetLevelCount());
  // The next section's level, where there is one, ends the preview.
  const textpane::TextPoint next = doc.Levels().Count() > levelCount + 1
                                       ? doc.Levels().At(static_cast<int32_t>(levelCount + 1))
                                       : textpane::TextPoint{};
  const textpane::Paragraph* paragraph = level.paragraph ? level.paragraph : doc.FirstParagraph();
  size_t offset = level.paragraph ? level.offset : 0;
  std::string text;
  bool gap = false;  // a blank is owed before the next character
  for (; paragraph && text.size() < maxChars; paragraph = textpane::NextLeaf(paragraph), offset = 0) {
    const std::string& bytes = paragraph->Text();
    const size_t end = paragraph == next.paragraph ? std::min(next.offset, bytes.size()) : bytes.size();
    for (size_t i = offset; i < end && text.size() < maxChars; ++i) {
      if (static_cast<unsigned char>(bytes[i]) <= ' ') {
        gap = !text.empty();
        continue;
      }
      if (gap) {
        if (text.size() + 1 == maxChars) return text;  // no room for a word after the blank
        text += ' ';
        gap = false;
      }
      text += bytes[i];
    }
    if (paragraph == next.paragraph) break;
    gap = !text.empty();
  }
  return text;
}

std::string SearchResultsText(const std::string& query, const std::vector<HitEntry>& hits,
                              const std::function<std::string(long position)>& verseText) {
  std::string text = "Search Results for " + query + "\n\n";
  for (const HitEntry& hit : hits) text += hit.label + " - " + verseText(hit.position) + "\n";
  return text;
}

std::string QueryText(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

}  // namespace klmw
