// Little-endian integers in byte buffers. Every binary reader and writer goes
// through these; nothing casts a struct over file bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace platform {

inline uint16_t DecodeFixed16(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

inline uint32_t DecodeFixed32(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

inline int16_t DecodeSigned16(const void* p) { return static_cast<int16_t>(DecodeFixed16(p)); }
inline int32_t DecodeSigned32(const void* p) { return static_cast<int32_t>(DecodeFixed32(p)); }

inline void EncodeFixed16(void* p, uint16_t v) {
  auto* b = static_cast<unsigned char*>(p);
  b[0] = static_cast<unsigned char>(v);
  b[1] = static_cast<unsigned char>(v >> 8);
}

inline void EncodeFixed32(void* p, uint32_t v) {
  auto* b = static_cast<unsigned char*>(p);
  b[0] = static_cast<unsigned char>(v);
  b[1] = static_cast<unsigned char>(v >> 8);
  b[2] = static_cast<unsigned char>(v >> 16);
  b[3] = static_cast<unsigned char>(v >> 24);
}

inline void PutFixed16(std::string& out, uint16_t v) {
  char b[2];
  EncodeFixed16(b, v);
  out.append(b, 2);
}

inline void PutFixed32(std::string& out, uint32_t v) {
  char b[4];
  EncodeFixed32(b, v);
  out.append(b, 4);
}

}  // namespace platform
