#include <cstring>

#include "soltread.h"
#include "soltread/bookfileset.h"
#include "soltread/util.h"

namespace {
constexpr unsigned long kFileFlags = 0x1FF;
constexpr unsigned long kMainFiles = 0x01F;
}  // namespace

cSOLTBook::cSOLTBook() = default;

void cSOLTBook::AssignText(std::string& field, const char* text) { field = text ? text : ""; }

cSOLTBook::cSOLTBook(const cSOLTBook& other) { CopyFrom(other); }

cSOLTBook& cSOLTBook::operator=(const cSOLTBook& other) {
  if (this == &other) return *this;
  // Files the target still holds are given back first, so their references
  // in the shared set are not lost with the old text path.
  Close(SOLT_ALL_OPEN);
  delete m_pEvents;
  m_pEvents = nullptr;
  CopyFrom(other);
  return *this;
}

cSOLTBook::~cSOLTBook() {
  if (m_openFlags) Close(m_openFlags);
  delete m_pEvents;
}

// A copy carries the registration and word-list choice but none of the open
// state: the copy opens its own references to the shared files.
void cSOLTBook::CopyFrom(const cSOLTBook& other) {
  m_bookName = other.m_bookName;
  m_defVolumeID = other.m_defVolumeID;
  m_regVolumeID = other.m_regVolumeID;
  m_defMediaType = other.m_defMediaType;
  m_regMediaType = other.m_regMediaType;
  m_defPath = other.m_defPath;
  m_textPath = other.m_textPath;
  m_idxPath = other.m_idxPath;
  m_mediaPath = other.m_mediaPath;
  m_bookID = other.m_bookID;
  m_publisherID = other.m_publisherID;
  m_setID = other.m_setID;
  m_syncType = other.m_syncType;
  m_dataSetNumber = other.m_dataSetNumber;
  m_bookNumber = other.m_bookNumber;
  m_languageRec = other.m_languageRec;
  m_wordCursor = other.m_wordCursor;
  m_pEvents = other.m_pEvents ? other.m_pEvents->Clone() : nullptr;
  ResetChunkCursor();
}

unsigned long cSOLTBook::GetSyncTypeFlag() const {
  if (solt::EqualsNoCase(m_syncType, "word")) return SOLT_WSYNC_IDX;
  if (solt::EqualsNoCase(m_syncType, "verse")) return SOLT_VSYNC_IDX;
  if (solt::EqualsNoCase(m_syncType, "strongs")) return SOLT_SSYNC_IDX;
  if (solt::EqualsNoCase(m_syncType, "date")) return SOLT_DSYNC_IDX;
  return 0;
}

void cSOLTBook::MaskInvalidSyncFileFlags(unsigned long& flags) const {
  if (flags == SOLT_ALL_FILES) flags = kMainFiles | GetSyncTypeFlag();
}

int cSOLTBook::IsOpen(unsigned long flags) const {
  MaskInvalidSyncFileFlags(flags);
  flags &= kFileFlags;
  return (m_openFlags & flags) == flags ? 1 : 0;
}

int cSOLTBook::Open(unsigned long flags) {
  MaskInvalidSyncFileFlags(flags);
  flags &= kFileFlags;
  if (flags == 0) return SOLT_OK;
  if (m_openFlags) {
    if (flags & m_openFlags) return SOLT_ERR_ALREADY_OPEN;
    int result = m_pFileSet->OpenFiles(flags, *this);
    if (result != SOLT_OK) return result;
  } else {
    cBookFileSet* set = cBookFileSet::Find(m_textPath);
    bool created = set == nullptr;
    if (created) set = new cBookFileSet;
    int result = set->OpenFiles(flags, *this);
    if (result != SOLT_OK) {
      if (created) delete set;
      return result;
    }
    if (created) cBookFileSet::Register(set);
    m_pFileSet = set;
  }
  m_openFlags |= flags;
  // The word list follows the book's language from the moment it opens; a
  // language the file lacks leaves the last record read, as selecting does.
  if (flags & SOLT_CONCORD_IDX) SetLanguage(m_languageRec.language);
  return SOLT_OK;
}

void cSOLTBook::Close(unsigned long flags) {
  if (flags & SOLT_ALL_OPEN) {
    flags = m_openFlags;
    if (!flags) return;
  }
  MaskInvalidSyncFileFlags(flags);
  flags &= kFileFlags;
  if (!m_pFileSet || flags == 0 || (flags & ~m_openFlags)) return;
  cBookFileSet* set = m_pFileSet;
  set->CloseFiles(flags);
  if (!set->HasReferences()) {
    cBookFileSet::Unregister(set);
    delete set;
  }
  m_openFlags &= ~flags;
  if (m_openFlags == 0) {
    m_pFileSet = nullptr;
    ResetChunkCursor();
    m_languageRec = sLanguageRec();
    m_wordCursor = -1;
  }
}

void cSOLTBook::RequireOpen(unsigned long flags) const {
  if (!IsOpen(flags) || !m_pFileSet) solt::ThrowGenericFileError(m_textPath);
}

void cSOLTBook::ResetChunkCursor() {
  m_chunkKey = -1;
  m_chunkTotal = 0;
  m_chunkSize = 0;
  m_chunkPosition = 0;
  m_chunkAreaOffset = m_chunkAreaLength = m_chunkAreaStored = 0;
}

void cSOLTBook::GetBookHeaderData(sVersionRecord& record) {
  RequireOpen(SOLT_BOOK_DAT);
  record = m_pFileSet->GetBookText().GetVersionRecord();
}

std::string cSOLTBook::GetHeaderControlWordData(const char* word) {
  RequireOpen(SOLT_BOOK_DAT);
  std::string text = m_pFileSet->GetBookText().GetHeaderText();
  std::string pattern = std::string("{\\") + (word ? word : "") + ":";
  size_t at = text.find(pattern);
  if (at == std::string::npos) return {};
  at += pattern.size();
  size_t end = text.find('}', at);
  return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}
