// The display options the main frame's commands change: footnote suppression
// ("Bible Display Options") and scrolling by line or by verse. No Qt here.
#pragma once

namespace klmw {

struct CDisplayOptions {
  bool m_suppressFootnotes = false;
  // false: the Bible views scroll by line; true: by verse.
  bool m_scrollByVerse = false;
};

}  // namespace klmw
