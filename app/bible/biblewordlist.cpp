#include "app/bible/biblewordlist.h"

#include <cstring>

#include "platform/coding.h"
#include "platform/file.h"

namespace klmw {
namespace {

// No offset in a text file is anywhere near this; a longer run of digits
// means a damaged entry, not a number to wrap around.
constexpr int64_t kMaxOffset = int64_t{1} << 40;

}  // namespace

CBibleWordList::CBibleWordList(std::string_view text, int64_t h1, int64_t h2) : m_h1(h1), m_h2(h2) {
  // The list is held with a terminating NUL and scanned up to it; a NUL
  // inside the bytes ends it just the same.
  size_t nul = text.find('\0');
  m_text = nul == std::string_view::npos ? text : text.substr(0, nul);
}

bool CBibleWordList::ReadOffsetAfter(int64_t from, int64_t& value, int64_t& end) const {
  size_t plus = m_text.find('+', static_cast<size_t>(from));
  if (plus == std::string_view::npos) return false;
  size_t p = plus + 1;
  if (p >= m_text.size() || m_text[p] < '0' || m_text[p] > '9') return false;
  value = 0;
  while (p < m_text.size() && m_text[p] >= '0' && m_text[p] <= '9') {
    value = value * 10 + (m_text[p] - '0');
    if (value > kMaxOffset) return false;
    ++p;
  }
  end = static_cast<int64_t>(p);
  return true;
}

bool CBibleWordList::FindExact(const std::string& word, int64_t& offset, int64_t& length) {
  m_listPos = -1;
  // No entry holds a blank; a word with one would match across entries.
  if (word.empty() || word.find(' ') != std::string::npos) return false;
  const size_t n = m_text.size();
  const size_t len = word.size();
  size_t found = std::string_view::npos;
  for (size_t i = m_text.find(' '); i != std::string_view::npos && found == std::string_view::npos;
       i = m_text.find(' ', i + 1)) {
    const size_t start = i + 1;
    // The blank before an entry's offset does not begin a word.
    if (start >= n || m_text[start] == '+') continue;
    if (n - start < len || m_text.compare(start, len, word) != 0) continue;
    const size_t after = start + len;
    if (after >= n) continue;
    if (m_text[after] == ' ')
      found = start;
    else
      m_listPos = static_cast<int64_t>(start);
  }
  if (found == std::string_view::npos) return false;

  int64_t o1 = 0, o2 = 0, end = 0, ignored = 0;
  if (!ReadOffsetAfter(static_cast<int64_t>(found + len), o1, end)) return false;
  if (!ReadOffsetAfter(end, o2, ignored)) o2 = m_h2 - m_h1;
  // Offsets that run backwards or past the verse list area mean a damaged list.
  if (o1 < 0 || o1 > o2 || o2 > m_h2 - m_h1) return false;
  offset = m_h1 + o1;
  length = o2 - o1;
  return true;
}

void CBibleWordList::FindNearest(const std::string& word) {
  std::string needle = " " + word;
  for (;;) {
    size_t at = m_text.find(needle);
    if (at != std::string_view::npos) {
      m_listPos = static_cast<int64_t>(at + 1);
      return;
    }
    if (needle.size() == 1) break;
    needle.pop_back();
  }
  m_listPos = -1;  // not even a blank: an empty or damaged list
}

bool CBibleWordList::GetNextWord(std::string& word) {
  if (m_listPos < 0 || m_listPos > Size()) {
    m_listPos = -1;
    return false;
  }
  const size_t n = m_text.size();
  size_t p = static_cast<size_t>(m_listPos);
  while (p < n && m_text[p] == ' ') ++p;
  if (p >= n) {
    m_listPos = -1;
    return false;
  }
  size_t q = p;
  while (q < n && m_text[q] != ' ') ++q;
  word.assign(m_text.substr(p, q - p));
  // Past the entry's offset to the character after the blank that ends it;
  // this always moves forward, so walking the list ends.
  size_t plus = m_text.find('+', q);
  size_t blank = plus == std::string_view::npos ? plus : m_text.find(' ', plus);
  m_listPos = blank == std::string_view::npos ? -1 : static_cast<int64_t>(blank + 1);
  return true;
}

int CBibleWordList::CountEntries() const {
  CBibleWordList walker = *this;
  walker.m_listPos = 0;
  int count = 0;
  std::string word;
  while (walker.GetNextWord(word)) ++count;
  return count;
}

bool CBibleWordList::ReadVerseList(platform::File& file, const std::string& word, std::vector<uint16_t>& verses) {
  verses.clear();
  int64_t offset = 0, length = 0;
  if (!FindExact(word, offset, length)) return false;
  try {
    if (!file.IsOpen() || offset + length > file.GetLength()) return false;
    std::string bytes(static_cast<size_t>(length), '\0');
    file.Seek(offset, platform::File::begin);
    if (length > 0 && file.Read(bytes.data(), static_cast<unsigned>(length)) != static_cast<unsigned>(length))
      return false;
    verses.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 2 <= bytes.size(); i += 2) verses.push_back(platform::DecodeFixed16(bytes.data() + i));
  } catch (const platform::FileException&) {
    return false;
  }
  return true;
}

bool CBibleWordList::ReadVerseSet(platform::File& file, const std::string& word, CHitSet& hits) {
  std::vector<uint16_t> verses;
  if (!ReadVerseList(file, word, verses)) return false;
  for (uint16_t v : verses) hits.Set(v);
  return true;
}

}  // namespace klmw
