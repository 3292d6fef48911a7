// Formats of table rows and cells and of sections and the whole document.
// These are held by value: there are few of them, so sharing would not pay.
#pragma once

#include <cstdint>
#include <vector>

#include "textpane/model/paraformat.h"

namespace textpane {

struct CellFormat {
  int16_t rightBoundary = 0;  // twips
  BorderSpec borders[4];  // left, top, right, bottom
  Shading shading;
  bool operator==(const CellFormat&) const = default;
};

struct RowFormat {
  int16_t height = 0;  // twips
  int16_t left = 0;  // twips
  int16_t halfGap = 0;  // half the space between cells, twips
  uint8_t header = 0;
  uint8_t keep = 0;
  uint8_t alignment = kAlignLeft;  // left, right or centre
  BorderSpec borders[6];  // left, top, right, bottom, inside horizontal, inside vertical
  Shading shading;
  std::vector<CellFormat> cells;  // in column order
  bool operator==(const RowFormat&) const = default;
};

enum SectionBreak : uint8_t { kBreakNone = 1, kBreakColumn = 2, kBreakPage = 3, kBreakEven = 4, kBreakOdd = 5 };

struct SectionFormat {
  uint8_t breakKind = kBreakPage;  // RTF's own default
  uint8_t landscape = 0;
  bool operator==(const SectionFormat&) const = default;
};

struct DocFormat {
  uint16_t language = 1024;
  int16_t defaultTab = 720;  // twips, as are all the measures below
  int16_t marginBottom = 1440;
  int16_t marginTop = 1440;
  int16_t marginLeft = 1800;
  int16_t marginRight = 1800;
  int16_t paperHeight = 15840;
  int16_t paperWidth = 12240;
  uint8_t landscape = 0;
  bool operator==(const DocFormat&) const = default;
};

}  // namespace textpane
