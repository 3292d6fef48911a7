// What our writer produces, other programs read: unrtf (Debian's) must find
// the same words in it as our own plain-text writer does. And what another
// program writes, we read: LibreOffice's RTF, with its style sheet, list
// tables, Unicode escapes and section words, must give the words and the
// formats it was asked to keep.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "textpane.h"
#include "textpane/rtf/outstream.h"
#include "textpane/rtf/rtfwriter.h"
#include "textpane/view/rangecopy.h"

namespace {

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string w;
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      w += ch;
    } else if (!w.empty()) {
      words.push_back(w);
      w.clear();
    }
  }
  if (!w.empty()) words.push_back(w);
  return words;
}

std::string ReadAll(FILE* p) {
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  return out;
}

std::string RunUnrtf(const std::string& path) {
  std::string command = "unrtf --text '" + path + "' 2>/dev/null";
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    out = ReadAll(p);
    ::pclose(p);
  }
  // unrtf starts with "###" comment lines and a rule of dashes.
  std::string body;
  size_t at = 0;
  while (at < out.size()) {
    size_t end = out.find('\n', at);
    if (end == std::string::npos) end = out.size();
    std::string line = out.substr(at, end - at);
    if (line.rfind("###", 0) != 0 && line.find_first_not_of('-') != std::string::npos) body += line + "\n";
    at = end + 1;
  }
  return body;
}

TEST(Interop, UnrtfReadsTheWordsWeWrite) {
  if (std::system("command -v unrtf >/dev/null 2>&1") != 0) GTEST_SKIP() << "unrtf is not installed";
  const std::vector<std::string> documents = {
      "{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}"
      "{\\colortbl;\\red0\\green0\\blue0;\\red128\\green0\\blue0;}"
      "\\pard\\sb240\\f1\\fs32\\b Notes on the Beginning\\par\\pard\\plain\\f0\\fs24 "
      "In the {\\i beginning} God created the {\\cf2 heaven} and the earth.\\par "
      "\\qc\\li720 A centred, indented paragraph with a tab\\tab and more words.\\par}",
      // Link targets are left out: to a program that does not know the book's
      // words, a target group is text.
      "{\\rtf1\\ansi\\soltstartlevel0 See {\\b John 3:16} and "
      "{\\soltconcordanceon}grace\\soltconcordanceoff  upon grace.\\par"
      "\\trowd\\cellx2000\\cellx4000 Cell one\\cell Cell two\\cell\\row\\pard After the table.\\par}",
  };
  const std::string path = testing::TempDir() + "interop.rtf";
  for (const std::string& rtf : documents) {
    textpane::CRtfDoc doc;
    doc.SetText(rtf.data(), rtf.size(), textpane::FORMAT_RTF);
    std::ofstream(path, std::ios::binary) << doc.GetText(textpane::FORMAT_RTF);
    EXPECT_EQ(Words(RunUnrtf(path)), Words(doc.GetText(textpane::FORMAT_TEXT))) << rtf;
  }
  std::remove(path.c_str());
}

