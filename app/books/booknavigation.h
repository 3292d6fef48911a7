// The decisions behind a book window's movements: which sections a tree node
// holds, which section a level of the text on show belongs to, the section
// and book after or before the current one, and the history of sections the
// user went to, walked back and forward like a browser's.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "soltread.h"

namespace klmw {

// Opens the book with every file a book window reads, unless it is open.
// False when it cannot be opened.
bool OpenBookForReading(cSOLTBook& book);

// Keys that stand for a list of entries rather than one section.
constexpr int kTopLevelKey = -1;
constexpr int kGlossaryKey = -2;

// The child sections of section `key`, in order; kTopLevelKey gives the
// book's top-level sections, kGlossaryKey its glossary entries. Empty when
// the book cannot be read.
std::vector<cSectionsData> GetChildSections(cSOLTBook& book, int key);
// Whether the section has a child the book can read (a tree node shows an
// expand mark for it).
bool HasChildSections(cSOLTBook& book, const cSectionsData& section);

// The key of the section whose text starts at `level` of the viewable area
// of `shown` (levels count the entries before it in the area), or -1 when
// no entry of that area starts there.
int KeyOfLevel(cSOLTBook& book, const cSectionsData& shown, int level);

// The key `step` sections away from `key` when the book has it, else `key`.
// False (and `key` unchanged) when the book cannot be opened.
bool StepSection(cSOLTBook& book, int key, int step, int& out);
// The next (step 1) or previous (step -1) book index that `usable` accepts
// (every one when it is empty); `bookIndex` itself at the ends of the list.
int StepBook(int bookIndex, int step, int bookCount, const std::function<bool(int)>& usable = {});

struct CBookPlace {
  int book = 0;
  int key = 0;
  bool operator==(const CBookPlace&) const = default;
};

// The places left behind (back) and the places stepped back from (forward).
// A new visit forgets the forward places.
class CBookHistory {
 public:
  // At most this many places are kept each way; the oldest go first.
  static constexpr size_t kMaxPlaces = 200;

  // The user moves away from `left` to another place.
  void Visit(const CBookPlace& left);
  // The place to show instead of `current`; false when there is none.
  bool Back(const CBookPlace& current, CBookPlace& to);
  bool Forward(const CBookPlace& current, CBookPlace& to);
  bool CanGoBack() const { return !m_back.empty(); }
  bool CanGoForward() const { return !m_forward.empty(); }
  void Clear();

 private:
  std::vector<CBookPlace> m_back;
  std::vector<CBookPlace> m_forward;
};

}  // namespace klmw
