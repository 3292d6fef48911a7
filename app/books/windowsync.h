// Window synchronisation: when a Bible window moves to a verse and the sync
// switch is on, the other windows follow it. Bible windows take the same
// verse index; a book whose sync type names verses goes to the section its
// verse synchronisation index gives for that verse, or for the nearest verse
// of the same chapter that has one. The frame describes its windows in
// stacking order and carries out the moves decided here.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "soltread.h"

namespace klmw {

class CBibleModule;

// The section key book `book` gives for verse index `verse` of `bible`: the
// key of the verse itself, else of the nearest verse of its chapter (one
// back, then one forward, and so on), else -1. A sync index that cannot be
// opened or read gives -1. The index is closed again when this opened it.
long FindVerseSyncKey(cSOLTBook& book, const CBibleModule& bible, int verse);

// Whether a book's sync type (as the registry keeps it, e.g. "Verse" or
// "VerseWord") makes its windows follow Bible verses.
bool FollowsVerses(const std::string& syncType);

enum class EWindowKind { Bible, Book, Map, Other };

// What the walk needs to know of one open window.
struct CSyncWindow {
  EWindowKind kind = EWindowKind::Other;
  // The window whose move is being followed.
  bool source = false;
  // A book window's sync type.
  std::string syncType;
};

struct CSyncMove {
  enum EAction { kSetVerse, kGoToKey };
  size_t window = 0;  // index into the list of windows
  EAction action = kSetVerse;
  int value = 0;  // the verse index or the section key
  bool operator==(const CSyncMove&) const = default;
};

// The book key for window `window` at the verse followed; -1 for none.
using SyncKeyLookup = std::function<long(size_t window)>;

// The moves that follow the source window to verse index `verse`. Nothing
// moves when sync is off, when the source is no Bible window or the verse
// is negative. The walk goes through the windows in order and ends at the
// first map window. Book windows follow only with a lookup (the source's
// Bible module is known) and when their sync type names verses; a book
// whose lookup gives -1 stays where it is.
std::vector<CSyncMove> PlanWindowSync(bool syncOn, const std::vector<CSyncWindow>& windows, int verse,
                                      const SyncKeyLookup& keyOf);

}  // namespace klmw
