#include "tools/importer/markup.h"

#include <cstdint>
#include <optional>

#include "platform/cp1252.h"

namespace importer {

namespace {

// Markers used inside the converter only: where the words of Christ begin and
// end. Control characters never reach the output text (they become blanks), so
// these cannot collide with the verse's own characters.
constexpr char kChristOn = '\x01';
constexpr char kChristOff = '\x02';

// Decodes one UTF-8 sequence at s[i]; advances i. Returns nullopt for a byte
// that does not start a valid sequence (i then moves one byte on).
std::optional<char32_t> NextCodePoint(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len = 0;
  char32_t cp = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    ++i;
    return std::nullopt;
  }
  if (i + len > s.size()) {
    ++i;
    return std::nullopt;
  }
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return std::nullopt;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return std::nullopt;
  }
  i += len;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Base letters of U+0100-U+017F (Latin Extended-A).
constexpr std::string_view kLatinA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRr"
    "SsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(kLatinA.size() == 128);

// Latin spellings of the Greek letters U+0391-U+03A9 (capitals; the small
// letters U+03B1-U+03C9 use the same list in lower case).
constexpr const char* kGreek[25] = {"A", "B", "G", "D",  "E",  "Z",  "E",  "Th", "I",
                                    "K", "L", "M", "N",  "X",  "O",  "P",  "R",  "S",
                                    "S", "T", "Y", "Ph", "Ch", "Ps", "O"};

// C1 control characters in a source are bytes of a wrongly decoded file, not
// text, so they count as unmappable instead of reaching the verse.
std::optional<unsigned char> Windows1252Code(char32_t cp) {
  if (cp >= 0x80 && cp < 0xA0) return std::nullopt;
  return platform::UnicodeToCp1252(cp);
}

// The stand-in for a character Windows-1252 lacks ("" drops it).
std::string Transliterate(char32_t cp) {
  if (cp >= 0x100 && cp <= 0x17F) return std::string(1, kLatinA[cp - 0x100]);
  if ((cp >= 0x300 && cp <= 0x36F) || (cp >= 0x591 && cp <= 0x5C7) || (cp >= 0x200B && cp <= 0x200F) ||
      cp == 0x2060 || cp == 0xFEFF)
    return "";
  if (cp >= 0x391 && cp <= 0x3A9) return kGreek[cp - 0x391];
  if (cp >= 0x3B1 && cp <= 0x3C9) {
    std::string s = kGreek[cp - 0x3B1];
    for (char& c : s) c = static_cast<char>(c | 0x20);
    return s;
  }
  switch (cp) {
    case 0x386: return "A";
    case 0x388: case 0x389: return "E";
    case 0x38A: case 0x3AA: return "I";
    case 0x38C: case 0x38F: return "O";
    case 0x38E: case 0x3AB: return "Y";
    case 0x3AC: return "a";
    case 0x3AD: case 0x3AE: return "e";
    case 0x390: case 0x3AF: case 0x3CA: return "i";
    case 0x3CC: case 0x3CE: return "o";
    case 0x3B0: case 0x3CB: case 0x3CD: return "y";
    case 0x2010: case 0x2011: case 0x2012: case 0x2212: return "-";
    case 0x2015: return "\x97";
    case 0x201B: case 0x02BB: return "\x91";
    case 0x02BC: return "\x92";
    case 0x201F: return "\x93";
    case 0x2032: return "'";
    case 0x2033: return "\"";
    case 0x2024: return ".";
    case 0x2044: return "/";
    default: break;
  }
  if ((cp >= 0x2000 && cp <= 0x200A) || cp == 0x202F || cp == 0x205F || cp == 0x3000) return " ";
  return "?";
}

// One character in Windows-1252 (see Utf8ToWindows1252).
std::string Encode(char32_t cp, int* unmappable) {
  if (auto code = Windows1252Code(cp)) return std::string(1, static_cast<char>(*code));
  if (unmappable) ++*unmappable;
  return Transliterate(cp);
}

bool IsBlank(char32_t cp) {
  return cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == 0xA0 || (cp < 0x20) || cp == 0x7F ||
         (cp >= 0x2000 && cp <= 0x200A) || cp == 0x2028 || cp == 0x2029 || cp == 0x202F || cp == 0x205F || cp == 0x3000;
}

bool IsAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// One tag of the OSIS text.
struct Tag {
  std::string name;
  bool closing = false;      // </name>
  bool selfClosing = false;  // <name .../>
  std::vector<std::pair<std::string, std::string>> attributes;

