#include "app/shell/commandline.h"

#include <cctype>
#include <cstring>
#include <filesystem>

#include "app/shell/workspace.h"

namespace klmw {

namespace {

std::string LowerExtension(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = name.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

CCommandLine ParseCommandLine(int argc, const char* const* argv) {
  CCommandLine line;
  bool operands = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i] ? argv[i] : "";
    if (operands || arg.empty() || arg[0] != '-' || arg == "-") {
      line.documents.push_back(arg);
    } else if (arg == "--") {
      operands = true;
    } else if (arg == "--screenshot") {
      if (i + 1 < argc && argv[i + 1]) {
        line.screenshot = argv[++i];
      } else {
        line.problems.push_back("--screenshot needs a file name");
      }
    } else if (arg.rfind("--screenshot=", 0) == 0) {
      line.screenshot = arg.substr(13);
      if (line.screenshot.empty()) line.problems.push_back("--screenshot needs a file name");
    } else if (arg == "--go") {
      if (i + 1 < argc && argv[i + 1]) {
        line.reference = argv[++i];
      } else {
        line.problems.push_back("--go needs a reference");
      }
    } else if (arg.rfind("--go=", 0) == 0) {
      line.reference = arg.substr(5);
    } else if (arg == "--nosplash") {
      line.splash = false;
    } else if (arg == "--help" || arg == "-h") {
      line.help = true;
    } else {
      line.problems.push_back("unknown option " + arg);
    }
  }
  // An empty argument names nothing.
  std::erase(line.documents, std::string());
  return line;
}

bool IsPictureFileName(const std::string& name) {
  const std::string ext = LowerExtension(name);
  return ext == ".bmp" || ext == ".png" || ext == ".jpg" || ext == ".jpeg";
}

CDocumentRequest ClassifyDocument(const std::string& name) {
  CDocumentRequest request;
  int book = 0, key = 0;
  if (ParseBookDocumentName(name, book, key)) {
    request.kind = CDocumentRequest::EKind::Book;
    request.bookIndex = book;
    request.sectionKey = key;
    return request;
  }
  std::error_code ec;
  std::filesystem::path path = std::filesystem::absolute(name, ec);
  request.path = (ec ? std::filesystem::path(name) : path.lexically_normal()).string();
  const std::filesystem::file_status status = std::filesystem::status(request.path, ec);
  if (ec || !std::filesystem::exists(status)) {
    request.kind = CDocumentRequest::EKind::Missing;
  } else if (std::filesystem::is_directory(status) || !IsPictureFileName(request.path)) {
    request.kind = CDocumentRequest::EKind::NotShown;
  } else {
    request.kind = CDocumentRequest::EKind::Picture;
  }
  return request;
}

std::string DescribeUnopenedDocument(const CDocumentRequest& request) {
  switch (request.kind) {
    case CDocumentRequest::EKind::Missing:
      return "The file \"" + request.path + "\" could not be found.";
    case CDocumentRequest::EKind::NotShown:
      return "klmw cannot open \"" + request.path +
             "\".\nIt shows pictures (.bmp, .png, .jpg) named on the command line; books are registered with "
             "Bookcase and opened from the tree bar.";
    case CDocumentRequest::EKind::Book:
    case CDocumentRequest::EKind::Picture:
      break;
  }
  return {};
}

}  // namespace klmw
