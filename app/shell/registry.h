// The data-set registry: the books the user owns, kept in the settings file
// and loaded into memory at start-up, and the answers to soltread's
// questions about them (cSOLTDataInfo).
//
// Sections and keys (names match without regard to case):
//   [SOLTDATASETS] DATASETCOUNT            number of data sets, n = 1..count
//   [DATASET_n]    DATASETNAME, PUBLISHERNAME (default "Iridelsoft"),
//                  BOOKCOUNT (active books)
//   [DATASET_1]    TOTALBOOKCOUNT          active plus inactive, from a scan
//   [BOOK_n_m]     BOOKNAME, DEFPATH (no trailing '/'), BOOKID, PUBLISHERID,
//                  DEFVOLUMEID, DEFMEDIATYPE (default "FIXED"); PATH and
//                  STATUS ("ACTIVE"/"INACTIVE") from a scan
//
// A Bible of the program's own is registered with BOOKNAME its three-letter
// code and DEFPATH the module's folder + "/" + code, so DEFPATH + ".ixb" is
// its definition and DEFPATH + ".HTB" the marker the Bible builder writes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "biblefile/biblemodule.h"
#include "soltread.h"

namespace klmw {

// Settings strings are read into buffers of this size, so longer values are
// cut to 259 characters.
inline constexpr size_t kProfileBufferSize = 260;

// Data sets and books beyond these counts are not read: a damaged count must
// not make start-up read millions of sections.
inline constexpr int kMaxDataSets = 1000;
inline constexpr int kMaxBooksPerDataSet = 10000;

// The messages shown for a registered Bible whose files are missing.
inline constexpr const char* kBibleFilesMissing = "Bible Files are missing";
inline constexpr const char* kInsertCdRom = "Please insert your CD-ROM or check your disk drive and try again";
// Shown when the book list opens and no book is registered.
inline constexpr const char* kNoBooksFound =
    "Could not find any of the books listed in your solt.ini file.  Will now look for solt books on your machine";

// The sync type of the book whose files are in dir (with or without its
// trailing '/'): the names of vsync.idx, wsync.idx, ssync.idx, dsync.idx
// present, in that order, joined ("Verse", "Word", "Strong", "Date"), or
// "None".
std::string GetSyncTypeForDirectory(const std::string& dir);

class CDataSetRegistry : public cSOLTDataInfo {
 public:
  // Starts a program from an argument vector without waiting for it; false
  // when it could not be started. onExit (when set) is called once the
  // program has ended, on whatever thread saw it end. Tests replace it.
  using ProcessStarter =
      std::function<bool(const std::vector<std::string>& argv, const std::function<void()>& onExit)>;

  explicit CDataSetRegistry(std::string settingsPath = {});

  const std::string& GetSettingsPath() const { return m_settingsPath; }
  void SetSettingsPath(std::string path) { m_settingsPath = std::move(path); }

  // Empties the arrays and reads every data set and book in order, applying
  // the cSOLTBook setters in the registry's order, keeping only the books
  // that are present (book.dat, a Bible definition that loads, or a
  // removable / CD-ROM drive). Bible modules that load are kept in
  // GetBibleModules(). Shows the two "Bible Files are missing" messages for
  // an "NIV", "KJS" or "RVR" entry without its .HTB file. Sets the loaded
  // flag. Returns 0, or 1 when DATASETCOUNT is 0.
  int LoadRegistry();
  bool IsLoaded() const { return m_loaded; }

  const std::vector<cSOLTDataSet>& GetDataSets() const { return m_dataSets; }
  const std::vector<cSOLTBook>& GetBooks() const { return m_books; }
  int GetBookCount() const { return static_cast<int>(m_books.size()); }
  // Null outside 0..count-1.
  const cSOLTBook* GetBook(int index) const;
  // The index of the book named name: the entry at hint is tried first, then
  // the whole list; -1 when none.
  int FindBook(const std::string& name, int hint = -1) const;

  // The Bible modules loaded for registered Bibles, by code.
  CBibleModuleList& GetBibleModules() { return m_modules; }
  const CBibleModuleList& GetBibleModules() const { return m_modules; }

  // cSOLTDataInfo: each loads the registry first when it is not loaded.
  // FillDataSet copies data set n (from 1); FillBook copies the book at
  // array index bookNumber - 1 (soltread counts from 1) when it belongs to
  // data set dataSetNumber (any set when that is 0); nonzero otherwise.
  int GetDataSetCount() override;
  int FillDataSet(cSOLTDataSet& set, int n) override;
  int FillBook(cSOLTBook& book, int bookNumber, int dataSetNumber) override;

  // PATH of BOOK_1_m for m from BOOKCOUNT+1 to TOTALBOOKCOUNT of DATASET_1,
  // read once and kept until ClearInactiveCache.
  const std::vector<std::string>& GetInactiveBookPaths();
  void ClearInactiveCache();

  // DATASETNAME of DATASET_1 (default "").
  std::string GetFirstDataSetName() const;

  // Starts "bookcase" from the folder of the running program, with
  // "--home <program directory>" so it writes the same settings file, and
  // does not wait for it. Never goes through a shell.
  bool StartBookcase();
  void SetProcessStarter(ProcessStarter starter) { m_starter = std::move(starter); }
  // Called when a bookcase started by StartBookcase has ended: on another
  // thread, so it must only hand the news on.
  void SetBookcaseExitHook(std::function<void()> hook) { m_bookcaseExited = std::move(hook); }

  // The fall-back of an empty book list: when no book is loaded, shows
  // kNoBooksFound, starts bookcase and reads the registry again. Returns the
  // book count afterwards (bookcase runs by itself, so usually still 0).
  int OfferBookcaseWhenEmpty();

 private:
  std::string m_settingsPath;
  std::vector<cSOLTDataSet> m_dataSets;
  std::vector<cSOLTBook> m_books;
  CBibleModuleList m_modules;
  bool m_loaded = false;
  bool m_inactiveCached = false;
  std::vector<std::string> m_inactivePaths;
  ProcessStarter m_starter;
  std::function<void()> m_bookcaseExited;
};

// Starts argv[0] with argv, detached: no shell, no wait, and the child is
// reaped when it ends so it leaves no zombie. onExit (when set) is called
// after that, on the thread that reaped it.
bool StartDetachedProcess(const std::vector<std::string>& argv, std::function<void()> onExit = {});

}  // namespace klmw
