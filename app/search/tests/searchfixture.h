// A small Bible built for the search tests, with its colour index beside it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/bibles/colorindex.h"
#include "biblefile/biblebuilder.h"
#include "biblefile/biblemodule.h"
#include "biblefile/tests/biblefixture.h"
#include "platform/file.h"

namespace searchtest {

// Verse indexes 0-5. GOD {0,2,5}, EARTH {0,1}, FAITH {1,3}, HOPE {3},
// LIGHT {2}, CAFÉ {3}.
inline const char* const kVerses[][4] = {
    {"1", "1", "1", "In the beginning God created the heaven and the earth."},
    {"1", "1", "2", "And the earth was without form; faith."},
    {"1", "1", "3", "And God said, Let there be light: and there was light."},
    {"1", "1", "4", "Hope and faith in the caf\xE9."},
    {"1", "2", "1", "Thus the heavens were finished."},
    {"1", "2", "2", "And on the seventh day God ended his work."},
};

class SearchBible : public ::testing::Test {
 protected:
  void SetUp() override {
    klmw::CBibleBuilder builder;
    builder.SetCode("TST");
    builder.SetName("Test Bible");
    std::string error;
    for (const auto& v : kVerses)
      ASSERT_TRUE(builder.AddVerse(std::stoi(v[0]), std::stoi(v[1]), std::stoi(v[2]), v[3], error)) << error;
    ASSERT_TRUE(builder.Write(m_dir.Path(), error)) << error;
    ASSERT_TRUE(m_bible.Load(m_dir.Path() + "TST.ixb"));
    ASSERT_TRUE(m_bible.OpenText(m_text));
    // Topic colour 3 (search code 2) on verses 1 and 4, colour 6 (code 5) on
    // verse 2, the underlined verses 0 and 5.
    klmw::CColorIndex index;
    index.Mark(2, 1);
    index.Mark(2, 4);
    index.Mark(5, 2);
    index.Mark(klmw::kUnderlineSet, 0);
    index.Mark(klmw::kUnderlineSet, 5);
    ASSERT_TRUE(index.Save(IndexPath(), klmw::kColorIndexSets));
  }
  std::string IndexPath() const { return m_dir.Path() + "COLORNDX.TST"; }

  bibletest::TempDir m_dir;
  klmw::CBibleModule m_bible;
  platform::File m_text;
};

}  // namespace searchtest
