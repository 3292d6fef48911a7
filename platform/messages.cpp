#include "platform/messages.h"

#include <cstdio>

namespace platform {

int StderrMessages::Show(const std::string& text, MessageButtons buttons, const std::string& caption) {
  if (!caption.empty()) std::fprintf(stderr, "%s: ", caption.c_str());
  std::fprintf(stderr, "%s", text.c_str());
  if (text.empty() || text.back() != '\n') std::fputc('\n', stderr);
  switch (buttons) {
    case MessageButtons::Ok: return IDOK;
    case MessageButtons::YesNo: return IDNO;
    default: return IDCANCEL;
  }
}

int RecordingMessages::Show(const std::string& text, MessageButtons buttons, const std::string& caption) {
  m_shown.push_back({text, buttons, caption});
  if (m_answers.empty()) return m_default;
  int answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}

namespace {
StderrMessages g_stderrMessages;
Messages* g_messages = &g_stderrMessages;
}  // namespace

Messages& GetMessages() { return *g_messages; }

void SetMessages(Messages* messages) { g_messages = messages ? messages : &g_stderrMessages; }

int MessageBox(const std::string& text, MessageButtons buttons, const std::string& caption) {
  return GetMessages().Show(text, buttons, caption);
}

}  // namespace platform
