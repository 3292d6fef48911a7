// Reading viewable areas whole and in chunks, and what corrupt files do.
#include <gtest/gtest.h>

#include "platform/coding.h"
#include "platform/messages.h"
#include "soltread/lzss.h"
#include "testbook.h"

namespace {

using testbook::BookDir;

std::string ReadWhole(cSOLTBook& book, int key) {
  std::string out(book.GetViewableAreaSize(key), '\0');
  EXPECT_EQ(book.GetViewableArea(key, out.data()), 0);
  return out;
}

std::string ReadChunks(cSOLTBook& book, int key, unsigned chunk) {
  std::string out;
  std::vector<char> buffer(chunk + 1, '#');
  unsigned long n = book.GetFirstViewableAreaChunk(key, chunk, buffer.data());
  while (n > 0) {
    EXPECT_LE(n, chunk);
    EXPECT_EQ(buffer[chunk], '#') << "wrote past the chunk";
    out.append(buffer.data(), n);
    n = book.GetNextViewableAreaChunk(buffer.data());
  }
  return out;
}

struct Layout {
  const char* name;
  int compression;
  uint16_t versionLength;
  uint16_t viewableHeaderLength;
  uint16_t recordSize;
  int secondCount;
};

// Layouts another writer might choose: longer records than ours, the two
// area counts split differently.
const Layout kLayouts[] = {
    {"stored", 0, 16, 16, 12, 0},
    {"compressed", 1, 16, 16, 12, 0},
    {"stored, wide records", 0, 40, 30, 20, 2},
    {"compressed, wide records", 1, 12, 14, 16, 3},
};

class Viewable : public testing::TestWithParam<Layout> {
 protected:
  void SetUp() override {
    const Layout& layout = GetParam();
    m_version = testbook::Version();
    m_version.recordLength = layout.versionLength;
    m_header = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}" + testbook::SampleText(300, 5);
    m_areas = {"",
               testbook::SampleText(10, 2),
               testbook::SampleText(5000, 3),
               std::string(9000, ' '),  // compresses into references to the initial ring
               testbook::SampleText(70000, 4)};
    solt::cViewableWriter writer(m_version);
    writer.SetCompression(layout.compression);
    writer.SetViewableHeaderLength(layout.viewableHeaderLength);
    writer.SetAreaRecordSize(layout.recordSize);
    writer.SetSecondCount(layout.secondCount);
    writer.SetHeaderArea(m_header);
    for (const std::string& area : m_areas) writer.AddArea(area);
    m_dir = std::make_unique<BookDir>(writer, m_version);
    m_book = std::make_unique<cSOLTBook>(m_dir->MakeBook());
    ASSERT_EQ(m_book->Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX), 0);
  }
  void TearDown() override {
    m_book.reset();
    EXPECT_EQ(GetLiveFileSetCount(), 0);
  }

  solt::sVersionInfo m_version;
  std::string m_header;
  std::vector<std::string> m_areas;
  std::unique_ptr<BookDir> m_dir;
  std::unique_ptr<cSOLTBook> m_book;
};

TEST_P(Viewable, WholeAreasAreHeaderPlusText) {
  EXPECT_EQ(m_book->GetAreaCount(), static_cast<int>(m_areas.size()) + 1);
  EXPECT_EQ(m_book->GetHeaderAreaLength(), m_header.size());
  EXPECT_EQ(m_book->GetCompressionType(), GetParam().compression);
  for (size_t i = 0; i < m_areas.size(); ++i) {
    int key = static_cast<int>(i) + 1;
    EXPECT_EQ(m_book->GetViewableAreaSize(key), m_header.size() + m_areas[i].size());
    EXPECT_EQ(ReadWhole(*m_book, key), m_header + m_areas[i]) << key;
  }
  EXPECT_EQ(ReadWhole(*m_book, 0), m_header + m_header) << "area 0 is itself an area";
}

TEST_P(Viewable, ChunksOfAnySizeGiveTheSameBytes) {
  const unsigned header = static_cast<unsigned>(m_header.size());
  for (unsigned chunk : {1u, 2u, 7u, header - 1, header, header + 1, 2048u, 4096u, 1000000u}) {
    for (size_t i = 0; i < m_areas.size(); ++i) {
      int key = static_cast<int>(i) + 1;
      std::string got;
      ASSERT_NO_THROW(got = ReadChunks(*m_book, key, chunk)) << "chunk " << chunk << " key " << key;
      ASSERT_EQ(got, m_header + m_areas[i]) << "chunk " << chunk << " key " << key;
    }
  }
}

TEST_P(Viewable, SmallChunksStartWithHeaderBytesOnly) {
  std::vector<char> buffer(16);
  std::string got;
  unsigned long n = m_book->GetFirstViewableAreaChunk(3, 16, buffer.data());
  while (got.size() < m_header.size()) {
    ASSERT_EQ(n, 16u);
    got.append(buffer.data(), n);
    n = m_book->GetNextViewableAreaChunk(buffer.data());
  }
  EXPECT_EQ(got.substr(0, m_header.size()), m_header);
  EXPECT_EQ(got.substr(m_header.size()), m_areas[2].substr(0, got.size() - m_header.size()));
}

