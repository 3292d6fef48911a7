// The study aids read from the Bible data folder once a run: FOOTNTE.DAT,
// the footnotes of the verses, and MAPS.DAT with control.rsi, the maps that
// belong to stretches of the Bible.
//
// FOOTNTE.DAT:  <verse number> <text up to the next ~> ~
// MAPS.DAT:     <verse number> <file> <description up to the next ~> ~
// Verse numbers count from 1 over the whole Bible (verse index + 1).
#pragma once

#include <string>
#include <vector>

namespace klmw {

inline constexpr const char* kFootnotesFile = "FOOTNTE.DAT";
inline constexpr const char* kMapsFile = "MAPS.DAT";
inline constexpr const char* kMapsControlFile = "control.rsi";

struct CFootnote {
  int verseNumber = 0;
  std::string text;
};

class CFootnotes {
 public:
  // The entries of the file's text, in file order; every entry is kept. An
  // entry whose number cannot be read, or a text without its closing ~,
  // ends the reading.
  void Parse(const std::string& text);
  // False (and no footnotes) when the file cannot be read.
  bool Load(const std::string& path);
  size_t Count() const { return m_notes.size(); }
  const CFootnote& At(size_t i) const { return m_notes[i]; }
  // The first entry of the verse number, or -1.
  int Find(int verseNumber) const;
  // Every entry of the verse number, in file order.
  std::vector<const CFootnote*> AllOf(int verseNumber) const;

 private:
  std::vector<CFootnote> m_notes;
  std::vector<size_t> m_byVerse;  // entry indexes ordered by verse number, then file order
};

// The places a footnote's text names, as "Book chapter:verse" with the
// book's full name from the table of the current Bible (Spanish for "RVR"):
// "Gen. 2:4" and "Genesis 2:4" both give "Genesis 2:4".
std::vector<std::string> FootnoteReferences(const std::string& text, const std::string& bibleCode);

struct CMapEntry {
  int verseNumber = 0;
  std::string file;
  std::string description;
};

class CMapList {
 public:
  void Parse(const std::string& text);
  bool Load(const std::string& path);
  size_t Count() const { return m_maps.size(); }
  const CMapEntry& At(size_t i) const { return m_maps[i]; }
  // The map of a verse: the first entry whose number is greater than the
  // verse's number, or -1 past the last.
  int MapFor(int verseNumber) const;

 private:
  std::vector<CMapEntry> m_maps;
};

// Where a map's file lies: dataDir + "maps/" + file when the maps location
// (the first word of control.rsi, "@@" when it is missing) is "@@", else
// location + "/iridel/maps/" + file. dataDir ends in '/'.
std::string MapPath(const std::string& dataDir, const std::string& location, const std::string& file);
// The first word of control.rsi in dataDir; "@@" when there is none.
std::string ReadMapsLocation(const std::string& dataDir);

// Whether a file is a picture the program shows itself (.bmp, .png, .jpg,
// .jpeg in any letter case); anything else goes to the desktop.
bool IsPictureFile(const std::string& path);

}  // namespace klmw
