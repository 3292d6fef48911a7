// Turns the signals a desktop session or a terminal sends to end a program
// (SIGTERM, SIGINT, SIGHUP) into a Qt signal, so that the program closes its
// main window the ordinary way and saves the user's workspace rather than
// dying with it unsaved.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace klmw {

class CQuitSignals : public QObject {
  Q_OBJECT
 public:
  // Installs the handlers; the signal handler only writes a byte into a pipe
  // that the event loop watches. False when the pipe cannot be made.
  explicit CQuitSignals(QObject* parent = nullptr);
  ~CQuitSignals() override;
  bool IsInstalled() const { return m_notifier != nullptr; }

 signals:
  // Emitted in the event loop, once per signal received.
  void quitRequested(int signal);

 private:
  void OnReadable();
  QSocketNotifier* m_notifier = nullptr;
};

}  // namespace klmw
