// cTranslation over VTTRANS.DAT: the queries, the name lookup, the use count,
// and the loader against corrupt files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/coding.h"
#include "refbase/tests/transtest.h"
#include "refbase/vtmsg.h"

namespace {

using transtest::TransTest;

// A VTTRANS.DAT laid out byte by byte, independent of the builder, so that a
// fault shared by the builder and the loader still shows.
struct Translation {
  std::string name;
  std::vector<unsigned short> books;
};

std::string HandMade(const std::vector<Translation>& translations, unsigned short maxBooks = 256) {
  std::string file("Vantrel Bible Translation Data File\x1A", 36);
  file.resize(40, '\0');
  const auto count = static_cast<unsigned short>(translations.size());
  platform::PutFixed32(file, 10);
  platform::PutFixed32(file, 56);
  platform::PutFixed32(file, 56 + count * 1026u);
  platform::PutFixed16(file, count);
  platform::PutFixed16(file, maxBooks);
  for (const Translation& t : translations) {
    std::vector<unsigned short> record(513, 0);
    record[0] = static_cast<unsigned short>(t.books.size());
    for (size_t p = 0; p < t.books.size(); ++p) {
      record[t.books[p]] = static_cast<unsigned short>(p + 1);
      record[257 + p] = t.books[p];
    }
    for (unsigned short v : record) platform::PutFixed16(file, v);
  }
  for (const Translation& t : translations) {
    std::string name = t.name;
    name.resize(10, '\0');
    file += name;
  }
  return file;
}

void Put16(std::string& file, size_t at, unsigned short v) { platform::EncodeFixed16(&file[at], v); }
void Put32(std::string& file, size_t at, uint32_t v) { platform::EncodeFixed32(&file[at], v); }

const std::vector<Translation> kSmall = {
    {"ABC", {1, 2, 3, 5}},
    {"NIV", {2, 1, 40}},
    {"EMPTY", {}},
};

class Loaded : public TransTest {
 protected:
  void SetUp() override {
    TransTest::SetUp();
    transtest::WriteBytes(m_dir + "VTTRANS.DAT", HandMade(kSmall));
    ASSERT_EQ(0, Load());
  }
};

TEST_F(Loaded, BookQueries) {
  struct Case {
    const char* translation;
    unsigned short a, b;
    unsigned short positionOfA;
    int compare;
  };
  const Case cases[] = {
      {"ABC", 1, 2, 1, 1},    {"ABC", 2, 1, 2, -1},   {"ABC", 3, 5, 3, 1},   {"ABC", 5, 5, 4, 0},
      {"ABC", 4, 1, 0, 0},    {"ABC", 1, 4, 1, 0},    {"ABC", 0, 1, 0, 0},   {"ABC", 257, 1, 0, 0},
      {"ABC", 65535, 1, 0, 0}, {"NIV", 1, 2, 2, -1},  {"NIV", 40, 2, 3, -1}, {"NIV", 3, 1, 0, 0},
      {"EMPTY", 1, 2, 0, 0},  {"NONE", 1, 2, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.translation) + " " + std::to_string(c.a) + "," + std::to_string(c.b));
    cTranslation t(c.translation);
    EXPECT_EQ(c.positionOfA, t.IsBookValid(c.a));
    EXPECT_EQ(c.compare, t.BookCompare(c.a, c.b));
    EXPECT_EQ(c.positionOfA, cTranslation::GetBookPositionForTranslation(t.GetTranslationID(), c.a));
  }
}

