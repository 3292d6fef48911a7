// LZSS as book text is stored: the classic coder with a 4,096-byte ring whose
// first 4,078 positions start as spaces, a flag byte per eight items (least
// significant bit first, 1 = literal) and two-byte references of 3 to 18
// bytes: position = b0 | (b1 & 0xF0) << 4, length = (b1 & 0x0F) + 3.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace solt {

constexpr unsigned kRingSize = 4096;
constexpr unsigned kMaxMatch = 18;
constexpr unsigned kMatchThreshold = 2;  // references are longer than this
constexpr unsigned kRingStart = kRingSize - kMaxMatch;  // 4078

// A decoder that can stop anywhere (in the middle of a flag group or of a
// reference) and carry on with more input or more output space. Output byte j
// of a stream sits at ring position (4078 + j) mod 4096, so a reference is a
// copy from a fixed distance back in the output; the ring only keeps the
// bytes of earlier calls, and bytes of the current call are read straight
// from the caller's buffer.
class cLzssDecoder {
 public:
  cLzssDecoder() { Reset(); }

  // A fresh ring: spaces in 0-4077, zeros above, nothing produced yet.
  void Reset();

  // Decodes from [in, inEnd) into out, at most outCap bytes, advancing in.
  // Stops when out is full or the input is used up; returns bytes produced.
  size_t Decode(const unsigned char*& in, const unsigned char* inEnd, unsigned char* out,
                size_t outCap);

  // Bytes produced since Reset.
  uint64_t GetProduced() const { return m_produced; }
  // True when a reference was cut short by a full output buffer.
  bool HasPendingOutput() const { return m_pendingLength != 0; }

 private:
  unsigned char m_ring[kRingSize];
  uint64_t m_produced = 0;
  unsigned m_flags = 0;       // remaining flag bits, shifted down
  unsigned m_flagCount = 0;   // how many of them are still unused
  int m_pendingB0 = -1;       // first byte of a reference whose second is missing
  unsigned m_pendingLength = 0;
  unsigned m_pendingDistance = 0;
};

// Decodes a whole stream into out[0, outLen). Returns true only when the
// stream produces exactly outLen bytes.
bool LzssDecodeExact(const unsigned char* in, size_t inLen, unsigned char* out, size_t outLen);

// The classic binary-tree encoder; its output decodes with the above.
std::string LzssEncode(const unsigned char* in, size_t len);
inline std::string LzssEncode(const std::string& text) {
  return LzssEncode(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

// No stream of n stored bytes can decode to more than this many bytes
// (a flag byte with eight 18-byte references is 17 bytes for 144).
inline uint64_t LzssMaxDecodedLength(uint64_t storedLength) { return storedLength * 9; }

}  // namespace solt
