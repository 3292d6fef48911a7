// The program's command line and the documents named on it.
//
//   klmw [--home DIR] [--nosplash] [--screenshot FILE.png] [--] [DOCUMENT...]
//
// --home has been taken out by platform::InitProgramDir before this runs.
// A document is a file (a picture opens in the picture window) or
// "Book# <book index> <key>", which opens a registry book at a section key
// or verse index the way a saved window does.
#pragma once

#include <string>
#include <vector>

namespace klmw {

struct CCommandLine {
  bool help = false;
  bool splash = true;
  std::string screenshot;
  // --go: references gone to once the workspace is back ("John 3:16").
  std::string reference;
  // In the order given.
  std::vector<std::string> documents;
  // What could not be understood, one line each, for stderr.
  std::vector<std::string> problems;
};

// argv[0] is the program. After "--" every argument is a document; before
// it an argument starting with '-' (other than "-" itself) is an option.
CCommandLine ParseCommandLine(int argc, const char* const* argv);

// What a document name opens.
struct CDocumentRequest {
  enum class EKind {
    Book,        // a registry book: bookIndex, sectionKey
    Picture,     // a picture file: path
    Missing,     // no such file: path
    NotShown,    // a file (or folder) the program has no window for: path
  };
  EKind kind = EKind::Missing;
  int bookIndex = 0;
  int sectionKey = 0;
  // Absolute, so the window does not depend on the folder the program ran in.
  std::string path;
};

// True for the picture files the picture window shows (.bmp, .png, .jpg,
// .jpeg, in any case).
bool IsPictureFileName(const std::string& name);

// Sorts a document name out; a relative path is taken from the current
// folder.
CDocumentRequest ClassifyDocument(const std::string& name);

// The message shown for a document that cannot open (Missing, NotShown);
// empty for the others.
std::string DescribeUnopenedDocument(const CDocumentRequest& request);

}  // namespace klmw
