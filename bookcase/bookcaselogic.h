// The registration program's work on the settings file, without a window:
// the registered data sets and books as a tree, adding a data set from a book
// description, the ignore flags, and the backup that lets the dialog undo
// everything on Cancel. The settings file is the one the main program reads
// (KLMW.INI in the program directory), so the sections and keys here are the
// registry's: SOLTDATASETS, DATASET_n and BOOK_n_m.
//
// A book description is an INI file shipped with a book:
//
//   [Publisher Data]  DataSetName, PublisherName
//   [Book k]          BookID (nonzero), Name, Path ("." or a folder below the
//                     description's), SYNCTYPE, PUBID      k = 1, 2, ...
//
// The books are the sections from "Book 1" up to the first without a nonzero
// BookID.
#pragma once

#include <string>
#include <vector>

namespace platform {
class Volumes;
}

namespace bookcase {

// One registered book as the tree shows it.
struct CBookItem {
  unsigned m_number = 0;  // m of BOOK_n_m
  std::string m_name;
  bool m_ignore = false;

  // "[Ignore] " before the name of an ignored book.
  std::string GetText() const;
};

// One registered data set and its books.
struct CDataSetItem {
  unsigned m_number = 0;  // n of DATASET_n
  std::string m_name;
  std::vector<CBookItem> m_books;
};

// One book written by AddDescription.
struct CAddedBook {
  std::string m_section;  // BOOK_n_m
  unsigned m_number = 0;  // m
  std::string m_name;
  std::string m_defPath;
};

enum class AddStatus {
  Added,              // a new data set
  Extended,           // new books appended to the registered data set of that name
  NoDataSetName,      // DataSetName empty (or the description unreadable)
  NoBooks,            // "Book 1" has no nonzero BookID
  AlreadyRegistered,  // every book's BookID is registered in that data set already
  Different,          // that data set is not the last registered one
  WriteFailed,        // the settings file could not be written
};

struct CAddResult {
  AddStatus m_status = AddStatus::NoDataSetName;
  unsigned m_dataSet = 0;  // n of the data set added or extended
  std::string m_dataSetName;
  std::vector<CAddedBook> m_books;
};

class CBookCase {
 public:
  static constexpr const char* kSettingsName = "KLMW.INI";
  static constexpr const char* kBackupName = "klmwtmp.ini";
  static constexpr const char* kIgnorePrefix = "[Ignore] ";

  // folder holds the settings file and the backup (the program directory);
  // volumes answers for the drive of a description (nullptr: the
  // process-wide service).
  explicit CBookCase(std::string folder, platform::Volumes* volumes = nullptr);

  const std::string& GetSettingsFile() const { return m_settings; }
  const std::string& GetBackupFile() const { return m_backup; }

  // Takes the backup that Cancel restores. On failure shows "Could not
  // temporarily save the Iridel INI file" and returns false; the settings
  // file is then never touched by Cancel, and the caller should not offer
  // changes that could not be undone.
  bool Open();
  bool IsBackedUp() const { return m_backedUp; }

  // The registered data sets and their books. Counts larger than the
  // sections present are cut to what is there, so a garbage count neither
  // loops for ever nor shows phantom books.
  std::vector<CDataSetItem> LoadTree() const;
  // One data set as LoadTree gives it (empty when n is not registered).
  CDataSetItem LoadDataSet(unsigned n) const;

  // New: registers the data set and books of a description. Messages that
  // the user must see ("They're Different") go through platform::Messages.
  CAddResult AddDescription(const std::string& descriptionPath);

  // The ignore flag of book m of data set n, or of every book of data set n.
  bool SetIgnoreBook(unsigned n, unsigned m, bool ignore);
  bool SetIgnoreDataSet(unsigned n, bool ignore);

  // OK: the changes stay; the backup is deleted. false (after "Error") when
  // it could not be.
  bool Ok();
  // Cancel: the settings file as it was at Open, by restoring the backup, or
  // by removing a settings file that did not exist then. false (after
  // "Error") on any failure.
  bool Cancel();

 private:
  unsigned GetDataSetCount() const;
  unsigned GetBookCount(unsigned n) const;
  bool WriteBook(unsigned n, unsigned m, const std::string& description, unsigned k,
                 const std::string& folder, CAddedBook& added);

  std::string m_folder;
  std::string m_settings;
  std::string m_backup;
  platform::Volumes* m_volumes;
  bool m_opened = false;
  bool m_backedUp = false;
  bool m_hadSettings = false;
};

// Section names of the registry, as the main program reads them.
std::string DataSetSection(unsigned n);
std::string BookSection(unsigned n, unsigned m);

// DEFPATH of a description book: the description's folder (absolute, no
// trailing '/'), followed by "/" + path unless path is "." or empty.
std::string MakeDefPath(const std::string& descriptionPath, const std::string& path);

}  // namespace bookcase
