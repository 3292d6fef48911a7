// The reference-book importer's mapping of dictionary and commentary markup
// (TEI and OSIS) onto the rich text of a book source, and its grouping of a
// commentary's verse slots into sections.
//
// Input: markup up to the first zero byte; the bytes after it describe verse
// slots, three bytes each (chapter, verse, flags: bit 0 text, bit 1 linked to
// the slot before, bit 2 a new book).
//
// Whatever the markup, the parts of an entry must keep its comment whole, and
// the RTF must have balanced groups, no control bytes
// but line ends, and be accepted by the book compiler's scanner; every link
// must carry a target of its type. Every slot of a book that has any text
// must be covered by exactly one section, and each section's text slot must
// hold text.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzzsupport.h"
#include "tools/bookimport/bookmarkup.h"
#include "tools/compiler/rtfscan.h"

namespace {

using fuzz::Check;

void CheckRtf(const std::string& rtf) {
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(rtf[i]);
    Check(c >= 0x20 || c == '\n', "control byte in the RTF");
    if (c == '\\') {
      ++i;
      continue;
    }
    if (c == '{') ++depth;
    if (c == '}') --depth;
    Check(depth >= 0, "a group closed that was never opened");
  }
  Check(depth == 0, "a group left open");
  solt::sScannedText scanned;
  solt::sScanError error;
  Check(solt::ScanRtf(rtf, 1, scanned, error), "the compiler refuses the RTF");
  for (const solt::sVerseLink& link : scanned.verseLinks)
    Check(link.book >= 1 && link.book <= 66 && link.chapter >= 1 && link.chapter <= 5 && link.verse >= 1 &&
              link.verse <= 30,
          "a Bible link to a verse that does not exist");
  for (size_t p = 0; (p = rtf.find("{\\soltlinkto0 ", p)) != std::string::npos; ++p) {
    const size_t start = p + 14;
    const size_t end = rtf.find('}', start);
    Check(end != std::string::npos && rtf.substr(start, end - start) == "7", "a link within the book to no entry");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t zero = input.find('\0');
  const std::string_view markup = input.substr(0, zero);

  bookimport::LinkContext context;
  context.verseExists = [](int book, int chapter, int verse) {
    return book >= 1 && book <= 66 && chapter >= 1 && chapter <= 5 && verse >= 1 && verse <= 30;
  };
  context.entryKey = [](std::string_view target, std::string_view) { return target.size() % 2 ? 7 : -1; };
  bookimport::MarkupStats stats;
  CheckRtf(bookimport::EntryToRtf(markup, context, stats));
  Check(stats.verseLinks >= 0 && stats.droppedRefs >= 0, "negative counts");

  // Parting an entry at its headings loses nothing but the two titles.
  const bookimport::CommentaryParts parts = bookimport::SplitCommentaryEntry(markup);
  Check(parts.book.size() + parts.chapter.size() + parts.section.size() <= markup.size(), "parts longer than the entry");
  Check(markup.substr(markup.size() - parts.section.size()) == parts.section, "the comment is not the entry's end");
  Check(!parts.section.empty() || markup.empty() || !parts.book.empty() || !parts.chapter.empty(), "the entry vanished");

  int transliterated = 0;
  const std::string windows = bookimport::ToWindows1252(markup, &transliterated);
  Check(transliterated >= 0, "negative count of transliterated letters");
  bookimport::OsisRef ref;
  if (bookimport::ParseOsisRef(markup, ref))
    Check(ref.book >= 1 && ref.book <= 66 && ref.chapter >= 1 &&
              (ref.lastChapter > ref.chapter || (ref.lastChapter == ref.chapter && ref.lastVerse >= ref.verse)),
          "a reference read backwards");
  const std::map<std::string, int> topics = {{"A", 1}, {"AB (C)", 2}, {"ABS", 3}, {std::string(markup), 4}};
  Check(bookimport::FindTopic(topics, std::string(markup)) == (markup.empty() ? -1 : topics.at(std::string(markup))),
        "a topic not found by its own name");

  if (zero == std::string_view::npos) return 0;
  std::vector<bookimport::VerseSlot> slots;
  int book = 1;
  for (size_t i = zero + 1; i + 3 <= size; i += 3) {
    bookimport::VerseSlot slot;
    if (data[i + 2] & 4) ++book;
    slot.book = book;
    slot.chapter = data[i] % 8 + 1;
    slot.verse = data[i + 1] % 40 + 1;
    slot.hasText = data[i + 2] & 1;
    slot.linkedToPrevious = data[i + 2] & 2;
    slots.push_back(slot);
  }
  const auto sections = bookimport::GroupCommentary(slots);
  std::map<int, bool> bookHasText;
  for (const auto& s : slots) bookHasText[s.book] = bookHasText[s.book] || s.hasText;
  size_t covered = 0;
  for (const auto& section : sections) {
    Check(section.textSlot < slots.size() && slots[section.textSlot].hasText, "a section without text");
    Check(slots[section.textSlot].book == section.book, "a section under another book");
    for (const auto& r : section.covers) {
      Check(r.first >= 1 && r.last >= r.first && r.book == section.book, "a range out of order");
      covered += static_cast<size_t>(r.last - r.first + 1);
    }
  }
  size_t expected = 0;
  for (const auto& s : slots) expected += bookHasText[s.book] ? 1 : 0;
  // Each slot of a book with text is in exactly one range.
  Check(covered == expected, "a verse without a section, or in two");
  return 0;
}
