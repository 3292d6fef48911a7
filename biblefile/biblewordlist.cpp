#include "biblefile/biblewordlist.h"

#include <algorithm>
#include <cstring>

#include "platform/coding.h"
#include "platform/file.h"

namespace klmw {
namespace {

// No offset in a text file is anywhere near this; a longer run of digits
// means a damaged entry, not a number to wrap around.
constexpr int64_t kMaxOffset = int64_t{1} << 40;

}  // namespace

namespace {

std::string_view UpToNul(std::string_view text) {
  // The list is held with a terminating NUL and scanned up to it; a NUL
  // inside the bytes ends it just the same.
  size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

std::shared_ptr<const CBibleWordIndex> CBibleWordIndex::Build(std::string_view text) {
  text = UpToNul(text);
  auto index = std::make_shared<CBibleWordIndex>();
  // The entries are where the scan compares: after a blank, at a character
  // that is neither a blank nor the '+' of an offset. A word runs to the next
  // blank. A list whose last word reaches the end of the text without a blank
  // is left to the scan, as is one out of order.
  const size_t n = text.size();
  if (n > UINT32_MAX) return index;
  for (size_t i = text.find(' '); i != std::string_view::npos; i = text.find(' ', i + 1)) {
    const size_t start = i + 1;
    if (start >= n || text[start] == ' ' || text[start] == '+') continue;
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) return index;
    index->starts.push_back(static_cast<uint32_t>(start));
    index->lengths.push_back(static_cast<uint32_t>(end - start));
    i = end - 1;
  }
  for (size_t k = 1; k < index->starts.size(); ++k) {
    if (text.substr(index->starts[k], index->lengths[k]) < text.substr(index->starts[k - 1], index->lengths[k - 1]))
      return index;
  }
  index->ascending = true;
  return index;
}

CBibleWordList::CBibleWordList(std::string_view text, int64_t h1, int64_t h2,
                               std::shared_ptr<const CBibleWordIndex> index)
    : m_text(UpToNul(text)), m_h1(h1), m_h2(h2), m_index(std::move(index)) {}

size_t CBibleWordList::ScanFor(std::string_view word) {
  const size_t n = m_text.size();
  const size_t len = word.size();
  for (size_t i = m_text.find(' '); i != std::string_view::npos; i = m_text.find(' ', i + 1)) {
    const size_t start = i + 1;
    // The blank before an entry's offset does not begin a word.
    if (start >= n || m_text[start] == '+') continue;
    if (n - start < len || m_text.compare(start, len, word) != 0) continue;
    const size_t after = start + len;
    if (after >= n) continue;
    if (m_text[after] == ' ') return start;
    m_listPos = static_cast<int64_t>(start);
  }
  return std::string_view::npos;
}

// In ascending order the word's own entry comes before every entry it is a
// prefix of, and those follow one another, so both answers of the scan are a
// binary search away.
size_t CBibleWordList::SearchFor(std::string_view word) {
  const size_t count = m_index->starts.size();
  size_t lo = 0, hi = count;
  while (lo < hi) {
    size_t mid = lo + (hi - lo) / 2;
    if (WordAt(mid) < word)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < count && WordAt(lo) == word) return m_index->starts[lo];
  size_t first = lo;
  hi = count;
  while (lo < hi) {
    size_t mid = lo + (hi - lo) / 2;
    if (WordAt(mid).substr(0, word.size()) == word)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo > first) m_listPos = m_index->starts[lo - 1];
  return std::string_view::npos;
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
  const size_t len = word.size();
  if (!m_index) m_index = CBibleWordIndex::Build(m_text);
  const size_t found = m_index->ascending ? SearchFor(word) : ScanFor(word);
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
  // In an ordered list the first " " + prefix in the text is the first entry
  // at or after the prefix, when that entry begins with it. A blank or '+' in
  // the word can match where no entry starts, so such words search the text.
  if (!m_index) m_index = CBibleWordIndex::Build(m_text);
  if (m_index->ascending && word.find_first_of(" +") == std::string::npos) {
    const size_t count = m_index->starts.size();
    for (size_t k = word.size(); k > 0; --k) {
      const std::string_view prefix(word.data(), k);
      size_t lo = 0, hi = count;
      while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        if (WordAt(mid) < prefix)
          lo = mid + 1;
        else
          hi = mid;
      }
      if (lo < count && WordAt(lo).substr(0, k) == prefix) {
        m_listPos = m_index->starts[lo];
        return;
      }
    }
  }
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

bool CBibleWordList::ReadListBytes(platform::File& file, const std::string& word, std::string& bytes) {
  int64_t offset = 0, length = 0;
  if (!FindExact(word, offset, length)) return false;
  try {
    if (!file.IsOpen() || offset + length > file.GetLength()) return false;
    bytes.resize(static_cast<size_t>(length));
    file.Seek(offset, platform::File::begin);
    if (length > 0 && file.Read(bytes.data(), static_cast<unsigned>(length)) != static_cast<unsigned>(length))
      return false;
  } catch (const platform::FileException&) {
    return false;
  }
  return true;
}

bool CBibleWordList::ReadVerseList(platform::File& file, const std::string& word, std::vector<uint16_t>& verses) {
  verses.clear();
  std::string bytes;
  if (!ReadListBytes(file, word, bytes)) return false;
  verses.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 2 <= bytes.size(); i += 2) verses.push_back(platform::DecodeFixed16(bytes.data() + i));
  return true;
}

bool CBibleWordList::ReadVerseSet(platform::File& file, const std::string& word, CHitSet& hits) {
  // The list's bytes go straight into the set; the buffer is kept for the
  // next word, so a search of several words allocates once.
  if (!ReadListBytes(file, word, m_listBytes)) return false;
  hits.SetFromList(reinterpret_cast<const unsigned char*>(m_listBytes.data()), m_listBytes.size());
  return true;
}

}  // namespace klmw
