// Link targets as a book's text may store them, resolved the way a book
// window follows a link: whatever the target, the answer is a message, a
// section or glossary key the book has, a verse the Bible has, or a regular
// file inside the book's folder — never a file outside it, whatever "..",
// absolute path or symbolic link the target tries.
//
// Input: byte 0 picks the link type (0-5; 5 is no type a book uses), the
// rest is the target. The book's folder holds a small table of contents, a
// picture, a sub-folder and two links that leave the folder.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "biblefile/biblemodule.h"
#include "app/books/linkresolver.h"
#include "fuzz/fuzzsupport.h"
#include "soltread/indexwriters.h"

using fuzz::Check;

namespace {

constexpr int kSections = 2;
constexpr int kGlossary = 2;

struct Fixture {
  std::string folder;  // the book's folder, canonical, with a trailing '/'
  cSOLTBook book;
  klmw::CBibleModule bible;

  Fixture() {
    const std::string& scratch = fuzz::ScratchDir();
    namespace fs = std::filesystem;
    const std::string dir = scratch + "book/";
    fs::create_directories(dir + "maps");
    fs::create_directories(scratch + "outside");
    solt::sVersionInfo version;
    version.publisherID = 7;
    version.bookID = 42;
    solt::cSectionsWriter sections(version);
    sections.AddSection("Intro", 1, 0, 0);
    sections.AddSection("Chapter", 1, 0, 1);
    sections.AddGlossary("Firmament", 1, 0, 2);
    sections.AddGlossary("Void", 1, 0, 3);
    const std::string idx = sections.Build();
    fuzz::WriteFile(dir + "sections.idx", reinterpret_cast<const uint8_t*>(idx.data()), idx.size());
    fuzz::WriteFile(dir + "maps/EDEN.BMP", reinterpret_cast<const uint8_t*>("BM"), 2);
    fuzz::WriteFile(dir + "talk.mp3", reinterpret_cast<const uint8_t*>("ID3"), 3);
    fuzz::WriteFile(scratch + "outside/secret.bmp", reinterpret_cast<const uint8_t*>("BM"), 2);
    Check(::symlink((scratch + "outside/secret.bmp").c_str(), (dir + "escape.bmp").c_str()) == 0, "cannot link");
    Check(::symlink((scratch + "outside").c_str(), (dir + "away").c_str()) == 0, "cannot link");
    fuzz::Register(book, dir, 7, 42);
    folder = fs::canonical(dir).string() + "/";
    Check(bible.ParseDefinition("TDBFILE=\"KJS.dat\"\n{Genesis\txx3,2}\n{Exodus\txx2}\n", ""), "no Bible");
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static Fixture f;
  fuzz::QuietMessages();
  const unsigned type = data[0] % 6;
  const std::string target(reinterpret_cast<const char*>(data + 1), size - 1);

  klmw::CLinkResolver resolver(&f.book, &f.bible);
  const klmw::CLinkAction a = resolver.Resolve(type, target);
  using A = klmw::ELinkAction;
  switch (a.m_action) {
    case A::GoToSection:
      Check(type == 0 && a.m_key >= 0 && a.m_key < kSections, "a section the book does not have");
      break;
    case A::ShowGlossary:
      Check(a.m_key >= kSections && a.m_key < kSections + kGlossary, "a glossary entry the book does not have");
      break;
    case A::ShowVerse: {
      int b = 0, c = 0, v = 0;
      Check(type == 4 && a.m_verseCount >= 1, "an empty verse range");
      Check(f.bible.IndexToPlace(a.m_verse, b, c, v), "a verse the Bible does not have");
      Check(f.bible.IndexToPlace(a.m_verse + a.m_verseCount - 1, b, c, v), "a range past the Bible's end");
      break;
    }
    case A::ShowPicture:
    case A::OpenFile:
      Check(type == 2, "a file from a link that names none");
      Check(a.m_path.compare(0, f.folder.size(), f.folder) == 0, "a file outside the book's folder");
      Check(std::filesystem::is_regular_file(a.m_path), "not a regular file");
      break;
    case A::Message:
    case A::None:
      break;
  }

  // The parsers on their own: a verse target read back is counted from 1.
  int b = 0, c = 0, v = 0, lb = 0, lc = 0, lv = 0;
  if (klmw::ParseVerseTarget(target, b, c, v, lb, lc, lv))
    Check(b >= 1 && c >= 1 && v >= 1 && lb >= 1 && lc >= 1 && lv >= 1, "a verse place below 1");
  std::string file, caption;
  if (klmw::ParseMediaTarget(target, file, caption)) {
    const std::string path = klmw::ResolveBookFile(f.folder, file);
    Check(path.empty() || path.compare(0, f.folder.size(), f.folder) == 0, "a file outside the book's folder");
  }
  return 0;
}
