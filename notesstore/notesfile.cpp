#include "notesstore/notesfile.h"

#include <fcntl.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "notesstore/compoundfile.h"
#include "platform/safefile.h"

namespace klmw {
namespace {

void StartGsf() {
  static std::once_flag once;
  std::call_once(once, [] { gsf_init(); });
}

// Owns one reference of a GObject.
template <typename T>
class Ref {
 public:
  explicit Ref(T* object = nullptr) : m_object(object) {}
  ~Ref() {
    if (m_object) g_object_unref(m_object);
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T* get() const { return m_object; }
  explicit operator bool() const { return m_object != nullptr; }

 private:
  T* m_object;
};

std::string ErrorText(GError* err, const char* otherwise) {
  std::string text = err && err->message ? err->message : otherwise;
  if (err) g_error_free(err);
  return text;
}

// Reads the whole file; a missing one reads as absent. Files over the limit
// are not read (tooLarge).
bool ReadWhole(const std::string& path, std::string& bytes, bool& exists, bool& tooLarge, std::string& error) {
  exists = false;
  tooLarge = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return true;
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  exists = true;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "cannot read " + path + ": it is not a file";
    ::close(fd);
    return false;
  }
  if (static_cast<uint64_t>(st.st_size) > kMaxNotesFileBytes) {
    tooLarge = true;
    ::close(fd);
    return true;
  }
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = "cannot read " + path + ": " + std::strerror(errno);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  ::close(fd);
  return true;
}

// Renames the file to the first free name path.damaged, path.damaged-2, ...
bool SetAside(const std::string& path, std::string& copy, std::string& error) {
  for (int n = 1; n < 1000; ++n) {
    copy = path + ".damaged" + (n == 1 ? std::string() : "-" + std::to_string(n));
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, copy.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST) continue;
    if (errno != EINVAL) break;
    // A file system without the no-replace rename: look first.
    struct stat st;
    if (::lstat(copy.c_str(), &st) == 0) continue;
    if (::rename(path.c_str(), copy.c_str()) == 0) return true;
    break;
  }
  error = "cannot set aside " + path + ": " + std::strerror(errno);
  copy.clear();
  return false;
}

bool ValidStorage(const std::string& storage) {
  // A compound file's names hold 31 characters at most.
  return !storage.empty() && storage.size() <= 31 && storage.find_first_of("/\\:!") == std::string::npos;
}

}  // namespace

std::string BookNotesStorage(int bookId, int publisherId) {
  return std::to_string(bookId) + std::to_string(publisherId) + ".not";
}

bool CNotesFile::Open(const std::string& path, std::string& error) {
  m_path = path;
  m_damagedCopy.clear();
  m_storages.clear();
  std::string bytes;
  bool exists = false, tooLarge = false;
  if (!ReadWhole(path, bytes, exists, tooLarge, error)) return false;
  if (!exists) return true;

  std::string fault = tooLarge ? "it is larger than 512 MB" : CheckCompoundFile(bytes);
  std::map<std::string, Storage> storages;
  if (fault.empty()) {
    StartGsf();
    Ref<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8*>(bytes.data()),
                                             static_cast<gsf_off_t>(bytes.size()), FALSE));
    GError* err = nullptr;
    Ref<GsfInfile> root(gsf_infile_msole_new(input.get(), &err));
    if (!root) fault = ErrorText(err, "it cannot be read");
    const int count = root ? gsf_infile_num_children(root.get()) : 0;
    for (int i = 0; i < count && fault.empty(); ++i) {
      const char* name = gsf_infile_name_by_index(root.get(), i);
      Ref<GsfInput> child(gsf_infile_child_by_index(root.get(), i));
      if (!name || !child) {
        fault = "an entry cannot be read";
        break;
      }
      GsfInfile* folder = GSF_IS_INFILE(child.get()) ? GSF_INFILE(child.get()) : nullptr;
      const int streams = folder ? gsf_infile_num_children(folder) : -1;
      // Only storages of notes are ours; anything else at the top is left out.
      if (streams < 0) continue;
      Storage& storage = storages[name];
      for (int j = 0; j < streams && fault.empty(); ++j) {
        const char* streamName = gsf_infile_name_by_index(folder, j);
        Ref<GsfInput> stream(gsf_infile_child_by_index(folder, j));
        if (!streamName || !stream) {
          fault = "a note cannot be read";
          break;
        }
        if (GSF_IS_INFILE(stream.get()) && gsf_infile_num_children(GSF_INFILE(stream.get())) >= 0) continue;
        const gsf_off_t size = gsf_input_size(stream.get());
        if (size < 0 || static_cast<uint64_t>(size) > kMaxNoteBytes) {
          fault = "a note is over 64 MB";
          break;
        }
        std::string& note = storage[streamName];
        note.resize(static_cast<size_t>(size));
        if (size > 0 && !gsf_input_read(stream.get(), note.size(), reinterpret_cast<guint8*>(note.data())))
          fault = "a note cannot be read";
      }
    }
  }
  if (fault.empty()) {
    m_storages = std::move(storages);
    return true;
  }
  if (!SetAside(path, m_damagedCopy, error)) return false;
  error = path + " is damaged (" + fault + "); it was kept as " + m_damagedCopy;
  return true;
}