TEST_P(Viewable, InvalidKeys) {
  char buffer[8];
  for (int key : {-1, -2, static_cast<int>(m_areas.size()) + 1, 1 << 30}) {
    EXPECT_EQ(m_book->GetViewableAreaSize(key), 0u) << key;
    EXPECT_EQ(m_book->GetViewableArea(key, buffer), 1) << key;
    EXPECT_EQ(m_book->GetFirstViewableAreaChunk(key, 8, buffer), 0u) << key;
    EXPECT_EQ(m_book->GetNextViewableAreaChunk(buffer), 0u) << key;
  }
}

TEST_P(Viewable, TwoReadersOfOneSetTakingTurns) {
  // The decoding state is kept per file set; two books reading different
  // areas by turns must each still get their own text.
  cSOLTBook other = m_dir->MakeBook();
  ASSERT_EQ(other.Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX), 0);
  std::vector<char> a(1000), b(1000);
  std::string gotA, gotB;
  unsigned long na = m_book->GetFirstViewableAreaChunk(5, 1000, a.data());
  unsigned long nb = other.GetFirstViewableAreaChunk(3, 1000, b.data());
  while (na || nb) {
    gotA.append(a.data(), na);
    gotB.append(b.data(), nb);
    na = m_book->GetNextViewableAreaChunk(a.data());
    nb = other.GetNextViewableAreaChunk(b.data());
  }
  EXPECT_EQ(gotA, m_header + m_areas[4]);
  EXPECT_EQ(gotB, m_header + m_areas[2]);
}

TEST_P(Viewable, WholeReadsDoNotDisturbAChunkedRead) {
  std::vector<char> chunk(777);
  std::string got;
  unsigned long n = m_book->GetFirstViewableAreaChunk(5, 777, chunk.data());
  while (n) {
    got.append(chunk.data(), n);
    ReadWhole(*m_book, 3);
    n = m_book->GetNextViewableAreaChunk(chunk.data());
  }
  EXPECT_EQ(got, m_header + m_areas[4]);
}

INSTANTIATE_TEST_SUITE_P(Layouts, Viewable, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<Layout>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// --- corrupt files ---------------------------------------------------------

// A valid compressed book whose bytes the cases then damage.
struct Damaged {
  std::string bookDat;
  std::string viewableIdx;
};

Damaged MakeBookBytes(int compression) {
  solt::cViewableWriter writer(testbook::Version());
  writer.SetCompression(compression);
  writer.SetHeaderText("{\\title:T}");
  writer.SetHeaderArea("{\\rtf1 ");
  writer.AddArea(testbook::SampleText(3000));
  solt::cViewableWriter::sOutput out = writer.Build();
  return {out.bookDat, out.viewableIdx};
}

// Offsets in viewable.idx as our writer lays it out.
constexpr size_t kViewHeader = 16;
constexpr size_t kTable = 16 + 16;
size_t RecordAt(int key) { return kTable + static_cast<size_t>(key) * 12; }

void Put32(std::string& bytes, size_t at, uint32_t value) { platform::EncodeFixed32(bytes.data() + at, value); }

// One way of damaging a book: a name, the compression of the book damaged,
// and what is done to its bytes.
struct DamageCase {
  const char* name;
  int compression;
  void (*damage)(Damaged&);
};

class CorruptBook : public testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(GetLiveFileSetCount(), 0); }
  int Open(const Damaged& d, cSOLTBook& book, std::unique_ptr<BookDir>& dir) {
    dir = std::make_unique<BookDir>(solt::cViewableWriter(testbook::Version()));
    testbook::WriteBytes(dir->File("book.dat"), d.bookDat);
    testbook::WriteBytes(dir->File("viewable.idx"), d.viewableIdx);
    book = dir->MakeBook();
    return book.Open(SOLT_BOOK_DAT | SOLT_VIEWABLE_IDX);
  }
  platform::RecordingMessages m_messages;
  platform::ScopedMessages m_scope{&m_messages};
};

