// A book of two areas for the tests that read sections: the first area holds
// the sections First (level 0) and Second (level 1), the second area the
// section Other. The first area's text after "Second" is the caller's; it
// ends the area's RTF with '}'.
#pragma once

#include <memory>
#include <string>

#include "soltread/tests/testbook.h"

namespace sectionbook {

inline std::unique_ptr<testbook::BookDir> Make(const std::string& afterSecond) {
  const solt::sVersionInfo version = testbook::Version();
  solt::cViewableWriter viewable(version);
  viewable.SetCompression(1);
  viewable.SetHeaderArea("{\\rtf1\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}");
  viewable.AddArea("\\soltstartlevel0 First\\par \\soltstartlevel1 Second" + afterSecond);
  viewable.AddArea("\\soltstartlevel0 Other\\par}");
  auto dir = std::make_unique<testbook::BookDir>(viewable, version);
  solt::cSectionsWriter sections(version);
  sections.AddSection("First", 1, 1, 0);
  sections.AddSection("Second", 1, 1, 1);
  sections.AddSection("Other", 1, 2, 0);
  testbook::WriteBytes(dir->File("sections.idx"), sections.Build());
  return dir;
}

}  // namespace sectionbook
