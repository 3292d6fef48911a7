#include "platform/home.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace platform {

namespace {

std::string g_programDir;

// Absolute, normalised and ending in exactly one '/', so callers can append a
// file name without thinking about separators.
std::string AsDirectory(const std::string& dir) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(dir, ec);
  if (ec) p = dir;
  std::string s = p.lexically_normal().string();
  if (s.empty() || s.back() != '/') s.push_back('/');
  return s;
}

}  // namespace

std::string GetExecutableDir() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return AsDirectory(".");
  std::string exe(buf, static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  return AsDirectory(slash == std::string::npos ? std::string(".") : exe.substr(0, slash + 1));
}

void InitProgramDir(int& argc, char** argv) {
  std::string chosen;
  int kept = argc > 0 ? 1 : 0;
  bool operands = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (!operands && std::strcmp(arg, "--") == 0) {
      // After "--" everything is an operand, even a file named --home.
      operands = true;
    } else if (!operands && std::strcmp(arg, "--home") == 0) {
      // A dangling --home is dropped too, so it is not taken for a file name.
      if (i + 1 < argc) chosen = argv[++i];
      continue;
    } else if (!operands && std::strncmp(arg, "--home=", 7) == 0) {
      chosen = arg + 7;
      continue;
    }
    argv[kept++] = argv[i];
  }
  if (argc > 0) {
    argv[kept] = nullptr;
    argc = kept;
  }
  if (chosen.empty()) {
    const char* env = std::getenv("KLMW_HOME");
    if (env && *env) chosen = env;
  }
  g_programDir = chosen.empty() ? GetExecutableDir() : AsDirectory(chosen);
}

const std::string& GetProgramDir() {
  if (g_programDir.empty()) g_programDir = GetExecutableDir();
  return g_programDir;
}

void SetProgramDir(const std::string& dir) { g_programDir = dir.empty() ? std::string() : AsDirectory(dir); }

}  // namespace platform
