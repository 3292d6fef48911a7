#include "textpane/model/picture.h"

#include <algorithm>

namespace textpane {

void Picture::FitBitmapExtent(int pixelsPerInch) {
  if (pixelsPerInch <= 0) return;
  width = static_cast<int>(int64_t{width} * 1440 / pixelsPerInch);
  height = static_cast<int>(int64_t{height} * 1440 / pixelsPerInch);
  const int larger = std::max(width, height);
  if (larger > 32000) {
    scaleX = scaleY = static_cast<int>(int64_t{32000} * 100 / larger);
  }
}

}  // namespace textpane
