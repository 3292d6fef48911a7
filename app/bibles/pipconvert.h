// CODE.pip, the publisher's colour file, turned into verse colour records
// and the colour index. Fixed records of 100 bytes; record 0 is not read,
// verse v (1-31,102) is record v:
//
//   offset  size  meaning (20 entries of 5 bytes)
//   5i      int32 word number (1-based); an entry whose first byte is 0
//                 ends the list
//   5i + 4  uint8 colour: bit 7 marks a continued entry (the colour is then
//                 the byte less 0x80), otherwise the colour number
#pragma once

#include <string>
#include <vector>

#include "app/bibles/colorindex.h"
#include "app/bibles/versecolors.h"

namespace klmw {

inline constexpr size_t kPipRecordSize = 100;
inline constexpr int kPipEntries = 20;

enum class PipMode { Color, Underline };

// The message shown the first time in a run that a colour is clamped.
std::string ClampMessage(int verse, int color, int limit);

// Converts the bytes of a .pip file over records (resized to 31,102 fresh
// records when smaller), marking the index: colour mode the sets of topic
// colours 1-14, underline mode the underline set. Colours above maxColors
// become maxColors; the first time that happens while clampReported is
// false the message is shown and clampReported set. A verse without entries
// keeps its record; a verse with entries has its colour (underline) changes
// replaced from slot 2 on. Entries with a word number outside 1-32,766 are
// damaged and dropped.
void ConvertPip(const std::string& pip, PipMode mode, int maxColors, std::vector<CVerseColors>& records,
                CColorIndex& index, bool& clampReported);

}  // namespace klmw
