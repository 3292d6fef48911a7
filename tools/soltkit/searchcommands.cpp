// soltkit search: the Search command's run over a Bible or a book, and the
// Hits window's contents.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/search/hitlist.h"
#include "app/search/searchrun.h"
#include "biblefile/biblemodule.h"
#include "platform/file.h"
#include "soltread.h"
#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace soltkit {
namespace {

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// "C,C,...": search codes 0-11.
std::vector<int> ParseColors(const std::string& list) {
  std::vector<int> codes;
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(',', start);
    const std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    codes.push_back(static_cast<int>(ParseInteger(item, "--colors", 0, klmw::kSearchColorCodes - 1)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return codes;
}

void Print(const klmw::SearchResult& result, const std::vector<std::string>& words,
           const std::vector<klmw::HitEntry>& list) {
  if (!result.HasHits()) {
    if (!result.message.empty()) std::printf("%s\n", result.message.c_str());
    return;
  }
  std::printf("%s\n", klmw::HitsTitle(list.size(), words).c_str());
  for (const klmw::HitEntry& hit : list) std::printf("%ld\t%s\n", hit.position, hit.label.c_str());
}

}  // namespace

void CmdSearch(const Words& words) {
  Args args(words, {"pub", "book", "sync", "colors", "colordir"}, {"or", "woc"});
  if (args.Count() < 2) throw UsageError("search: TARGET is needed");
  klmw::SearchRequest request;
  for (size_t i = 2; i < args.Count(); ++i) request.words.push_back(args.At(i));
  request.mode = args.Has("or") ? klmw::kSearchOr : klmw::kSearchAnd;
  if (args.Has("colors")) request.colors = ParseColors(args.Value("colors"));
  request.wordsOfGod = args.Has("woc");
  const std::string& target = args.At(1);

  if (IsFolder(target)) {
    if (!request.colors.empty() || request.wordsOfGod) throw UsageError("search: colours apply to Bibles only");
    WithBookSetUp(words, [&](cSOLTBook& book) {
      const klmw::SearchResult result = klmw::RunBookSearch(book, request);
      Print(result, request.words, result.HasHits() ? klmw::BookHitList(book, result.hits)
                                                    : std::vector<klmw::HitEntry>{});
    });
    return;
  }

  klmw::CBibleModule bible;
  LoadBible(bible, target);
  platform::File text;
  OpenBibleText(bible, text);
  std::string dir = args.Value("colordir");
  if (!args.Has("colordir")) {
    const size_t slash = target.rfind('/');
    dir = slash == std::string::npos ? std::string() : target.substr(0, slash);
  }
  if (!dir.empty() && dir.back() != '/') dir += '/';
  const klmw::SearchResult result =
      klmw::RunBibleSearch(bible, text, request, klmw::ColorIndexPath(dir, bible.GetCode()));
  Print(result, request.words,
        result.HasHits() ? klmw::BibleHitList(bible, result.hits) : std::vector<klmw::HitEntry>{});
}

}  // namespace soltkit
