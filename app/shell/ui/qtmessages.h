// Library messages as Qt message boxes, owned by the active window.
#pragma once

#include "platform/messages.h"

namespace klmw {

class CQtMessages : public platform::Messages {
 public:
  int Show(const std::string& text, platform::MessageButtons buttons, const std::string& caption) override;
};

}  // namespace klmw
