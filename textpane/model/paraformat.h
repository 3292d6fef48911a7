// Paragraph formatting and the pieces it shares with table rows and cells.
// Paragraphs refer to interned records (ParaFormatRef).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "textpane/model/formatpool.h"

namespace textpane {

enum TabKind : uint8_t { kTabLeft = 0, kTabCentre = 1, kTabRight = 2, kTabDecimal = 3, kTabBar = 4 };
enum TabLeader : uint8_t { kLeaderNone = 0, kLeaderDots, kLeaderHyphens, kLeaderUnderline, kLeaderThick, kLeaderEquals };
enum Alignment : uint8_t { kAlignLeft = 0, kAlignRight = 1, kAlignCentre = 2, kAlignJustify = 3 };
enum BorderStyle : uint8_t {
  kBorderNone = 0, kBorderSingle, kBorderThick, kBorderShadow, kBorderDouble, kBorderDotted, kBorderDashed,
  kBorderHairline
};
// Sides index ParaFormat::borders and CellFormat::borders; rows add the two
// inside borders.
enum BorderSide : uint8_t {
  kSideLeft = 0, kSideTop = 1, kSideRight = 2, kSideBottom = 3, kSideInsideH = 4, kSideInsideV = 5, kSideNone = 7
};

struct TabStop {
  int16_t position = 0;  // twips from the left indent origin
  uint8_t kind = kTabLeft;
  uint8_t leader = kLeaderNone;
  bool operator==(const TabStop&) const = default;
};

struct BorderSpec {
  int16_t width = 0;  // twips
  uint16_t colour = 0;  // colour-table index
  int16_t space = 0;  // twips to the text
  uint8_t style = kBorderNone;
  bool operator==(const BorderSpec&) const = default;
};

struct Shading {
  uint16_t percentage = 0;  // hundredths of a percent, as RTF gives it
  uint16_t foreground = 0;  // colour-table indices
  uint16_t background = 0;
  uint8_t pattern = 0;  // 0 none, 1-6 horizontal .. diagonal cross, 7-12 their dark variants
  bool operator==(const Shading&) const = default;
};

struct ParaFormat {
  int16_t firstIndent = 0;  // twips
  int16_t leftIndent = 0;
  int16_t rightIndent = 0;
  int16_t spaceBefore = 0;
  int16_t spaceAfter = 0;
  uint8_t inTable = 0;
  uint8_t rightToLeft = 0;
  uint8_t alignment = kAlignLeft;
  // Working state of the tab and border words while a paragraph is read.
  int16_t tabPosition = 0;
  uint8_t tabKind = kTabLeft;
  uint8_t tabLeader = kLeaderNone;
  uint8_t borderSide = kSideNone;
  std::vector<TabStop> tabs;  // by position
  BorderSpec borders[4];  // left, top, right, bottom
  Shading shading;

  bool operator==(const ParaFormat&) const = default;

  // Keeps the list sorted by position; a stop goes after those at the same
  // position, so stops keep the order in which they were read.
  void AddTabStop(const TabStop& stop);
};

struct ParaFormatHash {
  size_t operator()(const ParaFormat& f) const;
};

using ParaFormatPool = FormatPool<ParaFormat, ParaFormatHash>;
using ParaFormatRef = ParaFormatPool::Ref;

}  // namespace textpane
