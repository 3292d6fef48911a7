#include "soltread/bookfileset.h"

#include <algorithm>
#include <vector>

namespace {
// All access happens on the caller's one thread; the list is deliberately
// unguarded, as the books sharing it are.
std::vector<cBookFileSet*>& LiveSets() {
  static std::vector<cBookFileSet*> sets;
  return sets;
}

const char* const kFileNames[cBookFileSet::kFileCount] = {
    "book.dat", "viewable.idx", "sections.idx", "concord.idx", "verses.idx",
    "wsync.idx", "vsync.idx",   "ssync.idx",    "dsync.idx",
};
}  // namespace

int GetLiveFileSetCount() { return cBookFileSet::GetLiveCount(); }

cBookFileSet* cBookFileSet::Find(const std::string& textPath) {
  for (cBookFileSet* set : LiveSets())
    if (set->m_textPath == textPath) return set;
  return nullptr;
}

void cBookFileSet::Register(cBookFileSet* set) { LiveSets().push_back(set); }

void cBookFileSet::Unregister(cBookFileSet* set) {
  auto& sets = LiveSets();
  sets.erase(std::remove(sets.begin(), sets.end(), set), sets.end());
}

int cBookFileSet::GetLiveCount() { return static_cast<int>(LiveSets().size()); }

const char* cBookFileSet::GetFileName(int index) {
  return index >= 0 && index < kFileCount ? kFileNames[index] : "";
}

cFileBase* cBookFileSet::FileAt(int index) {
  cFileBase* files[kFileCount] = {&m_bookDat, &m_viewable, &m_sections, &m_concord, &m_verses,
                                  &m_wsync,   &m_vsync,    &m_ssync,    &m_dsync};
  return index >= 0 && index < kFileCount ? files[index] : nullptr;
}

cFileBase* cBookFileSet::GetFile(unsigned long flag) {
  for (int i = 0; i < kFileCount; ++i)
    if (flag == (1ul << i)) return FileAt(i);
  return nullptr;
}

int cBookFileSet::OpenFiles(unsigned long flags, cSOLTBook& book) {
  unsigned long opened = 0;
  const std::string textPath = book.GetTextPath();
  const std::string idxPath = book.GetIDXPath();
  for (int i = 0; i < kFileCount; ++i) {
    unsigned long flag = 1ul << i;
    if (!(flags & flag)) continue;
    cFileBase* file = FileAt(i);
    std::string path = (i == 0 ? textPath : idxPath) + kFileNames[i];
    int result = file->Open(path.c_str(), book);
    if (result != SOLT_OK) {
      CloseFiles(opened);
      return result;
    }
    if (!file->GetOwner()) file->SetOwner(this);
    opened |= flag;
  }
  if (flags & SOLT_BOOK_DAT) {
    bool loaded = m_bookDat.HasHeaderArea();
    if (!loaded && m_viewable.IsOpen()) {
      try {
        m_bookDat.LoadHeaderArea(m_viewable);
        loaded = true;
      } catch (const platform::FileException&) {
      } catch (const std::bad_alloc&) {
      }
    }
    if (!loaded) {
      CloseFiles(opened);
      return SOLT_ERR_HEADER_AREA;
    }
  }
  m_textPath = textPath;
  m_idxPath = idxPath;
  return SOLT_OK;
}

void cBookFileSet::CloseFiles(unsigned long flags) {
  for (int i = 0; i < kFileCount; ++i)
    if (flags & (1ul << i)) FileAt(i)->Close();
}

bool cBookFileSet::HasReferences() const {
  auto* self = const_cast<cBookFileSet*>(this);
  for (int i = 0; i < kFileCount; ++i)
    if (self->FileAt(i)->GetRefCount() > 0) return true;
  return false;
}
