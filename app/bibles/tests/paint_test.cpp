// Colour data: verse records, the .pip conversion in both modes, the paint
// file, the colour index, colors.txt, choosing a Bible and painting.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/bibles/paint.h"
#include "platform/coding.h"
#include "platform/messages.h"
#include "platform/profile.h"

using namespace klmw;

namespace {

struct TempDir {
  std::string path;
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "klmw-paint-XXXXXX").string();
    path = ::mkdtemp(pattern.data()) ? pattern + "/" : "";
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  void Write(const std::string& name, const std::string& data) const {
    std::ofstream(path + name, std::ios::binary) << data;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
};

struct PipEntry {
  int32_t word;
  uint8_t color;
};

// A .pip file of every verse, without entries.
std::string EmptyPip() { return std::string((kColorVerses + 1) * kPipRecordSize, '\0'); }

void SetVerse(std::string& pip, int verse, const std::vector<PipEntry>& entries) {
  char* p = pip.data() + static_cast<size_t>(verse) * kPipRecordSize;
  for (const PipEntry& e : entries) {
    platform::EncodeFixed32(p, static_cast<uint32_t>(e.word));
    p[4] = static_cast<char>(e.color);
    p += 5;
  }
}

using Slots = std::vector<std::pair<int, int>>;

Slots ColourSlots(const CVerseColors& r) {
  Slots out;
  for (int s = kFirstDataSlot; s < kColorSlots && r.colorPos[s]; ++s) out.push_back({r.colorPos[s], r.color[s]});
  return out;
}

Slots UnderlineSlots(const CVerseColors& r) {
  Slots out;
  for (int s = kFirstDataSlot; s < kColorSlots && r.underlinePos[s]; ++s)
    out.push_back({r.underlinePos[s], r.underline[s]});
  return out;
}

std::vector<std::string> Texts(const platform::RecordingMessages& m) {
  std::vector<std::string> out;
  for (const auto& s : m.m_shown) out.push_back(s.text);
  return out;
}

const std::string kCreating = "Creating color data from your KJS.pip file...Please wait\n";

}  // namespace

TEST(VerseColors, LayoutOfTheRecord) {
  unsigned char bytes[kVerseColorsSize];
  CVerseColors::Fresh().Encode(bytes);
  const unsigned char fresh[kVerseColorsSize] = {0, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                                                 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                                                 0, 1, 2, 0, 0, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0,  //
                                                 0, 0, 0, 0, 3, 0, 0, 0};
  EXPECT_EQ(std::string(bytes, bytes + kVerseColorsSize), std::string(fresh, fresh + kVerseColorsSize));

  CVerseColors r = CVerseColors::Fresh();
  r.colorPos = {0, 1, -32766, 25000, 7, -1, 300, 0};
  r.underlinePos = {0, 0, -4, -5, 0, 0, 0, 0};
  r.underline[3] = 3;
  r.color = {0, 1, 255, 6, 19, 5, 8, 0};
  r.hasUnderline = 1;
  r.Encode(bytes);
  EXPECT_EQ(platform::DecodeSigned16(bytes + 4), -32766);
  EXPECT_EQ(bytes[42], 255);
  EXPECT_EQ(platform::DecodeSigned32(bytes + 48), 1);
  CVerseColors back;
  back.Decode(bytes);
  EXPECT_EQ(back, r);
}

