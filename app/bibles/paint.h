// The colour data of the open Bible: topic colours and underlining read from
// the program's paint file (built from the publisher's .pip file when needed),
// the colour index, the palette of colors.txt, and the user's painting.
// All four files lie in one folder, the program's.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "app/bibles/colorindex.h"
#include "app/bibles/colorstxt.h"
#include "app/bibles/paintfile.h"
#include "app/bibles/pipconvert.h"
#include "app/bibles/versecolors.h"
#include "app/bibles/verselayout.h"

namespace klmw {

// [COLORS] COLORS of the settings file, by number.
enum ColorMode {
  kColorNotInit = 0,
  kColorIgnore = 1,
  kColorUsePaint = 2,
  kColorMergePaintAndPip = 3,
  kColorMergePaintAndUnderlined = 4,
  kColorUsePip = 5,
};
inline constexpr int kDefaultMaxPipColors = 14;

// "USE_PAINT" and so on; nullptr for a number that is not a mode.
const char* ColorModeName(int mode);
// The mode a name stands for (letter case ignored); NOT-INIT for any other.
int ParseColorMode(const std::string& name);
// The mode in the settings file; when the key is absent USE_PAINT, which is
// then written to it.
int ReadColorMode(const std::string& settingsPath);
bool WriteColorMode(const std::string& settingsPath, int mode);
// [COLORS] MAX_COLORS_IN_PIP_FILE, kept within 1-250.
int ReadMaxPipColors(const std::string& settingsPath);

// What lasts for one run of the program: the colour mode (chosen once), the
// Bibles converted from their .pip files, and whether the clamping message
// has been shown. The program keeps one; a test makes a fresh one per run.
class CPaintRun {
 public:
  // Settings come from settingsPath on first need; an empty path means the
  // defaults (USE_PAINT, 14).
  explicit CPaintRun(std::string settingsPath = {}) : m_settingsPath(std::move(settingsPath)) {}

  int GetColorMode();
  void SetColorMode(int mode) { m_mode = mode; }
  int GetMaxColors();
  void SetMaxColors(int n);
  bool WasConverted(const std::string& code) const;
  void MarkConverted(const std::string& code);

  bool m_clampReported = false;

 private:
  std::string m_settingsPath;
  int m_mode = -1;
  int m_maxColors = -1;
  std::set<std::string> m_converted;  // upper case
};

// The program's own colour-table entries 0-5 (entry 2, uncoloured, and entry
// 5, topic colour 0, are the white page).
std::vector<ColorRef> ProgramColorEntries();

class CPaint {
 public:
  // dir: the folder of the colour files.
  CPaint(CPaintRun& run, std::string dir);

  // Makes the Bible of `code` ("KJS", "NIV", "RVR"; letter case ignored) the
  // one whose colours are given, converting its .pip file as the colour mode
  // asks; choosing the Bible already chosen does nothing. True when the
  // Bible has colour data.
  bool ChooseBible(const std::string& code);
  const std::string& GetCode() const { return m_code; }
  bool HasColorData() const { return m_hasData; }

  // A verse's record (the fresh record without colour data or for an index
  // outside the Bible).
  CVerseColors GetVerseColors(int index);
  // The drawing's segments of a verse with the given display text.
  std::vector<CVerseSegment> GetSegments(int index, const std::string& text);

  // Entries 0-5 the program's, topic colour k at k + 5, painted colours after.
  const std::vector<ColorRef>& GetColorTable() const { return m_tables.table; }
  // Topic colour k's name at k - 1.
  const std::vector<std::string>& GetColorNames() const { return m_tables.names; }
  // The table as a Bible window draws with it.
  CBibleColours GetBibleColours() const;

  const CColorIndex& GetColorIndex() const { return m_index; }
  // The first verse after `after` with topic colour k (1-12; 15 the
  // underlined verses), or -1.
  int NextVerseWithColor(int k, int after) const { return m_index.NextVerse(k, after); }

  // Paints verses first to last (either order) in `color`: each becomes that
  // colour from its first character to its end (its other colour changes
  // dropped, its underlining kept). The colour gets a table entry of its own,
  // or shares the one already holding exactly that colour. colors.txt is
  // written again and the paint file at once. Returns the entry used, -1
  // when no Bible is chosen.
  int PaintVerses(int first, int last, ColorRef color);
  // The entry painting with `color` uses, added to the table when new (a
  // full table gives the nearest colour's entry).
  int EntryForColor(ColorRef color);
  // Writes colors.txt from the names and the topic colours' entries; a
  // failure is shown ("Colors.txt file could not be saved\n").
  bool SaveColorsTxt();

  std::string PipPath() const;
  std::string PaintPath() const { return m_dir + "paint." + m_code; }
  std::string IndexPath() const { return m_dir + "COLORNDX." + m_code; }
  std::string ColorsTxtPath() const { return m_dir + "colors.txt"; }

 private:
  bool Convert(PipMode mode);
  bool SavePaintFile();
  bool OpenPaintFile();
  bool ReadWholePaintFile();
  void LoadPalette();

  CPaintRun& m_run;
  std::string m_dir;
  std::string m_code;
  bool m_chosen = false;
  bool m_hasData = false;
  CPaintFile m_file;
  // While records are built (or after a paint file could not be written)
  // every verse's record is held here; otherwise they come from m_file.
  std::vector<CVerseColors> m_records;
  CPaintTables m_tables;
  CColorIndex m_index;
};

}  // namespace klmw
