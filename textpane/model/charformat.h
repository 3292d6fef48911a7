// Character formatting. Runs refer to interned records (CharFormatRef), so a
// book's hundreds of thousands of runs share a handful of records.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textpane/model/formatpool.h"
#include "textpane/model/linktarget.h"
#include "textpane/model/picture.h"

namespace textpane {

enum VerticalPosition : uint8_t { kVertNormal = 0, kVertSubscript = 1, kVertSuperscript = 2 };
enum Concordance : uint8_t { kConcordanceOutside = 0, kConcordanceInside = 1, kConcordanceKey = 2 };
// Link types 0-4 belong to finished links; this one marks plain or pending text.
inline constexpr uint16_t kNoLinkType = 5;
// A character format at this level drops inserted text.
inline constexpr int32_t kDropLevel = -1;

struct CharFormat {
  RefPtr<LinkTarget> link;
  RefPtr<Picture> picture;
  int32_t level = 0;
  uint16_t background = 0;  // colour-table indices
  uint16_t foreground = 0;
  uint16_t font = 0;  // font-table number
  uint16_t size = 240;  // twips
  uint16_t kerning = 0;  // twips
  uint16_t language = 1024;
  uint16_t linkType = kNoLinkType;
  int16_t expansion = 0;  // twips; negative condenses
  uint8_t bold = 0;
  uint8_t caps = 0;
  uint8_t smallCaps = 0;
  uint8_t italic = 0;
  uint8_t strike = 0;
  uint8_t underline = 0;
  uint8_t rightToLeft = 0;
  uint8_t hidden = 0;
  uint8_t verticalPosition = kVertNormal;
  uint8_t linkText = 0;
  uint8_t mark = 0;
  uint8_t concordance = kConcordanceOutside;

  bool operator==(const CharFormat&) const = default;
};

struct CharFormatHash {
  size_t operator()(const CharFormat& f) const;
};

using CharFormatPool = FormatPool<CharFormat, CharFormatHash>;
using CharFormatRef = CharFormatPool::Ref;

}  // namespace textpane
