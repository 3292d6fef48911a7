// Looking up the key a book's window moves to when it follows another window:
// by word, Strong's number or date (text-keyed indexes) or by verse.
#include <string>
#include <string_view>

#include "soltread.h"
#include "soltread/bookfileset.h"
#include "soltread/util.h"

namespace {

struct sNearest {
  long key = -1;
  std::string text;  // empty when nothing was found
};

// The same search as the word list's nearest word, so that a dictionary
// following a word lands where its own word list would: the first text not
// less than the target, probing one entry (and its text) at a time. The
// bounds move to mid rather than past it; the two-entry window at the end
// settles the tie.
sNearest FindNearest(cTextSyncIndex& index, std::string_view target) {
  sNearest result;
  auto at = [&](int i, sNearest& out) {
    sTextSyncEntry entry = index.GetEntry(i);
    out.key = entry.key;
    out.text = index.GetEntryText(entry);
  };
  auto notLess = [&](const sNearest& probe) { return solt::CompareNoCase(probe.text, target) >= 0; };

  int lo = 0;
  int hi = index.GetEntryCount() - 1;
  while (hi >= lo) {
    sNearest probe;
    if (lo == hi) {
      // Only a one-entry index gets here; every larger window keeps hi > lo.
      if (lo != 0) break;
      at(0, probe);
      if (notLess(probe)) return probe;
      break;
    }
    int mid = static_cast<int>((static_cast<int64_t>(lo) + hi) / 2);
    at(mid, probe);
    int order = solt::CompareNoCase(probe.text, target);
    if (order == 0) return probe;
    if (hi != lo + 1) {
      if (order < 0)
        lo = mid;
      else
        hi = mid;
      continue;
    }
    // mid == lo here.
    if (lo == 0 && order >= 0) return probe;
    at(hi, probe);
    if (notLess(probe)) return probe;
    break;
  }
  return result;
}

long ExactKey(cTextSyncIndex& index, const char* text) {
  std::string_view target = text ? text : "";
  sNearest found = FindNearest(index, target);
  // Not found leaves key -1, so no separate test is needed.
  return solt::CompareNoCase(found.text, target) == 0 ? found.key : -1;
}

// Splits "<number>,<rest>" at the first comma, which must be there and not
// come first.
bool TakeNumber(std::string_view& text, int& value) {
  size_t comma = text.find(',');
  if (comma == std::string_view::npos || comma == 0) return false;
  value = solt::ParseDecimal(text.substr(0, comma));
  text.remove_prefix(comma + 1);
  return true;
}

}  // namespace

long cSOLTBook::GetWSyncKey(const char* word) {
  if (GetSyncTypeFlag() != SOLT_WSYNC_IDX) return -1;
  RequireOpen(SOLT_WSYNC_IDX);
  return ExactKey(m_pFileSet->GetWSync(), word);
}

long cSOLTBook::GetWSyncKeyPartialMatch(const char* word, std::string& found) {
  found.clear();
  if (GetSyncTypeFlag() != SOLT_WSYNC_IDX) return -1;
  RequireOpen(SOLT_WSYNC_IDX);
  sNearest nearest = FindNearest(m_pFileSet->GetWSync(), word ? word : "");
  found = std::move(nearest.text);
  return nearest.key;
}

long cSOLTBook::GetSSyncKey(const char* number) {
  if (GetSyncTypeFlag() != SOLT_SSYNC_IDX) return -1;
  RequireOpen(SOLT_SSYNC_IDX);
  return ExactKey(m_pFileSet->GetSSync(), number);
}

long cSOLTBook::GetDSyncKey(const char* date) {
  if (GetSyncTypeFlag() != SOLT_DSYNC_IDX) return -1;
  RequireOpen(SOLT_DSYNC_IDX);
  return ExactKey(m_pFileSet->GetDSync(), date);
}

long cSOLTBook::GetVSyncKey(const char* reference) {
  if (GetSyncTypeFlag() != SOLT_VSYNC_IDX) return -1;
  RequireOpen(SOLT_VSYNC_IDX);
  std::string_view text = reference ? reference : "";
  int book = 0, chapter = 0;
  if (!TakeNumber(text, book) || !TakeNumber(text, chapter)) return -1;
  const int verse = solt::ParseDecimal(text);

  cVerseSyncIndex& index = m_pFileSet->GetVSync();
  if (book < index.GetFirstBook() || book > index.GetLastBook()) return -1;
  sVerseSyncBook record = index.GetBookRecord(book);
  if (record.offset == 0) return -1;
  int lo = 0;
  int hi = static_cast<int>(record.count) - 1;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    sVerseSyncRecord probe = index.GetVerseRecord(record, mid);
    int order = chapter != probe.chapter ? (chapter < probe.chapter ? -1 : 1)
                                         : (verse != probe.verse ? (verse < probe.verse ? -1 : 1) : 0);
    if (order == 0) return probe.key;
    if (order < 0)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return -1;
}
