// Data sets and books enumerated through a registry, and the error table.
#include <gtest/gtest.h>

#include <map>

#include "soltread.h"

namespace {

// A registry with the given data set numbers, each holding books 1..n with
// gaps where the map says so.
class FakeRegistry : public cSOLTDataInfo {
 public:
  int GetDataSetCount() override { return m_count; }
  int FillDataSet(cSOLTDataSet& set, int n) override {
    m_asked.push_back(n);
    auto it = m_books.find(n);
    if (it == m_books.end()) return 1;
    set.SetDataSetNumber(std::to_string(n).c_str());
    set.SetDataSetName(("Set " + std::to_string(n)).c_str());
    set.SetBookCount(static_cast<int>(it->second.size()));
    return 0;
  }
  int FillBook(cSOLTBook& book, int bookNumber, int dataSetNumber) override {
    auto it = m_books.find(dataSetNumber);
    if (it == m_books.end()) return 1;
    for (int b : it->second) {
      if (b == bookNumber) {
        book.SetBookNumber(b);
        book.SetDataSetNumber(dataSetNumber);
        return 0;
      }
    }
    return 1;
  }
  int m_count = 0;
  std::map<int, std::vector<int>> m_books;
  std::vector<int> m_asked;
};

TEST(DataSets, EnumerationSkipsGapsAndStopsWhenAllAreFound) {
  FakeRegistry registry;
  registry.m_count = 2;
  registry.m_books = {{1, {1}}, {5, {2, 7}}, {9, {1}}};
  std::vector<cSOLTDataSet> sets;
  EXPECT_EQ(GetDataSetArray(sets, &registry), 2);
  EXPECT_EQ(registry.m_asked, (std::vector<int>{1, 2, 3, 4, 5}));
  ASSERT_EQ(sets.size(), 2u);
  EXPECT_EQ(sets[1].GetDataSetNumber(), 5);
  EXPECT_EQ(sets[1].GetDataSetNumStr(), "5");

  std::vector<cSOLTBook> books;
  EXPECT_EQ(sets[1].GetBookArray(books, &registry), 2);
  ASSERT_EQ(books.size(), 2u);
  EXPECT_EQ(books[0].GetBookNumber(), 2);
  EXPECT_EQ(books[1].GetBookNumber(), 7);
  EXPECT_EQ(books[1].GetOpenFlags(), 0ul);
}

TEST(DataSets, NumbersAbove1000AreNeverFound) {
  FakeRegistry registry;
  registry.m_count = 2;
  registry.m_books = {{1000, {1}}, {1001, {1}}};
  EXPECT_EQ(EnumDataSets(nullptr, nullptr, &registry), 1);
  EXPECT_EQ(registry.m_asked.back(), 1000);
}

TEST(DataSets, CallbackStopsEnumeration) {
  FakeRegistry registry;
  registry.m_count = 3;
  registry.m_books = {{1, {1, 2, 3}}, {2, {}}, {3, {}}};
  auto stop = [](cSOLTDataSet&, void*) { return 1; };
  EXPECT_EQ(EnumDataSets(stop, nullptr, &registry), 0);

  int seen = 0;
  auto stopAtSecond = [](cSOLTDataSet&, void* user) { return ++*static_cast<int*>(user) == 2 ? 1 : 0; };
  EXPECT_EQ(EnumDataSets(stopAtSecond, &seen, &registry), 1);

  cSOLTDataSet set;
  ASSERT_EQ(GetDataSet(set, 1, &registry), 0);
  auto firstTwo = [](cSOLTBook& book, void*) { return book.GetBookNumber() == 3 ? 1 : 0; };
  EXPECT_EQ(set.EnumBooks(firstTwo, nullptr, &registry), 2);
}

TEST(DataSets, WithoutARegistry) {
  std::vector<cSOLTDataSet> sets;
  cSOLTDataSet set;
  cSOLTBook book;
  EXPECT_EQ(EnumDataSets(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(GetDataSetArray(sets, nullptr), 0);
  EXPECT_EQ(GetDataSet(set, 1, nullptr), 1);
  EXPECT_EQ(GetBook(book, 1, 1, nullptr), 1);
  EXPECT_EQ(set.EnumBooks(nullptr, nullptr, nullptr), 0);
}

TEST(DataSets, NumberTextUsesLeadingDigits) {
  const std::vector<std::pair<const char*, int>> cases = {{"12", 12}, {"12abc", 12}, {"abc", 0}, {"", 0},
                                                          {"  -3", -3}, {"4294967297", 1}};
  for (const auto& [text, number] : cases) {
    cSOLTDataSet set;
    set.SetDataSetNumber(text);
    EXPECT_EQ(set.GetDataSetNumber(), number) << text;
    EXPECT_EQ(set.GetDataSetNumStr(), text);
  }
}

TEST(Errors, TextsAndCauses) {
  EXPECT_EQ(cSOLTBook::GetErrorString(0), "No errors occurred.");
  EXPECT_EQ(cSOLTBook::GetErrorString(6), "The was an attempt to use an invalid file handle.");
  EXPECT_EQ(cSOLTBook::GetErrorString(19), "The user selected CANCEL when prompt to insert a disk.");
  for (int code : {-1, 20, 99}) EXPECT_EQ(cSOLTBook::GetErrorString(code), "File error occurred.");
  const std::vector<std::pair<int, int>> causes = {{0, 1}, {1, 1}, {2, 2}, {9, 9}, {14, 14}, {15, 1}, {-3, 1}};
  for (const auto& [cause, code] : causes) EXPECT_EQ(cSOLTBook::ConvertCauseToErrorCode(cause), code) << cause;
  EXPECT_EQ(GetCurrentSOLTVersionInfo(), 0x0009);
  EXPECT_EQ(GetLeastCompatibleSOLTVersionInfo(), 0x0009);
}

}  // namespace
