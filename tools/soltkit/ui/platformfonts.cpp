// The screen's fonts for `rtf layout`, through Qt. A command-line tool has no
// window, so Qt runs on its offscreen platform unless a display is named.
#include <QGuiApplication>
#include <cstdlib>

#include "textpane/ui/qtfontsystem.h"
#include "tools/soltkit/commands.h"

namespace soltkit {

textpane::FontSystem* PlatformFontSystem() {
  if (!QGuiApplication::instance()) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt's own warnings (no runtime directory, say) are no business of a
    // script reading soltkit's output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static int argc = 1;
    static char name[] = "soltkit";
    static char* argv[] = {name, nullptr};
    // Left to the end of the process: fonts made through it may outlive any
    // scope that could own it.
    new QGuiApplication(argc, argv);
  }
  return &textpane::QtFontSystem::Screen();
}

}  // namespace soltkit
