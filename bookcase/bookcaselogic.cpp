#include "bookcase/bookcaselogic.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <system_error>

#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/safefile.h"
#include "platform/volumes.h"

namespace fs = std::filesystem;

namespace bookcase {

namespace {

constexpr const char* kDataSets = "SOLTDATASETS";
constexpr const char* kPublisherData = "Publisher Data";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string s) {
  for (char& c : s) c = LowerAscii(c);
  return s;
}

// Reads a plain decimal number of at most nine digits without a leading zero
// from s at i, as the registry's section names are written; the profile
// functions would not match "BOOK_01_1" to BOOK_1_1 either.
bool ReadNumber(const std::string& s, size_t& i, unsigned& n) {
  size_t start = i;
  n = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i - start < 9) n = n * 10 + static_cast<unsigned>(s[i++] - '0');
  return i > start && s[start] != '0' && (i == s.size() || s[i] < '0' || s[i] > '9');
}

// Which DATASET_n and BOOK_n_m sections the settings file really holds. The
// counts in the file are only believed as far as these go, so a garbage
// count costs nothing and a count that is too small still hides the rest.
struct RegistryShape {
  unsigned m_lastDataSet = 0;
  std::map<unsigned, std::set<unsigned>> m_books;

  explicit RegistryShape(const std::string& file) {
    for (const std::string& raw : platform::GetPrivateProfileSectionNames(file)) {
      std::string name = Lower(raw);
      size_t i = 0;
      unsigned n = 0, m = 0;
      if (name.rfind("dataset_", 0) == 0) {
        i = 8;
        if (ReadNumber(name, i, n) && i == name.size()) m_lastDataSet = std::max(m_lastDataSet, n);
      } else if (name.rfind("book_", 0) == 0) {
        i = 5;
        if (!ReadNumber(name, i, n) || i >= name.size() || name[i] != '_') continue;
        ++i;
        if (!ReadNumber(name, i, m) || i != name.size()) continue;
        m_lastDataSet = std::max(m_lastDataSet, n);
        m_books[n].insert(m);
      }
    }
  }

  unsigned LastBook(unsigned n) const {
    auto it = m_books.find(n);
    return it == m_books.end() || it->second.empty() ? 0 : *it->second.rbegin();
  }
};

// A value ends at a NUL byte, as it would in the caller's buffer on Windows;
// kept whole it would be cut there only on writing, and a name written so
// would never again equal the one read.
std::string GetString(const std::string& section, const char* key, const std::string& file) {
  std::string value = platform::GetPrivateProfileString(section.c_str(), key, "", file);
  if (size_t nul = value.find('\0'); nul != value.npos) value.resize(nul);
  return value;
}

// Writes value so that it reads back as it is: the profile functions trim
// blanks and take off one pair of quotes, so a value that would lose either
// goes in a pair of quotes of its own.
bool WriteValue(const std::string& section, const char* key, const std::string& value, const std::string& file) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  bool guard = !value.empty() && (blank(value.front()) || blank(value.back()));
  guard = guard || (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front());
  return platform::WritePrivateProfileString(section.c_str(), key, guard ? ('"' + value + '"').c_str() : value.c_str(),
                                             file);
}

bool IsIgnored(const std::string& value) { return !value.empty() && (value[0] == 'Y' || value[0] == 'y'); }

CDataSetItem LoadDataSetFrom(const std::string& file, const RegistryShape& shape, unsigned n, unsigned bookCount) {
  CDataSetItem item;
  item.m_number = n;
  std::string section = DataSetSection(n);
  item.m_name = GetString(section, "DATASETNAME", file);
  auto books = shape.m_books.find(n);
  if (books == shape.m_books.end()) return item;
  for (unsigned m : books->second) {
    if (m > bookCount) break;
    std::string bookSection = BookSection(n, m);
    CBookItem book;
    book.m_number = m;
    book.m_name = GetString(bookSection, "BOOKNAME", file);
    book.m_ignore = IsIgnored(GetString(bookSection, "IGNORE", file));
    item.m_books.push_back(std::move(book));
  }
  return item;
}