  std::string Attr(std::string_view key) const {
    for (const auto& [k, v] : attributes)
      if (k == key) return v;
    return {};
  }
  bool Has(std::string_view key) const {
    for (const auto& a : attributes)
      if (a.first == key) return true;
    return false;
  }
};

std::optional<char32_t> DecodeEntity(std::string_view name) {
  if (name == "amp") return U'&';
  if (name == "lt") return U'<';
  if (name == "gt") return U'>';
  if (name == "quot") return U'"';
  if (name == "apos") return U'\'';
  if (name == "nbsp") return char32_t{0xA0};
  if (name.size() < 2 || name[0] != '#') return std::nullopt;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  char32_t cp = 0;
  for (char c : digits) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(d);
  }
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  return cp;
}

// Decodes the entities in an attribute value (kept as UTF-8).
std::string DecodeEntitiesIn(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&') {
      const size_t semi = s.find(';', i);
      if (semi != std::string_view::npos && semi - i <= 10) {
        if (auto cp = DecodeEntity(s.substr(i + 1, semi - i - 1))) {
          AppendUtf8(out, *cp);
          i = semi;
          continue;
        }
      }
    }
    out += s[i];
  }
  return out;
}

// Reads the tag between '<' at `at` and the next '>'; nullopt when there is no
// '>' or the text after '<' is no tag name (the '<' is then plain text).
std::optional<Tag> ParseTag(std::string_view s, size_t at, size_t& end) {
  const size_t close = s.find('>', at + 1);
  if (close == std::string_view::npos) return std::nullopt;
  std::string_view body = s.substr(at + 1, close - at - 1);
  Tag tag;
  if (!body.empty() && body[0] == '/') {
    tag.closing = true;
    body.remove_prefix(1);
  }
  if (!body.empty() && body.back() == '/') {
    tag.selfClosing = true;
    body.remove_suffix(1);
  }
  size_t i = 0;
  auto isNameChar = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' || c == '_' ||
           c == '-' || c == '.';
  };
  while (i < body.size() && isNameChar(body[i])) ++i;
  if (i == 0) return std::nullopt;
  tag.name = std::string(body.substr(0, i));
  while (i < body.size()) {
    while (i < body.size() && IsAsciiSpace(body[i])) ++i;
    const size_t keyStart = i;
    while (i < body.size() && isNameChar(body[i])) ++i;
    if (i == keyStart) {
      ++i;  // stray character: skip it
      continue;
    }
    std::string key(body.substr(keyStart, i - keyStart));
    while (i < body.size() && IsAsciiSpace(body[i])) ++i;
    std::string value;
    if (i < body.size() && body[i] == '=') {
      ++i;
      while (i < body.size() && IsAsciiSpace(body[i])) ++i;
      if (i < body.size() && (body[i] == '"' || body[i] == '\'')) {
        const char quote = body[i++];
        const size_t valueEnd = body.find(quote, i);
        const size_t stop = valueEnd == std::string_view::npos ? body.size() : valueEnd;
        value = DecodeEntitiesIn(body.substr(i, stop - i));
        i = stop == body.size() ? stop : stop + 1;
      } else {
        const size_t valueStart = i;
        while (i < body.size() && !IsAsciiSpace(body[i])) ++i;
        value = DecodeEntitiesIn(body.substr(valueStart, i - valueStart));
      }
    }
    tag.attributes.emplace_back(std::move(key), std::move(value));
  }
  end = close + 1;
  return tag;
}

