// The soltkit commands, one function each; they print to stdout and raise
// UsageError or InputError (see args.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

class cSOLTBook;

namespace klmw {
class CBibleModule;
}
namespace platform {
class File;
}
namespace textpane {
class FontSystem;
}

namespace soltkit {

using Words = std::vector<std::string>;

void CmdInfo(const Words& words);
void CmdArea(const Words& words);
void CmdToc(const Words& words);
void CmdPath(const Words& words);
void CmdKey(const Words& words);
void CmdWords(const Words& words);
void CmdKeys(const Words& words);
void CmdPositions(const Words& words);
void CmdVerseKeys(const Words& words);
void CmdSync(const Words& words);
void CmdFollow(const Words& words);
void CmdBuild(const Words& words);
void CmdRtf(const Words& words);
void CmdRef(const Words& words);
void CmdTrans(const Words& words);
void CmdRefs(const Words& words);
void CmdDbf(const Words& words);
void CmdBible(const Words& words);
void CmdMakeBible(const Words& words);
void CmdPaint(const Words& words);
void CmdSearch(const Words& words);
void CmdNotes(const Words& words);

// Loads a Bible module from its definition; an InputError with the
// library's message when it cannot.
void LoadBible(klmw::CBibleModule& module, const std::string& path);
// Opens a loaded Bible's text file; an InputError when it cannot.
void OpenBibleText(const klmw::CBibleModule& module, platform::File& file);

// The book in words[1] (a directory; --pub, --book and --sync as for the
// book commands) set up but not opened, handed to body; file errors become
// InputErrors.
void WithBookSetUp(const Words& words, const std::function<void(cSOLTBook&)>& body);

// The platform's fonts for `rtf layout` without --fixed; null where the
// build has none.
textpane::FontSystem* PlatformFontSystem();

}  // namespace soltkit
