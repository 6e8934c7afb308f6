// The self-pipe behind SIGINT, SIGTERM and SIGHUP.
#include "platform/qt/end_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace plat::qt {
namespace {

int g_pipe[2] = {-1, -1};

void OnEndSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already says enough.
  [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void CatchEndSignals() {
  if (g_pipe[0] >= 0) return;
  if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    g_pipe[0] = g_pipe[1] = -1;
    return;  // the default actions stay: the signals still end the program
  }
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
}

int EndSignalFd() { return g_pipe[0]; }

bool TakeEndSignal() {
  if (g_pipe[0] < 0) return false;
  bool came = false;
  char buf[64];
  while (read(g_pipe[0], buf, sizeof buf) > 0) came = true;
  return came;
}

bool AwaitEndSignal(int ms) {
  using namespace std::chrono;
  const auto end = steady_clock::now() + milliseconds(ms);
  for (;;) {
    const auto left = ceil<milliseconds>(end - steady_clock::now()).count();
    if (left <= 0) return TakeEndSignal();
    pollfd p{g_pipe[0], POLLIN, 0};
    const int n = poll(&p, 1, static_cast<int>(left));
    if (n > 0) return TakeEndSignal();
    if (n < 0 && errno != EINTR) return false;
  }
}

}  // namespace plat::qt
