// soltread: access to SOLT reference books.
//
// A book is a set of files: book.dat (the text) in its text folder and the
// index files (viewable.idx, sections.idx, concord.idx, verses.idx and one
// synchronisation index) in its index folder. A cSOLTBook carries the book's
// registration and opens its files by flag; every cSOLTBook with the same text
// path shares one process-wide set of open files, reference-counted per file.
//
// Errors from opening come back as codes 0-19 (GetErrorString); an operation
// that needs a file that is not open, or a read that comes up short, raises
// platform::FileException.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file.h"

class cSOLTBook;
class cSOLTEvents;
class cSOLTDataInfo;
class cBookFileSet;

// Open flags, one per file of the set.
enum : unsigned long {
  SOLT_BOOK_DAT = 0x001,
  SOLT_VIEWABLE_IDX = 0x002,
  SOLT_SECTIONS_IDX = 0x004,
  SOLT_CONCORD_IDX = 0x008,
  SOLT_VERSES_IDX = 0x010,
  SOLT_WSYNC_IDX = 0x020,
  SOLT_VSYNC_IDX = 0x040,
  SOLT_SSYNC_IDX = 0x080,
  SOLT_DSYNC_IDX = 0x100,
  SOLT_ALL_FILES = 0x40000000,  // the five main files plus the book's own sync index
  SOLT_ALL_OPEN = 0x80000000,   // Close only: whatever is open
};

// Error codes returned by Open and friends.
enum {
  SOLT_OK = 0,
  SOLT_ERR_GENERIC = 1,
  SOLT_ERR_ID_MISMATCH = 15,
  SOLT_ERR_VERSION = 16,
  SOLT_ERR_ALREADY_OPEN = 17,
  SOLT_ERR_HEADER_AREA = 18,
  SOLT_ERR_DISK_CANCELLED = 19,
};

// The first 16 bytes of a file's version record.
struct sVersionRecord {
  uint16_t length = 0;       // the whole record's length, including this field
  uint16_t publisherID = 0;
  uint16_t bookID = 0;
  uint8_t reserved[4] = {};  // not interpreted
  uint8_t lcsMajor = 0;      // least compatible format version
  uint8_t lcsMinor = 0;
  uint8_t extra[4] = {};     // bytes 12-15 when the record is that long

  static constexpr unsigned kKeptBytes = 16;
  static constexpr unsigned kMinLength = 12;
  // Decodes up to 16 bytes (missing bytes read as zero).
  static sVersionRecord Decode(const unsigned char* bytes, unsigned count);
  void Encode(unsigned char out[kKeptBytes]) const;
};

// Both the current and the least compatible version this library reads: 0.9.
uint16_t GetCurrentSOLTVersionInfo();
uint16_t GetLeastCompatibleSOLTVersionInfo();

// The word list selected for a book: one language record of concord.idx.
struct sLanguageRec {
  uint16_t language = 1033;     // a Windows language identifier
  int32_t wordCount = 0;        // W, words in this language's list
  int32_t firstWordOffset = 0;  // file offset of word record 0
  uint16_t recordSize = 0;      // R, size of one word record
  uint8_t reserved[4] = {};     // not interpreted

  static constexpr unsigned kSize = 16;
};

// One word record of concord.idx (the first 18 bytes; the rest is not read).
struct sWordListRec {
  uint32_t reserved = 0;        // handed to the caller as stored
  int32_t keyCount32 = 0;       // K32, keys stored in four bytes
  int32_t textOffset = 0;       // u16 length + text, then the keys
  uint16_t keyCount16 = 0;      // K16, keys stored in two bytes
  int32_t positionOffset = 0;   // one i32 offset per key

  static constexpr unsigned kMinSize = 18;
};

// One table-of-contents entry as handed to callers.
class cSectionsData {
 public:
  cSectionsData() = default;

  std::string GetName() const { return m_name; }
  int GetLevel() const { return m_level; }
  int GetBookKey() const { return m_bookKey; }
  int GetLevelCount() const { return m_levelCount; }
  int GetSectionKey() const { return m_sectionKey; }
  int GetParentKey() const { return m_parentKey; }
  int GetChildKey() const { return m_childKey; }
  int GetNextKey() const { return m_nextKey; }
  int GetPrevKey() const { return m_prevKey; }

  void SetName(std::string name) { m_name = std::move(name); }
  void SetLevel(int v) { m_level = v; }
  void SetBookKey(int v) { m_bookKey = v; }
  void SetLevelCount(int v) { m_levelCount = v; }
  void SetSectionKey(int v) { m_sectionKey = v; }
  void SetParentKey(int v) { m_parentKey = v; }
  void SetChildKey(int v) { m_childKey = v; }
  void SetNextKey(int v) { m_nextKey = v; }
  void SetPrevKey(int v) { m_prevKey = v; }

