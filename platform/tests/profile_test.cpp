#include "platform/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "platform/tests/temp_dir.h"

namespace platform {
namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

struct ReadCase {
  const char* name;
  std::string file;
  const char* section;
  const char* key;
  const char* def;
  size_t bufferSize;
  std::string expected;
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, ReturnsWindowsValue) {
  const ReadCase& c = GetParam();
  TempDir dir;
  std::string ini = dir / "settings.ini";
  WriteFile(ini, c.file);
  EXPECT_EQ(GetPrivateProfileString(c.section, c.key, c.def, ini, c.bufferSize), c.expected);
}

const std::string kBasic = "[Options]\nFont=Times\nSize = 12 \n";

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileRead,
    ::testing::Values(
        ReadCase{"NamesIgnoreCase", kBasic, "oPTIONS", "FONT", "x", 0, "Times"},
        ReadCase{"ValueTrimmed", "[s]\n\t key \t=  \t v a \t\n", "s", "key", "", 0, "v a"},
        ReadCase{"FirstSectionWins", "[s]\nk=1\n[S]\nk=2\nonly=3\n", "s", "k", "", 0, "1"},
        ReadCase{"LaterDuplicateSectionIgnored", "[s]\nk=1\n[S]\nonly=3\n", "s", "only", "d", 0, "d"},
        ReadCase{"FirstKeyWins", "[s]\nk=1\nK=2\n", "s", "k", "", 0, "1"},
        ReadCase{"DoubleQuotesRemoved", "[s]\nk=\" a b \"\n", "s", "k", "", 0, " a b "},
        ReadCase{"SingleQuotesRemoved", "[s]\nk='x'\n", "s", "k", "", 0, "x"},
        ReadCase{"OnlyOnePairRemoved", "[s]\nk=\"\"x\"\"\n", "s", "k", "", 0, "\"x\""},
        ReadCase{"MismatchedQuotesKept", "[s]\nk=\"x'\n", "s", "k", "", 0, "\"x'"},
        ReadCase{"LoneQuoteKept", "[s]\nk=\"\n", "s", "k", "", 0, "\""},
        ReadCase{"EqualsInValue", "[s]\nk=a=b\n", "s", "k", "", 0, "a=b"},
        ReadCase{"EmptyValueIsNotDefault", "[s]\nk=\n", "s", "k", "d", 0, ""},
        ReadCase{"MissingKey", kBasic, "Options", "Colour", "red", 0, "red"},
        ReadCase{"MissingSection", kBasic, "Window", "Font", "red", 0, "red"},
        ReadCase{"DefaultLosesTrailingBlanksOnly", kBasic, "x", "y", " d  ", 0, " d"},
        ReadCase{"NullDefault", kBasic, "x", "y", nullptr, 0, ""},
        ReadCase{"CommentsAreNotKeys", "[s]\n;k=1\n#k=2\n  ; k=3\nk=4\n", "s", "k", "", 0, "4"},
        ReadCase{"KeysBeforeFirstSectionInvisible", "k=1\n[s]\n", "s", "k", "d", 0, "d"},
        ReadCase{"LineWithoutEqualsIsNotKey", "[s]\nk\n", "s", "k", "d", 0, "d"},
        ReadCase{"HeaderWithTrailingText", "[ s ] ; note\nk=1\n", "S", "k", "", 0, "1"},
        ReadCase{"UnclosedHeaderIsNotSection", "[a]\n[b\nk=1\n", "a", "k", "", 0, "1"},
        ReadCase{"CrlfNotInValue", "[s]\r\nk=v\r\n", "s", "k", "", 0, "v"},
        ReadCase{"LastLineWithoutNewline", "[s]\nk=v", "s", "k", "", 0, "v"},
        ReadCase{"Utf8SignatureBeforeFirstHeader", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "", 0, "v"},
        ReadCase{"Cp1252BytesUntouched", "[s]\nk=caf\xE9\n", "s", "k", "", 0, "caf\xE9"},
        ReadCase{"TruncatedToBuffer", "[s]\nk=abcdef\n", "s", "k", "", 4, "abc"},
        ReadCase{"ExactFitNotTruncated", "[s]\nk=abcdef\n", "s", "k", "", 7, "abcdef"},
        ReadCase{"BufferOfOneIsEmpty", "[s]\nk=abcdef\n", "s", "k", "", 1, ""},
        ReadCase{"DefaultTruncatedToo", "", "s", "k", "default", 4, "def"},
        ReadCase{"KeyList", "[s]\nA=1\n; c\nb=2\n[t]\nc=3\n", "S", nullptr, "", 0, std::string("A\0b\0", 4)},
        ReadCase{"KeyListMissingSection", kBasic, "none", nullptr, "d", 0, ""},
        ReadCase{"SectionList", "[one]\n[Two]\nk=v\n", nullptr, nullptr, "", 0, std::string("one\0Two\0", 8)},
        ReadCase{"ListTruncatedKeepsTerminator", "[s]\nabc=1\ndef=2\n", "s", nullptr, "", 7,
                 std::string("abc\0d\0", 6)},
        ReadCase{"ListCutAtNameBoundary", "[s]\nabc=1\ndef=2\n", "s", nullptr, "", 6, std::string("abc\0", 4)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Profile, MissingFileGivesDefaultAndEmptyLists) {
  TempDir dir;
  std::string ini = dir / "absent.ini";
  EXPECT_EQ(GetPrivateProfileString("s", "k", "d", ini), "d");
  EXPECT_EQ(GetPrivateProfileString(nullptr, nullptr, "d", ini), "");
  EXPECT_EQ(GetPrivateProfileInt("s", "k", 7, ini), 7u);
  EXPECT_TRUE(GetPrivateProfileSection("s", ini).empty());
  EXPECT_TRUE(GetPrivateProfileSectionNames(ini).empty());
}

struct IntCase {
  const char* value;  // nullptr: key absent
  int def;
  unsigned expected;
};

class ProfileInt : public ::testing::TestWithParam<IntCase> {};

TEST_P(ProfileInt, ReadsLeadingNumber) {
  const IntCase& c = GetParam();
  TempDir dir;
  std::string ini = dir / "settings.ini";
  WriteFile(ini, c.value ? std::string("[s]\nk=") + c.value + "\n" : std::string("[s]\n"));
  EXPECT_EQ(GetPrivateProfileInt("s", "k", c.def, ini), c.expected) << (c.value ? c.value : "(absent)");
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileInt,
                         ::testing::Values(IntCase{"42", 5, 42u}, IntCase{"12abc", 5, 12u}, IntCase{"abc", 5, 0u},
                                           IntCase{"-5", 0, 0xFFFFFFFBu}, IntCase{"+7", 0, 7u},
                                           IntCase{"'  9'", 0, 9u}, IntCase{"0x1F", 0, 31u},
                                           IntCase{"0X1fz", 0, 31u}, IntCase{"0x", 5, 0u},
                                           IntCase{"4294967297", 0, 1u}, IntCase{"", 5, 5u},
                                           IntCase{nullptr, -1, 0xFFFFFFFFu}));

TEST(Profile, SectionLinesAndNames) {
  TempDir dir;
  std::string ini = dir / "settings.ini";
  WriteFile(ini, "[a]\nx = \"1\" \n; c\nnot a key\ny=2\n[B]\n[a]\nz=3\n");
  EXPECT_EQ(GetPrivateProfileSection("A", ini), (std::vector<std::string>{"x=\"1\"", "y=2"}));
  EXPECT_EQ(GetPrivateProfileSectionNames(ini), (std::vector<std::string>{"a", "B", "a"}));
}

struct WriteCase {
  const char* name;
  std::string before;  // "<none>": no file
  const char* section;
  const char* key;
  const char* value;
  std::string after;  // "<none>": still no file
};

class ProfileWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, EditsOnlyWhatItMust) {
  const WriteCase& c = GetParam();
  TempDir dir;
  std::string ini = dir / "settings.ini";
  if (c.before != "<none>") WriteFile(ini, c.before);
  ASSERT_TRUE(WritePrivateProfileString(c.section, c.key, c.value, ini));
  if (c.after == "<none>") {
    EXPECT_FALSE(std::filesystem::exists(ini));
  } else {
    EXPECT_EQ(ReadFile(ini), c.after);
  }
  // The rewrite goes through a sibling file that must never be left behind.
  size_t entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(e.path().filename(), "settings.ini");
    ++entries;
  }
  EXPECT_LE(entries, 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileWrite,
    ::testing::Values(
        WriteCase{"CreatesFile", "<none>", "Options", "Font", "Arial", "[Options]\nFont=Arial\n"},
        WriteCase{"IntoEmptyFile", "", "s", "k", "v", "[s]\nk=v\n"},
        WriteCase{"ReplacesKeepingCaseAndIndent", "; top\n[Sec]\n  Name = old ; x\n# c\nother\n", "SEC", "name",
                  "new", "; top\n[Sec]\n  Name=new\n# c\nother\n"},
        WriteCase{"ReplacesFirstOfDuplicates", "[s]\nk=1\nk=2\n", "s", "K", "3", "[s]\nk=3\nk=2\n"},
        WriteCase{"ReplacesLastLineWithoutNewline", "[s]\nk=1", "s", "k", "2", "[s]\nk=2"},
        WriteCase{"AppendsAfterLastKeyBeforeBlanks", "[a]\nx=1\n; about b\n\n\n[b]\ny=2\n", "a", "z", "3",
                  "[a]\nx=1\nz=3\n; about b\n\n\n[b]\ny=2\n"},
        WriteCase{"AppendsUnderBareHeader", "[a]\n; note\n", "A", "k", "v", "[a]\nk=v\n; note\n"},
        WriteCase{"AppendsAfterUnterminatedLine", "[a]\nx=1", "a", "y", "2", "[a]\nx=1\ny=2\n"},
        WriteCase{"NewSectionAtEnd", "[a]\nx=1\n", "b", "k", "v", "[a]\nx=1\n\n[b]\nk=v\n"},
        WriteCase{"NewSectionAfterBlankLine", "[a]\nx=1\n\n", "b", "k", "v", "[a]\nx=1\n\n[b]\nk=v\n"},
        WriteCase{"NewSectionAfterUnterminatedLine", "[a]\nx=1", "b", "k", "v", "[a]\nx=1\n\n[b]\nk=v\n"},
        WriteCase{"CrlfReplace", "[a]\r\nx=1\r\n", "a", "x", "2", "[a]\r\nx=2\r\n"},
        WriteCase{"CrlfAppendKey", "[a]\r\nx=1\r\n\r\n", "a", "y", "2", "[a]\r\nx=1\r\ny=2\r\n\r\n"},
        WriteCase{"CrlfNewSection", "[a]\r\nx=1\r\n", "b", "k", "v", "[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n"},
        WriteCase{"DeletesKeyAndItsDuplicates", "[a]\n; c\nx=1\ny=2\nX=3\n[b]\nx=4\n", "a", "x", nullptr,
                  "[a]\n; c\ny=2\n[b]\nx=4\n"},
        WriteCase{"DeletesSectionAndCopies", "; top\n[a]\nx=1\n; in a\n[b]\ny=2\n[A]\nz=3\n", "a", nullptr, nullptr,
                  "; top\n[b]\ny=2\n"},
        WriteCase{"DeleteMissingKeyLeavesFile", "[a]\nx=1", "a", "q", nullptr, "[a]\nx=1"},
        WriteCase{"DeleteMissingSectionLeavesFile", "[a]\nx=1", "q", nullptr, nullptr, "[a]\nx=1"},
        WriteCase{"DeleteInMissingFileCreatesNothing", "<none>", "a", "x", nullptr, "<none>"},
        WriteCase{"KeepsUnknownAndForeignBytes", "junk line\n[a]\r\nx=caf\xE9\n\xFF\xFE odd\n", "a", "x", "th\xE9",
                  "junk line\n[a]\r\nx=th\xE9\n\xFF\xFE odd\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Profile, ValuesRoundTrip) {
  TempDir dir;
  std::string ini = dir / "settings.ini";
  const std::vector<std::string> values = {"plain", "with = sign", "; not a comment", "caf\xE9", "", "[x]",
                                           std::string(5000, 'a')};
  for (size_t i = 0; i < values.size(); ++i)
    ASSERT_TRUE(WritePrivateProfileString("s", ("k" + std::to_string(i)).c_str(), values[i].c_str(), ini));
  for (size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(GetPrivateProfileString("s", ("K" + std::to_string(i)).c_str(), "?", ini), values[i]);
  // The Windows reader strips quotes a writer put around a value.
  ASSERT_TRUE(WritePrivateProfileString("s", "q", "\"quoted\"", ini));
  EXPECT_EQ(GetPrivateProfileString("s", "q", "", ini), "quoted");
}

TEST(Profile, RefusesTextThatWouldBreakTheFile) {
  TempDir dir;
  std::string ini = dir / "settings.ini";
  const std::string original = "[a]\nx=1\n";
  WriteFile(ini, original);
  EXPECT_FALSE(WritePrivateProfileString("a", "x", "two\nlines", ini));
  EXPECT_FALSE(WritePrivateProfileString("a", "x=y", "v", ini));
  EXPECT_FALSE(WritePrivateProfileString("a", ";x", "v", ini));
  EXPECT_FALSE(WritePrivateProfileString("a", "", "v", ini));
  EXPECT_FALSE(WritePrivateProfileString("a]", "x", "v", ini));
  EXPECT_FALSE(WritePrivateProfileString(nullptr, "x", "v", ini));
  EXPECT_EQ(ReadFile(ini), original);
}

TEST(Profile, FailedWriteLeavesNothingBehind) {
  TempDir dir;
  EXPECT_FALSE(WritePrivateProfileString("a", "x", "1", dir / "no/such/dir/settings.ini"));
  std::string asDirectory = dir / "settings.ini";
  std::filesystem::create_directory(asDirectory);
  EXPECT_FALSE(WritePrivateProfileString("a", "x", "1", asDirectory));
  EXPECT_TRUE(std::filesystem::is_directory(asDirectory));
  EXPECT_TRUE(std::filesystem::is_empty(asDirectory));
}

TEST(Profile, RewriteKeepsPermissionsAndLinks) {
  TempDir dir;
  std::string real = dir / "real.ini";
  std::string link = dir / "link.ini";
  WriteFile(real, "[a]\nx=1\n");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  std::filesystem::create_symlink("real.ini", link);
  ASSERT_TRUE(WritePrivateProfileString("a", "x", "2", link));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFile(real), "[a]\nx=2\n");
  struct stat st;
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace platform
