#include "app/studyaids/versenotes.h"

#include <filesystem>

#include "platform/dbf.h"

namespace klmw {

namespace {
constexpr const char* kNotesField = "notes";
constexpr int kMaxVerseIndex = 65535;
constexpr int kBibleVerses = 31102;
}  // namespace

std::string CVerseNotes::Get(int verseIndex) const {
  if (verseIndex < 0 || verseIndex > kMaxVerseIndex) return {};
  try {
    platform::DbfTable table;
    table.Open(m_path);
    const int field = table.FieldIndex(kNotesField);
    const uint32_t record = static_cast<uint32_t>(verseIndex) + 1;
    if (field < 0 || record > table.RecordCount()) return {};
    table.Go(record);
    std::string note = table.FieldText(field);
    while (!note.empty() && (note.back() == ' ' || note.back() == '\0')) note.pop_back();
    return note;
  } catch (const platform::DbfError&) {
    return {};
  }
}

bool CVerseNotes::Put(int verseIndex, const std::string& note, std::string& error) {
  if (verseIndex < 0 || verseIndex > kMaxVerseIndex) {
    error = "There is no verse " + std::to_string(verseIndex) + ".";
    return false;
  }
  try {
    std::error_code ec;
    if (!std::filesystem::exists(m_path, ec)) {
      // A record for every verse at once: adding them one by one as notes
      // come would flush the table each time.
      platform::DbfWriter writer(m_path, {{"NOTES", 'M', 10, 0}});
      for (int i = 0; i < kBibleVerses; ++i) writer.AddRecord({});
      writer.Commit();
    }
    platform::DbfTable table;
    table.Open(m_path, platform::DbfTable::readWrite);
    const int field = table.FieldIndex(kNotesField);
    if (field < 0) {
      error = "The notes table " + m_path + " has no field \"notes\"; it was left as it is.";
      return false;
    }
    const uint32_t record = static_cast<uint32_t>(verseIndex) + 1;
    while (table.RecordCount() < record) table.Append();
    table.Go(record);
    table.Assign(field, note);
    table.WriteRecord();
    table.Close();
    return true;
  } catch (const platform::DbfError& e) {
    error = "The note could not be saved in " + m_path + ": " + e.what();
    return false;
  }
}

}  // namespace klmw
