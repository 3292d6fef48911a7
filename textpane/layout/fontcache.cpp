#include "textpane/layout/fontcache.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "textpane/model/charformat.h"
#include "textpane/model/fonttable.h"

namespace textpane {

int32_t CachedFont::Kerning(unsigned char first, unsigned char second) const {
  auto it = std::lower_bound(kerning.begin(), kerning.end(), std::pair{first, second},
                             [](const KerningPair& k, std::pair<unsigned char, unsigned char> key) {
                               return std::pair{k.first, k.second} < key;
                             });
  return it != kerning.end() && it->first == first && it->second == second ? it->amount : 0;
}

std::shared_ptr<FontCache> FontCache::ForScaling(FontSystem& system, int scaling) {
  static std::map<std::pair<FontSystem*, int>, std::weak_ptr<FontCache>> caches;
  auto& slot = caches[{&system, scaling}];
  if (auto cache = slot.lock()) return cache;
  // Drop the entries of caches that have gone, so the table stays small.
  std::erase_if(caches, [](const auto& entry) { return entry.second.expired(); });
  auto cache = std::make_shared<FontCache>(system, scaling);
  caches[{&system, scaling}] = cache;
  return cache;
}

std::shared_ptr<const CachedFont> FontCache::Get(const FontDescription& description) {
  if (m_last >= 0 && m_slots[m_last].font && m_slots[m_last].description == description) {
    m_slots[m_last].stamp = ++m_clock;
    return m_slots[m_last].font;
  }
  int victim = 0;
  for (int i = 0; i < kSlots; ++i) {
    Slot& s = m_slots[i];
    if (s.font && s.description == description) {
      s.stamp = ++m_clock;
      m_last = i;
      return s.font;
    }
    if (s.stamp < m_slots[victim].stamp) victim = i;
  }
  ++m_misses;
  auto made = std::make_shared<CachedFont>();
  made->font = m_system.CreateFont(description, m_scaling);
  FontMetrics metrics;
  if (made->font) m_system.Measure(*made->font, metrics);
  made->lineHeight = std::max(0, metrics.height) + std::max(0, metrics.externalLeading);
  made->ascent = std::clamp(metrics.ascent, 0, made->lineHeight);
  made->outline = metrics.outline;
  std::memcpy(made->widths, metrics.widths, sizeof made->widths);
  for (int16_t& w : made->widths) w = std::max<int16_t>(w, 0);
  // The non-breaking hyphen is drawn as a hyphen; the optional one only
  // marks where a word may be parted and takes no room.
  made->widths[30] = made->widths[static_cast<unsigned char>('-')];
  made->widths[31] = 0;
  if (metrics.outline) {
    // Font systems give kerning in eighths of a logical unit.
    made->kerning.reserve(metrics.kerning.size());
    for (KerningPair k : metrics.kerning) {
      k.amount = static_cast<int16_t>(k.amount / 8);
      if (k.amount) made->kerning.push_back(k);
    }
    std::sort(made->kerning.begin(), made->kerning.end(), [](const KerningPair& a, const KerningPair& b) {
      return std::pair{a.first, a.second} < std::pair{b.first, b.second};
    });
  }
  Slot& s = m_slots[victim];
  s.description = description;
  s.font = std::move(made);
  s.stamp = ++m_clock;
  m_last = victim;
  return s.font;
}

FontDescription FontCache::Describe(const CharFormat& format, const FontTable& fonts, bool smallCapitals) {
  FontDescription d;
  if (const FontEntry* e = fonts.Find(format.font)) {
    d.charSet = e->charSet;
    d.pitchAndFamily = e->pitchAndFamily;
    std::memcpy(d.faceName, e->faceName, sizeof d.faceName);
    d.faceName[sizeof d.faceName - 1] = 0;
    // Whatever follows the name's end must not tell equal fonts apart.
    size_t n = std::strlen(d.faceName);
    std::memset(d.faceName + n, 0, sizeof d.faceName - n);
  } else {
    std::strcpy(d.faceName, "Times New Roman");
    d.pitchAndFamily = 2 | kFamilyRoman << 4;  // variable pitch
  }
  int32_t size = format.size;
  if (format.verticalPosition != kVertNormal) size = size * 65 / 100;
  if (smallCapitals) size = size * 8 / 10;
  d.height = -size;
  d.weight = format.bold ? 700 : 400;
  d.italic = format.italic ? 1 : 0;
  d.underline = format.underline ? 1 : 0;
  d.strikeOut = format.strike ? 1 : 0;
  return d;
}

}  // namespace textpane
