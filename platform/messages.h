// Modal message boxes. The GUI installs a Qt implementation, tests a recorder,
// and the command line keeps the default, which writes to stderr.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace platform {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };

// The buttons a box can return, numbered as the system's callers expect.
enum MessageResult { IDOK = 1, IDCANCEL = 2, IDRETRY = 4, IDYES = 6, IDNO = 7 };

class Messages {
 public:
  virtual ~Messages() = default;
  virtual int Show(const std::string& text, MessageButtons buttons, const std::string& caption) = 0;
};

// Prints the text to stderr. Nobody can answer on a command line, so a box
// that offers a way out (Cancel, No) takes it; that keeps a disk prompt from
// asking forever.
class StderrMessages : public Messages {
 public:
  int Show(const std::string& text, MessageButtons buttons, const std::string& caption) override;
};

// Keeps every box shown and answers from a queue (then with the default).
class RecordingMessages : public Messages {
 public:
  struct Shown {
    std::string text;
    MessageButtons buttons;
    std::string caption;
  };
  int Show(const std::string& text, MessageButtons buttons, const std::string& caption) override;

  std::vector<Shown> m_shown;
  std::deque<int> m_answers;
  int m_default = IDOK;
};

// The process-wide message sink; SetMessages(nullptr) restores the default.
Messages& GetMessages();
void SetMessages(Messages* messages);

// Convenience for the common call: an OK box without an owner.
int MessageBox(const std::string& text, MessageButtons buttons = MessageButtons::Ok,
               const std::string& caption = {});

// Installs a sink for the lifetime of the object (tests).
class ScopedMessages {
 public:
  explicit ScopedMessages(Messages* messages) { SetMessages(messages); }
  ~ScopedMessages() { SetMessages(nullptr); }
  ScopedMessages(const ScopedMessages&) = delete;
  ScopedMessages& operator=(const ScopedMessages&) = delete;
};

}  // namespace platform
