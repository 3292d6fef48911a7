#include "app/bibles/colorstxt.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>

#include "platform/profile.h"

namespace klmw {

namespace {

constexpr ColorRef Ref(long r, long g, long b) {
  return static_cast<ColorRef>(r) | static_cast<ColorRef>(g) << 8 | static_cast<ColorRef>(b) << 16;
}

long Channel(const std::string& token) {
  errno = 0;
  long v = std::strtol(token.c_str(), nullptr, 10);
  return std::clamp(v, 0L, 255L);
}

std::string NameFromToken(std::string token) {
  std::replace(token.begin(), token.end(), '_', ' ');
  return token;
}

bool StartsWithColor(const std::string& word) {
  static const char kWord[] = "color";
  if (word.size() < 5) return false;
  for (size_t i = 0; i < 5; ++i)
    if (std::tolower(static_cast<unsigned char>(word[i])) != kWord[i]) return false;
  return true;
}

}  // namespace

CColorPalette DefaultPalette() {
  CColorPalette p;
  p.colors = {0xBBBBBB, 0x80FF80, 0xFFFF80, 0x00FFFF, 0xFFFF00, 0x00FF00,
              0xFF00FF, 0xC0C0C0, 0x0040C0, 0xC040C0, 0x80FFFF, 0x80FFFF};
  p.names = {"Manila", "Light Green",          "Light Blue", "Yellow", "Cyan",   "Green",
             " Magenta", "Sin - color 16 - Gray", "Brown",      "Violet", "Manila", "Manila"};
  return p;
}

PaletteRead ReadColorsTxt(const std::string& path, CColorPalette& palette) {
  palette = DefaultPalette();
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return PaletteRead::Absent;
  std::ifstream in(path, std::ios::binary);
  if (!in) return PaletteRead::Absent;
  std::string word;
  long long n = -1;
  std::string first;
  if (!std::getline(in, first)) return PaletteRead::Foreign;
  std::istringstream head(first);
  if (!(head >> word) || !StartsWithColor(word)) return PaletteRead::Foreign;
  // The count may follow on the next line.
  if (!(head >> n)) {
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream more(line);
      if (more >> n) break;
      if (!line.empty() && line.find_first_not_of(" \t\r") != std::string::npos) break;
    }
  }
  if (n < 0) return PaletteRead::Foreign;
  const auto count = static_cast<size_t>(std::min<long long>(n, kMaxTopicColors));
  palette.colors.assign(count, kWhite);
  palette.names.assign(count, "White");
  palette.fromFile = true;
  std::string line;
  for (long long read = 0; read < n && std::getline(in, line); ++read) {
    std::istringstream fields(line);
    std::string name, k, r, g, b;
    if (!(fields >> name >> k >> r >> g >> b)) continue;
    errno = 0;
    char* end = nullptr;
    long number = std::strtol(k.c_str(), &end, 10);
    if (errno || end == k.c_str() || number < 1 || static_cast<size_t>(number) > count) continue;
    palette.colors[static_cast<size_t>(number - 1)] = Ref(Channel(r), Channel(g), Channel(b));
    palette.names[static_cast<size_t>(number - 1)] = NameFromToken(name);
  }
  return PaletteRead::Read;
}

std::string FormatColorsTxt(const CColorPalette& palette) {
  std::string out = "Colors " + std::to_string(palette.colors.size()) + "\n";
  for (size_t k = 0; k < palette.colors.size(); ++k) {
    std::string name = k < palette.names.size() ? palette.names[k] : std::string();
    if (name.empty()) name = "Description";
    for (char& c : name)
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f') c = '_';
    const ColorRef c = palette.colors[k];
    out += name;
    out += name.size() < 8 ? "\t\t" : "\t";
    out += std::to_string(k + 1) + "\t" + std::to_string(c & 0xFF) + "\t" + std::to_string(c >> 8 & 0xFF) + "\t" +
           std::to_string(c >> 16 & 0xFF) + "\n";
  }
  return out;
}

bool WriteColorsTxt(const std::string& path, const CColorPalette& palette) {
  return platform::ReplaceFile(path, FormatColorsTxt(palette));
}

}  // namespace klmw
