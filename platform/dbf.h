// dBase tables: the verse tables of the Bibles and the user's verse notes.
//
// DbfTable opens an existing table and works one record at a time, in the
// order the program's callers use it: look up a field by name, go to a record
// (1-based), read a field's text, assign new text, write the record. DbfWriter
// makes a whole new table (the Bible builder) and puts it in place only when
// it is complete.
//
// Tables are dBase III: version byte 0x03, or 0x83 with a memo file (.dbt,
// 512-byte blocks, each text ended by 0x1A 0x1A). Texts longer than a
// character field holds (254 bytes) go in memo fields; Clipper-style wide
// character fields (the length's high byte in the decimal-count byte) are read
// as well, and DbfWriter writes one when asked for a character field wider
// than 254. Text is the bytes stored (Windows-1252); nothing is re-encoded.
//
// Every failure, a corrupt file included, raises DbfError; a table that fails
// to open is left closed.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/safefile.h"

namespace platform {

class DbfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DbfField {
  std::string name;      // 1-10 characters; matched without regard to ASCII case
  char type = 'C';       // 'C' character, 'M' memo, 'N' numeric, 'F' float, 'D' date, 'L' logical
  unsigned length = 0;   // bytes in the record (a memo field's block number: 10)
  unsigned decimals = 0; // numeric fields only
};

class DbfTable {
 public:
  enum Mode { readOnly, readWrite };

  DbfTable() = default;
  ~DbfTable();  // closes, writing a changed record (errors are swallowed here)
  DbfTable(const DbfTable&) = delete;
  DbfTable& operator=(const DbfTable&) = delete;

  // Opens path (and, when the table has memo fields, the .dbt beside it).
  // No record is current until Go.
  void Open(const std::string& path, Mode mode = readOnly);
  // Writes a changed record, then closes; a no-op when not open.
  void Close();
  bool IsOpen() const { return m_dbf >= 0; }

  uint32_t RecordCount() const { return m_count; }
  const std::vector<DbfField>& Fields() const { return m_fields; }
  // The field handle: its index in Fields(), or -1 when there is no such field.
  int FieldIndex(std::string_view name) const;

  // Makes record recno (1 to RecordCount()) current, first writing the
  // current record when it was changed and not yet written.
  void Go(uint32_t recno);
  uint32_t RecNo() const { return m_recno; }  // 0: none

  // The current record's field: a character field's whole width (trailing
  // blanks kept), a memo field's text, other fields as stored.
  std::string FieldText(int field) const;
  bool IsDeleted() const;

  // Changes the current record in memory; WriteRecord makes it durable. A
  // character field is padded with blanks; a text longer than the field is
  // refused rather than cut.
  void Assign(int field, std::string_view text);
  void SetDeleted(bool deleted);
  bool IsChanged() const { return m_changed; }

  // Writes the current record (and its new memo texts) and flushes them to
  // the disk. On failure the table is as it was before and the change is
  // still pending.
  void WriteRecord();

  // Adds a blank record at the end, durable at once, and makes it current.
  void Append();

 private:
  void Require(bool readWrite) const;
  void ReadHeader(const std::string& path);
  void OpenMemo(const std::string& path);
  void CheckField(int field) const;
  std::string ReadMemo(std::string_view reference) const;
  void StampHeader(uint32_t count);
  void CloseFiles();

  int m_dbf = -1;
  int m_dbt = -1;
  Mode m_mode = readOnly;
  std::string m_path;
  std::string m_memoPath;
  uint32_t m_count = 0;
  uint32_t m_headerLength = 0;
  uint32_t m_recordLength = 0;
  std::vector<DbfField> m_fields;
  std::vector<uint32_t> m_offsets;  // of each field in the record
  uint32_t m_recno = 0;
  std::string m_record;             // the current record as in the file...
  std::string m_pending;            // ...and as assigned
  std::vector<bool> m_memoAssigned;  // memo fields assigned since the last write
  std::vector<std::string> m_memoTexts;
  bool m_changed = false;
};

class DbfWriter {
 public:
  // Starts a new table at path (temporary files beside it until Commit).
  // Field names are stored in upper case; memo fields get length 10.
  DbfWriter(const std::string& path, std::vector<DbfField> fields);
  ~DbfWriter();  // without Commit the temporary files are removed
  DbfWriter(const DbfWriter&) = delete;
  DbfWriter& operator=(const DbfWriter&) = delete;

  // values[i] goes to field i; missing values are blank.
  void AddRecord(const std::vector<std::string>& values, bool deleted = false);
  // Completes the files, flushes them and renames them over path and its .dbt.
  void Commit();

  const std::vector<DbfField>& Fields() const { return m_fields; }

 private:
  void Put(int fd, std::string& buffer, uint64_t& written, bool force);
  void Discard();

  std::string m_path;
  std::string m_memoPath;
  std::vector<DbfField> m_fields;
  std::vector<uint32_t> m_offsets;
  uint32_t m_recordLength = 1;
  bool m_hasMemo = false;
  SafeFile m_dbfFile, m_dbtFile;  // the new files, beside the old until Commit
  int m_dbf = -1;                  // their descriptors
  int m_dbt = -1;
  std::string m_dbfBuffer, m_dbtBuffer;
  uint64_t m_dbfWritten = 0, m_dbtWritten = 0;
  uint32_t m_count = 0;
  uint32_t m_nextBlock = 1;
};

// The .dbt beside a .dbf: the extension replaced in the same letter case
// ("KJV.DBF" -> "KJV.DBT"), or ".dbt" appended when there is none.
std::string DbfMemoPath(const std::string& path);

}  // namespace platform
