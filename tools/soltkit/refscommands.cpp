// soltkit refs: Bible references read from text by the rich-text engine's
// recogniser, walked verse by verse, and the numeric ranges of links.
#include <cstdio>
#include <string>
#include <vector>

#include "refbase.h"
#include "refbase/datafiles.h"
#include "textpane/model/rtfdoc.h"
#include "textpane/refs/range.h"
#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace soltkit {
namespace {

// Without the reference data nothing resolves; that is said plainly rather
// than every text being reported as no reference.
void RequireData() {
  if (cBibleReference::m_conversion_data_in_use == 0)
    throw InputError("the Bible reference conversion data could not be loaded (" + refbase::RefbaseDatPath() + ")");
  if (cTranslation::m_translation_data_in_use <= 0)
    throw InputError("the translation data could not be loaded (" + refbase::VttransDatPath() + ")");
}

unsigned short TranslationId(const std::string& name) {
  const unsigned short id = cTranslation::GetTranslationIDFromName(name.c_str());
  if (id == 0) throw UsageError("unknown translation " + name + " (see soltkit trans list)");
  return id;
}

// The ranges the document reader finds in TEXT, or false with the position
// where reading failed.
bool Parse(const Args& args, std::vector<textpane::Range>& ranges, int& errorPosition) {
  args.RequireCount(3, 3);
  RequireData();
  textpane::RefReadOptions options;
  options.period = args.Has("period");
  options.loneBook = args.Has("lone-book");
  options.translation = TranslationId(args.Value("translation", "KJV"));
  const std::string& text = args.At(2);
  textpane::CRtfDoc doc;
  doc.SetText(text.data(), text.size(), textpane::FORMAT_TEXT);
  errorPosition = 0;
  return doc.ParseReferences(ranges, &errorPosition, options);
}

void PrintPlace(const textpane::Reference& r, const char* after) {
  std::printf("%u\t%u\t%u%s", r.Book(), r.Chapter(), r.Verse(), after);
}

// The ranges of the text, or false when it holds none, "error POSITION" printed.
bool ParseOrReport(const Args& args, std::vector<textpane::Range>& ranges) {
  int errorPosition = 0;
  if (Parse(args, ranges, errorPosition)) return true;
  std::printf("error %d\n", errorPosition);
  return false;
}

void CmdParse(const Args& args) {
  std::vector<textpane::Range> ranges;
  if (!ParseOrReport(args, ranges)) return;
  for (const textpane::Range& r : ranges) {
    PrintPlace(r.Start(), "\t");
    PrintPlace(r.End(), "\t");
    std::printf("%u\t%d\t%zu\t%zu\n", r.Translation(), r.GetRangeType(), r.TextStart(), r.TextEnd());
  }
}

void CmdVerses(const Args& args) {
  std::vector<textpane::Range> ranges;
  if (!ParseOrReport(args, ranges)) return;
  for (const textpane::Range& r : ranges) {
    textpane::Reference at = r.Start();
    do PrintPlace(at, "\n");
    while (r.GetNextVerse(at));
  }
}

void CmdRange(const Args& args) {
  args.RequireCount(3, 3);
  RequireData();
  textpane::Range r;
  if (!r.SetFromString(args.At(2))) {
    std::printf("invalid\n");
    return;
  }
  // Without a name, the translation the numbers carry (if any).
  const unsigned short translation = args.Has("translation") ? TranslationId(args.Value("translation"))
                                                             : r.RequestedTranslation();
  if (!r.ResolveRange(translation)) {
    std::printf("invalid\n");
    return;
  }
  PrintPlace(r.Start(), "\t");
  PrintPlace(r.End(), "\t");
  std::printf("%u\t%u\t%s\t%s\n", r.RequestedTranslation(), r.ResolvingTranslation(),
              r.IsVerseRange() ? "verse" : r.IsChapterRange() ? "chapter" : "book",
              r.IsBackward() ? "backward" : "forward");
}

}  // namespace

void CmdRefs(const Words& words) {
  const std::string what = words.size() > 1 ? words[1] : std::string();
  if (what == "parse" || what == "verses") {
    Args args(words, {"translation"}, {"period", "lone-book"});
    what == "parse" ? CmdParse(args) : CmdVerses(args);
  } else if (what == "range") {
    CmdRange(Args(words, {"translation"}, {}));
  } else {
    throw UsageError(what.empty() ? "refs: a subcommand is needed" : "refs: unknown subcommand " + what);
  }
}

}  // namespace soltkit
