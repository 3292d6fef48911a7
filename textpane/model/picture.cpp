#include "textpane/model/picture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

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

namespace {

uint32_t Big16(const uint8_t* p) { return uint32_t{p[0]} << 8 | p[1]; }
uint32_t Big32(const uint8_t* p) { return Big16(p) << 16 | Big16(p + 2); }

std::optional<Picture::PixelSize> Checked(uint32_t w, uint32_t h) {
  constexpr uint32_t kMax = std::numeric_limits<int32_t>::max();
  if (w == 0 || h == 0 || w > kMax || h > kMax) return std::nullopt;
  return Picture::PixelSize{static_cast<int>(w), static_cast<int>(h)};
}

// PNG: the 8-byte signature, then the IHDR chunk, which must come first:
//   8  length (4, big-endian)   12  "IHDR"   16  width (4)   20  height (4)
std::optional<Picture::PixelSize> PngSize(std::span<const uint8_t> d) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (d.size() < 24 || std::memcmp(d.data(), kSignature, 8) != 0 || std::memcmp(d.data() + 12, "IHDR", 4) != 0)
    return std::nullopt;
  return Checked(Big32(d.data() + 16), Big32(d.data() + 20));
}

// JPEG: SOI (FF D8), then segments, each FF (any number of fill FFs), a
// marker byte and, except for the stand-alone markers, a big-endian length
// that counts itself. The first frame header (SOF0-SOF15 without DHT C4, JPG
// C8 and DAC CC) holds precision (1), height (2), width (2). A scan or the
// end of the image before it means there is none to find.
std::optional<Picture::PixelSize> JpegSize(std::span<const uint8_t> d) {
  if (d.size() < 2 || d[0] != 0xFF || d[1] != 0xD8) return std::nullopt;
  size_t i = 2;
  while (i < d.size()) {
    if (d[i] != 0xFF) return std::nullopt;
    while (i < d.size() && d[i] == 0xFF) ++i;
    if (i == d.size()) return std::nullopt;
    const uint8_t marker = d[i++];
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker == 0x00 || marker == 0xD9 || marker == 0xDA) return std::nullopt;
    if (d.size() - i < 2) return std::nullopt;
    const size_t length = Big16(d.data() + i);
    if (length < 2 || length > d.size() - i) return std::nullopt;
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      if (length < 7) return std::nullopt;
      return Checked(Big16(d.data() + i + 5), Big16(d.data() + i + 3));
    }
    i += length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Picture::PixelSize> Picture::HeaderPixelSize(Kind kind, std::span<const uint8_t> data) {
  switch (kind) {
    case Kind::Png: return PngSize(data);
    case Kind::Jpeg: return JpegSize(data);
    case Kind::Metafile: break;
  }
  return std::nullopt;
}

RefPtr<Picture> Picture::FromEncoded(Kind kind, std::vector<uint8_t> data, int picW, int picH, int goalW, int goalH,
                                     int pixelsPerInch) {
  auto p = MakeRef<Picture>();
  p->kind = kind;
  const std::optional<PixelSize> header = HeaderPixelSize(kind, data);
  p->width = picW > 0 ? picW : header ? header->width : 0;
  p->height = picH > 0 ? picH : header ? header->height : 0;
  p->metafile = std::move(data);
  const auto twips = [pixelsPerInch](int pixels) {
    if (pixelsPerInch <= 0) return 0;
    return static_cast<int>(
        std::min<int64_t>(int64_t{pixels} * 1440 / pixelsPerInch, std::numeric_limits<int32_t>::max()));
  };
  p->goalWidth = goalW > 0 ? goalW : twips(p->width);
  p->goalHeight = goalH > 0 ? goalH : twips(p->height);
  // A size of the writer's choosing is left alone; one made up here from a
  // large photograph's pixels is brought into 16-bit coordinates as a bitmap's
  // would be.
  const int larger = std::max(p->goalWidth, p->goalHeight);
  if (goalW <= 0 && goalH <= 0 && larger > 32000) {
    p->scaleX = p->scaleY = std::max(1, static_cast<int>(int64_t{32000} * 100 / larger));
  }
  return p;
}

}  // namespace textpane