TEST_F(Loaded, RangesReturnTheBooksAfterFirstUpToLast) {
  struct Case {
    const char* translation;
    unsigned short first, last;
    std::vector<unsigned short> books;  // empty: refused
  };
  const Case cases[] = {
      {"ABC", 2, 5, {3, 5}},  {"ABC", 1, 2, {2}},  {"ABC", 1, 5, {2, 3, 5}},
      {"ABC", 3, 3, {}},      {"ABC", 5, 2, {}},   {"ABC", 4, 5, {}},  {"ABC", 1, 4, {}},
      {"NIV", 2, 40, {1, 40}}, {"NIV", 1, 2, {}},  {"NONE", 1, 2, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.translation) + " " + std::to_string(c.first) + ".." + std::to_string(c.last));
    cTranslation t(c.translation);
    ASSERT_EQ(c.books.empty() ? 1 : 0, t.SetBookRange(c.first, c.last));
    std::vector<unsigned short> got;
    for (int i = 0; i < 300; ++i) {
      unsigned short book = t.GetNextBookInRange();
      if (book == 0) break;
      got.push_back(book);
    }
    EXPECT_EQ(c.books, got);
    EXPECT_EQ(0, t.GetNextBookInRange()) << "the end of a range stays the end";
  }
}

TEST_F(Loaded, ARefusedRangeLeavesTheCurrentOne) {
  cTranslation t("ABC");
  ASSERT_EQ(0, t.SetBookRange(1, 5));
  EXPECT_EQ(2, t.GetNextBookInRange());
  EXPECT_EQ(1, t.SetBookRange(3, 3));
  EXPECT_EQ(3, t.GetNextBookInRange());
  // Choosing the translation again clears the range.
  EXPECT_EQ(0, t.SetTranslation("abc"));
  EXPECT_EQ(0, t.GetNextBookInRange());
}

TEST_F(Loaded, NamesAndIDs) {
  struct Case {
    const char* name;
    unsigned short id;
  };
  for (const Case& c : {Case{"ABC", 1}, Case{"abc", 1}, Case{"niv", 2}, Case{"NIV", 2}, Case{"Niv", 2},
                        Case{"EMPTY", 3}, Case{"NI", 0}, Case{"NIVX", 0}, Case{"", 0}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.id, cTranslation::GetTranslationIDFromName(c.name));
    cTranslation t(c.name);
    EXPECT_EQ(c.id, t.GetTranslationID());
    if (c.id) EXPECT_STREQ(kSmall[c.id - 1].name.c_str(), t.GetTranslationName());
    else EXPECT_EQ(nullptr, t.GetTranslationName());
  }
  EXPECT_EQ(0, cTranslation::GetTranslationIDFromName(nullptr));

  cTranslation t;
  std::vector<std::pair<unsigned short, std::string>> names;
  unsigned short id = 0;
  for (const char* n = t.GetFirstTranslationName(&id); n; n = t.GetNextTranslationName(&id)) names.emplace_back(id, n);
  EXPECT_EQ((std::vector<std::pair<unsigned short, std::string>>{{1, "ABC"}, {2, "NIV"}, {3, "EMPTY"}}), names);
  // Starting again gives the first name again.
  EXPECT_STREQ("ABC", t.GetFirstTranslationName(&id));
  EXPECT_EQ(1, id);
}

TEST_F(Loaded, AFailedChoiceLeavesNoTranslation) {
  cTranslation t("NIV");
  ASSERT_EQ(2, t.GetTranslationID());
  for (int id : {0, 4, 65535}) {
    ASSERT_EQ(0, t.SetTranslation("NIV"));
    EXPECT_EQ(1, t.SetTranslation(static_cast<unsigned short>(id)));
    EXPECT_EQ(0, t.GetTranslationID());
    EXPECT_EQ(0, t.IsBookValid(1));
  }
  EXPECT_EQ(1, t.SetTranslation("KJV"));
  EXPECT_EQ(nullptr, t.GetTranslationName());
}

