// Enumerating data sets and their books through the registry the program
// supplies. Registrations may have gaps in their numbers, so numbers are
// tried in turn (up to 1000) until the promised count has been found.
#include "soltread.h"
#include "soltread/util.h"

namespace {
constexpr int kHighestNumber = 1000;

// Fills items numbered 1, 2, ... and hands each filled one to `visit`; a
// false answer stops at once without counting that item.
template <class Item, class Fill, class Visit>
int Enumerate(int count, Fill fill, Visit visit) {
  int found = 0;
  for (int n = 1; n <= kHighestNumber && found < count; ++n) {
    Item item;
    if (fill(item, n) != 0) continue;
    if (!visit(item)) break;
    ++found;
  }
  return found;
}
}  // namespace

void cSOLTDataSet::SetDataSetNumber(const char* text) {
  m_dataSetNumStr = text ? text : "";
  m_dataSetNumber = solt::ParseDecimal(m_dataSetNumStr);
}

int EnumDataSets(int (*callback)(cSOLTDataSet&, void*), void* user, cSOLTDataInfo* info) {
  if (!info) return 0;
  return Enumerate<cSOLTDataSet>(
      info->GetDataSetCount(), [&](cSOLTDataSet& set, int n) { return info->FillDataSet(set, n); },
      [&](cSOLTDataSet& set) { return !callback || callback(set, user) == 0; });
}

int GetDataSetArray(std::vector<cSOLTDataSet>& sets, cSOLTDataInfo* info) {
  if (!info) return 0;
  return Enumerate<cSOLTDataSet>(
      info->GetDataSetCount(), [&](cSOLTDataSet& set, int n) { return info->FillDataSet(set, n); },
      [&](cSOLTDataSet& set) {
        sets.push_back(set);
        return true;
      });
}

int GetDataSet(cSOLTDataSet& set, int n, cSOLTDataInfo* info) { return info ? info->FillDataSet(set, n) : 1; }

int GetBook(cSOLTBook& book, int bookNumber, int dataSetNumber, cSOLTDataInfo* info) {
  return info ? info->FillBook(book, bookNumber, dataSetNumber) : 1;
}

int cSOLTDataSet::EnumBooks(int (*callback)(cSOLTBook&, void*), void* user, cSOLTDataInfo* info) {
  if (!info) return 0;
  return Enumerate<cSOLTBook>(
      m_bookCount, [&](cSOLTBook& book, int j) { return info->FillBook(book, j, m_dataSetNumber); },
      [&](cSOLTBook& book) { return !callback || callback(book, user) == 0; });
}

int cSOLTDataSet::GetBookArray(std::vector<cSOLTBook>& books, cSOLTDataInfo* info) {
  if (!info) return 0;
  return Enumerate<cSOLTBook>(
      m_bookCount, [&](cSOLTBook& book, int j) { return info->FillBook(book, j, m_dataSetNumber); },
      [&](cSOLTBook& book) {
        books.push_back(book);
        return true;
      });
}
