// The references in a document's text.
#include "textpane/model/paragraph.h"
#include "textpane/model/rtfdoc.h"

namespace textpane {

namespace {

// Hidden text ends a reference as any character that is none would.
constexpr char kHidden = '\x01';

std::string VisibleText(const Paragraph& p) {
  std::string text = p.Text();
  size_t at = 0;
  for (const Run& run : p.Runs()) {
    if (run.format->hidden)
      for (size_t i = at; i < at + run.length && i < text.size(); ++i) text[i] = kHidden;
    at += run.length;
  }
  return text;
}

}  // namespace

bool CRtfDoc::ParseReferences(std::vector<Range>& list, int* errorPosition, const RefReadOptions& options) const {
  CReferenceReader reader(options);
  const size_t before = list.size();
  for (size_t i = 0; Paragraph* p = ParagraphAt(i); ++i)
    reader.FindReferences(VisibleText(*p), list, static_cast<size_t>(ParagraphStart(p)));
  if (list.size() > before) return true;
  if (errorPosition) {
    const size_t failed = reader.FirstFailure();
    // Nothing looked like a reference: the end of the text, before the
    // mark that ends its last paragraph.
    const TextPos end = Length() > 0 ? Length() - 1 : 0;
    *errorPosition = static_cast<int>(failed == SIZE_MAX ? end : static_cast<TextPos>(failed));
  }
  return false;
}

}  // namespace textpane
