// The registration program on a settings file and a book description made of
// arbitrary bytes: the session opened, the tree loaded, the description
// added, a data set ignored, and the session cancelled.
//
// Input: bytes 0-1 (little-endian) modulo the rest's size + 1 give the length
// of the settings file; it follows, and everything after it is the
// description.
//
// What must not happen: a crash, an endless loop over a garbage count, a
// data set reported added that the tree does not show under its number, an
// ignore that leaves a book of the set unmarked, or a Cancel that does not
// give back the settings file byte for byte.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "bookcase/bookcaselogic.h"
#include "fuzz/fuzzsupport.h"
#include "platform/profile.h"
#include "platform/volumes.h"

namespace {

using fuzz::Check;

using fuzz::FixedVolumes;

std::string ReadBack(const std::string& path) {
  std::string bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
  }
  return bytes;
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Every settings write is synced to disk; in memory that costs nothing.
  struct stat st;
  if (!std::getenv("TMPDIR") && ::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) && ::access("/dev/shm", W_OK) == 0)
    ::setenv("TMPDIR", "/dev/shm", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 8192) return 0;
  fuzz::QuietMessages();
  const std::string& dir = fuzz::ScratchDir();
  size_t rest = size - 2;
  size_t settingsSize = fuzz::Le16(data) % (rest + 1);
  const uint8_t* settingsData = data + 2;
  const std::string settings = dir + bookcase::CBookCase::kSettingsName;
  const std::string description = dir + "volume.ini";
  ::unlink((dir + bookcase::CBookCase::kBackupName).c_str());
  ::unlink(settings.c_str());
  // An empty first part means no settings file at all.
  if (settingsSize > 0) fuzz::WriteFile(settings, settingsData, settingsSize);
  fuzz::WriteFile(description, settingsData + settingsSize, rest - settingsSize);
  const std::string original = ReadBack(settings);

  // Many books only repeat the same writes, slowly.
  unsigned bookSections = 0;
  for (const std::string& name : platform::GetPrivateProfileSectionNames(description))
    if (name.size() > 5 && (name[0] == 'B' || name[0] == 'b')) ++bookSections;
  if (bookSections > 16) return 0;

  FixedVolumes volumes;
  bookcase::CBookCase bookCase(dir, &volumes);
  Check(bookCase.Open(), "the backup could not be taken");
  std::vector<bookcase::CDataSetItem> before = bookCase.LoadTree();
  for (size_t i = 0; i < before.size(); ++i) Check(before[i].m_number == i + 1, "data sets out of number");

  bookcase::CAddResult result = bookCase.AddDescription(description);
  if (result.m_status == bookcase::AddStatus::Added || result.m_status == bookcase::AddStatus::Extended) {
    std::vector<bookcase::CDataSetItem> after = bookCase.LoadTree();
    Check(result.m_dataSet >= 1 && result.m_dataSet <= after.size(), "the added data set is not in the tree");
    const bookcase::CDataSetItem& set = after[result.m_dataSet - 1];
    Check(set.m_name == result.m_dataSetName, "the added data set has another name");
    if (result.m_status == bookcase::AddStatus::Added) {
      Check(after.size() == before.size() + 1, "a new data set did not add one");
      Check(set.m_books.size() == result.m_books.size(), "the new data set shows other books");
    }
    Check(bookCase.SetIgnoreDataSet(result.m_dataSet, true), "ignoring the data set failed");
    for (const bookcase::CBookItem& book : bookCase.LoadDataSet(result.m_dataSet).m_books)
      Check(book.m_ignore, "a book of an ignored data set is not ignored");
  }

  Check(bookCase.Cancel(), "Cancel failed");
  if (settingsSize > 0)
    Check(ReadBack(settings) == original, "Cancel did not restore the settings file");
  else
    Check(!Exists(settings), "Cancel left a settings file that was not there");
  return 0;
}
