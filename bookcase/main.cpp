// bookcase: registers book data sets in the main program's settings file.
//
//   bookcase [--home DIR]                        the "Book Case" dialog
//   bookcase [--home DIR] --add DESCRIPTION.ini  register without a dialog
#include <QApplication>
#include <cstring>
#include <iostream>

#include "bookcase/addcommand.h"
#include "bookcase/bookcaselogic.h"
#include "bookcase/ui/bookcasedialog.h"
#include "bookcase/ui/qtmessages.h"
#include "platform/home.h"

namespace {

void PrintUsage(std::ostream& out) {
  out << "usage: bookcase [--home DIR]                 the Book Case dialog\n"
         "       bookcase [--home DIR] --add FILE.ini  register a book description\n";
}

}  // namespace

int main(int argc, char** argv) {
  platform::InitProgramDir(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "--add") == 0) {
    // No display is needed for this, so no QApplication is made.
    if (argc != 3) {
      PrintUsage(std::cerr);
      return 2;
    }
    return bookcase::RunAddCommand(argv[2], platform::GetProgramDir(), std::cout, std::cerr);
  }
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    PrintUsage(std::cout);
    return 0;
  }
  if (argc >= 2 && argv[1][0] == '-' && std::strncmp(argv[1], "-platform", 9) != 0) {
    PrintUsage(std::cerr);
    return 2;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("bookcase");
  bookcase::CQtMessages messages;
  platform::ScopedMessages scoped(&messages);
  bookcase::CBookCase bookCase(platform::GetProgramDir());
  bookcase::CBookCaseDialog dialog(bookCase);
  dialog.exec();
  return 0;
}
