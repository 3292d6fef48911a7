#include "biblefile/biblemodule.h"

#include <algorithm>

#include "biblefile/versetext.h"
#include "platform/coding.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "platform/volumes.h"

namespace klmw {
namespace {

// Far beyond any Bible; a definition claiming more is damaged, and the limit
// keeps every sum of verse counts inside an int.
constexpr int64_t kMaxVerses = 1000000;

const char kNotOnCd[] =
    "Bible %1 was not found on the CD drive.  Make sure the correct CD is in the drive.  "
    "If the correct CD is in the drive, run Bookcase to fix the problem. ";
const char kNotOnDisk[] = "Could not find Bible %1 on your hard drive.  Rub Bookcase to fix the problem.";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The verses per chapter written after a block's tab and two characters: the
// chapters are separated by commas, and every digit run of a chapter counts.
bool ParseChapterCounts(const std::string& text, std::vector<int>& chapters, int64_t& total) {
  int64_t chapter = 0, number = 0;
  bool digits = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      number = number * 10 + (c - '0');
      if (number > kMaxVerses) return false;
      digits = true;
      continue;
    }
    chapter += number;
    number = 0;
    if (chapter > kMaxVerses) return false;
    if (c == ',') {
      chapters.push_back(static_cast<int>(chapter));
      chapter = 0;
      digits = false;
    }
  }
  chapter += number;
  if (chapter > kMaxVerses) return false;
  // A trailing comma does not add an empty chapter.
  if (digits) chapters.push_back(static_cast<int>(chapter));
  total = 0;
  for (int n : chapters) total += n;
  return true;
}

}  // namespace

