// A compound file is checked whole before libgsf reads it: libgsf trusts the
// allocation tables, and a crafted file could send it round a sector chain
// for ever or past the end of the bytes.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "notesstore/compoundfile.h"
#include "notesstore/notesfile.h"
#include "platform/coding.h"

namespace klmw {
namespace {

using namespace cfb;

constexpr size_t kMaxTreeDepth = 4096;

uint16_t U16(const std::string& b, size_t at) { return platform::DecodeFixed16(b.data() + at); }
uint32_t U32(const std::string& b, size_t at) { return platform::DecodeFixed32(b.data() + at); }

// Follows a chain through table, claiming each link in used (a link claimed
// before, by this chain or another, is damage). Appends the links to out.
bool Follow(uint32_t start, const std::vector<uint32_t>& table, size_t count, std::vector<uint8_t>& used,
            std::vector<uint32_t>& out, std::string& fault, const char* what) {
  for (uint32_t at = start; at != kEnd;) {
    if (at >= count || at >= table.size()) {
      fault = std::string(what) + " runs past the end of the file";
      return false;
    }
    if (used[at]) {
      fault = std::string(what) + " loops or shares a sector";
      return false;
    }
    used[at] = 1;
    out.push_back(at);
    at = table[at];
  }
  return true;
}

}  // namespace

std::string CheckCompoundFile(const std::string& b) {
  if (b.size() < 512 || std::memcmp(b.data(), kSignature, 8) != 0) return "it is not a compound file";
  if (U16(b, 28) != 0xFFFE) return "its header names an unknown byte order";
  const unsigned shift = U16(b, 30);
  if ((shift != 9 && shift != 12) || U16(b, 32) != 6) return "its header gives a bad sector size";
  const size_t ss = size_t{1} << shift;
  if (b.size() < ss) return "it is shorter than its header";
  const size_t sectors = (b.size() - ss + ss - 1) / ss;
  const size_t perSector = ss / 4;
  auto sector = [&](uint32_t i) { return (static_cast<size_t>(i) + 1) * ss; };
  // A sector's words; a last sector cut short reads as free words.
  auto word = [&](uint32_t i, size_t k) {
    const size_t at = sector(i) + 4 * k;
    return at + 4 <= b.size() ? U32(b, at) : kFree;
  };
  if (U32(b, 56) != kMiniCutoff) return "its header gives a bad small-stream limit";

  std::vector<uint8_t> used(sectors, 0);
  // The allocation table's sectors: listed in the header, then in the chain
  // of extra sectors that list more.
  const uint32_t fatCount = U32(b, 44);
  if (fatCount > sectors) return "its allocation table is larger than the file";
  std::vector<uint32_t> fatSectors;
  for (size_t k = 0; k < kHeaderFat && fatSectors.size() < fatCount; ++k) fatSectors.push_back(U32(b, 76 + 4 * k));
  uint32_t extra = U32(b, 68);
  for (uint32_t n = U32(b, 72); fatSectors.size() < fatCount; --n) {
    if (n == 0 || extra >= sectors || used[extra]) return "its list of allocation sectors is damaged";
    used[extra] = 1;
    for (size_t k = 0; k + 1 < perSector && fatSectors.size() < fatCount; ++k) fatSectors.push_back(word(extra, k));
    extra = word(extra, perSector - 1);
  }
  std::vector<uint32_t> fat;
  fat.reserve(fatSectors.size() * perSector);
  for (uint32_t s : fatSectors) {
    if (s >= sectors || used[s]) return "its allocation table lies outside the file";
    used[s] = 1;
    for (size_t k = 0; k < perSector; ++k) fat.push_back(word(s, k));
  }

  std::string fault;
  std::vector<uint32_t> dirSectors;
  if (!Follow(U32(b, 48), fat, sectors, used, dirSectors, fault, "the directory")) return fault;
  if (dirSectors.empty()) return "it has no directory";
  const size_t perDirSector = ss / kEntrySize;
  const size_t entries = dirSectors.size() * perDirSector;
  auto entry = [&](size_t i) { return sector(dirSectors[i / perDirSector]) + (i % perDirSector) * kEntrySize; };
  if (entry(entries - 1) + kEntrySize > b.size()) return "its directory runs past the end of the file";
  auto size = [&](size_t e) -> uint64_t {
    const uint64_t low = U32(b, e + 120);
    return ss == 512 ? low : low | static_cast<uint64_t>(U32(b, e + 124)) << 32;
  };

  const size_t root = entry(0);
  if (b[root + 66] != 5) return "its directory has no root";
  const uint64_t miniBytes = size(root);
  if (miniBytes > kMaxNotesFileBytes) return "its small-stream area is larger than the file";
  std::vector<uint32_t> miniArea;
  if (miniBytes > 0 && !Follow(U32(b, root + 116), fat, sectors, used, miniArea, fault, "the small-stream area"))
    return fault;
  if (miniArea.size() * ss < miniBytes) return "its small-stream area is shorter than its size";
  std::vector<uint32_t> miniFatSectors;
  if (U32(b, 64) > 0 && !Follow(U32(b, 60), fat, sectors, used, miniFatSectors, fault, "the small-stream table"))
    return fault;
  std::vector<uint32_t> miniFat;
  for (uint32_t s : miniFatSectors)
    for (size_t k = 0; k < perSector; ++k) miniFat.push_back(word(s, k));
  const size_t miniSectors = static_cast<size_t>(miniBytes / kMiniSector);
  std::vector<uint8_t> miniUsed(miniSectors, 0);

  // The directory is a tree of siblings and children: every entry reached
  // once at most, streams checked as they are reached.
  std::vector<uint8_t> seen(entries, 0);
  // libgsf reads the tree by recursion, so a deep one is refused; and it
  // sorts each storage's entries into a list one by one, so time grows with
  // the square of their number, which is bounded too.
  struct Pending {
    uint32_t index;
    size_t depth;
    uint32_t parent;
  };
  std::vector<Pending> pending{{0, 0, 0}};
  std::vector<uint32_t> children(entries, 0);
  seen[0] = 1;
  std::vector<uint32_t> chain;
  while (!pending.empty()) {
    const auto [index, depth, parent] = pending.back();
    pending.pop_back();
    if (depth > kMaxTreeDepth) return "its directory is too deep";
    if (index != 0 && ++children[parent] > kMaxNotesPerStorage)
      return "a storage in it holds over " + std::to_string(kMaxNotesPerStorage) + " entries";
    const size_t e = entry(index);
    const bool isRoot = index == 0;
    const unsigned type = static_cast<unsigned char>(b[e + 66]);
    const unsigned nameBytes = U16(b, e + 64);
    if (nameBytes > 64 || nameBytes % 2 != 0) return "its directory holds a bad name";
    if (isRoot ? type != 5 : (type != 1 && type != 2)) return "its directory holds an entry of unknown kind";
    for (size_t link : {68, 72, 76}) {
      const uint32_t next = U32(b, e + link);
      if (next == kFree) continue;
      if (isRoot && link != 76) return "its directory root has siblings";
      if (type == 2 && link == 76) return "a stream in its directory has children";
      if (next >= entries || seen[next]) return "its directory loops";
      seen[next] = 1;
      pending.push_back({next, depth + 1, link == 76 ? index : parent});
    }
    if (type != 2) continue;
    const uint64_t length = size(e);
    if (length > kMaxNoteBytes) return "it holds a stream of " + std::to_string(length) + " bytes, over 64 MB";
    if (length == 0) continue;
    chain.clear();
    if (length < kMiniCutoff) {
      if (!Follow(U32(b, e + 116), miniFat, miniSectors, miniUsed, chain, fault, "a small stream")) return fault;
      if (chain.size() * kMiniSector < length) return "a small stream is shorter than its size";
    } else {
      if (!Follow(U32(b, e + 116), fat, sectors, used, chain, fault, "a stream")) return fault;
      if (chain.size() * ss < length) return "a stream is shorter than its size";
    }
  }
  uint64_t work = 0;
  for (uint64_t count : children) work += count * count;
  if (work > kMaxEntryWork) return "it holds too many entries for its storages";
  return {};
}

}  // namespace klmw
