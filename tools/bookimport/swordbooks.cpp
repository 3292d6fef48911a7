#include "tools/bookimport/swordbooks.h"

#include <swkey.h>
#include <swmgr.h>
#include <swmodule.h>
#include <versekey.h>
#include <versificationmgr.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace bookimport {

struct SwordBooks::Impl {
  std::unique_ptr<sword::SWMgr> manager;
  sword::SWModule* module = nullptr;
  std::vector<std::string> mends;
  std::string configFile;
  fs::path dataPath;
};

namespace {

// The system's module and the folder it is configured in.
struct Found {
  std::map<std::string, std::string> config;
  std::string prefix;
};

bool FindModule(const std::string& name, const std::string& system, Found& found) {
  std::unique_ptr<sword::SWMgr> manager =
      system.empty() ? std::make_unique<sword::SWMgr>() : std::make_unique<sword::SWMgr>(system.c_str());
  sword::SWModule* module = manager->getModule(name.c_str());
  if (!module) return false;
  for (const auto& [key, value] : module->getConfig()) {
    std::string k = key.c_str();
    // Repeated keys: the first one stands, as SWORD itself reads them.
    if (!found.config.count(k)) found.config[k] = value.c_str();
  }
  // The folder the module was found in (a user's own folder or the system's).
  found.prefix = found.config.count("PrefixPath") ? found.config["PrefixPath"]
                                                  : manager->prefixPath ? manager->prefixPath : "";
  // What SWORD works out on loading is not configuration to copy.
  found.config.erase("PrefixPath");
  found.config.erase("AbsoluteDataPath");
  return true;
}

}  // namespace

bool SwordBooks::Installed(const std::string& module) {
  Found found;
  return FindModule(module, "", found);
}

bool SwordBooks::VerseExists(int book, int chapter, int verse) {
  static const sword::VersificationMgr::System* kjv =
      sword::VersificationMgr::getSystemVersificationMgr()->getVersificationSystem("KJV");
  if (!kjv || book < 1 || book > kjv->getBookCount() || chapter < 1 || verse < 1) return false;
  const sword::VersificationMgr::Book* b = kjv->getBook(book - 1);
  return b && chapter <= b->getChapterMax() && verse <= b->getVerseMax(chapter);
}

SwordBooks::SwordBooks(const std::string& module, const std::string& workDir, const std::string& system)
    : impl_(std::make_unique<Impl>()) {
  Found found;
  if (!FindModule(module, system, found)) throw std::runtime_error("the SWORD module " + module + " is not installed");
  const std::string dataPath = found.config["DataPath"];
  if (dataPath.compare(0, 2, "./") != 0 || found.prefix.empty())
    throw std::runtime_error(module + ": DataPath \"" + dataPath + "\" is not below its SWORD folder");
  impl_->dataPath = fs::path(found.prefix) / dataPath.substr(2);

  // A private SWORD folder: the mended configuration and a link to the
  // folder holding the module's data.
  const fs::path root = fs::absolute(workDir) / "sword";
  fs::create_directories(root / "mods.d");
  const std::string top = dataPath.substr(2, dataPath.find('/', 2) - 2);
  std::error_code ec;
  fs::remove(root / top, ec);
  fs::create_directory_symlink(fs::path(found.prefix) / top, root / top, ec);
  if (ec) throw std::runtime_error("cannot link " + (root / top).string() + ": " + ec.message());
  for (const auto& [key, value] : ConfigMends(module, found.config)) {
    found.config[key] = value;
    impl_->mends.push_back(key + "=" + value);
  }
  impl_->configFile = (root / "mods.d" / (module + ".conf")).string();
  {
    std::ofstream conf(impl_->configFile);
    conf << "[" << module << "]\n";
    for (const auto& [key, value] : found.config)
      if (value.find('\n') == std::string::npos) conf << key << "=" << value << "\n";
    if (!conf) throw std::runtime_error("cannot write " + impl_->configFile);
  }
  impl_->manager = std::make_unique<sword::SWMgr>(root.c_str());
  impl_->module = impl_->manager->getModule(module.c_str());
  if (!impl_->module) throw std::runtime_error("the private copy of " + module + " does not open");
}

SwordBooks::~SwordBooks() = default;

const std::vector<std::string>& SwordBooks::Mends() const { return impl_->mends; }

std::string SwordBooks::Description() const {
  const char* d = impl_->module->getDescription();
  return d ? d : "";
}

std::string SwordBooks::ConfigFile() const { return impl_->configFile; }

unsigned long long SwordBooks::ModuleBytes() const {
  // A dictionary's DataPath names its files' common stem, a commentary's its folder.
  fs::path dir = impl_->dataPath;
  if (!fs::is_directory(dir)) dir = dir.parent_path();
  unsigned long long total = 0;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec))
    if (e.is_regular_file()) total += e.file_size();
  return total;
}

std::vector<std::pair<std::string, std::string>> SwordBooks::DictionaryEntries() {
  // Keys can stand twice, so the entries are walked one after the other
  // instead of being looked up by key.
  std::vector<std::pair<std::string, std::string>> entries;
  sword::SWModule* m = impl_->module;
  m->setPosition(sword::TOP);
  while (!m->popError()) {
    std::string key = m->getKeyText();
    entries.push_back({key, m->getRawEntry()});
    (*m)++;
  }
  return entries;
}

std::vector<std::pair<VerseSlot, std::string>> SwordBooks::CommentarySlots() {
  sword::SWModule* m = impl_->module;
  std::unique_ptr<sword::SWKey> keyHolder(m->createKey());
  std::unique_ptr<sword::SWKey> prevHolder(m->createKey());
  auto* key = dynamic_cast<sword::VerseKey*>(keyHolder.get());
  auto* prev = dynamic_cast<sword::VerseKey*>(prevHolder.get());
  if (!key || !prev) throw std::runtime_error(std::string(m->getName()) + " is not arranged by verse");
  if (std::string(key->getVersificationSystem()) != "KJV")
    throw std::runtime_error(std::string(m->getName()) + " is not in the English (KJV) verse order");
  key->setIntros(false);
  prev->setIntros(false);
  std::vector<std::pair<VerseSlot, std::string>> slots;
  bool first = true;
  for (key->setPosition(sword::TOP); !key->popError(); (*key)++) {
    m->setKey(*key);
    VerseSlot slot;
    slot.book = key->getBookMax() > 0 ? key->getTestament() == 2 ? 39 + key->getBook() : key->getBook() : 0;
    slot.chapter = key->getChapter();
    slot.verse = key->getVerse();
    std::string text = m->getRawEntry();
    slot.hasText = text.find_first_not_of(" \t\r\n") != std::string::npos;
    // An empty slot shares the index record of its empty neighbours, so the
    // module calls it linked; only slots with text form spans.
    slot.linkedToPrevious = !first && slot.hasText && m->isLinked(prev, key);
    // A span's text is kept once, at its first slot.
    slots.push_back({slot, slot.hasText && !slot.linkedToPrevious ? std::move(text) : std::string()});
    prev->positionFrom(*key);
    first = false;
  }
  return slots;
}

}  // namespace bookimport
