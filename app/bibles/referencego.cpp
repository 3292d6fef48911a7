#include "app/bibles/referencego.h"

#include <algorithm>
#include <cctype>

#include "biblefile/biblemodule.h"
#include "refbase/translation.h"
#include "textpane/refs/booknames.h"
#include "textpane/refs/refreader.h"

namespace klmw {

using textpane::Range;
using textpane::Reference;

uint16_t TranslationForBible(const std::string& code) {
  if (const uint16_t id = cTranslation::GetTranslationIDFromName(code.c_str())) return id;
  return cTranslation::GetTranslationIDFromName("KJV");
}

namespace {

bool IsWordChar(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// The word at pos, with a leading "1 " or "2 " kept ("1 Corinthans").
std::string WordAt(const std::string& text, size_t pos) {
  size_t begin = pos, end = pos;
  while (end < text.size() && (IsWordChar(text[end]) || text[end] == ' ')) ++end;
  // A name of several words ends before the first number after it.
  while (end > begin && text[end - 1] == ' ') --end;
  if (begin >= 2 && text[begin - 1] == ' ' && std::isdigit(static_cast<unsigned char>(text[begin - 2])) &&
      (begin == 2 || !std::isalnum(static_cast<unsigned char>(text[begin - 3]))))
    begin -= 2;
  return text.substr(begin, end - begin);
}

}  // namespace

CTypedReference ReadTypedReference(const std::string& text, uint16_t translation, const Reference& context) {
  textpane::RefReadOptions options;
  options.period = options.loneBook = options.blankSeparator = true;
  options.translation = translation;
  textpane::CReferenceReader reader(options);
  reader.SetContext(context);
  CTypedReference result;
  size_t at = 0;
  if (reader.ReadReferences(text, result.ranges, at) && !result.ranges.empty()) return result;
  result.errorPosition = std::min(at, text.size());
  if (at >= text.size()) {
    result.problem = "Type a reference such as Gen 1:1-3; 2:4, 6 or jn 3 16.";
    return result;
  }
  const std::string word = WordAt(text, at);
  if (!word.empty() && IsWordChar(text[at])) {
    result.suggestions = textpane::NearestBookNames(word, 5);
    // "1 Corinthans" is nearer to a name with its number.
    if (result.suggestions.empty() && word.find(' ') != std::string::npos)
      result.suggestions = textpane::NearestBookNames(word.substr(word.rfind(' ') + 1), 5);
  }
  if (!result.suggestions.empty()) {
    result.word = word;
    result.problem = "There is no book called \"" + word + "\".";
  } else {
    std::string shown = text.substr(at, 30);
    result.problem = "\"" + shown + "\" is not a reference the Bible has.";
  }
  return result;
}

std::vector<CVerseSpan> VerseSpansOf(const CBibleModule& bible, const std::vector<Range>& ranges) {
  // The index of a place in this Bible, a verse past the chapter's end taken
  // as its last verse; -1 when the Bible lacks the book or chapter.
  auto index = [&](const Reference& r) {
    const int book = r.Book() - 1, chapter = r.Chapter() - 1;
    const int verses = bible.GetChapterVerseCount(book, chapter);
    if (book < 0 || chapter < 0 || verses <= 0) return -1;
    return bible.PlaceToIndex(book, chapter, std::clamp(r.Verse() - 1, 0, verses - 1));
  };
  std::vector<CVerseSpan> spans;
  for (const Range& r : ranges) {
    const int first = index(r.Start()), last = index(r.End());
    if (first < 0 || last < 0) continue;
    spans.push_back({std::min(first, last), std::max(first, last)});
  }
  std::sort(spans.begin(), spans.end(), [](const CVerseSpan& a, const CVerseSpan& b) { return a.first < b.first; });
  std::vector<CVerseSpan> merged;
  for (const CVerseSpan& s : spans) {
    if (!merged.empty() && s.first <= merged.back().last + 1) {
      merged.back().last = std::max(merged.back().last, s.last);
    } else {
      merged.push_back(s);
    }
  }
  return merged;
}

Reference ReferenceOfVerse(const CBibleModule& bible, int index) {
  int book = 0, chapter = 0, verse = 0;
  if (!bible.IndexToPlace(index, book, chapter, verse)) return {};
  return Reference(static_cast<uint16_t>(book + 1), static_cast<uint16_t>(chapter + 1),
                   static_cast<uint16_t>(verse + 1));
}

}  // namespace klmw
