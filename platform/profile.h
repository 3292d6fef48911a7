// Settings files in the Windows private-profile (INI) format, read and written
// with the same rules the Windows functions follow, so settings written by the
// Windows build and by this one are interchangeable. Text is handled as the
// bytes in the file (Windows-1252); nothing is re-encoded.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The value of key in section, or def when the file, section or key is
// missing. Names match without regard to ASCII case; the first matching
// section and the first matching key in it win. The value loses surrounding
// blanks and one pair of surrounding quotes. bufferSize > 0 truncates the
// result to bufferSize - 1 characters, as a caller's buffer would.
//
// key == nullptr returns the key names of the section and section == nullptr
// the section names, each followed by '\0' (the Windows list form).
std::string GetPrivateProfileString(const char* section, const char* key, const char* def,
                                    const std::string& file, size_t bufferSize = 0);

// The leading integer of the value ("12abc" reads 12, "abc" 0, "0x1F" 31);
// def when the key is missing or its value is empty.
unsigned GetPrivateProfileInt(const char* section, const char* key, int def, const std::string& file);

// Sets key in section to value, creating the file and the section as needed.
// key == nullptr deletes the section, value == nullptr the key. Every other
// line keeps its bytes; the file is replaced atomically, and on any failure
// false is returned with the original untouched.
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const std::string& file);

// Replaces the file's contents with data: the new bytes go to a sibling file
// that is synced and renamed over the old, so a crash leaves the old file or
// the new one, never a torn one. False (the old file untouched) on failure.
bool ReplaceFile(const std::string& path, const std::string& data);

// The "key=value" lines of the section (value trimmed, quotes kept).
std::vector<std::string> GetPrivateProfileSection(const char* section, const std::string& file);

// The section names in file order.
std::vector<std::string> GetPrivateProfileSectionNames(const std::string& file);

}  // namespace platform
