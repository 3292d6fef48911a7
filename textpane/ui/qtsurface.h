// The layout engine's surface on a QPainter: logical units are divided by
// the units per pixel of the device (whole on the screen, where the painter
// works in device-independent pixels and Qt takes care of high-density
// screens; exact on a printer) and moved by an origin.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <optional>

#include "textpane/layout/surface.h"

namespace textpane {

class QtSurface : public Surface {
 public:
  // origin: where the surface's logical (0, 0) lies, in painter coordinates.
  QtSurface(QPainter& painter, double unitsPerPixel, QPointF origin = {}, bool printer = false);

  // A clip that every SetClip stays inside and ResetClip returns to (a
  // printed page's band).
  void SetBaseClip(const LRect& r);

  bool IsPrinter() const override { return m_printer; }
  void FillRect(const LRect& r, RGB colour) override;
  void FillPattern(const LRect& r, const uint8_t pattern[8], RGB fore, RGB back) override;
  void InvertRect(const LRect& r) override;
  void SetClip(const LRect& r) override;
  void ResetClip() override;
  void SetTextColor(RGB colour) override { m_text = colour; }
  void DrawChars(const Font& font, int32_t x, int32_t y, const unsigned char* bytes, const int32_t* advances,
                 size_t count) override;
  void DrawPicture(const Picture& picture, const LRect& r) override;

  static QColor ToQColor(RGB c) { return QColor(static_cast<int>(RedOf(c)), static_cast<int>(GreenOf(c)), static_cast<int>(BlueOf(c))); }

 private:
  double X(int64_t x) const { return static_cast<double>(x) / m_units + m_origin.x(); }
  double Y(int64_t y) const { return static_cast<double>(y) / m_units + m_origin.y(); }
  // The rectangle in painter coordinates; on the screen on whole pixels.
  // Not empty: at least one pixel each way.
  QRectF Map(const LRect& r) const;

  QPainter& m_painter;
  double m_units;
  QPointF m_origin;
  bool m_printer;
  RGB m_text = 0;
  std::optional<QRectF> m_base;
};

}  // namespace textpane
