// The clipboard's copy of verses from a Bible window: plain text and rich
// text, each verse copied from its start with its number (and a chapter's
// first verse with the chapter's heading), the first and last verses of a
// selection only from and to where it starts and ends.
#pragma once

#include <functional>
#include <string>

#include "app/bibles/verselayout.h"

namespace klmw {

class CBibleModule;

struct CBibleCopy {
  std::string plain;  // Windows-1252, lines ended by "\n"
  std::string rtf;
};

// Sizes in half points, as the rich text gives them.
struct CCopySizes {
  int heading = 28;
  int text = 24;
};

// textOf gives a verse's display text by verse index; code names the Bible
// (for the book names of headings).
CBibleCopy CopyVerses(const CBibleModule& bible, const std::string& code, const CVerseSelection& selection,
                      const std::function<std::string(int index)>& textOf, const CCopySizes& sizes = {});

// The selection that covers verses first to last (indexes) whole.
CVerseSelection WholeVerses(int first, int last, const std::function<std::string(int index)>& textOf);

}  // namespace klmw
