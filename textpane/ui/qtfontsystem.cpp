#include "textpane/ui/qtfontsystem.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/cp1252.h"
#include "textpane/model/fonttable.h"
#include "textpane/view/rtfviewcore.h"

namespace textpane {

namespace {

constexpr unsigned char kNonBreakingHyphen = 30;
constexpr int32_t kDefaultHeight = 240;  // a font of height 0 is 12 points

quint16 Read16(const QByteArray& t, qsizetype at) {
  return static_cast<quint16>(static_cast<unsigned char>(t[at]) << 8 | static_cast<unsigned char>(t[at + 1]));
}

QString FaceOf(const FontDescription& d) {
  char name[sizeof d.faceName + 1] = {};
  std::memcpy(name, d.faceName, sizeof d.faceName);
  if (name[0]) {
    const std::u16string face = platform::Cp1252ToUtf16(name);
    return QString::fromUtf16(face.data(), static_cast<qsizetype>(face.size()));
  }
  // No name: the family decides, as the font mapper would.
  switch (d.pitchAndFamily >> 4) {
    case kFamilySwiss: return QStringLiteral("Arial");
    case kFamilyModern: return QStringLiteral("Courier New");
    default: return QStringLiteral("Times New Roman");
  }
}

QFont::StyleHint HintOf(const FontDescription& d) {
  switch (d.pitchAndFamily >> 4) {
    case kFamilyRoman: return QFont::Serif;
    case kFamilySwiss: return QFont::SansSerif;
    case kFamilyModern: return QFont::Monospace;
    case kFamilyScript: return QFont::Cursive;
    case kFamilyDecorative: return QFont::Decorative;
    default: return QFont::AnyStyle;
  }
}

int16_t ToWidth(double units) {
  return static_cast<int16_t>(std::clamp<long>(std::lround(units), 0, INT16_MAX));
}

}  // namespace

QtFontSystem::QtFontSystem(Device device, double pixelsPerInch)
    : m_device(device), m_pixelsPerInch(pixelsPerInch > 0 ? pixelsPerInch : 96) {}

int QtFontSystem::ScreenPixelsPerInch() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 0;
  return dpi > 0 ? dpi : 96;
}

QtFontSystem& QtFontSystem::Screen() {
  static QtFontSystem system(Device::Screen, ScreenPixelsPerInch());
  return system;
}

double QtFontSystem::UnitsPerPixel(int scaling) const {
  if (m_device == Device::Screen) {
    return CRtfViewCore::UnitsPerPixel(scaling, static_cast<int>(std::lround(m_pixelsPerInch)));
  }
  return 144000.0 / std::max(1, scaling) / m_pixelsPerInch;
}

std::unique_ptr<Font> QtFontSystem::CreateFont(const FontDescription& d, int scaling) {
  auto font = std::make_unique<QtFont>();
  const double u = UnitsPerPixel(scaling);
  font->unitsPerPixel = u;
  font->underline = d.underline != 0;
  font->strikeOut = d.strikeOut != 0;

  QFont qf(FaceOf(d));
  qf.setStyleHint(HintOf(d), QFont::PreferOutline);
  qf.setWeight(static_cast<QFont::Weight>(std::clamp<int32_t>(d.weight > 0 ? d.weight : 400, 1, 1000)));
  qf.setItalic(d.italic != 0);
  qf.setHintingPreference(QFont::PreferNoHinting);
  qf.setPixelSize(100);
  font->raw = QRawFont::fromFont(qf);
  if (!font->raw.isValid()) return font;

  const int32_t height = d.height ? d.height : -kDefaultHeight;
  double pixels = std::abs(static_cast<double>(height)) / u;
  if (height > 0) {
    // A positive height is the cell (ascent + descent), not the em.
    const double cell = font->raw.ascent() + font->raw.descent();
    if (cell > 0) pixels = pixels * font->raw.pixelSize() / cell;
  }
  font->raw.setPixelSize(std::clamp(pixels, 0.25, 20000.0));

  QString chars(256, QChar(u' '));
  for (int b = 32; b < 256; ++b) chars[b] = QChar(static_cast<char16_t>(platform::Cp1252ToUnicode(static_cast<unsigned char>(b))));
  chars[kNonBreakingHyphen] = QChar(u'-');
  const QList<quint32> glyphs = font->raw.glyphIndexesForString(chars);
  for (int b = 0; b < 256 && b < glyphs.size(); ++b) {
    // Control bytes draw nothing; the layout gives them their room.
    font->glyphs[b] = b >= 32 || b == kNonBreakingHyphen ? glyphs[b] : 0;
  }
  return font;
}

