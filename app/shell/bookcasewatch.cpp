#include "app/shell/bookcasewatch.h"

#include <cctype>
#include <filesystem>
#include <map>
#include <vector>

#include "platform/lettercase.h"
#include "platform/profile.h"

namespace klmw {

namespace {

using platform::Lower;

bool IsRegistrySection(const std::string& lowerName) {
  return lowerName == "soltdatasets" || lowerName.rfind("dataset_", 0) == 0 || lowerName.rfind("book_", 0) == 0;
}

}  // namespace

std::string ReadRegistryText(const std::string& settingsPath) {
  // By lower-case name, so the order the sections happen to be in (bookcase
  // and a scan add them in their own orders) makes no difference; the first
  // of a repeated section is the one the registry reads.
  std::map<std::string, std::string> sections;
  for (const std::string& name : platform::GetPrivateProfileSectionNames(settingsPath)) {
    std::string lower = Lower(name);
    if (!IsRegistrySection(lower) || sections.count(lower)) continue;
    std::string text;
    for (const std::string& line : platform::GetPrivateProfileSection(name.c_str(), settingsPath)) {
      text += line;
      text += '\n';
    }
    sections.emplace(std::move(lower), std::move(text));
  }
  std::string out;
  for (const auto& [name, text] : sections) out += "[" + name + "]\n" + text;
  return out;
}

CBookcaseWatch::CBookcaseWatch(std::string settingsPath) : m_settings(std::move(settingsPath)) {
  const size_t slash = m_settings.find_last_of('/');
  m_backup = (slash == std::string::npos ? std::string() : m_settings.substr(0, slash + 1)) + kBookcaseBackupName;
}

void CBookcaseWatch::Start() {
  m_watching = true;
  m_backupSeen = BackupExists();
  RegistryRead();
}

void CBookcaseWatch::RegistryRead() { m_registryRead = ReadRegistryText(m_settings); }

bool CBookcaseWatch::BackupExists() const {
  std::error_code ec;
  return std::filesystem::exists(m_backup, ec);
}

bool CBookcaseWatch::RegistryChanged() const { return ReadRegistryText(m_settings) != m_registryRead; }

bool CBookcaseWatch::OnFolderChanged() {
  if (!m_watching) return false;
  if (BackupExists()) {
    // Bookcase's dialog is open: what it writes may still be taken back.
    m_backupSeen = true;
    return false;
  }
  if (!m_backupSeen) return false;
  m_backupSeen = false;
  return RegistryChanged();
}

bool CBookcaseWatch::OnBookcaseExited() {
  if (!m_watching) return false;
  // A bookcase that died with its dialog open left its backup: what it
  // wrote is in the file all the same.
  m_backupSeen = BackupExists();
  return RegistryChanged();
}

}  // namespace klmw
