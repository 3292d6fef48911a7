// The Bible builder: verses in canonical order become a Bible module, the
// definition (<CODE>.ixb), the verse text file (<CODE>.dat), the verse
// table (<CODE>.dbf) and a small text file <CODE>.HTB naming the Bible's code
// and files, all in one folder.
//
// Source text (Windows-1252, one verse a line; the README documents it):
//   #code=KJS                      settings; any other line starting with #
//   #name=King James Version       is a comment
//   #language=english|spanish      the book labels written in the definition
//   BOOK<TAB>CHAPTER<TAB>VERSE<TAB>TEXT
//
// The verses must come in canonical order from 1 1 1 on, without a gap: a
// verse a translation leaves out is given with an empty text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace klmw {

enum class BibleLanguage { English, Spanish };

struct BibleVerse {
  int book = 0;  // all 1-based
  int chapter = 0;
  int verse = 0;
  std::string text;  // verse-text markup, Windows-1252
};

// A module's two files as bytes.
struct BibleFiles {
  std::string textFileName;  // what TDBFILE names
  std::string definition;
  std::string text;
};

class CBibleBuilder {
 public:
  void SetCode(const std::string& code) { m_code = code; }
  void SetName(const std::string& name) { m_name = name; }
  void SetLanguage(BibleLanguage language) { m_language = language; }
  const std::string& GetCode() const { return m_code; }
  const std::string& GetName() const { return m_name; }
  BibleLanguage GetLanguage() const { return m_language; }
  const std::vector<BibleVerse>& GetVerses() const { return m_verses; }

  // Adds the next verse; false (with the reason) when it does not follow the
  // previous one in canonical order or a number is out of range.
  bool AddVerse(int book, int chapter, int verse, const std::string& text, std::string& error);
  // Reads a whole source; errors name the line.
  bool ReadSource(const std::string& source, std::string& error);

  // The module's files in memory.
  bool Build(BibleFiles& files, std::string& error) const;
  // Writes the module into outDir (made when missing). Every file goes to a
  // temporary name first and is renamed into place, the text file before the
  // definition that names it.
  bool Write(const std::string& outDir, std::string& error) const;

 private:
  bool CheckSettings(std::string& error) const;

  std::string m_code;
  std::string m_name;
  BibleLanguage m_language = BibleLanguage::English;
  std::vector<BibleVerse> m_verses;
};

// Writes the verse table <CODE>.dbf (one record per verse) through the dBase
// library in platform/dbf. That library is not in the tree yet, so for now
// this writes nothing and reports success.
bool WriteVerseTable(const CBibleBuilder& bible, const std::string& path, std::string& error);

// The words of a displayed verse as the word list holds them: split at
// anything that is not a letter or a digit, in upper case.
std::vector<std::string> IndexWords(const std::string& displayText);

}  // namespace klmw
