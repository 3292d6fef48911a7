// dBase tables against Debian's python3-dbf and python3-dbfread, both ways:
// tables they write we read, tables we write they read. Skipped when the
// Python modules are not installed (they import only under /usr/bin/python3).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>

#include "platform/dbf.h"
#include "platform/tests/temp_dir.h"

extern char** environ;

namespace platform {
namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

const char kPython[] = "/usr/bin/python3";

struct PyRun {
  int status = -1;
  std::string out, err;
};

PyRun Python(const TempDir& dir, std::vector<std::string> args, const std::string& input = {}) {
  WriteFile(dir / "stdin", input);
  args.insert(args.begin(), kPython);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, (dir / "stdin").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (dir / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (dir / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  PyRun run;
  pid_t pid;
  if (posix_spawn(&pid, kPython, &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = ReadFile(dir / "stdout");
  run.err = ReadFile(dir / "stderr");
  return run;
}

std::string Hex(std::string_view bytes) {
  while (!bytes.empty() && bytes.back() == ' ') bytes.remove_suffix(1);
  if (bytes.empty()) return "-";
  std::string out;
  char two[3];
  for (unsigned char c : bytes) {
    std::snprintf(two, sizeof two, "%02x", c);
    out += two;
  }
  return out;
}

using Rows = std::vector<std::vector<std::string>>;

// The records as dbf_interop.py prints and reads them.
std::string HexLines(const Rows& rows) {
  std::string out;
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) out += (i ? " " : "") + Hex(row[i]);
    out += "\n";
  }
  return out;
}

std::string Esther89() {
  std::string text;
  while (text.size() < 528) text += "Then were the king's scribes called \xE0 \xE9\xF1\x93Mardoqueo\x94 ";
  return text.substr(0, 528);
}

struct Case {
  const char* name;
  std::vector<DbfField> fields;
  const char* spec;                  // the same fields as python-dbf writes them
  const char* type;                  // python-dbf's table type
  std::vector<std::string> readers;  // who reads our table: dbfread, or python-dbf with a type
  Rows rows;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"character and memo",
       {{"NAME", 'C', 20, 0}, {"VERSE", 'M', 10, 0}},
       "NAME C(20); VERSE M",
       "db3",
       {"dbfread", "db3"},
       {{"Caf\xE9", Esther89()}, {"", ""}, {"\xD1" "and\xFA \x80", "In the beginning \xE9"}, {"x", std::string(510, 'y')}}},
      {"notes memo",
       {{"NOTES", 'M', 10, 0}},
       "NOTES M",
       "db3",
       {"dbfread", "db3"},
       {{""}, {"a note\r\nover two lines"}, {""}}},
      {"wide character",
       {{"VERSE", 'C', 600, 0}},
       "VERSE C(600)",
       "clp",
       {"clp", "dbfread"},
       {{Esther89()}, {""}, {"\xE9"}}},
  };
  return cases;
}

class DbfInterop : public testing::Test {
 protected:
  void SetUp() override {
    PyRun probe = Python(m_dir, {"-c", "import dbf, dbfread"});
    if (probe.status != 0) GTEST_SKIP() << "python3-dbf or python3-dbfread is not installed";
  }
  TempDir m_dir;
  const std::string m_script = DBF_INTEROP_SCRIPT;
};

TEST_F(DbfInterop, TheirTablesWeRead) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const std::string path = m_dir / (std::string(c.type) + std::to_string(&c - Cases().data()) + ".dbf");
    PyRun run = Python(m_dir, {m_script, "write", "dbf", c.type, path, c.spec}, HexLines(c.rows));
    ASSERT_EQ(run.status, 0) << run.err;
    DbfTable table;
    table.Open(path);
    ASSERT_EQ(table.RecordCount(), c.rows.size());
    ASSERT_EQ(table.Fields().size(), c.fields.size());
    for (uint32_t n = 1; n <= c.rows.size(); ++n) {
      table.Go(n);
      for (size_t f = 0; f < c.fields.size(); ++f) {
        EXPECT_EQ(table.Fields()[f].length, c.fields[f].length);
        std::string expected = c.rows[n - 1][f];
        if (c.fields[f].type == 'C') expected.resize(c.fields[f].length, ' ');
        EXPECT_EQ(table.FieldText(table.FieldIndex(c.fields[f].name)), expected) << "record " << n;
      }
    }
  }
}

TEST_F(DbfInterop, OurTablesTheyRead) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const std::string path = m_dir / ("ours" + std::to_string(&c - Cases().data()) + ".dbf");
    {
      DbfWriter writer(path, c.fields);
      for (const auto& row : c.rows) writer.AddRecord(row);
      writer.Commit();
    }
    for (const std::string& reader : c.readers) {
      SCOPED_TRACE(reader);
      std::vector<std::string> args = {m_script, "read", reader == "dbfread" ? "dbfread" : "dbf", path};
      if (reader != "dbfread") args.push_back(reader);
      PyRun run = Python(m_dir, args);
      ASSERT_EQ(run.status, 0) << run.err;
      EXPECT_EQ(run.out, HexLines(c.rows));
    }
  }
}

// A note written by us into a table python-dbf made, read back by both.
TEST_F(DbfInterop, OurUpdateOfTheirTable) {
  const Case& c = Cases()[0];
  const std::string path = m_dir / "notes.dbf";
  PyRun run = Python(m_dir, {m_script, "write", "dbf", c.type, path, c.spec}, HexLines(c.rows));
  ASSERT_EQ(run.status, 0) << run.err;
  Rows rows = c.rows;
  {
    DbfTable table;
    table.Open(path, DbfTable::readWrite);
    table.Go(2);
    table.Assign(table.FieldIndex("verse"), rows[1][1] = Esther89() + " and more");
    table.Assign(table.FieldIndex("name"), rows[1][0] = "\xC9sther");
    table.WriteRecord();
    table.Go(3);
    table.Assign(table.FieldIndex("verse"), rows[2][1] = "");
    table.WriteRecord();
    table.Append();
    table.Assign(0, "new");
    table.WriteRecord();
    rows.push_back({"new", ""});
  }
  for (const char* reader : {"dbfread", "dbf"}) {
    SCOPED_TRACE(reader);
    PyRun read = Python(m_dir, {m_script, "read", reader, path});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, HexLines(rows));
  }
}

}  // namespace
}  // namespace platform