TEST(VerseColors, SegmentsFromWordsAndOffsets) {
  const std::string text = "In the  beginning God created";  // two blanks before word 3
  const struct {
    const char* what;
    Slots colours, underlines;
    std::vector<CVerseSegment> expect;
  } cases[] = {
      {"no changes", {}, {}, {{0, 2, 2}}},
      {"the fresh record's slot 2 changes nothing", {{2, 2}}, {}, {{0, 2, 2}}},
      {"a word to a character offset", {{-3, 8}}, {}, {{0, 2, 2}, {8, 8, 2}}},
      {"25000 is character 0", {{25000, 6}}, {}, {{0, 6, 2}}},
      {"word 1 is at 0 too", {{-1, 7}, {-4, 5}}, {}, {{0, 7, 2}, {18, 5, 2}}},
      {"a word past the last ends the list", {{-2, 6}, {-6, 7}, {-4, 8}}, {}, {{0, 2, 2}, {3, 6, 2}}},
      {"an offset past the text is its end", {{9000, 6}}, {}, {{0, 2, 2}, {29, 6, 2}}},
      {"colour and underline merged", {{-2, 6}}, {{-2, 3}, {-3, 2}}, {{0, 2, 2}, {3, 6, 3}, {8, 6, 2}}},
      {"underline alone", {}, {{-5, 3}}, {{0, 2, 2}, {22, 2, 3}}},
      {"a step back is applied where the list got to", {{-4, 6}, {-2, 7}}, {}, {{0, 2, 2}, {18, 7, 2}}},
      {"a change undone at the same place", {{-2, 6}, {3, 2}}, {}, {{0, 2, 2}}},
  };
  for (const auto& c : cases) {
    CVerseColors r = CVerseColors::Fresh();
    r.colorPos[2] = 0;
    for (size_t i = 0; i < c.colours.size(); ++i) {
      r.colorPos[2 + i] = static_cast<int16_t>(c.colours[i].first);
      r.color[2 + i] = static_cast<uint8_t>(c.colours[i].second);
    }
    for (size_t i = 0; i < c.underlines.size(); ++i) {
      r.underlinePos[2 + i] = static_cast<int16_t>(c.underlines[i].first);
      r.underline[2 + i] = static_cast<uint8_t>(c.underlines[i].second);
    }
    const std::vector<CVerseSegment> got = MakeVerseSegments(r, text);
    ASSERT_EQ(got.size(), c.expect.size()) << c.what;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].start, c.expect[i].start) << c.what << " #" << i;
      EXPECT_EQ(got[i].colour, c.expect[i].colour) << c.what << " #" << i;
      EXPECT_EQ(got[i].underline, c.expect[i].underline) << c.what << " #" << i;
    }
  }
}

TEST(PipConversion, ColourModeRecordsAndIndex) {
  TempDir dir;
  std::string pip = EmptyPip();
  const struct {
    int verse;  // 1-based
    std::vector<PipEntry> entries;
    Slots expect;        // colour slots afterwards
    std::vector<int> sets;  // index sets the verse is in
  } cases[] = {
      {1, {{0, 3}, {4, 3}}, {{2, 2}}, {}},  // first byte 0: no changes
      {2, {{3, 1}, {5, 0}}, {{-3, 6}, {-5, 5}}, {0}},
      {3, {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}}, {{-1, 7}, {-2, 8}, {-3, 9}, {-4, 10}, {-5, 11}, {-6, 12}},
       {1, 2, 3, 4, 5, 6, 7}},
      {4, {{2, 0x83}, {9, 14}}, {{-2, 8}, {-9, 19}}, {2, 13}},   // the continued mark is dropped
      {5, {{2, 20}, {3, 255}}, {{-2, 19}, {-3, 19}}, {13}},      // clamped to 14
      {6, {{256, 4}, {3, 4}}, {{2, 2}}, {}},                    // word 256: its first byte ends the list
      {7, {{-3, 4}, {40000, 4}, {6, 2}}, {{-6, 7}}, {1}},        // damaged word numbers dropped
      {31102, {{1, 12}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}, {10, 0}, {11, 0}, {12, 0},
               {13, 0}, {14, 0}, {15, 0}, {16, 0}, {17, 0}, {18, 0}, {19, 0}, {20, 0}},
       {{-1, 17}, {-2, 5}, {-3, 5}, {-4, 5}, {-5, 5}, {-6, 5}}, {11}},
  };
  for (const auto& c : cases) SetVerse(pip, c.verse, c.entries);
  dir.Write("KJS.pip", pip);

  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  CPaintRun run;
  run.SetColorMode(kColorUsePip);
  CPaint paint(run, dir.path);
  ASSERT_TRUE(paint.ChooseBible("kjs"));
  EXPECT_EQ(Texts(messages), (std::vector<std::string>{kCreating, ClampMessage(5, 20, 14)}));

  // Read back as a later run does: from the paint file and the index file.
  CPaintFile file;
  ASSERT_TRUE(file.Open(dir.path + "paint.KJS"));
  EXPECT_EQ(file.RecordCount(), kColorVerses);
  CColorIndex index;
  ASSERT_TRUE(index.Load(dir.path + "COLORNDX.KJS"));
  EXPECT_EQ(dir.Read("COLORNDX.KJS").size(), 14 * kColorSetBytes);
  for (const auto& c : cases) {
    EXPECT_EQ(ColourSlots(file.GetRecord(c.verse - 1)), c.expect) << "verse " << c.verse;
    std::vector<int> sets;
    for (int s = 0; s < kColorIndexSets; ++s)
      if (index.Test(s, c.verse - 1)) sets.push_back(s);
    EXPECT_EQ(sets, c.sets) << "verse " << c.verse;
  }
  EXPECT_EQ(file.GetRecord(7), CVerseColors::Fresh());  // a verse the .pip left alone
  EXPECT_EQ(index.Verses(0), std::vector<int>{1});
}