// What closing an element must undo.
enum class Role { kPlain, kAdded, kDivine, kNote, kSkip, kChrist, kPsalmTitle, kParagraph };

class Converter {
 public:
  explicit Converter(OsisState& state) : state_(state) {}

  ConvertedVerse Run(std::string_view osis) {
    if (!state_.christMilestones.empty()) ChristOn();
    size_t i = 0;
    while (i < osis.size() && !ended_) {
      const char c = osis[i];
      if (c == '<') {
        size_t end = 0;
        if (auto tag = ParseTag(osis, i, end)) {
          Handle(*tag);
          i = end;
          continue;
        }
        Char(U'<');
        ++i;
      } else if (c == '&') {
        const size_t semi = osis.find(';', i);
        if (semi != std::string_view::npos && semi - i <= 10) {
          if (auto cp = DecodeEntity(osis.substr(i + 1, semi - i - 1))) {
            Char(*cp);
            i = semi + 1;
            continue;
          }
        }
        Char(U'&');
        ++i;
      } else {
        if (auto cp = NextCodePoint(osis, i)) {
          Char(*cp);
        } else {
          Char(0xFFFD);  // not UTF-8: counted when converted
        }
      }
    }
    // Elements left open at the end of the verse are closed here, so the
    // markup stays balanced.
    while (!stack_.empty()) Close(stack_.back().name);
    if (christOpen_) ChristOff();
    return Finish();
  }

 private:
  struct Open {
    std::string name;
    Role role;
    bool marked = false;  // an opening mark was written for it
  };

  void Handle(const Tag& tag) {
    if (tag.closing) {
      Close(tag.name);
      return;
    }
    const std::string type = tag.Attr("type");
    // Milestones and empty elements.
    if (tag.selfClosing) {
      if (tag.name == "div" && type == "book" && tag.Has("eID")) {
        ended_ = true;
        endOfBook_ = true;
      } else if (tag.name == "div" && type == "x-p" && tag.Has("sID")) {
        Paragraph();
      } else if ((tag.name == "milestone" && type == "x-p") || (tag.name == "lb" && type == "x-p") ||
                 tag.name == "p") {
        Paragraph();
      } else if (tag.name == "lb") {
        Blank();
      } else if (tag.name == "q") {
        if (tag.Has("sID") && tag.Attr("who") == "Jesus") {
          state_.christMilestones.push_back(tag.Attr("sID"));
          ChristOn();
        } else if (tag.Has("eID")) {
          const std::string id = tag.Attr("eID");
          for (size_t k = 0; k < state_.christMilestones.size(); ++k) {
            if (state_.christMilestones[k] == id) {
              state_.christMilestones.erase(state_.christMilestones.begin() + static_cast<long>(k));
              break;
            }
          }
          if (state_.christMilestones.empty() && christDepth_ == 0) ChristOff();
        }
      } else if (tag.name == "div" && skipDivTypes(type) && tag.Has("sID")) {
        skipMilestone_.push_back(tag.Attr("sID"));
      } else if (tag.name == "div" && tag.Has("eID")) {
        const std::string id = tag.Attr("eID");
        for (size_t k = 0; k < skipMilestone_.size(); ++k)
          if (skipMilestone_[k] == id) {
            skipMilestone_.erase(skipMilestone_.begin() + static_cast<long>(k));
            break;
          }
      }
      return;
    }
    Role role = Role::kPlain;
    if (tag.name == "note") {
      role = type == "crossReference" ? Role::kSkip : Role::kNote;
    } else if (tag.name == "reference" && type == "annotateRef") {
      role = Role::kSkip;
    } else if (tag.name == "title") {
      role = tag.Attr("canonical") == "true" && type == "psalm" ? Role::kPsalmTitle : Role::kSkip;
    } else if (tag.name == "speaker") {
      role = Role::kSkip;
    } else if (tag.name == "div" && skipDivTypes(type)) {
      role = Role::kSkip;
    } else if (tag.name == "transChange" && type == "added") {
      role = Role::kAdded;
    } else if (tag.name == "divineName") {
      role = Role::kDivine;
    } else if (tag.name == "q" && tag.Attr("who") == "Jesus") {
      role = Role::kChrist;
    } else if (tag.name == "p" || (tag.name == "div" && type == "x-p")) {
      role = Role::kParagraph;
    }
    stack_.push_back({tag.name, role});
    Open& open = stack_.back();
    switch (role) {
      case Role::kNote:
        if (noteDepth_++ == 0) {
          note_.clear();
        } else {
          note_ += ' ';
        }
        break;
      case Role::kSkip: ++skipDepth_; break;
      case Role::kAdded:
        if (InBody() && addedDepth_++ == 0) open.marked = OpenMark("[");
        break;
      case Role::kDivine:
        if (InBody() && divineDepth_++ == 0) open.marked = OpenMark("<sc1>");
        break;
      case Role::kChrist:
        if (christDepth_++ == 0) ChristOn();
        break;
      case Role::kParagraph: Paragraph(); break;
      case Role::kPsalmTitle:
      case Role::kPlain: break;
    }
  }

