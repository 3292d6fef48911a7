#include "tools/compiler/rtfscan.h"

#include <cctype>
#include <cstring>

#include "platform/cp1252.h"
#include "soltread/util.h"

namespace solt {
namespace {

bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Letters and digits of Windows-1252: the characters a word is made of.
bool IsWordChar(unsigned char c) {
  if (IsLetter(c) || IsDigit(c)) return true;
  if (c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9A || c == 0x9C || c == 0x9E || c == 0x9F) return true;
  return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

// Splits at white space, the non-breaking space and dashes; punctuation at
// either end of a word is not part of it ("beginning," is "beginning"), inside
// it is ("1,000", "don't").
class cWordCollector {
 public:
  explicit cWordCollector(std::vector<std::string>& words) : m_words(words) {}
  void Add(unsigned char c) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0xA0 || c == 0x96 || c == 0x97) {
      Break();
      return;
    }
    m_current += static_cast<char>(c);
  }
  void Break() {
    size_t b = 0, e = m_current.size();
    while (b < e && !IsWordChar(static_cast<unsigned char>(m_current[b]))) ++b;
    while (e > b && !IsWordChar(static_cast<unsigned char>(m_current[e - 1]))) --e;
    if (e > b) {
      std::string word = m_current.substr(b, e - b);
      for (char& ch : word) ch = static_cast<char>(FoldCase(static_cast<unsigned char>(ch)));
      m_words.push_back(std::move(word));
    }
    m_current.clear();
  }

 private:
  std::vector<std::string>& m_words;
  std::string m_current;
};

// Groups whose text is not part of the section's readable text.
bool IsDestination(std::string_view word) {
  static const char* const kWords[] = {
      "fonttbl",   "colortbl",   "stylesheet", "info",      "pict",      "header",    "headerl",
      "headerr",   "headerf",    "footer",     "footerl",   "footerr",   "footerf",   "fldinst",
      "object",    "themedata",  "listtable",  "listoverridetable", "generator", "xmlnstbl",
      "rsidtbl",   "latentstyles", "datastore", "pgdsctbl", "footnote",  "bkmkstart", "bkmkend",
      "title",     "author",     "operator",   "company",   "comment",   "nonshppict", "shppict",
  };
  for (const char* w : kWords)
    if (word == w) return true;
  return false;
}

// Tables of a whole document that the book's own header replaces.
bool IsDocumentTable(std::string_view word) {
  return word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info" ||
         word == "generator" || word == "listtable" || word == "listoverridetable" || word == "rsidtbl" ||
         word == "latentstyles" || word == "themedata" || word == "datastore" || word == "xmlnstbl";
}

// Control words that end a word in the text.
bool BreaksWord(std::string_view word) {
  return word == "par" || word == "line" || word == "tab" || word == "cell" || word == "row" ||
         word == "page" || word == "sect" || word == "emdash" || word == "endash" || word == "bullet" ||
         word == "u" || word == "emspace" || word == "enspace";
}

bool ParseVerseLink(std::string_view target, sVerseLink& link) {
  // "book chapter:verse", optionally "-book chapter:verse" for a range.
  unsigned values[6] = {};
  int count = 0;
  size_t i = 0;
  while (i < target.size() && count < 6) {
    while (i < target.size() && !IsDigit(static_cast<unsigned char>(target[i]))) ++i;
    if (i == target.size()) break;
    unsigned v = 0;
    while (i < target.size() && IsDigit(static_cast<unsigned char>(target[i])) && v < 100000)
      v = v * 10 + static_cast<unsigned>(target[i++] - '0');
    values[count++] = v;
  }
  if (count < 3 || values[0] == 0 || values[0] > 65535 || values[1] > 65535 || values[2] > 65535) return false;
  link.book = static_cast<uint16_t>(values[0]);
  link.chapter = static_cast<uint16_t>(values[1]);
  link.verse = static_cast<uint16_t>(values[2]);
  link.lastVerse = link.verse;
  if (count >= 6 && values[3] == values[0] && values[4] == values[1] && values[5] >= values[2] &&
      values[5] <= 65535)
    link.lastVerse = static_cast<uint16_t>(values[5]);
  return true;
}

struct sFrame {
  bool skip = false;        // text not indexed or wrapped
  bool drop = false;        // not written out at all
  bool linkTarget = false;  // the target of a \soltlinkto group
  int linkType = 5;
  bool first = true;        // no token seen yet in this group
  int openLine = 0;
  size_t outStart = 0;      // where the group began in the output
};

}  // namespace

