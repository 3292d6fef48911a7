// Fonts for the layout engine from Qt: a QRawFont per description, at the
// size the scaling asks for, unhinted so that advances keep their fractions
// and text measured at one scaling is not pulled to another's pixel grid.
// Faces are asked for by name; fontconfig maps "Times New Roman" and
// "Arial" to their metric twins (Liberation Serif and Sans).
#pragma once

#include <QFont>
#include <QRawFont>
#include <cstdint>
#include <vector>

#include "textpane/layout/surface.h"

namespace textpane {

class QtFont : public Font {
 public:
  QRawFont raw;
  double unitsPerPixel = 1;  // logical units per pixel of the device it was made for
  bool underline = false;
  bool strikeOut = false;
  quint32 glyphs[256] = {};  // glyph of each byte; 0 where nothing is drawn
};

class QtFontSystem : public FontSystem {
 public:
  // The screen rounds an inch to whole units per pixel (as its view maps
  // it); a printer maps 1440 units at 100 % to its inch exactly.
  enum class Device { Screen, Printer };

  QtFontSystem(Device device, double pixelsPerInch);

  // The screen's system, at the primary screen's logical resolution.
  static QtFontSystem& Screen();
  // The logical resolution of the primary screen (96 without one).
  static int ScreenPixelsPerInch();

  Device GetDevice() const { return m_device; }
  double PixelsPerInch() const { return m_pixelsPerInch; }
  // Logical units per device pixel at a scaling.
  double UnitsPerPixel(int scaling) const;

  std::unique_ptr<Font> CreateFont(const FontDescription& description, int scaling) override;
  void Measure(const Font& font, FontMetrics& metrics) override;

  // The pairs of a 'kern' table (format 0 subtables) as glyph pairs and
  // amounts in font units; a table it cannot read gives none.
  struct GlyphKern {
    quint16 left, right;
    qint16 value;
  };
  static std::vector<GlyphKern> ReadKernTable(const QByteArray& table);

 private:
  Device m_device;
  double m_pixelsPerInch;
};

}  // namespace textpane
