#include "refbase/vtmsg.h"

#include <gtest/gtest.h>

#include "platform/messages.h"

namespace {

TEST(VTMsg, FormatsTheLibraryMessageWithItsArguments) {
  platform::RecordingMessages messages;
  platform::ScopedMessages scoped(&messages);
  cVTMsg().DisplayMessage(158, 12, "257");
  cVTMsg().DisplayMessage(104, "/data/REFBASE.DAT", 2);
  cVTMsg().DisplayMessage(999);
  ASSERT_EQ(3u, messages.m_shown.size());
  EXPECT_EQ("Line 12 in the translation specification file is invalid.  The line is <257>.", messages.m_shown[0].text);
  EXPECT_NE(std::string::npos, messages.m_shown[1].text.find("The name of the file is /data/REFBASE.DAT.  The failure code is 2."));
  EXPECT_EQ("", messages.m_shown[2].text);

  refbase::LoadWarning(107, 110);
  EXPECT_EQ("Bible Reference DLL Load Message", messages.m_shown[3].caption);
}

}  // namespace
