// The splash screen shown while the main frame is created: hidden by any key
// or mouse button, or after 750 ms.
#pragma once

#include <QSplashScreen>

namespace klmw {

class CSplashWnd : public QSplashScreen {
  Q_OBJECT
 public:
  static constexpr int kTimeoutMs = 750;
  explicit CSplashWnd(const QPixmap& picture);
  // Shows a splash that deletes itself when it is hidden.
  static CSplashWnd* ShowSplashScreen(const QString& version);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace klmw
