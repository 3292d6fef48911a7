// Translations: which books a Bible translation has and in what order.
//
// The table comes from VTTRANS.DAT, loaded once per process (beside the
// library, see datafiles.h) and shared by every cTranslation. A cTranslation
// names one translation by its ID and answers questions about its books; with
// no translation set, or no data loaded, every question is answered as for a
// book that is absent.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {
class File;
}

// One translation's record, as 513 16-bit values:
//   [0]           number of books n
//   [1 .. 256]    [b] = 1-based position of book b, 0 = absent
//   [257 .. 512]  [256 + p] = book at position p (p = 1 .. n), unused 0
struct TRANSLATION_TABLE_ENTRY {
  static constexpr unsigned kElements = 513;
  static constexpr unsigned kMaxBook = 256;
  static constexpr unsigned kFileSize = kElements * 2;
  unsigned short element[kElements];
};

// A translation's short name: 1 to 9 letters, NUL-terminated, zero-padded.
struct TRANSLATION_NAME_TABLE_ENTRY {
  static constexpr unsigned kFileSize = 10;
  char name[kFileSize];
};

// What the reader of a translation source raises.
enum XDFU_EXCEPTIONS { XDFU_LINE_TOO_LONG = 0 };

class cTranslation {
 public:
  // Receives the builder's progress text ("Processing translation: KJV").
  using StatusWindow = std::function<void(const std::string&)>;

  cTranslation();
  explicit cTranslation(unsigned short id);
  explicit cTranslation(const char* name);

  // 0 when the translation exists (the book range is cleared), else 1 and no
  // translation is set.
  int SetTranslation(unsigned short id);
  int SetTranslation(const char* name);
  unsigned short GetTranslationID() const { return m_translation_id; }
  const char* GetTranslationName() const;

  // The book's 1-based position in the translation, 0 when absent.
  unsigned short IsBookValid(unsigned short book) const;
  // 1 when a comes before b, -1 when after, 0 when equal or either is absent.
  int BookCompare(unsigned short a, unsigned short b) const;
  // 0 when first lies strictly before last; GetNextBookInRange then returns
  // the books after first up to and including last, then 0.
  int SetBookRange(unsigned short first, unsigned short last);
  unsigned short GetNextBookInRange();
  unsigned short GetBookPosition(unsigned short book) const;

  // The names in ID order; null at the end.
  const char* GetFirstTranslationName(unsigned short* id);
  const char* GetNextTranslationName(unsigned short* id);

  static unsigned short GetTranslationIDFromName(const char* name);
  static unsigned short GetBookPositionForTranslation(unsigned short translation, unsigned short book);

  // Counted: every successful Initialize is balanced by a Release.
  static int InitializeTranslationData();
  static void ReleaseTranslationData();

  // Builds VTTRANS.DAT from a text source (see transbuilder.cpp); 0 / 1. A failed build
  // leaves any existing data file as it was.
  static int CreateTransDataFile(const char* specPath, const char* dataPath, const StatusWindow* statusWindow);
  // Reads a data file through; 0 when it reads whole, 1 otherwise.
  static int DumpTranslationDataFile(const char* path);

  static TRANSLATION_TABLE_ENTRY* m_translation_table;
  static TRANSLATION_NAME_TABLE_ENTRY* m_translation_name_table;
  static int32_t m_translation_table_location;
  static int32_t m_translation_name_table_location;
  static unsigned short m_number_of_translations;
  static unsigned short m_max_books;
  static int32_t m_translation_data_in_use;

 private:
  struct SourceFile;

  static int ValidateTranslationFile(platform::File* file);
  static int LoadTranslationData(platform::File* file);
  static int ReadTranslationSpecLine(SourceFile* file, char* line);
  static int IsTranslationName(const char* line, char* name);

  // The current translation's record, or null when none is set or loaded.
  const TRANSLATION_TABLE_ENTRY* Record() const;

  unsigned short m_translation_id = 0;
  unsigned short m_range_first = 0;
  unsigned short m_range_last = 0;
  unsigned short m_range_current = 0;
  unsigned short m_name_cursor = 0;
};
