// Bibles for the tests, written at test time by the builder or by hand.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "biblefile/biblemodule.h"
#include "platform/coding.h"
#include "biblefile/biblebuilder.h"

namespace bibletest {

inline std::string MakeTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "bibletest.XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return {};
  return pattern + "/";
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A header of eight little-endian int32 values.
inline std::string Header(int32_t h0, int32_t h1, int32_t h2, int32_t h3) {
  std::string out;
  for (int32_t h : {h0, h1, h2, h3, 0, 0, 0, 0}) platform::PutFixed32(out, static_cast<uint32_t>(h));
  return out;
}

// A folder removed with everything in it at the end of the test.
class TempDir {
 public:
  TempDir() : m_path(MakeTempDir()) {}
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

// Genesis with chapters of 3 and 2 verses and Exodus with one chapter of 2:
// seven verses, numbers 1-7.
inline klmw::CBibleBuilder SmallBible() {
  klmw::CBibleBuilder b;
  b.SetCode("TST");
  b.SetName("Test Bible");
  const struct {
    int book, chapter, verse;
    const char* text;
  } verses[] = {
      {1, 1, 1, "$In the [beginning] God created the heaven and the earth."},
      {1, 1, 2, "And the earth was without form; and the <sc1>LORD<sc0> saw."},
      {1, 1, 3, "And God said, Let there be light: $and there was light. {a} So."},
      {1, 2, 1, "Thus the heavens were finished."},
      {1, 2, 2, "And on the seventh day God ended his work."},
      {2, 1, 1, "$Now these [are] the names."},
      {2, 1, 2, ""},
  };
  std::string error;
  for (const auto& v : verses) EXPECT_TRUE(b.AddVerse(v.book, v.chapter, v.verse, v.text, error)) << error;
  return b;
}

}  // namespace bibletest