TEST_F(Loaded, TheUseCountKeepsTheTableUntilTheLastRelease) {
  cTranslation t("ABC");
  ASSERT_EQ(0, cTranslation::InitializeTranslationData());
  EXPECT_EQ(2, cTranslation::m_translation_data_in_use);
  cTranslation::ReleaseTranslationData();
  EXPECT_EQ(3, t.IsBookValid(3));
  cTranslation::ReleaseTranslationData();
  EXPECT_EQ(0, cTranslation::m_translation_data_in_use);
  EXPECT_EQ(nullptr, cTranslation::m_translation_table);

  // Without data every query answers as for no translation.
  EXPECT_EQ(0, t.IsBookValid(3));
  EXPECT_EQ(0, t.GetBookPosition(3));
  EXPECT_EQ(0, t.BookCompare(1, 2));
  EXPECT_EQ(1, t.SetBookRange(1, 2));
  EXPECT_EQ(0, t.GetNextBookInRange());
  EXPECT_EQ(nullptr, t.GetTranslationName());
  unsigned short id = 99;
  EXPECT_EQ(nullptr, t.GetFirstTranslationName(&id));
  EXPECT_EQ(0, cTranslation::GetTranslationIDFromName("ABC"));
  EXPECT_EQ(0, cTranslation::GetBookPositionForTranslation(1, 1));
  EXPECT_EQ(1, cTranslation(static_cast<unsigned short>(1)).SetBookRange(1, 2));
  cTranslation::ReleaseTranslationData();  // one too many does nothing
  EXPECT_EQ(0, cTranslation::m_translation_data_in_use);
  m_messages.m_shown.clear();
}