  static bool skipDivTypes(const std::string& type) {
    return type == "introduction" || type == "glossary" || type == "preface" || type == "titlePage" ||
           type == "x-introduction";
  }

  // Closes the innermost open element of that name and any opened inside it.
  void Close(const std::string& name) {
    size_t k = stack_.size();
    while (k > 0 && stack_[k - 1].name != name) --k;
    if (k == 0) return;  // a stray end tag
    while (stack_.size() >= k) {
      const Role role = stack_.back().role;
      const bool marked = stack_.back().marked;
      stack_.pop_back();
      switch (role) {
        case Role::kNote:
          if (--noteDepth_ == 0) EndNote();
          break;
        case Role::kSkip: --skipDepth_; break;
        case Role::kAdded:
          if (marked) {
            addedDepth_ = 0;
            CloseMark("[", "]");
          }
          break;
        case Role::kDivine:
          if (marked) {
            divineDepth_ = 0;
            CloseMark("<sc1>", "<sc0>");
          }
          break;
        case Role::kChrist:
          if (--christDepth_ == 0 && state_.christMilestones.empty()) ChristOff();
          break;
        case Role::kPsalmTitle:
          if (InBody()) Blank();
          break;
        case Role::kParagraph:
        case Role::kPlain: break;
      }
    }
  }

  bool InBody() const { return noteDepth_ == 0 && skipDepth_ == 0 && skipMilestone_.empty(); }

  void Blank() {
    if (noteDepth_ > 0 && skipDepth_ == 0) {
      note_ += ' ';
    } else if (InBody()) {
      pendingBlank_ = true;
    }
  }

  void Char(char32_t cp) {
    if (IsBlank(cp)) {
      Blank();
      return;
    }
    if (skipDepth_ > 0 || !skipMilestone_.empty()) return;
    if (noteDepth_ > 0) {
      if (cp == U'~') cp = U'-';
      if (cp == 0xB6) return;  // a pilcrow has no meaning in a footnote
      note_ += Encode(cp, &unmappable_);
      return;
    }
    if (cp == 0xB6) {  // the pilcrow: a paragraph starts here
      Paragraph();
      return;
    }
    switch (cp) {
      case U'[': case U'{': cp = U'('; break;
      case U']': case U'}': cp = U')'; break;
      case U'$': cp = 0xA4; break;
      case U'<': cp = 0x2039; break;
      case U'>': cp = 0x203A; break;
      default: break;
    }
    // Written in Windows-1252 at once, so a character that becomes nothing
    // (a combining mark) or a blank is seen as such.
    const std::string piece = Encode(cp, &unmappable_);
    if (piece.empty()) return;
    if (piece == " ") {
      Blank();
      return;
    }
    // A note written straight against the next word (the source drops the
    // blank there) would glue two words together once the reference is gone.
    if (!pendingBlank_ && afterNote_ && (IsWordStart(cp))) pendingBlank_ = true;
    afterNote_ = false;
    Visible();
    out_ += piece;
    textSeen_ = visible_ = true;
  }

