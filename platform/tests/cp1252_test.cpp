#include "platform/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace platform {
namespace {

// Every byte, including the five the code page leaves unassigned, must come
// back unchanged: the dialogs and the clipboard round-trip user text.
TEST(Cp1252, EveryByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::u16string text = Cp1252ToUtf16(all);
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(Utf16ToCp1252(text), all);
}

TEST(Cp1252, Conversions) {
  struct Case {
    unsigned byte;
    char32_t code;
  };
  // The whole remapped block, written out apart from the table it checks,
  // and Latin-1 on either side of it.
  const Case cases[] = {
      {0x7F, 0x007F}, {0x80, 0x20AC}, {0x81, 0x0081}, {0x82, 0x201A}, {0x83, 0x0192}, {0x84, 0x201E},
      {0x85, 0x2026}, {0x86, 0x2020}, {0x87, 0x2021}, {0x88, 0x02C6}, {0x89, 0x2030}, {0x8A, 0x0160},
      {0x8B, 0x2039}, {0x8C, 0x0152}, {0x8D, 0x008D}, {0x8E, 0x017D}, {0x8F, 0x008F}, {0x90, 0x0090},
      {0x91, 0x2018}, {0x92, 0x2019}, {0x93, 0x201C}, {0x94, 0x201D}, {0x95, 0x2022}, {0x96, 0x2013},
      {0x97, 0x2014}, {0x98, 0x02DC}, {0x99, 0x2122}, {0x9A, 0x0161}, {0x9B, 0x203A}, {0x9C, 0x0153},
      {0x9D, 0x009D}, {0x9E, 0x017E}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp1252ToUnicode(static_cast<unsigned char>(c.byte)), c.code) << std::hex << c.byte;
    EXPECT_EQ(UnicodeToCp1252(c.code), static_cast<unsigned char>(c.byte)) << std::hex << c.byte;
  }
}

TEST(Cp1252, UnmappableGivesFallback) {
  struct Case {
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {u"\u0080", "?"},            // a C1 code point whose byte is the euro
      {u"\u0100", "?"},            // just past Latin-1
      {u"\u03B1\u2212", "??"},     // Greek alpha, minus sign
      {u"a\U0001F600b", "a?b"},    // a surrogate pair is one character
      {u"\xD800x", "?x"},          // a lone surrogate
      {u"\u20AC\u2122", "\x80\x99"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf16ToCp1252(c.text), c.bytes);
  EXPECT_EQ(UnicodeToCp1252(0x9E, '#'), '#');
  EXPECT_EQ(UnicodeToCp1252(0x110000), std::nullopt);
}

}  // namespace
}  // namespace platform
