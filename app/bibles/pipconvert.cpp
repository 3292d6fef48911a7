#include "app/bibles/pipconvert.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/coding.h"
#include "platform/messages.h"

namespace klmw {

namespace {

constexpr int32_t kMaxWord = 32766;  // so that the word after it still fits a position

struct Entry {
  int32_t word;
  int color;
  bool continued;
};

// Fills the data slots of one list in order; changes past slot 7 are lost.
struct SlotWriter {
  std::array<int16_t, kColorSlots>& pos;
  std::array<uint8_t, kColorSlots>& value;
  int slot = kFirstDataSlot;

  int Room() const { return kColorSlots - slot; }
  void Add(int32_t word, int v) {
    if (slot >= kColorSlots) return;
    pos[static_cast<size_t>(slot)] = static_cast<int16_t>(-word);
    value[static_cast<size_t>(slot)] = static_cast<uint8_t>(v);
    ++slot;
  }
  // The old changes past the new ones must not carry on.
  void Finish() {
    if (slot > kFirstDataSlot && slot < kColorSlots) {
      pos[static_cast<size_t>(slot)] = kPositionEnd;
      value[static_cast<size_t>(slot)] = 0;
    }
  }
};

void UnderlineVerse(const std::vector<Entry>& entries, CVerseColors& r, int verseIndex, CColorIndex& index) {
  SlotWriter out{r.underlinePos, r.underline};
  bool underlined = false;
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    if (e.color == 0) {
      out.Add(e.word, kUnderlineOff);
      continue;
    }
    int32_t end = 0;  // the word where the underlining stops, 0 when it runs on
    if (!e.continued) {
      end = e.word + 1;  // a single word
    } else if (i + 1 < entries.size() && !entries[i + 1].continued) {
      end = entries[++i].word + 1;
    }
    // A start without room for its end would underline the rest of the verse.
    if (out.Room() < (end ? 2 : 1)) continue;
    out.Add(e.word, kUnderlineOn);
    if (end) out.Add(end, kUnderlineOff);
    underlined = true;
  }
  out.Finish();
  if (underlined) {
    r.hasUnderline = 1;
    index.Mark(kUnderlineSet, verseIndex);
  }
}

}  // namespace

std::string ClampMessage(int verse, int color, int limit) {
  char text[200];
  std::snprintf(text, sizeof text,
                "Verse %d has color number %d\nThis and future verses with color number > %d will be given color %d",
                verse, color, limit, limit);
  return text;
}

void ConvertPip(const std::string& pip, PipMode mode, int maxColors, std::vector<CVerseColors>& records,
                CColorIndex& index, bool& clampReported) {
  if (records.size() < static_cast<size_t>(kColorVerses)) records.resize(kColorVerses, CVerseColors::Fresh());
  std::vector<Entry> entries;
  entries.reserve(kPipEntries);
  for (int v = 1; v <= kColorVerses; ++v) {
    const size_t at = static_cast<size_t>(v) * kPipRecordSize;
    if (at >= pip.size()) break;
    // A record cut short reads as if the missing bytes were zero.
    unsigned char rec[kPipRecordSize] = {};
    std::memcpy(rec, pip.data() + at, std::min(kPipRecordSize, pip.size() - at));
    entries.clear();
    for (int i = 0; i < kPipEntries; ++i) {
      const unsigned char* p = rec + 5 * i;
      if (p[0] == 0) break;
      const int32_t word = platform::DecodeSigned32(p);
      const bool continued = (p[4] & 0x80) != 0;
      int color = continued ? p[4] - 0x80 : p[4];
      if (color > maxColors) {
        if (!clampReported) {
          clampReported = true;
          platform::MessageBox(ClampMessage(v, color, maxColors));
        }
        color = maxColors;
      }
      if (word < 1 || word > kMaxWord) continue;
      entries.push_back({word, color, continued});
    }
    if (entries.empty()) continue;
    CVerseColors& r = records[static_cast<size_t>(v - 1)];
    if (mode == PipMode::Underline) {
      UnderlineVerse(entries, r, v - 1, index);
      continue;
    }
    SlotWriter out{r.colorPos, r.color};
    for (const Entry& e : entries) {
      out.Add(e.word, kTopicEntryBase + e.color);
      // Colour 0 only ends a coloured stretch, and the index has sets for
      // topic colours 1-14 alone.
      if (e.color >= 1 && e.color <= kIndexedColors) index.Mark(e.color - 1, v - 1);
    }
    out.Finish();
  }
}

}  // namespace klmw
