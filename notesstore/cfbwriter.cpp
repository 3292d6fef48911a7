// The notes file is written here rather than with libgsf's writer: that one
// takes time growing with the square of the notes in a storage (most of a
// second at 10,000 notes) and links the entries of a storage in one long
// list, which its own reader then follows by recursion. This writer lays the
// file out in one pass and gives each storage a balanced tree. libgsf reads
// what it writes (see the round-trip tests).
#include <glib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "notesstore/compoundfile.h"
#include "platform/coding.h"

namespace klmw::cfb {
namespace {

constexpr uint32_t kNone = kFree;
constexpr size_t kSector = 512;
constexpr size_t kPerSector = kSector / 4;
constexpr size_t kMini = kMiniSector;
constexpr size_t kCutoff = kMiniCutoff;

void Put32(std::string& b, size_t at, uint32_t v) { platform::EncodeFixed32(b.data() + at, v); }
void Put16(std::string& b, size_t at, uint16_t v) { platform::EncodeFixed16(b.data() + at, v); }

struct DirEntry {
  std::u16string name;
  uint8_t type = 0;  // 1 storage, 2 stream, 5 root
  uint8_t colour = 1;
  uint32_t left = kNone, right = kNone, child = kNone;
  uint32_t start = kEnd;
  uint64_t size = 0;
};

std::u16string Utf16(const std::string& utf8) {
  std::u16string out;
  glong written = 0;
  gunichar2* wide = g_utf8_to_utf16(utf8.c_str(), static_cast<glong>(utf8.size()), nullptr, &written, nullptr);
  if (wide) out.assign(reinterpret_cast<const char16_t*>(wide), static_cast<size_t>(written));
  g_free(wide);
  return out;
}

// The order of siblings: shorter names first, then by upper-case letters.
bool Before(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return a.size() < b.size();
  for (size_t i = 0; i < a.size(); ++i) {
    auto up = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
    if (up(a[i]) != up(b[i])) return up(a[i]) < up(b[i]);
  }
  return false;
}

// Links the sorted entries ids[lo, hi) into a balanced tree and returns its
// root; nodes on the one level that is not full are red, the rest black.
uint32_t Balance(std::vector<DirEntry>& dir, const std::vector<uint32_t>& ids, size_t lo, size_t hi, int depth,
                 int redDepth) {
  if (lo >= hi) return kNone;
  const size_t mid = lo + (hi - lo) / 2;
  DirEntry& e = dir[ids[mid]];
  e.colour = depth == redDepth ? 0 : 1;
  e.left = Balance(dir, ids, lo, mid, depth + 1, redDepth);
  dir[ids[mid]].right = Balance(dir, ids, mid + 1, hi, depth + 1, redDepth);
  return ids[mid];
}

uint32_t Tree(std::vector<DirEntry>& dir, std::vector<uint32_t> ids) {
  std::sort(ids.begin(), ids.end(), [&](uint32_t a, uint32_t b) { return Before(dir[a].name, dir[b].name); });
  int levels = 0;
  while ((size_t{1} << levels) - 1 < ids.size()) ++levels;
  const bool full = (size_t{1} << levels) - 1 == ids.size();
  return Balance(dir, ids, 0, ids.size(), 0, full ? -1 : levels - 1);
}

size_t Sectors(size_t bytes, size_t unit) { return (bytes + unit - 1) / unit; }

}  // namespace

std::string WriteCompoundFile(const std::map<std::string, std::map<std::string, std::string>>& storages) {
  // The directory and where each stream's bytes go.
  std::vector<DirEntry> dir(1);
  dir[0].name = u"Root Entry";
  dir[0].type = 5;
  struct Placed {
    const std::string* bytes;
    uint32_t entry;
  };
  std::vector<Placed> big, small;
  std::vector<uint32_t> top;
  for (const auto& [storageName, notes] : storages) {
    const uint32_t s = static_cast<uint32_t>(dir.size());
    dir.push_back({Utf16(storageName), 1});
    top.push_back(s);
    std::vector<uint32_t> children;
    for (const auto& [streamName, bytes] : notes) {
      const uint32_t id = static_cast<uint32_t>(dir.size());
      dir.push_back({Utf16(streamName), 2});
      dir.back().size = bytes.size();
      children.push_back(id);
      if (bytes.size() >= kCutoff) {
        big.push_back({&bytes, id});
      } else if (!bytes.empty()) {
        small.push_back({&bytes, id});
      }
    }
    dir[s].child = Tree(dir, std::move(children));
  }
  dir[0].child = Tree(dir, std::move(top));

  // Sectors in file order: large streams, the small-stream area, its table,
  // the directory, then the allocation table and its extension.
  size_t next = 0;
  for (const Placed& p : big) {
    dir[p.entry].start = static_cast<uint32_t>(next);
    next += Sectors(p.bytes->size(), kSector);
  }
  size_t miniCount = 0;
  for (const Placed& p : small) {
    dir[p.entry].start = static_cast<uint32_t>(miniCount);
    miniCount += Sectors(p.bytes->size(), kMini);
  }
  const size_t miniAreaStart = next;
  const size_t miniAreaSectors = Sectors(miniCount * kMini, kSector);
  next += miniAreaSectors;
  const size_t miniFatStart = next;
  const size_t miniFatSectors = Sectors(miniCount, kPerSector);
  next += miniFatSectors;
  const size_t dirStart = next;
  const size_t dirSectors = Sectors(dir.size(), kSector / 128);
  next += dirSectors;
  size_t fatSectors = 1, difatSectors = 0;
  for (;;) {
    difatSectors = fatSectors > kHeaderFat ? Sectors(fatSectors - kHeaderFat, kPerSector - 1) : 0;
    if (next + fatSectors + difatSectors <= fatSectors * kPerSector) break;
    ++fatSectors;
  }
  const size_t fatStart = next;
  const size_t difatStart = fatStart + fatSectors;
  const size_t total = difatStart + difatSectors;
  if (miniAreaSectors > 0) {
    dir[0].start = static_cast<uint32_t>(miniAreaStart);
    dir[0].size = miniCount * kMini;
  }

  std::string out((total + 1) * kSector, '\0');
  auto at = [](size_t sector) { return (sector + 1) * kSector; };
  std::vector<uint32_t> fat(fatSectors * kPerSector, kFree);
  auto chain = [&](std::vector<uint32_t>& table, size_t first, size_t count) {
    for (size_t i = 0; i < count; ++i) table[first + i] = i + 1 < count ? static_cast<uint32_t>(first + i + 1) : kEnd;
  };
  for (const Placed& p : big) {
    std::memcpy(&out[at(dir[p.entry].start)], p.bytes->data(), p.bytes->size());
    chain(fat, dir[p.entry].start, Sectors(p.bytes->size(), kSector));
  }
  chain(fat, miniAreaStart, miniAreaSectors);
  chain(fat, miniFatStart, miniFatSectors);
  chain(fat, dirStart, dirSectors);
  for (size_t i = 0; i < fatSectors; ++i) fat[fatStart + i] = kFatSector;
  for (size_t i = 0; i < difatSectors; ++i) fat[difatStart + i] = kDifatSector;

  std::vector<uint32_t> miniFat(miniFatSectors * kPerSector, kFree);
  for (const Placed& p : small) {
    std::memcpy(&out[at(miniAreaStart) + dir[p.entry].start * kMini], p.bytes->data(), p.bytes->size());
    chain(miniFat, dir[p.entry].start, Sectors(p.bytes->size(), kMini));
  }
  for (size_t i = 0; i < miniFat.size(); ++i) Put32(out, at(miniFatStart) + 4 * i, miniFat[i]);
  for (size_t i = 0; i < fat.size(); ++i) Put32(out, at(fatStart) + 4 * i, fat[i]);

  for (size_t i = 0; i < dirSectors * (kSector / 128); ++i) {
    const size_t e = at(dirStart) + i * 128;
    if (i >= dir.size()) {
      Put32(out, e + 68, kNone);
      Put32(out, e + 72, kNone);
      Put32(out, e + 76, kNone);
      continue;
    }
    const DirEntry& d = dir[i];
    const size_t chars = std::min<size_t>(d.name.size(), 31);
    for (size_t c = 0; c < chars; ++c) Put16(out, e + 2 * c, static_cast<uint16_t>(d.name[c]));
    Put16(out, e + 64, static_cast<uint16_t>(2 * (chars + 1)));
    out[e + 66] = static_cast<char>(d.type);
    out[e + 67] = static_cast<char>(d.colour);
    Put32(out, e + 68, d.left);
    Put32(out, e + 72, d.right);
    Put32(out, e + 76, d.child);
    Put32(out, e + 116, d.type == 1 ? 0 : d.start);
    Put32(out, e + 120, static_cast<uint32_t>(d.size));
  }

  // The header, with the first 109 allocation sectors; the rest are listed
  // in the extension's chain.
  std::memcpy(out.data(), kSignature, 8);
  Put16(out, 24, 0x3E);
  Put16(out, 26, 3);
  Put16(out, 28, 0xFFFE);
  Put16(out, 30, 9);
  Put16(out, 32, 6);
  Put32(out, 44, static_cast<uint32_t>(fatSectors));
  Put32(out, 48, static_cast<uint32_t>(dirStart));
  Put32(out, 56, static_cast<uint32_t>(kCutoff));
  Put32(out, 60, miniFatSectors ? static_cast<uint32_t>(miniFatStart) : kEnd);
  Put32(out, 64, static_cast<uint32_t>(miniFatSectors));
  Put32(out, 68, difatSectors ? static_cast<uint32_t>(difatStart) : kEnd);
  Put32(out, 72, static_cast<uint32_t>(difatSectors));
  for (size_t i = 0; i < kHeaderFat; ++i)
    Put32(out, 76 + 4 * i, i < fatSectors ? static_cast<uint32_t>(fatStart + i) : kFree);
  for (size_t d = 0; d < difatSectors; ++d) {
    const size_t base = at(difatStart + d);
    for (size_t k = 0; k + 1 < kPerSector; ++k) {
      const size_t f = kHeaderFat + d * (kPerSector - 1) + k;
      Put32(out, base + 4 * k, f < fatSectors ? static_cast<uint32_t>(fatStart + f) : kFree);
    }
    Put32(out, base + 4 * (kPerSector - 1), d + 1 < difatSectors ? static_cast<uint32_t>(difatStart + d + 1) : kEnd);
  }
  return out;
}

}  // namespace klmw::cfb
