#include "platform/profile.h"

#include "platform/safefile.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

enum class LineKind { Other, Section, Key };

// One physical line. The views point into the file text; begin/end cover the
// raw bytes including the line terminator, so untouched lines are copied back
// exactly as they were.
struct Line {
  size_t begin = 0;
  size_t end = 0;
  LineKind kind = LineKind::Other;
  std::string_view name;
  std::string_view value;
};

struct Profile {
  std::string text;
  std::vector<Line> lines;
  bool crlf = false;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

bool HasAny(std::string_view s, std::string_view chars) { return s.find_first_of(chars) != s.npos; }

void ParseLine(Profile& p, size_t begin, size_t end) {
  Line line;
  line.begin = begin;
  line.end = end;
  size_t contentEnd = end;
  if (contentEnd > begin && p.text[contentEnd - 1] == '\n') --contentEnd;
  if (contentEnd > begin && p.text[contentEnd - 1] == '\r') --contentEnd;
  std::string_view content(p.text.data() + begin, contentEnd - begin);
  // A UTF-8 signature left by an editor must not hide the first section.
  if (begin == 0 && content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  content = Trim(content);
  if (content.empty() || content.front() == ';' || content.front() == '#') {
    // comment or blank: kept as is
  } else if (content.front() == '[') {
    size_t close = content.find(']');
    // Without the bracket it is not a header; treating it as one would move
    // the keys that follow into a section nobody wrote.
    if (close != content.npos) {
      line.kind = LineKind::Section;
      line.name = Trim(content.substr(1, close - 1));
    }
  } else if (size_t eq = content.find('='); eq != content.npos) {
    line.kind = LineKind::Key;
    line.name = Trim(content.substr(0, eq));
    line.value = Trim(content.substr(eq + 1));
  }
  p.lines.push_back(line);
}

void Parse(Profile& p) {
  p.lines.clear();
  const std::string& t = p.text;
  size_t firstNewline = t.find('\n');
  p.crlf = firstNewline != t.npos && firstNewline > 0 && t[firstNewline - 1] == '\r';
  size_t pos = 0;
  while (pos < t.size()) {
    size_t nl = t.find('\n', pos);
    size_t end = nl == t.npos ? t.size() : nl + 1;
    ParseLine(p, pos, end);
    pos = end;
  }
}

// Reads the whole file. A missing file is an empty profile; any other failure
// is reported so a writer never replaces a file it could not read.
bool ReadFileText(const std::string& path, std::string& out, bool& exists) {
  out.clear();
  exists = false;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR;
  exists = true;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    out.reserve(static_cast<size_t>(st.st_size));
  char buf[16384];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return ok;
}

bool Load(const std::string& path, Profile& p) {
  bool exists = false;
  if (!ReadFileText(path, p.text, exists) || !exists) return false;
  Parse(p);
  return true;
}

constexpr size_t kNone = static_cast<size_t>(-1);

size_t FindSection(const Profile& p, std::string_view name) {
  for (size_t i = 0; i < p.lines.size(); ++i)
    if (p.lines[i].kind == LineKind::Section && SameName(p.lines[i].name, name)) return i;
  return kNone;
}

size_t SectionEnd(const Profile& p, size_t header) {
  size_t i = header + 1;
  while (i < p.lines.size() && p.lines[i].kind != LineKind::Section) ++i;
  return i;
}

size_t FindKey(const Profile& p, size_t header, size_t end, std::string_view key) {
  for (size_t i = header + 1; i < end; ++i)
    if (p.lines[i].kind == LineKind::Key && SameName(p.lines[i].name, key)) return i;
  return kNone;
}

std::string_view StripQuotes(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

std::string Truncate(std::string s, size_t bufferSize) {
  if (bufferSize > 0 && s.size() > bufferSize - 1) s.resize(bufferSize - 1);
  return s;
}

// A list must end with its terminating NULs inside the buffer, which leaves
// bufferSize - 2 characters; the cut name still gets its own '\0'.
std::string TruncateList(std::string s, size_t bufferSize) {
  if (bufferSize == 0 || s.size() + 1 <= bufferSize) return s;
  if (bufferSize <= 2) return {};
  s.resize(bufferSize - 2);
  if (s.back() != '\0') s.push_back('\0');
  return s;
}

std::string_view Terminator(const Profile& p, const Line& line) {
  std::string_view raw(p.text.data() + line.begin, line.end - line.begin);
  if (raw.size() >= 2 && raw.substr(raw.size() - 2) == "\r\n") return "\r\n";
  if (!raw.empty() && raw.back() == '\n') return "\n";
  return {};
}

bool IsBlankLine(const Profile& p, const Line& line) {
  std::string_view raw(p.text.data() + line.begin, line.end - line.begin);
  return raw.find_first_not_of(" \t\r\n") == raw.npos;
}

}  // namespace

bool ReplaceFile(const std::string& path, const std::string& data) {
  std::string error;
  return WriteFileSafely(path, data, error);
}

namespace {

std::string SectionNameList(const Profile& p) {
  std::string out;
  for (const Line& l : p.lines) {
    if (l.kind != LineKind::Section) continue;
    out.append(l.name);
    out.push_back('\0');
  }
  return out;
}

std::string KeyNameList(const Profile& p, size_t header) {
  std::string out;
  size_t end = SectionEnd(p, header);
  for (size_t i = header + 1; i < end; ++i) {
    if (p.lines[i].kind != LineKind::Key) continue;
    out.append(p.lines[i].name);
    out.push_back('\0');
  }
  return out;
}

}  // namespace

std::string GetPrivateProfileString(const char* section, const char* key, const char* def,
                                    const std::string& file, size_t bufferSize) {
  Profile p;
  bool loaded = Load(file, p);
  if (!section) return TruncateList(loaded ? SectionNameList(p) : std::string(), bufferSize);
  size_t header = loaded ? FindSection(p, Trim(section)) : kNone;
  if (!key) return TruncateList(header == kNone ? std::string() : KeyNameList(p, header), bufferSize);
  if (header != kNone) {
    size_t k = FindKey(p, header, SectionEnd(p, header), Trim(key));
    if (k != kNone) return Truncate(std::string(StripQuotes(p.lines[k].value)), bufferSize);
  }
  std::string_view d = def ? def : "";
  while (!d.empty() && d.back() == ' ') d.remove_suffix(1);
  return Truncate(std::string(d), bufferSize);
}

unsigned GetPrivateProfileInt(const char* section, const char* key, int def, const std::string& file) {
  if (!section || !key) return static_cast<unsigned>(def);
  std::string v = GetPrivateProfileString(section, key, "", file);
  if (v.empty()) return static_cast<unsigned>(def);
  size_t i = 0;
  while (i < v.size() && IsBlank(v[i])) ++i;
  bool negative = false;
  if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
  auto hexDigit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  // Unsigned arithmetic so an absurdly long number wraps instead of
  // overflowing, as the 32-bit Windows conversion does.
  uint32_t n = 0;
  if (i + 2 < v.size() && v[i] == '0' && (v[i + 1] == 'x' || v[i + 1] == 'X') && hexDigit(v[i + 2]) >= 0) {
    for (i += 2; i < v.size() && hexDigit(v[i]) >= 0; ++i) n = n * 16u + static_cast<uint32_t>(hexDigit(v[i]));
  } else {
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) n = n * 10u + static_cast<uint32_t>(v[i] - '0');
  }
  return negative ? 0u - n : n;
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const std::string& file) {
  // All three null is the Windows "flush the cache" call; there is no cache.
  if (!section) return !key && !value;
  std::string_view sec = Trim(section);
  std::string_view k = key ? Trim(key) : std::string_view();
  std::string_view val = value ? std::string_view(value) : std::string_view();
  // Anything that would read back as a different line structure is refused
  // rather than written into a file it would corrupt.
  if (HasAny(sec, "]\r\n")) return false;
  if (key && (k.empty() || HasAny(k, "=\r\n") || k.front() == ';' || k.front() == '#' || k.front() == '['))
    return false;
  if (value && HasAny(val, "\r\n")) return false;

  Profile p;
  bool exists = false;
  if (!ReadFileText(file, p.text, exists)) return false;
  Parse(p);
  const std::string& text = p.text;
  const std::string_view nl = p.crlf ? "\r\n" : "\n";
  std::string out;
  out.reserve(text.size() + sec.size() + k.size() + val.size() + 8);

  if (!key) {
    // Every copy goes, so a duplicate further down cannot resurface.
    bool removed = false;
    for (size_t i = 0; i < p.lines.size();) {
      if (p.lines[i].kind == LineKind::Section && SameName(p.lines[i].name, sec)) {
        i = SectionEnd(p, i);
        removed = true;
        continue;
      }
      out.append(text, p.lines[i].begin, p.lines[i].end - p.lines[i].begin);
      ++i;
    }
    if (!removed) return true;
    return ReplaceFile(file, out);
  }

  size_t header = FindSection(p, sec);
  if (header == kNone) {
    if (!value) return true;
    out = text;
    if (!out.empty() && out.back() != '\n') out.append(nl);
    if (!p.lines.empty() && !IsBlankLine(p, p.lines.back())) out.append(nl);
    out.append("[").append(sec).append("]").append(nl);
    out.append(k).append("=").append(val).append(nl);
    return ReplaceFile(file, out);
  }

  size_t end = SectionEnd(p, header);
  if (!value) {
    // Only the section reads look at; later duplicate keys there would
    // otherwise become the value once the first is gone.
    bool removed = false;
    for (size_t i = 0; i < p.lines.size(); ++i) {
      const Line& l = p.lines[i];
      if (i > header && i < end && l.kind == LineKind::Key && SameName(l.name, k)) {
        removed = true;
        continue;
      }
      out.append(text, l.begin, l.end - l.begin);
    }
    if (!removed) return true;
    return ReplaceFile(file, out);
  }

  size_t found = FindKey(p, header, end, k);
  if (found != kNone) {
    const Line& l = p.lines[found];
    size_t keyEnd = static_cast<size_t>(l.name.data() - text.data()) + l.name.size();
    out.append(text, 0, keyEnd);
    out.append("=").append(val).append(Terminator(p, l));
    out.append(text, l.end, text.npos);
  } else {
    size_t after = header;
    for (size_t i = header + 1; i < end; ++i)
      if (p.lines[i].kind == LineKind::Key) after = i;
    const Line& l = p.lines[after];
    out.append(text, 0, l.end);
    if (Terminator(p, l).empty()) out.append(nl);
    out.append(k).append("=").append(val).append(nl);
    out.append(text, l.end, text.npos);
  }
  if (out == text) return true;
  return ReplaceFile(file, out);
}

std::vector<std::string> GetPrivateProfileSection(const char* section, const std::string& file) {
  std::vector<std::string> out;
  Profile p;
  if (!section || !Load(file, p)) return out;
  size_t header = FindSection(p, Trim(section));
  if (header == kNone) return out;
  size_t end = SectionEnd(p, header);
  for (size_t i = header + 1; i < end; ++i) {
    const Line& l = p.lines[i];
    if (l.kind != LineKind::Key) continue;
    std::string entry(l.name);
    entry.push_back('=');
    entry.append(l.value);
    out.push_back(std::move(entry));
  }
  return out;
}

std::vector<std::string> GetPrivateProfileSectionNames(const std::string& file) {
  std::vector<std::string> out;
  Profile p;
  if (!Load(file, p)) return out;
  for (const Line& l : p.lines)
    if (l.kind == LineKind::Section) out.emplace_back(l.name);
  return out;
}

}  // namespace platform
