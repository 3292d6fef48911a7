// dBase tables: round trips through our writer and reader, record updates
// that must survive a failed write, and corrupt files that must be refused.
#include "platform/dbf.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "platform/coding.h"
#include "platform/tests/temp_dir.h"

namespace platform {
namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

// A verse longer than any character field, with Windows-1252 accents.
std::string LongVerse(size_t length = 528) {
  std::string text;
  const std::string words = "Then were the king's scribes called \xE0 \xE9\xF1\x93" "Mardoqueo\x94 ";
  while (text.size() < length) text += words;
  text.resize(length);
  return text;
}

std::string Pad(std::string text, size_t width) {
  text.resize(width, ' ');
  return text;
}

struct Row {
  std::string name, verse, wide;
  bool deleted;
};

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = {
      {"Gen", "In the beginning", "short", false},
      {"", "", "", false},
      {"Esth\xE9r", LongVerse(), LongVerse(), true},
      {std::string(20, 'x'), LongVerse(510), LongVerse(600), false},  // 510: the marker ends block 1 exactly
  };
  return rows;
}

class Dbf : public testing::Test {
 protected:
  void MakeTable() {
    DbfWriter writer(m_path, {{"name", 'C', 20, 0}, {"Verse", 'M', 0, 0}, {"wide", 'C', 600, 0}, {"n", 'N', 5, 0}});
    for (const Row& row : Rows()) writer.AddRecord({row.name, row.verse, row.wide, "42"}, row.deleted);
    writer.Commit();
  }
  TempDir m_dir;
  std::string m_path = m_dir / "KJV.dbf";
};

TEST_F(Dbf, WrittenTableReadsBack) {
  MakeTable();
  ASSERT_TRUE(std::filesystem::exists(m_dir / "KJV.dbt"));
  std::string bytes = ReadFile(m_path);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x83);  // dBase III with memo
  EXPECT_EQ(bytes.back(), '\x1A');

  DbfTable table;
  table.Open(m_path);
  ASSERT_EQ(table.RecordCount(), Rows().size());
  ASSERT_EQ(table.Fields().size(), 4u);
  EXPECT_EQ(table.Fields()[0].name, "NAME");
  EXPECT_EQ(table.Fields()[2].length, 600u);
  EXPECT_EQ(table.FieldIndex("verse"), 1);
  EXPECT_EQ(table.FieldIndex("VeRsE"), 1);
  EXPECT_EQ(table.FieldIndex("notes"), -1);
  for (uint32_t n = 1; n <= Rows().size(); ++n) {
    SCOPED_TRACE(n);
    const Row& row = Rows()[n - 1];
    table.Go(n);
    EXPECT_EQ(table.FieldText(0), Pad(row.name, 20));
    EXPECT_EQ(table.FieldText(1), row.verse);
    EXPECT_EQ(table.FieldText(2), Pad(row.wide, 600));
    EXPECT_EQ(table.FieldText(3), "   42");
    EXPECT_EQ(table.IsDeleted(), row.deleted);
  }
  // Backwards too: nothing depends on reading in order.
  table.Go(1);
  EXPECT_EQ(table.FieldText(1), "In the beginning");
  EXPECT_THROW(table.Go(0), DbfError);
  EXPECT_THROW(table.Go(5), DbfError);
  EXPECT_THROW(table.FieldText(4), DbfError);
  EXPECT_THROW(table.Assign(0, "x"), DbfError);  // read-only
}

