// Commands on rich text: the document model as the engine reads it.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>

#include "textpane.h"
#include "textpane/layout/fixedfonts.h"
#include "textpane/layout/layout.h"
#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace soltkit {
namespace {

std::string ReadInput(const std::string& name) {
  if (name == "-") return std::string(std::istreambuf_iterator<char>(std::cin), {});
  std::ifstream in(name, std::ios::binary);
  if (!in) throw InputError("cannot read " + name);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Text between double quotes, with control bytes and the quote escaped.
std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\\' || c == '"') {
      out += '\\';
      out += ch;
    } else if (c < 32) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

void Dump(textpane::CRtfDoc& doc) {
  std::set<const void*> links;
  int index = 0;
  for (textpane::Paragraph* p = doc.FirstParagraph(); p; p = textpane::NextLeaf(p), ++index) {
    const textpane::ParaFormat& pf = *p->Format();
    std::printf("P\t%d\t%d\t%d\t%d\t%d\n", index, pf.alignment, pf.leftIndent, pf.rightIndent, pf.firstIndent);
    size_t offset = 0;
    for (const textpane::Run& run : p->Runs()) {
      const textpane::CharFormat& f = *run.format;
      std::printf("R\t%u\t%u\t%u\t%u\t%u\t%u\t%u\t%u\t%u\t%u\t%u\t%u\t%d\t%u\t%u\t%s\n", run.length, f.bold, f.italic,
                  f.underline, f.hidden, f.caps, f.smallCaps, f.size, f.font, f.foreground, f.background, f.linkType,
                  f.level, f.concordance, f.mark, Quote(std::string_view(p->Text()).substr(offset, run.length)).c_str());
      if (f.link && links.insert(f.link.get()).second)
        std::printf("L\t%d\t%s\n", f.link->Type(), Quote(f.link->Target()).c_str());
      if (f.picture)
        std::printf("I\t%d\t%d\t%d\t%d\n", f.picture->width, f.picture->height, f.picture->GoalWidth(),
                    f.picture->GoalHeight());
      offset += run.length;
    }
  }
  for (size_t level = 0; level < doc.Levels().Count(); ++level)
    std::printf("V\t%zu\t%lld\n", level, static_cast<long long>(doc.LevelPosition(static_cast<int32_t>(level))));
}

// The lines of every paragraph, a table row's after its cells' paragraphs.
void PrintLayout(const textpane::DocumentLayout& layout) {
  for (size_t b = 0; b < layout.Bands().size(); ++b) {
    const textpane::LayoutBand& band = layout.Bands()[b];
    for (const textpane::PlacedParagraph& p : layout.BandParagraphs(b)) {
      std::printf("P\t%zu\t%d\t%d\n", layout.IndexOf(p), p.height, layout.Widest(p));
      for (const textpane::LayoutLine& l : layout.Lines(p)) {
        std::printf("L\t%u\t%u\t%d\t%d\t%d\t%d\t%d\n", l.start, l.end, l.width, l.spaceWidth, l.height, l.ascent,
                    l.x);
      }
    }
    if (band.row >= 0) {
      const textpane::PlacedRow& r = layout.Rows()[static_cast<size_t>(band.row)];
      std::printf("ROW\t%d\t%d\n", r.left, r.height);
    }
  }
}

}  // namespace

// The stretches of consecutive marked characters: start length "text".
void PrintMarks(const textpane::CRtfDoc& doc) {
  textpane::TextPos pos = 0, start = -1;
  std::string text;
  auto flush = [&] {
    if (start >= 0) std::printf("%lld %zu %s\n", static_cast<long long>(start), text.size(), Quote(text).c_str());
    start = -1;
    text.clear();
  };
  for (const textpane::Paragraph* p = doc.FirstParagraph(); p; p = textpane::NextLeaf(p)) {
    size_t offset = 0;
    for (const textpane::Run& run : p->Runs()) {
      if (!run.format->mark) {
        flush();
      } else {
        if (start < 0) start = pos;
        text.append(p->Text(), offset, run.length);
      }
      offset += run.length;
      pos += run.length;
    }
  }
  flush();
}

void CmdRtf(const Words& words) {
  Args args(words, {"width"}, {"from-level", "fixed", "case", "all"});
  if (args.Count() < 2) throw UsageError("rtf needs a command and a file");
  const std::string& what = args.At(1);
  const bool search = what == "find" || what == "mark";
  if (what != "dump" && what != "text" && what != "rtf" && what != "layout" && !search)
    throw UsageError("unknown rtf command " + what);
  if (what == "find") args.RequireCount(5, 5);
  else if (what == "mark") args.RequireCount(5, SIZE_MAX);
  else args.RequireCount(3, 3);
  if (args.Has("from-level") && what != "text") throw UsageError("--from-level goes with rtf text");
  if (what == "layout" && !args.Has("width")) throw UsageError("rtf layout needs --width TWIPS");
  if (what != "layout" && (args.Has("width") || args.Has("fixed")))
    throw UsageError("--width and --fixed go with rtf layout");
  if (!search && args.Has("case")) throw UsageError("--case goes with rtf find and rtf mark");
  if (what != "find" && args.Has("all")) throw UsageError("--all goes with rtf find");
  const std::string input = ReadInput(args.At(2));
  textpane::CRtfDoc doc;
  doc.SetText(input.data(), input.size(), args.Has("from-level") ? textpane::FORMAT_RTF_FROM_LEVEL : textpane::FORMAT_RTF);
  if (what == "dump") {
    Dump(doc);
    return;
  }
  if (search) {
    const int level = static_cast<int>(ParseInteger(args.At(3), "LEVEL", 0, INT32_MAX));
    if (what == "find") {
      std::printf("%d\n", doc.SearchForPhrase(level, args.At(4).c_str(), args.Has("case"), args.Has("all")));
      return;
    }
    std::vector<std::string> phrases;
    for (size_t i = 4; i < args.Count(); ++i) phrases.push_back(args.At(i));
    doc.MarkPhrases(level, phrases, args.Has("case"));
    PrintMarks(doc);
    return;
  }
  if (what == "layout") {
    const auto width = static_cast<int32_t>(args.Integer("width", 0, 0, 1000000));
    textpane::FontSystem* fonts = args.Has("fixed") ? &textpane::FixedFontSystem::Instance() : PlatformFontSystem();
    if (!fonts) throw InputError("the platform's fonts are not available here; use --fixed");
    textpane::DocumentLayout layout;
    layout.Layout(doc, textpane::FontCache::ForScaling(*fonts, 100), width);
    PrintLayout(layout);
    return;
  }
  const std::string out = doc.GetText(what == "text" ? textpane::FORMAT_TEXT : textpane::FORMAT_RTF);
  if (!out.empty() && std::fwrite(out.data(), 1, out.size(), stdout) != out.size())
    throw InputError("cannot write to standard output");
}

}  // namespace soltkit
