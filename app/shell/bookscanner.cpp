#include "app/shell/bookscanner.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "app/shell/registry.h"
#include "app/shell/settings.h"
#include "platform/file.h"
#include "platform/lettercase.h"
#include "platform/messages.h"
#include "platform/profile.h"

namespace klmw {

namespace fs = std::filesystem;

namespace {

using platform::Upper;

bool Contains(const std::vector<std::string>& list, const std::string& s) {
  return std::find(list.begin(), list.end(), s) != list.end();
}

// Whether the subtree below node holds a book folder or a Bible file.
bool HoldsBooks(const CBookNode& node) {
  for (const auto& child : node.children)
    if (child->kind == kNodeBook || child->kind == kNodeBibleFile || HoldsBooks(*child)) return true;
  return false;
}

void CollectBooks(CBookNode& node, std::vector<CBookNode*>& out) {
  if (node.kind == kNodeBook || node.kind == kNodeBibleFile) out.push_back(&node);
  for (auto& child : node.children) CollectBooks(*child, out);
}

// The value of `key` in the header text: from `skip` characters after the
// key up to the next '}' (or the end of the text).
bool FindHeaderValue(const std::string& text, const char* key, size_t skip, std::string& value) {
  size_t at = text.find(key);
  if (at == std::string::npos) return false;
  size_t begin = std::min(text.size(), at + skip);
  size_t end = text.find('}', begin);
  value = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
  return true;
}

}  // namespace

std::string CBookNode::GetName() const {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ParseBookHeader(const std::string& bytes, CBookHeader& header) {
  // The header lives in the first 6,400 bytes; NULs between its control
  // words become blanks so the text can be searched as one string.
  std::string text = bytes.substr(0, std::min<size_t>(bytes.size(), 6399));
  std::replace(text.begin(), text.end(), '\0', ' ');
  CBookHeader h;
  if (!FindHeaderValue(text, "Title", 6, h.title)) return false;
  if (!FindHeaderValue(text, "PublisherID", 12, h.publisherID)) return false;
  if (!FindHeaderValue(text, "BookID", 7, h.bookID)) return false;
  header = std::move(h);
  return true;
}

bool ParseBookHeaderLeniently(const std::string& bytes, CBookHeader& header) {
  if (ParseBookHeader(bytes, header)) return true;
  // Books our compiler made before it wrote the published words have
  // "{\title:...}" and keep the two identifiers only in the version record
  // (bytes 2-5 of book.dat); such a book is still one the scan should register.
  std::string text = bytes.substr(0, std::min<size_t>(bytes.size(), 6399));
  std::replace(text.begin(), text.end(), '\0', ' ');
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto value = [&](const char* key, size_t skip, std::string& out) {
    size_t at = lower.find(key);
    if (at == std::string::npos) return false;
    size_t begin = std::min(text.size(), at + skip);
    size_t end = text.find('}', begin);
    out = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    return true;
  };
  CBookHeader h;
  if (!value("title", 6, h.title)) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const bool record = bytes.size() >= 12 && (b[0] | b[1] << 8) >= 12;
  if (!value("publisherid", 12, h.publisherID)) {
    if (!record) return false;
    h.publisherID = std::to_string(b[2] | b[3] << 8);
  }
  if (!value("bookid", 7, h.bookID)) {
    if (!record) return false;
    h.bookID = std::to_string(b[4] | b[5] << 8);
  }
  header = std::move(h);
  return true;
}

bool ReadBookHeader(const std::string& dir, CBookHeader& header) {
  std::string bytes(6400, '\0');
  try {
    platform::File file;
    if (!file.Open(dir + "/book.dat", platform::File::modeRead | platform::File::shareDenyNone)) return false;
    bytes.resize(file.Read(bytes.data(), static_cast<unsigned>(bytes.size())));
  } catch (const platform::FileException&) {
    return false;
  }
  return ParseBookHeaderLeniently(bytes, header);
}

std::vector<std::string> CBookScanner::DefaultExclusions() {
  return {"proc", "sys", "dev", "run", "tmp", "lost+found", ".git", "node_modules"};
}

std::vector<std::string> CBookScanner::DefaultBibleFileNames() { return {"KJS.DAT", "NIV.DAT", "RVR.DAT", "WEB.DAT"}; }

CBookScanner::CBookScanner(std::string rootPath)
    : m_rootPath(std::move(rootPath)), m_exclusions(DefaultExclusions()), m_bibleFileNames(DefaultBibleFileNames()) {}

bool CBookScanner::Scan(const std::string& root, bool showAll, bool fullWalk,
                        const std::vector<std::string>& inactivePaths, const Progress& progress,
                        const std::atomic<bool>* cancel) {
  m_rootPath = root;
  while (m_rootPath.size() > 1 && m_rootPath.back() == '/') m_rootPath.pop_back();
  m_root = std::make_unique<CBookNode>();
  m_root->path = m_rootPath;
  m_visited = 0;
  return Walk(*m_root, 0, showAll, fullWalk, inactivePaths, progress, cancel);
}

bool CBookScanner::ScanDirectory(CBookNode& node, bool showAll, bool fullWalk,
                                 const std::vector<std::string>& inactivePaths, const Progress& progress,
                                 const std::atomic<bool>* cancel) {
  return Walk(node, 0, showAll, fullWalk, inactivePaths, progress, cancel);
}

bool CBookScanner::Walk(CBookNode& node, int depth, bool showAll, bool fullWalk,
                        const std::vector<std::string>& inactivePaths, const Progress& progress,
                        const std::atomic<bool>* cancel) {
  node.children.clear();
  ++m_visited;
  if (cancel && cancel->load()) return false;
  if (progress && !progress(node.path, m_visited)) return false;

  std::vector<fs::directory_entry> dirs, files;
  std::error_code ec;
  fs::directory_iterator it(node.path, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code sec;
    // Only what is a folder itself: a link to a folder could lead back up
    // and make the walk endless.
    if (it->is_symlink(sec)) continue;
    if (it->is_directory(sec))
      dirs.push_back(*it);
    else if (it->is_regular_file(sec))
      files.push_back(*it);
  }
  // Listing order differs between file systems; sorted, a scan gives the
  // same registry every time.
  auto byName = [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); };
  std::sort(dirs.begin(), dirs.end(), byName);
  std::sort(files.begin(), files.end(), byName);

  const std::string base = node.path == "/" ? "/" : node.path + "/";
  for (const fs::directory_entry& d : dirs) {
    std::string name = d.path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    auto child = std::make_unique<CBookNode>();
    child->path = base + name;
    child->parent = &node;
    std::error_code sec;
    if (Contains(m_exclusions, name))
      child->kind = kNodeExcluded;
    else if (fs::is_directory(child->path + "/solt", sec))
      child->kind = kNodeSoltParent;
    // An excluded folder is listed but never entered: the list names the
    // places (system trees, caches) a walk must keep out of.
    bool descend = child->kind != kNodeExcluded && (child->kind != kNodePlain || fullWalk) && depth < kMaxDepth;
    if (descend && !Walk(*child, depth + 1, showAll, fullWalk, inactivePaths, progress, cancel)) {
      if (showAll || child->kind != kNodePlain || HoldsBooks(*child)) node.children.push_back(std::move(child));
      return false;
    }
    // A plain folder is kept when it leads to a book, so a full walk shows
    // where the books it found are.
    if (showAll || child->kind != kNodePlain || HoldsBooks(*child)) node.children.push_back(std::move(child));
  }
  for (const fs::directory_entry& f : files) {
    std::string name = f.path().filename().string();
    std::string upper = Upper(name);
    if (upper == "BOOK.DAT") {
      node.kind = kNodeBook;
      node.active = !Contains(inactivePaths, node.path);
    } else if (upper.find(".DAT") != std::string::npos) {
      for (const std::string& bible : m_bibleFileNames) {
        if (upper.find(Upper(bible)) == std::string::npos) continue;
        auto child = std::make_unique<CBookNode>();
        child->path = base + name;
        child->parent = &node;
        child->kind = kNodeBibleFile;
        child->active = !Contains(inactivePaths, child->path);
        node.children.push_back(std::move(child));
        break;
      }
    }
  }
  return true;
}

std::vector<CBookNode*> CBookScanner::GetBookNodes() {
  std::vector<CBookNode*> out;
  if (m_root) CollectBooks(*m_root, out);
  return out;
}

int CBookScanner::WriteRegistry(CDataSetRegistry& registry, const Hooks& hooks) {
  const std::string& ini = registry.GetSettingsPath();
  if (hooks.beforeWrite) hooks.beforeWrite();

  // What the registry knew under each path, read before any section is
  // rewritten: a book whose header cannot be read keeps its names.
  std::map<std::string, CBookHeader> known;
  for (const cSOLTBook& b : registry.GetBooks()) {
    std::string path = b.GetTextPath();
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    known.emplace(path, CBookHeader{b.GetBookName(), b.GetPublisherID(), b.GetBookID()});
  }
  {
    const int written = std::max(ReadProfileInt("DATASET_1", "TOTALBOOKCOUNT", 0, ini),
                                 ReadProfileInt("DATASET_1", "BOOKCOUNT", 0, ini));
    for (int m = 1; m <= std::min(written, kMaxBooksPerDataSet); ++m) {
      std::string section = "BOOK_1_" + std::to_string(m);
      auto get = [&](const char* key) {
        return platform::GetPrivateProfileString(section.c_str(), key, "", ini, kProfileBufferSize);
      };
      CBookHeader h{get("BOOKNAME"), get("PUBLISHERID"), get("BOOKID")};
      if (h.title.empty()) continue;
      for (const char* key : {"PATH", "DEFPATH"})
        if (std::string p = get(key); !p.empty()) known.emplace(p, h);
    }
  }

  std::vector<CBookNode*> nodes = GetBookNodes();
  int c = 1;
  auto writePass = [&](bool active) {
    for (CBookNode* node : nodes) {
      if (node->active != active) continue;
      CBookHeader h;
      std::string defPath = node->path;
      if (node->kind == kNodeBook) {
        std::error_code ec;
        if (!fs::exists(node->path + "/viewable.idx", ec)) {
          // Only shown once, in the pass the book belongs to.
          platform::MessageBox("Note:  Directory " + node->path + " contains book.dat but not other solt files");
          continue;
        }
        if (!ReadBookHeader(node->path, h)) {
          auto it = known.find(node->path);
          if (it == known.end()) continue;
          h = it->second;
        }
      } else {
        // "KJS.DAT": the three characters before the extension.
        std::string stem = node->GetName();
        if (size_t dot = stem.rfind('.'); dot != std::string::npos) stem.resize(dot);
        h.title = stem.size() > 3 ? stem.substr(stem.size() - 3) : stem;
        h.publisherID = "Iridelsoft";
        h.bookID = "1";
        size_t slash = node->path.find_last_of('/');
        defPath = (slash == std::string::npos ? std::string() : node->path.substr(0, slash + 1)) + h.title;
      }
      const std::string section = "BOOK_1_" + std::to_string(c);
      // The section is replaced whole, so no key of the book that had this
      // number before is left to describe the new one.
      platform::WritePrivateProfileString(section.c_str(), nullptr, nullptr, ini);
      const std::pair<const char*, std::string> keys[] = {
          {"PATH", node->path},   {"DEFPATH", defPath}, {"BOOKNAME", h.title},
          {"PUBLISHERID", h.publisherID}, {"BOOKID", h.bookID}, {"STATUS", active ? "ACTIVE" : "INACTIVE"}};
      for (const auto& [key, value] : keys)
        platform::WritePrivateProfileString(section.c_str(), key, value.c_str(), ini);
      ++c;
    }
  };
  writePass(true);
  platform::WritePrivateProfileString("SOLTDATASETS", "DATASETCOUNT", "1", ini);
  platform::WritePrivateProfileString("DATASET_1", "BOOKCOUNT", std::to_string(c - 1).c_str(), ini);
  platform::WritePrivateProfileString("DATASET_1", "DATASETNAME", "SoltDataSet", ini);
  writePass(false);
  platform::WritePrivateProfileString("DATASET_1", "TOTALBOOKCOUNT", std::to_string(c - 1).c_str(), ini);

  registry.LoadRegistry();
  registry.ClearInactiveCache();
  if (hooks.afterReload) hooks.afterReload();
  return c - 1;
}

}  // namespace klmw
