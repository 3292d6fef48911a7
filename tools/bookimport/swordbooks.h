// Reading the dictionaries and commentaries of the SWORD library installed by
// Debian's sword-dict-* and sword-comm-* packages, through a private copy of
// each module's configuration in which the faults the packages ship with are
// mended.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tools/bookimport/bookmarkup.h"

namespace bookimport {

class SwordBooks {
 public:
  // Opens the installed module `module` (its exact name) through a private
  // SWORD folder under `workDir` holding the mended configuration; `system`
  // names the SWORD folder to take the module from (default: the system's).
  // Throws std::runtime_error when the module is not installed.
  SwordBooks(const std::string& module, const std::string& workDir, const std::string& system = "");
  ~SwordBooks();
  SwordBooks(const SwordBooks&) = delete;
  SwordBooks& operator=(const SwordBooks&) = delete;

  // The mends applied ("ModDrv=zCom"), for the report.
  const std::vector<std::string>& Mends() const;
  std::string Description() const;
  // The bytes of the module's data files.
  unsigned long long ModuleBytes() const;
  // The private configuration file written.
  std::string ConfigFile() const;

  // Every entry of a dictionary in the module's order, keys as the module
  // writes them; a key the module holds twice comes twice.
  std::vector<std::pair<std::string, std::string>> DictionaryEntries();

  // Every verse slot of the English order with the commentary's raw text.
  std::vector<std::pair<VerseSlot, std::string>> CommentarySlots();

  // Whether the module is installed in the system's SWORD folders.
  static bool Installed(const std::string& module);
  // Whether the verse exists in the English (KJV) order.
  static bool VerseExists(int book, int chapter, int verse);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace bookimport
