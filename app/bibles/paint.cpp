#include "app/bibles/paint.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "platform/lettercase.h"
#include "platform/messages.h"
#include "platform/profile.h"

namespace klmw {

namespace {

const char* const kModeNames[] = {"NOT-INIT", "IGNORE", "USE_PAINT", "MERGE_PAINT_AND_PIP",
                                  "MERGE_PAINT_AND_UNDERLINED_DATA", "USE_PIP"};

using platform::Upper;

using platform::Lower;

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadAll(const std::string& path, std::string& data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  data.assign(std::istreambuf_iterator<char>(in), {});
  return !in.bad();
}

int ColorDistance(ColorRef a, ColorRef b) {
  int d = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int x = static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF);
    d += x * x;
  }
  return d;
}

// A key whose value cannot be typed into a settings file tells an absent key.
constexpr char kAbsent[] = "\x01";

}  // namespace

const char* ColorModeName(int mode) {
  return mode >= 0 && mode <= kColorUsePip ? kModeNames[mode] : nullptr;
}

int ParseColorMode(const std::string& name) {
  const std::string upper = Upper(name);
  for (int m = 0; m <= kColorUsePip; ++m)
    if (upper == kModeNames[m]) return m;
  return kColorNotInit;
}

int ReadColorMode(const std::string& settingsPath) {
  const std::string value = platform::GetPrivateProfileString("COLORS", "COLORS", kAbsent, settingsPath);
  if (value == kAbsent) {
    WriteColorMode(settingsPath, kColorUsePaint);
    return kColorUsePaint;
  }
  return ParseColorMode(value);
}

bool WriteColorMode(const std::string& settingsPath, int mode) {
  const char* name = ColorModeName(mode);
  return name && platform::WritePrivateProfileString("COLORS", "COLORS", name, settingsPath);
}

int ReadMaxPipColors(const std::string& settingsPath) {
  const int n = static_cast<int>(
      platform::GetPrivateProfileInt("COLORS", "MAX_COLORS_IN_PIP_FILE", kDefaultMaxPipColors, settingsPath));
  return std::clamp(n, 1, kMaxTopicColors);
}

int CPaintRun::GetColorMode() {
  if (m_mode < 0) m_mode = m_settingsPath.empty() ? kColorUsePaint : ReadColorMode(m_settingsPath);
  return m_mode;
}

int CPaintRun::GetMaxColors() {
  if (m_maxColors < 0) m_maxColors = m_settingsPath.empty() ? kDefaultMaxPipColors : ReadMaxPipColors(m_settingsPath);
  return m_maxColors;
}

void CPaintRun::SetMaxColors(int n) { m_maxColors = std::clamp(n, 1, kMaxTopicColors); }

bool CPaintRun::WasConverted(const std::string& code) const { return m_converted.count(Upper(code)) != 0; }

void CPaintRun::MarkConverted(const std::string& code) { m_converted.insert(Upper(code)); }

std::vector<ColorRef> ProgramColorEntries() {
  // Text, verse number (blue), uncoloured page, and the ends of a stretch.
  return {0x000000, 0xFF0000, kWhite, 0x000000, 0x000000, kWhite};
}

CPaint::CPaint(CPaintRun& run, std::string dir) : m_run(run), m_dir(std::move(dir)) {
  if (!m_dir.empty() && m_dir.back() != '/') m_dir += '/';
}

std::string CPaint::PipPath() const {
  // The publisher's files come with the code in either case.
  for (const std::string& name : {m_code + ".pip", Lower(m_code) + ".pip", m_code + ".PIP"})
    if (Exists(m_dir + name)) return m_dir + name;
  return m_dir + m_code + ".pip";
}

bool CPaint::ChooseBible(const std::string& code) {
  if (m_chosen && Upper(code) == m_code) return m_hasData;
  m_file.Close();
  m_records.clear();
  m_tables = {};
  m_index.Clear();
  m_hasData = false;
  m_code = Upper(code);
  m_chosen = true;

  int mode = m_run.GetColorMode();
  // A second window on the same Bible takes what the first one converted.
  if (m_run.WasConverted(m_code) && mode != kColorIgnore) mode = kColorUsePaint;
  switch (mode) {
    case kColorUsePaint:
      if (OpenPaintFile()) break;
      m_records.assign(kColorVerses, CVerseColors::Fresh());
      if (Convert(PipMode::Color)) {
        SavePaintFile();
      } else {
        m_records.clear();
      }
      break;
    case kColorMergePaintAndPip:
    case kColorMergePaintAndUnderlined: {
      const bool existed = ReadWholePaintFile();
      if (Convert(mode == kColorMergePaintAndPip ? PipMode::Color : PipMode::Underline)) {
        SavePaintFile();
      } else if (!existed) {
        m_records.clear();
      } else {
        m_hasData = true;
      }
      break;
    }
    case kColorUsePip:
      m_records.assign(kColorVerses, CVerseColors::Fresh());
      if (Convert(PipMode::Color)) {
        SavePaintFile();
      } else if (ReadWholePaintFile()) {
        m_hasData = true;
      } else {
        m_records.clear();
      }
      break;
    default:  // NOT-INIT, IGNORE: no colour data
      break;
  }
  LoadPalette();
  m_index.Load(IndexPath());
  return m_hasData;
}