unsigned ClampedCount(unsigned stored, unsigned present) {
  // A negative count reads as a huge unsigned one; both are cut to what is there.
  return std::min(stored, present);
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

// Copies from to to safely, so to is either the old file or a whole copy,
// never half of one. A settings file that is a link stays one.
bool CopyReplacing(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return false;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  std::string error;
  return in && platform::WriteFileSafely(to, bytes.view(), error);
}

}  // namespace

std::string CBookItem::GetText() const { return m_ignore ? CBookCase::kIgnorePrefix + m_name : m_name; }

std::string DataSetSection(unsigned n) { return "DATASET_" + std::to_string(n); }

std::string BookSection(unsigned n, unsigned m) { return "BOOK_" + std::to_string(n) + "_" + std::to_string(m); }

std::string MakeDefPath(const std::string& descriptionPath, const std::string& path) {
  std::error_code ec;
  fs::path description = fs::absolute(descriptionPath, ec);
  if (ec) description = descriptionPath;
  // The folder the description lies in, whatever its file name's length.
  fs::path folder = description.lexically_normal().parent_path();
  std::string sub = path;
  // Descriptions written for Windows name their folders with backslashes.
  for (char& c : sub)
    if (c == '\\') c = '/';
  while (!sub.empty() && sub.front() == '/') sub.erase(0, 1);
  fs::path result = folder;
  if (!sub.empty() && sub != ".") result = (folder / sub).lexically_normal();
  std::string s = result.string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

CBookCase::CBookCase(std::string folder, platform::Volumes* volumes)
    : m_folder(std::move(folder)), m_volumes(volumes) {
  if (!m_folder.empty() && m_folder.back() != '/') m_folder.push_back('/');
  m_settings = m_folder + kSettingsName;
  m_backup = m_folder + kBackupName;
}

bool CBookCase::Open() {
  m_opened = true;
  m_backedUp = false;
  m_hadSettings = Exists(m_settings);
  std::error_code ec;
  if (!m_hadSettings) {
    // A backup left behind by a session that never ended must not be taken
    // for this one's: Cancel would bring back a file that was not there.
    fs::remove(m_backup, ec);
    if (ec || Exists(m_backup)) {
      platform::MessageBox("Could not temporarily save the Iridel INI file");
      return false;
    }
    m_backedUp = true;
    return true;
  }
  if (!CopyReplacing(m_settings, m_backup)) {
    platform::MessageBox("Could not temporarily save the Iridel INI file");
    return false;
  }
  m_backedUp = true;
  return true;
}

unsigned CBookCase::GetDataSetCount() const {
  RegistryShape shape(m_settings);
  return ClampedCount(platform::GetPrivateProfileInt(kDataSets, "DATASETCOUNT", 0, m_settings), shape.m_lastDataSet);
}

unsigned CBookCase::GetBookCount(unsigned n) const {
  RegistryShape shape(m_settings);
  return ClampedCount(platform::GetPrivateProfileInt(DataSetSection(n).c_str(), "BOOKCOUNT", 0, m_settings),
                      shape.LastBook(n));
}

std::vector<CDataSetItem> CBookCase::LoadTree() const {
  std::vector<CDataSetItem> tree;
  RegistryShape shape(m_settings);
  unsigned count =
      ClampedCount(platform::GetPrivateProfileInt(kDataSets, "DATASETCOUNT", 0, m_settings), shape.m_lastDataSet);
  for (unsigned n = 1; n <= count; ++n) {
    unsigned books =
        ClampedCount(platform::GetPrivateProfileInt(DataSetSection(n).c_str(), "BOOKCOUNT", 0, m_settings),
                     shape.LastBook(n));
    tree.push_back(LoadDataSetFrom(m_settings, shape, n, books));
  }
  return tree;
}

CDataSetItem CBookCase::LoadDataSet(unsigned n) const {
  if (n == 0 || n > GetDataSetCount()) return {};
  RegistryShape shape(m_settings);
  return LoadDataSetFrom(m_settings, shape, n, GetBookCount(n));
}

bool CBookCase::WriteBook(unsigned n, unsigned m, const std::string& description, unsigned k,
                          const std::string& folder, CAddedBook& added) {
  const std::string section = BookSection(n, m);
  const std::string bookSection = "Book " + std::to_string(k);
  auto read = [&](const char* key) { return GetString(bookSection, key, description); };
  platform::Volumes& volumes = m_volumes ? *m_volumes : platform::GetVolumes();

  added.m_section = section;
  added.m_number = m;
  added.m_name = read("Name");
  added.m_defPath = MakeDefPath(description, read("Path"));
  std::string label;
  if (!volumes.GetVolumeLabel(folder, label)) label.clear();
  const char* mediaType = nullptr;
  switch (volumes.GetDriveType(folder)) {
    case platform::DriveType::Removable:
    case platform::DriveType::CdRom:
      mediaType = "REMOVABLE";
      break;
    case platform::DriveType::Fixed:
      mediaType = "FIXED";
      break;
    default:
      break;
  }

  // Whatever an earlier registration or a disk scan left under this number
  // goes first, so no stale key (a media type above all) survives beside
  // the new ones.
  bool ok = platform::WritePrivateProfileString(section.c_str(), nullptr, nullptr, m_settings);
  ok = ok && WriteValue(section, "BOOKNAME", added.m_name, m_settings);
  ok = ok && WriteValue(section, "DEFVOLUMEID", label, m_settings);
  if (mediaType) ok = ok && WriteValue(section, "DEFMEDIATYPE", mediaType, m_settings);
  ok = ok && WriteValue(section, "DEFPATH", added.m_defPath, m_settings);
  ok = ok && WriteValue(section, "SYNCTYPE", read("SYNCTYPE"), m_settings);
  ok = ok && WriteValue(section, "BOOKID", read("BookID"), m_settings);
  ok = ok && WriteValue(section, "IGNORE", "N", m_settings);
  ok = ok && WriteValue(section, "PUBLISHERID", read("PUBID"), m_settings);
  return ok;
}

CAddResult CBookCase::AddDescription(const std::string& descriptionPath) {
  CAddResult result;
  std::error_code ec;
  fs::path absolute = fs::absolute(descriptionPath, ec);
  const std::string description = ec ? descriptionPath : absolute.lexically_normal().string();
  const std::string folder = fs::path(description).parent_path().string();

  result.m_dataSetName = GetString(kPublisherData, "DataSetName", description);
  if (result.m_dataSetName.empty()) {
    result.m_status = AddStatus::NoDataSetName;
    return result;
  }

  // The books run from "Book 1" to the first section without a nonzero
  // BookID. Only sections that exist are asked for, so the loop ends with
  // the file.
  std::set<std::string> sections;
  for (const std::string& name : platform::GetPrivateProfileSectionNames(description)) sections.insert(Lower(name));
  std::vector<std::pair<unsigned, unsigned>> books;  // k, BookID
  for (unsigned k = 1;; ++k) {
    std::string section = "Book " + std::to_string(k);
    if (!sections.count(Lower(section))) break;
    unsigned id = platform::GetPrivateProfileInt(section.c_str(), "BookID", 0, description);
    if (id == 0) break;
    books.emplace_back(k, id);
  }
  if (books.empty()) {
    result.m_status = AddStatus::NoBooks;
    return result;
  }

  const unsigned count = GetDataSetCount();
  unsigned found = 0;
  for (unsigned n = 1; n <= count && !found; ++n)
    if (GetString(DataSetSection(n), "DATASETNAME", m_settings) == result.m_dataSetName) found = n;

  if (found) {
    result.m_dataSet = found;
    const unsigned oldCount = GetBookCount(found);
    std::set<unsigned> registered;
    RegistryShape shape(m_settings);
    for (const CBookItem& book : LoadDataSetFrom(m_settings, shape, found, oldCount).m_books)
      registered.insert(platform::GetPrivateProfileInt(BookSection(found, book.m_number).c_str(), "BOOKID", 0,
                                                       m_settings));
    // A description registered before changes nothing, wherever its data set
    // stands; only adding books to it needs it to be the last data set, whose
    // books are the last sections the main program counts.
    bool anyNew = false;
    for (const auto& entry : books) anyNew = anyNew || !registered.count(entry.second);
    if (!anyNew) {
      result.m_status = AddStatus::AlreadyRegistered;
      return result;
    }
    if (found != count) {
      platform::MessageBox("They're Different");
      result.m_status = AddStatus::Different;
      return result;
    }
    // New books keep their order in the description and follow the
    // existing ones without a gap.
    unsigned m = oldCount;
    for (const auto& [k, id] : books) {
      if (registered.count(id)) continue;
      CAddedBook added;
      if (!WriteBook(found, ++m, description, k, folder, added)) {
        result.m_status = AddStatus::WriteFailed;
        return result;
      }
      result.m_books.push_back(std::move(added));
    }
    if (result.m_books.empty()) {
      result.m_status = AddStatus::AlreadyRegistered;
      return result;
    }
    std::string bookCount = std::to_string(m);
    if (!platform::WritePrivateProfileString(DataSetSection(found).c_str(), "BookCount", bookCount.c_str(),
                                             m_settings)) {
      result.m_status = AddStatus::WriteFailed;
      return result;
    }
    result.m_status = AddStatus::Extended;
    return result;
  }

  // A new data set. The counts that make it visible are written last, so a
  // failure on the way leaves the registry as it was; the sections are made
  // first so the file reads in the registry's order.
  const unsigned n = count + 1;
  result.m_dataSet = n;
  const std::string dataSet = DataSetSection(n);
  std::string publisher = GetString(kPublisherData, "PublisherName", description);
  bool ok = true;
  if (platform::GetPrivateProfileString(kDataSets, "DATASETCOUNT", "", m_settings).empty())
    ok = platform::WritePrivateProfileString(kDataSets, "DATASETCOUNT", "0", m_settings);
  ok = ok && platform::WritePrivateProfileString(dataSet.c_str(), nullptr, nullptr, m_settings);
  ok = ok && WriteValue(dataSet, "DATASETNAME", result.m_dataSetName, m_settings);
  ok = ok && WriteValue(dataSet, "PublisherName", publisher, m_settings);
  unsigned m = 0;
  for (const auto& [k, id] : books) {
    (void)id;
    CAddedBook added;
    ok = ok && WriteBook(n, ++m, description, k, folder, added);
    if (ok) result.m_books.push_back(std::move(added));
  }
  std::string bookCount = std::to_string(books.size());
  std::string dataSetCount = std::to_string(n);
  ok = ok && platform::WritePrivateProfileString(dataSet.c_str(), "BookCount", bookCount.c_str(), m_settings);
  ok = ok && platform::WritePrivateProfileString(kDataSets, "DATASETCOUNT", dataSetCount.c_str(), m_settings);
  result.m_status = ok ? AddStatus::Added : AddStatus::WriteFailed;
  if (!ok) result.m_books.clear();
  return result;
}

bool CBookCase::SetIgnoreBook(unsigned n, unsigned m, bool ignore) {
  // Only a registered book: writing to any other number would make a
  // section the main program never reads.
  for (const CBookItem& book : LoadDataSet(n).m_books)
    if (book.m_number == m)
      return platform::WritePrivateProfileString(BookSection(n, m).c_str(), "IGNORE", ignore ? "Y" : "N",
                                                 m_settings);
  return false;
}

bool CBookCase::SetIgnoreDataSet(unsigned n, bool ignore) {
  bool ok = true;
  for (const CBookItem& book : LoadDataSet(n).m_books)
    ok = platform::WritePrivateProfileString(BookSection(n, book.m_number).c_str(), "IGNORE", ignore ? "Y" : "N",
                                             m_settings) &&
         ok;
  return ok;
}

bool CBookCase::Ok() {
  std::error_code ec;
  fs::remove(m_backup, ec);
  m_opened = false;
  if (ec) {
    platform::MessageBox("Error");
    return false;
  }
  return true;
}

bool CBookCase::Cancel() {
  bool ok = true;
  std::error_code ec;
  if (!m_opened || !m_backedUp) {
    // Without a backup there is nothing to go back to; removing the
    // settings file now would lose the user's whole registry.
  } else if (m_hadSettings) {
    ok = CopyReplacing(m_backup, m_settings);
    if (ok) ok = fs::remove(m_backup, ec) && !ec;
  } else {
    fs::remove(m_settings, ec);
    ok = !ec;
  }
  m_opened = false;
  if (!ok) platform::MessageBox("Error");
  return ok;
}

}  // namespace bookcase
