// Pictures of a document as images: the bitmap a metafile stretches over its
// extent. Decoding never trusts the data: sizes are checked before anything
// is allocated, and what cannot be decoded gives a null image.
#pragma once

#include <QImage>
#include <QSize>

namespace textpane {

class Picture;

// Largest number of pixels decoded for one picture; larger pictures are
// decoded smaller where the format allows it, else not at all.
inline constexpr qint64 kMaxPicturePixels = 40'000'000;

// The picture's image; `target` (device pixels, may be empty) is the size it
// will be drawn at, so that a huge picture can be decoded at that size.
QImage DecodePicture(const Picture& picture, QSize target = {});

// The device-independent bitmap inside a metafile (the first bitmap
// record), as a BMP file the image readers take; empty when there is none.
QByteArray BitmapFromMetafile(const uint8_t* data, size_t size);

}  // namespace textpane
