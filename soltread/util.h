// Small helpers shared by the readers.
#pragma once

#include <string>
#include <string_view>

#include "platform/file.h"

namespace solt {

// Decimal value with the C library's atoi rules (leading blanks, a sign,
// leading digits, 0 if none), but wrapping instead of overflowing.
int ParseDecimal(std::string_view text);

// printf into a string of whatever length it needs.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

bool EqualsNoCase(std::string_view a, std::string_view b);

// Orders book text (Windows-1252) ignoring case: both sides folded to lower
// case, accented capitals included, then compared as unsigned bytes. Word
// lists and sync indexes are sorted, and searched, with this.
int CompareNoCase(std::string_view a, std::string_view b);
unsigned char FoldCase(unsigned char c);

// The framework's "generic" file error, raised when an operation needs a file
// that is not open or meets data it cannot use.
[[noreturn]] void ThrowGenericFileError(const std::string& path = {});
[[noreturn]] void ThrowEndOfFile(const std::string& path = {});

}  // namespace solt