TEST(PipConversion, UnderlineRangesOverTheColours) {
  TempDir dir;
  std::string pip = EmptyPip();
  SetVerse(pip, 1, {{2, 3}});
  dir.Write("KJS.pip", pip);
  {
    CPaintRun run;
    run.SetColorMode(kColorUsePip);
    platform::RecordingMessages messages;
    platform::ScopedMessages scoped(&messages);
    CPaint(run, dir.path).ChooseBible("KJS");
  }
  const struct {
    int verse;
    std::vector<PipEntry> entries;
    Slots expect;
    bool underlined;
  } cases[] = {
      {1, {{4, 1}}, {{-4, 3}, {-5, 2}}, true},  // a single word
      {2, {{2, 0x81}, {5, 1}}, {{-2, 3}, {-6, 2}}, true},  // a range ends a word after its second entry
      {3, {{2, 0x81}, {3, 0x81}, {6, 0}}, {{-2, 3}, {-3, 3}, {-7, 2}}, true},
      {4, {{4, 0}}, {{-4, 2}}, false},  // an end alone
      {5, {{7, 0x81}}, {{-7, 3}}, true},  // a continued start at the end runs on
      {6, {{1, 1}, {3, 1}, {5, 1}, {7, 1}}, {{-1, 3}, {-2, 2}, {-3, 3}, {-4, 2}, {-5, 3}, {-6, 2}}, true},
      {7, {{1, 0}, {3, 1}, {5, 1}, {7, 1}}, {{-1, 2}, {-3, 3}, {-4, 2}, {-5, 3}, {-6, 2}}, true},  // no room for the last
      {8, {}, {}, false},
  };
  for (const auto& c : cases) SetVerse(pip, c.verse, c.entries);
  dir.Write("KJS.pip", pip);

  CPaintRun run;
  run.SetColorMode(kColorMergePaintAndUnderlined);
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  CPaint paint(run, dir.path);
  ASSERT_TRUE(paint.ChooseBible("KJS"));
  const std::string ndx = dir.Read("COLORNDX.KJS");
  ASSERT_EQ(ndx.size(), 15 * kColorSetBytes);
  CColorIndex index;
  index.Load(dir.path + "COLORNDX.KJS");
  EXPECT_TRUE(index.Test(2, 0));  // the colour sets stay
  for (const auto& c : cases) {
    const CVerseColors r = paint.GetVerseColors(c.verse - 1);
    EXPECT_EQ(UnderlineSlots(r), c.expect) << "verse " << c.verse;
    EXPECT_EQ(r.hasUnderline, c.underlined ? 1 : 0) << "verse " << c.verse;
    EXPECT_EQ(index.Test(kUnderlineSet, c.verse - 1), c.underlined) << "verse " << c.verse;
  }
  EXPECT_EQ(ColourSlots(paint.GetVerseColors(0)), (Slots{{-2, 8}}));  // the colours merged under
  // Underlining the same file again replaces the 15th set, never adds a 16th.
  CPaintRun again;
  again.SetColorMode(kColorMergePaintAndUnderlined);
  CPaint(again, dir.path).ChooseBible("KJS");
  EXPECT_EQ(dir.Read("COLORNDX.KJS"), ndx);
}

TEST(ChoosingABible, ConversionOncePerRunAndClampingOncePerRun) {
  TempDir dir;
  std::string pip = EmptyPip();
  SetVerse(pip, 10, {{1, 15}});
  SetVerse(pip, 11, {{1, 16}});
  dir.Write("KJS.pip", pip);
  dir.Write("NIV.pip", pip);
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);

  const struct {
    int mode;
    std::vector<std::string> codes;  // windows opened in one run, each a CPaint
    std::vector<std::string> shown;
  } runs[] = {
      {kColorUsePip, {"KJS", "kjs", "NIV"},
       {kCreating, ClampMessage(10, 15, 14), "Creating color data from your NIV.pip file...Please wait\n"}},
      {kColorMergePaintAndPip, {"KJS", "KJS"}, {kCreating, ClampMessage(10, 15, 14)}},
      {kColorUsePaint, {"KJS"}, {}},  // the paint file is there now
      {kColorIgnore, {"KJS"}, {}},
      {kColorNotInit, {"KJS"}, {}},
  };
  for (const auto& r : runs) {
    messages.m_shown.clear();
    CPaintRun run;
    run.SetColorMode(r.mode);
    for (const std::string& code : r.codes) {
      CPaint paint(run, dir.path);
      paint.ChooseBible(code);
      EXPECT_EQ(paint.HasColorData(), r.mode != kColorIgnore && r.mode != kColorNotInit) << r.mode;
      EXPECT_EQ(ColourSlots(paint.GetVerseColors(10)), (paint.HasColorData() ? Slots{{-1, 19}} : Slots{{2, 2}})) << r.mode;
    }
    EXPECT_EQ(Texts(messages), r.shown) << r.mode;
  }
}

