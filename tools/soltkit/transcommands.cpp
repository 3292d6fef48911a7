// soltkit trans: the translation table of the reference library, and its
// builder.
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/messages.h"
#include "refbase.h"
#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace soltkit {
namespace {

// Keeps the library's messages so that the first can be reported as
// soltkit's one-line error.
class KeptMessages : public platform::Messages {
 public:
  int Show(const std::string& text, platform::MessageButtons buttons, const std::string&) override {
    m_texts.push_back(text);
    return buttons == platform::MessageButtons::Ok ? platform::IDOK : platform::IDCANCEL;
  }
  std::vector<std::string> m_texts;
};

[[noreturn]] void Fail(const KeptMessages& kept, const std::string& fallback) {
  throw InputError(kept.m_texts.empty() ? fallback : kept.m_texts.front());
}

// The table is loaded when the library is; when that failed (the message has
// gone by), loading again gives the reason as one line.
void RequireData() {
  if (cTranslation::m_translation_data_in_use > 0) return;
  KeptMessages kept;
  platform::ScopedMessages scoped(&kept);
  if (cTranslation::InitializeTranslationData() != 0) Fail(kept, "the translation data could not be loaded");
}

unsigned short Book(const std::string& text) {
  return static_cast<unsigned short>(ParseInteger(text, "book", 0, 65535));
}

void List() {
  cTranslation translation;
  unsigned short id = 0;
  for (const char* name = translation.GetFirstTranslationName(&id); name;
       name = translation.GetNextTranslationName(&id))
    std::printf("%u\t%s\n", id, name);
}

void Books(const cTranslation& translation) {
  std::vector<std::pair<unsigned, unsigned>> order;  // position, book
  for (unsigned book = 1; book <= 65535; ++book)
    if (unsigned position = translation.IsBookValid(static_cast<unsigned short>(book)))
      order.emplace_back(position, book);
  std::sort(order.begin(), order.end());
  for (const auto& [position, book] : order) std::printf("%u\n", book);
}

void Range(cTranslation& translation, unsigned short first, unsigned short last) {
  if (translation.SetBookRange(first, last) != 0) {
    std::printf("refused\n");
    return;
  }
  while (unsigned short book = translation.GetNextBookInRange()) std::printf("%u\n", book);
}

void Build(const std::string& source, const std::string& out) {
  KeptMessages kept;
  platform::ScopedMessages scoped(&kept);
  if (cTranslation::CreateTransDataFile(source.c_str(), out.c_str(), nullptr) != 0)
    Fail(kept, "the translation data file could not be built");
}

}  // namespace

void CmdTrans(const Words& words) {
  Args args(words, {}, {});
  if (args.Count() < 2) throw UsageError("trans: a subcommand is needed");
  const std::string& what = args.At(1);
  if (what == "build") {
    args.RequireCount(4, 4);
    Build(args.At(2), args.At(3));
    return;
  }
  if (what == "list") {
    args.RequireCount(2, 2);
    RequireData();
    List();
    return;
  }
  if (what != "books" && what != "range" && what != "compare") throw UsageError("trans: unknown subcommand " + what);
  const bool books = what == "books";
  args.RequireCount(books ? 3 : 5, books ? 3 : 5);
  // Arguments are checked before the data, so that bad usage says so.
  const unsigned short a = books ? 0 : Book(args.At(3)), b = books ? 0 : Book(args.At(4));
  RequireData();
  // An unknown name gives no translation, and the library answers for that.
  cTranslation translation(args.At(2).c_str());
  if (books) {
    Books(translation);
  } else if (what == "range") {
    Range(translation, a, b);
  } else {
    std::printf("%d\n", translation.BookCompare(a, b));
  }
}

}  // namespace soltkit
