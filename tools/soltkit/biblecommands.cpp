// Commands on a Bible module (a .ixb definition and the text file it names),
// and the Bible builder.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "biblefile/biblemodule.h"
#include "biblefile/biblewordlist.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "biblefile/biblebuilder.h"
#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace soltkit {
namespace {

// The library's message boxes become the one error line soltkit prints.
class KeptMessages : public platform::Messages {
 public:
  int Show(const std::string& text, platform::MessageButtons, const std::string&) override {
    if (m_text.empty()) m_text = text;
    return platform::IDOK;
  }
  std::string m_text;
};

void Write(const std::string& text) {
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
    throw InputError("cannot write to standard output");
}

void OpenText(const klmw::CBibleModule& module, platform::File& file) {
  KeptMessages messages;
  platform::ScopedMessages scoped(&messages);
  if (!module.OpenText(file)) throw InputError(messages.m_text.empty() ? "cannot open " + module.GetTextPath() : messages.m_text);
}

}  // namespace

void OpenBibleText(const klmw::CBibleModule& module, platform::File& file) { OpenText(module, file); }

void LoadBible(klmw::CBibleModule& module, const std::string& path) {
  KeptMessages messages;
  platform::ScopedMessages scoped(&messages);
  if (module.Load(path)) return;
  if (!messages.m_text.empty()) throw InputError(messages.m_text);
  throw InputError("cannot load the Bible " + path + ": " + module.GetLoadError());
}

void CmdBible(const Words& words) {
  Args args(words, {"count"}, {});
  if (args.Count() < 3) throw UsageError("bible: IXB and an operation are needed");
  const std::string& op = args.At(2);
  klmw::CBibleModule module;
  auto loadFor = [&](size_t low, size_t high) {
    args.RequireCount(low, high);
    LoadBible(module, args.At(1));
  };
  auto number = [&](size_t i, const char* what) {
    return static_cast<int>(ParseInteger(args.At(i), what, -2147483647LL - 1, 2147483647LL));
  };

  if (op == "info") {
    loadFor(3, 3);
    std::printf("code: %s\n", module.GetCode().c_str());
    std::printf("text-file: %s\n", module.GetTextPath().c_str());
    std::printf("books: %d\n", module.GetBookCount());
    std::printf("verses: %d\n", module.GetVerseCount());
    std::printf("words: %d\n", module.MakeWordList().CountEntries());
  } else if (op == "place") {
    loadFor(4, 4);
    int book = 0, chapter = 0, verse = 0;
    if (module.VerseToPlace(number(3, "VERSENUMBER"), book, chapter, verse))
      std::printf("%d\t%d\t%d\n", book, chapter, verse);
    else
      std::printf("none\n");
  } else if (op == "index") {
    loadFor(6, 6);
    std::printf("%d\n", module.PlaceToIndex(number(3, "BOOK"), number(4, "CHAPTER"), number(5, "VERSE")));
  } else if (op == "text") {
    loadFor(5, 5);
    int first = number(3, "FIRST"), count = number(4, "COUNT");
    platform::File file;
    OpenText(module, file);
    std::string text;
    module.GetVerses(file, first, count, text);
    if (!text.empty() && text.back() != '\n') text += '\n';
    Write(text);
  } else if (op == "verse") {
    loadFor(4, 4);
    int verse = number(3, "VERSENUMBER");
    platform::File file;
    OpenText(module, file);
    std::string text;
    if (verse >= 1 && verse <= module.GetVerseCount()) {
      if (!module.GetVerseText(file, verse, text))
        throw InputError("cannot read verse " + std::to_string(verse) + " of " + module.GetTextPath());
      Write(text + "\n");
    }
  } else if (op == "find") {
    loadFor(4, 4);
    platform::File file;
    OpenText(module, file);
    klmw::CBibleWordList list = module.MakeWordList();
    std::vector<uint16_t> verses;
    list.ReadVerseList(file, args.At(3), verses);
    for (uint16_t v : verses) std::printf("%u\n", static_cast<unsigned>(v));
  } else if (op == "words") {
    loadFor(4, 4);
    long long count = args.Integer("count", 20, 0, 1000000000);
    klmw::CBibleWordList list = module.MakeWordList();
    list.FindNearest(args.At(3));
    std::string word;
    for (long long i = 0; i < count && list.GetNextWord(word); ++i) Write(word + "\n");
  } else {
    throw UsageError("bible: unknown operation " + op);
  }
}

void CmdMakeBible(const Words& words) {
  Args args(words, {}, {});
  args.RequireCount(3, 3);
  std::ifstream in(args.At(1), std::ios::binary);
  if (!in) throw InputError("cannot read " + args.At(1));
  std::ostringstream source;
  source << in.rdbuf();
  klmw::CBibleBuilder builder;
  std::string error;
  if (!builder.ReadSource(source.str(), error)) throw InputError(args.At(1) + ": " + error);
  if (!builder.Write(args.At(2), error)) throw InputError(error);
}

}  // namespace soltkit
