// A Bible window's verses made of arbitrary bytes, laid out at a width the
// input chooses with the fixed-metric fonts, drawn, hit and copied: every
// line starts after the one before and inside the text, the lines cover the
// text, the layout ends for any width, and the rich-text copy's braces
// balance whatever the verse holds.
//
// Input: bytes 0-1 the width (0 to 65,535 units), byte 2 the verse within
// its chapter, then the verse texts, parted by zero bytes (up to 8).
#include <cstdint>
#include <string>
#include <vector>

#include "app/bibles/biblecopy.h"
#include "app/bibles/verselayout.h"
#include "biblefile/biblemodule.h"
#include "fuzz/fuzzsupport.h"
#include "textpane/layout/fixedfonts.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  static klmw::CBibleModule bible = [] {
    klmw::CBibleModule b;
    b.ParseDefinition("TDBFILE=\"KJS.dat\"\n{Genesis\txx4,4}\n", "");
    return b;
  }();
  static klmw::CBibleLayout layout(textpane::FontCache::ForScaling(textpane::FixedFontSystem::Instance(), 100), 15);
  const int32_t width = static_cast<int32_t>(fuzz::Le16(data));
  std::vector<std::string> texts(1);
  for (size_t i = 3; i < size && texts.size() <= 8; ++i) {
    if (data[i] == 0) texts.emplace_back();
    else texts.back() += static_cast<char>(data[i]);
  }
  if (texts.size() > 8) texts.resize(8);

  textpane::RecordingSurface surface;
  surface.SetKeeping(false);
  const klmw::CBibleColours colours = klmw::CBibleColours::ForPage(0xFFFFFF, 0);
  int32_t y = 0;
  for (size_t k = 0; k < texts.size(); ++k) {
    klmw::CVerse v;
    v.index = static_cast<int>(k);
    v.verse = (data[2] + static_cast<int>(k)) % 4;
    v.text = texts[k];
    v.headingText = "Genesis 1";
    // A few colour segments over the text, as topic colours will lay them.
    for (int32_t s = 7; s < static_cast<int32_t>(v.text.size()); s += 11)
      v.segments.push_back({s, static_cast<uint8_t>(5 + s % 3), static_cast<uint8_t>(s % 2 ? 3 : 2)});
    const int32_t bottom = layout.Layout(v, width, y);
    Check(bottom > y && !v.lines.empty(), "a verse without a line");
    for (size_t i = 0; i < v.lines.size(); ++i) {
      Check(v.lines[i].offset >= 0 && v.lines[i].offset <= static_cast<int32_t>(v.text.size()), "a line outside the text");
      Check(i == 0 || v.lines[i].offset > v.lines[i - 1].offset, "a line that does not move on");
    }
    Check(v.lines.front().offset == 0, "the text does not start on the first line");
    const klmw::CVerseSelection all{v.index, 0, v.index, static_cast<int>(v.text.size())};
    layout.Draw(surface, v, width, 0, colours, &all);
    const int32_t hit = layout.HitTest(v, width / 2, (v.top + bottom) / 2);
    Check(hit >= 0 && hit <= static_cast<int32_t>(v.text.size()), "a hit outside the text");
    y = bottom;
  }
  const int last = static_cast<int>(texts.size()) - 1;
  const klmw::CBibleCopy copy = klmw::CopyVerses(
      bible, "KJS", {0, data[2] % 5, last, static_cast<int>(texts[static_cast<size_t>(last)].size())},
      [&texts](int i) { return i >= 0 && i < static_cast<int>(texts.size()) ? texts[static_cast<size_t>(i)] : std::string(); });
  int depth = 0;
  for (size_t i = 0; i < copy.rtf.size(); ++i) {
    if (copy.rtf[i] == '\\') {
      ++i;
      continue;
    }
    if (copy.rtf[i] == '{') ++depth;
    if (copy.rtf[i] == '}') Check(--depth >= 0, "a brace closed that was never opened");
  }
  Check(depth == 0, "braces left open in the rich-text copy");
  return 0;
}
