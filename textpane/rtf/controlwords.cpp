#include <algorithm>
#include <cstddef>

#include "textpane/model/charformat.h"
#include "textpane/model/paraformat.h"
#include "textpane/model/tableformat.h"
#include "textpane/rtf/controlword.h"
#include "textpane/rtf/records.h"

namespace textpane {

namespace {

using K = WordKind;
using A = WordAction;

#define AT(Record, field) static_cast<int16_t>(offsetof(Record, field)), static_cast<uint8_t>(sizeof(Record::field))
#define NONE kNoTarget, 0

constexpr ControlWord kRoot[] = {
    {"rtf", K::Value, AT(RootRecord, version), 0, A::None},
};

// Outside the font table only these two; the entry words below are read
// while inside it, so a stray \f in the body never lands here.
constexpr ControlWord kFontTable[] = {
    {"deff", K::Value, NONE, 0, A::DefaultFont},
    {"fonttbl", K::Destination, NONE, 0, A::FontTable},
};

constexpr ControlWord kFontEntry[] = {
    {"cpg", K::Value, NONE, 0, A::None},
    {"f", K::Value, AT(FontWork, number), 0, A::None},
    {"falt", K::Destination, NONE, 0, A::SkipDestination},
    {"fbias", K::Value, NONE, 0, A::None},
    {"fbidi", K::Flag, AT(FontWork, family), 0, A::None},
    {"fcharset", K::Value, AT(FontWork, charSet), 0, A::None},
    {"fdecor", K::Flag, AT(FontWork, family), 5, A::None},
    {"fmodern", K::Flag, AT(FontWork, family), 3, A::None},
    {"fname", K::Destination, NONE, 0, A::SkipDestination},
    {"fnil", K::Flag, AT(FontWork, family), 0, A::None},
    {"fontemb", K::Destination, NONE, 0, A::SkipDestination},
    {"fontfile", K::Destination, NONE, 0, A::SkipDestination},
    {"fprq", K::Value, AT(FontWork, pitch), 0, A::None},
    {"froman", K::Flag, AT(FontWork, family), 1, A::None},
    {"fscript", K::Flag, AT(FontWork, family), 4, A::None},
    {"fswiss", K::Flag, AT(FontWork, family), 2, A::None},
    {"ftech", K::Flag, AT(FontWork, family), 0, A::None},
    {"ftnil", K::Flag, NONE, 0, A::None},
    {"fttruetype", K::Flag, NONE, 0, A::None},
};

constexpr ControlWord kFileTable[] = {
    {"fid", K::Value, NONE, 0, A::None},
    {"file", K::Destination, NONE, 0, A::None},
    {"filetbl", K::Destination, NONE, 0, A::SkipDestination},
    {"fnetwork", K::Flag, NONE, 0, A::None},
    {"fosnum", K::Value, NONE, 0, A::None},
    {"frelative", K::Value, NONE, 0, A::None},
    {"fvaliddos", K::Flag, NONE, 0, A::None},
    {"fvalidhpfs", K::Flag, NONE, 0, A::None},
    {"fvalidmac", K::Flag, NONE, 0, A::None},
    {"fvalidntfs", K::Flag, NONE, 0, A::None},
};

constexpr ControlWord kColorTable[] = {
    {"colortbl", K::Destination, NONE, 0, A::ColorTable},
};

constexpr ControlWord kColorEntry[] = {
    {"blue", K::Value, AT(ColorWork, blue), 0, A::None},
    {"green", K::Value, AT(ColorWork, green), 0, A::None},
    {"red", K::Value, AT(ColorWork, red), 0, A::None},
};

constexpr ControlWord kStylesheet[] = {
    {"additive", K::Flag, NONE, 0, A::None},
    {"cs", K::Value, NONE, 0, A::None},
    {"ds", K::Value, NONE, 0, A::None},
    {"s", K::Value, NONE, 0, A::None},
    {"sautoupd", K::Flag, NONE, 0, A::None},
    {"sbasedon", K::Value, NONE, 0, A::None},
    {"shidden", K::Flag, NONE, 0, A::None},
    {"snext", K::Value, NONE, 0, A::None},
    {"stylesheet", K::Destination, NONE, 0, A::SkipDestination},
};

constexpr ControlWord kRevisionTable[] = {
    {"revtbl", K::Destination, NONE, 0, A::SkipDestination},
};

constexpr ControlWord kInfo[] = {
    {"author", K::Destination, NONE, 0, A::SkipDestination},
    {"buptim", K::Destination, NONE, 0, A::SkipDestination},
    {"comment", K::Destination, NONE, 0, A::SkipDestination},
    {"creatim", K::Destination, NONE, 0, A::SkipDestination},
    {"doccomm", K::Destination, NONE, 0, A::SkipDestination},
    {"dy", K::Value, NONE, 0, A::None},
    {"edmins", K::Value, NONE, 0, A::None},
    {"hr", K::Value, NONE, 0, A::None},
    {"id", K::Value, NONE, 0, A::None},
    {"info", K::Destination, NONE, 0, A::SkipDestination},
    {"keywords", K::Destination, NONE, 0, A::SkipDestination},
    {"min", K::Value, NONE, 0, A::None},
    {"mo", K::Value, NONE, 0, A::None},
    {"nofchars", K::Value, NONE, 0, A::None},
    {"nofcharsws", K::Value, NONE, 0, A::None},
    {"nofpages", K::Value, NONE, 0, A::None},
    {"nofwords", K::Value, NONE, 0, A::None},
    {"operator", K::Destination, NONE, 0, A::SkipDestination},
    {"printim", K::Destination, NONE, 0, A::SkipDestination},
    {"revtim", K::Destination, NONE, 0, A::SkipDestination},
    {"subject", K::Destination, NONE, 0, A::SkipDestination},
    {"title", K::Destination, NONE, 0, A::SkipDestination},
    {"vern", K::Value, NONE, 0, A::None},
    {"version", K::Value, NONE, 0, A::None},
    {"yr", K::Value, NONE, 0, A::None},
};

constexpr ControlWord kSpecial[] = {
    {"'", K::Symbol, NONE, 0, A::HexByte},
    {"-", K::Symbol, NONE, 31, A::InsertSymbol},
    {"\\", K::Symbol, NONE, 92, A::InsertSymbol},
    {"_", K::Symbol, NONE, 30, A::InsertSymbol},
    {"bullet", K::Symbol, NONE, 149, A::InsertSymbol},
    {"cell", K::Symbol, NONE, 0, A::EndCell},
    {"emdash", K::Symbol, NONE, 151, A::InsertSymbol},
    {"emspace", K::Symbol, NONE, 32, A::InsertSymbol},
    {"endash", K::Symbol, NONE, 150, A::InsertSymbol},
    {"enspace", K::Symbol, NONE, 32, A::InsertSymbol},
    {"ldblquote", K::Symbol, NONE, 147, A::InsertSymbol},
    {"line", K::Symbol, NONE, 10, A::InsertSymbol},
    {"lquote", K::Symbol, NONE, 145, A::InsertSymbol},
    // The document has no pages: a page break ends the paragraph.
    {"page", K::Symbol, NONE, 13, A::InsertSymbol},
    {"par", K::Symbol, NONE, 13, A::InsertSymbol},
    {"pict", K::Destination, NONE, 0, A::Picture},
    {"rdblquote", K::Symbol, NONE, 148, A::InsertSymbol},
    {"row", K::Symbol, NONE, 0, A::EndRow},
    {"rquote", K::Symbol, NONE, 146, A::InsertSymbol},
    {"sect", K::Symbol, NONE, 0, A::StartSection},
    {"soltstartlevel", K::LongValue, NONE, 0, A::StartLevel},
    {"tab", K::Symbol, NONE, 9, A::InsertSymbol},
    {"trowd", K::Symbol, NONE, 0, A::RowDefinition},
    {"{", K::Symbol, NONE, 123, A::InsertSymbol},
    {"}", K::Symbol, NONE, 125, A::InsertSymbol},
    {"~", K::Symbol, NONE, 160, A::InsertSymbol},
};

constexpr ControlWord kCharacter[] = {
    {"b", K::Toggle, AT(CharFormat, bold), 1, A::None},
    {"caps", K::Toggle, AT(CharFormat, caps), 1, A::None},
    {"cb", K::Value, AT(CharFormat, background), 0, A::None},
    {"cf", K::Value, AT(CharFormat, foreground), 0, A::None},
    {"charscalex", K::Value, NONE, 100, A::None},
    {"cs", K::Value, NONE, 0, A::None},
    {"dn", K::Value, NONE, 6, A::None},
    {"expnd", K::Value, AT(CharFormat, expansion), 0, A::Times5},
    {"expndtw", K::Value, AT(CharFormat, expansion), 0, A::None},
    {"f", K::Value, AT(CharFormat, font), 0, A::None},
    {"fs", K::Value, AT(CharFormat, size), 24, A::Times10},
    {"highlight", K::Value, NONE, 0, A::None},
    {"i", K::Toggle, AT(CharFormat, italic), 1, A::None},
    {"kerning", K::Value, AT(CharFormat, kerning), 0, A::Times10},
    {"lang", K::Value, AT(CharFormat, language), 1024, A::None},
    {"ltrch", K::Flag, AT(CharFormat, rightToLeft), 0, A::None},
    {"nosupersub", K::Flag, AT(CharFormat, verticalPosition), kVertNormal, A::None},
    {"outl", K::Toggle, NONE, 1, A::None},
    {"plain", K::Flag, NONE, 0, A::Plain},
    {"rtlch", K::Flag, AT(CharFormat, rightToLeft), 1, A::None},
    {"scaps", K::Toggle, AT(CharFormat, smallCaps), 1, A::None},
    {"shad", K::Toggle, NONE, 1, A::None},
    {"soltconcordanceoff", K::Flag, AT(CharFormat, concordance), kConcordanceOutside, A::ConcordanceOff},
    {"soltconcordanceon", K::Flag, AT(CharFormat, concordance), kConcordanceInside, A::ConcordanceOn},
    {"soltlink", K::Flag, AT(CharFormat, linkText), 1, A::None},
    {"soltlinkto", K::Value, AT(CharFormat, linkType), kNoLinkType, A::FinishLink},
    {"strike", K::Toggle, AT(CharFormat, strike), 1, A::None},
    {"striked", K::Toggle, AT(CharFormat, strike), 1, A::None},
    {"sub", K::Flag, AT(CharFormat, verticalPosition), kVertSubscript, A::None},
    {"super", K::Flag, AT(CharFormat, verticalPosition), kVertSuperscript, A::None},
    {"ul", K::Toggle, AT(CharFormat, underline), 1, A::None},
    {"uld", K::Toggle, AT(CharFormat, underline), 1, A::None},
    {"uldash", K::Toggle, AT(CharFormat, underline), 1, A::None},
    {"uldb", K::Toggle, AT(CharFormat, underline), 1, A::None},
    {"ulnone", K::Flag, AT(CharFormat, underline), 0, A::None},
    {"ulth", K::Toggle, AT(CharFormat, underline), 1, A::None},
    {"ulw", K::Toggle, AT(CharFormat, underline), 1, A::None},
    {"up", K::Value, NONE, 6, A::None},
    {"v", K::Toggle, AT(CharFormat, hidden), 1, A::None},
};

constexpr ControlWord kBorder[] = {
    {"brdrcf", K::Value, AT(BorderSpec, colour), 0, A::None},
    {"brdrdash", K::Flag, AT(BorderSpec, style), kBorderDashed, A::None},
    {"brdrdb", K::Flag, AT(BorderSpec, style), kBorderDouble, A::None},
    {"brdrdot", K::Flag, AT(BorderSpec, style), kBorderDotted, A::None},
    {"brdrhair", K::Flag, AT(BorderSpec, style), kBorderHairline, A::None},
    {"brdrs", K::Flag, AT(BorderSpec, style), kBorderSingle, A::None},
    {"brdrsh", K::Flag, AT(BorderSpec, style), kBorderShadow, A::None},
    {"brdrth", K::Flag, AT(BorderSpec, style), kBorderThick, A::None},
    {"brdrw", K::Value, AT(BorderSpec, width), 0, A::None},
    {"brsp", K::Value, AT(BorderSpec, space), 0, A::None},
};

// Sides of \box: all four.
inline constexpr int32_t kAllSides = 6;

constexpr ControlWord kParagraph[] = {
    {"box", K::Flag, NONE, kAllSides, A::SelectBorder},
    {"brdrb", K::Flag, NONE, kSideBottom, A::SelectBorder},
    {"brdrl", K::Flag, NONE, kSideLeft, A::SelectBorder},
    {"brdrr", K::Flag, NONE, kSideRight, A::SelectBorder},
    {"brdrt", K::Flag, NONE, kSideTop, A::SelectBorder},
    {"faauto", K::Value, NONE, 0, A::None},
    {"fi", K::Value, AT(ParaFormat, firstIndent), 0, A::None},
    {"hyphpar", K::Toggle, NONE, 1, A::None},
    {"intbl", K::Flag, AT(ParaFormat, inTable), 1, A::None},
    {"keep", K::Flag, NONE, 0, A::None},
    {"keepn", K::Flag, NONE, 0, A::None},
    {"level", K::Value, NONE, 0, A::None},
    {"li", K::Value, AT(ParaFormat, leftIndent), 0, A::None},
    {"ltrpar", K::Flag, AT(ParaFormat, rightToLeft), 0, A::None},
    {"noline", K::Flag, NONE, 0, A::None},
    {"nowidctlpar", K::Flag, NONE, 0, A::None},
    {"outlinelevel", K::Value, NONE, 0, A::None},
    {"pagebb", K::Flag, NONE, 0, A::None},
    {"pard", K::Flag, NONE, 0, A::ParagraphDefault},
    {"qc", K::Flag, AT(ParaFormat, alignment), kAlignCentre, A::None},
    {"qj", K::Flag, AT(ParaFormat, alignment), kAlignJustify, A::None},
    {"ql", K::Flag, AT(ParaFormat, alignment), kAlignLeft, A::None},
    {"qr", K::Flag, AT(ParaFormat, alignment), kAlignRight, A::None},
    {"ri", K::Value, AT(ParaFormat, rightIndent), 0, A::None},
    {"rtlpar", K::Flag, AT(ParaFormat, rightToLeft), 1, A::None},
    {"s", K::Value, NONE, 0, A::None},
    {"sa", K::Value, AT(ParaFormat, spaceAfter), 0, A::None},
    {"sb", K::Value, AT(ParaFormat, spaceBefore), 0, A::None},
    {"sl", K::Value, NONE, 0, A::None},
    {"slmult", K::Value, NONE, 0, A::None},
    {"tb", K::Value, AT(ParaFormat, tabPosition), 0, A::BarTab},
    {"tldot", K::Flag, AT(ParaFormat, tabLeader), kLeaderDots, A::None},
    {"tleq", K::Flag, AT(ParaFormat, tabLeader), kLeaderEquals, A::None},
    {"tlhyph", K::Flag, AT(ParaFormat, tabLeader), kLeaderHyphens, A::None},
    {"tlth", K::Flag, AT(ParaFormat, tabLeader), kLeaderThick, A::None},
    {"tlul", K::Flag, AT(ParaFormat, tabLeader), kLeaderUnderline, A::None},
    {"tqc", K::Flag, AT(ParaFormat, tabKind), kTabCentre, A::None},
    {"tqdec", K::Flag, AT(ParaFormat, tabKind), kTabDecimal, A::None},
    {"tqr", K::Flag, AT(ParaFormat, tabKind), kTabRight, A::None},
    {"tx", K::Value, AT(ParaFormat, tabPosition), 0, A::TabStop},
    {"widctlpar", K::Flag, NONE, 0, A::None},
};

constexpr ControlWord kSection[] = {
    {"cols", K::Value, NONE, 1, A::None},
    {"colsx", K::Value, NONE, 720, A::None},
    {"endnhere", K::Flag, NONE, 0, A::None},
    {"footer", K::Destination, NONE, 0, A::SkipDestination},
    {"footerf", K::Destination, NONE, 0, A::SkipDestination},
    {"footerl", K::Destination, NONE, 0, A::SkipDestination},
    {"footerr", K::Destination, NONE, 0, A::SkipDestination},
    {"footery", K::Value, NONE, 720, A::None},
    {"guttersxn", K::Value, NONE, 0, A::None},
    {"header", K::Destination, NONE, 0, A::SkipDestination},
    {"headerf", K::Destination, NONE, 0, A::SkipDestination},
    {"headerl", K::Destination, NONE, 0, A::SkipDestination},
    {"headerr", K::Destination, NONE, 0, A::SkipDestination},
    {"headery", K::Value, NONE, 720, A::None},
    {"linebetcol", K::Flag, NONE, 0, A::None},
    {"linemod", K::Value, NONE, 0, A::None},
    {"linex", K::Value, NONE, 360, A::None},
    {"lndscpsxn", K::Flag, AT(SectionFormat, landscape), 1, A::None},
    {"margbsxn", K::Value, NONE, 0, A::None},
    {"marglsxn", K::Value, NONE, 0, A::None},
    {"margrsxn", K::Value, NONE, 0, A::None},
    {"margtsxn", K::Value, NONE, 0, A::None},
    {"pghsxn", K::Value, NONE, 0, A::None},
    {"pgncont", K::Flag, NONE, 0, A::None},
    {"pgndec", K::Flag, NONE, 0, A::None},
    {"pgnrestart", K::Flag, NONE, 0, A::None},
    {"pgnstarts", K::Value, NONE, 1, A::None},
    {"pgwsxn", K::Value, NONE, 0, A::None},
    {"sbkcol", K::Flag, AT(SectionFormat, breakKind), kBreakColumn, A::None},
    {"sbkeven", K::Flag, AT(SectionFormat, breakKind), kBreakEven, A::None},
    {"sbknone", K::Flag, AT(SectionFormat, breakKind), kBreakNone, A::None},
    {"sbkodd", K::Flag, AT(SectionFormat, breakKind), kBreakOdd, A::None},
    {"sbkpage", K::Flag, AT(SectionFormat, breakKind), kBreakPage, A::None},
    {"sectd", K::Flag, NONE, 0, A::SectionDefault},
    {"titlepg", K::Flag, NONE, 0, A::None},
    {"vertalb", K::Flag, NONE, 0, A::None},
    {"vertalc", K::Flag, NONE, 0, A::None},
    {"vertalj", K::Flag, NONE, 0, A::None},
    {"vertalt", K::Flag, NONE, 0, A::None},
};

constexpr ControlWord kDocument[] = {
    {"aenddoc", K::Flag, NONE, 0, A::None},
    {"aftncn", K::Destination, NONE, 0, A::SkipDestination},
    {"aftnsep", K::Destination, NONE, 0, A::SkipDestination},
    {"aftnsepc", K::Destination, NONE, 0, A::SkipDestination},
    {"ansi", K::Flag, NONE, 0, A::None},
    {"ansicpg", K::Value, NONE, 1252, A::None},
    {"deflang", K::Value, AT(DocFormat, language), 1024, A::None},
    {"deflangfe", K::Value, NONE, 1024, A::None},
    {"deftab", K::Value, AT(DocFormat, defaultTab), 720, A::None},
    {"enddoc", K::Flag, NONE, 0, A::None},
    {"facingp", K::Flag, NONE, 0, A::None},
    {"fet", K::Value, NONE, 0, A::None},
    {"formshade", K::Flag, NONE, 0, A::None},
    {"ftnbj", K::Flag, NONE, 0, A::None},
    {"ftncn", K::Destination, NONE, 0, A::SkipDestination},
    {"ftnsep", K::Destination, NONE, 0, A::SkipDestination},
    {"ftnsepc", K::Destination, NONE, 0, A::SkipDestination},
    {"gutter", K::Value, NONE, 0, A::None},
    {"landscape", K::Flag, AT(DocFormat, landscape), 1, A::None},
    {"mac", K::Flag, NONE, 0, A::None},
    {"margb", K::Value, AT(DocFormat, marginBottom), 1440, A::None},
    {"margl", K::Value, AT(DocFormat, marginLeft), 1800, A::None},
    {"margmirror", K::Flag, NONE, 0, A::None},
    {"margr", K::Value, AT(DocFormat, marginRight), 1800, A::None},
    {"margt", K::Value, AT(DocFormat, marginTop), 1440, A::None},
    {"nextfile", K::Destination, NONE, 0, A::SkipDestination},
    {"paperh", K::Value, AT(DocFormat, paperHeight), 15840, A::None},
    {"paperw", K::Value, AT(DocFormat, paperWidth), 12240, A::None},
    {"pc", K::Flag, NONE, 0, A::None},
    {"pca", K::Flag, NONE, 0, A::None},
    {"template", K::Destination, NONE, 0, A::SkipDestination},
    {"uc", K::Value, NONE, 1, A::None},
    {"viewkind", K::Value, NONE, 0, A::None},
    {"viewscale", K::Value, NONE, 100, A::None},
    {"widowctrl", K::Flag, NONE, 0, A::None},
};

constexpr ControlWord kRow[] = {
    {"irow", K::Value, NONE, 0, A::None},
    {"trbrdrb", K::Flag, NONE, kSideBottom, A::SelectRowBorder},
    {"trbrdrh", K::Flag, NONE, kSideInsideH, A::SelectRowBorder},
    {"trbrdrl", K::Flag, NONE, kSideLeft, A::SelectRowBorder},
    {"trbrdrr", K::Flag, NONE, kSideRight, A::SelectRowBorder},
    {"trbrdrt", K::Flag, NONE, kSideTop, A::SelectRowBorder},
    {"trbrdrv", K::Flag, NONE, kSideInsideV, A::SelectRowBorder},
    {"trgaph", K::Value, AT(RowFormat, halfGap), 0, A::None},
    {"trhdr", K::Flag, AT(RowFormat, header), 1, A::None},
    {"trkeep", K::Flag, AT(RowFormat, keep), 1, A::None},
    {"trleft", K::Value, AT(RowFormat, left), 0, A::None},
    {"trqc", K::Flag, AT(RowFormat, alignment), kAlignCentre, A::None},
    {"trql", K::Flag, AT(RowFormat, alignment), kAlignLeft, A::None},
    {"trqr", K::Flag, AT(RowFormat, alignment), kAlignRight, A::None},
    {"trrh", K::Value, AT(RowFormat, height), 0, A::None},
};

constexpr ControlWord kShading[] = {
    {"bgbdiag", K::Flag, AT(Shading, pattern), 4, A::None},
    {"bgcross", K::Flag, AT(Shading, pattern), 5, A::None},
    {"bgdcross", K::Flag, AT(Shading, pattern), 6, A::None},
    {"bgdkbdiag", K::Flag, AT(Shading, pattern), 10, A::None},
    {"bgdkcross", K::Flag, AT(Shading, pattern), 11, A::None},
    {"bgdkdcross", K::Flag, AT(Shading, pattern), 12, A::None},
    {"bgdkfdiag", K::Flag, AT(Shading, pattern), 9, A::None},
    {"bgdkhoriz", K::Flag, AT(Shading, pattern), 7, A::None},
    {"bgdkvert", K::Flag, AT(Shading, pattern), 8, A::None},
    {"bgfdiag", K::Flag, AT(Shading, pattern), 3, A::None},
    {"bghoriz", K::Flag, AT(Shading, pattern), 1, A::None},
    {"bgvert", K::Flag, AT(Shading, pattern), 2, A::None},
    {"cbpat", K::Value, AT(Shading, background), 0, A::None},
    {"cfpat", K::Value, AT(Shading, foreground), 0, A::None},
    {"shading", K::Value, AT(Shading, percentage), 0, A::None},
};

constexpr ControlWord kCellShading[] = {
    {"clbgbdiag", K::Flag, AT(Shading, pattern), 4, A::None},
    {"clbgcross", K::Flag, AT(Shading, pattern), 5, A::None},
    {"clbgdcross", K::Flag, AT(Shading, pattern), 6, A::None},
    {"clbgdkbdiag", K::Flag, AT(Shading, pattern), 10, A::None},
    {"clbgdkcross", K::Flag, AT(Shading, pattern), 11, A::None},
    {"clbgdkdcross", K::Flag, AT(Shading, pattern), 12, A::None},
    {"clbgdkfdiag", K::Flag, AT(Shading, pattern), 9, A::None},
    {"clbgdkhor", K::Flag, AT(Shading, pattern), 7, A::None},
    {"clbgdkvert", K::Flag, AT(Shading, pattern), 8, A::None},
    {"clbgfdiag", K::Flag, AT(Shading, pattern), 3, A::None},
    {"clbghoriz", K::Flag, AT(Shading, pattern), 1, A::None},
    {"clbgvert", K::Flag, AT(Shading, pattern), 2, A::None},
    {"clcbpat", K::Value, AT(Shading, background), 0, A::None},
    {"clcfpat", K::Value, AT(Shading, foreground), 0, A::None},
    {"clshdng", K::Value, AT(Shading, percentage), 0, A::None},
};

constexpr ControlWord kCell[] = {
    {"cellx", K::Value, AT(CellFormat, rightBoundary), 0, A::CellBoundary},
    {"clbrdrb", K::Flag, NONE, kSideBottom, A::SelectCellBorder},
    {"clbrdrl", K::Flag, NONE, kSideLeft, A::SelectCellBorder},
    {"clbrdrr", K::Flag, NONE, kSideRight, A::SelectCellBorder},
    {"clbrdrt", K::Flag, NONE, kSideTop, A::SelectCellBorder},
    {"clmgf", K::Flag, NONE, 0, A::None},
    {"clmrg", K::Flag, NONE, 0, A::None},
};

constexpr ControlWord kPicture[] = {
    {"bin", K::LongValue, NONE, 0, A::BinaryData},
    {"bliptag", K::LongValue, NONE, 0, A::None},
    {"dibitmap", K::LongValue, NONE, kPictDib, A::PictureType},
    {"emfblip", K::Flag, AT(PictureWork, kind), kPictOther, A::None},
    {"jpegblip", K::Flag, AT(PictureWork, kind), kPictJpeg, A::None},
    {"macpict", K::Flag, AT(PictureWork, kind), kPictOther, A::None},
    {"picbmp", K::Flag, AT(PictureWork, bitmap), 1, A::None},
    {"picbpp", K::LongValue, AT(PictureWork, bitsPerPixel), 0, A::None},
    {"pich", K::LongValue, AT(PictureWork, height), 0, A::None},
    {"pichgoal", K::LongValue, AT(PictureWork, goalHeight), 0, A::None},
    {"picscalex", K::LongValue, AT(PictureWork, scaleX), 100, A::None},
    {"picscaley", K::LongValue, AT(PictureWork, scaleY), 100, A::None},
    {"picw", K::LongValue, AT(PictureWork, width), 0, A::None},
    {"picwgoal", K::LongValue, AT(PictureWork, goalWidth), 0, A::None},
    {"pmmetafile", K::LongValue, NONE, kPictOther, A::PictureType},
    {"pngblip", K::Flag, AT(PictureWork, kind), kPictPng, A::None},
    {"wbitmap", K::LongValue, NONE, kPictDdb, A::PictureType},
    {"wbmbitspixel", K::LongValue, AT(PictureWork, bitsPixel), 1, A::None},
    {"wbmplanes", K::LongValue, AT(PictureWork, planes), 1, A::None},
    {"wbmwidthbytes", K::LongValue, AT(PictureWork, widthBytes), 0, A::None},
    {"wmetafile", K::LongValue, NONE, kPictMetafile, A::PictureType},
};

#undef AT
#undef NONE

template <size_t N>
constexpr bool WellFormed(const ControlWord (&t)[N]) {
  for (size_t i = 0; i < N; ++i) {
    if (i > 0 && !(t[i - 1].name < t[i].name)) return false;
    if (t[i].target != kNoTarget && t[i].targetSize != TargetWidth(t[i].kind)) return false;
  }
  return true;
}

#define CHECKED(t) static_assert(WellFormed(t), #t " must be sorted, and each target as wide as its kind writes")
CHECKED(kRoot);
CHECKED(kFontTable);
CHECKED(kFontEntry);
CHECKED(kFileTable);
CHECKED(kColorTable);
CHECKED(kColorEntry);
CHECKED(kStylesheet);
CHECKED(kRevisionTable);
CHECKED(kInfo);
CHECKED(kSpecial);
CHECKED(kCharacter);
CHECKED(kBorder);
CHECKED(kParagraph);
CHECKED(kSection);
CHECKED(kDocument);
CHECKED(kRow);
CHECKED(kShading);
CHECKED(kCellShading);
CHECKED(kCell);
CHECKED(kPicture);
#undef CHECKED

constexpr std::span<const ControlWord> kTables[] = {
    kRoot, kFontTable, kFontEntry, kFileTable, kColorTable, kColorEntry, kStylesheet, kRevisionTable, kInfo,
    kSpecial, kCharacter, kBorder, kParagraph, kSection, kDocument, kRow, kShading, kCellShading, kCell, kPicture,
};
static_assert(std::size(kTables) == static_cast<size_t>(RtfTable::Count));

}  // namespace

std::span<const ControlWord> ControlWords(RtfTable table) { return kTables[static_cast<size_t>(table)]; }

const ControlWord* FindControlWord(std::span<const ControlWord> table, std::string_view name) {
  auto it = std::lower_bound(table.begin(), table.end(), name,
                             [](const ControlWord& w, std::string_view n) { return w.name < n; });
  return it != table.end() && it->name == name ? &*it : nullptr;
}

}  // namespace textpane