  static bool IsWordStart(char32_t cp) {
    return (cp >= '0' && cp <= '9') || (cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z') || cp >= 0xC0 ||
           cp == U'(' || cp == U'"' || cp == 0x201C || cp == 0x2018;
  }

  // Writes what must precede a visible character: the blank that was seen
  // and a paragraph mark that is waiting.
  void Visible() {
    if (pendingParagraph_) {
      pendingParagraph_ = false;
      if (!textSeen_) {
        leadingParagraph_ = true;
      } else {
        if (pendingBlank_ && !out_.empty() && Last() != ' ') out_ += ' ';
        pendingBlank_ = false;
        if (Last() != '$') out_ += '$';
        visible_ = true;
      }
    }
    if (pendingBlank_ && visible_ && Last() != ' ' && Last() != '$') out_ += ' ';
    pendingBlank_ = false;
  }

  // The last character written, markers passed over ('\0' when none).
  char Last() const {
    for (size_t k = out_.size(); k > 0; --k)
      if (out_[k - 1] != kChristOn && out_[k - 1] != kChristOff) return out_[k - 1];
    return '\0';
  }

  void Paragraph() {
    if (InBody()) pendingParagraph_ = true;
  }

  bool OpenMark(const char* mark) {
    FlushBlank();
    out_ += mark;
    visible_ = true;
    return true;
  }

  // Writes a blank seen before an opening mark (also the one a note glued
  // to the next word lacks).
  void FlushBlank() {
    if (afterNote_) pendingBlank_ = true;
    afterNote_ = false;
    if (pendingBlank_ && visible_ && Last() != ' ' && Last() != '$') out_ += ' ';
    pendingBlank_ = false;
  }

  // Removes an opening mark that enclosed nothing, or closes it.
  void CloseMark(std::string_view open, const char* close) {
    if (out_.size() >= open.size() && std::string_view(out_).substr(out_.size() - open.size()) == open) {
      out_.resize(out_.size() - open.size());
      if (!out_.empty() && out_.back() == ' ') {  // the blank written for it waits again
        out_.pop_back();
        pendingBlank_ = true;
      }
      return;
    }
    out_ += close;
  }

  void ChristOn() {
    if (christOpen_) return;
    christOpen_ = true;
    if (InBody()) FlushBlank();
    out_ += kChristOn;
  }

  void ChristOff() {
    if (!christOpen_) return;
    christOpen_ = false;
    out_ += kChristOff;
  }

  void EndNote() {
    // Blanks collapsed, ends trimmed.
    std::string text;
    bool blank = false;
    for (char c : note_) {
      if (IsAsciiSpace(c)) {
        blank = !text.empty();
        continue;
      }
      if (blank) text += ' ';
      blank = false;
      text += c;
    }
    note_.clear();
    if (text.empty() || skipDepth_ > 0 || !skipMilestone_.empty()) return;
    notes_.push_back(std::move(text));
    out_ += '{';
    out_ += NoteLabel(notes_.size() - 1);
    out_ += '}';
    visible_ = afterNote_ = true;
  }

  ConvertedVerse Finish() {
    ConvertedVerse result;
    result.endOfBook = endOfBook_;
    result.unmappable = unmappable_;
    std::string marked = (leadingParagraph_ ? "$" : "") + out_;
    // No blank before the markers at the very end.
    size_t tail = marked.size();
    while (tail > 0 && (marked[tail - 1] == kChristOn || marked[tail - 1] == kChristOff)) --tail;
    while (tail > 0 && marked[tail - 1] == ' ') marked.erase(--tail, 1);
    while (!marked.empty() && marked.back() == ' ') marked.pop_back();
    // The ranges are found in the display form, markers included, then the
    // markers are taken out of the stored text.
    const std::string shown = DisplayText(marked);
    std::string plain;
    int start = -1;
    for (char c : shown) {
      const int pos = static_cast<int>(plain.size());
      if (c == kChristOn) {
        if (start < 0) start = pos;
      } else if (c == kChristOff) {
        if (start >= 0 && pos > start) AddRange(result.christ, plain, start, pos);
        start = -1;
      } else {
        plain += c;
      }
    }
    if (start >= 0 && static_cast<int>(plain.size()) > start)
      AddRange(result.christ, plain, start, static_cast<int>(plain.size()));
    for (char c : marked)
      if (c != kChristOn && c != kChristOff) result.text += c;
    result.notes = std::move(notes_);
    return result;
  }

  // Ranges parted only by a blank (a quotation broken by a note) are one.
  static void AddRange(std::vector<ChristRange>& ranges, const std::string& plain, int start, int end) {
    if (!ranges.empty() && (ranges.back().end == start ||
                            (ranges.back().end + 1 == start && plain[static_cast<size_t>(start - 1)] == ' '))) {
      ranges.back().end = end;
      return;
    }
    ranges.push_back({start, end});
  }

  OsisState& state_;
  std::vector<Open> stack_;
  std::vector<std::string> skipMilestone_;
  std::vector<std::string> notes_;
  std::string out_;   // Windows-1252 with the markers
  std::string note_;  // the note being read (Windows-1252)
  int unmappable_ = 0;
  int noteDepth_ = 0, skipDepth_ = 0, addedDepth_ = 0, divineDepth_ = 0, christDepth_ = 0;
  bool christOpen_ = false;
  bool pendingBlank_ = false, pendingParagraph_ = false, leadingParagraph_ = false;
  bool textSeen_ = false, afterNote_ = false, visible_ = false;
  bool ended_ = false, endOfBook_ = false;
};

}  // namespace

