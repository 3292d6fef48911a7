#include "tools/bookimport/bookmarkup.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "tools/importer/markup.h"

namespace bookimport {
namespace {

struct BookNames {
  const char* osis;
  const char* english;
};

constexpr BookNames kBooks[66] = {
    {"Gen", "Genesis"},       {"Exod", "Exodus"},         {"Lev", "Leviticus"},      {"Num", "Numbers"},
    {"Deut", "Deuteronomy"},  {"Josh", "Joshua"},         {"Judg", "Judges"},        {"Ruth", "Ruth"},
    {"1Sam", "1 Samuel"},     {"2Sam", "2 Samuel"},       {"1Kgs", "1 Kings"},       {"2Kgs", "2 Kings"},
    {"1Chr", "1 Chronicles"}, {"2Chr", "2 Chronicles"},   {"Ezra", "Ezra"},          {"Neh", "Nehemiah"},
    {"Esth", "Esther"},       {"Job", "Job"},             {"Ps", "Psalms"},          {"Prov", "Proverbs"},
    {"Eccl", "Ecclesiastes"}, {"Song", "Song of Solomon"}, {"Isa", "Isaiah"},        {"Jer", "Jeremiah"},
    {"Lam", "Lamentations"},  {"Ezek", "Ezekiel"},        {"Dan", "Daniel"},         {"Hos", "Hosea"},
    {"Joel", "Joel"},         {"Amos", "Amos"},           {"Obad", "Obadiah"},       {"Jonah", "Jonah"},
    {"Mic", "Micah"},         {"Nah", "Nahum"},           {"Hab", "Habakkuk"},       {"Zeph", "Zephaniah"},
    {"Hag", "Haggai"},        {"Zech", "Zechariah"},      {"Mal", "Malachi"},        {"Matt", "Matthew"},
    {"Mark", "Mark"},         {"Luke", "Luke"},           {"John", "John"},          {"Acts", "Acts"},
    {"Rom", "Romans"},        {"1Cor", "1 Corinthians"},  {"2Cor", "2 Corinthians"}, {"Gal", "Galatians"},
    {"Eph", "Ephesians"},     {"Phil", "Philippians"},    {"Col", "Colossians"},     {"1Thess", "1 Thessalonians"},
    {"2Thess", "2 Thessalonians"}, {"1Tim", "1 Timothy"}, {"2Tim", "2 Timothy"},     {"Titus", "Titus"},
    {"Phlm", "Philemon"},     {"Heb", "Hebrews"},         {"Jas", "James"},          {"1Pet", "1 Peter"},
    {"2Pet", "2 Peter"},      {"1John", "1 John"},        {"2John", "2 John"},       {"3John", "3 John"},
    {"Jude", "Jude"},         {"Rev", "Revelation"},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Reads a decimal number at text[i]; -1 when there is none.
int ReadNumber(std::string_view text, size_t& i) {
  if (i >= text.size() || !IsDigit(text[i])) return -1;
  long v = 0;
  while (i < text.size() && IsDigit(text[i])) {
    if (v < 100000) v = v * 10 + (text[i] - '0');
    ++i;
  }
  return static_cast<int>(std::min(v, 100000L));
}

bool ParseOnePlace(std::string_view text, int& book, int& chapter, int& verse) {
  size_t dot = text.find('.');
  if (dot == std::string_view::npos) return false;
  book = OsisBookNumber(text.substr(0, dot));
  if (book == 0) return false;
  size_t i = dot + 1;
  chapter = ReadNumber(text, i);
  if (chapter <= 0) return false;
  verse = 0;
  if (i == text.size()) return true;
  if (text[i] != '.') return false;
  ++i;
  verse = ReadNumber(text, i);
  return verse > 0 && i == text.size();
}

using importer::DecodeEntities;

// The base letter of a polytonic Greek letter (U+1F00-U+1FFF), as a Greek
// letter of the basic block; 0 for the breathing and accent signs.
char32_t GreekBase(char32_t cp) {
  static const char32_t kLower[] = {0x3B1, 0x3B5, 0x3B7, 0x3B9, 0x3BF, 0x3C5, 0x3C9};
  unsigned offset = cp - 0x1F00;
  if (offset < 0x70) {
    // Blocks of 16: alpha, epsilon, eta, iota, omicron, upsilon, omega.
    char32_t base = kLower[offset / 16];
    return (offset % 16) >= 8 ? base - 0x20 : base;
  }
  if (offset < 0x7E) return kLower[(offset - 0x70) / 2];
  if (offset >= 0x80 && offset < 0xB0) {
    static const char32_t kIota[] = {0x3B1, 0x3B7, 0x3C9};
    char32_t base = kIota[(offset - 0x80) / 16];
    return (offset % 16) >= 8 ? base - 0x20 : base;
  }
  if (cp >= 0x1FB0 && cp <= 0x1FB7) return 0x3B1;
  if (cp >= 0x1FB8 && cp <= 0x1FBC) return 0x391;
  if (cp >= 0x1FC2 && cp <= 0x1FC7) return 0x3B7;
  if (cp == 0x1FC8 || cp == 0x1FC9) return 0x395;
  if (cp >= 0x1FCA && cp <= 0x1FCC) return 0x397;
  if (cp >= 0x1FD0 && cp <= 0x1FD7) return 0x3B9;
  if (cp >= 0x1FD8 && cp <= 0x1FDB) return 0x399;
  if (cp == 0x1FE4 || cp == 0x1FE5) return 0x3C1;
  if (cp >= 0x1FE0 && cp <= 0x1FE7) return 0x3C5;
  if (cp >= 0x1FE8 && cp <= 0x1FEB) return 0x3A5;
  if (cp == 0x1FEC) return 0x3A1;
  if (cp >= 0x1FF2 && cp <= 0x1FF7) return 0x3C9;
  if (cp == 0x1FF8 || cp == 0x1FF9) return 0x39F;
  if (cp >= 0x1FFA && cp <= 0x1FFC) return 0x3A9;
  return 0;
}

// Latin letters for the Hebrew consonants U+05D0-U+05EA.
constexpr const char* kHebrew[27] = {"'", "b", "g", "d", "h", "w", "z", "ch", "t", "y", "k", "k", "l", "m",
                                     "m", "n", "n", "s", "`", "p", "p", "ts", "ts", "q", "r", "sh", "t"};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

struct Tag {
  std::string name;
  bool closing = false;
  bool selfClosing = false;
  std::string attributes;
  std::string Attribute(std::string_view key) const {
    size_t p = 0;
    while ((p = attributes.find(key, p)) != std::string::npos) {
      bool start = p == 0 || IsSpace(attributes[p - 1]);
      size_t q = p + key.size();
      while (q < attributes.size() && IsSpace(attributes[q])) ++q;
      if (start && q < attributes.size() && attributes[q] == '=') {
        ++q;
        while (q < attributes.size() && IsSpace(attributes[q])) ++q;
        if (q < attributes.size() && (attributes[q] == '"' || attributes[q] == '\'')) {
          size_t end = attributes.find(attributes[q], q + 1);
          if (end == std::string::npos) end = attributes.size();
          return DecodeEntities(std::string_view(attributes).substr(q + 1, end - q - 1));
        }
      }
      p += key.size();
    }
    return "";
  }
};

// Reads the tag starting at raw[i] == '<'; false when it is not a tag (the
// '<' is then text).
bool ReadTag(std::string_view raw, size_t& i, Tag& tag) {
  size_t end = raw.find('>', i);
  if (end == std::string_view::npos) return false;
  std::string_view inner = raw.substr(i + 1, end - i - 1);
  tag = Tag{};
  if (!inner.empty() && inner[0] == '/') {
    tag.closing = true;
    inner.remove_prefix(1);
  }
  if (!inner.empty() && inner.back() == '/') {
    tag.selfClosing = true;
    inner.remove_suffix(1);
  }
  size_t n = 0;
  while (n < inner.size() && !IsSpace(inner[n])) ++n;
  if (n == 0 || !(std::isalpha(static_cast<unsigned char>(inner[0])))) return false;
  tag.name = std::string(inner.substr(0, n));
  tag.attributes = std::string(inner.substr(n));
  i = end + 1;
  return true;
}

// The text inside an element that starts at raw[i] (just after its opening
// tag) up to the closing tag of the same name; i moves past the closing tag.
// Tags inside are dropped.
std::string InnerText(std::string_view raw, size_t& i, const std::string& name) {
  std::string text;
  int depth = 1;
  while (i < raw.size()) {
    if (raw[i] == '<') {
      size_t at = i;
      Tag tag;
      if (ReadTag(raw, i, tag)) {
        if (tag.name == name && !tag.selfClosing) {
          depth += tag.closing ? -1 : 1;
          if (depth == 0) break;
        }
        continue;
      }
      i = at;
    }
    text += raw[i++];
  }
  return DecodeEntities(text);
}

class RtfBuilder {
 public:
  explicit RtfBuilder(MarkupStats& stats) : stats_(stats) {}

  void Paragraph(int indent) {
    pendingIndent_ = indent;
    pending_ = true;
    afterLink_ = listSeparator_ = false;
  }
  void Text(std::string_view utf8) {
    std::string text = ToWindows1252(utf8, &stats_.transliterated);
    for (char c : text) {
      bool space = IsSpace(c);
      if (space) {
        if (!lastSpace_ && hasText_ && !pending_) out_ += ' ';
        lastSpace_ = true;
        afterLink_ = listSeparator_ = false;
        continue;
      }
      Begin();
      lastSpace_ = false;
      listSeparator_ = afterLink_ && (c == ',' || c == ';');
      afterLink_ = false;
      out_ += EscapeRtfText(std::string(1, c));
    }
  }
  void Raw(std::string_view rtf) {
    Begin();
    out_ += rtf;
    afterLink_ = listSeparator_ = false;
  }
  void Link(std::string_view windowsText, int type, const std::string& target) {
    Begin();
    SeparateListItem();
    out_ += "{\\soltlink ";
    out_ += EscapeRtfText(windowsText);
    out_ += "{\\soltlinkto" + std::to_string(type) + " " + EscapeRtfText(target) + "}}";
    lastSpace_ = false;
    afterLink_ = true;
  }
  // A reference that cannot be a link is kept as text, still an item of its list.
  void ReferenceText(std::string_view utf8) {
    SeparateListItem();
    Text(utf8);
    afterLink_ = true;
  }
  void Open(std::string_view control) {
    afterLink_ = listSeparator_ = false;
    // Group openings do not start a paragraph on their own.
    if (pending_ && hasText_) {
      out_ += "\\par\\pard\\sa120";
      if (pendingIndent_) out_ += "\\li" + std::to_string(pendingIndent_);
      out_ += ' ';
      pending_ = false;
      lastSpace_ = true;
    }
    out_ += "{";
    out_ += control;
    out_ += ' ';
    ++depth_;
  }
  void Close() {
    if (depth_ == 0) return;
    out_ += "}";
    --depth_;
  }
  std::string Finish() {
    while (depth_ > 0) Close();
    if (out_.empty()) return "\\pard\\sa120 \\par\n";
    return "\\pard\\sa120 " + out_ + "\\par\n";
  }

 private:
  void Begin() {
    if (pending_) {
      if (hasText_) {
        out_ += "\\par\\pard\\sa120";
        if (pendingIndent_) out_ += "\\li" + std::to_string(pendingIndent_);
        out_ += ' ';
      } else if (pendingIndent_) {
        out_ += "\\li" + std::to_string(pendingIndent_) + ' ';
      }
      pending_ = false;
      lastSpace_ = true;
    }
    hasText_ = true;
  }

  // The modules write lists of references as "119:22,28,39". The compiler
  // puts such a comma in a concordance span, which ends in a hidden space:
  // that space neither shows nor lets the line break, so a long list would
  // run together into one word wider than the window.
  void SeparateListItem() {
    if (listSeparator_) {
      out_ += ' ';
      lastSpace_ = true;
    }
    listSeparator_ = false;
  }

  MarkupStats& stats_;
  std::string out_;
  bool pending_ = false;
  int pendingIndent_ = 0;
  bool hasText_ = false;
  bool lastSpace_ = true;
  bool afterLink_ = false;      // nothing written since the last link
  bool listSeparator_ = false;  // a lone "," or ";" written right after a link
  int depth_ = 0;
};

std::string VerseTarget(int book, int chapter, int verse) {
  return std::to_string(book) + " " + std::to_string(chapter) + ":" + std::to_string(verse);
}

}  // namespace

int OsisBookNumber(std::string_view osisName) {
  for (int b = 0; b < 66; ++b)
    if (osisName == kBooks[b].osis) return b + 1;
  return 0;
}

const char* OsisBookName(int book) { return book >= 1 && book <= 66 ? kBooks[book - 1].osis : ""; }
const char* EnglishBookName(int book) { return book >= 1 && book <= 66 ? kBooks[book - 1].english : ""; }
bool IsOneChapterBook(int book) { return book == 31 || book == 57 || book == 63 || book == 64 || book == 65; }

bool ParseOsisRef(std::string_view text, OsisRef& ref) {
  ref = OsisRef{};
  size_t dash = text.find('-');
  if (!ParseOnePlace(text.substr(0, dash), ref.book, ref.chapter, ref.verse)) return false;
  ref.lastChapter = ref.chapter;
  ref.lastVerse = ref.verse;
  if (dash == std::string_view::npos) return true;
  int book = 0;
  std::string_view end = text.substr(dash + 1);
  // "Gen.1.1-5" is also met: a verse number alone ends the range in the chapter.
  size_t i = 0;
  int alone = ReadNumber(end, i);
  if (alone > 0 && i == end.size() && ref.verse > 0) {
    ref.lastVerse = alone;
  } else if (!ParseOnePlace(end, book, ref.lastChapter, ref.lastVerse) || book != ref.book) {
    return false;
  }
  if (ref.lastChapter < ref.chapter || (ref.lastChapter == ref.chapter && ref.lastVerse < ref.verse)) return false;
  if ((ref.verse == 0) != (ref.lastVerse == 0)) return false;
  return true;
}

std::string ToWindows1252(std::string_view utf8, int* transliterated) {
  // Greek with accents and breathings and Hebrew are brought to letters the
  // shared mapping spells in Latin letters first.
  std::string plain;
  plain.reserve(utf8.size());
  int count = 0;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    char32_t cp = 0;
    size_t len = 1;
    if (c >= 0xC0 && c < 0xE0 && i + 1 < utf8.size()) {
      cp = ((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
      len = 2;
    } else if (c >= 0xE0 && c < 0xF0 && i + 2 < utf8.size()) {
      cp = ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
      len = 3;
    }
    if (cp >= 0x1F00 && cp <= 0x1FFF) {
      char32_t base = GreekBase(cp);
      if (base) AppendUtf8(plain, base);  // else a breathing or accent sign alone
      ++count;
      i += len;
      continue;
    }
    if (cp >= 0x5D0 && cp <= 0x5EA) {
      plain += kHebrew[cp - 0x5D0];
      ++count;
      i += len;
      continue;
    }
    if (cp == 0x5BE) {  // maqaf
      plain += '-';
      i += len;
      continue;
    }
    if (cp >= 0x370 && cp <= 0x3FF) ++count;
    switch (cp) {
      case 0x2192: plain += "\xE2\x80\xA2"; i += len; continue;  // the arrow as a bullet
      case 0x1E15: case 0x1E17: plain += 'e'; i += len; continue;
      case 0x1E16: plain += 'E'; i += len; continue;
      case 0x1E2F: plain += 'i'; i += len; continue;
      case 0x1E51: case 0x1E53: plain += 'o'; i += len; continue;
      case 0x3DB: plain += "st"; i += len; continue;  // stigma
      default: break;
    }
    plain.append(utf8.substr(i, len));
    i += len;
  }
  int unmappable = 0;
  std::string out = importer::Utf8ToWindows1252(plain, &unmappable);
  if (transliterated) *transliterated += count;
  return out;
}

std::string EscapeRtfText(std::string_view text) {
  std::string o;
  o.reserve(text.size());
  static const char kHex[] = "0123456789abcdef";
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\\' || c == '{' || c == '}') {
      o += '\\';
      o += ch;
    } else if (c >= 0x80) {
      o += "\\'";
      o += kHex[c >> 4];
      o += kHex[c & 15];
    } else if (c == '\t' || c == '\n' || c == '\r') {
      o += ' ';
    } else if (c >= 0x20) {
      o += ch;
    }
  }
  return o;
}

std::string ElementText(std::string_view raw, std::string_view tagName, std::string_view attribute,
                        std::string_view value) {
  size_t i = 0;
  while ((i = raw.find('<', i)) != std::string_view::npos) {
    Tag tag;
    size_t at = i;
    if (!ReadTag(raw, i, tag)) {
      i = at + 1;
      continue;
    }
    if (tag.closing || tag.selfClosing || tag.name != tagName) continue;
    if (!attribute.empty() && tag.Attribute(attribute) != value) continue;
    if (attribute.empty() && !tag.Attribute("type").empty()) continue;
    std::string text = InnerText(raw, i, tag.name);
    // Blanks at the ends are layout of the module, not text.
    size_t b = 0, e = text.size();
    while (b < e && IsSpace(text[b])) ++b;
    while (e > b && IsSpace(text[e - 1])) --e;
    return text.substr(b, e - b);
  }
  return "";
}

std::string StrongsKey(char letter, std::string_view number) {
  size_t i = 0;
  while (i < number.size() && !IsDigit(number[i])) ++i;
  int n = ReadNumber(number, i);
  if (n < 0) return "";
  return std::string(1, letter) + std::to_string(n);
}

std::string EntryToRtf(std::string_view raw, const LinkContext& context, MarkupStats& stats) {
  RtfBuilder out(stats);
  int listDepth = 0;
  std::vector<bool> hiOpened;  // per open <hi>: whether it opened a group
  std::string pending;         // text not yet written
  auto flush = [&]() {
    if (!pending.empty()) out.Text(DecodeEntities(pending));
    pending.clear();
  };
  size_t i = 0;
  while (i < raw.size()) {
    if (raw[i] != '<') {
      pending += raw[i++];
      continue;
    }
    size_t at = i;
    Tag tag;
    if (!ReadTag(raw, i, tag)) {
      pending += raw[at];
      i = at + 1;
      continue;
    }
    flush();
    const std::string& name = tag.name;
    if (name == "lb" || name == "l" || name == "lg" || (name == "p" && !tag.closing)) {
      out.Paragraph(listDepth * 360);
    } else if (name == "list") {
      listDepth = std::max(0, listDepth + (tag.closing ? -1 : tag.selfClosing ? 0 : 1));
      out.Paragraph(listDepth * 360);
    } else if (name == "row" && !tag.closing) {
      out.Paragraph(listDepth * 360);
    } else if (name == "cell" && tag.closing) {
      out.Text(" ");
    } else if (name == "item" && !tag.closing) {
      out.Paragraph(std::max(1, listDepth) * 360);
    } else if (name == "div") {
      const std::string type = tag.Attribute("type");
      if ((type == "x-p" || type == "paragraph" || type == "introduction") && !tag.Attribute("sID").empty())
        out.Paragraph(0);
    } else if (name == "title" && !tag.closing && !tag.selfClosing) {
      std::string text = InnerText(raw, i, name);
      out.Paragraph(0);
      out.Open("\\b");
      out.Text(text);
      out.Close();
      out.Paragraph(0);
    } else if (name == "hi") {
      if (tag.selfClosing) continue;
      if (tag.closing) {
        if (!hiOpened.empty()) {
          if (hiOpened.back()) out.Close();
          hiOpened.pop_back();
        }
        continue;
      }
      std::string how = tag.Attribute("rend") + tag.Attribute("type");
      const char* control = how.find("bold") != std::string::npos     ? "\\b"
                            : how.find("italic") != std::string::npos ? "\\i"
                            : how.find("super") != std::string::npos  ? "\\super"
                                                                      : nullptr;
      if (control) out.Open(control);
      hiOpened.push_back(control != nullptr);
    } else if (name == "orth" && !tag.closing && !tag.selfClosing) {
      const std::string type = tag.Attribute("type");
      std::string text = InnerText(raw, i, name);
      if (type == "writing") continue;  // the module's own ASCII coding of the Greek
      out.Open(type == "trans" ? "\\b\\i" : "\\b");
      out.Text(text);
      out.Close();
    } else if (name == "pron" && !tag.closing && !tag.selfClosing) {
      std::string text = InnerText(raw, i, name);
      out.Text(" ");
      out.Open("\\i");
      out.Text(text);
      out.Close();
    } else if ((name == "ref" || name == "reference") && !tag.closing && !tag.selfClosing) {
      const std::string osisRef = tag.Attribute("osisRef");
      const std::string target = tag.Attribute("target");
      std::string text = InnerText(raw, i, name);
      OsisRef ref;
      if (!osisRef.empty()) {
        if (!ParseOsisRef(osisRef, ref)) {
          ++stats.droppedRefs;
          out.ReferenceText(text);
          continue;
        }
        // A one-chapter book's reference written "Jude 1" in the link with
        // ":9" after it: the verse (and any ",10" or "-12" after it) is
        // taken into the reference.
        struct Piece {
          std::string text;
          int verse, lastVerse;
        };
        std::vector<Piece> more;
        if (IsOneChapterBook(ref.book) && ref.chapter == 1 && ref.verse == 1 && ref.lastVerse == 1 &&
            i + 1 < raw.size() && raw[i] == ':' && IsDigit(raw[i + 1])) {
          size_t j = i + 1;
          int v = ReadNumber(raw, j);
          int last = v;
          if (j + 1 < raw.size() && raw[j] == '-' && IsDigit(raw[j + 1])) {
            ++j;
            last = std::max(v, ReadNumber(raw, j));
          }
          text += std::string(raw.substr(i, j - i));
          ref.verse = v;
          ref.lastVerse = last;
          while (j + 1 < raw.size() && raw[j] == ',' && IsDigit(raw[j + 1])) {
            size_t s = j + 1;
            size_t k = s;
            int mv = ReadNumber(raw, k);
            int ml = mv;
            if (k + 1 < raw.size() && raw[k] == '-' && IsDigit(raw[k + 1])) {
              ++k;
              ml = std::max(mv, ReadNumber(raw, k));
            }
            more.push_back({std::string(raw.substr(s, k - s)), mv, ml});
            j = k;
          }
          i = j;
          ++stats.repairedRefs;
        }
        auto exists = [&](int c, int v) { return !context.verseExists || context.verseExists(ref.book, c, v); };
        auto emit = [&](const std::string& linkText, int verse, int lastChapter, int lastVerse) {
          if (verse == 0) {
            // A whole chapter (or chapters): from the first verse to the
            // last one the English order has.
            verse = 1;
            lastVerse = 0;
            while (lastVerse < 200 && exists(lastChapter, lastVerse + 1)) ++lastVerse;
          }
          if (!exists(ref.chapter, verse) || !exists(lastChapter, lastVerse)) {
            ++stats.droppedRefs;
            out.ReferenceText(linkText);
            return;
          }
          std::string linkTarget = VerseTarget(ref.book, ref.chapter, verse);
          if (lastChapter != ref.chapter || lastVerse != verse)
            linkTarget += "-" + VerseTarget(ref.book, lastChapter, lastVerse);
          out.Link(ToWindows1252(linkText), 4, linkTarget);
          ++stats.verseLinks;
        };
        emit(text, ref.verse, ref.lastChapter, ref.lastVerse);
        for (const Piece& p : more) {
          out.Text(",");
          emit(p.text, p.verse, ref.chapter, p.lastVerse);
        }
      } else {
        int key = context.entryKey ? context.entryKey(target, text) : -1;
        if (key >= 0) {
          out.Link(ToWindows1252(text), 0, std::to_string(key));
          ++stats.entryLinks;
        } else {
          if (!target.empty()) ++stats.unresolvedRefs;
          out.ReferenceText(text);
        }
      }
    }
    // Every other tag is layout the book does not need; its text is kept.
  }
  flush();
  return out.Finish();
}

std::vector<std::pair<std::string, std::string>> ConfigMends(const std::string& module,
                                                             const std::map<std::string, std::string>& config) {
  auto value = [&](const char* key) {
    auto it = config.find(key);
    return it == config.end() ? std::string() : it->second;
  };
  std::vector<std::pair<std::string, std::string>> mends;
  // The commentary is stored with the two-byte-size driver; the package's
  // configuration names the four-byte one, which reads nothing but errors.
  if (module == "MHCC" && value("ModDrv") == "zCom4") mends.push_back({"ModDrv", "zCom"});
  // The Strong's dictionaries hold UTF-8 TEI; one of them does not say so.
  if (module.rfind("Strongs", 0) == 0) {
    if (value("Encoding").empty()) mends.push_back({"Encoding", "UTF-8"});
    if (value("SourceType").empty()) mends.push_back({"SourceType", "TEI"});
  }
  return mends;
}

int FindTopic(const std::map<std::string, int>& topics, const std::string& name) {
  if (name.empty()) return -1;
  auto exact = [&](const std::string& n) {
    auto it = topics.find(n);
    return it == topics.end() ? -1 : it->second;
  };
  int key = exact(name);
  if (key >= 0) return key;
  if (name.size() > 1 && name.back() == 'S') {
    key = exact(name.substr(0, name.size() - 1));
    if (key >= 0) return key;
  } else {
    key = exact(name + "S");
    if (key >= 0) return key;
  }
  const std::string other =
      name.size() > 1 && name.back() == 'S' ? name.substr(0, name.size() - 1) : name + "S";
  for (const std::string& base : {name, other})
    for (const char* joint : {" (", ",", " "}) {
      const std::string prefix = base + joint;
      auto it = topics.lower_bound(prefix);
      if (it != topics.end() && it->first.compare(0, prefix.size(), prefix) == 0) return it->second;
    }
  return -1;
}

CommentaryParts SplitCommentaryEntry(std::string_view raw) {
  CommentaryParts parts;
  const size_t sectionAt = raw.find("<hi type=\"bold\">Verse");
  const std::string_view head = raw.substr(0, sectionAt == std::string_view::npos ? 0 : sectionAt);
  const size_t bookAt = head.find("<title type=\"x-ms\"");
  const size_t chapterAt = head.rfind("<title type=\"x-s2\"");
  if (head.empty() || (bookAt == std::string_view::npos && chapterAt == std::string_view::npos)) {
    parts.section = std::string(raw);
    return parts;
  }
  if (chapterAt != std::string_view::npos && (bookAt == std::string_view::npos || bookAt < chapterAt)) {
    parts.book = std::string(head.substr(0, chapterAt));
    parts.chapter = std::string(head.substr(chapterAt));
    if (bookAt == std::string_view::npos) {
      // Milestones before the chapter title belong with it.
      parts.chapter = parts.book + parts.chapter;
      parts.book.clear();
    }
  } else {
    parts.book = std::string(head);
  }
  parts.section = std::string(raw.substr(sectionAt));
  // The titles are the headings of the contents entries now.
  auto dropTitle = [](std::string& text, std::string_view open) {
    const size_t at = text.find(open);
    const size_t end = at == std::string::npos ? at : text.find("</title>", at);
    if (end != std::string::npos) text.erase(at, end + 8 - at);
  };
  dropTitle(parts.book, "<title type=\"x-ms\"");
  dropTitle(parts.chapter, "<title type=\"x-s2\"");
  return parts;
}

std::vector<CommentarySection> GroupCommentary(const std::vector<VerseSlot>& slots) {
  std::vector<CommentarySection> sections;
  std::vector<int> owner(slots.size(), -1);
  // Sections from the slots with text.
  for (size_t s = 0; s < slots.size(); ++s) {
    const VerseSlot& v = slots[s];
    if (!v.hasText) continue;
    bool continues = s > 0 && v.linkedToPrevious && slots[s - 1].hasText && slots[s - 1].book == v.book &&
                     owner[s - 1] >= 0;
    if (continues) {
      owner[s] = owner[s - 1];
      continue;
    }
    CommentarySection section;
    section.textSlot = s;
    section.book = v.book;
    section.chapter = v.chapter;
    sections.push_back(section);
    owner[s] = static_cast<int>(sections.size()) - 1;
  }
  // Empty slots: the section before in the chapter, else the next in the
  // chapter, else the last before in the book, else the book's first.
  auto sameChapter = [&](size_t a, size_t b) {
    return slots[a].book == slots[b].book && slots[a].chapter == slots[b].chapter;
  };
  for (size_t s = 0; s < slots.size(); ++s) {
    if (owner[s] >= 0) continue;
    int found = -1;
    for (size_t p = s; p-- > 0 && sameChapter(p, s);)
      if (owner[p] >= 0 && slots[p].hasText) { found = owner[p]; break; }
    if (found < 0)
      for (size_t n = s + 1; n < slots.size() && sameChapter(n, s); ++n)
        if (slots[n].hasText) { found = owner[n]; break; }
    if (found < 0)
      for (size_t p = s; p-- > 0 && slots[p].book == slots[s].book;)
        if (slots[p].hasText) { found = owner[p]; break; }
    if (found < 0)
      for (size_t n = s + 1; n < slots.size() && slots[n].book == slots[s].book; ++n)
        if (slots[n].hasText) { found = owner[n]; break; }
    owner[s] = found;
  }
  // The ranges each section covers, in the order of the slots.
  for (size_t s = 0; s < slots.size(); ++s) {
    if (owner[s] < 0) continue;
    auto& covers = sections[owner[s]].covers;
    const VerseSlot& v = slots[s];
    if (!covers.empty() && covers.back().book == v.book && covers.back().chapter == v.chapter &&
        covers.back().last + 1 == v.verse)
      covers.back().last = v.verse;
    else
      covers.push_back({v.book, v.chapter, v.verse, v.verse});
  }
  for (CommentarySection& section : sections) {
    int first = 0, last = 0;
    for (const VerseRange& r : section.covers) {
      if (r.book != section.book || r.chapter != section.chapter) continue;
      if (first == 0 || r.first < first) first = r.first;
      last = std::max(last, r.last);
    }
    section.title = first == last ? "Verse " + std::to_string(first)
                                  : "Verses " + std::to_string(first) + "-" + std::to_string(last);
  }
  return sections;
}

}  // namespace bookimport
