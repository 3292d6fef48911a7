#include "tools/importer/swordsource.h"

#include <swmgr.h>
#include <swmodule.h>
#include <versekey.h>
#include <versificationmgr.h>

#include <cstring>
#include <stdexcept>
#include <strings.h>

namespace importer {

struct SwordSource::Impl {
  sword::SWMgr manager;
  sword::SWModule* module = nullptr;
  ModuleInfo info;
};

namespace {

bool IsBible(sword::SWModule* module) { return std::strcmp(module->getType(), "Biblical Texts") == 0; }

std::string Entry(sword::SWModule* module, const char* key) {
  const char* value = module->getConfigEntry(key);
  return value ? value : "";
}

}  // namespace

SwordSource::SwordSource(const std::string& wanted) : impl_(std::make_unique<Impl>()) {
  auto& modules = impl_->manager.getModules();
  // The module's own name first, then its abbreviation, then a name it
  // begins (so "SpaRV" finds "spaRV1909eb"); case is ignored throughout.
  sword::SWModule* found = nullptr;
  for (int pass = 0; pass < 3 && !found; ++pass) {
    for (auto& [name, module] : modules) {
      if (!IsBible(module)) continue;
      const std::string moduleName = name.c_str();
      bool match = false;
      if (pass == 0) match = strcasecmp(moduleName.c_str(), wanted.c_str()) == 0;
      if (pass == 1) match = strcasecmp(Entry(module, "Abbreviation").c_str(), wanted.c_str()) == 0;
      if (pass == 2)
        match = !wanted.empty() && moduleName.size() > wanted.size() &&
                strncasecmp(moduleName.c_str(), wanted.c_str(), wanted.size()) == 0;
      if (match) {
        if (found) throw std::runtime_error("\"" + wanted + "\" names more than one Bible module");
        found = module;
      }
    }
  }
  if (!found) throw std::runtime_error("no Bible module \"" + wanted + "\" is installed");
  impl_->module = found;
  impl_->info.name = found->getName();
  impl_->info.description = found->getDescription() ? found->getDescription() : "";
  impl_->info.language = Entry(found, "Lang");
  std::unique_ptr<sword::SWKey> key(found->createKey());
  auto* verseKey = dynamic_cast<sword::VerseKey*>(key.get());
  if (!verseKey) throw std::runtime_error(impl_->info.name + " is not arranged by verse");
  impl_->info.versification = verseKey->getVersificationSystem();
}

SwordSource::~SwordSource() = default;

const ModuleInfo& SwordSource::Info() const { return impl_->info; }

void SwordSource::ForEachVerse(const std::function<void(const VersePlace&, const std::string&)>& verse,
                               int* folded) {
  auto* systems = sword::VersificationMgr::getSystemVersificationMgr();
  const auto* english = systems->getVersificationSystem("KJV");
  const auto* own = systems->getVersificationSystem(impl_->info.versification.c_str());
  if (!english || !own) throw std::runtime_error("the KJV or the module's versification is unknown");
  sword::SWModule* module = impl_->module;
  std::unique_ptr<sword::SWKey> keyHolder(module->createKey());
  auto* key = dynamic_cast<sword::VerseKey*>(keyHolder.get());
  key->setIntros(false);
  key->setAutoNormalize(false);

  // The raw text of one place of the module's own versification.
  auto raw = [&](const char* book, int chapter, int verse) -> std::string {
    const std::string ref = std::string(book) + "." + std::to_string(chapter) + "." + std::to_string(verse);
    key->setText(ref.c_str());
    if (key->popError() || std::strcmp(key->getOSISBookName(), book) != 0 || key->getChapter() != chapter ||
        key->getVerse() != verse)
      return {};
    module->setKey(*key);
    return module->getRawEntry();
  };
  auto append = [](std::string& to, const std::string& more) {
    if (more.empty()) return;
    if (!to.empty()) to += ' ';
    to += more;
  };

  if (folded) *folded = 0;
  int number = 0;
  for (int b = 0; b < english->getBookCount(); ++b) {
    const auto* book = english->getBook(b);
    const char* osisName = book->getOSISName();
    const sword::VersificationMgr::Book* ownBook = nullptr;
    for (int k = 0; k < own->getBookCount() && !ownBook; ++k)
      if (std::strcmp(own->getBook(k)->getOSISName(), osisName) == 0) ownBook = own->getBook(k);
    const int ownChapters = ownBook ? ownBook->getChapterMax() : 0;
    for (int c = 1; c <= book->getChapterMax(); ++c) {
      const int verses = book->getVerseMax(c);
      const int ownVerses = c <= ownChapters ? ownBook->getVerseMax(c) : 0;
      std::vector<std::string> texts(static_cast<size_t>(verses));
      for (int v = 1; v <= verses && v <= ownVerses; ++v) texts[static_cast<size_t>(v - 1)] = raw(osisName, c, v);
      // What the module numbers past the English chapter (or book) belongs
      // to its last verse in the English order.
      for (int v = verses + 1; v <= ownVerses; ++v) {
        const std::string extra = raw(osisName, c, v);
        if (!extra.empty() && folded) ++*folded;
        append(texts.back(), extra);
      }
      if (c == book->getChapterMax()) {
        for (int oc = c + 1; oc <= ownChapters; ++oc)
          for (int v = 1; v <= ownBook->getVerseMax(oc); ++v) {
            const std::string extra = raw(osisName, oc, v);
            if (!extra.empty() && folded) ++*folded;
            append(texts.back(), extra);
          }
      }
      for (int v = 1; v <= verses; ++v)
        verse(VersePlace{b + 1, c, v, ++number}, texts[static_cast<size_t>(v - 1)]);
    }
  }
}

std::vector<std::string> SwordSource::InstalledBibles() {
  sword::SWMgr manager;
  std::vector<std::string> names;
  for (auto& [name, module] : manager.getModules())
    if (IsBible(module)) names.push_back(std::string(name.c_str()) + " (" + Entry(module, "Abbreviation") + ")");
  return names;
}

}  // namespace importer
