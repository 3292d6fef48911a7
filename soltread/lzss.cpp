#include "soltread/lzss.h"

#include <cstring>
#include <memory>

namespace solt {

void cLzssDecoder::Reset() {
  std::memset(m_ring, ' ', kRingStart);
  std::memset(m_ring + kRingStart, 0, kRingSize - kRingStart);
  m_produced = 0;
  m_flags = 0;
  m_flagCount = 0;
  m_pendingB0 = -1;
  m_pendingLength = 0;
  m_pendingDistance = 0;
}

size_t cLzssDecoder::Decode(const unsigned char*& in, const unsigned char* inEnd, unsigned char* out,
                            size_t outCap) {
  const uint64_t base = m_produced;  // stream index of out[0]
  size_t n = 0;

  // Copies `length` bytes of a reference `distance` back into out[n...].
  // Sources before this call's first byte come from the ring.
  auto copyReference = [&](unsigned distance, unsigned length) {
    if (n >= distance) {
      const unsigned char* src = out + n - distance;
      unsigned char* dst = out + n;
      if (distance >= length) {
        std::memcpy(dst, src, length);
      } else {
        for (unsigned i = 0; i < length; ++i) dst[i] = src[i];
      }
    } else {
      for (unsigned i = 0; i < length; ++i) {
        uint64_t j = base + n + i;  // stream index being produced
        // Stream index of the source byte; below `base` it lives in the ring.
        // (j - distance may be "negative": the ring's initial contents.)
        if (n + i >= distance) {
          out[n + i] = out[n + i - distance];
        } else {
          out[n + i] = m_ring[(kRingStart + j - distance) & (kRingSize - 1)];
        }
      }
    }
    n += length;
  };

  if (m_pendingLength != 0 && outCap > 0) {
    unsigned take = m_pendingLength < outCap ? m_pendingLength : static_cast<unsigned>(outCap);
    copyReference(m_pendingDistance, take);
    m_pendingLength -= take;
  }

  while (n < outCap && m_pendingLength == 0) {
    if (m_flagCount == 0) {
      if (in == inEnd) break;
      m_flags = *in++;
      m_flagCount = 8;
      // A whole group of eight literals: one copy.
      if (m_flags == 0xFF && inEnd - in >= 8 && outCap - n >= 8) {
        std::memcpy(out + n, in, 8);
        in += 8;
        n += 8;
        m_flagCount = 0;
        continue;
      }
    }
    if (m_flags & 1) {
      if (in == inEnd) break;
      out[n++] = *in++;
    } else {
      unsigned b0, b1;
      if (m_pendingB0 >= 0) {
        if (in == inEnd) break;
        b0 = static_cast<unsigned>(m_pendingB0);
        b1 = *in++;
        m_pendingB0 = -1;
      } else {
        if (inEnd - in < 2) {
          if (in != inEnd) m_pendingB0 = *in++;
          break;
        }
        b0 = in[0];
        b1 = in[1];
        in += 2;
      }
      unsigned source = b0 | ((b1 & 0xF0u) << 4);
      unsigned length = (b1 & 0x0Fu) + kMatchThreshold + 1;
      // The write position of the next byte is (4078 + produced); the source
      // is this many bytes behind it (a distance of 0 means a full turn).
      unsigned distance =
          static_cast<unsigned>((kRingStart + base + n - source) & (kRingSize - 1));
      if (distance == 0) distance = kRingSize;
      size_t room = outCap - n;
      unsigned take = length <= room ? length : static_cast<unsigned>(room);
      copyReference(distance, take);
      if (take < length) {
        m_pendingLength = length - take;
        m_pendingDistance = distance;
      }
    }
    m_flags >>= 1;
    --m_flagCount;
  }

  // Keep the last 4,096 bytes of this call in the ring for the next one.
  if (n > 0) {
    size_t keep = n < kRingSize ? n : kRingSize;
    uint64_t first = base + n - keep;
    size_t pos = static_cast<size_t>((kRingStart + first) & (kRingSize - 1));
    const unsigned char* src = out + (n - keep);
    size_t part = kRingSize - pos < keep ? kRingSize - pos : keep;
    std::memcpy(m_ring + pos, src, part);
    std::memcpy(m_ring, src + part, keep - part);
  }
  m_produced += n;
  return n;
}

bool LzssDecodeExact(const unsigned char* in, size_t inLen, unsigned char* out, size_t outLen) {
  if (inLen > 0 && outLen > LzssMaxDecodedLength(inLen)) return false;
  if (inLen == 0) return outLen == 0;
  cLzssDecoder decoder;
  const unsigned char* p = in;
  const unsigned char* end = in + inLen;
  if (decoder.Decode(p, end, out, outLen) != outLen) return false;
  // Anything still to come would make the area longer than recorded.
  unsigned char spare;
  return !decoder.HasPendingOutput() && decoder.Decode(p, end, &spare, 1) == 0;
}

// The encoder keeps, for every ring position, the string starting there in a
// binary search tree (one tree per first byte), so the longest match is found
// by walking down one tree while inserting the new position.
namespace {

class cLzssEncoder {
 public:
  std::string Encode(const unsigned char* in, size_t len);

 private:
  static constexpr int N = kRingSize;
  static constexpr int F = kMaxMatch;
  static constexpr int NIL = N;

