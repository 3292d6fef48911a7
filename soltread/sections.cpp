// The table of contents as callers see it: entries by key, sibling runs,
// paths both ways and the keys that share a viewable area.
#include <iterator>
#include <string_view>
#include <vector>
#include <unordered_set>

#include "soltread.h"
#include "soltread/bookfileset.h"
#include "soltread/util.h"

namespace {

// Follows a chain of links (siblings or parents). A damaged file can make a
// chain loop; meeting a key twice is the same error as a link out of the
// table, so callers never spin or pile up entries.
class cChainGuard {
 public:
  cChainGuard(const std::string& path, int start) : m_path(path) { m_seen.insert(start); }
  void Visit(int key) {
    if (!m_seen.insert(key).second) solt::ThrowGenericFileError(m_path);
  }

 private:
  const std::string& m_path;
  std::unordered_set<int> m_seen;
};

}  // namespace

int cSOLTBook::IsValidSectionKey(int key) {
  RequireOpen(SOLT_SECTIONS_IDX);
  return m_pFileSet->GetSections().IsSectionKey(key) ? 1 : 0;
}

int cSOLTBook::IsValidGlossaryKey(int key) {
  RequireOpen(SOLT_SECTIONS_IDX);
  // -2 asks for the first glossary entry, whether or not there is one.
  return key == -2 || m_pFileSet->GetSections().IsGlossaryKey(key) ? 1 : 0;
}

int cSOLTBook::IsValidKey(int key) {
  RequireOpen(SOLT_SECTIONS_IDX);
  return m_pFileSet->GetSections().IsKey(key) ? 1 : 0;
}

int cSOLTBook::GetLastSectionKey() {
  RequireOpen(SOLT_SECTIONS_IDX);
  return m_pFileSet->GetSections().GetSectionCount() - 1;
}

int cSOLTBook::GetLastKey() {
  RequireOpen(SOLT_SECTIONS_IDX);
  return m_pFileSet->GetSections().GetEntryCount() - 1;
}

int cSOLTBook::GetSection(int key, cSectionsData& entry) {
  RequireOpen(SOLT_SECTIONS_IDX);
  cSectionsIndex& index = m_pFileSet->GetSections();
  if (!index.IsSectionKey(key)) return 1;
  index.ReadEntry(key, entry);
  return 0;
}

int cSOLTBook::GetGlossary(int key, cSectionsData& entry) {
  RequireOpen(SOLT_SECTIONS_IDX);
  cSectionsIndex& index = m_pFileSet->GetSections();
  if (key == -2) key = index.GetSectionCount();
  if (!index.IsGlossaryKey(key)) return 1;
  index.ReadEntry(key, entry);
  return 0;
}

int cSOLTBook::GetEntry(int key, cSectionsData& entry) {
  RequireOpen(SOLT_SECTIONS_IDX);
  if (m_pFileSet->GetSections().IsSectionKey(key)) return GetSection(key, entry);
  return GetGlossary(key, entry);
}

int cSOLTBook::GetSiblingSectionCount(int key) {
  RequireOpen(SOLT_SECTIONS_IDX);
  cSectionsIndex& index = m_pFileSet->GetSections();
  if (!index.IsSectionKey(key)) solt::ThrowGenericFileError(m_textPath);
  // One guard for both directions: in a sound file the two runs never meet.
  cChainGuard guard(m_textPath, key);
  const sSectionRecord start = index.ReadRecord(key);
  int count = 1;
  for (int k = start.prevKey; k != -1; k = index.ReadRecord(k).prevKey, ++count) guard.Visit(k);
  for (int k = start.nextKey; k != -1; k = index.ReadRecord(k).nextKey, ++count) guard.Visit(k);
  return count;
}

int cSOLTBook::GetSectionsArray(int key, std::vector<cSectionsData>& entries) {
  RequireOpen(SOLT_SECTIONS_IDX);
  cSectionsIndex& index = m_pFileSet->GetSections();
  if (!index.IsSectionKey(key)) return static_cast<int>(entries.size());
  // Gathered apart first, so a damaged run leaves the caller's array as it was.
  std::vector<cSectionsData> run;
  cChainGuard guard(m_textPath, key);
  for (int k = key; k != -1;) {
    cSectionsData entry;
    index.ReadEntry(k, entry);
    k = entry.GetNextKey();
    run.push_back(std::move(entry));
    if (k != -1) guard.Visit(k);
  }
  entries.insert(entries.end(), std::make_move_iterator(run.begin()), std::make_move_iterator(run.end()));
  return static_cast<int>(entries.size());
}

