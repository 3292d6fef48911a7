// The importer's mapping of OSIS verse markup onto the verse-text markup.
//
// Input: OSIS text. Each zero byte ends a verse, so quotations written as
// milestones may run from one verse into the next as they do in a module.
//
// Whatever the markup, the verse text must be one line of Windows-1252 with
// balanced, unnested `[ ]` and "<sc1>"/"<sc0>", one `{label}` per footnote and
// no stray angle bracket; footnotes hold no `~` or line break; the ranges of
// the words of Christ lie in order inside the verse's display form.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzzsupport.h"
#include "tools/importer/markup.h"

namespace {

using fuzz::Check;

void CheckVerse(const importer::ConvertedVerse& verse) {
  const std::string& t = verse.text;
  Check(t.find_first_of(std::string_view("\t\r\n\x01\x02", 5)) == std::string::npos, "control character in text");
  Check(t.empty() || (t.front() != ' ' && t.back() != ' '), "blank at an end of the text");
  bool added = false, divine = false;
  size_t notes = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '[') {
      Check(!added, "nested [");
      added = true;
    } else if (c == ']') {
      Check(added, "] without [");
      added = false;
    } else if (c == '<') {
      const std::string_view mark = std::string_view(t).substr(i, 5);
      Check(mark == "<sc1>" || mark == "<sc0>", "stray <");
      Check((mark == "<sc1>") != divine, "<sc1>/<sc0> out of turn");
      divine = mark == "<sc1>";
      i += 4;
    } else if (c == '>') {
      Check(false, "stray >");
    } else if (c == '{') {
      const size_t close = t.find('}', i);
      Check(close != std::string::npos, "{ without }");
      Check(t.substr(i + 1, close - i - 1) == importer::NoteLabel(notes), "footnote label out of turn");
      ++notes;
      i = close;
    } else if (c == '}') {
      Check(false, "stray }");
    }
  }
  Check(!added && !divine, "mark left open");
  Check(notes == verse.notes.size(), "references and footnotes differ in number");
  for (const std::string& note : verse.notes) {
    Check(!note.empty(), "empty footnote");
    Check(note.find_first_of("~\t\r\n") == std::string::npos, "footnote with ~ or a line break");
  }
  const std::string shown = importer::DisplayText(t);
  int last = 0;
  for (const importer::ChristRange& r : verse.christ) {
    Check(r.start >= last && r.start < r.end && r.end <= static_cast<int>(shown.size()), "words of Christ out of range");
    last = r.end;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  importer::OsisState state;
  size_t at = 0;
  while (at <= input.size()) {
    size_t end = input.find('\0', at);
    if (end == std::string_view::npos) end = input.size();
    CheckVerse(importer::ConvertOsisVerse(input.substr(at, end - at), state));
    at = end + 1;
  }
  int unmappable = 0;
  const std::string converted = importer::Utf8ToWindows1252(input, &unmappable);
  Check(unmappable >= 0 && static_cast<size_t>(unmappable) <= input.size(), "unmappable count out of range");
  return 0;
}
