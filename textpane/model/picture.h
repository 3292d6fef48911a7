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

  // Wraps a device-independent bitmap (BITMAPINFO and bits) in a metafile
  // that stretches it over its own extent in anisotropic mapping, and gives
  // the extent in twips at pixelsPerInch. The pixel size comes from the
  // bitmap's header, else from fallbackWidth/Height (\picw, \pich). Data
  // that is empty, too short for its header or of an impossible size gives
  // no picture.
  static RefPtr<Picture> FromDib(const std::vector<uint8_t>& dib, int fallbackWidth, int fallbackHeight,
                                 int pixelsPerInch);

  // The resolution bitmaps are converted at until the drawing side says.
  static constexpr int kScreenPixelsPerInch = 96;
};

}  // namespace textpane
