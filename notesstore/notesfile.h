// The user's notes, KLMW.NOT: a compound file (OLE structured storage) with
// one storage per annotated text ("bible.not" for the Bible, "<book
// id><publisher id>.not" for a book) and in it one stream per note, named by
// the decimal number of the note's position (a verse index or a section key)
// and holding the note's rich text as the editor saved it.
//
// The store is read whole when opened and kept in memory; every change writes
// the whole file anew beside the old one and renames it into place, so the
// file on disk is always a complete store, the old or the new.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace klmw {

inline constexpr const char* kBibleNotesStorage = "bible.not";

// "<book id><publisher id>.not", the decimal numbers run together.
std::string BookNotesStorage(int bookId, int publisherId);

// Larger streams, or a larger file, are taken for damage.
inline constexpr size_t kMaxNoteBytes = size_t{64} << 20;
inline constexpr size_t kMaxNotesFileBytes = size_t{512} << 20;
// Notes in one storage (the Bible has 31,102 verses). libgsf's reading time
// grows with the square of the entries of each storage, so the sum of those
// squares (the storages counted as the root's entries) is bounded as well.
inline constexpr size_t kMaxNotesPerStorage = 32768;
inline constexpr uint64_t kMaxEntryWork = uint64_t{2} * kMaxNotesPerStorage * kMaxNotesPerStorage;

class CNotesFile {
 public:
  struct Entry {
    std::string storage;
    std::string stream;
    size_t length;
  };

  // Reads the whole file into memory. A missing file is an empty store
  // (nothing is written until a Put). A file that is not a compound file, or
  // is damaged, is renamed aside, never overwritten: to path + ".damaged" (or
  // ".damaged-2", ... when that exists); DamagedCopy() names it, error tells
  // what was wrong, and the store starts empty. False only when the file can
  // neither be read nor set aside (error says why).
  bool Open(const std::string& path, std::string& error);
  const std::string& GetPath() const { return m_path; }
  const std::string& DamagedCopy() const { return m_damagedCopy; }

  // The note of a position in a storage, as stored (rich text bytes); false
  // when there is none.
  bool Get(const std::string& storage, long position, std::string& rtf) const;
  // Stores or replaces the note, creating the storage when new, and writes
  // the whole file. On failure the old file and the store in memory stay as
  // they were.
  bool Put(const std::string& storage, long position, const std::string& rtf, std::string& error);
  // Removes a note (writing the file the same way); true when there was none.
  bool Remove(const std::string& storage, long position, std::string& error);
  // Every note, storages and streams in name order.
  std::vector<Entry> List() const;

 private:
  using Storage = std::map<std::string, std::string>;  // stream name -> bytes
  bool Save(std::string& error) const;

  std::string m_path;
  std::string m_damagedCopy;
  std::map<std::string, Storage> m_storages;
};

// Tells whether bytes hold a sound compound file: the header, the allocation
// tables and every sector chain are checked (in range, no loops, no sector
// used twice, long enough for the stream's size), and the directory tree is
// checked for loops. Empty when sound, else what is wrong.
std::string CheckCompoundFile(const std::string& bytes);

}  // namespace klmw
