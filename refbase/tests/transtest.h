// What the translation tests share: a scratch folder, files written into it,
// and switching the library over to the VTTRANS.DAT found there.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/messages.h"
#include "refbase.h"
#include "refbase/datafiles.h"

namespace transtest {

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Drops every use of the loaded table, so the next load reads the file again.
inline void ReleaseAll() {
  while (cTranslation::m_translation_data_in_use > 0) cTranslation::ReleaseTranslationData();
}

// A private folder, removed with everything in it; the library's data folder
// is put back afterwards with the shipped table loaded again.
class TransTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "transtest.XXXXXX").string();
    ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
    m_dir = pattern + "/";
    const std::string& ref = refbase::RefbaseDatPath();
    m_savedDir = ref.substr(0, ref.rfind('/') + 1);
  }
  void TearDown() override {
    ReleaseAll();
    refbase::SetDataDirectory(m_savedDir);
    cTranslation::InitializeTranslationData();  // its messages go to m_messages
    std::filesystem::remove_all(m_dir);
  }

  // Writes VTTRANS.DAT into the folder from a translation source; 0 / 1.
  int Build(const std::string& source) {
    WriteBytes(m_dir + "source.txt", source);
    return cTranslation::CreateTransDataFile((m_dir + "source.txt").c_str(), (m_dir + "VTTRANS.DAT").c_str(), nullptr);
  }

  // Loads the folder's VTTRANS.DAT in place of whatever was loaded.
  int Load() {
    ReleaseAll();
    refbase::SetDataDirectory(m_dir);
    return cTranslation::InitializeTranslationData();
  }

  std::string m_dir;
  std::string m_savedDir;
  platform::RecordingMessages m_messages;
  platform::ScopedMessages m_scoped{&m_messages};
};

}  // namespace transtest
