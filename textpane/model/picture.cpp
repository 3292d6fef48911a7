#include "textpane/model/picture.h"

#include <algorithm>
#include <cstdlib>

#include "platform/coding.h"

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

namespace {

constexpr uint16_t kMetaSetMapMode = 0x0103;
constexpr uint16_t kMetaSetWindowOrg = 0x020B;
constexpr uint16_t kMetaSetWindowExt = 0x020C;
constexpr uint16_t kMetaStretchDib = 0x0F43;
constexpr uint32_t kSrcCopy = 0x00CC0020;
constexpr int kAnisotropic = 8;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A record: size in 16-bit words (including the six-byte head), function, then
// its parameters, which the metafile lists last to first.
void Record(std::vector<uint8_t>& out, uint16_t function, std::initializer_list<uint16_t> params) {
  Put32(out, static_cast<uint32_t>(3 + params.size()));
  Put16(out, function);
  for (uint16_t p : params) Put16(out, p);
}

}  // namespace

RefPtr<Picture> Picture::FromDib(const std::vector<uint8_t>& dib, int fallbackWidth, int fallbackHeight,
                                 int pixelsPerInch) {
  if (dib.size() < 12) return nullptr;
  const uint32_t headerSize = platform::DecodeFixed32(dib.data());
  if (headerSize < 12 || headerSize > dib.size()) return nullptr;
  int64_t w = 0, h = 0;
  int bpp = 0;
  uint32_t colorsUsed = 0;
  size_t entrySize = 4;
  if (headerSize == 12) {  // the old core header: 16-bit extent, RGB triples
    w = platform::DecodeFixed16(dib.data() + 4);
    h = platform::DecodeFixed16(dib.data() + 6);
    bpp = platform::DecodeFixed16(dib.data() + 10);
    entrySize = 3;
  } else {
    if (headerSize < 16) return nullptr;
    w = static_cast<int32_t>(platform::DecodeFixed32(dib.data() + 4));
    h = std::llabs(static_cast<int32_t>(platform::DecodeFixed32(dib.data() + 8)));
    if (headerSize >= 16) bpp = platform::DecodeFixed16(dib.data() + 14);
    if (headerSize >= 36) colorsUsed = platform::DecodeFixed32(dib.data() + 32);
  }
  if (w <= 0) w = fallbackWidth;
  if (h <= 0) h = fallbackHeight;
  if (w <= 0 || h <= 0 || w > 32767 || h > 32767) return nullptr;

  auto p = MakeRef<Picture>();
  p->bitmap = true;
  p->bitsPerPixel = bpp;
  p->mappingMode = kAnisotropic;
  p->width = static_cast<int>(w);
  p->height = static_cast<int>(h);
  if (bpp > 0 && bpp <= 8) {
    size_t entries = colorsUsed ? colorsUsed : size_t{1} << bpp;
    entries = std::min(entries, (dib.size() - headerSize) / entrySize);
    for (size_t i = 0; i < entries; ++i) {
      const uint8_t* e = dib.data() + headerSize + i * entrySize;
      p->palette.push_back(uint32_t{e[2]} << 16 | uint32_t{e[1]} << 8 | e[0]);
    }
  }

  std::vector<uint8_t>& m = p->metafile;
  const auto x = static_cast<uint16_t>(w), y = static_cast<uint16_t>(h);
  const size_t stretchWords = 14 + (dib.size() + 1) / 2;
  // Header: type 1 (in memory), 9 words, version 0x300, size in words, no
  // objects, largest record, no parameters.
  Put16(m, 1);
  Put16(m, 9);
  Put16(m, 0x0300);
  Put32(m, static_cast<uint32_t>(9 + 4 + 5 + 5 + stretchWords + 3));
  Put16(m, 0);
  Put32(m, static_cast<uint32_t>(stretchWords));
  Put16(m, 0);
  Record(m, kMetaSetMapMode, {kAnisotropic});
  Record(m, kMetaSetWindowOrg, {0, 0});
  Record(m, kMetaSetWindowExt, {y, x});
  Put32(m, static_cast<uint32_t>(stretchWords));
  Put16(m, kMetaStretchDib);
  Put32(m, kSrcCopy);
  for (uint16_t v : {uint16_t{0}, y, x, uint16_t{0}, uint16_t{0}, y, x, uint16_t{0}, uint16_t{0}}) Put16(m, v);
  m.insert(m.end(), dib.begin(), dib.end());
  if (dib.size() % 2) m.push_back(0);
  Record(m, 0, {});

  p->FitBitmapExtent(pixelsPerInch);
  return p;
}

}  // namespace textpane
