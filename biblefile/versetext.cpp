#include "biblefile/versetext.h"

namespace klmw {
namespace {

bool IsMarkerAt(std::string_view text, size_t i) {
  return text.compare(i, 5, "<sc1>") == 0 || text.compare(i, 5, "<sc0>") == 0;
}

// Drops brackets and angle-bracket markers from one character on; returns
// how many characters of text were consumed (0 when c is ordinary text).
size_t SkipMarkup(std::string_view text, size_t i) {
  switch (text[i]) {
    case '[':
    case ']':
    case '>':
      return 1;
    case '<':
      return IsMarkerAt(text, i) ? 5 : 1;
    default:
      return 0;
  }
}


// Display text; with marks, footnote references are kept as their labels.
std::string CleanForDisplay(std::string_view stored, std::vector<CFootnoteMark>* marks) {
  std::string out;
  out.reserve(stored.size());
  size_t i = 0;
  while (i < stored.size()) {
    char c = stored[i];
    if (c == '$') {
      ++i;
    } else if (size_t skip = SkipMarkup(stored, i)) {
      i += skip;
    } else if (c == '{' && stored.find('}', i) != std::string_view::npos) {
      // "word {a} next" shows as "word next": the blank after the reference
      // goes with it so no double blank is left.
      size_t close = stored.find('}', i);
      const std::string_view label = stored.substr(i + 1, close - i - 1);
      i = close + 1;
      if (marks && !label.empty()) {
        // The letter follows its word: "light{a} from".
        while (!out.empty() && out.back() == ' ') out.pop_back();
        marks->push_back({static_cast<int32_t>(out.size()), static_cast<int32_t>(label.size())});
        out += label;
      } else if (!out.empty() && out.back() == ' ' && i < stored.size() && stored[i] == ' ') {
        ++i;
      }
    } else {
      // An unclosed brace is shown as it stands rather than eating the rest.
      out += c;
      ++i;
    }
  }
  return out;
}

}  // namespace

std::string CleanVerseForCopy(std::string_view stored, bool& paragraph) {
  size_t i = 0;
  while (i < stored.size() && stored[i] == ' ') ++i;
  paragraph = i < stored.size() && stored[i] == '$';
  while (i < stored.size() && stored[i] == '$') ++i;

  std::string out;
  out.reserve(stored.size() - i);
  while (i < stored.size()) {
    if (stored[i] == '$') {
      out += kVerseLineBreak;
      ++i;
    } else if (size_t skip = SkipMarkup(stored, i)) {
      i += skip;
    } else {
      out += stored[i++];
    }
  }
  return out;
}

std::string CleanVerseForDisplay(std::string_view stored) {
  return CleanForDisplay(stored, nullptr);
}

std::string CleanVerseForDisplay(std::string_view stored, std::vector<CFootnoteMark>& marks) {
  marks.clear();
  return CleanForDisplay(stored, &marks);
}

void AppendCopiedVerse(std::string& out, const std::string& cleaned, bool newLine) {
  if (newLine) {
    out += kVerseLineBreak;
  } else if (!out.empty() && !cleaned.empty()) {
    auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
    if (!blank(out.back()) && !blank(cleaned.front())) out += ' ';
  }
  out += cleaned;
}

}  // namespace klmw