TEST_F(Dbf, WriterRefusesWhatItCannotStore) {
  using Fields = std::vector<DbfField>;
  for (const Fields& fields : {Fields{}, Fields{{"1st", 'C', 5, 0}}, Fields{{"elevenchars", 'C', 5, 0}},
                               Fields{{"a", 'C', 0, 0}}, Fields{{"a", 'C', 5, 0}, {"A", 'M', 0, 0}},
                               Fields{{"a", 'X', 5, 0}}, Fields{{"a", 'C', 65535, 0}}}) {
    EXPECT_THROW(DbfWriter(m_path, fields), DbfError) << (fields.empty() ? "" : fields[0].name);
  }
  DbfWriter writer(m_path, {{"name", 'C', 3, 0}, {"notes", 'M', 0, 0}});
  EXPECT_THROW(writer.AddRecord({"four"}), DbfError);
  EXPECT_THROW(writer.AddRecord({"a", "end\x1A"}), DbfError);
  EXPECT_THROW(writer.AddRecord({"a", "b", "c"}), DbfError);
}

TEST_F(Dbf, UnfinishedWriterLeavesTheOldTable) {
  MakeTable();
  const std::string before = ReadFile(m_path), memoBefore = ReadFile(m_dir / "KJV.dbt");
  {
    DbfWriter writer(m_path, {{"verse", 'M', 0, 0}});
    writer.AddRecord({"new"});
  }
  EXPECT_EQ(ReadFile(m_path), before);
  EXPECT_EQ(ReadFile(m_dir / "KJV.dbt"), memoBefore);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()), {}), 2);  // no temporaries left
  // A writer that cannot make its files raises and changes nothing.
  EXPECT_THROW(DbfWriter(m_dir / "missing/KJV.dbf", {{"verse", 'M', 0, 0}}), DbfError);
}

TEST_F(Dbf, UpdatesInPlaceAndKeepsOtherRecords) {
  MakeTable();
  {
    DbfTable table;
    table.Open(m_path, DbfTable::readWrite);
    table.Go(2);
    table.Assign(table.FieldIndex("verse"), LongVerse(700));
    table.Assign(table.FieldIndex("name"), "Note");
    EXPECT_EQ(table.FieldText(1), LongVerse(700));  // pending text reads back before the write
    table.WriteRecord();
    table.Go(3);
    table.Assign(1, "");  // a cleared memo
    table.SetDeleted(false);
    table.Go(4);  // moving on writes the changed record
    table.Assign(0, "moved");
    EXPECT_THROW(table.Assign(0, std::string(21, 'y')), DbfError);  // refused, not cut
    EXPECT_THROW(table.Assign(1, "a\x1A"), DbfError);
  }  // closing writes too
  DbfTable table;
  table.Open(m_path);
  table.Go(1);
  EXPECT_EQ(table.FieldText(1), "In the beginning");
  table.Go(2);
  EXPECT_EQ(table.FieldText(0), Pad("Note", 20));
  EXPECT_EQ(table.FieldText(1), LongVerse(700));
  table.Go(3);
  EXPECT_EQ(table.FieldText(1), "");
  EXPECT_FALSE(table.IsDeleted());
  EXPECT_EQ(table.FieldText(2), Pad(LongVerse(), 600));
  table.Go(4);
  EXPECT_EQ(table.FieldText(0), Pad("moved", 20));
  EXPECT_EQ(table.FieldText(1), LongVerse(510));
}

// The memo file's next-free pointer is only a hint: one left behind must not
// let a new text overwrite an old one, one far past the end must not make a
// huge file.
TEST_F(Dbf, MemoPointerIsNotTrusted) {
  for (uint32_t pointer : {0u, 1u, 3u, 0xFFFFFFF0u}) {
    SCOPED_TRACE(pointer);
    MakeTable();
    std::string memo = ReadFile(m_dir / "KJV.dbt");
    const size_t size = memo.size();
    EncodeFixed32(memo.data(), pointer);
    WriteFile(m_dir / "KJV.dbt", memo);
    DbfTable table;
    table.Open(m_path, DbfTable::readWrite);
    table.Go(2);
    table.Assign(1, "a new note");
    table.WriteRecord();
    EXPECT_EQ(ReadFile(m_dir / "KJV.dbt").size(), size + 512);
    for (uint32_t n : {1u, 3u, 4u}) {
      table.Go(n);
      EXPECT_EQ(table.FieldText(1), Rows()[n - 1].verse);
    }
    table.Go(2);
    EXPECT_EQ(table.FieldText(1), "a new note");
  }
}

