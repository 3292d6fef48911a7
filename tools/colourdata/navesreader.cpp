#include "tools/colourdata/navesreader.h"

#include <cctype>
#include <cstdio>
#include <memory>

#include "platform/coding.h"
#include "platform/lettercase.h"
#include "platform/messages.h"
#include "soltread.h"
#include "soltread/fileidentity.h"
#include "textpane.h"
#include "textpane/search/levelcursor.h"

namespace colourdata {
namespace {

// Message boxes have no place in a build step; the caller reports failures.
class QuietMessages : public platform::Messages {
 public:
  int Show(const std::string&, platform::MessageButtons buttons, const std::string&) override {
    return buttons == platform::MessageButtons::Ok ? platform::IDOK : platform::IDCANCEL;
  }
};

using platform::Upper;

}  // namespace

std::vector<std::vector<textpane::Range>> LinksOfLevels(const std::string& rtf, const std::vector<int>& levels) {
  textpane::CRtfDoc doc;
  doc.SetText(rtf.data(), rtf.size(), textpane::FORMAT_RTF);
  std::vector<std::vector<textpane::Range>> out;
  for (int level : levels) {
    std::vector<textpane::Range>& links = out.emplace_back();
    // A level the text never started would read from the document's start.
    if (level < 0 || static_cast<size_t>(level) >= doc.Levels().Count()) continue;
    const void* previous = nullptr;
    for (textpane::LevelCursor c(doc, level); !c.AtEnd(); c.NextRun()) {
      const textpane::CharFormat& f = c.Format();
      if (f.linkType != 4 || !f.link || f.link.get() == previous) continue;
      previous = f.link.get();
      textpane::Range range;
      if (range.SetFromString(f.link->Target())) links.push_back(range);
    }
  }
  return out;
}

bool ReadSections(const std::string& dir, const std::set<std::string>& wanted,
                  std::map<std::string, std::vector<textpane::Range>>& sections, std::string& error) {
  QuietMessages quiet;
  platform::ScopedMessages scoped(&quiet);
  const std::string folder = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  int publisher, bookID;
  // The numbers book.dat claims open the folder without a registration.
  solt::ReadFileIdentity(folder + "book.dat", publisher, bookID);
  cSOLTBook book;
  book.SetTextPath(folder.c_str());
  book.SetIDXPath(folder.c_str());
  book.SetDefPath(folder.c_str());
  book.SetDefMediaType("FIXED");
  book.SetRegMediaType("FIXED");
  book.SetPublisherID(std::to_string(publisher).c_str());
  book.SetBookID(std::to_string(bookID).c_str());
  book.SetSyncType("word");
  book.SetBookName(folder.c_str());
  try {
    const int result = book.Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX | SOLT_SECTIONS_IDX);
    if (result != SOLT_OK) {
      error = cSOLTBook::GetErrorString(result) + " (" + dir + ")";
      return false;
    }
    // The wanted sections by area: their names and level numbers.
    std::map<int, std::vector<std::pair<std::string, int>>> byArea;
    for (int key = 0; key <= book.GetLastSectionKey(); ++key) {
      cSectionsData entry;
      book.GetSection(key, entry);
      const std::string name = Upper(entry.GetName());
      if (wanted.count(name)) byArea[entry.GetBookKey()].emplace_back(name, entry.GetLevelCount());
    }
    for (const auto& [area, named] : byArea) {
      const unsigned long size = book.GetViewableAreaSize(area);
      std::string rtf(size, '\0');
      if (size) book.GetViewableArea(area, rtf.data());
      std::vector<int> levels;
      for (const auto& n : named) levels.push_back(n.second);
      const auto links = LinksOfLevels(rtf, levels);
      for (size_t i = 0; i < named.size(); ++i) {
        auto& to = sections[named[i].first];
        to.insert(to.end(), links[i].begin(), links[i].end());
      }
    }
  } catch (const platform::FileException& e) {
    error = cSOLTBook::GetErrorString(cSOLTBook::ConvertCauseToErrorCode(e.m_cause)) + " (" + e.m_strFileName + ")";
    return false;
  }
  return true;
}

}  // namespace colourdata
