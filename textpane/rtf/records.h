// Working records of the groups whose words do not write straight into the
// document's formats.
#pragma once

#include <cstdint>

namespace textpane {

struct RootRecord {
  int16_t version = 0;
};

// The font-table entry being read.
struct FontWork {
  int16_t number = 0;
  int16_t charSet = 0;
  int16_t pitch = 0;
  uint8_t family = 0;
};

// The colour-table entry being read.
struct ColorWork {
  int16_t red = 0;
  int16_t green = 0;
  int16_t blue = 0;
};

enum PictureKind : uint8_t { kPictNone = 0, kPictMetafile, kPictDib, kPictDdb, kPictOther, kPictPng, kPictJpeg };

struct PictureWork {
  int32_t mappingMode = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t goalWidth = 0;
  int32_t goalHeight = 0;
  int32_t scaleX = 100;
  int32_t scaleY = 100;
  int32_t bitsPerPixel = 0;
  int32_t bitsPixel = 1;
  int32_t planes = 1;
  int32_t widthBytes = 0;
  uint8_t bitmap = 0;
  uint8_t kind = kPictNone;
};

}  // namespace textpane
