// The word list of the book's selected language: walking it, searching it,
// and the keys and positions of its words. Nothing is cached but the
// language record, so every step is a few small reads of concord.idx.
#include <string_view>

#include "soltread.h"
#include "soltread/bookfileset.h"
#include "soltread/util.h"

namespace {

std::string_view Target(const char* word) { return word ? std::string_view(word) : std::string_view(); }

bool IsWordIndex(cConcordIndex& file, const sLanguageRec& language, int index) {
  return index >= 0 && index < file.CheckWordList(language);
}

// Word `index` into `word`; an index outside the list gives -1 and no text.
int ReadWord(cConcordIndex& file, const sLanguageRec& language, int index, std::string& word) {
  if (!IsWordIndex(file, language, index)) {
    word.clear();
    return -1;
  }
  word = file.GetWordText(file.GetWordRecord(language, index));
  return index;
}

// The first word not less than `target`, searched the way the word lists
// have always been searched: the bounds close in without the usual +-1, and
// the last two words left are settled by looking at both. On a sorted list of
// distinct words this is the first word not less than the target; among
// words equal ignoring case it may land on any of them.
int Nearest(cConcordIndex& file, const sLanguageRec& language, std::string_view target, std::string& found) {
  const int count = file.CheckWordList(language);
  auto text = [&](int i) { return file.GetWordText(file.GetWordRecord(language, i)); };
  int lo = 0;
  int hi = count - 1;
  // lo == hi only for a list of one word: with two or more, mid lies strictly
  // between lo and hi until they are neighbours, so the loop always ends.
  while (hi >= lo) {
    if (lo == 0 && hi == 0) {
      std::string word = text(0);
      if (solt::CompareNoCase(word, target) >= 0) {
        found = std::move(word);
        return 0;
      }
      break;
    }
    const int mid = lo + (hi - lo) / 2;
    std::string word = text(mid);
    const int order = solt::CompareNoCase(word, target);
    if (order == 0) {
      found = std::move(word);
      return mid;
    }
    if (hi != lo + 1) {
      if (order < 0)
        lo = mid;
      else
        hi = mid;
      continue;
    }
    // Neighbours: mid is lo, already compared.
    if (lo == 0 && order > 0) {
      found = std::move(word);
      return 0;
    }
    std::string last = text(hi);
    if (solt::CompareNoCase(last, target) >= 0) {
      found = std::move(last);
      return hi;
    }
    break;
  }
  found.clear();
  return -1;
}

// Where `key` stands in an ascending key list, or -1.
int FindKey(const std::vector<unsigned>& keys, uint32_t key) {
  size_t lo = 0;
  size_t hi = keys.size();
  while (lo < hi) {
    size_t mid = lo + (hi - lo) / 2;
    if (keys[mid] == key) return static_cast<int>(mid);
    if (keys[mid] < key)
      lo = mid + 1;
    else
      hi = mid;
  }
  return -1;
}

}  // namespace

int cSOLTBook::SetLanguage(int language) {
  m_wordCursor = -1;
  const bool borrowed = !IsOpen(SOLT_CONCORD_IDX);
  if (borrowed && Open(SOLT_CONCORD_IDX) != SOLT_OK) return 1;
  int result = 1;
  // Open calls this, and reports only its own outcome: nothing may escape.
  try {
    cConcordIndex& file = m_pFileSet->GetConcord();
    for (int i = 0; i < file.GetLanguageCount(); ++i) {
      m_languageRec = file.GetLanguageRecord(i);
      if (m_languageRec.language == language) {
        result = 0;
        break;
      }
    }
  } catch (const platform::FileException&) {
    result = 1;
  }
  if (borrowed) {
    // Closing the book's last file forgets the word list; the choice made
    // here must outlive the call, so the next Open applies it.
    const sLanguageRec chosen = m_languageRec;
    Close(SOLT_CONCORD_IDX);
    m_languageRec = chosen;
    m_wordCursor = -1;
  }
  return result;
}

int cSOLTBook::WordCount() {
  RequireOpen(SOLT_CONCORD_IDX);
  return m_pFileSet->GetConcord().CheckWordList(m_languageRec);
}

