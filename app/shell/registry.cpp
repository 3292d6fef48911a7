#include "app/shell/registry.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "app/shell/settings.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/volumes.h"

extern char** environ;

namespace klmw {

namespace {

bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::exists(path, ec);
}

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string ReadString(const std::string& section, const char* key, const char* def, const std::string& file) {
  return platform::GetPrivateProfileString(section.c_str(), key, def, file, kProfileBufferSize);
}

}  // namespace

std::string GetSyncTypeForDirectory(const std::string& dir) {
  std::string base = dir;
  if (!base.empty() && base.back() != '/') base += '/';
  static const struct {
    const char* file;
    const char* name;
  } kSync[] = {{"vsync.idx", "Verse"}, {"wsync.idx", "Word"}, {"ssync.idx", "Strong"}, {"dsync.idx", "Date"}};
  std::string type;
  for (const auto& s : kSync)
    if (FileExists(base + s.file)) type += s.name;
  return type.empty() ? "None" : type;
}

CDataSetRegistry::CDataSetRegistry(std::string settingsPath) : m_settingsPath(std::move(settingsPath)) {}

int CDataSetRegistry::LoadRegistry() {
  const std::string& ini = m_settingsPath;
  m_books.clear();
  m_dataSets.clear();
  m_modules = CBibleModuleList();
  m_loaded = true;

  int setCount = ReadProfileInt("SOLTDATASETS", "DATASETCOUNT", 0, ini);
  if (setCount <= 0) return 1;
  setCount = std::min(setCount, kMaxDataSets);

  // Which sections exist, read once: a count far beyond the sections written
  // (a damaged file) then costs nothing, since a missing section only ever
  // gives defaults and skipped books.
  std::set<std::string> sections;
  std::map<int, int> lastBook;  // data set -> highest m of a BOOK_n_m section
  for (const std::string& name : platform::GetPrivateProfileSectionNames(ini)) {
    std::string lower = LowerAscii(name);
    sections.insert(lower);
    int n = 0, m = 0;
    char tail = 0;
    if (std::sscanf(lower.c_str(), "book_%d_%d%c", &n, &m, &tail) == 2 && n > 0 && m > 0)
      lastBook[n] = std::max(lastBook[n], m);
  }

  int total = 0;
  for (int n = 1; n <= setCount; ++n) {
    const std::string setSection = "DATASET_" + std::to_string(n);
    const bool setPresent = sections.count(LowerAscii(setSection)) != 0;
    cSOLTDataSet set;
    set.SetDataSetNumber(std::to_string(n).c_str());
    set.SetDataSetName(setPresent ? ReadString(setSection, "DATASETNAME", "", ini).c_str() : "");
    set.SetPublisherName(setPresent ? ReadString(setSection, "PUBLISHERNAME", "Iridelsoft", ini).c_str() : "Iridelsoft");
    int bookCount =
        setPresent ? std::clamp(ReadProfileInt(setSection.c_str(), "BOOKCOUNT", 0, ini), 0, kMaxBooksPerDataSet) : 0;
    // Data sets after the first carry the running total, as soltread has
    // always been handed it.
    total += bookCount;
    set.SetBookCount(total);
    m_dataSets.push_back(set);

    const int lastM = lastBook.count(n) ? std::min(bookCount, lastBook[n]) : 0;
    for (int m = 1; m <= lastM; ++m) {
      if (!sections.count("book_" + std::to_string(n) + "_" + std::to_string(m))) continue;
      const std::string section = "BOOK_" + std::to_string(n) + "_" + std::to_string(m);
      std::string name = ReadString(section, "BOOKNAME", "", ini);
      if (name.empty()) continue;
      std::string defPath = ReadString(section, "DEFPATH", "", ini);
      if (defPath.empty()) continue;
      const std::string htb = defPath + ".HTB";
      if ((name == "NIV" || name == "KJS" || name == "RVR") && !FileExists(htb)) {
        platform::MessageBox(kBibleFilesMissing);
        platform::MessageBox(kInsertCdRom);
      }
      std::string path = defPath;
      if (path.back() != '/') path += '/';
      std::string volume = ReadString(section, "DEFVOLUMEID", "", ini);
      std::string media = ReadString(section, "DEFMEDIATYPE", "FIXED", ini);

      cSOLTBook book;
      book.SetBookName(name.c_str());
      book.SetTextPath(path.c_str());
      book.SetIDXPath(path.c_str());
      book.SetBookID(ReadString(section, "BOOKID", "", ini).c_str());
      book.SetPublisherID(ReadString(section, "PUBLISHERID", "", ini).c_str());
      book.SetBookNumber(static_cast<int>(m_books.size()));
      book.SetDataSetNumber(n);
      book.SetDefVolumeID(volume.c_str());
      book.SetRegVolumeID(volume.c_str());
      book.SetDefMediaType(media.c_str());
      book.SetRegMediaType(media.c_str());
      book.SetDefPath(path.c_str());
      book.SetMediaPath(path.c_str());
      book.SetSyncType(GetSyncTypeForDirectory(path).c_str());
      book.SetSetID("1");

      // Present when book.dat is there; else when the Bible definition
      // beside it loads; else when the drive is one whose disc may simply be
      // out (removable, CD-ROM).
      const std::string bookDat = path + "book.dat";
      bool present = FileExists(bookDat);
      if (!present) {
        const std::string definition = bookDat.substr(0, bookDat.size() - 9) + ".ixb";
        if (FileExists(definition)) {
          book.SetSetID("0");
          auto module = std::make_unique<CBibleModule>();
          present = module->Load(definition);
          if (present && !m_modules.Find(module->GetCode())) m_modules.Add(std::move(module));
        } else {
          platform::DriveType type = platform::GetVolumes().GetDriveType(path);
          present = type == platform::DriveType::Removable || type == platform::DriveType::CdRom;
        }
      }
      if (present) m_books.push_back(std::move(book));
    }
  }
  return 0;
}

