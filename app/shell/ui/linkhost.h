// What the links of book windows reach in the rest of the program: the KJS
// Bible and its window, the picture window, the desktop's programs.
#pragma once

#include "app/shell/ui/bookview.h"

namespace klmw {

class CShellApp;

CBookLinkHost MakeBookLinkHost(CShellApp& app);

}  // namespace klmw
