// Windows-1252, the code page of every byte of text the program keeps, and
// Unicode, which the toolkit, the clipboard and UTF-8 sources speak. This is
// the one table for the whole program; nothing else spells it out.
//
// The five bytes the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) stand for the C1 control code points of the same number, both ways,
// as Windows' own conversion does. So every byte survives a trip through
// Unicode and back, whatever a file holds.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The code point of a byte.
char32_t Cp1252ToUnicode(unsigned char byte);

// The byte of a code point, or nothing where the code page has none.
std::optional<unsigned char> UnicodeToCp1252(char32_t code);
// The same with a stand-in for characters the code page lacks.
inline char UnicodeToCp1252(char32_t code, char fallback) {
  const auto byte = UnicodeToCp1252(code);
  return byte ? static_cast<char>(*byte) : fallback;
}

std::u16string Cp1252ToUtf16(std::string_view bytes);
// A character the code page lacks becomes one fallback byte; so does a
// surrogate pair, and so does a lone surrogate.
std::string Utf16ToCp1252(std::u16string_view text, char fallback = '?');

}  // namespace platform
