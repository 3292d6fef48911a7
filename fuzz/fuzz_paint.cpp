// A Bible's colour files made of arbitrary bytes: the paint file, the .pip
// file and colors.txt, loaded or converted in the colour mode the input
// chooses, every verse's segments made, the colour index walked, and a verse
// painted and read back in a fresh run. Nothing may crash or read out of
// bounds; segments start at 0 and move on; a painted verse comes back in its
// colour.
//
// Input: byte 0 the colour mode (low 3 bits, taken modulo 6) and whether to
// paint (bit 7); byte 1 the highest topic colour (0: the default 14);
// bytes 2-5 and 6-9 the little-endian lengths of the paint file and of the
// .pip records (the .pip starts with record 1: record 0 is never read);
// then the paint file, the .pip records, and colors.txt.
#include <cstdint>
#include <string>
#include <vector>

#include "app/bibles/paint.h"
#include "fuzz/fuzzsupport.h"

using fuzz::Check;

namespace {

// Words of every length, runs of blanks, and a word at the very end.
const std::string kText = "In  the beginning God created the heaven and the earth. x";

void CheckSegments(const std::vector<klmw::CVerseSegment>& segs, const std::string& text) {
  Check(!segs.empty() && segs[0].start == 0, "segments must start at 0");
  for (size_t i = 0; i < segs.size(); ++i) {
    Check(segs[i].start >= 0 && segs[i].start <= static_cast<int32_t>(text.size()), "a segment outside the text");
    Check(segs[i].underline == klmw::kUnderlineOff || segs[i].underline == klmw::kUnderlineOn, "an odd underline");
    if (i > 0) {
      Check(segs[i].start > segs[i - 1].start, "segments that do not move on");
      Check(segs[i].colour != segs[i - 1].colour || segs[i].underline != segs[i - 1].underline,
            "a segment that changes nothing");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 10) return 0;
  fuzz::QuietMessages();
  const std::string& dir = fuzz::ScratchDir();
  const int mode = (data[0] & 7) % 6;
  const bool paintIt = (data[0] & 0x80) != 0;
  const int maxColors = data[1] ? data[1] : klmw::kDefaultMaxPipColors;
  size_t at = 10;
  const size_t paintLength = std::min<size_t>(fuzz::Le32(data + 2), size - at);
  const uint8_t* paintBytes = data + at;
  at += paintLength;
  const size_t pipLength = std::min<size_t>(fuzz::Le32(data + 6), size - at);
  std::string pip(klmw::kPipRecordSize, '\0');
  pip.append(reinterpret_cast<const char*>(data + at), pipLength);
  at += pipLength;

  fuzz::WriteFile(dir + "paint.KJS", paintBytes, paintLength);
  fuzz::WriteFile(dir + "KJS.pip", reinterpret_cast<const uint8_t*>(pip.data()), pip.size());
  fuzz::WriteFile(dir + "colors.txt", data + at, size - at);
  ::unlink((dir + "COLORNDX.KJS").c_str());

  klmw::CPaintRun run;
  run.SetColorMode(mode);
  run.SetMaxColors(maxColors);
  klmw::CPaint paint(run, dir);
  paint.ChooseBible("KJS");
  const auto& table = paint.GetColorTable();
  Check(table.size() >= 6, "the program's own entries are missing");
  Check(table[2] == klmw::kWhite && table[5] == klmw::kWhite, "the page entries are not white");
  Check(paint.GetColorNames().size() <= static_cast<size_t>(klmw::kMaxPaintTableCount), "too many names");

  // The verses the .pip reaches, a few beyond, and the last.
  const int reached = static_cast<int>(pip.size() / klmw::kPipRecordSize) + 2;
  std::vector<int> verses = {klmw::kColorVerses - 1, klmw::kColorVerses, -1};
  for (int v = 0; v < reached && v < 400; ++v) verses.push_back(v);
  for (int v : verses) {
    const klmw::CVerseColors r = paint.GetVerseColors(v);
    CheckSegments(klmw::MakeVerseSegments(r, kText), kText);
    CheckSegments(klmw::MakeVerseSegments(r, ""), "");
  }

  const klmw::CColorIndex& index = paint.GetColorIndex();
  for (int k = 1; k <= klmw::kColorIndexSets; ++k) {
    int last = -1;
    for (int n = 0; n < 64; ++n) {
      const int next = paint.NextVerseWithColor(k, last);
      if (next < 0) break;
      Check(next > last && index.Test(k - 1, next), "the next verse of a colour is not of that colour");
      last = next;
    }
  }

  if (paintIt) {
    const int verse = data[1] * 100;
    const klmw::ColorRef colour = fuzz::Le32(data + 2) & 0xFFFFFF;
    const bool room = paint.GetColorTable().size() < 256;
    const int entry = paint.PaintVerses(verse, verse + 1, colour);
    Check(entry >= 6 && entry <= 255, "a painted entry outside the verse's byte");
    klmw::CPaintRun later;
    later.SetColorMode(klmw::kColorUsePaint);
    klmw::CPaint again(later, dir);
    again.ChooseBible("KJS");
    const klmw::CVerseColors r = again.GetVerseColors(verse + 1);
    Check(r.colorPos[klmw::kFirstDataSlot] == klmw::kPositionStart && r.color[klmw::kFirstDataSlot] == entry,
          "a painted verse lost its paint");
    const auto& after = again.GetColorTable();
    Check(static_cast<size_t>(entry) < after.size(), "a painted entry the table lacks");
    // A full table lends the nearest colour's entry; otherwise the colour is exact.
    Check(!room || after[static_cast<size_t>(entry)] == colour, "a painted colour lost its entry");
  }
  return 0;
}