const cSOLTBook* CDataSetRegistry::GetBook(int index) const {
  return index >= 0 && index < GetBookCount() ? &m_books[static_cast<size_t>(index)] : nullptr;
}

int CDataSetRegistry::FindBook(const std::string& name, int hint) const {
  if (const cSOLTBook* b = GetBook(hint); b && b->GetBookName() == name) return hint;
  for (int i = 0; i < GetBookCount(); ++i)
    if (m_books[static_cast<size_t>(i)].GetBookName() == name) return i;
  return -1;
}

int CDataSetRegistry::GetDataSetCount() {
  if (!m_loaded) LoadRegistry();
  return static_cast<int>(m_dataSets.size());
}

int CDataSetRegistry::FillDataSet(cSOLTDataSet& set, int n) {
  if (!m_loaded) LoadRegistry();
  if (n < 1 || n > static_cast<int>(m_dataSets.size())) return 1;
  set = m_dataSets[static_cast<size_t>(n - 1)];
  return 0;
}

int CDataSetRegistry::FillBook(cSOLTBook& book, int bookNumber, int dataSetNumber) {
  if (!m_loaded) LoadRegistry();
  const cSOLTBook* b = GetBook(bookNumber - 1);
  // A later data set's book count is the running total, so its enumeration
  // passes over the earlier sets' books: they answer "no such book" and
  // soltread goes on to the next number.
  if (!b || (dataSetNumber > 0 && b->GetDataSetNumber() != dataSetNumber)) return 1;
  book = *b;
  return 0;
}

const std::vector<std::string>& CDataSetRegistry::GetInactiveBookPaths() {
  if (m_inactiveCached) return m_inactivePaths;
  m_inactivePaths.clear();
  const int active = std::clamp(ReadProfileInt("DATASET_1", "BOOKCOUNT", 0, m_settingsPath), 0, kMaxBooksPerDataSet);
  const int total = std::min(ReadProfileInt("DATASET_1", "TOTALBOOKCOUNT", 0, m_settingsPath), kMaxBooksPerDataSet);
  if (total > active) {
    // A missing section gives "" without reading the file again.
    std::set<std::string> sections;
    for (const std::string& name : platform::GetPrivateProfileSectionNames(m_settingsPath))
      sections.insert(LowerAscii(name));
    for (int m = active + 1; m <= total; ++m) {
      const std::string section = "BOOK_1_" + std::to_string(m);
      m_inactivePaths.push_back(sections.count(LowerAscii(section)) ? ReadString(section, "PATH", "", m_settingsPath)
                                                                      : std::string());
    }
  }
  m_inactiveCached = true;
  return m_inactivePaths;
}

void CDataSetRegistry::ClearInactiveCache() {
  m_inactiveCached = false;
  m_inactivePaths.clear();
}

std::string CDataSetRegistry::GetFirstDataSetName() const {
  return ReadString("DATASET_1", "DATASETNAME", "", m_settingsPath);
}

bool CDataSetRegistry::StartBookcase() {
  std::vector<std::string> argv{platform::GetExecutableDir() + "bookcase", "--home", platform::GetProgramDir()};
  return m_starter ? m_starter(argv, m_bookcaseExited) : StartDetachedProcess(argv, m_bookcaseExited);
}

int CDataSetRegistry::OfferBookcaseWhenEmpty() {
  if (!m_books.empty()) return GetBookCount();
  platform::MessageBox(kNoBooksFound);
  StartBookcase();
  LoadRegistry();
  return GetBookCount();
}

bool StartDetachedProcess(const std::vector<std::string>& argv, std::function<void()> onExit) {
  if (argv.empty()) return false;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return false;
  // Nobody waits for the program, but its exit status must be collected or
  // it stays behind as a zombie until we end.
  std::thread([pid, onExit = std::move(onExit)] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (onExit) onExit();
  }).detach();
  return true;
}

}  // namespace klmw
