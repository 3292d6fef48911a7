// A picture standing in the text as one character 0. The data is kept as a
// metafile; a device-independent bitmap is turned into one by the drawing
// side, after which its extent is given in twips (FitBitmapExtent).
#pragma once

#include <cstdint>
#include <vector>

#include "textpane/model/refcounted.h"

namespace textpane {

class Picture : public RefCounted {
 public:
  std::vector<uint8_t> metafile;
  int mappingMode = 0;
  int width = 0;   // twips once FitBitmapExtent has run, else as the data gives it
  int height = 0;
  int goalWidth = 0;  // 0: same as width
  int goalHeight = 0;
  int scaleX = 100;  // percent
  int scaleY = 100;
  bool bitmap = false;
  int bitsPerPixel = 0;
  std::vector<uint32_t> palette;  // only when the data carries one

  int GoalWidth() const { return goalWidth ? goalWidth : width; }
  int GoalHeight() const { return goalHeight ? goalHeight : height; }

  // Converts a bitmap's pixel extent to twips at the screen's resolution and
  // scales an oversized picture down so that its larger side is 32000 twips,
  // which keeps every coordinate inside 16 bits.
  void FitBitmapExtent(int pixelsPerInch);
};

}  // namespace textpane
