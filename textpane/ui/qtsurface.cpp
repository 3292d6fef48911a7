#include "textpane/ui/qtsurface.h"

#include <QBrush>
#include <QGlyphRun>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <list>
#include <vector>

#include "textpane/model/picture.h"
#include "textpane/ui/qtfontsystem.h"
#include "textpane/ui/qtpicture.h"

namespace textpane {

namespace {

// Decoded pictures by picture and size: a window repaints the same few
// pictures as it scrolls. The entry holds a count on its picture, so a
// picture's address is never mistaken for another's.
class PictureCache {
 public:
  QImage Get(const Picture& picture, QSize target) {
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
      if (it->picture.get() == &picture && it->target == target) {
        m_entries.splice(m_entries.begin(), m_entries, it);
        return it->image;
      }
    }
    Entry e{RefPtr<Picture>(const_cast<Picture*>(&picture)), target, DecodePicture(picture, target)};
    m_entries.push_front(std::move(e));
    if (m_entries.size() > kEntries) m_entries.pop_back();
    return m_entries.front().image;
  }

 private:
  static constexpr size_t kEntries = 12;
  struct Entry {
    RefPtr<Picture> picture;
    QSize target;
    QImage image;
  };
  std::list<Entry> m_entries;
};

PictureCache& Pictures() {
  static PictureCache cache;
  return cache;
}

}  // namespace

QtSurface::QtSurface(QPainter& painter, double unitsPerPixel, QPointF origin, bool printer)
    : m_painter(painter), m_units(unitsPerPixel > 0 ? unitsPerPixel : 1), m_origin(origin), m_printer(printer) {}

QRectF QtSurface::Map(const LRect& r) const {
  double left = X(r.left), top = Y(r.top), right = X(r.right), bottom = Y(r.bottom);
  if (!m_printer) {
    left = std::round(left);
    top = std::round(top);
    right = std::round(right);
    bottom = std::round(bottom);
  }
  // Whatever is not empty shows, however thin: one device pixel at least.
  if (right - left < 1) right = left + 1;
  if (bottom - top < 1) bottom = top + 1;
  return QRectF(QPointF(left, top), QPointF(right, bottom));
}

void QtSurface::SetBaseClip(const LRect& r) {
  m_base = QRectF(QPointF(X(r.left), Y(r.top)), QPointF(X(r.right), Y(r.bottom)));
  m_painter.setClipRect(*m_base);
}

void QtSurface::FillRect(const LRect& r, RGB colour) {
  if (r.IsEmpty()) return;
  m_painter.fillRect(Map(r), ToQColor(colour));
}

void QtSurface::FillPattern(const LRect& r, const uint8_t pattern[8], RGB fore, RGB back) {
  if (r.IsEmpty()) return;
  QImage tile(8, 8, QImage::Format_RGB32);
  const QRgb f = ToQColor(fore).rgb(), b = ToQColor(back).rgb();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) tile.setPixel(x, y, pattern[y] & (0x80 >> x) ? f : b);
  }
  // The brush origin stays at the painter's origin, so fills side by side
  // continue one pattern.
  m_painter.fillRect(Map(r), QBrush(tile));
}

void QtSurface::InvertRect(const LRect& r) {
  if (r.IsEmpty()) return;
  m_painter.save();
  m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  m_painter.fillRect(Map(r), Qt::white);
  m_painter.restore();
}

void QtSurface::SetClip(const LRect& r) {
  QRectF clip(QPointF(X(r.left), Y(r.top)), QPointF(X(r.right), Y(r.bottom)));
  if (m_base) clip = clip.intersected(*m_base);
  m_painter.setClipRect(clip);
}

void QtSurface::ResetClip() {
  if (m_base) m_painter.setClipRect(*m_base);
  else m_painter.setClipping(false);
}

void QtSurface::DrawChars(const Font& f, int32_t x, int32_t y, const unsigned char* bytes, const int32_t* advances,
                          size_t count) {
  const auto& font = static_cast<const QtFont&>(f);
  if (!font.raw.isValid() || count == 0) return;
  QList<quint32> glyphs;
  QList<QPointF> positions;
  glyphs.reserve(static_cast<qsizetype>(count));
  positions.reserve(static_cast<qsizetype>(count));
  int64_t at = x;
  const double baseline = Y(y);
  for (size_t i = 0; i < count; ++i) {
    if (const quint32 g = font.glyphs[bytes[i]]) {
      glyphs.push_back(g);
      positions.push_back(QPointF(X(at), baseline));
    }
    at += advances[i];
  }
  const QColor colour = ToQColor(m_text);
  if (!glyphs.isEmpty()) {
    QGlyphRun run;
    run.setRawFont(font.raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    m_painter.setPen(colour);
    m_painter.drawGlyphRun(QPointF(0, 0), run);
  }
  if (!font.underline && !font.strikeOut) return;
  const double thickness = std::max(font.raw.lineThickness(), m_printer ? 0.5 : 1.0);
  const QRectF span(QPointF(X(x), 0), QPointF(X(at), thickness));
  if (font.underline) {
    m_painter.fillRect(span.translated(0, baseline + std::max(font.raw.underlinePosition(), 1.0) - thickness / 2), colour);
  }
  if (font.strikeOut) {
    m_painter.fillRect(span.translated(0, baseline - font.raw.xHeight() / 2 - thickness / 2), colour);
  }
}

void QtSurface::DrawPicture(const Picture& picture, const LRect& r) {
  if (r.IsEmpty()) return;
  const QRectF target = Map(r);
  // Decoded at the size it covers on the device, not beyond.
  const qreal scale = m_painter.device() ? m_painter.device()->devicePixelRatioF() : 1.0;
  const QSize pixels(std::max(1, static_cast<int>(std::ceil(target.width() * scale))),
                     std::max(1, static_cast<int>(std::ceil(target.height() * scale))));
  const QImage image = Pictures().Get(picture, pixels);
  if (!image.isNull()) {
    m_painter.save();
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
    m_painter.drawImage(target, image);
    m_painter.restore();
    return;
  }
  // A picture we cannot show keeps its place as a light frame.
  m_painter.save();
  m_painter.setPen(QPen(QColor(192, 192, 192), 0));
  m_painter.setBrush(Qt::NoBrush);
  m_painter.drawRect(target);
  m_painter.restore();
}

}  // namespace textpane
