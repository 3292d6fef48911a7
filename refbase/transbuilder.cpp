// Builds VTTRANS.DAT (format in translation.cpp) from a text source:
//
//   // comment lines and blank lines are skipped
//   KJV          a line starting with 1 to 9 letters starts a translation
//   1            any other line is a book number, 1 to 256, appended to the
//   2            current translation's order
//
// The file is written beside its final name and renamed over it only when
// complete, so a failed build never leaves half a data file behind.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/coding.h"
#include "platform/file.h"
#include "refbase/translation.h"
#include "refbase/vttransformat.h"
#include "refbase/vtmsg.h"

namespace {

using namespace refbase::vttrans;

constexpr unsigned kLineBuffer = 128;
constexpr unsigned kMaxNameLetters = 9;
constexpr unsigned kMaxTranslations = 0xFFFF;

constexpr int kMsgSourceOpenFailed = 156;
constexpr int kMsgCreateFailed = 157;
constexpr int kMsgBadLine = 158;
constexpr int kMsgLineTooLong = 159;

// Raised once a failure has been reported, to leave the build.
struct Reported {};

using RecordValues = std::array<unsigned short, TRANSLATION_TABLE_ENTRY::kElements>;

std::string Header(int32_t nameTableOffset, unsigned short translations) {
  std::string out(kTitle, sizeof kTitle);
  out.resize(40, '\0');
  platform::PutFixed32(out, kVersion);
  platform::PutFixed32(out, kHeaderSize);
  platform::PutFixed32(out, static_cast<uint32_t>(nameTableOffset));
  platform::PutFixed16(out, translations);
  platform::PutFixed16(out, TRANSLATION_TABLE_ENTRY::kMaxBook);
  return out;
}

void WriteRecord(platform::File& out, const RecordValues& record) {
  std::string bytes;
  bytes.reserve(TRANSLATION_TABLE_ENTRY::kFileSize);
  for (unsigned short value : record) platform::PutFixed16(bytes, value);
  out.Write(bytes.data(), static_cast<unsigned>(bytes.size()));
}

// Strict decimal the way atoi reads it (leading blanks, a sign, digits, and
// whatever follows ignored), without atoi's undefined overflow.
long BookNumber(const char* line) {
  errno = 0;
  long value = std::strtol(line, nullptr, 10);
  return errno == ERANGE ? -1 : value;
}

int CauseOf(int err) { return platform::FileException::CauseFromErrno(err); }

}  // namespace

// The source as the reader sees it: the stream and how many lines
// have been consumed, so that a message can name the line.
struct cTranslation::SourceFile {
  FILE* fp = nullptr;
  int lines = 0;
};

int cTranslation::ReadTranslationSpecLine(SourceFile* file, char* line) {
  int consumed = 0;
  for (;;) {
    // One raw line; a carriage return before the newline is not part of it.
    char raw[kLineBuffer + 1];
    unsigned length = 0;
    bool any = false;
    int c;
    while ((c = std::fgetc(file->fp)) != EOF) {
      any = true;
      if (c == '\n') break;
      if (length == kLineBuffer) {
        ++file->lines;
        throw XDFU_LINE_TOO_LONG;
      }
      raw[length++] = static_cast<char>(c);
    }
    if (std::ferror(file->fp)) throw platform::FileException(platform::FileException::hardIO);
    if (!any) return 0;
    ++file->lines;
    ++consumed;
    if (length > 0 && raw[length - 1] == '\r') --length;
    if (length > kLineBuffer - 1) throw XDFU_LINE_TOO_LONG;
    std::memcpy(line, raw, length);
    line[length] = '\0';

    const char* p = line;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0' || *p == '\r' || (p[0] == '/' && p[1] == '/')) continue;
    return consumed;
  }
}

int cTranslation::IsTranslationName(const char* line, char* name) {
  while (*line == ' ' || *line == '\t') ++line;
  unsigned letters = 0;
  while (line[letters] != '\0' && std::isalpha(static_cast<unsigned char>(line[letters]))) ++letters;
  if (letters < 1 || letters > kMaxNameLetters) return 0;
  std::memcpy(name, line, letters);
  name[letters] = '\0';
  return 1;
}

