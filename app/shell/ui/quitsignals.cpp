#include "app/shell/ui/quitsignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace klmw {

namespace {

int g_pipe[2] = {-1, -1};

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void OnSignal(int sig) {
  // Only async-signal-safe work here: one byte naming the signal.
  const int saved = errno;
  const auto byte = static_cast<unsigned char>(sig);
  (void)!::write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

CQuitSignals::CQuitSignals(QObject* parent) : QObject(parent) {
  if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
  ::fcntl(g_pipe[1], F_SETFL, ::fcntl(g_pipe[1], F_GETFL) | O_NONBLOCK);
  m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &CQuitSignals::OnReadable);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : kSignals) ::sigaction(sig, &action, nullptr);
}

CQuitSignals::~CQuitSignals() {
  if (!m_notifier) return;
  for (int sig : kSignals) ::signal(sig, SIG_DFL);
}

void CQuitSignals::OnReadable() {
  unsigned char byte = 0;
  if (::read(g_pipe[0], &byte, 1) == 1) emit quitRequested(byte);
}

}  // namespace klmw
