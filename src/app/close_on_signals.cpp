#include "app/close_on_signals.h"

#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace namitra::app {
namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int signal) {
  const char byte = static_cast<char>(signal);
  [[maybe_unused]] ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}

}  // namespace

void closeWindowOnTerminationSignals(QWidget* window) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, window);
  QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
    char byte = 0;
    [[maybe_unused]] ssize_t got = ::read(g_signalPipe[1], &byte, 1);
    window->close();
  });
  struct sigaction action = {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace namitra::app
