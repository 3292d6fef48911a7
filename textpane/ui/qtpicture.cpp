#include "textpane/ui/qtpicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>

#include "platform/coding.h"
#include "textpane/model/picture.h"

namespace textpane {

namespace {

// Metafile records that carry a bitmap, and where in the record (counting
// the six-byte head) the bitmap starts: after the raster operation and the
// 16-bit source and destination fields of each.
struct BitmapRecord {
  uint16_t function;
  size_t dibOffset;
};
constexpr BitmapRecord kBitmapRecords[] = {
    {0x0F43, 6 + 4 + 18},  // StretchDIB: rop, usage, 4 source and 4 destination fields
    {0x0B41, 6 + 4 + 16},  // DIBStretchBlt: rop, 4 source and 4 destination fields
    {0x0940, 6 + 4 + 12},  // DIBBitBlt: rop, source y/x, height, width, destination y/x
    {0x0D33, 6 + 18},  // SetDIBitsToDevice: usage, scans, 7 position fields
};

// The BMP file of a device-independent bitmap: the 14-byte file header in
// front, with the offset of the bits after the colour table. A bitmap whose
// header claims more pixels than its bits can hold (uncompressed) is
// refused, so that a few bytes never become a huge allocation.
QByteArray DibToBmp(const uint8_t* dib, size_t size) {
  if (size < 12) return {};
  const uint32_t headerSize = platform::DecodeFixed32(dib);
  if (headerSize < 12 || headerSize > size) return {};
  int64_t width, height;
  unsigned bpp;
  uint32_t compression = 0, colorsUsed = 0;
  size_t entry = 4;
  if (headerSize == 12) {
    width = platform::DecodeFixed16(dib + 4);
    height = platform::DecodeFixed16(dib + 6);
    bpp = platform::DecodeFixed16(dib + 10);
    entry = 3;
  } else {
    if (headerSize < 16) return {};
    width = platform::DecodeSigned32(dib + 4);
    height = platform::DecodeSigned32(dib + 8);
    height = height < 0 ? -height : height;
    bpp = platform::DecodeFixed16(dib + 14);
    if (headerSize >= 20) compression = platform::DecodeFixed32(dib + 16);
    if (headerSize >= 36) colorsUsed = platform::DecodeFixed32(dib + 32);
  }
  if (width <= 0 || height <= 0 || width * height > kMaxPicturePixels) return {};
  size_t table = 0;
  if (bpp > 0 && bpp <= 8) table = (colorsUsed && colorsUsed < (1u << bpp) ? colorsUsed : (1u << bpp)) * entry;
  else if (colorsUsed && colorsUsed <= 256) table = colorsUsed * entry;
  if (compression == 3 && headerSize == 40) table += 12;  // the three bit-field masks
  const size_t bitsAt = headerSize + table;
  if (bitsAt > size) return {};
  if (compression == 0 || compression == 3) {
    const int64_t rowBytes = (width * bpp + 31) / 32 * 4;
    if (bpp == 0 || rowBytes * height > static_cast<int64_t>(size - bitsAt)) return {};
  }
  QByteArray bmp;
  bmp.reserve(static_cast<qsizetype>(14 + size));
  char head[14] = {'B', 'M'};
  platform::EncodeFixed32(head + 2, static_cast<uint32_t>(14 + size));
  platform::EncodeFixed32(head + 10, static_cast<uint32_t>(14 + bitsAt));
  bmp.append(head, sizeof head);
  bmp.append(reinterpret_cast<const char*>(dib), static_cast<qsizetype>(size));
  return bmp;
}

QImage ReadImage(const QByteArray& data, const char* format, QSize target) {
  QBuffer buffer;
  buffer.setData(data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) return {};
  // Only the JPEG reader decodes at a smaller size (down to an eighth)
  // without holding the whole image first; the others get the whole size.
  const bool jpeg = qstrcmp(format, "jpeg") == 0;
  const qint64 pixels = qint64{size.width()} * size.height();
  const qint64 least = jpeg ? pixels / 64 : pixels;
  if (least > kMaxPicturePixels) return {};
  if (jpeg && !target.isEmpty() && (pixels > kMaxPicturePixels || target.width() < size.width() / 2)) {
    reader.setScaledSize(size.scaled(target, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
  }
  return reader.read();
}

}  // namespace

QByteArray BitmapFromMetafile(const uint8_t* data, size_t size) {
  // The header: type, header size in words, ... (18 bytes in all).
  if (size < 18) return {};
  size_t at = size_t{platform::DecodeFixed16(data + 2)} * 2;
  if (at < 18) at = 18;
  while (at + 6 <= size) {
    const uint64_t words = platform::DecodeFixed32(data + at);
    const uint16_t function = platform::DecodeFixed16(data + at + 4);
    if (words < 3 || function == 0) break;  // the end record, or one that does not move on
    const size_t length = static_cast<size_t>(std::min<uint64_t>(words * 2, size - at));
    for (const BitmapRecord& r : kBitmapRecords) {
      if (function == r.function && length > r.dibOffset) {
        QByteArray bmp = DibToBmp(data + at + r.dibOffset, length - r.dibOffset);
        if (!bmp.isEmpty()) return bmp;
      }
    }
    if (words * 2 > size - at) break;
    at += static_cast<size_t>(words * 2);
  }
  return {};
}

QImage DecodePicture(const Picture& picture, QSize target) {
  const auto* data = picture.metafile.data();
  const size_t size = picture.metafile.size();
  switch (picture.kind) {
    case Picture::Kind::Png:
    case Picture::Kind::Jpeg: {
      const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
      return ReadImage(bytes, picture.kind == Picture::Kind::Png ? "png" : "jpeg", target);
    }
    case Picture::Kind::Metafile: break;
  }
  const QByteArray bmp = BitmapFromMetafile(data, size);
  return bmp.isEmpty() ? QImage() : ReadImage(bmp, "bmp", target);
}

}  // namespace textpane
