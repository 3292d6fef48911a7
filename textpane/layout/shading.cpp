#include "textpane/layout/shading.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "textpane/model/fonttable.h"

namespace textpane {

namespace {

// Upper ends of the bands of a solid shading, in percent.
constexpr int kBandEnds[] = {4, 9, 12, 16, 23, 29, 36, 39, 49, 58, 62, 69, 79, 86, 89, 99};
constexpr int kBands = 17;

// An ordered-dither matrix: a band of p percent sets the pixels whose rank
// lies below p % of 64, so each pattern holds about its share of foreground
// and the pixels spread evenly.
constexpr uint8_t kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},   {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21}};

// The share of foreground pixels of each band: the band's middle.
constexpr int kBandShare[kBands] = {0, 6, 11, 14, 20, 26, 33, 38, 44, 54, 60, 66, 74, 83, 88, 94, 100};

using Pattern = std::array<uint8_t, 8>;

constexpr std::array<Pattern, kBands> MakeBands() {
  std::array<Pattern, kBands> out{};
  for (int b = 0; b < kBands; ++b) {
    const int set = kBandShare[b] * 64 / 100;
    for (int y = 0; y < 8; ++y) {
      uint8_t row = 0;
      for (int x = 0; x < 8; ++x) {
        if (kBayer[y][x] < set) row |= static_cast<uint8_t>(0x80 >> x);
      }
      out[b][y] = row;
    }
  }
  return out;
}

constexpr std::array<Pattern, kBands> kBandPatterns = MakeBands();
// Dark horizontal, vertical, forward and backward diagonal hatching.
constexpr Pattern kDark[4] = {
    {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},
    {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC},
    {0xC1, 0x83, 0x07, 0x0E, 0x1C, 0x38, 0x70, 0xE0},
    {0x83, 0xC1, 0xE0, 0x70, 0x38, 0x1C, 0x0E, 0x07},
};

uint8_t Clamp255(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

int ShadingBand(int percent) {
  if (percent >= 100) return kBands - 1;
  for (int b = 0; b < kBands - 1; ++b) {
    if (percent <= kBandEnds[b]) return b;
  }
  return kBands - 1;
}

const uint8_t* ShadingPattern(const Shading& s) {
  if (s.pattern == 0) return kBandPatterns[static_cast<size_t>(ShadingBand(s.percentage / 100))].data();
  if (s.pattern >= 7 && s.pattern <= 10) return kDark[s.pattern - 7].data();
  return nullptr;
}

RGB BlendYiq(RGB fore, RGB back, int percent) {
  auto yiq = [](RGB c, double& y, double& i, double& q) {
    const double r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
    y = 0.299 * r + 0.587 * g + 0.114 * b;
    i = 0.596 * r - 0.275 * g - 0.321 * b;
    q = 0.212 * r - 0.523 * g + 0.311 * b;
  };
  double fy, fi, fq, by, bi, bq;
  yiq(fore, fy, fi, fq);
  yiq(back, by, bi, bq);
  const double t = std::clamp(percent, 0, 100) / 100.0;
  const double y = by + (fy - by) * t, i = bi + (fi - bi) * t, q = bq + (fq - bq) * t;
  return MakeRGB(Clamp255(y + 0.956 * i + 0.620 * q), Clamp255(y - 0.272 * i - 0.647 * q),
                 Clamp255(y - 1.108 * i + 1.705 * q));
}

RGB BlendGrey(RGB fore, RGB back, int percent) {
  auto lum = [](RGB c) { return 0.299 * RedOf(c) + 0.587 * GreenOf(c) + 0.114 * BlueOf(c); };
  const double t = std::clamp(percent, 0, 100) / 100.0;
  const uint8_t g = Clamp255(lum(back) + (lum(fore) - lum(back)) * t);
  return MakeRGB(g, g, g);
}

void FillShading(Surface& surface, const Colors& colors, const ColorTable& table, const Shading& s,
                 const LRect& r) {
  if (r.IsEmpty()) return;
  if (s.pattern == 0 && s.percentage == 0 && s.foreground == 0 && s.background == 0) return;
  const int percent = s.percentage / 100;
  const auto foreEntry = table.Lookup(s.foreground);
  const auto backEntry = table.Lookup(s.background);
  const RGB fore = foreEntry.value_or(colors.GetColor(kRoleAutoText));
  const RGB back = backEntry.value_or(colors.GetColor(kRoleBackground));
  if (s.pattern == 0) {
    const int band = ShadingBand(percent);
    if (band == 0 && !backEntry) return;
    if (surface.IsPrinter()) {
      surface.FillRect(r, BlendYiq(fore, back, percent));
      return;
    }
    if (surface.IsMonochrome()) {
      surface.FillRect(r, BlendGrey(fore, back, percent));
      return;
    }
  }
  const uint8_t* pattern = ShadingPattern(s);
  if (!pattern) return;
  surface.FillPattern(r, pattern, fore, back);
}

}  // namespace textpane
