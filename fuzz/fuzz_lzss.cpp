// The LZSS decoders against arbitrary bytes, and the encoder against itself.
//
// Input: 4 bytes (little-endian) that choose the expected decoded length and
// the chunk sizes, then the stored stream.
//
// What must hold for any stream:
//  - cLzssDecoder::Decode never writes past the room it is given, and a call
//    that makes nothing has used up the input;
//  - cutting the output into chunks of any size changes nothing: the chunked
//    output is what a plain byte-at-a-time ring decoder makes of the stream,
//    and LzssDecodeExact accepts exactly that length and those bytes;
//  - LzssEncode output, never more than 9/8 of the input, decodes back to it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "soltread/lzss.h"

namespace {

constexpr size_t kMaxOutput = 1u << 20;
constexpr size_t kMaxChunk = 4096;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_lzss: %s\n", what);
    std::abort();
  }
}

uint32_t Le32(const uint8_t* p) {
  return p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Chunk sizes from 1 to 4,096; a third of them tiny, because a small chunk is
// what cuts a flag group or a reference in two, and some exactly the ring's
// size, the largest stretch the decoder has to carry over between calls.
class cChunkSizes {
 public:
  explicit cChunkSizes(uint32_t seed) : m_state(seed | 1) {}
  size_t Next() {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    if (m_state % 3 == 0) return 1 + (m_state >> 8) % 20;
    if (m_state % 8 == 1) return kMaxChunk;
    return 1 + (m_state >> 8) % kMaxChunk;
  }

 private:
  uint32_t m_state;
};

// The whole stream through the streaming decoder, a chunk at a time.
std::vector<uint8_t> DecodeInChunks(const uint8_t* in, size_t len, uint32_t seed) {
  solt::cLzssDecoder decoder;
  // Each chunk sits flush against the end of its own allocation, so a write
  // past the room given trips the address sanitizer, not just the count check.
  std::unique_ptr<uint8_t[]> room(new uint8_t[kMaxChunk]);
  std::vector<uint8_t> out;
  cChunkSizes sizes(seed);
  const uint8_t* p = in;
  const uint8_t* end = in + len;
  for (;;) {
    const size_t cap = sizes.Next();
    uint8_t* chunk = room.get() + kMaxChunk - cap;
    const uint8_t* before = p;
    const size_t n = decoder.Decode(p, end, chunk, cap);
    Check(n <= cap, "Decode produced more than it was given room for");
    Check(p >= before && p <= end, "Decode moved the input outside its range");
    out.insert(out.end(), chunk, chunk + n);
    Check(decoder.GetProduced() == out.size(), "GetProduced disagrees with the bytes produced");
    Check(out.size() <= solt::LzssMaxDecodedLength(len), "a stream decoded to more than its bound");
    if (n == 0) {
      Check(p == end, "Decode made nothing although input was left");
      Check(!decoder.HasPendingOutput(), "Decode made nothing although a reference was pending");
      break;
    }
  }
  return out;
}

// The format as first written down: one byte at a time through a 4,096-byte
// ring that starts as 4,078 spaces, writing from position 4,078. Whatever the
// library does to go faster has to come out the same as this.
std::vector<uint8_t> DecodeByRing(const uint8_t* in, size_t len) {
  uint8_t ring[4096];
  std::memset(ring, ' ', 4078);
  std::memset(ring + 4078, 0, 4096 - 4078);
  unsigned r = 4078;
  unsigned flags = 0;
  const uint8_t* end = in + len;
  std::vector<uint8_t> out;
  auto put = [&](uint8_t c) {
    out.push_back(c);
    ring[r] = c;
    r = (r + 1) & 4095;
  };
  for (;;) {
    flags >>= 1;
    if ((flags & 0x100) == 0) {
      if (in == end) break;
      flags = *in++ | 0xFF00u;
    }
    if (flags & 1) {
      if (in == end) break;
      put(*in++);
    } else {
      if (end - in < 2) break;
      unsigned pos = in[0] | ((in[1] & 0xF0u) << 4);
      unsigned n = (in[1] & 0x0Fu) + 3;
      in += 2;
      for (unsigned i = 0; i < n; ++i) put(ring[(pos + i) & 4095]);
    }
  }
  return out;
}

// LzssDecodeExact into a buffer of exactly `len` bytes (an overrun is caught).
bool DecodeExact(const uint8_t* in, size_t inLen, size_t len, std::vector<uint8_t>* result) {
  std::unique_ptr<uint8_t[]> out(new uint8_t[len]);
  bool ok = solt::LzssDecodeExact(in, inLen, out.get(), len);
  if (result) result->assign(out.get(), out.get() + len);
  return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Round trip first: it wants every input, short or not.
  {
    const std::string stored = solt::LzssEncode(data, size);
    Check(stored.size() <= size + (size + 7) / 8, "LzssEncode expanded its input by more than a flag byte in eight");
    const auto* s = reinterpret_cast<const uint8_t*>(stored.data());
    std::vector<uint8_t> back;
    Check(DecodeExact(s, stored.size(), size, &back), "LzssEncode output does not decode to the input's length");
    Check(size == 0 || std::memcmp(back.data(), data, size) == 0, "LzssEncode output does not decode to the input");
    std::vector<uint8_t> chunked = DecodeInChunks(s, stored.size(), static_cast<uint32_t>(size));
    Check(chunked == back, "LzssEncode output decodes differently in chunks");
    Check(DecodeByRing(s, stored.size()) == back, "LzssEncode output means something else to the plain ring decoder");
  }

  if (size < 4) return 0;
  const uint32_t head = Le32(data);
  const uint8_t* in = data + 4;
  const size_t inLen = size - 4;

  // Mostly a length the stream could plausibly have; now and then any length.
  size_t want = (head & 0x80000000u) ? (head & 0x7FFFFFFFu) % (kMaxOutput + 1)
                                     : head % (solt::LzssMaxDecodedLength(inLen) + 2);
  if (want > kMaxOutput) want = kMaxOutput;

  std::vector<uint8_t> whole;
  const bool wholeOk = DecodeExact(in, inLen, want, &whole);
  const std::vector<uint8_t> chunked = DecodeInChunks(in, inLen, head ^ static_cast<uint32_t>(size));

  Check(chunked == DecodeByRing(in, inLen), "the decoder differs from the plain ring decoder");

  // The stream has one length, and only that length is accepted.
  Check(wholeOk == (chunked.size() == want), "LzssDecodeExact disagrees with the stream's length");
  if (wholeOk) Check(whole == chunked, "whole and chunked decoding differ");
  if (chunked.size() <= kMaxOutput) {
    std::vector<uint8_t> exact;
    Check(DecodeExact(in, inLen, chunked.size(), &exact), "LzssDecodeExact rejects the stream's own length");
    Check(exact == chunked, "whole and chunked decoding differ");
    Check(!DecodeExact(in, inLen, chunked.size() + 1, nullptr), "LzssDecodeExact accepts one byte too many");
    if (!chunked.empty())
      Check(!DecodeExact(in, inLen, chunked.size() - 1, nullptr), "LzssDecodeExact accepts one byte too few");
  }
  return 0;
}
