#include "app/books/windowsync.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "biblefile/biblemodule.h"
#include "platform/file.h"

namespace klmw {

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

long FindVerseSyncKey(cSOLTBook& book, const CBibleModule& bible, int verse) {
  int b = 0, c = 0, n = 0;
  // Only a book of sync type "verse" has the index; the others need not
  // open a file to say so.
  if (book.GetSyncTypeFlag() != SOLT_VSYNC_IDX || !bible.IndexToPlace(verse, b, c, n)) return -1;
  const bool opened = !book.IsOpen(SOLT_VSYNC_IDX);
  long key = -1;
  try {
    if (opened && book.Open(SOLT_VSYNC_IDX) != SOLT_OK) return -1;
    auto lookup = [&](int verseNumber) {
      char text[40];
      std::snprintf(text, sizeof text, "%d,%d,%d", b + 1, c + 1, verseNumber);
      const long found = book.GetVSyncKey(text);
      return found < 0 ? -1 : found;
    };
    key = lookup(n + 1);
    // One verse back, then one forward, for as many rounds as the chapter
    // has verses after this one; the backward candidate wins a tie.
    const int count = bible.GetChapterVerseCount(b, c);
    for (int round = 1; key < 0 && round <= count - n; ++round) {
      if (n + 1 - round >= 1) key = lookup(n + 1 - round);
      if (key < 0 && n + 1 + round <= count) key = lookup(n + 1 + round);
    }
  } catch (const platform::FileException&) {
    key = -1;
  }
  if (opened && book.IsOpen(SOLT_VSYNC_IDX)) book.Close(SOLT_VSYNC_IDX);
  return key;
}

bool FollowsVerses(const std::string& syncType) {
  static constexpr std::string_view kVerse = "verse";
  auto it = std::search(syncType.begin(), syncType.end(), kVerse.begin(), kVerse.end(),
                        [](char a, char b) { return LowerAscii(a) == b; });
  return it != syncType.end();
}

std::vector<CSyncMove> PlanWindowSync(bool syncOn, const std::vector<CSyncWindow>& windows, int verse,
                                      const SyncKeyLookup& keyOf) {
  std::vector<CSyncMove> moves;
  const bool fromBible = std::any_of(windows.begin(), windows.end(), [](const CSyncWindow& w) {
    return w.source && w.kind == EWindowKind::Bible;
  });
  if (!syncOn || verse < 0 || !fromBible) return moves;
  for (size_t i = 0; i < windows.size(); ++i) {
    const CSyncWindow& w = windows[i];
    if (w.source) continue;
    if (w.kind == EWindowKind::Map) break;
    if (w.kind == EWindowKind::Bible) {
      moves.push_back({i, CSyncMove::kSetVerse, verse});
    } else if (w.kind == EWindowKind::Book && keyOf && FollowsVerses(w.syncType)) {
      const long key = keyOf(i);
      if (key >= 0) moves.push_back({i, CSyncMove::kGoToKey, static_cast<int>(key)});
    }
  }
  return moves;
}

}  // namespace klmw