bool CNotesFile::Get(const std::string& storage, long position, std::string& rtf) const {
  const auto s = m_storages.find(storage);
  if (s == m_storages.end()) return false;
  const auto n = s->second.find(std::to_string(position));
  if (n == s->second.end()) return false;
  rtf = n->second;
  return true;
}

bool CNotesFile::Put(const std::string& storage, long position, const std::string& rtf, std::string& error) {
  if (m_path.empty()) {
    error = "no notes file is open";
    return false;
  }
  if (!ValidStorage(storage)) {
    error = "\"" + storage + "\" cannot name a storage of notes";
    return false;
  }
  if (position < 0) {
    error = "a note's position is a number from 0";
    return false;
  }
  if (rtf.size() > kMaxNoteBytes) {
    error = "a note may hold 64 MB at most";
    return false;
  }
  const std::string name = std::to_string(position);
  // What a reader would refuse is not written.
  const auto found = m_storages.find(storage);
  const bool adding = found == m_storages.end() || found->second.find(name) == found->second.end();
  if (adding) {
    const uint64_t storages = m_storages.size() + (found == m_storages.end());
    uint64_t work = storages * storages;
    for (const auto& [n, notes] : m_storages) {
      const uint64_t count = notes.size() + (n == storage);
      work += count * count;
    }
    if (found == m_storages.end()) ++work;
    if (storages > kMaxNotesPerStorage || (found != m_storages.end() && found->second.size() >= kMaxNotesPerStorage) ||
        work > kMaxEntryWork) {
      error = "the notes file holds no more notes (" + std::to_string(kMaxNotesPerStorage) + " a storage at most)";
      return false;
    }
  }
  const bool newStorage = m_storages.find(storage) == m_storages.end();
  Storage& notes = m_storages[storage];
  const auto old = notes.find(name);
  std::string previous;
  const bool existed = old != notes.end();
  if (existed) previous.swap(old->second);
  notes[name] = rtf;
  if (Save(error)) return true;
  if (existed) {
    notes[name].swap(previous);
  } else if (newStorage) {
    m_storages.erase(storage);
  } else {
    notes.erase(name);
  }
  return false;
}

bool CNotesFile::Remove(const std::string& storage, long position, std::string& error) {
  const auto s = m_storages.find(storage);
  if (s == m_storages.end()) return true;
  const auto n = s->second.find(std::to_string(position));
  if (n == s->second.end()) return true;
  std::string previous = std::move(n->second);
  const std::string name = n->first;
  s->second.erase(n);
  if (s->second.empty()) m_storages.erase(s);
  if (Save(error)) return true;
  m_storages[storage][name] = std::move(previous);
  return false;
}

std::vector<CNotesFile::Entry> CNotesFile::List() const {
  std::vector<Entry> entries;
  for (const auto& [storage, notes] : m_storages)
    for (const auto& [stream, bytes] : notes) entries.push_back({storage, stream, bytes.size()});
  return entries;
}

// The whole file is made in memory and then written safely over the old one.
bool CNotesFile::Save(std::string& error) const {
  return platform::WriteFileSafely(m_path, cfb::WriteCompoundFile(m_storages), error);
}

}  // namespace klmw
