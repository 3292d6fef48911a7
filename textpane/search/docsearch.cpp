// The document's phrase search and marking.
#include <algorithm>
#include <utility>

#include "textpane/model/rtfdoc.h"
#include "textpane/search/levelcursor.h"
#include "textpane/search/phrasematcher.h"

namespace textpane {

int CRtfDoc::SearchForPhrase(int level, const char* phrase, bool matchCase, bool countAll) {
  if (!phrase) return 0;
  int count = 0;
  PhraseMatcher({phrase}, matchCase).Scan(*this, level, [&](TextPos, TextPos) {
    ++count;
    return countAll;
  });
  return count;
}

void CRtfDoc::MarkPhrases(int level, const std::vector<std::string>& phrases, bool matchCase) {
  // Marking splits and merges runs, so the matches are marked once the walk is over.
  std::vector<std::pair<TextPos, TextPos>> found;
  PhraseMatcher(phrases, matchCase).Scan(*this, level, [&](TextPos begin, TextPos end) {
    found.emplace_back(begin, end);
    return true;
  });
  for (const auto& [begin, end] : found) ChangeCharFormats(begin, end, [](CharFormat& f) { f.mark = 1; });
}

void CRtfDoc::UnmarkAll() {
  ChangeCharFormats(0, Length(), [](CharFormat& f) { f.mark = 0; });
  UpdateAllViews(nullptr, 0, nullptr);
}

void CRtfDoc::MarkRanges(int level, const std::vector<Range>& ranges, int /*mode*/) {
  std::vector<std::pair<TextPos, TextPos>> found;
  for (LevelCursor c(*this, level); !c.AtEnd(); c.NextRun()) {
    const CharFormat& f = c.Format();
    if (f.linkType != 4 || f.mark || !f.link) continue;
    Range target;
    if (!target.SetFromString(f.link->Target())) continue;
    if (std::any_of(ranges.begin(), ranges.end(), [&](const Range& r) { return r.Overlaps(target); }))
      found.emplace_back(c.Position(), c.Position() + static_cast<TextPos>(c.LeftInRun()));
  }
  for (const auto& [begin, end] : found) ChangeCharFormats(begin, end, [](CharFormat& f) { f.mark = 1; });
  UpdateAllViews(nullptr, 0, nullptr);
}

}  // namespace textpane