bool SameBibleCode(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

void ShowBibleNotFound(const std::string& path, const std::string& code) {
  platform::DriveType type = platform::GetVolumes().GetDriveType(path);
  // Remote, RAM and unknown drives get the hard-drive wording: the user
  // installed the Bible there and Bookcase can mend it the same way.
  std::string text = type == platform::DriveType::CdRom || type == platform::DriveType::Removable ? kNotOnCd
                                                                                                 : kNotOnDisk;
  size_t at = text.find("%1");
  text.replace(at, 2, code);
  platform::MessageBox(text);
}

bool CBibleModule::Fail(const char* reason) {
  // A module that failed to load has no verses, so nothing reads through a
  // half-built table.
  m_loadError = reason;
  m_books.clear();
  m_cumulative.assign(1, 0);
  m_wordList.clear();
  m_wordList.shrink_to_fit();
  m_wordIndex.reset();
  return false;
}

bool CBibleModule::Load(const std::string& definitionPath) {
  m_loadError.clear();
  std::string text;
  try {
    platform::File file;
    if (!file.Open(definitionPath, platform::File::modeRead | platform::File::shareDenyNone))
      return Fail("the definition file cannot be opened");
    text.resize(kMaxDefinitionSize);
    text.resize(file.Read(text.data(), static_cast<unsigned>(text.size())));
  } catch (const platform::FileException&) {
    return Fail("the definition file cannot be read");
  }
  size_t slash = definitionPath.rfind('/');
  std::string dir = slash == std::string::npos ? std::string() : definitionPath.substr(0, slash + 1);
  if (!ParseDefinition(text, dir)) return false;
  return LoadTextFile();
}

bool CBibleModule::ParseDefinition(const std::string& text, const std::string& dir) {
  m_definition = text.substr(0, std::min(text.size(), kMaxDefinitionSize));
  m_books.clear();
  m_cumulative.assign(1, 0);
  m_code.clear();
  m_textPath.clear();

  const std::string& def = m_definition;
  size_t key = def.find("TDBFILE=");
  if (key == std::string::npos) return Fail("the definition names no text file (TDBFILE)");
  // The equals sign and the opening quotation mark are skipped.
  size_t start = std::min(def.size(), key + 9);
  std::string name = def.substr(start, kMaxTextFileName);
  name = name.substr(0, name.find_first_of("\"\r\n"));
  if (name.empty()) return Fail("the definition names no text file (TDBFILE)");
  m_textPath = dir + name;
  m_code = name.substr(0, 3);

  int64_t total = 0;
  for (size_t open = def.find('{'); open != std::string::npos && m_books.size() < kMaxBibleBooks;
       open = def.find('{', open + 1)) {
    size_t close = def.find('}', open);
    if (close == std::string::npos) break;
    std::string block = def.substr(open + 1, close - open - 1);
    // A block without a tab still takes its place in the book order, but
    // without verses.
    size_t tab = block.find('\t');
    Book book;
    book.label = block.substr(0, tab);
    std::string counts = tab != std::string::npos && tab + 3 < block.size() ? block.substr(tab + 3) : std::string();
    counts = counts.substr(0, counts.find_first_of("\r\n"));
    int64_t verses = 0;
    if (!ParseChapterCounts(counts, book.chapters, verses)) return Fail("a book block has a verse count out of range");
    total += verses;
    if (total > kMaxVerses) return Fail("the definition has more verses than any Bible");
    m_cumulative.push_back(static_cast<int>(total));
    m_books.push_back(std::move(book));
    open = close;
  }
  if (m_books.empty()) return Fail("the definition has no book");
  if (total == 0) return Fail("the definition's books have no verses");
  return true;
}

bool CBibleModule::LoadTextFile() {
  platform::File file;
  if (!OpenText(file)) return Fail("the text file cannot be opened");
  try {
    unsigned char header[32];
    if (file.Read(header, sizeof header) != sizeof header) return Fail("the text file is shorter than its header");
    for (int i = 0; i < 8; ++i) m_header[i] = platform::DecodeSigned32(header + 4 * i);
    const int64_t size = file.GetLength();
    const int64_t h0 = m_header[0], h1 = m_header[1], h2 = m_header[2], h3 = m_header[3];
    if (h0 < 0 || h0 > h1 || h1 > h2 || h2 > size || h3 < 0 || h3 > size)
      return Fail("the text file is shorter than its header says");
    m_wordList.assign(static_cast<size_t>(h1 - h0), '\0');
    file.Seek(h0, platform::File::begin);
    if (!m_wordList.empty() &&
        file.Read(m_wordList.data(), static_cast<unsigned>(m_wordList.size())) != m_wordList.size())
      return Fail("the text file is shorter than its header says");
    m_wordIndex = CBibleWordIndex::Build(m_wordList);
  } catch (const platform::FileException&) {
    return Fail("the text file cannot be read");
  }
  return true;
}

std::string CBibleModule::GetBookLabel(int book) const {
  return book >= 1 && book <= GetBookCount() ? m_books[static_cast<size_t>(book - 1)].label : std::string();
}

bool CBibleModule::VerseToPlace(int verse, int& book, int& chapter, int& verseInChapter) const {
  if (verse < 1 || verse > GetVerseCount()) return false;
  int b = 1;
  while (m_cumulative[static_cast<size_t>(b)] < verse) ++b;
  int start = m_cumulative[static_cast<size_t>(b - 1)];
  int c = 0;
  for (int n : m_books[static_cast<size_t>(b - 1)].chapters) {
    if (start + n >= verse) break;
    start += n;
    ++c;
  }
  book = b;
  chapter = c + 1;
  verseInChapter = verse - start;
  return true;
}

bool CBibleModule::IndexToPlace(int index, int& book, int& chapter, int& verse) const {
  if (index < 0 || index == INT32_MAX || !VerseToPlace(index + 1, book, chapter, verse)) return false;
  --book;
  --chapter;
  --verse;
  return true;
}

int CBibleModule::GetChapterCount(int book) const {
  if (book < 0 || book >= GetBookCount()) return 0;
  return static_cast<int>(m_books[static_cast<size_t>(book)].chapters.size());
}

int CBibleModule::GetChapterVerseCount(int book, int chapter) const {
  if (chapter < 0 || chapter >= GetChapterCount(book)) return 0;
  return m_books[static_cast<size_t>(book)].chapters[static_cast<size_t>(chapter)];
}

int CBibleModule::PlaceToIndex(int book, int chapter, int verse) const {
  if (book < 0 || book >= GetBookCount() || chapter < 0 || verse < 0) return -1;
  const std::vector<int>& chapters = m_books[static_cast<size_t>(book)].chapters;
  if (chapter >= static_cast<int>(chapters.size()) || verse >= chapters[static_cast<size_t>(chapter)]) return -1;
  int index = m_cumulative[static_cast<size_t>(book)];
  for (int c = 0; c < chapter; ++c) index += chapters[static_cast<size_t>(c)];
  return index + verse;
}

bool CBibleModule::OpenText(platform::File& file) const {
  if (file.IsOpen()) return true;
  if (m_textPath.empty()) return false;
  if (file.Open(m_textPath, platform::File::modeRead | platform::File::shareDenyNone)) return true;
  ShowBibleNotFound(m_textPath, m_code);
  return false;
}

// The offset table entries of verse numbers first to first + count (the last
// one ends the last verse), read at once; fewer when the table ends early, and
// false when not even one verse's two entries are there.
bool CBibleModule::ReadTableEntries(platform::File& file, int first, int count, std::vector<int64_t>& entries) const {
  const int64_t size = file.GetLength();
  const int64_t at = int64_t{m_header[2]} + 4 * int64_t{first - 1};
  if (m_header[2] < 0 || at + 8 > size) return false;
  // A table cut short gives the verses it still holds.
  const int64_t bytes = std::min(4 * (int64_t{count} + 1), (size - at) / 4 * 4);
  std::string table(static_cast<size_t>(bytes), '\0');
  file.Seek(at, platform::File::begin);
  if (file.Read(table.data(), static_cast<unsigned>(bytes)) != bytes) return false;
  entries.resize(static_cast<size_t>(bytes / 4));
  for (size_t i = 0; i < entries.size(); ++i) entries[i] = platform::DecodeSigned32(table.data() + 4 * i);
  return true;
}

bool CBibleModule::ReadVerseBytes(platform::File& file, int64_t begin, int64_t end, std::string& raw) const {
  raw.clear();
  try {
    const int64_t from = m_header[3] + begin, to = m_header[3] + end;
    // Offsets that run backwards or past the end mean a damaged table.
    if (begin < 0 || begin > end || to > file.GetLength()) return false;
    raw.resize(static_cast<size_t>(to - from));
    file.Seek(from, platform::File::begin);
    if (!raw.empty() && file.Read(raw.data(), static_cast<unsigned>(raw.size())) != raw.size()) {
      raw.clear();
      return false;
    }
  } catch (const platform::FileException&) {
    raw.clear();
    return false;
  }
  return true;
}

bool CBibleModule::ReadStoredVerse(platform::File& file, int verse, std::string& raw) const {
  raw.clear();
  if (verse < 1 || verse > GetVerseCount() || !OpenText(file)) return false;
  std::vector<int64_t> entries;
  try {
    if (!ReadTableEntries(file, verse, 1, entries)) return false;
  } catch (const platform::FileException&) {
    return false;
  }
  return ReadVerseBytes(file, entries[0], entries[1], raw);
}

int CBibleModule::GetVerses(platform::File& file, int first, int count, std::string& out) const {
  if (!OpenText(file)) return 0;
  if (first < 1 || first > GetVerseCount() || count <= 0) return 0;
  count = std::min(count, GetVerseCount() - first + 1);
  // The table entries of the whole run are read at once; the texts one by one.
  std::vector<int64_t> entries;
  try {
    if (!ReadTableEntries(file, first, count, entries)) return 0;
  } catch (const platform::FileException&) {
    return 0;
  }
  int appended = 0;
  std::string raw;
  count = static_cast<int>(entries.size()) - 1;
  for (int v = first; v < first + count; ++v) {
    if (!ReadVerseBytes(file, entries[static_cast<size_t>(v - first)], entries[static_cast<size_t>(v - first + 1)], raw))
      break;
    bool paragraph = false;
    std::string cleaned = CleanVerseForCopy(raw, paragraph);
    int book = 0, chapter = 0, verse = 0;
    VerseToPlace(v, book, chapter, verse);
    AppendCopiedVerse(out, cleaned, paragraph || verse == 1);
    ++appended;
  }
  return appended;
}

bool CBibleModule::GetVerseText(platform::File& file, int verse, std::string& out) const {
  std::string raw;
  out.clear();
  if (!ReadStoredVerse(file, verse, raw)) return false;
  out = CleanVerseForDisplay(raw);
  return true;
}

CBibleModule* CBibleModuleList::Find(const std::string& code) const {
  for (const auto& module : m_modules)
    if (SameBibleCode(module->GetCode(), code)) return module.get();
  return nullptr;
}

}  // namespace klmw
