// The self-pipe behind SIGINT, SIGTERM and SIGHUP.
#include "platform/end_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/handler_guard.h"

namespace plat {
namespace {

int g_pipe[2] = {-1, -1};
constexpr long kOrderlyEndNs = 800'000'000;
timer_t g_deadline{};
bool g_haveDeadline = false;
volatile sig_atomic_t g_deadlineArmed = 0;

void OnDeadline(int) {
  const int status = PendingExitStatus();
  _exit(status > 0 ? status : 0);
}

void OnEndSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);  // a full pipe says enough
  if (g_haveDeadline && !g_deadlineArmed) {
    g_deadlineArmed = 1;
    itimerspec when{};
    when.it_value.tv_nsec = kOrderlyEndNs;
    timer_settime(g_deadline, 0, &when, nullptr);
  }
  errno = saved;
}

}  // namespace

void CatchEndSignals() {
  if (g_pipe[0] >= 0) return;
  if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    g_pipe[0] = g_pipe[1] = -1;
    return;  // the default actions stay: the signals still end the program
  }
  struct sigaction alarm {};
  alarm.sa_handler = OnDeadline;
  sigemptyset(&alarm.sa_mask);
  sigaction(SIGALRM, &alarm, nullptr);
  sigevent ev{};
  ev.sigev_notify = SIGEV_SIGNAL;
  ev.sigev_signo = SIGALRM;
  g_haveDeadline = timer_create(CLOCK_MONOTONIC, &ev, &g_deadline) == 0;
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
}

void KeepStandardFdsOpen() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);  // takes the lowest number: fd
    if (opened >= 0 && opened != fd) close(opened);
  }
}

int EndSignalFd() { return g_pipe[0]; }

bool TakeEndSignal() {
  if (g_pipe[0] < 0) return false;
  bool came = false;
  char buf[64];
  while (read(g_pipe[0], buf, sizeof buf) > 0) came = true;
  return came;
}

}  // namespace plat
