// When the program reads the registry again while bookcase runs beside it.
//
// Bookcase writes the registry into the settings file as the user works in
// its dialog. While the dialog is open it keeps a copy of the file as it was
// (kBookcaseBackupName beside it); OK removes the copy, Cancel puts it back
// over the file and removes it. The program writes the same file itself (the
// workspace, the options), so a change of the file, or of its folder, says
// nothing by itself. What counts is bookcase being done, its process ending
// or its backup going away after it was seen, with a registry that differs
// from the one the program read. Nothing here knows of a toolkit: the shell
// feeds in the folder's changes and the process's end.
#pragma once

#include <string>

namespace klmw {

// The copy of the settings file bookcase keeps while its dialog is open.
inline constexpr const char* kBookcaseBackupName = "klmwtmp.ini";

// The registry's sections of a settings file ([SOLTDATASETS], [DATASET_n],
// [BOOK_n_m]; names without regard to case) as one text: equal texts are
// equal registries. Empty when the file has none or cannot be read.
std::string ReadRegistryText(const std::string& settingsPath);

class CBookcaseWatch {
 public:
  explicit CBookcaseWatch(std::string settingsPath);

  const std::string& GetBackupPath() const { return m_backup; }
  bool IsWatching() const { return m_watching; }

  // Starts watching, the registry as it is now counting as read.
  void Start();
  void Stop() { m_watching = false; }
  // The program read the registry again (after a scan it wrote, or after
  // an answer of OnFolderChanged or OnBookcaseExited): that one counts as
  // read now.
  void RegistryRead();

  // Something in the settings file's folder changed. True when the registry
  // is to be read again: bookcase's backup, there before, is gone and the
  // registry differs from the one read.
  bool OnFolderChanged();
  // The bookcase process the program started has ended. True when the
  // registry differs from the one read.
  bool OnBookcaseExited();

 private:
  bool BackupExists() const;
  bool RegistryChanged() const;

  std::string m_settings;
  std::string m_backup;
  std::string m_registryRead;
  bool m_watching = false;
  bool m_backupSeen = false;
};

}  // namespace klmw