 private:
  std::string m_name;
  int m_level = -1;
  int m_bookKey = -1;
  int m_levelCount = 0;
  int m_sectionKey = -1;
  int m_parentKey = -1;
  int m_childKey = -1;
  int m_nextKey = -1;
  int m_prevKey = -1;
};

// Base of every file reader: one platform file, its version record and a
// reference count shared by every book that uses the file set.
class cFileBase {
 public:
  cFileBase();
  virtual ~cFileBase();
  cFileBase(const cFileBase&) = delete;
  cFileBase& operator=(const cFileBase&) = delete;

  int Open(const char* path, cSOLTBook& book);
  int Close();  // returns the reference count left

  unsigned Read(void* buffer, unsigned length);  // short read raises endOfFile
  long Seek(long offset, unsigned from);
  unsigned GetRecordSize(long offset);
  // Allocates with operator new[]; the caller deletes[] the buffer.
  unsigned GetVariableRecord(long offset, void** out);
  // The same as a vector, for callers that would rather not free by hand.
  std::vector<unsigned char> GetVariableRecord(long offset);
  const sVersionRecord& GetVersionRecord() const { return m_versionRecord; }
  unsigned GetVersionRecordSize() const { return m_versionRecordSize; }
  int GetRefCount() const { return m_refCount; }
  int64_t GetFileLength() const { return m_fileLength; }
  // Reads made through any reader of the process (for the benchmarks'
  // reads-per-lookup figures).
  static uint64_t GetReadCount() { return s_readCount; }
  bool IsOpen() const { return m_refCount > 0; }

  int ValidatePubAndBookID(cSOLTBook& book, const char* path);
  int ValidateLCSVersion(cSOLTBook& book, const char* path);

  cBookFileSet* GetOwner() const { return m_pOwner; }
  void SetOwner(cBookFileSet* owner) { m_pOwner = owner; }

  // Reads a text stored as a 16-bit length and its bytes at `offset`, with
  // the length read as signed (a negative one raises the generic file
  // error) or unsigned. Short texts come in one read.
  std::string ReadCountedText(int64_t offset, bool signedLength);

  // Raises FileException(endOfFile) unless [offset, offset + length) lies
  // inside the file; every offset read from a file passes through here.
  void CheckRange(int64_t offset, int64_t length) const;

 protected:
  // Reads the file's own header after the version record; called on the
  // first open only. Returns 0 or an error code (18 for a corrupt header).
  virtual int LoadHeader() { return 0; }
  // Forgets what LoadHeader read; called when the last user closes.
  virtual void UnloadHeader() {}

  cBookFileSet* m_pOwner = nullptr;
  platform::File m_file;
  sVersionRecord m_versionRecord;
  uint16_t m_versionRecordSize = 0;
  long m_baseOffset = 0;
  int m_refCount = 0;
  int64_t m_fileLength = 0;

 private:
  static inline uint64_t s_readCount = 0;
};

// One data set (a publisher's group of books).
class cSOLTDataSet {
 public:
  cSOLTDataSet() = default;

  std::string GetDataSetName() const { return m_dataSetName; }
  void SetDataSetName(const char* name) { m_dataSetName = name ? name : ""; }
  std::string GetPublisherName() const { return m_publisherName; }
  void SetPublisherName(const char* name) { m_publisherName = name ? name : ""; }
  int GetBookCount() const { return m_bookCount; }
  void SetBookCount(int count) { m_bookCount = count; }
  std::string GetDataSetNumStr() const { return m_dataSetNumStr; }
  int GetDataSetNumber() const { return m_dataSetNumber; }
  void SetDataSetNumber(const char* text);

  int EnumBooks(int (*callback)(cSOLTBook&, void*), void* user, cSOLTDataInfo* info);
  int GetBookArray(std::vector<cSOLTBook>& books, cSOLTDataInfo* info);

 private:
  std::string m_dataSetName;
  std::string m_publisherName;
  int m_bookCount = 0;
  std::string m_dataSetNumStr;
  int m_dataSetNumber = 0;
};

// The registry of books, implemented by the program that registers them.
class cSOLTDataInfo {
 public:
  virtual ~cSOLTDataInfo() = default;
  virtual int GetDataSetCount() = 0;
  // 0 = filled; nonzero = no data set with that number.
  virtual int FillDataSet(cSOLTDataSet& set, int n) = 0;
  // 0 = filled; nonzero = no such book.
  virtual int FillBook(cSOLTBook& book, int bookNumber, int dataSetNumber) = 0;
};