TEST_F(Dbf, AppendAddsBlankRecords) {
  {
    DbfWriter writer(m_dir / "kjv.dbf", {{"notes", 'M', 0, 0}});
    writer.Commit();
  }
  DbfTable table;
  table.Open(m_dir / "kjv.dbf", DbfTable::readWrite);
  EXPECT_EQ(table.RecordCount(), 0u);
  for (int i = 0; i < 3; ++i) table.Append();
  table.Assign(0, "third");
  table.WriteRecord();
  table.Close();
  table.Open(m_dir / "kjv.dbf");
  ASSERT_EQ(table.RecordCount(), 3u);
  table.Go(1);
  EXPECT_EQ(table.FieldText(0), "");
  table.Go(3);
  EXPECT_EQ(table.FieldText(0), "third");
  EXPECT_EQ(ReadFile(m_dir / "kjv.dbf").size(), 32u + 32u + 1u + 3u * 11u + 1u);
}

// The memo file may not grow: the write fails, and the table must read as it
// did before, with the change still pending so that it can be tried again.
TEST_F(Dbf, FailedWriteLeavesTheTableAsItWas) {
  MakeTable();
  const std::string before = ReadFile(m_path), memoBefore = ReadFile(m_dir / "KJV.dbt");
  DbfTable table;
  table.Open(m_path, DbfTable::readWrite);
  table.Go(1);
  table.Assign(0, "changed");
  table.Assign(1, LongVerse(2000));

  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = memoBefore.size();
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_THROW(table.WriteRecord(), DbfError);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_TRUE(table.IsChanged());
  EXPECT_EQ(ReadFile(m_path).substr(8), before.substr(8));  // the date may be today's
  EXPECT_EQ(ReadFile(m_dir / "KJV.dbt"), memoBefore);
  table.WriteRecord();  // room again: the pending change lands
  table.Close();
  table.Open(m_path);
  table.Go(1);
  EXPECT_EQ(table.FieldText(1), LongVerse(2000));
  table.Go(4);
  EXPECT_EQ(table.FieldText(1), LongVerse(510));
}

TEST(DbfMemoPath, FollowsTheExtensionCase) {
  EXPECT_EQ(DbfMemoPath("/d/KJV.dbf"), "/d/KJV.dbt");
  EXPECT_EQ(DbfMemoPath("/d/KJV.DBF"), "/d/KJV.DBT");
  EXPECT_EQ(DbfMemoPath("/d.x/table"), "/d.x/table.dbt");
  EXPECT_EQ(DbfMemoPath("notes.txt"), "notes.txt.dbt");
}

// A small valid table (character field A, memo field B, two records) made by
// our writer, then damaged one way per case.
class DbfCorrupt : public Dbf {
 protected:
  void SetUp() override {
    DbfWriter writer(m_path, {{"a", 'C', 4, 0}, {"b", 'M', 0, 0}});
    writer.AddRecord({"one", "first"});
    writer.AddRecord({"two", "second"});
    writer.Commit();
    m_dbf = ReadFile(m_path);
    m_dbt = ReadFile(m_dir / "KJV.dbt");
  }
  std::string m_dbf, m_dbt;
};

