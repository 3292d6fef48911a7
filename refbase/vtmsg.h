// The library's message display: a message number is looked up in the
// library's own message table and formatted with printf-style arguments,
// then shown through platform::Messages. Nothing is returned: the library
// relies only on the message reaching the user.
#pragma once

#include <string>

namespace refbase {

// The message's text, or an empty string for a number the table lacks.
const char* MessageText(int id);

// Formats message `id` with the arguments (printf-style).
std::string FormatMessage(int id, ...);

// A plain warning box (no owner) whose caption is message `captionId`; used
// while the data files are loaded.
void LoadWarning(int id, int captionId);

}  // namespace refbase

class cVTMsg {
 public:
  explicit cVTMsg(void* instance = nullptr) : m_instance(instance) {}
  void DisplayMessage(int id, ...);

 private:
  [[maybe_unused]] void* m_instance;  // kept as the message library is given it
};