// Optional event sink through which a program takes over the library's
// dialogs. A book owns its events object.
class cSOLTEvents {
 public:
  virtual ~cSOLTEvents() = default;
  virtual cSOLTEvents* Clone() = 0;
  // Nonzero = try again, 0 = give up.
  virtual int PromptForDisk(const char* path, cSOLTBook& book) = 0;
  virtual void ReportIDMismatch(const char* path, int registeredPublisher, int registeredBook,
                                int filePublisher, int fileBook) = 0;
  virtual void ReportVersionMismatch(const char* path, int programMajor, int programMinor,
                                     int fileMajor, int fileMinor) = 0;
};

int EnumDataSets(int (*callback)(cSOLTDataSet&, void*), void* user, cSOLTDataInfo* info);
int GetDataSetArray(std::vector<cSOLTDataSet>& sets, cSOLTDataInfo* info);
int GetDataSet(cSOLTDataSet& set, int n, cSOLTDataInfo* info);
int GetBook(cSOLTBook& book, int bookNumber, int dataSetNumber, cSOLTDataInfo* info);

class cSOLTBook {
 public:
  cSOLTBook();
  cSOLTBook(const cSOLTBook& other);
  cSOLTBook& operator=(const cSOLTBook& other);
  virtual ~cSOLTBook();

  // Registration.
  std::string GetBookName() const { return m_bookName; }
  void SetBookName(const char* v) { AssignText(m_bookName, v); }
  std::string GetDefVolumeID() const { return m_defVolumeID; }
  void SetDefVolumeID(const char* v) { AssignText(m_defVolumeID, v); }
  std::string GetRegVolumeID() const { return m_regVolumeID; }
  void SetRegVolumeID(const char* v) { AssignText(m_regVolumeID, v); }
  std::string GetDefMediaType() const { return m_defMediaType; }
  void SetDefMediaType(const char* v) { AssignText(m_defMediaType, v); }
  std::string GetRegMediaType() const { return m_regMediaType; }
  void SetRegMediaType(const char* v) { AssignText(m_regMediaType, v); }
  std::string GetDefPath() const { return m_defPath; }
  void SetDefPath(const char* v) { AssignText(m_defPath, v); }
  std::string GetTextPath() const { return m_textPath; }
  void SetTextPath(const char* v) { AssignText(m_textPath, v); }
  std::string GetIDXPath() const { return m_idxPath; }
  void SetIDXPath(const char* v) { AssignText(m_idxPath, v); }
  std::string GetMediaPath() const { return m_mediaPath; }
  void SetMediaPath(const char* v) { AssignText(m_mediaPath, v); }
  std::string GetBookID() const { return m_bookID; }
  void SetBookID(const char* v) { AssignText(m_bookID, v); }
  std::string GetPublisherID() const { return m_publisherID; }
  void SetPublisherID(const char* v) { AssignText(m_publisherID, v); }
  std::string GetSetID() const { return m_setID; }
  void SetSetID(const char* v) { AssignText(m_setID, v); }
  std::string GetSyncType() const { return m_syncType; }
  void SetSyncType(const char* v) { AssignText(m_syncType, v); }

  int GetDataSetNumber() const { return m_dataSetNumber; }
  void SetDataSetNumber(int n) { m_dataSetNumber = n; }
  int GetBookNumber() const { return m_bookNumber; }
  void SetBookNumber(int n) { m_bookNumber = n; }

  cSOLTEvents* GetEventsObjectPtr() const { return m_pEvents; }
  // Takes ownership; an events object set earlier is not deleted.
  void SetEventsObjectPtr(cSOLTEvents* events) { m_pEvents = events; }

  // Opening and closing by flags.
  int Open(unsigned long flags);
  void Close(unsigned long flags);
  int IsOpen(unsigned long flags) const;
  unsigned long GetOpenFlags() const { return m_openFlags; }
  unsigned long GetSyncTypeFlag() const;
  void MaskInvalidSyncFileFlags(unsigned long& flags) const;

  // book.dat header.
  void GetBookHeaderData(sVersionRecord& record);
  std::string GetHeaderControlWordData(const char* word);

  // Viewable text.
  unsigned long GetViewableAreaSize(int key);
  int GetViewableArea(int key, char* buffer);
  unsigned long GetFirstViewableAreaChunk(int key, unsigned chunkSize, char* buffer);
  unsigned long GetNextViewableAreaChunk(char* buffer);
  // Facts about the viewable text for tools: area count, compression type,
  // header area length (viewable.idx must be open; the header length is
  // known once book.dat has been opened).
  int GetAreaCount();
  int GetCompressionType();
  unsigned long GetHeaderAreaLength();