void CollectWords(std::string_view text, std::vector<std::string>& words) {
  cWordCollector collector(words);
  for (char c : text) collector.Add(static_cast<unsigned char>(c));
  collector.Break();
}

bool ScanRtf(std::string_view text, int firstLine, sScannedText& out, sScanError& error) {
  out = sScannedText();
  cWordCollector words(out.words);
  std::vector<sFrame> frames(1);
  std::string& o = out.rtf;
  o.reserve(text.size() * 2);
  int line = firstLine;
  bool spanOpen = false;
  bool inLinkText = false;
  // Text that already carries concordance spans is left as its author made it.
  const bool wrap = text.find("\\soltconcordanceon") == std::string_view::npos;
  // A whole document: its outer group and tables go, its text stays.
  size_t start = 0;
  while (start < text.size() && (text[start] == ' ' || text[start] == '\r' || text[start] == '\n' || text[start] == '\t')) {
    if (text[start] == '\n') ++line;
    ++start;
  }
  const bool document = text.substr(start, 5) == "{\\rtf";
  int documentDepth = -1;  // frame index of the document's outer group

  auto closeSpan = [&]() {
    if (spanOpen) {
      o += "\\soltconcordanceoff ";
      spanOpen = false;
    }
  };
  auto fail = [&](std::string message) {
    error.line = line;
    error.message = std::move(message);
    return false;
  };
  // Emits one character of text (as written: `raw`) whose byte value is `c`.
  auto textChar = [&](std::string_view raw, int c) {
    sFrame& f = frames.back();
    if (f.drop) return;
    if (f.linkTarget) {
      o.append(raw);
      return;
    }
    if (!f.skip && !inLinkText && wrap && !spanOpen && c != '\r' && c != '\n') {
      o += "{\\soltconcordanceon}";
      spanOpen = true;
    }
    o.append(raw);
    if (!f.skip && c >= 0) words.Add(static_cast<unsigned char>(c));
  };

  std::string linkTarget;
  size_t i = start;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '{') {
      closeSpan();
      sFrame f = frames.back();
      f.first = true;
      f.openLine = line;
      f.outStart = o.size();
      f.linkTarget = false;
      if (!f.drop) o += '{';
      frames.back().first = false;
      frames.push_back(f);
      if (document && documentDepth < 0) {
        documentDepth = static_cast<int>(frames.size()) - 1;
        o.pop_back();  // the document's own brace is not kept
      }
      ++i;
      continue;
    }
    if (c == '}') {
      closeSpan();
      if (frames.size() == 1) return fail("a '}' closes a group that was never opened");
      sFrame f = frames.back();
      frames.pop_back();
      if (f.linkTarget) {
        if (f.linkType == 4) {
          sVerseLink link;
          if (ParseVerseLink(linkTarget, link)) out.verseLinks.push_back(link);
        }
        inLinkText = false;
      }
      if (!f.drop && !(document && static_cast<int>(frames.size()) == documentDepth)) o += '}';
      if (document && static_cast<int>(frames.size()) == documentDepth) documentDepth = 0;
      ++i;
      continue;
    }
    if (c == '\\') {
      if (i + 1 >= text.size()) return fail("a '\\' ends the text");
      const unsigned char n = static_cast<unsigned char>(text[i + 1]);
      if (n == '\'') {
        auto hex = [](unsigned char h) -> int {
          if (IsDigit(h)) return h - '0';
          if (h >= 'a' && h <= 'f') return h - 'a' + 10;
          if (h >= 'A' && h <= 'F') return h - 'A' + 10;
          return -1;
        };
        if (i + 3 >= text.size() || hex(static_cast<unsigned char>(text[i + 2])) < 0 ||
            hex(static_cast<unsigned char>(text[i + 3])) < 0)
          return fail("\\' must be followed by two hexadecimal digits");
        int value = hex(static_cast<unsigned char>(text[i + 2])) * 16 + hex(static_cast<unsigned char>(text[i + 3]));
        frames.back().first = false;
        textChar(text.substr(i, 4), value);
        if (frames.back().linkTarget) linkTarget += static_cast<char>(value);
        i += 4;
        continue;
      }
      if (!IsLetter(n)) {
        // Control symbols: escaped characters are text, the rest act like words.
        frames.back().first = false;
        if (n == '\\' || n == '{' || n == '}') {
          textChar(text.substr(i, 2), n);
          if (frames.back().linkTarget) linkTarget += static_cast<char>(n);
        } else if (n == '~') {
          textChar(text.substr(i, 2), 0xA0);
        } else if (n == '*') {
          closeSpan();
          frames.back().skip = true;
          if (document && static_cast<int>(frames.size()) - 1 == documentDepth + 1 && !frames.back().drop) {
            frames.back().drop = true;
            o.resize(frames.back().outStart);  // the group's brace too
          }
          if (!frames.back().drop) o.append(text.substr(i, 2));
        } else if (n == '\r' || n == '\n') {
          closeSpan();
          if (!frames.back().drop) o += "\\par ";
          words.Break();
          if (n == '\n') ++line;
        } else {
          closeSpan();
          if (!frames.back().drop) o.append(text.substr(i, 2));
        }
        i += 2;
        continue;
      }
      // A control word: letters, an optional signed number, an optional space.
      size_t j = i + 1;
      while (j < text.size() && IsLetter(static_cast<unsigned char>(text[j]))) ++j;
      std::string_view word = text.substr(i + 1, j - i - 1);
      size_t numberStart = j;
      if (j < text.size() && text[j] == '-') ++j;
      while (j < text.size() && IsDigit(static_cast<unsigned char>(text[j]))) ++j;
      std::string_view number = text.substr(numberStart, j - numberStart);
      if (j < text.size() && text[j] == ' ') ++j;
      std::string_view token = text.substr(i, j - i);
      i = j;

      sFrame& f = frames.back();
      const bool first = f.first;
      f.first = false;
      if (word == "soltstartlevel") return fail("\\soltstartlevel is placed by the compiler; remove it from the source");
      if (document && static_cast<int>(frames.size()) - 1 == documentDepth && word == "rtf") continue;
      if (first && IsDestination(word)) {
        closeSpan();
        f.skip = true;
        if (document && static_cast<int>(frames.size()) - 1 == documentDepth + 1 && IsDocumentTable(word)) {
          f.drop = true;
          o.resize(f.outStart);  // the group's brace too
        }
      }
      if (f.drop) continue;
      if (word == "u") {
        // A Unicode character and the one fallback character after it stay together.
        closeSpan();
        o.append(token);
        words.Break();
        if (i < text.size()) {
          if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == '\'' &&
              std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
              std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            o.append(text.substr(i, 4));
            i += 4;
          } else if (text[i] != '\\' && text[i] != '{' && text[i] != '}') {
            o += text[i++];
          }
        }
        continue;
      }
      closeSpan();
      if (BreaksWord(word)) words.Break();
      if (word == "soltlink") inLinkText = true;
      if (word == "soltlinkto") {
        f.linkTarget = true;
        f.skip = true;
        f.linkType = number.empty() ? 5 : ParseDecimal(number);
        linkTarget.clear();
        words.Break();
      }
      o.append(token);
      continue;
    }
    // Plain bytes; line ends are not text in RTF.
    if (c == '\n') {
      ++line;
      o += '\n';
      ++i;
      continue;
    }
    if (c == '\r') {
      o += '\r';
      ++i;
      continue;
    }
    frames.back().first = false;
    textChar(text.substr(i, 1), c);
    if (frames.back().linkTarget) linkTarget += static_cast<char>(c);
    ++i;
  }
  closeSpan();
  words.Break();
  if (frames.size() > 1) {
    error.line = frames.back().openLine;
    error.message = "the group opened here is never closed";
    return false;
  }
  return true;
}

