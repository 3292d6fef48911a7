// klmw: the Bible study program.
//
//   klmw [--home DIR] [--nosplash] [--go REFERENCE] [--screenshot FILE.png] [--] [DOCUMENT...]
//
// --go goes to the references (as typed into the reference box, such as
// "Gen 1:1-3; 2:4, 6") once the workspace is back.
// A DOCUMENT opens once the workspace is back: a picture file (.bmp, .png,
// .jpg) in a picture window, "Book# <book index> <key>" as a book window.
// --screenshot starts, restores the workspace, renders the main window into
// FILE.png and exits without writing the settings file. KLMW_STARTUP_TIMING=1
// prints the time from process start to the first paint of the restored main
// window, and the resident memory then, on stderr.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "app/shell/commandline.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/qtext.h"
#include "app/shell/ui/qtmessages.h"
#include "app/shell/ui/quitsignals.h"
#include "app/shell/ui/shellapp.h"
#include "platform/home.h"
#include "platform/messages.h"

namespace {

const auto g_mainEntered = std::chrono::steady_clock::now();

// Seconds since the process started, from /proc (clock-tick resolution), or
// -1 when that cannot be read.
double SecondsSinceProcessStart() {
  std::ifstream in("/proc/self/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(stat.substr(close + 2));
  std::string field;
  // Field 22 (starttime); the stream starts at field 3.
  for (int i = 3; i <= 22 && fields >> field; ++i) {
  }
  long ticks = sysconf(_SC_CLK_TCK);
  timespec now{};
  if (field.empty() || ticks <= 0 || clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1;
  double started = std::strtod(field.c_str(), nullptr) / static_cast<double>(ticks);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9 - started;
}

long ResidentKiB() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

void Usage() {
  std::fprintf(stderr,
               "usage: klmw [--home DIR] [--nosplash] [--go REFERENCE] [--screenshot FILE.png] [--] [DOCUMENT...]\n");
}

}  // namespace

int main(int argc, char** argv) {
  platform::InitProgramDir(argc, argv);
  // Help needs no display: asked before the toolkit starts.
  if (klmw::ParseCommandLine(argc, argv).help) {
    Usage();
    return 0;
  }
  const bool timing = [] {
    const char* v = std::getenv("KLMW_STARTUP_TIMING");
    return v && *v && std::strcmp(v, "0") != 0;
  }();

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("klmw"));
  QApplication::setApplicationDisplayName(QStringLiteral("klmw"));
  QApplication::setApplicationVersion(QStringLiteral(KLMW_VERSION));

  // The toolkit has taken its own options (-platform, -style, ...) out.
  const klmw::CCommandLine line = klmw::ParseCommandLine(argc, argv);
  for (const std::string& problem : line.problems) std::fprintf(stderr, "klmw: %s\n", problem.c_str());
  if (!line.problems.empty()) Usage();
  const std::string& screenshot = line.screenshot;

  // A screenshot runs unattended: its messages go to stderr.
  klmw::CQtMessages dialogs;
  platform::StderrMessages console;
  platform::ScopedMessages messages(screenshot.empty() ? static_cast<platform::Messages*>(&dialogs)
                                                       : static_cast<platform::Messages*>(&console));

  klmw::CShellApp shell;
  klmw::CStartOptions options;
  options.splash = line.splash && screenshot.empty();
  options.offerBookcase = screenshot.empty();
  options.documents = line.documents;
  if (!screenshot.empty()) shell.DisableSaving();

  if (timing) {
    QObject::connect(&shell, &klmw::CShellApp::firstPaint, &app, [] {
      std::fprintf(stderr, "klmw first paint: %.3f s since process start, %ld KiB resident\n",
                   SecondsSinceProcessStart(), ResidentKiB());
    });
  }
  QObject::connect(&shell, &klmw::CShellApp::ready, &app, [&] {
    klmw::CMainFrame* frame = shell.GetMainFrame();
    if (timing) {
      // Paint now, with the restored windows, and measure that.
      frame->repaint();
      QApplication::processEvents();
      double sinceMain =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - g_mainEntered).count();
      std::fprintf(stderr, "klmw restored: %.3f s since process start (%.3f s since main), %ld KiB resident\n",
                   SecondsSinceProcessStart(), sinceMain, ResidentKiB());
    }
    if (!line.reference.empty()) {
      frame->GetReferenceBox()->setText(QString::fromLocal8Bit(line.reference.c_str()));
      shell.GoToTypedReference(klmw::ToLatin1252(QString::fromLocal8Bit(line.reference.c_str())));
    }
    if (!screenshot.empty()) {
      // Let the restored windows lay out and paint once before grabbing.
      QTimer::singleShot(50, &app, [frame, &screenshot] {
        QPixmap picture = frame->grab();
        bool saved = picture.save(QString::fromLocal8Bit(screenshot.c_str()), "PNG");
        if (!saved) std::fprintf(stderr, "klmw: cannot write %s\n", screenshot.c_str());
        QApplication::exit(saved ? 0 : 1);
      });
    }
  });

  // Ended by the session or from a terminal: close the main window the
  // ordinary way, which saves the workspace and the sync switch once the
  // saved workspace has been restored, and nothing before.
  klmw::CQuitSignals quitSignals;
  QObject::connect(&quitSignals, &klmw::CQuitSignals::quitRequested, &shell, &klmw::CShellApp::Quit);

  if (!shell.InitInstance(options)) return 1;
  return QApplication::exec();
}