  // Table of contents (sections.idx). Section keys run 0 .. S-1, glossary
  // keys S .. S+G-1; -1 is no entry, -2 the first glossary entry.
  int GetSection(int key, cSectionsData& entry);
  int GetGlossary(int key, cSectionsData& entry);
  int GetEntry(int key, cSectionsData& entry);
  int IsValidSectionKey(int key);
  int IsValidGlossaryKey(int key);
  int IsValidKey(int key);
  int GetLastSectionKey();
  int GetLastKey();
  int GetSiblingSectionCount(int key);
  int GetSectionsArray(int key, std::vector<cSectionsData>& entries);
  int EnumSections(int key, int (*callback)(cSectionsData&, void*), void* user);
  int GetSectionKey(const char* path);
  std::string GetPathFromKey(int key);
  std::string GetFormattedPathFromKey(int key, const char* separator);
  void GetKeyRange(const cSectionsData& entry, int* first, int* last);

  // Word list (concord.idx); each returns a word index or -1 and leaves the
  // word cursor there.
  int SetLanguage(int language);
  int WordCount();
  int GetFirstWord(std::string& word);
  int GetLastWord(std::string& word);
  int GetNextWord(std::string& word);
  int GetPrevWord(std::string& word);
  int FindNearestMatchingWord(const char* word, std::string& found);
  int FindExactMatchingWord(const char* word);
  int GetKeysForWord(const char* word, std::vector<unsigned>& keys);
  int GetKeysForWord(int index, std::vector<unsigned>& keys);
  int GetWordListRecord(const char* word, sWordListRec& record);
  int GetWordListRecord(int index, sWordListRec& record);
  int GetWordPositionList(int index, int key, std::vector<uint16_t>& positions);

  // Scripture index (verses.idx): the number of keys, 0 when not indexed.
  int GetBookOccurrences(unsigned short book, std::vector<unsigned>& keys);
  int GetBookOccurrencesAllChapters(unsigned short book, std::vector<unsigned>& keys);
  int GetBookOccurrencesAllVerses(unsigned short book, std::vector<unsigned>& keys);
  int GetChapterOccurrences(unsigned short book, unsigned short chapter, std::vector<unsigned>& keys);
  int GetChapterOccurrencesAllVerses(unsigned short book, unsigned short chapter, std::vector<unsigned>& keys);
  int GetVerseOccurrences(unsigned short book, unsigned short chapter, unsigned short verse,
                          std::vector<unsigned>& keys);

  // Synchronisation indexes: a key, or -1 (also when the book's sync type
  // is not the index's).
  long GetWSyncKey(const char* word);
  long GetWSyncKeyPartialMatch(const char* word, std::string& found);
  long GetSSyncKey(const char* number);
  long GetDSyncKey(const char* date);
  long GetVSyncKey(const char* reference);

  // Errors, media and volumes.
  static std::string GetErrorString(int code);
  static int ConvertCauseToErrorCode(int cause);
  int IsMediaAvailable(const char* path);
  int VerifyVolume(const char* path, std::string volumeID);

  // Word-list state kept with the book.
  const sLanguageRec& GetLanguageRec() const { return m_languageRec; }
  int GetWordCursor() const { return m_wordCursor; }

  // The file set this book reads through (null when nothing is open).
  cBookFileSet* GetFileSet() const { return m_pFileSet; }

 private:
  friend class cBookFileSet;
  // Out of line: inlining the assignment of a literal trips a false GCC
  // warning in callers.
  static void AssignText(std::string& field, const char* text);
  void RequireOpen(unsigned long flags) const;
  void ResetChunkCursor();
  void CopyFrom(const cSOLTBook& other);
  // Delivers bytes [position, position + count) of header + area into buffer.
  void DeliverChunk(unsigned long position, unsigned long count, char* buffer);

  std::string m_bookName, m_defVolumeID, m_regVolumeID, m_defMediaType, m_regMediaType;
  std::string m_defPath, m_textPath, m_idxPath, m_mediaPath;
  std::string m_bookID, m_publisherID, m_setID, m_syncType;
  int m_dataSetNumber = 0;
  int m_bookNumber = 0;
  cSOLTEvents* m_pEvents = nullptr;

  cBookFileSet* m_pFileSet = nullptr;
  unsigned long m_openFlags = 0;

  // Chunk cursor.
  int m_chunkKey = -1;
  unsigned long m_chunkTotal = 0;
  unsigned long m_chunkSize = 0;
  unsigned long m_chunkPosition = 0;
  // The area's record, read once by the first chunk.
  int32_t m_chunkAreaOffset = 0;
  int32_t m_chunkAreaLength = 0;
  int32_t m_chunkAreaStored = 0;

  sLanguageRec m_languageRec;
  int m_wordCursor = -1;
};

// Number of live file sets in the process (for tests and diagnostics).
int GetLiveFileSetCount();
