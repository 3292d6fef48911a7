#include "app/shell/manual.h"

#include <gtest/gtest.h>

namespace klmw {
namespace {

// A picture that was not drawn gives way to its alt text; one that was, and
// everything else, stays.
TEST(ManualTest, MissingPicturesGiveWayToTheirAltText) {
  const auto drawn = [](const std::string& src) { return src == "pictures/here.png"; };
  const struct {
    const char* page;
    const char* shown;
  } cases[] = {
      {R"(<p><img src="pictures/gone.png" width="720" alt="[Picture: the main window]"></p>)",
       "<p>[Picture: the main window]</p>"},
      {R"(<p><img src="pictures/here.png" alt="[here]"></p>)", R"(<p><img src="pictures/here.png" alt="[here]"></p>)"},
      {R"(a <IMG alt="[x]" SRC="gone.png"> b <img src="gone.png"> c)", "a [x] b  c"},
      {"<p>no pictures</p>", "<p>no pictures</p>"},
  };
  for (const auto& c : cases) EXPECT_EQ(DropMissingPictures(c.page, drawn), c.shown) << c.page;
}

}  // namespace
}  // namespace klmw