bool CPaint::OpenPaintFile() {
  if (!m_file.Open(PaintPath())) return false;
  m_tables = m_file.Tables();
  m_records.clear();
  m_hasData = true;
  return true;
}

bool CPaint::ReadWholePaintFile() {
  m_records.assign(kColorVerses, CVerseColors::Fresh());
  CPaintFile file;
  if (!file.Open(PaintPath())) return false;
  m_tables = file.Tables();
  m_records = file.ReadAllRecords();
  return true;
}

bool CPaint::Convert(PipMode mode) {
  std::string pip;
  if (!ReadAll(PipPath(), pip)) return false;
  platform::MessageBox("Creating color data from your " + m_code + ".pip file...Please wait\n");
  m_run.MarkConverted(m_code);
  CColorIndex index;
  ConvertPip(pip, mode, m_run.GetMaxColors(), m_records, index, m_run.m_clampReported);
  if (mode == PipMode::Color)
    index.Save(IndexPath());
  else
    index.SaveUnderlineSet(IndexPath());
  return true;
}

// Written whole through a temporary file, then read back from it; when it
// cannot be written the records stay in memory for the rest of the run.
bool CPaint::SavePaintFile() {
  m_hasData = true;
  if (!CPaintFile::Save(PaintPath(), m_tables, m_records)) {
    platform::MessageBox("Unable to save Paint file");
    return false;
  }
  m_file.Close();
  if (!m_file.Open(PaintPath())) return false;
  m_records.clear();
  return true;
}

void CPaint::LoadPalette() {
  if (m_tables.table.size() > 2) {
    // The program's own entries are its own whatever a file says.
    const std::vector<ColorRef> own = ProgramColorEntries();
    if (m_tables.table.size() < own.size()) m_tables.table.resize(own.size());
    std::copy(own.begin(), own.end(), m_tables.table.begin());
    return;
  }
  CColorPalette palette;
  if (ReadColorsTxt(ColorsTxtPath(), palette) == PaletteRead::Foreign)
    platform::MessageBox("Note: A colors.txt file is not present\n");
  m_tables.names = palette.names;
  m_tables.table = ProgramColorEntries();
  m_tables.table.resize(palette.colors.size() + 6, kWhite);
  std::copy(palette.colors.begin(), palette.colors.end(), m_tables.table.begin() + 6);
}

CVerseColors CPaint::GetVerseColors(int index) {
  if (!m_hasData || index < 0 || index >= kColorVerses) return CVerseColors::Fresh();
  if (!m_records.empty()) return m_records[static_cast<size_t>(index)];
  return m_file.GetRecord(index);
}

std::vector<CVerseSegment> CPaint::GetSegments(int index, const std::string& text) {
  return MakeVerseSegments(GetVerseColors(index), text);
}

CBibleColours CPaint::GetBibleColours() const {
  CBibleColours c;
  c.table.assign(m_tables.table.begin(), m_tables.table.end());
  if (c.table.size() <= kUncoloured) c.table = ProgramColorEntries();
  return c;
}

int CPaint::EntryForColor(ColorRef color) {
  color &= 0xFFFFFF;
  std::vector<ColorRef>& table = m_tables.table;
  if (table.size() < 6) {
    const std::vector<ColorRef> own = ProgramColorEntries();
    table.resize(own.size());
    std::copy(own.begin(), own.end(), table.begin());
  }
  // A verse record holds its entry in a byte: a paint file's longer table
  // has entries no verse can name.
  const size_t usable = std::min<size_t>(table.size(), 256);
  for (size_t i = 6; i < usable; ++i)
    if (table[i] == color) return static_cast<int>(i);
  if (table.size() < 256) {
    table.push_back(color);
    return static_cast<int>(table.size() - 1);
  }
  size_t best = 6;
  for (size_t i = 7; i < usable; ++i)
    if (ColorDistance(table[i], color) < ColorDistance(table[best], color)) best = i;
  return static_cast<int>(best);
}

bool CPaint::SaveColorsTxt() {
  CColorPalette palette;
  palette.names = m_tables.names;
  for (size_t k = 1; k <= palette.names.size(); ++k)
    palette.colors.push_back(k + 5 < m_tables.table.size() ? m_tables.table[k + 5] : kWhite);
  if (WriteColorsTxt(ColorsTxtPath(), palette)) return true;
  platform::MessageBox("Colors.txt file could not be saved\n");
  return false;
}

int CPaint::PaintVerses(int first, int last, ColorRef color) {
  if (!m_chosen) return -1;
  if (first > last) std::swap(first, last);
  first = std::max(first, 0);
  last = std::min(last, kColorVerses - 1);
  const int entry = EntryForColor(color);
  SaveColorsTxt();
  if (m_records.empty()) {
    if (m_hasData && m_file.IsOpen())
      m_records = m_file.ReadAllRecords();
    else
      m_records.assign(kColorVerses, CVerseColors::Fresh());
  }
  for (int v = first; v <= last; ++v) {
    CVerseColors& r = m_records[static_cast<size_t>(v)];
    r.colorPos[kFirstDataSlot] = kPositionStart;
    r.color[kFirstDataSlot] = static_cast<uint8_t>(entry);
    for (int s = kFirstDataSlot + 1; s < kColorSlots; ++s) {
      r.colorPos[static_cast<size_t>(s)] = kPositionEnd;
      r.color[static_cast<size_t>(s)] = 0;
    }
  }
  SavePaintFile();
  return entry;
}

}  // namespace klmw