int cSOLTBook::GetFirstWord(std::string& word) {
  RequireOpen(SOLT_CONCORD_IDX);
  m_wordCursor = ReadWord(m_pFileSet->GetConcord(), m_languageRec, 0, word);
  return m_wordCursor;
}

int cSOLTBook::GetLastWord(std::string& word) {
  RequireOpen(SOLT_CONCORD_IDX);
  cConcordIndex& file = m_pFileSet->GetConcord();
  m_wordCursor = ReadWord(file, m_languageRec, file.CheckWordList(m_languageRec) - 1, word);
  return m_wordCursor;
}

int cSOLTBook::GetNextWord(std::string& word) {
  RequireOpen(SOLT_CONCORD_IDX);
  if (m_wordCursor < 0) {
    word.clear();
    return -1;
  }
  m_wordCursor = ReadWord(m_pFileSet->GetConcord(), m_languageRec, m_wordCursor + 1, word);
  return m_wordCursor;
}

int cSOLTBook::GetPrevWord(std::string& word) {
  RequireOpen(SOLT_CONCORD_IDX);
  if (m_wordCursor < 0) {
    word.clear();
    return -1;
  }
  m_wordCursor = ReadWord(m_pFileSet->GetConcord(), m_languageRec, m_wordCursor - 1, word);
  return m_wordCursor;
}

int cSOLTBook::FindNearestMatchingWord(const char* word, std::string& found) {
  RequireOpen(SOLT_CONCORD_IDX);
  m_wordCursor = Nearest(m_pFileSet->GetConcord(), m_languageRec, Target(word), found);
  return m_wordCursor;
}

int cSOLTBook::FindExactMatchingWord(const char* word) {
  RequireOpen(SOLT_CONCORD_IDX);
  std::string found;
  int index = Nearest(m_pFileSet->GetConcord(), m_languageRec, Target(word), found);
  if (index >= 0 && solt::CompareNoCase(found, Target(word)) != 0) index = -1;
  m_wordCursor = index;
  return m_wordCursor;
}

int cSOLTBook::GetKeysForWord(const char* word, std::vector<unsigned>& keys) {
  if (FindExactMatchingWord(word) < 0) {
    keys.clear();
    return -1;
  }
  return GetKeysForWord(m_wordCursor, keys);
}

int cSOLTBook::GetKeysForWord(int index, std::vector<unsigned>& keys) {
  RequireOpen(SOLT_CONCORD_IDX);
  cConcordIndex& file = m_pFileSet->GetConcord();
  if (!IsWordIndex(file, m_languageRec, index)) {
    keys.clear();
    m_wordCursor = -1;
    return -1;
  }
  file.GetKeys(file.GetWordRecord(m_languageRec, index), keys);
  m_wordCursor = index;
  return m_wordCursor;
}

int cSOLTBook::GetWordListRecord(const char* word, sWordListRec& record) {
  if (FindExactMatchingWord(word) < 0) return -1;
  return GetWordListRecord(m_wordCursor, record);
}

int cSOLTBook::GetWordListRecord(int index, sWordListRec& record) {
  RequireOpen(SOLT_CONCORD_IDX);
  cConcordIndex& file = m_pFileSet->GetConcord();
  if (!IsWordIndex(file, m_languageRec, index)) {
    m_wordCursor = -1;
    return -1;
  }
  record = file.GetWordRecord(m_languageRec, index);
  m_wordCursor = index;
  return m_wordCursor;
}

int cSOLTBook::GetWordPositionList(int index, int key, std::vector<uint16_t>& positions) {
  RequireOpen(SOLT_CONCORD_IDX);
  cConcordIndex& file = m_pFileSet->GetConcord();
  int at = -1;
  sWordListRec record;
  if (IsWordIndex(file, m_languageRec, index)) {
    record = file.GetWordRecord(m_languageRec, index);
    std::vector<unsigned> keys;
    file.GetKeys(record, keys);
    // Keys are unsigned; callers hand them over as int.
    at = FindKey(keys, static_cast<uint32_t>(key));
  }
  if (at < 0) {
    positions.clear();
    m_wordCursor = -1;
    return -1;
  }
  file.GetPositions(record, at, positions);
  m_wordCursor = index;
  return m_wordCursor;
}