int cTranslation::CreateTransDataFile(const char* specPath, const char* dataPath, const StatusWindow* statusWindow) {
  cVTMsg messages;
  SourceFile source;
  source.fp = std::fopen(specPath, "r");
  if (!source.fp) {
    messages.DisplayMessage(kMsgSourceOpenFailed, specPath, CauseOf(errno));
    return 1;
  }

  // The new file is made beside the old one so that the rename cannot cross
  // file systems.
  std::string temporary = std::string(dataPath) + ".XXXXXX";
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    messages.DisplayMessage(kMsgCreateFailed, dataPath, CauseOf(errno));
    std::fclose(source.fp);
    return 1;
  }
  ::fchmod(fd, 0644);
  ::close(fd);

  platform::File out;
  int result = 1;
  try {
    platform::FileException error;
    if (!out.Open(temporary, platform::File::modeWrite | platform::File::modeCreate, &error)) {
      messages.DisplayMessage(kMsgCreateFailed, dataPath, error.m_cause);
      throw Reported{};
    }
    std::string header = Header(0, 0);
    out.Write(header.data(), static_cast<unsigned>(header.size()));

    // Names are kept in a growing list: any number the 16-bit count can hold.
    std::vector<TRANSLATION_NAME_TABLE_ENTRY> names;
    RecordValues record{};
    char line[kLineBuffer];
    char name[kMaxNameLetters + 1];
    while (ReadTranslationSpecLine(&source, line)) {
      if (IsTranslationName(line, name)) {
        if (names.size() == kMaxTranslations) {
          messages.DisplayMessage(kMsgBadLine, source.lines, line);
          throw Reported{};
        }
        if (statusWindow && *statusWindow) (*statusWindow)(std::string("Processing translation: ") + name);
        // Books before the first name belong to no translation.
        if (!names.empty()) WriteRecord(out, record);
        TRANSLATION_NAME_TABLE_ENTRY entry{};
        std::memcpy(entry.name, name, std::strlen(name));
        names.push_back(entry);
        record.fill(0);
        continue;
      }
      long book = BookNumber(line);
      // A book listed twice would leave its first position pointing nowhere
      // and could push the order past the record's 256 places.
      if (book < 1 || book > static_cast<long>(TRANSLATION_TABLE_ENTRY::kMaxBook) || record[book] != 0) {
        messages.DisplayMessage(kMsgBadLine, source.lines, line);
        throw Reported{};
      }
      unsigned short position = ++record[0];
      record[book] = position;
      record[TRANSLATION_TABLE_ENTRY::kMaxBook + position] = static_cast<unsigned short>(book);
    }
    if (!names.empty()) WriteRecord(out, record);

    int64_t nameTable = out.GetPosition();
    for (const TRANSLATION_NAME_TABLE_ENTRY& entry : names) out.Write(entry.name, sizeof entry.name);
    header = Header(static_cast<int32_t>(nameTable), static_cast<unsigned short>(names.size()));
    out.Seek(0, platform::File::begin);
    out.Write(header.data(), static_cast<unsigned>(header.size()));
    out.Flush();
    out.Close();
    if (std::rename(temporary.c_str(), dataPath) != 0) {
      messages.DisplayMessage(kMsgCreateFailed, dataPath, CauseOf(errno));
      throw Reported{};
    }
    result = 0;
  } catch (XDFU_EXCEPTIONS) {
    messages.DisplayMessage(kMsgLineTooLong, source.lines);
  } catch (const platform::FileException&) {
    messages.DisplayMessage(kMsgAccessFailed);
  } catch (const std::bad_alloc&) {
    messages.DisplayMessage(kMsgNoMemory);
  } catch (const Reported&) {
    // Already reported.
  }
  std::fclose(source.fp);
  if (result != 0) {
    out.Close();
    ::unlink(temporary.c_str());
  }
  return result;
}

int cTranslation::DumpTranslationDataFile(const char* path) {
  platform::File file;
  platform::FileException error;
  if (!file.Open(path, platform::File::modeRead, &error)) {
    cVTMsg().DisplayMessage(kMsgSourceOpenFailed, path, error.m_cause);
    return 1;
  }
  try {
    unsigned char header[kHeaderSize];
    file.ReadExact(header, kHeaderSize);
    const int32_t tableAt = platform::DecodeSigned32(header + 44);
    const int32_t namesAt = platform::DecodeSigned32(header + 48);
    const unsigned count = platform::DecodeFixed16(header + 52);
    // Checked before following, as the loader does.
    const int64_t length = file.GetLength();
    if (tableAt < 0 || namesAt < 0 || tableAt + int64_t{count} * TRANSLATION_TABLE_ENTRY::kFileSize > length ||
        namesAt + int64_t{count} * TRANSLATION_NAME_TABLE_ENTRY::kFileSize > length)
      throw platform::FileException(platform::FileException::endOfFile);
    unsigned char bytes[TRANSLATION_TABLE_ENTRY::kFileSize];
    file.Seek(namesAt, platform::File::begin);
    for (unsigned t = 0; t < count; ++t) file.ReadExact(bytes, TRANSLATION_NAME_TABLE_ENTRY::kFileSize);
    file.Seek(tableAt, platform::File::begin);
    for (unsigned t = 0; t < count; ++t) file.ReadExact(bytes, TRANSLATION_TABLE_ENTRY::kFileSize);
  } catch (const platform::FileException&) {
    cVTMsg().DisplayMessage(kMsgAccessFailed);
    return 1;
  }
  return 0;
}
