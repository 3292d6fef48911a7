// A picture standing in the text as one character 0. The data is kept as a
// metafile; a device-independent bitmap is turned into one by the drawing
// side, after which its extent is given in twips (FitBitmapExtent). PNG and
// JPEG pictures keep their encoded file as it came, undecoded: only the
// drawing side, which knows how large a picture it is willing to draw,
// decodes them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "textpane/model/refcounted.h"

namespace textpane {

class Picture : public RefCounted {
 public:
  enum class Kind : uint8_t { Metafile, Png, Jpeg };

  Kind kind = Kind::Metafile;
  std::vector<uint8_t> metafile;  // for Png and Jpeg, the encoded file
  int mappingMode = 0;
  // Twips once FitBitmapExtent has run, pixels for Png and Jpeg, else as the
  // data gives it.
  int width = 0;
  int height = 0;
  int goalWidth = 0;  // twips; 0: same as width
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

  // A PNG or JPEG picture. Its pixel size is picW x picH (\picw, \pich)
  // where given, else the one its header states; its goal size is goalW x
  // goalH (twips) where given, else the pixel size at pixelsPerInch, scaled
  // down as FitBitmapExtent does when that is too large. A header that is
  // missing or corrupt leaves the size 0; the picture is still kept.
  static RefPtr<Picture> FromEncoded(Kind kind, std::vector<uint8_t> data, int picW, int picH, int goalW, int goalH,
                                     int pixelsPerInch);

  struct PixelSize {
    int width;
    int height;
  };
  // The pixel size the header of an encoded image states (PNG IHDR, JPEG
  // SOFn), read with every offset checked; nothing when the data is not of
  // the kind, is cut short or states a size of 0 or over 2^31 - 1.
  static std::optional<PixelSize> HeaderPixelSize(Kind kind, std::span<const uint8_t> data);

  // The resolution bitmaps are converted at until the drawing side says.
  static constexpr int kScreenPixelsPerInch = 96;
};

}  // namespace textpane