TEST(ChoosingABible, ModesFromTheSettingsFile) {
  TempDir dir;
  const std::string ini = dir.path + "KLMW.INI";
  EXPECT_EQ(ReadColorMode(ini), kColorUsePaint);
  EXPECT_EQ(platform::GetPrivateProfileString("COLORS", "COLORS", "", ini), "USE_PAINT");
  EXPECT_EQ(ReadMaxPipColors(ini), 14);
  const struct {
    const char* value;
    int mode;
  } cases[] = {{"ignore", kColorIgnore},           {"Merge_Paint_And_Pip", kColorMergePaintAndPip},
               {"MERGE_PAINT_AND_UNDERLINED_DATA", kColorMergePaintAndUnderlined},
               {"USE_PIP", kColorUsePip},          {"", kColorNotInit},
               {"use paint", kColorNotInit}};
  for (const auto& c : cases) {
    platform::WritePrivateProfileString("COLORS", "COLORS", c.value, ini);
    EXPECT_EQ(ReadColorMode(ini), c.mode) << c.value;
    EXPECT_EQ(CPaintRun(ini).GetColorMode(), c.mode) << c.value;
  }
  platform::WritePrivateProfileString("COLORS", "MAX_COLORS_IN_PIP_FILE", "20", ini);
  EXPECT_EQ(CPaintRun(ini).GetMaxColors(), 20);
  platform::WritePrivateProfileString("COLORS", "MAX_COLORS_IN_PIP_FILE", "100000", ini);
  EXPECT_EQ(CPaintRun(ini).GetMaxColors(), kMaxTopicColors);
}

TEST(ColorsTxt, PaletteSizesAndNames) {
  const struct {
    const char* what;
    const char* file;  // nullptr: absent
    size_t entries;
    std::vector<std::pair<size_t, ColorRef>> at;
    std::vector<std::string> names;
    bool note;
  } cases[] = {
      {"absent", nullptr, 18, {{2, kWhite}, {5, kWhite}, {6, 0xBBBBBB}, {17, 0x80FFFF}}, {}, false},
      {"foreign", "Palette 3\n", 18, {{6, 0xBBBBBB}}, {}, true},
      {"three", "Colors 3\nRed\t\t1\t255\t0\t0\nGreen\t\t2\t0\t255\t0\nDeep_Blue\t3\t0\t0\t255\n", 9,
       {{2, kWhite}, {6, 0x0000FF}, {7, 0x00FF00}, {8, 0xFF0000}}, {"Red", "Green", "Deep Blue"}, false},
      {"COLOR word, count on the next line, a line out of range", "COLORTABLE\n2\nA 1 1 2 3\nB 7 9 9 9\n", 8,
       {{6, 0x030201}, {7, kWhite}}, {"A", "White"}, false},
      {"short lines and negative values", "colors 2\nA 1 -5\nB 2 -1 300 12\n", 8, {{6, kWhite}, {7, 0x0CFF00}},
       {"White", "B"}, false},
      {"a huge count", "Colors 100000\nA 1 1 1 1\n", 256, {{6, 0x010101}, {255, kWhite}}, {}, false},
      {"a negative count", "Colors -3\n", 18, {{6, 0xBBBBBB}}, {}, true},
  };
  for (const auto& c : cases) {
    TempDir dir;
    if (c.file) dir.Write("colors.txt", c.file);
    platform::RecordingMessages messages;
    platform::ScopedMessages scoped(&messages);
    CPaintRun run;
    CPaint paint(run, dir.path);
    paint.ChooseBible("KJS");
    const auto& table = paint.GetColorTable();
    EXPECT_EQ(table.size(), c.entries) << c.what;
    for (const auto& [entry, colour] : c.at) {
      if (entry < table.size()) {
        EXPECT_EQ(table[entry], colour) << c.what << " entry " << entry;
      }
    }
    if (!c.names.empty()) {
      EXPECT_EQ(paint.GetColorNames(), c.names) << c.what;
    }
    EXPECT_EQ(Texts(messages),
              c.note ? std::vector<std::string>{"Note: A colors.txt file is not present\n"} : std::vector<std::string>{})
        << c.what;
  }
}

