// What our writer produces, other programs read: unrtf (Debian's) must find
// the same words in it as our own plain-text writer does.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "textpane/model/rtfdoc.h"

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

std::string RunUnrtf(const std::string& path) {
  std::string command = "unrtf --text '" + path + "' 2>/dev/null";
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
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

}  // namespace