// Converts `name` in `dir` to RTF with LibreOffice into dir/out and returns
// what it wrote (empty when the conversion failed).
std::string ConvertWithLibreOffice(const std::string& dir, const std::string& name, const std::string& filter) {
  std::string command = "cd '" + dir + "' && HOME='" + dir + "' soffice -env:UserInstallation=file://" + dir +
                        "/profile --headless " + filter + " --convert-to 'rtf:Rich Text Format' --outdir out '" +
                        name + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return {};
  std::string base = name.substr(0, name.rfind('.'));
  std::ifstream in(dir + "/out/" + base + ".rtf", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The words of the document with the formats a reader must not lose, one
// line per word: "word b i u align table".
std::string FormattedWords(const textpane::CRtfDoc& doc) {
  std::string out;
  for (const textpane::Paragraph* p = doc.FirstParagraph(); p; p = textpane::NextLeaf(p)) {
    const std::string& t = p->Text();
    const textpane::ParaFormat& pf = *p->Format();
    for (size_t i = 0; i < t.size();) {
      auto c = static_cast<unsigned char>(t[i]);
      if (!std::isalnum(c) && c < 0xC0) {
        ++i;
        continue;
      }
      size_t end = i;
      while (end < t.size() && (std::isalnum(static_cast<unsigned char>(t[end])) ||
                                static_cast<unsigned char>(t[end]) >= 0xC0)) {
        ++end;
      }
      const textpane::CharFormat& f = *p->FormatAt(i);
      out += t.substr(i, end - i) + " b" + std::to_string(f.bold) + " i" + std::to_string(f.italic) + " u" +
             std::to_string(f.underline != 0) + " a" + std::to_string(pf.alignment) + " t" +
             std::to_string(pf.inTable) + "\n";
      i = end;
    }
  }
  return out;
}

TEST(Interop, WeReadWhatLibreOfficeWrites) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice is not installed";
  std::string pattern = testing::TempDir() + "klmw-lo-XXXXXX";
  const std::string dir = ::mkdtemp(pattern.data());

  // Our document goes through LibreOffice and back: every word keeps its
  // character and paragraph format, and table text stays in the table.
  const std::string ours =
      "{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times New Roman;}}"
      "\\pard\\qc {\\b Psalm} {\\i twenty}\\par"
      "\\pard The LORD is my {\\ul shepherd}; I shall not want. Caf\\'e9 na\\'efve \\'c0 la.\\par"
      "\\trowd\\cellx2000\\cellx4000\\pard\\intbl He maketh\\cell {\\b me}\\cell\\row"
      "\\pard\\qr After the table.\\par}";
  textpane::CRtfDoc original;
  original.SetText(ours.data(), ours.size(), textpane::FORMAT_RTF);
  std::ofstream(dir + "/ours.rtf", std::ios::binary) << original.GetText(textpane::FORMAT_RTF);
  std::string theirs = ConvertWithLibreOffice(dir, "ours.rtf", "");
  ASSERT_FALSE(theirs.empty()) << "LibreOffice did not convert";
  textpane::CRtfDoc back;
  back.SetText(theirs.data(), theirs.size(), textpane::FORMAT_RTF);
  EXPECT_EQ(FormattedWords(original), FormattedWords(back));

  // A document LibreOffice authored from HTML: headings, links, a table and
  // a list come through as their words, in order, bold where it was bold.
  std::ofstream(dir + "/page.html", std::ios::binary)
      << "<html><head><meta charset=\"utf-8\"></head><body><h1>Title</h1>"
         "<p>Plain <b>bold</b> <i>italic</i> <a href=\"http://example.org\">link</a>.</p>"
         "<table border=1><tr><td>one</td><td>two</td></tr><tr><td>three</td><td>four</td></tr></table>"
         "<ul><li>first</li><li>second</li></ul><p align=center>centred</p></body></html>";
  theirs = ConvertWithLibreOffice(dir, "page.html", "--infilter='HTML (StarWriter)'");
  ASSERT_FALSE(theirs.empty()) << "LibreOffice did not convert";
  textpane::CRtfDoc page;
  page.SetText(theirs.data(), theirs.size(), textpane::FORMAT_RTF);
  EXPECT_EQ(Words(page.GetText(textpane::FORMAT_TEXT)),
            Words("Title Plain bold italic link one two three four first second centred"));
  std::string formats = FormattedWords(page);
  EXPECT_NE(formats.find("bold b1 i0"), std::string::npos) << formats;
  EXPECT_NE(formats.find("italic b0 i1"), std::string::npos) << formats;
  EXPECT_NE(formats.find("one b0 i0 u0 a0 t1"), std::string::npos) << formats;
  EXPECT_NE(formats.find("centred b0 i0 u0 a2 t0"), std::string::npos) << formats;
  std::filesystem::remove_all(dir);
}

// What the view puts on the clipboard when the user copies part of a page:
// pasted into LibreOffice it keeps its words, bold and italic, its font and
// colour, and the table row the selection crosses.
TEST(Interop, LibreOfficeKeepsTheFormatsOfACopiedRange) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice is not installed";
  std::string pattern = testing::TempDir() + "klmw-lo-XXXXXX";
  const std::string dir = ::mkdtemp(pattern.data());

  const std::string rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}"
      "{\\colortbl;\\red128\\green0\\blue0;}"
      "\\pard Left behind. In the {\\b beginning} was the {\\i Word}, in {\\f1 Arial} and {\\cf1 red}.\\par"
      "\\trowd\\cellx2000\\cellx4000\\pard\\intbl {\\b bold} cell\\cell {\\i italic} cell\\cell\\row"
      "\\pard After {\\b\\i strong} end. Not copied.\\par}";
  textpane::CRtfDoc doc;
  doc.SetText(rtf.data(), rtf.size(), textpane::FORMAT_RTF);
  textpane::Paragraph* first = doc.FirstParagraph();
  textpane::Paragraph* last = first;
  while (last->Text().rfind("After", 0) != 0) last = textpane::NextLeaf(last);
  textpane::CRtfDoc copy;
  textpane::CopyRange(doc, {last, last->Text().find(" Not")}, {first, first->Text().find("In ")}, copy);
  std::ofstream(dir + "/copy.rtf", std::ios::binary) << copy.GetText(textpane::FORMAT_RTF);

  const std::string theirs = ConvertWithLibreOffice(dir, "copy.rtf", "");
  ASSERT_FALSE(theirs.empty()) << "LibreOffice did not convert";
  textpane::CRtfDoc back;
  back.SetText(theirs.data(), theirs.size(), textpane::FORMAT_RTF);
  const std::string formats = FormattedWords(copy);
  EXPECT_EQ(formats.find("Left"), std::string::npos) << formats;
  EXPECT_NE(formats.find("strong b1 i1"), std::string::npos) << formats;
  EXPECT_EQ(FormattedWords(back), formats);

  // The face and the colour of a word, as the document's tables name them.
  auto faceAndColour = [](const textpane::CRtfDoc& d, const std::string& word) -> std::string {
    for (const textpane::Paragraph* p = d.FirstParagraph(); p; p = textpane::NextLeaf(p)) {
      const size_t at = p->Text().find(word);
      if (at == std::string::npos) continue;
      const textpane::CharFormat& f = *p->FormatAt(at);
      const textpane::FontEntry* font = d.Fonts().Find(f.font);
      return std::string(font ? font->faceName : "?") + " " +
             std::to_string(d.Colors().Lookup(f.foreground).value_or(0xFFFFFFFF));
    }
    return "missing";
  };
  EXPECT_EQ(faceAndColour(back, "Arial"), "Arial " + std::to_string(0xFFFFFFFF));
  EXPECT_EQ(faceAndColour(back, "red"), "Times New Roman " + std::to_string(128));

  // Book text as the clipboard carries it: a word processor shows the link's
  // words but neither its target nor a span's hidden key.
  const std::string book =
      "{\\rtf1 See {\\soltlink Genesis one}{\\soltlinkto4 1 1:1-1 1:5} and {\\soltconcordanceon keyword}light"
      "\\soltconcordanceoff  here.\\par}";
  textpane::CRtfDoc linked;
  linked.SetText(book.data(), book.size(), textpane::FORMAT_RTF);
  std::string clip;
  {
    textpane::OutStream out(clip, textpane::FORMAT_RTF);
    textpane::WriteDocument(linked, out, textpane::FORMAT_RTF, true);
  }
  std::ofstream(dir + "/clip.rtf", std::ios::binary) << clip;
  const std::string pasted = ConvertWithLibreOffice(dir, "clip.rtf", "");
  textpane::CRtfDoc shown;
  shown.SetText(pasted.data(), pasted.size(), textpane::FORMAT_RTF);
  EXPECT_EQ(Words(shown.GetText(textpane::FORMAT_TEXT)), Words("See Genesis one and light here."));
  std::filesystem::remove_all(dir);
}

}  // namespace