TEST(ColorsTxt, WrittenPaletteReadsBack) {
  TempDir dir;
  CColorPalette palette = DefaultPalette();
  palette.names[1] = "";
  ASSERT_TRUE(WriteColorsTxt(dir.path + "colors.txt", palette));
  const std::string text = dir.Read("colors.txt");
  EXPECT_EQ(text.substr(0, 44), "Colors 12\nManila\t\t1\t187\t187\t187\nDescription\t");
  CColorPalette back;
  ASSERT_EQ(ReadColorsTxt(dir.path + "colors.txt", back), PaletteRead::Read);
  palette.names[1] = "Description";
  EXPECT_EQ(back.colors, palette.colors);
  EXPECT_EQ(back.names, palette.names);  // " Magenta" and "Sin - color 16 - Gray" included
}

TEST(Painting, OwnEntriesAndKeptAcrossARun) {
  TempDir dir;
  std::string pip = EmptyPip();
  SetVerse(pip, 11, {{2, 3}, {4, 0}});
  SetVerse(pip, 13, {{1, 1}});
  dir.Write("KJS.pip", pip);
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  int yellow = 0, teal = 0;
  {
    CPaintRun run;
    CPaint paint(run, dir.path);
    paint.ChooseBible("KJS");
    teal = paint.PaintVerses(11, 9, 0x808000);  // the selection may run upwards
    EXPECT_EQ(teal, 18);  // a colour of its own after the 12 topic colours
    yellow = paint.PaintVerses(20, 20, 0x00FFFF);
    EXPECT_EQ(yellow, 9);  // topic colour 4's exact yellow is shared, never changed
    EXPECT_EQ(paint.PaintVerses(30, 30, 0x808000), teal);
    EXPECT_EQ(paint.PaintVerses(31, 31, 0x010203), 19);
  }
  EXPECT_TRUE(std::filesystem::exists(dir.path + "colors.txt"));
  CPaintRun run;
  CPaint paint(run, dir.path);
  ASSERT_TRUE(paint.ChooseBible("KJS"));
  const struct {
    int verse;
    Slots colours;
  } cases[] = {
      {8, {{2, 2}}},
      {9, {{25000, 18}}},
      {10, {{25000, 18}}},  // the verse's own topic colours gave way
      {11, {{25000, 18}}},
      {12, {{-1, 6}}},
      {20, {{25000, 9}}},
      {30, {{25000, 18}}},
      {31, {{25000, 19}}},
  };
  for (const auto& c : cases) EXPECT_EQ(ColourSlots(paint.GetVerseColors(c.verse)), c.colours) << c.verse;
  ASSERT_EQ(paint.GetColorTable().size(), 20u);
  EXPECT_EQ(paint.GetColorTable()[19], 0x010203u);
  EXPECT_EQ(paint.GetColorTable()[yellow], 0x00FFFFu);
  EXPECT_EQ(paint.GetColorTable()[teal], 0x808000u);
  EXPECT_EQ(paint.GetColorNames().size(), 12u);
  const std::vector<CVerseSegment> segs = paint.GetSegments(10, "And God said");
  ASSERT_EQ(segs.size(), 1u);
  EXPECT_EQ(segs[0].colour, teal);
  EXPECT_EQ(paint.GetBibleColours().Entry(static_cast<uint8_t>(teal)), 0x808000u);
  for (const auto& m : Texts(messages)) EXPECT_EQ(m, kCreating);
}

