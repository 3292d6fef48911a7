#include "app/shell/ui/splash.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include "app/shell/ui/icons.h"

namespace klmw {

CSplashWnd::CSplashWnd(const QPixmap& picture) : QSplashScreen(picture) {
  setAttribute(Qt::WA_DeleteOnClose);
  // Key and mouse presses anywhere in the program hide it, as they do over it.
  qApp->installEventFilter(this);
  QTimer::singleShot(kTimeoutMs, this, &QWidget::close);
}

CSplashWnd* CSplashWnd::ShowSplashScreen(const QString& version) {
  auto* splash = new CSplashWnd(MakeSplashPixmap(version));
  splash->show();
  return splash;
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
      qApp->removeEventFilter(this);
      close();
      break;
    default:
      break;
  }
  return QSplashScreen::eventFilter(watched, event);
}

}  // namespace klmw