int cSOLTBook::EnumSections(int key, int (*callback)(cSectionsData&, void*), void* user) {
  RequireOpen(SOLT_SECTIONS_IDX);
  cSectionsIndex& index = m_pFileSet->GetSections();
  if (!index.IsSectionKey(key)) return 0;
  cChainGuard guard(m_textPath, key);
  int count = 1;
  for (int k = key; k != -1;) {
    cSectionsData entry;
    index.ReadEntry(k, entry);
    k = entry.GetNextKey();
    if (!callback(entry, user)) break;
    ++count;
    if (k != -1) guard.Visit(k);
  }
  return count;
}

int cSOLTBook::GetSectionKey(const char* path) {
  RequireOpen(SOLT_SECTIONS_IDX);
  cSectionsIndex& index = m_pFileSet->GetSections();
  std::string_view rest = path ? path : "";
  int start = 0;
  int found = -1;
  while (!rest.empty()) {
    size_t cut = rest.find('\\');
    std::string_view component = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    if (component.empty()) continue;
    // The previous component's entry had no children (or the book has no
    // sections at all): nothing further down can match.
    if (!index.IsSectionKey(start)) return -1;
    found = -1;
    cChainGuard guard(m_textPath, start);
    for (int k = start; k != -1;) {
      sSectionRecord record = index.ReadRecord(k);
      if (solt::EqualsNoCase(index.ReadName(record), component)) {
        found = k;
        start = index.GetChildKey(k, record);
        break;
      }
      k = record.nextKey;
      if (k != -1) guard.Visit(k);
    }
    if (found == -1) return -1;
  }
  return found;
}

std::string cSOLTBook::GetPathFromKey(int key) {
  RequireOpen(SOLT_SECTIONS_IDX);
  cSectionsIndex& index = m_pFileSet->GetSections();
  if (!index.IsKey(key)) solt::ThrowGenericFileError(m_textPath);
  cChainGuard guard(m_textPath, key);
  // Names from the entry up to the top, joined the other way round.
  std::vector<std::string> names;
  for (int k = key; k != -1;) {
    sSectionRecord record = index.ReadRecord(k);
    names.push_back(index.ReadName(record));
    k = record.parentKey;
    if (k != -1) guard.Visit(k);
  }
  std::string path;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    path += '\\';
    path += *it;
  }
  return path;
}

std::string cSOLTBook::GetFormattedPathFromKey(int key, const char* separator) {
  RequireOpen(SOLT_SECTIONS_IDX);
  cSectionsIndex& index = m_pFileSet->GetSections();
  if (!index.IsKey(key)) solt::ThrowGenericFileError(m_textPath);
  cChainGuard guard(m_textPath, key);
  std::vector<std::string> names;  // the entry first, the top-level ancestor last
  sSectionRecord record = index.ReadRecord(key);
  names.push_back(index.ReadName(record));
  index.Remember(key, record.level, names.back(), record.parentKey);
  for (int k = record.parentKey; k != -1;) {
    guard.Visit(k);
    std::string name;
    int parent = -1;
    if (!index.FindCached(k, name, parent)) {
      sSectionRecord ancestor = index.ReadRecord(k);
      name = index.ReadName(ancestor);
      parent = ancestor.parentKey;
      index.Remember(k, ancestor.level, name, parent);
    }
    names.push_back(std::move(name));
    k = parent;
  }
  const std::string_view sep = separator ? separator : "";
  std::string path;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (it != names.rbegin()) path += sep;
    path += *it;
  }
  return path;
}

void cSOLTBook::GetKeyRange(const cSectionsData& entry, int* first, int* last) {
  RequireOpen(SOLT_SECTIONS_IDX);
  cSectionsIndex& index = m_pFileSet->GetSections();
  const int key = entry.GetSectionKey();
  if (!index.IsKey(key)) solt::ThrowGenericFileError(m_textPath);
  int end = key;
  while (end + 1 < index.GetEntryCount() && index.ReadRecord(end + 1).bookKey == entry.GetBookKey()) ++end;
  // A level count from a caller's own entry may be anything; wrap rather
  // than overflow.
  if (first) *first = static_cast<int>(static_cast<int64_t>(key) - entry.GetLevelCount());
  if (last) *last = end;
}
