#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "soltread/lzss.h"
#include "testbook.h"

namespace {

using Bytes = std::vector<unsigned char>;


// Decodes a stream in pieces of `chunk` output bytes, feeding the input in
// pieces of `feed` bytes, the way a reader with small buffers would.
std::string DecodeChunked(const std::string& stored, size_t chunk, size_t feed) {
  solt::cLzssDecoder decoder;
  std::string out;
  std::vector<unsigned char> buffer(chunk);
  size_t fed = 0;
  const auto* base = reinterpret_cast<const unsigned char*>(stored.data());
  const unsigned char* in = base;
  for (;;) {
    size_t limit = std::min(stored.size(), fed + feed);
    size_t n = decoder.Decode(in, base + limit, buffer.data(), chunk);
    EXPECT_LE(n, chunk);
    out.append(reinterpret_cast<const char*>(buffer.data()), n);
    if (in == base + limit) fed = limit;
    if (n == 0 && fed == stored.size() && !decoder.HasPendingOutput()) break;
  }
  return out;
}

std::string Decode(const std::string& stored, size_t length, bool* ok = nullptr) {
  std::string out(length, '\0');
  bool good = solt::LzssDecodeExact(reinterpret_cast<const unsigned char*>(stored.data()), stored.size(),
                                    reinterpret_cast<unsigned char*>(out.data()), length);
  if (ok) *ok = good;
  return out;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

TEST(Lzss, RoundTripsWholeAndInChunks) {
  const std::vector<std::pair<const char*, std::string>> inputs = {
      {"empty", ""},
      {"one byte", "x"},
      {"spaces match the initial ring", std::string(5000, ' ')},
      {"one repeated byte", std::string(10000, 'a')},
      {"all byte values", [] {
         std::string s;
         for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
         return s + s + s;
       }()},
      {"random", RandomBytes(20000, 3)},
      {"book text", testbook::SampleText(100000)},
      {"text longer than the ring repeats", testbook::SampleText(3000) + RandomBytes(5000, 9) + testbook::SampleText(3000)},
  };
  for (const auto& [name, input] : inputs) {
    SCOPED_TRACE(name);
    std::string stored = solt::LzssEncode(input);
    bool ok = false;
    EXPECT_EQ(Decode(stored, input.size(), &ok), input);
    EXPECT_TRUE(ok);
    for (size_t chunk : {1, 2, 3, 17, 18, 19, 2048, 4097, 100000})
      for (size_t feed : {1, 3, 4096})
        ASSERT_EQ(DecodeChunked(stored, chunk, feed), input) << "chunk " << chunk << " feed " << feed;
  }
}

TEST(Lzss, HandMadeStreams) {
  struct Case {
    const char* name;
    Bytes stored;
    std::string expected;
  };
  const std::vector<Case> cases = {
      // A reference into positions never written reads the initial spaces.
      {"reference before any write", {0x00, 0x00, 0x0F}, std::string(18, ' ')},
      {"reference at the last space", {0x00, 0xED, 0xF0}, std::string(3, ' ')},
      // 'a' lands at 4078; a reference to 4078 overlaps the bytes it makes.
      {"overlapping reference", {0x01 | 0x00, 'a', 0xEE, 0xFF}, std::string(19, 'a')},
      {"literals only", {0xFF, 'a', 'b', 'c'}, "abc"},
      {"reference cut off after literals", {0x03, 'a', 'b', 0x00}, "ab"},
      {"flag byte with no items", {0xFF, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0xFF}, "abcdefgh"},
      {"lone first byte of a reference", {0x00, 0x05}, ""},
      {"empty", {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string stored(c.stored.begin(), c.stored.end());
    bool ok = false;
    EXPECT_EQ(Decode(stored, c.expected.size(), &ok), c.expected);
    EXPECT_TRUE(ok);
    for (size_t chunk : {1, 2, 5}) EXPECT_EQ(DecodeChunked(stored, chunk, 1), c.expected);
  }
}

TEST(Lzss, ExactLengthIsEnforced) {
  const std::string input = testbook::SampleText(5000);
  const std::string stored = solt::LzssEncode(input);
  struct Case {
    size_t length;
    bool ok;
  };
  for (Case c : {Case{input.size(), true}, Case{input.size() - 1, false}, Case{input.size() + 1, false},
                 Case{0, false}}) {
    bool ok = true;
    Decode(stored, c.length, &ok);
    EXPECT_EQ(ok, c.ok) << c.length;
  }
  // No stream of this size can make that much: refused before decoding.
  std::vector<unsigned char> small(10);
  EXPECT_FALSE(solt::LzssDecodeExact(small.data(), 3, nullptr, 1u << 30));
}

TEST(Lzss, DecoderNeverWritesPastItsBuffer) {
  // Eight 18-byte references make 144 bytes; ask for them 5 at a time with a
  // guard byte after the buffer.
  std::string stored(1, '\0');
  for (int i = 0; i < 8; ++i) stored += std::string("\x00\x0F", 2);
  solt::cLzssDecoder decoder;
  const auto* in = reinterpret_cast<const unsigned char*>(stored.data());
  const auto* end = in + stored.size();
  size_t total = 0;
  unsigned char buffer[6];
  for (;;) {
    buffer[5] = 0xAB;
    size_t n = decoder.Decode(in, end, buffer, 5);
    EXPECT_EQ(buffer[5], 0xAB);
    if (n == 0) break;
    total += n;
  }
  EXPECT_EQ(total, 144u);
}

}  // namespace
