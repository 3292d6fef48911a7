// soltkit ref: the verse references of REFBASE.DAT, as the reference library
// answers for them, and the builder of that file.
#include <cstdio>
#include <string>

#include "platform/file.h"
#include "platform/messages.h"
#include "refbase.h"
#include "refbase/datafiles.h"
#include "refbase/refbasebuilder.h"
#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace soltkit {
namespace {

// The library's lookup messages become soltkit's one-line errors.
class LineMessages : public platform::Messages {
 public:
  int Show(const std::string& text, platform::MessageButtons, const std::string&) override {
    std::fprintf(stderr, "soltkit: %s\n", text.c_str());
    return platform::IDOK;
  }
};

unsigned short Number(const Args& args, size_t i, const char* what) {
  return static_cast<unsigned short>(ParseInteger(args.At(i), what, 0, 65535));
}

void RequireData() {
  if (cBibleReference::m_conversion_data_in_use == 0)
    throw InputError("the Bible reference conversion data could not be loaded (" + refbase::RefbaseDatPath() + ")");
}

// The alias lists are read through GetReferenceAlias so that every entry is
// printed as the file holds it: the callback turns down every book but the
// one asked for by position (position 0 is the reference's own book).
int g_acceptAt = 0;
int g_calls = 0;

int AcceptByPosition(unsigned short) { return g_calls++ == g_acceptAt; }

bool AliasAt(const cBibleReference& ref, int position, int includeNear, cBibleReference* out) {
  g_acceptAt = position;
  g_calls = 0;
  return ref.GetReferenceAlias(out, AcceptByPosition, includeNear) == 0;
}

void PrintReference(const cBibleReference& r) {
  std::printf("%u\t%u\t%u\n", r.GetBook(), r.GetChapterID(), r.GetVerseID());
}

void Aliases(const Args& args) {
  args.RequireCount(5, 5);
  cBibleReference ref;
  ref.SetReferenceID(Number(args, 2, "BOOK"), Number(args, 3, "CHAPTER"), Number(args, 4, "VERSE"));
  const bool nearAliases = args.Has("near");
  const int first = nearAliases ? 1 + ref.GetNumberOfAliases() : 1;
  cBibleReference alias;
  for (int position = first; AliasAt(ref, position, nearAliases ? 1 : 0, &alias); ++position) PrintReference(alias);
}

void Similar(const Args& args, bool chapters) {
  args.RequireCount(chapters ? 4 : 3, chapters ? 4 : 3);
  cBibleReferenceList list;
  try {
    if (chapters)
      cBibleReference::GetSimilarChapters(Number(args, 2, "BOOK"), Number(args, 3, "CHAPTER"), &list);
    else
      cBibleReference::GetSimilarBooks(Number(args, 2, "BOOK"), &list);
  } catch (const platform::FileException& e) {
    throw InputError("cannot read " + refbase::RefbaseDatPath() + " (cause " + std::to_string(e.m_cause) + ")");
  }
  for (const auto& r : list) {
    if (chapters)
      std::printf("%u\t%u\n", r->GetBook(), r->GetChapterID());
    else
      std::printf("%u\n", r->GetBook());
  }
}

}  // namespace

void CmdRef(const Words& words) {
  Args args(words, {}, {"near"});
  if (args.Count() < 2) throw UsageError("ref needs a subcommand");
  const std::string& sub = args.At(1);
  if (args.Has("near") && sub != "aliases") throw UsageError("--near belongs to ref aliases");

  if (sub == "build") {
    args.RequireCount(4, 4);
    std::string error;
    if (!refbase::BuildRefbaseFile(args.At(2), args.At(3), &error)) throw InputError(error);
    return;
  }

  LineMessages lines;
  platform::ScopedMessages scoped(&lines);
  RequireData();
  cBibleReference ref;
  if (sub == "chapters") {
    args.RequireCount(3, 3);
    std::printf("%u\n", cBibleReference::ChaptersInBook(Number(args, 2, "BOOK")));
  } else if (sub == "verses") {
    args.RequireCount(4, 4);
    std::printf("%u\n", cBibleReference::VersesInChapter(Number(args, 2, "BOOK"), Number(args, 3, "CHAPTER")));
  } else if (sub == "chapter-id") {
    args.RequireCount(4, 4);
    std::printf("%u\n", ref.GetChapterIDForLabel(Number(args, 2, "BOOK"), args.At(3).c_str()));
  } else if (sub == "verse-id") {
    args.RequireCount(5, 5);
    std::printf("%u\n",
                ref.GetVerseIDForLabel(Number(args, 2, "BOOK"), Number(args, 3, "CHAPTER"), args.At(4).c_str()));
  } else if (sub == "label") {
    args.RequireCount(5, 5);
    ref.SetReferenceID(Number(args, 2, "BOOK"), Number(args, 3, "CHAPTER"), Number(args, 4, "VERSE"));
    char chapter[8] = {}, verse[8] = {};
    // Nothing is printed when the library has no labels for the reference.
    if (ref.GetLabelsForReference(chapter, verse) == 0) std::printf("%.8s\t%.8s\n", chapter, verse);
  } else if (sub == "next") {
    args.RequireCount(5, 5);
    ref.SetReferenceID(Number(args, 2, "BOOK"), Number(args, 3, "CHAPTER"), Number(args, 4, "VERSE"));
    if (ref.GetNextVerse())
      PrintReference(ref);
    else
      std::printf("end\n");
  } else if (sub == "aliases") {
    Aliases(args);
  } else if (sub == "similar-books") {
    Similar(args, false);
  } else if (sub == "similar-chapters") {
    Similar(args, true);
  } else {
    throw UsageError("unknown ref subcommand " + sub);
  }
}

}  // namespace soltkit
