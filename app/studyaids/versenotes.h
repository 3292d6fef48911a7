// The note of each Bible verse that the Bookmark dialog shows and saves: a
// dBase table of the user's ("kjv.dbf" beside the settings file, apart from
// the Bible tables) with the memo field "notes", record n holding the note of
// verse index n - 1. The table is made on the first save; records are added
// as far as a saved verse needs.
#pragma once

#include <string>

namespace klmw {

inline constexpr const char* kVerseNotesTable = "kjv.dbf";

class CVerseNotes {
 public:
  explicit CVerseNotes(std::string path) : m_path(std::move(path)) {}

  // The verse's note with its trailing blanks taken off; "" when there is
  // none, or the table is missing or cannot be read.
  std::string Get(int verseIndex) const;
  // Stores the verse's note, making the table or its records as needed. A
  // table that cannot be read as one is never written over: error says so.
  bool Put(int verseIndex, const std::string& note, std::string& error);

  const std::string& GetPath() const { return m_path; }

 private:
  std::string m_path;
};

}  // namespace klmw
