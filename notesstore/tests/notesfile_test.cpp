#include "notesstore/notesfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>

#include "notesstore/compoundfile.h"
#include "platform/tests/filelimit.h"
#include "platform/tests/temp_dir.h"

namespace klmw {
namespace {

namespace fs = std::filesystem;

using platform::testing_support::FileSizeLimit;
using platform::testing_support::ReadFile;
using platform::testing_support::TempDir;
using platform::testing_support::WriteFile;

std::string Rtf(size_t size, char fill = 'x') {
  std::string rtf = "{\\rtf1 ";
  if (size <= rtf.size() + 1) return std::string(size, fill);
  rtf.append(size - rtf.size() - 1, fill);
  return rtf + "}";
}

using Model = std::map<std::pair<std::string, std::string>, std::string>;

// A change, then the file read anew must hold what the model holds.
TEST(NotesFile, RoundTrip) {
  struct Step {
    const char* what;
    bool put;
    std::string storage;
    long position;
    std::string rtf;
  };
  const std::string book = BookNotesStorage(12, 3);
  EXPECT_EQ(book, "123.not");
  const Step steps[] = {
      {"a note of the Bible", true, kBibleNotesStorage, 26136, Rtf(1000)},
      {"an empty note", true, kBibleNotesStorage, 0, ""},
      {"a second storage", true, book, 7, Rtf(5000, 'b')},
      {"the size where small streams end", true, book, 4096, Rtf(4096, 'c')},
      {"a note of 50 MB", true, book, 99, Rtf(size_t{50} << 20, 'd')},
      {"removed", false, book, 99, ""},
      {"replaced by a shorter one", true, kBibleNotesStorage, 26136, Rtf(10, 'e')},
      {"replaced by a longer one", true, book, 7, Rtf(9000, 'f')},
      {"removing what is not there", false, "none.not", 5, ""},
      {"the last note of a storage removed", false, kBibleNotesStorage, 0, ""},
      {"the last note removed", false, kBibleNotesStorage, 26136, ""},
  };
  TempDir dir;
  const std::string path = dir / "KLMW.NOT";
  Model model;
  CNotesFile notes;
  std::string error;
  ASSERT_TRUE(notes.Open(path, error)) << error;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    if (step.put) {
      ASSERT_TRUE(notes.Put(step.storage, step.position, step.rtf, error)) << error;
      model[{step.storage, std::to_string(step.position)}] = step.rtf;
    } else {
      ASSERT_TRUE(notes.Remove(step.storage, step.position, error)) << error;
      model.erase({step.storage, std::to_string(step.position)});
    }
    CNotesFile again;
    ASSERT_TRUE(again.Open(path, error)) << error;
    EXPECT_TRUE(again.DamagedCopy().empty());
    Model read;
    for (const CNotesFile::Entry& e : again.List()) {
      std::string rtf;
      ASSERT_TRUE(again.Get(e.storage, std::stol(e.stream), rtf));
      EXPECT_EQ(rtf.size(), e.length);
      read[{e.storage, e.stream}] = rtf;
    }
    EXPECT_TRUE(read == model);
    std::string rtf;
    EXPECT_EQ(again.Get(step.storage, step.position, rtf), step.put);
  }
  EXPECT_EQ(notes.List().size(), model.size());
}

// The offset of a directory entry named name (its UTF-16 name) in a file.
size_t EntryOf(const std::string& bytes, const std::string& name) {
  std::string wide;
  for (char c : name) wide += std::string(1, c) + '\0';
  wide += std::string(2, '\0');
  return bytes.find(wide);
}

uint32_t Word(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}

void SetWord(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// Opening anything that is not a sound store keeps it aside, untouched, and
// starts empty; a missing file starts empty and writes nothing.
TEST(NotesFile, OpensDamagedFilesAside) {
  TempDir sample;
  std::string sound;
  {
    CNotesFile notes;
    std::string error;
    ASSERT_TRUE(notes.Open(sample / "KLMW.NOT", error));
    ASSERT_TRUE(notes.Put(kBibleNotesStorage, 1, Rtf(300), error)) << error;
    ASSERT_TRUE(notes.Put(kBibleNotesStorage, 777, Rtf(20000), error)) << error;
    sound = ReadFile(sample / "KLMW.NOT");
  }
  std::mt19937 random(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  std::string loop = sound;  // the directory's sector chain leads back to itself
  const uint32_t dirSector = Word(loop, 48);
  SetWord(loop, (Word(loop, 76) + 1) * 512 + 4 * dirSector, dirSector);
  std::map<std::string, std::map<std::string, std::string>> crowd;
  for (size_t i = 0; i <= kMaxNotesPerStorage; ++i) crowd[kBibleNotesStorage][std::to_string(i)] = "";
  const std::string crowded = cfb::WriteCompoundFile(crowd);
  std::string huge = sound;  // a stream claims 80 MB
  SetWord(huge, EntryOf(huge, "777") + 120, 80u << 20);
  struct Case {
    const char* what;
    std::function<void(const std::string& path)> make;  // nullptr: no file
    std::string copy;                                    // the name it is kept under, "" none
    std::string reason;
  };
  const Case cases[] = {
      {"missing", nullptr, "", ""},
      {"random bytes", [&](const std::string& p) { WriteFile(p, noise); }, ".damaged", "not a compound file"},
      {"empty", [&](const std::string& p) { WriteFile(p, ""); }, ".damaged", "not a compound file"},
      {"cut short", [&](const std::string& p) { WriteFile(p, sound.substr(0, sound.size() / 2)); }, ".damaged",
       "is damaged"},
      {"a sector chain that loops", [&](const std::string& p) { WriteFile(p, loop); }, ".damaged", "loops"},
      {"a stream over 64 MB", [&](const std::string& p) { WriteFile(p, huge); }, ".damaged", "over 64 MB"},
      {"too many notes in a storage", [&](const std::string& p) { WriteFile(p, crowded); }, ".damaged",
       "over 32768 entries"},
      {"a file over 512 MB",
       [&](const std::string& p) {
         WriteFile(p, sound);
         fs::resize_file(p, (size_t{512} << 20) + 1);
       },
       ".damaged", "larger than 512 MB"},
      {"a damaged copy already there",
       [&](const std::string& p) {
         WriteFile(p + ".damaged", "older");
         WriteFile(p, noise);
       },
       ".damaged-2", "not a compound file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string path = dir / "KLMW.NOT";
    std::string original;  // the bytes, but only the size of the file over 512 MB
    uintmax_t size = 0;
    if (c.make) {
      c.make(path);
      size = fs::file_size(path);
      if (size < kMaxNoteBytes) original = ReadFile(path);
    }
    CNotesFile notes;
    std::string error;
    ASSERT_TRUE(notes.Open(path, error)) << error;
    EXPECT_TRUE(notes.List().empty());
    EXPECT_EQ(notes.DamagedCopy(), c.copy.empty() ? "" : path + c.copy);
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(path));
    if (!c.copy.empty()) {
      EXPECT_EQ(fs::file_size(path + c.copy), size);
      EXPECT_TRUE(size >= kMaxNoteBytes || ReadFile(path + c.copy) == original);
    }
    ASSERT_TRUE(notes.Put(kBibleNotesStorage, 5, "new", error)) << error;
    CNotesFile again;
    std::string rtf;
    ASSERT_TRUE(again.Open(path, error));
    EXPECT_TRUE(again.Get(kBibleNotesStorage, 5, rtf));
    EXPECT_EQ(rtf, "new");
    EXPECT_EQ(again.List().size(), 1u);
  }
}

// A save keeps the file's permissions; a failed one changes neither the file
// nor the notes in memory.
TEST(NotesFile, SavesSafely) {
  struct Case {
    const char* what;
    bool put;
    long position;
    std::function<void(const TempDir&)> hinder;
    bool ok;
  };
  const Case cases[] = {
      {"a new note", true, 2, [](const TempDir&) {}, true},
      {"a removed note", false, 1, [](const TempDir&) {}, true},
      {"a full disk", true, 2, nullptr, false},
      {"a full disk on removing", false, 1, nullptr, false},
      {"no folder any more", true, 1, [](const TempDir& d) { fs::remove_all(d.path()); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string path = dir / "KLMW.NOT";
    CNotesFile notes;
    std::string error;
    ASSERT_TRUE(notes.Open(path, error));
    const std::string big = Rtf(200000);
    ASSERT_TRUE(notes.Put(kBibleNotesStorage, 1, "old", error)) << error;
    ASSERT_TRUE(notes.Put(kBibleNotesStorage, 3, big, error)) << error;
    ::chmod(path.c_str(), 0640);
    const std::string before = ReadFile(path);
    bool ok;
    {
      std::unique_ptr<FileSizeLimit> limit(c.hinder ? nullptr : new FileSizeLimit(65536));
      if (c.hinder) c.hinder(dir);
      ok = c.put ? notes.Put(kBibleNotesStorage, c.position, big, error)
                 : notes.Remove(kBibleNotesStorage, c.position, error);
    }
    EXPECT_EQ(ok, c.ok) << error;
    std::string rtf;
    EXPECT_EQ(notes.Get(kBibleNotesStorage, 1, rtf), c.put || !c.ok);
    EXPECT_EQ(notes.Get(kBibleNotesStorage, 2, rtf), c.put && c.ok);
    if (!fs::exists(dir.path())) continue;
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (!c.ok) {
      EXPECT_TRUE(ReadFile(path) == before);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
  }
}

}  // namespace
}  // namespace klmw