void QtFontSystem::Measure(const Font& f, FontMetrics& m) {
  const auto& font = static_cast<const QtFont&>(f);
  m.kerning.clear();
  std::fill(std::begin(m.widths), std::end(m.widths), int16_t{0});
  const QRawFont& raw = font.raw;
  if (!raw.isValid()) {
    m.height = m.ascent = m.externalLeading = 0;
    return;
  }
  const double u = font.unitsPerPixel;
  m.height = static_cast<int32_t>(std::lround((raw.ascent() + raw.descent()) * u));
  m.ascent = static_cast<int32_t>(std::lround(raw.ascent() * u));
  m.externalLeading = static_cast<int32_t>(std::lround(std::max(0.0, raw.leading()) * u));
  m.outline = QFontDatabase::isSmoothlyScalable(raw.familyName(), raw.styleName());

  QList<quint32> glyphs;
  std::vector<int> bytes;
  for (int b = 0; b < 256; ++b) {
    if (!font.glyphs[b]) continue;
    glyphs.push_back(font.glyphs[b]);
    bytes.push_back(b);
  }
  const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
  for (size_t i = 0; i < bytes.size() && i < static_cast<size_t>(advances.size()); ++i) {
    m.widths[bytes[i]] = ToWidth(advances[static_cast<qsizetype>(i)].x() * u);
  }
  if (!m.outline) return;

  const std::vector<GlyphKern> pairs = ReadKernTable(raw.fontTable("kern"));
  if (pairs.empty() || raw.unitsPerEm() <= 0) return;
  // Bytes by glyph: several bytes may share one (space and no-break space).
  std::vector<std::pair<quint32, int>> byGlyph;
  for (size_t i = 0; i < bytes.size(); ++i) byGlyph.emplace_back(glyphs[static_cast<qsizetype>(i)], bytes[i]);
  std::sort(byGlyph.begin(), byGlyph.end());
  auto bytesOf = [&](quint32 glyph) {
    return std::equal_range(byGlyph.begin(), byGlyph.end(), std::pair<quint32, int>{glyph, -1},
                            [](const auto& a, const auto& b) { return a.first < b.first; });
  };
  // The cache takes eighths of a logical unit.
  const double eighths = raw.pixelSize() / raw.unitsPerEm() * u * 8;
  for (const GlyphKern& k : pairs) {
    const auto [firstBegin, firstEnd] = bytesOf(k.left);
    if (firstBegin == firstEnd) continue;
    const auto [secondBegin, secondEnd] = bytesOf(k.right);
    const long amount = std::clamp<long>(std::lround(k.value * eighths), INT16_MIN, INT16_MAX);
    if (!amount) continue;
    for (auto a = firstBegin; a != firstEnd; ++a) {
      for (auto b = secondBegin; b != secondEnd; ++b) {
        m.kerning.push_back({static_cast<uint8_t>(a->second), static_cast<uint8_t>(b->second),
                             static_cast<int16_t>(amount)});
      }
    }
  }
}

// 'kern' version 0: version, table count, then subtables of version,
// length, coverage (format in the high byte; bit 0 horizontal, bit 1
// minimum values, bit 2 cross-stream, bit 3 override), and for format 0 the
// pair count, three search fields and the pairs (left, right, value). The
// 16-bit length overflows in large tables, so the pair count and the
// table's own size bound the reading instead. Override subtables are taken
// as adding to the others; fonts seldom have them.
std::vector<QtFontSystem::GlyphKern> QtFontSystem::ReadKernTable(const QByteArray& t) {
  std::vector<GlyphKern> out;
  if (t.size() < 4 || Read16(t, 0) != 0) return out;
  const int tables = Read16(t, 2);
  qsizetype at = 4;
  for (int i = 0; i < tables && at + 6 <= t.size(); ++i) {
    const quint16 length = Read16(t, at + 2);
    const quint16 coverage = Read16(t, at + 4);
    const bool usable = (coverage >> 8) == 0 && (coverage & 1) && !(coverage & 6);
    qsizetype next = at + length;
    if (usable && at + 14 <= t.size()) {
      const qsizetype count = Read16(t, at + 6);
      const qsizetype first = at + 14;
      const qsizetype fits = (t.size() - first) / 6;
      const qsizetype n = std::min(count, fits);
      for (qsizetype j = 0; j < n; ++j) {
        const qsizetype p = first + j * 6;
        out.push_back({Read16(t, p), Read16(t, p + 2), static_cast<qint16>(Read16(t, p + 4))});
      }
      next = std::max(next, first + n * 6);
    }
    if (length < 6 && !usable) break;  // a length that does not move on
    at = next;
  }
  // Later subtables add to earlier ones: one amount per pair.
  std::stable_sort(out.begin(), out.end(), [](const GlyphKern& a, const GlyphKern& b) {
    return std::pair{a.left, a.right} < std::pair{b.left, b.right};
  });
  std::vector<GlyphKern> merged;
  for (const GlyphKern& k : out) {
    if (!merged.empty() && merged.back().left == k.left && merged.back().right == k.right) {
      merged.back().value = static_cast<qint16>(std::clamp(merged.back().value + k.value, INT16_MIN, INT16_MAX));
    } else {
      merged.push_back(k);
    }
  }
  return merged;
}

}  // namespace textpane
