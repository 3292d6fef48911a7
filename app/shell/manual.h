// The user's guide: HTML pages in the folder manual/ beside the executable,
// copied there by the build. Help > Help opens its contents page, the two
// Internet commands of the Help menu the contents and the about page.
#pragma once

#include <functional>
#include <string>

namespace klmw {

inline constexpr const char* kManualFolder = "manual/";
inline constexpr const char* kManualContentsPage = "index.html";
inline constexpr const char* kManualAboutPage = "about.html";

// The path of a page of the guide; exeDir ends in '/' (platform::GetExecutableDir).
std::string ManualPagePath(const std::string& exeDir, const std::string& page);

// What the user is told when that page is not there.
std::string DescribeMissingManual(const std::string& path);

// A page of the guide with every picture (<img ... src="FILE" alt="TEXT">)
// whose file is not there replaced by its alt text: the pictures are drawn
// after the build, and the guide reads without them.
std::string DropMissingPictures(const std::string& html, const std::function<bool(const std::string& src)>& exists);

}  // namespace klmw