TEST(PaintFile, DamagedFilesAreRefusedOrReadFresh) {
  CPaintTables tables;
  tables.names = {"Love"};
  tables.table = {1, 2, 3, 4, 5, 6, 7};
  tables.table2 = {9};
  std::vector<CVerseColors> records(3, CVerseColors::Fresh());
  records[2].colorPos[2] = -5;
  const std::string good = CPaintFile::Format(tables, records);
  ASSERT_EQ(good.size(), 12 + 60 + 28 + 4 + kColorVerses * kVerseColorsSize);
  auto withCount = [&](size_t at, int32_t n) {
    std::string s = good;
    platform::EncodeFixed32(s.data() + at, static_cast<uint32_t>(n));
    return s;
  };
  const size_t recordStart = 12 + 60 + 28 + 4;
  const struct {
    const char* what;
    std::string bytes;
    bool opens;
    int records;
  } cases[] = {
      {"whole", good, true, kColorVerses},
      {"empty", "", false, 0},
      {"header cut", good.substr(0, 10), false, 0},
      {"tables cut", good.substr(0, 50), false, 0},
      {"negative count", withCount(0, -1), false, 0},
      {"absurd count", withCount(4, 0x7FFFFFFF), false, 0},
      {"records cut in the third", good.substr(0, recordStart + 2 * kVerseColorsSize + 30), true, 2},
      {"no records", good.substr(0, recordStart), true, 0},
  };
  for (const auto& c : cases) {
    TempDir dir;
    dir.Write("paint.KJS", c.bytes);
    CPaintFile file;
    ASSERT_EQ(file.Open(dir.path + "paint.KJS"), c.opens) << c.what;
    EXPECT_EQ(file.RecordCount(), c.records) << c.what;
    if (!c.opens) continue;
    EXPECT_EQ(file.Tables().names, tables.names) << c.what;
    EXPECT_EQ(file.Tables().table2, tables.table2) << c.what;
    EXPECT_EQ(file.GetRecord(2).colorPos[2], c.records > 2 ? -5 : 2) << c.what;
    EXPECT_EQ(file.GetRecord(kColorVerses), CVerseColors::Fresh()) << c.what;
    EXPECT_EQ(file.ReadAllRecords()[2].colorPos[2], c.records > 2 ? -5 : 2) << c.what;
  }
}

TEST(ColorIndex, NextVerseOfAColour) {
  CColorIndex index;
  for (int v : {0, 31, 32, 5000, 31101}) index.Mark(2, v);
  index.Mark(14, 7);
  const struct {
    int k, after, expect;
  } cases[] = {
      {3, -1, 0},     {3, 0, 31},  {3, 31, 32},  {3, 32, 5000}, {3, 5000, 31101}, {3, 31101, -1},
      {3, 40000, -1}, {3, -9, 0},  {1, -1, -1},  {15, -1, 7},   {0, -1, -1},      {16, -1, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(index.NextVerse(c.k, c.after), c.expect) << c.k << " after " << c.after;

  TempDir dir;
  ASSERT_TRUE(index.Save(dir.path + "COLORNDX.KJS", kColorIndexSets));
  const std::string bytes = dir.Read("COLORNDX.KJS");
  ASSERT_EQ(bytes.size(), 15 * kColorSetBytes);
  EXPECT_EQ(platform::DecodeFixed32(bytes.data() + 2 * kColorSetBytes + 4), 1u);  // verse 32 is bit 0 of word 1
  CColorIndex back;
  ASSERT_TRUE(back.Load(dir.path + "COLORNDX.KJS"));
  EXPECT_EQ(back.Verses(2), (std::vector<int>{0, 31, 32, 5000, 31101}));
  dir.Write("COLORNDX.KJS", bytes.substr(0, 3 * kColorSetBytes - 1));  // the third set cut short
  ASSERT_TRUE(back.Load(dir.path + "COLORNDX.KJS"));
  EXPECT_TRUE(back.Verses(2).empty());
}

TEST(Painting, FilesThatCannotBeWrittenAreReported) {
  TempDir dir;
  std::string pip = EmptyPip();
  SetVerse(pip, 1, {{1, 2}});
  dir.Write("KJS.pip", pip);
  // Directories in the files' places: nothing can be renamed over them.
  std::filesystem::create_directory(dir.path + "paint.KJS");
  std::filesystem::create_directory(dir.path + "colors.txt");
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  CPaintRun run;
  CPaint paint(run, dir.path);
  EXPECT_TRUE(paint.ChooseBible("KJS"));  // the converted records stay for the run
  EXPECT_EQ(ColourSlots(paint.GetVerseColors(0)), (Slots{{-1, 7}}));
  EXPECT_EQ(paint.PaintVerses(5, 5, 0x123456), 18);
  EXPECT_EQ(ColourSlots(paint.GetVerseColors(5)), (Slots{{25000, 18}}));
  EXPECT_EQ(Texts(messages), (std::vector<std::string>{kCreating, "Unable to save Paint file",
                                                       "Colors.txt file could not be saved\n",
                                                       "Unable to save Paint file"}));
}