std::string DecodeEntities(std::string_view text) { return DecodeEntitiesIn(text); }

std::string Utf8ToWindows1252(std::string_view utf8, int* unmappable) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const auto cp = NextCodePoint(utf8, i);
    if (!cp) {
      out += '?';
      if (unmappable) ++*unmappable;
      continue;
    }
    out += Encode(*cp, unmappable);
  }
  return out;
}

ConvertedVerse ConvertOsisVerse(std::string_view osis, OsisState& state) {
  return Converter(state).Run(osis);
}

std::string DisplayText(std::string_view text) {
  std::string out;
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '$' || c == '[' || c == ']' || c == '>') {
      ++i;
    } else if (c == '<') {
      if (text.substr(i, 5) == "<sc1>" || text.substr(i, 5) == "<sc0>") {
        i += 5;
      } else {
        ++i;
      }
    } else if (c == '{') {
      const size_t close = text.find('}', i);
      if (close == std::string_view::npos) {
        out += c;
        ++i;
        continue;
      }
      i = close + 1;
      // The blank before the reference stays, so one after it goes (the
      // converter's own markers are passed over on both sides).
      size_t back = out.size();
      while (back > 0 && (out[back - 1] == kChristOn || out[back - 1] == kChristOff)) --back;
      size_t ahead = i;
      while (ahead < text.size() && (text[ahead] == kChristOn || text[ahead] == kChristOff)) ++ahead;
      if (back > 0 && out[back - 1] == ' ' && ahead < text.size() && text[ahead] == ' ') {
        out.append(text.substr(i, ahead - i));
        i = ahead + 1;
      }
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

std::string NoteLabel(size_t index) {
  std::string label;
  ++index;
  while (index > 0) {
    --index;
    label.insert(label.begin(), static_cast<char>('a' + index % 26));
    index /= 26;
  }
  return label;
}

}  // namespace importer