  void InitTree();
  void InsertNode(int r);
  void DeleteNode(int p);

  unsigned char m_text[N + F - 1] = {};
  int m_lson[N + 1] = {};
  int m_rson[N + 257] = {};
  int m_dad[N + 1] = {};
  int m_matchPosition = 0;
  int m_matchLength = 0;
};

void cLzssEncoder::InitTree() {
  for (int i = N + 1; i <= N + 256; i++) m_rson[i] = NIL;
  for (int i = 0; i < N; i++) m_dad[i] = NIL;
}

void cLzssEncoder::InsertNode(int r) {
  int cmp = 1;
  const unsigned char* key = &m_text[r];
  int p = N + 1 + key[0];
  m_rson[r] = m_lson[r] = NIL;
  m_matchLength = 0;
  for (;;) {
    if (cmp >= 0) {
      if (m_rson[p] != NIL) {
        p = m_rson[p];
      } else {
        m_rson[p] = r;
        m_dad[r] = p;
        return;
      }
    } else {
      if (m_lson[p] != NIL) {
        p = m_lson[p];
      } else {
        m_lson[p] = r;
        m_dad[r] = p;
        return;
      }
    }
    int i;
    for (i = 1; i < F; i++) {
      if ((cmp = key[i] - m_text[p + i]) != 0) break;
    }
    if (i > m_matchLength) {
      m_matchPosition = p;
      if ((m_matchLength = i) >= F) break;
    }
  }
  // A full-length match: r takes p's place in the tree.
  m_dad[r] = m_dad[p];
  m_lson[r] = m_lson[p];
  m_rson[r] = m_rson[p];
  m_dad[m_lson[p]] = r;
  m_dad[m_rson[p]] = r;
  if (m_rson[m_dad[p]] == p)
    m_rson[m_dad[p]] = r;
  else
    m_lson[m_dad[p]] = r;
  m_dad[p] = NIL;
}

void cLzssEncoder::DeleteNode(int p) {
  if (m_dad[p] == NIL) return;
  int q;
  if (m_rson[p] == NIL) {
    q = m_lson[p];
  } else if (m_lson[p] == NIL) {
    q = m_rson[p];
  } else {
    q = m_lson[p];
    if (m_rson[q] != NIL) {
      do {
        q = m_rson[q];
      } while (m_rson[q] != NIL);
      m_rson[m_dad[q]] = m_lson[q];
      m_dad[m_lson[q]] = m_dad[q];
      m_lson[q] = m_lson[p];
      m_dad[m_lson[p]] = q;
    }
    m_rson[q] = m_rson[p];
    m_dad[m_rson[p]] = q;
  }
  m_dad[q] = m_dad[p];
  if (m_rson[m_dad[p]] == p)
    m_rson[m_dad[p]] = q;
  else
    m_lson[m_dad[p]] = q;
  m_dad[p] = NIL;
}

std::string cLzssEncoder::Encode(const unsigned char* in, size_t inLen) {
  std::string out;
  out.reserve(inLen / 2 + 16);
  size_t inPos = 0;
  auto getc = [&]() -> int { return inPos < inLen ? in[inPos++] : -1; };

  InitTree();
  unsigned char code[17];
  code[0] = 0;
  int codePtr = 1;
  unsigned char mask = 1;
  int s = 0;
  int r = N - F;
  for (int i = s; i < r; i++) m_text[i] = ' ';
  int len;
  int c;
  for (len = 0; len < F && (c = getc()) != -1; len++) m_text[r + len] = static_cast<unsigned char>(c);
  if (len == 0) return out;
  for (int i = 1; i <= F; i++) InsertNode(r - i);
  InsertNode(r);
  do {
    if (m_matchLength > len) m_matchLength = len;
    if (m_matchLength <= static_cast<int>(kMatchThreshold)) {
      m_matchLength = 1;
      code[0] |= mask;
      code[codePtr++] = m_text[r];
    } else {
      code[codePtr++] = static_cast<unsigned char>(m_matchPosition);
      code[codePtr++] = static_cast<unsigned char>(((m_matchPosition >> 4) & 0xF0) |
                                                   (m_matchLength - (kMatchThreshold + 1)));
    }
    if ((mask = static_cast<unsigned char>(mask << 1)) == 0) {
      out.append(reinterpret_cast<const char*>(code), codePtr);
      code[0] = 0;
      codePtr = 1;
      mask = 1;
    }
    int lastMatchLength = m_matchLength;
    int i;
    for (i = 0; i < lastMatchLength && (c = getc()) != -1; i++) {
      DeleteNode(s);
      m_text[s] = static_cast<unsigned char>(c);
      // The first F-1 positions are mirrored past the end so that string
      // comparisons never have to wrap.
      if (s < F - 1) m_text[s + N] = static_cast<unsigned char>(c);
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      InsertNode(r);
    }
    while (i++ < lastMatchLength) {
      DeleteNode(s);
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      if (--len) InsertNode(r);
    }
  } while (len > 0);
  if (codePtr > 1) out.append(reinterpret_cast<const char*>(code), codePtr);
  return out;
}

}  // namespace

std::string LzssEncode(const unsigned char* in, size_t len) {
  // About 50 KB of trees: on the heap, not the stack.
  auto encoder = std::make_unique<cLzssEncoder>();
  return encoder->Encode(in, len);
}

}  // namespace solt