TEST_F(CorruptBook, OpenRefusesDamagedStructure) {
  const DamageCase cases[] = {
      {"empty book.dat", 0, [](Damaged& d) { d.bookDat.clear(); }},
      {"one byte viewable.idx", 0, [](Damaged& d) { d.viewableIdx.resize(1); }},
      {"version record shorter than 12", 0, [](Damaged& d) { d.viewableIdx[0] = 11; }},
      {"version record longer than the file", 0, [](Damaged& d) { platform::EncodeFixed16(d.bookDat.data(), 60000); }},
      {"viewable header too short", 0, [](Damaged& d) { d.viewableIdx[kViewHeader] = 12; }},
      {"viewable header runs past the end", 0, [](Damaged& d) { d.viewableIdx.resize(kViewHeader + 8); }},
      {"negative area count", 0, [](Damaged& d) { Put32(d.viewableIdx, kViewHeader + 2, 0xFFFFFFFF); }},
      {"area count past the end of the table", 0, [](Damaged& d) { Put32(d.viewableIdx, kViewHeader + 2, 1000000); }},
      {"counts that overflow", 0, [](Damaged& d) {
         Put32(d.viewableIdx, kViewHeader + 2, 0x7FFFFFFF);
         Put32(d.viewableIdx, kViewHeader + 6, 0x7FFFFFFF);
       }},
      {"record size below 12", 0, [](Damaged& d) { platform::EncodeFixed16(d.viewableIdx.data() + kViewHeader + 12, 4); }},
      {"no areas at all", 0, [](Damaged& d) { Put32(d.viewableIdx, kViewHeader + 2, 0); }},
      {"unknown compression", 0, [](Damaged& d) { d.viewableIdx[kViewHeader + 10] = 2; }},
      {"header area past the end", 0, [](Damaged& d) { Put32(d.viewableIdx, RecordAt(0), 1u << 30); }},
      {"header area length negative", 0, [](Damaged& d) { Put32(d.viewableIdx, RecordAt(0) + 4, 0x80000000u); }},
      {"compressed header decodes short", 1, [](Damaged& d) { Put32(d.viewableIdx, RecordAt(0) + 4, 8); }},
      {"compressed header decodes long", 1, [](Damaged& d) { Put32(d.viewableIdx, RecordAt(0) + 4, 6); }},
      {"compressed header absurdly long", 1, [](Damaged& d) { Put32(d.viewableIdx, RecordAt(0) + 4, 0x7FFFFFF0); }},
  };
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.name);
    Damaged d = MakeBookBytes(c.compression);
    c.damage(d);
    std::unique_ptr<BookDir> dir;
    cSOLTBook book;
    EXPECT_EQ(Open(d, book, dir), SOLT_ERR_HEADER_AREA);
    EXPECT_EQ(book.GetOpenFlags(), 0ul);
    EXPECT_EQ(GetLiveFileSetCount(), 0);
  }
}

TEST_F(CorruptBook, ReadsOfDamagedAreasRaise) {
  const DamageCase cases[] = {
      {"stored area past the end", 0, [](Damaged& d) { d.bookDat.resize(d.bookDat.size() - 1); }},
      {"stored area offset negative", 0, [](Damaged& d) { Put32(d.viewableIdx, RecordAt(1), 0xFFFFFFF0u); }},
      {"stored area absurd length", 0, [](Damaged& d) { Put32(d.viewableIdx, RecordAt(1) + 4, 0x7FFFFFFF); }},
      {"compressed area truncated", 1, [](Damaged& d) { d.bookDat.resize(d.bookDat.size() - 10); }},
      {"compressed area decodes short", 1, [](Damaged& d) { Put32(d.viewableIdx, RecordAt(1) + 4, 3001); }},
      {"compressed area decodes long", 1, [](Damaged& d) { Put32(d.viewableIdx, RecordAt(1) + 4, 2999); }},
      {"compressed area absurd length", 1, [](Damaged& d) { Put32(d.viewableIdx, RecordAt(1) + 4, 0x7FFFFFFF); }},
      {"compressed stored length negative", 1, [](Damaged& d) { Put32(d.viewableIdx, RecordAt(1) + 8, 0xFFFFFFFF); }},
  };
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.name);
    Damaged d = MakeBookBytes(c.compression);
    c.damage(d);
    std::unique_ptr<BookDir> dir;
    cSOLTBook book;
    ASSERT_EQ(Open(d, book, dir), 0);
    bool wholeRaised = false, chunksRaised = false;
    try {
      std::string whole(book.GetViewableAreaSize(1), '\0');
      book.GetViewableArea(1, whole.data());
    } catch (const platform::FileException&) {
      wholeRaised = true;
    }
    try {
      ReadChunks(book, 1, 100);
    } catch (const platform::FileException&) {
      chunksRaised = true;
    }
    EXPECT_TRUE(wholeRaised);
    EXPECT_TRUE(chunksRaised);
  }
}

TEST_F(CorruptBook, HeaderTextLengthPastTheEnd) {
  Damaged d = MakeBookBytes(0);
  Put32(d.bookDat, 16, 1u << 20);
  std::unique_ptr<BookDir> dir;
  cSOLTBook book;
  ASSERT_EQ(Open(d, book, dir), 0);
  EXPECT_THROW(book.GetHeaderControlWordData("title"), platform::FileException);
  Put32(d.bookDat, 16, 0xFFFFFFFF);
  book.Close(SOLT_ALL_OPEN);
  ASSERT_EQ(Open(d, book, dir), 0);
  EXPECT_THROW(book.GetHeaderControlWordData("title"), platform::FileException);
}

}  // namespace