TEST_F(TransTest, EveryLoadFailureIsRefusedWithItsMessage) {
  const std::string good = HandMade(kSmall);
  struct Case {
    const char* what;
    std::string bytes;  // no file when "-"
    int message;        // 0: loads
  };
  auto with = [&](auto change) {
    std::string f = good;
    change(f);
    return f;
  };
  const Case cases[] = {
      {"no file", "-", 150},
      {"empty", "", 151},
      {"header cut short", good.substr(0, 55), 151},
      {"title misspelt", with([](std::string& f) { f[8] = 'X'; }), 154},
      {"title without 0x1A", with([](std::string& f) { f[35] = ' '; }), 154},
      {"title in other case", with([](std::string& f) { f[0] = 'v'; f[8] = 'b'; }), 0},
      {"bytes after the title's NUL", with([](std::string& f) { f[38] = 'z'; }), 0},
      {"version 9", with([](std::string& f) { Put32(f, 40, 9); }), 155},
      {"version 11", with([](std::string& f) { Put32(f, 40, 11); }), 155},
      {"last byte missing", good.substr(0, good.size() - 1), 151},
      {"no name table", good.substr(0, 56 + 3 * 1026), 151},
      {"half a record", good.substr(0, 56 + 1026 + 500), 151},
      {"65535 translations", with([](std::string& f) { Put16(f, 52, 65535); }), 151},
      {"4 translations", with([](std::string& f) { Put16(f, 52, 4); }), 151},
      {"table past the end", with([](std::string& f) { Put32(f, 44, 0x7FFFFFFF); }), 151},
      {"table at a negative offset", with([](std::string& f) { Put32(f, 44, 0xFFFFFFF0u); }), 151},
      {"names past the end", with([](std::string& f) { Put32(f, 48, static_cast<uint32_t>(f.size() - 29)); }), 151},
      {"names at a negative offset", with([](std::string& f) { Put32(f, 48, 0x80000000u); }), 151},
      {"no translations", with([](std::string& f) { Put16(f, 52, 0); }), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(m_dir + "VTTRANS.DAT");
    if (c.bytes != "-") transtest::WriteBytes(m_dir + "VTTRANS.DAT", c.bytes);
    m_messages.m_shown.clear();
    EXPECT_EQ(c.message ? 1 : 0, Load());
    if (c.message) {
      ASSERT_EQ(1u, m_messages.m_shown.size());
      EXPECT_EQ(refbase::MessageText(c.message), m_messages.m_shown[0].text);
      EXPECT_EQ("Bible Translation Data Load Message", m_messages.m_shown[0].caption);
      EXPECT_EQ(0, cTranslation::m_translation_data_in_use);
      EXPECT_EQ(nullptr, cTranslation::m_translation_table);
      EXPECT_EQ(nullptr, cTranslation::m_translation_name_table);
      EXPECT_EQ(0, cTranslation::GetTranslationIDFromName("ABC"));
    } else {
      EXPECT_TRUE(m_messages.m_shown.empty());
      EXPECT_EQ(1, cTranslation::m_translation_data_in_use);
    }
  }
}

// Records that a loader accepts but no builder writes: queries must stay
// inside the record and the names inside their ten bytes.
TEST_F(TransTest, CorruptRecordsAreAnsweredWithinBounds) {
  std::string f = HandMade({{"ABC", {1, 2}}, {"LONG", {1}}}, 300);
  Put16(f, 56 + 2 * 3, 0xFFFF);        // book 3 at position 65535
  Put16(f, 56 + 2 * 4, 257);           // book 4 at position 257
  Put16(f, 56 + 2 * 5, 256);           // book 5 at position 256, the last there is
  std::memcpy(&f[56 + 2 * 1026 + 10], "ABCDEFGHIJ", 10);  // a name with no NUL
  transtest::WriteBytes(m_dir + "VTTRANS.DAT", f);
  ASSERT_EQ(0, Load());

  cTranslation t("ABC");
  EXPECT_EQ(0, t.IsBookValid(3));
  EXPECT_EQ(0, t.IsBookValid(4));
  EXPECT_EQ(256, t.IsBookValid(5));
  EXPECT_EQ(0, t.IsBookValid(290)) << "no element for books past 256, whatever the header says";
  EXPECT_EQ(0, t.GetBookPosition(290));
  // A range to position 256 walks the whole second half of the record.
  ASSERT_EQ(0, t.SetBookRange(1, 5));
  EXPECT_EQ(2, t.GetNextBookInRange());
  for (int i = 0; i < 300; ++i) t.GetNextBookInRange();
  EXPECT_EQ(0, t.GetNextBookInRange());
  EXPECT_EQ(1, t.SetBookRange(1, 3));

  cTranslation second(static_cast<unsigned short>(2));
  ASSERT_NE(nullptr, second.GetTranslationName());
  EXPECT_STREQ("ABCDEFGHI", second.GetTranslationName());

  // A header with a lower M hides the books above it.
  f = HandMade({{"ABC", {1, 2, 3, 5}}}, 3);
  transtest::WriteBytes(m_dir + "VTTRANS.DAT", f);
  ASSERT_EQ(0, Load());
  EXPECT_EQ(3, cTranslation("ABC").IsBookValid(3));
  EXPECT_EQ(0, cTranslation("ABC").IsBookValid(5));
}

// The table the build ships beside the library.
TEST_F(TransTest, ShippedTableHasTheTranslationsInTheirOrder) {
  transtest::ReleaseAll();
  refbase::SetDataDirectory(refbase::LibraryDirectory());
  ASSERT_EQ(0, cTranslation::InitializeTranslationData()) << "VTTRANS.DAT beside the library";

  std::vector<unsigned short> canonical;
  for (unsigned short b = 1; b <= 66; ++b) canonical.push_back(b);
  std::vector<unsigned short> kjva(canonical.begin(), canonical.begin() + 39);
  for (unsigned short b : {81, 83, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 82, 79, 80}) kjva.push_back(b);
  kjva.insert(kjva.end(), canonical.begin() + 39, canonical.end());

  struct Case {
    const char* name;
    const std::vector<unsigned short>* books;
  };
  for (const Case& c : {Case{"KJV", &canonical}, Case{"KJS", &canonical}, Case{"NIV", &canonical},
                        Case{"RVR", &canonical}, Case{"WEB", &canonical}, Case{"KJVA", &kjva}}) {
    SCOPED_TRACE(c.name);
    cTranslation t(c.name);
    ASSERT_NE(0, t.GetTranslationID());
    std::vector<unsigned short> got;
    unsigned short last = 0;
    for (unsigned short b = 1; b <= 256; ++b)
      if (t.IsBookValid(b) == 1) got.push_back(b);
    ASSERT_EQ(1u, got.size()) << "one first book";
    for (unsigned short b = 1; b <= 256; ++b)
      if (t.IsBookValid(b) == c.books->size()) last = b;
    ASSERT_EQ(0, t.SetBookRange(got[0], last));
    while (unsigned short b = t.GetNextBookInRange()) got.push_back(b);
    EXPECT_EQ(*c.books, got);
    EXPECT_EQ(0, t.IsBookValid(67));
    EXPECT_EQ(0, t.IsBookValid(68));
  }
}

}  // namespace
