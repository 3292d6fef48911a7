// The settings file: KLMW.INI in the program directory (platform/home.h), the
// same file the bookcase program writes. Everything the program keeps between
// runs goes through the private-profile functions on this one path.
#pragma once

#include <string>

namespace klmw {

inline constexpr const char* kSettingsFileName = "KLMW.INI";

// The program directory followed by "KLMW.INI".
std::string GetSettingsPath();

// A key read as a signed integer (the profile functions hand back unsigned):
// "-3" reads -3, garbage 0, a missing or empty key def.
int ReadProfileInt(const char* section, const char* key, int def, const std::string& settingsPath);

// [BookShelf] Value, the current bookshelf number (default 0). Negative
// numbers read as 0, so a damaged value cannot name a section "BookShelf-1".
int ReadCurrentBookshelf(const std::string& settingsPath);
bool WriteCurrentBookshelf(const std::string& settingsPath, int bookshelf);

// [Options] Sync, the window synchronisation switch (default 0, written "%d").
int ReadSyncOption(const std::string& settingsPath);
bool WriteSyncOption(const std::string& settingsPath, int sync);

// [options] tree_dimentions, "%d,%d": the docked tree bar's width and height.
// Read gives false when the key is absent or does not hold two numbers;
// Write stores the width as at least 30.
bool ReadTreeDimensions(const std::string& settingsPath, int& width, int& height);
bool WriteTreeDimensions(const std::string& settingsPath, int width, int height);

// [SEARCH] Location, "%d, %d": where the Hits window was last closed
// (default 0, 0; a value that does not hold two numbers reads as the default).
void ReadSearchLocation(const std::string& settingsPath, int& x, int& y);
bool WriteSearchLocation(const std::string& settingsPath, int x, int y);

}  // namespace klmw
