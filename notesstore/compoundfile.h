// The compound file (OLE structured storage) as the notes file uses it:
// 512-byte sectors chained through an allocation table, streams under 4,096
// bytes kept in 64-byte sectors of a small-stream area, and a directory of
// 128-byte entries linked into a tree per storage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace klmw::cfb {

inline constexpr uint32_t kFree = 0xFFFFFFFF;  // also "no entry" in the directory
inline constexpr uint32_t kEnd = 0xFFFFFFFE;
inline constexpr uint32_t kFatSector = 0xFFFFFFFD;
inline constexpr uint32_t kDifatSector = 0xFFFFFFFC;
inline constexpr size_t kHeaderFat = 109;  // allocation sectors listed in the header
inline constexpr size_t kEntrySize = 128;
inline constexpr size_t kMiniCutoff = 4096;
inline constexpr size_t kMiniSector = 64;
inline constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Writes a compound file of storages (by name) of streams (by name).
std::string WriteCompoundFile(const std::map<std::string, std::map<std::string, std::string>>& storages);

}  // namespace klmw::cfb
