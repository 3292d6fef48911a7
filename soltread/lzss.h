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

// The decoding state that must survive between calls: the flag bits still
// unused, the first byte of a reference whose second has not arrived, and
// the rest of a reference cut short by a full output buffer.
struct sLzssState {
  unsigned flags = 0;
  unsigned flagCount = 0;
  int pendingB0 = -1;
  unsigned pendingLength = 0;
  unsigned pendingDistance = 0;
};

// A decoder that can stop anywhere (in the middle of a flag group or of a
// reference) and carry on with more input or more output space.
//
// Output byte j of a stream sits at ring position (4078 + j) mod 4096, so a
// reference is a copy from a fixed distance back in the output. Instead of a
// ring the decoder keeps a linear window: the last 4,096 bytes of history
// followed by up to 32 KB of decoded text, so every copy is a plain forward
// copy; callers are handed the text from the window.
class cLzssDecoder {
 public:
  cLzssDecoder() { Reset(); }

  // Fresh history: spaces at ring positions 0-4077, zeros above, nothing produced.
  void Reset();

  // Decodes from [in, inEnd) into out, at most outCap bytes, advancing in.
  // Stops when out is full or the input is used up; returns bytes produced.
  size_t Decode(const unsigned char*& in, const unsigned char* inEnd, unsigned char* out,
                size_t outCap);

  // Bytes handed out since Reset.
  uint64_t GetProduced() const { return m_delivered; }
  // True when decoded text (or the rest of a cut reference) awaits a caller.
  bool HasPendingOutput() const { return m_windowRead < m_windowEnd || m_state.pendingLength != 0; }

 private:
  static constexpr size_t kWindowSpan = 32768;
  static constexpr size_t kWindowSize = kRingSize + kWindowSpan;

  sLzssState m_state;
  uint64_t m_windowBase = 0;  // stream index of m_window[0] (wraps below zero)
  size_t m_windowRead = 0;    // next byte to hand out
  size_t m_windowEnd = 0;     // one past the last decoded byte
  uint64_t m_delivered = 0;
  unsigned char m_window[kWindowSize];
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
