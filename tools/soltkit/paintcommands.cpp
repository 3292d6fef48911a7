// soltkit paint: a Bible's colour data as the program builds and reads it.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/bibles/paint.h"
#include "platform/lettercase.h"
#include "platform/messages.h"
#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace soltkit {

namespace {

std::string Folder(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

using platform::Upper;

void Print(const std::string& line) { std::fwrite(line.data(), 1, line.size(), stdout); }

void Convert(const Args& args) {
  args.RequireCount(4, 4);
  const std::string code = args.At(2);
  const std::string dir = Folder(args.At(3));
  klmw::CPaintRun run;
  run.SetColorMode(args.Has("underline") ? klmw::kColorMergePaintAndUnderlined : klmw::kColorUsePip);
  run.SetMaxColors(static_cast<int>(args.Integer("max", klmw::kDefaultMaxPipColors, 1, klmw::kMaxTopicColors)));
  platform::RecordingMessages messages;
  {
    platform::ScopedMessages scoped(&messages);
    klmw::CPaint paint(run, dir);
    paint.ChooseBible(code);
    if (!run.WasConverted(code)) throw InputError(paint.PipPath() + ": cannot be read");
  }
  bool saved = true;
  for (const auto& shown : messages.m_shown) {
    std::string text = shown.text;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    Print(text + "\n");
    saved = saved && shown.text != "Unable to save Paint file";
  }
  if (!saved) throw InputError(dir + "paint." + Upper(code) + ": cannot be written");
}

void Record(const Args& args) {
  args.RequireCount(5, 5);
  const std::string path = Folder(args.At(2)) + "paint." + Upper(args.At(3));
  const int index = static_cast<int>(ParseInteger(args.At(4), "VERSEINDEX", 0, klmw::kColorVerses - 1));
  klmw::CPaintFile file;
  if (!file.Open(path)) throw InputError(path + ": not a paint file");
  const klmw::CVerseColors r = file.GetRecord(index);
  for (int s = klmw::kFirstDataSlot; s < klmw::kColorSlots && r.colorPos[s] != klmw::kPositionEnd; ++s)
    Print("colour " + std::to_string(r.colorPos[s]) + " " + std::to_string(r.color[s]) + "\n");
  for (int s = klmw::kFirstDataSlot; s < klmw::kColorSlots && r.underlinePos[s] != klmw::kPositionEnd; ++s)
    Print("underline " + std::to_string(r.underlinePos[s]) + " " + std::to_string(r.underline[s]) + "\n");
  Print("flag " + std::to_string(r.hasUnderline) + "\n");
}

void Index(const Args& args) {
  args.RequireCount(5, 5);
  const std::string path = Folder(args.At(2)) + "COLORNDX." + Upper(args.At(3));
  const int set = static_cast<int>(ParseInteger(args.At(4), "SET", 0, klmw::kColorIndexSets - 1));
  std::error_code err;
  const auto size = std::filesystem::file_size(path, err);
  if (err) throw InputError(path + ": cannot be read");
  const auto sets = size / klmw::kColorSetBytes;
  if (static_cast<uintmax_t>(set) >= sets)
    throw InputError(path + ": no set " + std::to_string(set) + " (the file has " + std::to_string(sets) + ")");
  klmw::CColorIndex index;
  if (!index.Load(path)) throw InputError(path + ": cannot be read");
  for (int v : index.Verses(set)) Print(std::to_string(v) + "\n");
}

}  // namespace

void CmdPaint(const Words& words) {
  Args args(words, {"max"}, {"underline"});
  if (args.Count() < 2) throw UsageError("paint needs convert, record or index");
  const std::string& what = args.At(1);
  if (what == "convert") return Convert(args);
  if (args.Has("underline") || args.Has("max")) throw UsageError("--underline and --max go with paint convert");
  if (what == "record") return Record(args);
  if (what == "index") return Index(args);
  throw UsageError("unknown paint command " + what);
}

}  // namespace soltkit
