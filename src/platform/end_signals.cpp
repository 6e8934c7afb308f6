// The process: its standard file descriptors kept open, and the self-pipe
// behind SIGINT, SIGTERM and SIGHUP.
#include "platform/end_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/handler_guard.h"

namespace plat {
namespace {

int g_pipe[2] = {-1, -1};
bool g_foundClosed[3] = {};  // by KeepStandardFdsOpen

// The orderly end needs the X server's answers; a server that does not
// answer (stopped, or far away) must not keep the program alive. This long
// after the first signal the program ends without them.
constexpr long kOrderlyEndNs = 800'000'000;
timer_t g_deadline{};
bool g_haveDeadline = false;
volatile sig_atomic_t g_deadlineArmed = 0;

// A command bounded by EndWithin: what it ends with at its deadline and on
// a signal.
volatile sig_atomic_t g_bounded = 0;
int g_boundedStatus = 1;
char g_deadlineLine[512];
char g_signalLine[512];

void WriteLine(const char* line) {
  for (std::size_t n = std::strlen(line); n > 0;) {
    const ssize_t w = write(2, line, n);
    if (w <= 0) return;
    line += w;
    n -= static_cast<std::size_t>(w);
  }
}

// Only the program's own timer ends it; SIGALRM from anyone else is
// ignored.
void OnDeadline(int, siginfo_t* info, void*) {
  if (info->si_code != SI_TIMER) return;
  if (g_bounded) {
    WriteLine(g_deadlineLine);
    _exit(g_boundedStatus);
  }
  const int status = PendingExitStatus();
  _exit(status > 0 ? status : 0);
}

void OnEndSignal(int) {
  if (g_bounded) {
    WriteLine(g_signalLine);
    _exit(g_boundedStatus);
  }
  const int saved = errno;
  const char byte = 1;
  // A full pipe already says enough.
  [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
  if (g_haveDeadline && !g_deadlineArmed) {
    g_deadlineArmed = 1;
    itimerspec when{};
    when.it_value.tv_nsec = kOrderlyEndNs;
    timer_settime(g_deadline, 0, &when, nullptr);
  }
  errno = saved;
}

void StartDeadline() {
  struct sigaction action {};
  action.sa_sigaction = OnDeadline;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGALRM, &action, nullptr);
  sigevent ev{};
  ev.sigev_notify = SIGEV_SIGNAL;
  ev.sigev_signo = SIGALRM;
  g_haveDeadline = timer_create(CLOCK_MONOTONIC, &ev, &g_deadline) == 0;
}

}  // namespace

void CatchEndSignals() {
  if (g_pipe[0] >= 0) return;
  if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    g_pipe[0] = g_pipe[1] = -1;
    return;  // the default actions stay: the signals still end the program
  }
  StartDeadline();
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal ignored by whoever started the program (nohup, a shell's
    // background job) stays ignored.
    struct sigaction before {};
    if (sigaction(sig, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(sig, &action, nullptr);
  }
}

void EndWithin(int ms, int status, const std::string& deadlineLine, const std::string& signalLine) {
  CatchEndSignals();
  std::snprintf(g_deadlineLine, sizeof g_deadlineLine, "%s\n", deadlineLine.c_str());
  std::snprintf(g_signalLine, sizeof g_signalLine, "%s\n", signalLine.c_str());
  g_boundedStatus = status;
  g_bounded = 1;
  if (!g_haveDeadline) return;
  itimerspec when{};
  when.it_value.tv_sec = ms / 1000;
  when.it_value.tv_nsec = static_cast<long>(ms % 1000) * 1'000'000;
  g_deadlineArmed = 1;
  timer_settime(g_deadline, 0, &when, nullptr);
}

bool FoundClosed(int fd) { return fd >= 0 && fd <= 2 && g_foundClosed[fd]; }
bool StdoutWasClosed() { return FoundClosed(1); }

void KeepStandardFdsOpen() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    g_foundClosed[fd] = true;
    // open() takes the lowest free number: this one.
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
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

bool AwaitEndSignal(int ms) {
  using namespace std::chrono;
  if (g_pipe[0] < 0) {  // no handlers: nothing to wake the wait
    std::this_thread::sleep_for(milliseconds(std::max(ms, 0)));
    return false;
  }
  const auto end = steady_clock::now() + milliseconds(ms);
  for (;;) {
    const auto left = ceil<milliseconds>(end - steady_clock::now()).count();
    if (left <= 0) return TakeEndSignal();
    pollfd p{g_pipe[0], POLLIN, 0};
    const int n = poll(&p, 1, static_cast<int>(left));
    if (n > 0 && TakeEndSignal()) return true;
    if (n < 0 && errno != EINTR) return false;
  }
}

}  // namespace plat
