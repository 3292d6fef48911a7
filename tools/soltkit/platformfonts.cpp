// A build without Qt has no platform fonts: `rtf layout` then needs --fixed.
#include "tools/soltkit/commands.h"

namespace soltkit {

textpane::FontSystem* PlatformFontSystem() { return nullptr; }

}  // namespace soltkit
