// Reading a Bible text module of the SWORD library installed by Debian's
// sword-text-* packages, verse by verse in the English (KJV) order.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace importer {

// One verse place of the English order.
struct VersePlace {
  int book = 0;     // 1-66
  int chapter = 0;  // 1-based
  int verse = 0;    // 1-based
  int number = 0;   // 1-31102 over the whole Bible
};

struct ModuleInfo {
  std::string name;         // the module's own name, e.g. "engKJV2006eb"
  std::string description;  // UTF-8
  std::string language;     // the module's language code ("en", "es")
  std::string versification;
};

class SwordSource {
 public:
  // Opens the module called `module` (its name, its abbreviation, or a
  // prefix of its name, case ignored). Throws std::runtime_error when no
  // such Bible is installed.
  explicit SwordSource(const std::string& module);
  ~SwordSource();
  SwordSource(const SwordSource&) = delete;
  SwordSource& operator=(const SwordSource&) = delete;

  const ModuleInfo& Info() const;

  // Calls `verse` for every verse of the English order with the module's raw
  // text of that place ("" when the module's versification lacks it). Verses
  // the module's versification has beyond the end of an English chapter or
  // book are added to the raw text of the last English verse before them;
  // *folded counts them.
  void ForEachVerse(const std::function<void(const VersePlace&, const std::string& raw)>& verse, int* folded);

  // The names of the installed Bible modules with their abbreviations.
  static std::vector<std::string> InstalledBibles();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace importer
