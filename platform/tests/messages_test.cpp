#include "platform/messages.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(Messages, RecorderKeepsBoxesAndAnswersFromQueue) {
  RecordingMessages recorder;
  recorder.m_answers = {IDRETRY, IDNO};
  recorder.m_default = IDCANCEL;
  {
    ScopedMessages scope(&recorder);
    EXPECT_EQ(MessageBox("Insert disk", MessageButtons::RetryCancel, "Library"), IDRETRY);
    EXPECT_EQ(MessageBox("Save?", MessageButtons::YesNo), IDNO);
    EXPECT_EQ(MessageBox("Again"), IDCANCEL);
  }
  ASSERT_EQ(recorder.m_shown.size(), 3u);
  EXPECT_EQ(recorder.m_shown[0].text, "Insert disk");
  EXPECT_EQ(recorder.m_shown[0].caption, "Library");
  EXPECT_EQ(recorder.m_shown[0].buttons, MessageButtons::RetryCancel);
  EXPECT_EQ(recorder.m_shown[2].buttons, MessageButtons::Ok);
  // Leaving the scope puts the command-line default back.
  EXPECT_NE(dynamic_cast<StderrMessages*>(&GetMessages()), nullptr);
}

TEST(Messages, StderrTakesTheWayOut) {
  const std::pair<MessageButtons, int> table[] = {
      {MessageButtons::Ok, IDOK},
      {MessageButtons::OkCancel, IDCANCEL},
      {MessageButtons::YesNo, IDNO},
      {MessageButtons::YesNoCancel, IDCANCEL},
      {MessageButtons::RetryCancel, IDCANCEL},
  };
  StderrMessages messages;
  for (const auto& [buttons, expected] : table) {
    ::testing::internal::CaptureStderr();
    int answer = messages.Show("Disk missing", buttons, "Library");
    std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, expected);
    EXPECT_EQ(printed, "Library: Disk missing\n");
  }
}

}  // namespace
}  // namespace platform
