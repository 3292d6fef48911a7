#include "app/shell/manual.h"

#include <regex>

namespace klmw {

std::string ManualPagePath(const std::string& exeDir, const std::string& page) {
  return exeDir + kManualFolder + page;
}

std::string DescribeMissingManual(const std::string& path) {
  return "The user's guide could not be found.\nIt is looked for in " + path +
         "; a build of klmw puts it there beside the program.";
}

std::string DropMissingPictures(const std::string& html, const std::function<bool(const std::string& src)>& exists) {
  static const std::regex picture(R"re(<img\s[^>]*>)re", std::regex::icase);
  static const std::regex src(R"re(\ssrc="([^"]*)")re", std::regex::icase);
  static const std::regex alt(R"re(\salt="([^"]*)")re", std::regex::icase);
  std::string out;
  auto last = html.cbegin();
  for (std::sregex_iterator it(html.begin(), html.end(), picture), end; it != end; ++it) {
    const std::string tag = it->str();
    std::smatch s, a;
    if (!std::regex_search(tag, s, src) || exists(s[1].str())) continue;
    out.append(last, html.cbegin() + it->position());
    if (std::regex_search(tag, a, alt)) out += a[1].str();
    last = html.cbegin() + it->position() + it->length();
  }
  out.append(last, html.cend());
  return out;
}

}  // namespace klmw
