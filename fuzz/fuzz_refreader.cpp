// Bible references read from arbitrary text, and numeric ranges of arbitrary
// strings, resolved in the shipped reference data (REFBASE.DAT and
// VTTRANS.DAT beside the reference library, built with this target).
//
// Input: one byte of options (bit 0 the period option, bit 1 lone books,
// bit 2 the blank separator, bits 3-5 the translation asked for), then the
// text. The text is scanned as a paragraph, read as typed references, and
// read as a link's numeric range.
//
// What must hold: every range found lies inside the text, after the one
// before it; a resolved range names a book, chapter and verse at both ends
// and the translation it was resolved in; walking a range by book, chapter
// or verse ends within the Bible's size; nothing crashes or hangs.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz/fuzzsupport.h"
#include "textpane/refs/range.h"
#include "textpane/refs/refreader.h"

namespace {

using fuzz::Check;
using textpane::Range;
using textpane::Reference;

// More verses, chapters and books than any translation has.
constexpr int kMaxVerses = 50000, kMaxChapters = 2000, kMaxBooks = 200;

constexpr uint16_t kTranslations[8] = {0, 1, 2, 3, 4, 9, 255, 65535};

bool Whole(const Reference& r) { return r.Book() != 0 && r.Chapter() != 0 && r.Verse() != 0; }

void Walk(const Range& r) {
  Check(Whole(r.Start()) && Whole(r.End()), "a resolved range without book, chapter or verse");
  Check(r.ResolvingTranslation() != 0, "a resolved range without its translation");
  r.IsVerseRange();
  r.IsChapterRange();
  r.IsBookRange();
  r.IsBackward();
  Reference at = r.Start();
  int steps = 0;
  while (r.GetNextBook(at)) Check(++steps < kMaxBooks && Whole(at), "walking by book does not end");
  at = r.Start();
  steps = 0;
  while (r.GetNextChapter(at)) Check(++steps < kMaxChapters && Whole(at), "walking by chapter does not end");
  at = r.Start();
  steps = 0;
  while (r.GetNextVerse(at)) Check(++steps < kMaxVerses && Whole(at), "walking by verse does not end");
  for (int type = -1; type <= 4; ++type) {
    Range typed = r;
    typed.SetRangeType(type);
    Check(typed.GetRangeType() >= 0 && typed.GetRangeType() <= 3, "a range type out of its set");
  }
}

void CheckFound(const std::vector<Range>& ranges, size_t from, size_t offset, size_t size) {
  size_t last = offset;
  for (size_t i = from; i < ranges.size(); ++i) {
    const Range& r = ranges[i];
    Check(r.TextStart() >= last && r.TextStart() < r.TextEnd() && r.TextEnd() <= offset + size,
          "a range's words outside the text or out of order");
    last = r.TextEnd();
    Walk(r);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 4096) return 0;
  const uint8_t flags = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  textpane::RefReadOptions options;
  options.period = flags & 1;
  options.loneBook = flags & 2;
  options.blankSeparator = flags & 4;
  options.translation = kTranslations[(flags >> 3) & 7];

  // Scanned twice by one reader, the second time as a later paragraph: the
  // context carries over and the positions move with the offset.
  textpane::CReferenceReader scanner(options);
  std::vector<Range> ranges;
  const size_t found = scanner.FindReferences(text, ranges);
  Check(found == ranges.size(), "a count other than the ranges added");
  CheckFound(ranges, 0, 0, text.size());
  const size_t before = ranges.size();
  scanner.FindReferences(text, ranges, 100000);
  CheckFound(ranges, before, 100000, text.size());
  Check(scanner.FirstFailure() == SIZE_MAX || scanner.FirstFailure() < 100000 + text.size(),
        "a failure outside the text");

  // Typed references: the whole text or the place it fails.
  textpane::CReferenceReader typed(options);
  std::vector<Range> read;
  size_t error = SIZE_MAX;
  if (!typed.ReadReferences(text, read, error)) Check(error <= text.size(), "an error position outside the text");
  CheckFound(read, 0, 0, text.size());

  // The text as a link's numeric range.
  Range numeric;
  if (numeric.SetFromString(text) && numeric.ResolveRange(options.translation)) Walk(numeric);
  return 0;
}
