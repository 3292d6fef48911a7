#include "soltread/lzss.h"

#include <cstring>
#include <memory>

namespace solt {

namespace {

inline unsigned char InitialRingByte(uint64_t position) {
  return (position & (kRingSize - 1)) < kRingStart ? ' ' : 0;
}

// Decodes into buf[n, cap), where buf[i] holds stream byte streamBase + i and
// the bytes before n are the history. Sources before buf[0] (only possible
// while the first 4,096 bytes of a stream are written straight into a
// caller's buffer) come from the initial ring. Returns the new n.
//
// The state lives in locals for the loop: writes through buf could otherwise
// alias it and force a reload per item.
size_t DecodeCore(sLzssState& st, const unsigned char*& inRef, const unsigned char* inEnd, unsigned char* buf,
                  size_t n, size_t cap, uint64_t streamBase) {
  const unsigned char* in = inRef;
  unsigned flags = st.flags;
  unsigned flagCount = st.flagCount;

  auto copySlowly = [&](unsigned distance, unsigned length) {
    for (unsigned i = 0; i < length; ++i, ++n)
      buf[n] = n >= distance ? buf[n - distance] : InitialRingByte(kRingStart + streamBase + n - distance);
  };

  if (st.pendingLength != 0 && n < cap) {
    unsigned take = st.pendingLength < cap - n ? st.pendingLength : static_cast<unsigned>(cap - n);
    copySlowly(st.pendingDistance, take);
    st.pendingLength -= take;
  }

  while (n < cap && st.pendingLength == 0) {
    if (flagCount == 0) {
      if (in == inEnd) break;
      flags = *in++;
      flagCount = 8;
    }
    if (flags & 1) {
      // A run of literals: copy eight bytes at once when both buffers have
      // room, and keep as many as the flag bits say.
      if (inEnd - in >= 8 && cap - n >= 8) {
        unsigned run = static_cast<unsigned>(__builtin_ctz(~flags));
        if (run > flagCount) run = flagCount;
        std::memcpy(buf + n, in, 8);
        n += run;
        in += run;
        flags >>= run;
        flagCount -= run;
        continue;
      }
      if (in == inEnd) break;
      buf[n++] = *in++;
      flags >>= 1;
      --flagCount;
      continue;
    }

    unsigned b0, b1;
    if (st.pendingB0 >= 0) {
      if (in == inEnd) break;
      b0 = static_cast<unsigned>(st.pendingB0);
      b1 = *in++;
      st.pendingB0 = -1;
    } else if (inEnd - in >= 2) {
      b0 = in[0];
      b1 = in[1];
      in += 2;
    } else {
      if (in != inEnd) st.pendingB0 = *in++;
      break;
    }
    flags >>= 1;
    --flagCount;

    const unsigned source = b0 | ((b1 & 0xF0u) << 4);
    const unsigned length = (b1 & 0x0Fu) + kMatchThreshold + 1;
    // The next byte is written at ring position 4078 + its stream index; the
    // source lies `distance` bytes behind it (0 means a whole turn).
    unsigned distance = static_cast<unsigned>((kRingStart + streamBase + n - source) & (kRingSize - 1));
    if (distance == 0) distance = kRingSize;

    if (n >= distance && cap - n >= kMaxMatch) {
      // Copy a fixed 18 bytes (the tail past `length` is overwritten later);
      // an overlapping source repeats itself, so it goes in steps no longer
      // than the distance.
      unsigned char* dst = buf + n;
      const unsigned char* src = dst - distance;
      if (distance >= kMaxMatch) {
        std::memcpy(dst, src, 16);
        std::memcpy(dst + 16, src + 16, 2);
      } else if (distance >= 8) {
        std::memcpy(dst, src, 8);
        std::memcpy(dst + 8, src + 8, 8);
        std::memcpy(dst + 16, src + 16, 2);
      } else {
        for (unsigned i = 0; i < length; ++i) dst[i] = src[i];
      }
      n += length;
    } else {
      unsigned take = length <= cap - n ? length : static_cast<unsigned>(cap - n);
      copySlowly(distance, take);
      if (take < length) {
        st.pendingLength = length - take;
        st.pendingDistance = distance;
      }
    }
  }

  st.flags = flags;
  st.flagCount = flagCount;
  inRef = in;
  return n;
}

}  // namespace

void cLzssDecoder::Reset() {
  m_state = sLzssState();
  // The history before the first byte is the initial ring in stream order:
  // stream index j < 0 sits at ring position (4078 + j) mod 4096.
  m_windowBase = 0 - static_cast<uint64_t>(kRingSize);
  for (size_t i = 0; i < kRingSize; ++i) m_window[i] = InitialRingByte(kRingStart + m_windowBase + i);
  m_windowRead = m_windowEnd = kRingSize;
  m_delivered = 0;
}

size_t cLzssDecoder::Decode(const unsigned char*& in, const unsigned char* inEnd, unsigned char* out,
                            size_t outCap) {
  size_t n = 0;
  while (n < outCap) {
    if (m_windowRead < m_windowEnd) {
      size_t take = m_windowEnd - m_windowRead < outCap - n ? m_windowEnd - m_windowRead : outCap - n;
      std::memcpy(out + n, m_window + m_windowRead, take);
      m_windowRead += take;
      n += take;
      continue;
    }
    if (m_windowEnd == kWindowSize) {
      // Everything is handed out: keep only the history the next references can reach.
      std::memmove(m_window, m_window + kWindowSize - kRingSize, kRingSize);
      m_windowBase += kWindowSize - kRingSize;
      m_windowRead = m_windowEnd = kRingSize;
    }
    size_t before = m_windowEnd;
    m_windowEnd = DecodeCore(m_state, in, inEnd, m_window, m_windowEnd, kWindowSize, m_windowBase);
    if (m_windowEnd == before) break;  // the input is used up
  }
  m_delivered += n;
  return n;
}

bool LzssDecodeExact(const unsigned char* in, size_t inLen, unsigned char* out, size_t outLen) {
  if (outLen > LzssMaxDecodedLength(inLen)) return false;
  sLzssState state;
  const unsigned char* p = in;
  const unsigned char* end = in + inLen;
  if (DecodeCore(state, p, end, out, 0, outLen, 0) != outLen) return false;
  // Anything still to come would make the area longer than recorded.
  unsigned char spare;
  return state.pendingLength == 0 && DecodeCore(state, p, end, &spare, 0, 1, outLen) == 0;
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
