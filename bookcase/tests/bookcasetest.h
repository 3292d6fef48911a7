// What the bookcase tests share: a program folder and a library folder per
// test, descriptions written from a few lines, volumes that answer as told.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/tests/temp_dir.h"
#include "platform/volumes.h"

namespace bookcase::testing_support {

using platform::testing_support::ReadFile;
using platform::testing_support::TempDir;
using platform::testing_support::WriteFile;

class FakeVolumes : public platform::Volumes {
 public:
  platform::DriveType GetDriveType(const std::string&) override { return m_type; }
  bool GetVolumeLabel(const std::string&, std::string& label) override {
    label = m_label;
    return m_labelKnown;
  }
  std::string GetVolumeRoot(const std::string&) override { return "/"; }

  platform::DriveType m_type = platform::DriveType::Fixed;
  std::string m_label = "BOOKS";
  bool m_labelKnown = true;
};

struct DescBook {
  std::string id;
  std::string name;
  std::string path = ".";
  std::string sync = "verse";
  std::string pubid = "1";
};

// A description file: [Publisher Data] and one [Book k] per book, k from 1.
inline std::string Description(const std::string& dataSet, const std::vector<DescBook>& books,
                               const std::string& publisher = "Public domain") {
  std::string text = "[Publisher Data]\nDataSetName=" + dataSet + "\nPublisherName=" + publisher + "\n";
  for (size_t i = 0; i < books.size(); ++i) {
    const DescBook& b = books[i];
    text += "\n[Book " + std::to_string(i + 1) + "]\nBookID=" + b.id + "\nName=" + b.name + "\nPath=" + b.path +
            "\nSYNCTYPE=" + b.sync + "\nPUBID=" + b.pubid + "\n";
  }
  return text;
}

// A program folder (home) and a library folder, each private to the test,
// with recorded message boxes.
class BookCaseTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directory(m_library.path() + "/lib"); }

  std::string Home() const { return m_home.path(); }
  std::string Settings() const { return m_home / "KLMW.INI"; }
  std::string Backup() const { return m_home / "klmwtmp.ini"; }
  std::string Lib() const { return m_library.path() + "/lib"; }

  // Writes a description into the library folder and returns its path.
  std::string WriteDescription(const std::string& name, const std::string& text) const {
    std::string path = Lib() + "/" + name;
    WriteFile(path, text);
    return path;
  }

  std::string Get(const std::string& section, const char* key, const char* def = "") const {
    return platform::GetPrivateProfileString(section.c_str(), key, def, Settings());
  }

  TempDir m_home;
  TempDir m_library;
  FakeVolumes m_volumes;
  platform::RecordingMessages m_messages;
  platform::ScopedMessages m_scopedMessages{&m_messages};
};

}  // namespace bookcase::testing_support
