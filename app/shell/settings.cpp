#include "app/shell/settings.h"

#include <cstdio>

#include "platform/home.h"
#include "platform/profile.h"

namespace klmw {

std::string GetSettingsPath() { return platform::GetProgramDir() + kSettingsFileName; }

int ReadProfileInt(const char* section, const char* key, int def, const std::string& settingsPath) {
  return static_cast<int>(platform::GetPrivateProfileInt(section, key, def, settingsPath));
}

int ReadCurrentBookshelf(const std::string& settingsPath) {
  int n = ReadProfileInt("BookShelf", "Value", 0, settingsPath);
  return n < 0 ? 0 : n;
}

bool WriteCurrentBookshelf(const std::string& settingsPath, int bookshelf) {
  return platform::WritePrivateProfileString("BookShelf", "Value", std::to_string(bookshelf).c_str(), settingsPath);
}

int ReadSyncOption(const std::string& settingsPath) { return ReadProfileInt("Options", "Sync", 0, settingsPath); }

bool WriteSyncOption(const std::string& settingsPath, int sync) {
  return platform::WritePrivateProfileString("Options", "Sync", std::to_string(sync).c_str(), settingsPath);
}

bool ReadTreeDimensions(const std::string& settingsPath, int& width, int& height) {
  std::string v = platform::GetPrivateProfileString("options", "tree_dimentions", "", settingsPath);
  if (v.empty()) return false;
  int w = 0, h = 0;
  if (std::sscanf(v.c_str(), "%d,%d", &w, &h) != 2) return false;
  width = w;
  height = h;
  return true;
}

bool WriteTreeDimensions(const std::string& settingsPath, int width, int height) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d,%d", width < 30 ? 30 : width, height);
  return platform::WritePrivateProfileString("options", "tree_dimentions", buf, settingsPath);
}

void ReadSearchLocation(const std::string& settingsPath, int& x, int& y) {
  const std::string v = platform::GetPrivateProfileString("SEARCH", "Location", "0, 0", settingsPath);
  if (std::sscanf(v.c_str(), "%d, %d", &x, &y) != 2) x = y = 0;
}

bool WriteSearchLocation(const std::string& settingsPath, int x, int y) {
  const std::string v = std::to_string(x) + ", " + std::to_string(y);
  return platform::WritePrivateProfileString("SEARCH", "Location", v.c_str(), settingsPath);
}

}  // namespace klmw
