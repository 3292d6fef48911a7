// Settings files, folders and volumes for the application shell tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/volumes.h"

namespace shelltest {

// A folder removed with everything in it at the end of the test; Path()
// ends without '/'.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "shelltest.XXXXXX").string();
    if (::mkdtemp(pattern.data())) m_path = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return m_path; }
  std::string Ini() const { return m_path + "/KLMW.INI"; }
  // Makes the folder (and its parents) below the temporary one.
  std::string MakeDir(const std::string& relative) const {
    std::string p = m_path + "/" + relative;
    std::filesystem::create_directories(p);
    return p;
  }

 private:
  std::string m_path;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Drive types by path prefix (the longest prefix wins); everything else is
// a fixed disk.
class FakeVolumes : public platform::Volumes {
 public:
  std::map<std::string, platform::DriveType> m_types;

  platform::DriveType GetDriveType(const std::string& path) override {
    platform::DriveType type = platform::DriveType::Fixed;
    size_t best = 0;
    for (const auto& [prefix, t] : m_types)
      if (path.compare(0, prefix.size(), prefix) == 0 && prefix.size() >= best) {
        best = prefix.size();
        type = t;
      }
    return type;
  }
  bool GetVolumeLabel(const std::string&, std::string& label) override {
    label.clear();
    return true;
  }
  std::string GetVolumeRoot(const std::string&) override { return "/"; }
};

}  // namespace shelltest
