// Message boxes of the dialog program: platform::Messages shown with
// QMessageBox over the active window.
#pragma once

#include "platform/messages.h"

namespace bookcase {

class CQtMessages : public platform::Messages {
 public:
  int Show(const std::string& text, platform::MessageButtons buttons, const std::string& caption) override;
};

}  // namespace bookcase
