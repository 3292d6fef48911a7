// Phrase search and marking over arbitrary RTF with arbitrary phrases: the
// count of one phrase agrees with what marking it leaves, no mark falls
// outside the level searched, clearing leaves none, and a link target of any
// shape is read as a range or refused.
//
// Input: byte 0 is the level (0-3), byte 1 bit 0 asks for exact case; then
// the phrases, one a line, up to the first zero byte; the rest is the RTF.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzzsupport.h"
#include "textpane.h"
#include "textpane/refs/range.h"

using fuzz::Check;

namespace {

// Marked stretches, and whether any marked character lies outside the level.
int MarkedStretches(const textpane::CRtfDoc& doc, int level, bool& strayMark) {
  int stretches = 0;
  bool inMark = false;
  for (const textpane::Paragraph* p = doc.FirstParagraph(); p; p = textpane::NextLeaf(p)) {
    for (const textpane::Run& run : p->Runs()) {
      if (run.format->mark && !inMark) ++stretches;
      if (run.format->mark && run.format->level != level) strayMark = true;
      inMark = run.format->mark;
    }
  }
  return stretches;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int level = data[0] & 3;
  const bool matchCase = data[1] & 1;
  std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  const size_t zero = rest.find('\0');
  if (zero == std::string_view::npos) return 0;
  std::vector<std::string> phrases;
  for (std::string_view list = rest.substr(0, zero); !list.empty();) {
    const size_t end = std::min(list.find('\n'), list.size());
    phrases.emplace_back(list.substr(0, end));
    list.remove_prefix(std::min(end + 1, list.size()));
  }
  const std::string_view rtf = rest.substr(zero + 1);

  textpane::CRtfDoc doc;
  doc.SetText(rtf.data(), rtf.size(), textpane::FORMAT_RTF);
  for (const std::string& phrase : phrases) {
    const int first = doc.SearchForPhrase(level, phrase.c_str(), matchCase, false);
    const int all = doc.SearchForPhrase(level, phrase.c_str(), matchCase, true);
    Check(first == (all > 0 ? 1 : 0), "the first match disagrees with the count");
    doc.MarkPhrases(level, {phrase}, matchCase);
    bool stray = false;
    const int stretches = MarkedStretches(doc, level, stray);
    Check(!stray, "a mark outside the level");
    Check(stretches <= all && (stretches > 0) == (all > 0), "the marks disagree with the count");
    doc.UnmarkAll();
    textpane::Range range;
    if (range.SetFromString(phrase)) doc.MarkRanges(level, {range}, 0);
    bool strayRange = false;
    MarkedStretches(doc, level, strayRange);
    Check(!strayRange, "a range mark outside the level");
    doc.UnmarkAll();
  }
  doc.MarkPhrases(level, phrases, matchCase);
  doc.UnmarkAll();
  bool stray = false;
  Check(MarkedStretches(doc, level, stray) == 0, "marks left after clearing");
  return 0;
}