std::string EscapeRtf(std::string_view text) {
  std::string o;
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\\' || c == '{' || c == '}') {
      o += '\\';
      o += ch;
    } else if (c >= 0x80) {
      static const char kHex[] = "0123456789abcdef";
      o += "\\'";
      o += kHex[c >> 4];
      o += kHex[c & 15];
    } else if (c == '\t') {
      o += "\\tab ";
    } else if (c >= 0x20) {
      o += ch;
    }
  }
  return o;
}

namespace {
int ToCp1252(uint32_t cp) {
  const auto byte = platform::UnicodeToCp1252(cp);
  return byte ? *byte : -1;
}

// Decodes UTF-8 into code points; false when the bytes are not UTF-8.
bool DecodeUtf8(std::string_view text, std::vector<uint32_t>& cps) {
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    uint32_t cp;
    int extra;
    if (c < 0x80) {
      cp = c;
      extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else {
      return false;
    }
    if (i + extra >= text.size() + (extra == 0 ? 1 : 0)) return false;
    for (int k = 1; k <= extra; ++k) {
      unsigned char d = static_cast<unsigned char>(text[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    cps.push_back(cp);
    i += 1 + extra;
  }
  return true;
}
}  // namespace

bool Utf8ToCp1252(std::string_view text, std::string& out, std::vector<uint32_t>* missing) {
  std::vector<uint32_t> cps;
  if (!DecodeUtf8(text, cps)) {
    out.assign(text);
    return false;
  }
  out.clear();
  for (uint32_t cp : cps) {
    int b = ToCp1252(cp);
    if (b < 0) {
      if (missing) missing->push_back(cp);
      out += '?';
    } else {
      out += static_cast<char>(b);
    }
  }
  return true;
}

std::string PlainTextToRtf(std::string_view text) {
  std::vector<uint32_t> cps;
  if (!DecodeUtf8(text, cps)) {
    cps.clear();
    for (char ch : text) {
      unsigned char c = static_cast<unsigned char>(ch);
      cps.push_back(platform::Cp1252ToUnicode(c));
    }
  }
  std::string o;
  std::string paragraph;
  auto flush = [&]() {
    while (!paragraph.empty() && paragraph.back() == ' ') paragraph.pop_back();
    if (!paragraph.empty()) o += "{\\pard\\sa120 " + paragraph + "\\par}\n";
    paragraph.clear();
  };
  bool lineStart = true;
  for (size_t i = 0; i < cps.size(); ++i) {
    uint32_t cp = cps[i];
    if (cp == '\r') continue;
    if (cp == '\n') {
      if (lineStart) flush();  // a blank line ends the paragraph
      else if (!paragraph.empty()) paragraph += ' ';
      lineStart = true;
      continue;
    }
    lineStart = false;
    int b = ToCp1252(cp);
    if (b >= 0) {
      paragraph += EscapeRtf(std::string(1, static_cast<char>(b)));
    } else {
      int16_t v = static_cast<int16_t>(cp > 0xFFFF ? 0xFFFD : cp);
      paragraph += "\\u" + std::to_string(v) + "?";
    }
  }
  flush();
  return o;
}

}  // namespace solt