TEST_F(DbfCorrupt, RefusedWithAnError) {
  struct Case {
    const char* what;
    std::function<void(std::string& dbf, std::string& dbt)> damage;
    bool atOpen;  // else on reading record 2's memo
  };
  const uint32_t headerLength = 32 + 2 * 32 + 1;
  const Case cases[] = {
      {"empty file", [](std::string& f, std::string&) { f.clear(); }, true},
      {"short header", [](std::string& f, std::string&) { f.resize(31); }, true},
      {"foreign version", [](std::string& f, std::string&) { f[0] = 0x30; }, true},
      {"record count past the end", [](std::string& f, std::string&) { EncodeFixed32(&f[4], 3); }, true},
      {"huge record count", [](std::string& f, std::string&) { EncodeFixed32(&f[4], 0xFFFFFFFF); }, true},
      {"huge record length", [](std::string& f, std::string&) { EncodeFixed16(&f[10], 0xFFFF); }, true},
      {"record length below the fields", [](std::string& f, std::string&) { EncodeFixed16(&f[10], 14); }, true},
      {"record length 0", [](std::string& f, std::string&) { EncodeFixed16(&f[10], 0); }, true},
      {"header length past the end", [](std::string& f, std::string&) { EncodeFixed16(&f[8], 0xFFFF); }, true},
      {"header length 0", [](std::string& f, std::string&) { EncodeFixed16(&f[8], 0); }, true},
      {"no terminator",
       [](std::string& f, std::string&) {
         f[headerLength - 1] = 'X';
       },
       true},
      {"terminator cut off",
       [](std::string& f, std::string&) {
         f.erase(headerLength - 1, 1);
         EncodeFixed16(&f[8], headerLength - 1);
       },
       true},
      {"no fields",
       [](std::string& f, std::string&) {
         f[32] = '\r';
       },
       true},
      {"field without a name", [](std::string& f, std::string&) { std::memset(&f[32], 0, 11); }, true},
      {"field of length 0", [](std::string& f, std::string&) { f[32 + 16] = 0; }, true},
      {"memo file missing", [](std::string&, std::string& t) { t = "\x01"; }, true},
      {"memo block past the end",
       [](std::string& f, std::string&) { std::memcpy(&f[headerLength + 15 + 5], "      9999", 10); }, false},
      {"memo block number too big",
       [](std::string& f, std::string&) { std::memcpy(&f[headerLength + 15 + 5], "99999999999999999999" + 10, 10); },
       false},
      {"memo reference not a number",
       [](std::string& f, std::string&) { std::memcpy(&f[headerLength + 15 + 5], "     2 x 1", 10); }, false},
      {"memo without terminator", [](std::string&, std::string& t) { t.resize(2 * 512 + 6); }, false},
      {"memo terminator half there",
       [](std::string&, std::string& t) {
         t.resize(2 * 512 + 7);
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string dbf = m_dbf, dbt = m_dbt;
    c.damage(dbf, dbt);
    WriteFile(m_path, dbf);
    if (dbt == "\x01")
      std::filesystem::remove(m_dir / "KJV.dbt");
    else
      WriteFile(m_dir / "KJV.dbt", dbt);
    DbfTable table;
    if (c.atOpen) {
      EXPECT_THROW(table.Open(m_path), DbfError);
      EXPECT_FALSE(table.IsOpen());
      continue;
    }
    table.Open(m_path);
    table.Go(1);
    EXPECT_EQ(table.FieldText(1), "first");
    table.Go(2);
    EXPECT_EQ(table.FieldText(0), "two ");
    EXPECT_THROW(table.FieldText(1), DbfError);
  }
}

// What other writers do and we must accept: a blank or zero memo reference, a
// memo file whose last block is not full, no end-of-file mark, the memo file
// in the other letter case.
TEST_F(DbfCorrupt, AcceptsWhatOtherWritersDo) {
  std::string dbf = m_dbf;
  const uint32_t headerLength = 32 + 2 * 32 + 1;
  std::memcpy(&dbf[headerLength + 5], "         0", 10);
  dbf.pop_back();  // the end-of-file mark
  WriteFile(m_path, dbf);
  std::filesystem::rename(m_dir / "KJV.dbt", m_dir / "KJV.DBT");
  WriteFile(m_dir / "KJV.DBT", m_dbt.substr(0, 2 * 512 + 8));
  DbfTable table;
  table.Open(m_path);
  ASSERT_EQ(table.RecordCount(), 2u);
  table.Go(1);
  EXPECT_EQ(table.FieldText(1), "");
  table.Go(2);
  EXPECT_EQ(table.FieldText(1), "second");
}

}  // namespace
}  // namespace platform
