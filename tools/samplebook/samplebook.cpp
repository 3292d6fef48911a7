// Writes the sample book that scripts/run opens: the header area from
// header.rtf, one viewable area per numbered .rtf file in name order, and the
// header text from book.txt, LZSS-compressed like a published book.
//
//   samplebook SOURCE_DIR OUT_DIR [--stored]
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "soltread/bookwriter.h"

namespace fs = std::filesystem;

static bool ReadFile(const fs::path& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4 || (argc == 4 && std::string(argv[3]) != "--stored")) {
    std::fprintf(stderr, "usage: samplebook SOURCE_DIR OUT_DIR [--stored]\n");
    return 2;
  }
  const fs::path source = argv[1];
  const fs::path out = argv[2];
  solt::sVersionInfo version;
  version.publisherID = 1;
  version.bookID = 1;
  solt::cViewableWriter writer(version);
  writer.SetCompression(argc == 4 ? 0 : 1);

  std::string text;
  if (!ReadFile(source / "header.rtf", text)) {
    std::fprintf(stderr, "samplebook: cannot read %s\n", (source / "header.rtf").c_str());
    return 1;
  }
  writer.SetHeaderArea(text);
  if (ReadFile(source / "book.txt", text)) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    writer.SetHeaderText(text);
  }
  std::vector<fs::path> areas;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(source, ec))
    if (entry.path().extension() == ".rtf" && entry.path().filename() != "header.rtf") areas.push_back(entry.path());
  std::sort(areas.begin(), areas.end());
  for (const fs::path& area : areas) {
    if (!ReadFile(area, text)) {
      std::fprintf(stderr, "samplebook: cannot read %s\n", area.c_str());
      return 1;
    }
    writer.AddArea(text);
  }
  fs::create_directories(out, ec);
  std::string dir = out.string();
  if (dir.back() != '/') dir += '/';
  std::string error;
  if (!writer.Write(dir, dir, &error)) {
    std::fprintf(stderr, "samplebook: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
