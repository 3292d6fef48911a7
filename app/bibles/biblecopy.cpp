#include "app/bibles/biblecopy.h"

#include <cstdio>

#include "biblefile/biblemodule.h"
#include "biblefile/booknames.h"

namespace klmw {

namespace {

// Verse text as rich text: the characters that mean something to a reader
// of rich text are escaped, bytes above 127 written as hex.
std::string RtfText(const std::string& text, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to && i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x80) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\'%02x", c);
      out += hex;
    } else if (c == '\n') {
      out += "\\line ";
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

CBibleCopy CopyVerses(const CBibleModule& bible, const std::string& code, const CVerseSelection& selection,
                      const std::function<std::string(int index)>& textOf, const CCopySizes& sizes) {
  CBibleCopy out;
  out.rtf = "{\\rtf1\\ansi\\deff0\\deftab720\n";
  out.rtf += "\n{}\n";
  out.rtf += "\n{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green255\\blue0;\\red0\\green0\\blue255;}\n";
  out.rtf += "\n\\deflang1033\\plain\n";
  if (!selection.IsEmpty()) {
    for (int index = selection.firstVerse; index <= selection.lastVerse; ++index) {
      int b = 0, c = 0, v = 0;
      if (!bible.IndexToPlace(index, b, c, v)) break;
      const std::string text = textOf(index);
      const size_t from = index == selection.firstVerse ? static_cast<size_t>(std::max(0, selection.firstChar)) : 0;
      const size_t to = index == selection.lastVerse ? static_cast<size_t>(std::max(0, selection.lastChar)) : text.size();
      if (from == 0 && v == 0) {
        const std::string name =
            b < kBibleBookCount ? GetBookName(code, b + 1) : bible.GetBookLabel(b + 1);
        const std::string heading = name + " " + std::to_string(c + 1);
        out.rtf += "\n\\qc\\plain\\fs" + std::to_string(sizes.heading) + "\n" + RtfText(heading, 0, heading.size()) +
                   "\n\\par\\pard\\plain\n";
        out.plain += "\n" + heading + "\n";
      }
      if (from == 0) {
        out.rtf += "\n\\pard\\par";
        out.rtf += "\n\\plain\\fs" + std::to_string(sizes.text) + "\\cf3\n" + std::to_string(v + 1) + " ";
        out.plain += "\n" + std::to_string(v + 1) + " ";
      }
      out.rtf += "\n\\plain\\fs" + std::to_string(sizes.text) + "\n" + RtfText(text, from, to);
      if (from < to && from < text.size()) out.plain += text.substr(from, std::min(to, text.size()) - from);
    }
  }
  out.rtf += "\n}";
  // A copy that starts with a verse starts with it, not with a blank line.
  if (!out.plain.empty() && out.plain.front() == '\n') out.plain.erase(0, 1);
  return out;
}

CVerseSelection WholeVerses(int first, int last, const std::function<std::string(int index)>& textOf) {
  if (first < 0 || last < first) return {};
  return {first, 0, last, static_cast<int>(textOf(last).size())};
}

}  // namespace klmw
