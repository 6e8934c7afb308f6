// What Qt's start-up leaves when it fails: the limits, the fatal signals and
// exit() while it starts.
#include "platform/qt/start_guard.h"

#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace plat::qt {
namespace {

// File descriptors the program has open while it plays: stdin, stdout,
// stderr, two X connections, Qt's wake-up pipes and event fds, fonts being
// read; with room to spare.
constexpr rlim_t kOpenFilesNeeded = 32;
// An open-files limit below this is named as a possible cause.
constexpr rlim_t kFewOpenFiles = 256;

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGABRT, SIGTRAP, SIGFPE, SIGILL};
constexpr int kSignalCount = sizeof kFatalSignals / sizeof kFatalSignals[0];

// What the handlers need, set before they can run.
volatile sig_atomic_t g_guarding = 0;
int g_savedStderr = -1;
int g_heldStderr = -1;
int g_xFd = -1;
char g_line[512];  // "zembrant: Qt could not start...\n"
struct sigaction g_before[kSignalCount];
bool g_atExitSet = false;

constexpr char kLost[] = "zembrant: lost the connection to the X display\n";

// Whether the server closed the connection (a handler may ask). A server
// that dies closes its clients' connections one by one: the one asked here
// may close a moment after the one that failed.
bool ConnectionClosed(int fd) {
  if (fd < 0) return false;
  constexpr int kTries = 20, kEveryMs = 10;
  for (int i = 0; i < kTries; ++i) {
    pollfd p{fd, POLLIN | POLLRDHUP, 0};
    if (poll(&p, 1, kEveryMs) > 0) {
      if (p.revents & (POLLHUP | POLLRDHUP | POLLERR)) return true;
      char byte;
      if (recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0) return true;
      poll(nullptr, 0, kEveryMs);  // data still to read: the end may follow it
    }
  }
  return false;
}

void WriteAll(int fd, const char* text, std::size_t n) {
  while (n > 0) {
    const ssize_t w = write(fd, text, n);
    if (w <= 0) return;
    text += w;
    n -= static_cast<std::size_t>(w);
  }
}

// Only what may run in a signal handler.
[[noreturn]] void ReportAndEnd() {
  g_guarding = 0;
  if (g_savedStderr >= 0) dup2(g_savedStderr, 2);
  const bool lost = ConnectionClosed(g_xFd);
  if (!lost && g_heldStderr >= 0) {
    char buf[4096];
    lseek(g_heldStderr, 0, SEEK_SET);
    for (ssize_t n; (n = read(g_heldStderr, buf, sizeof buf)) > 0;) WriteAll(2, buf, static_cast<std::size_t>(n));
  }
  if (lost) {
    WriteAll(2, kLost, sizeof kLost - 1);
  } else {
    WriteAll(2, g_line, std::strlen(g_line));
  }
  _exit(2);
}

void OnFatalSignal(int) { ReportAndEnd(); }

void OnExit() {
  if (g_guarding) ReportAndEnd();
}

std::string Number(rlim_t n) { return std::to_string(static_cast<unsigned long long>(n)); }

}  // namespace

std::string CheckOpenFilesLimit() {
  rlimit l{};
  if (getrlimit(RLIMIT_NOFILE, &l) != 0 || l.rlim_cur >= kOpenFilesNeeded) return "";
  if (l.rlim_max >= kOpenFilesNeeded) {
    l.rlim_cur = kOpenFilesNeeded;
    if (setrlimit(RLIMIT_NOFILE, &l) == 0) return "";
  }
  return "cannot start: at most " + Number(l.rlim_cur) + " files may be open (ulimit -n); the program needs " +
         Number(kOpenFilesNeeded);
}

std::string LimitsInForce() {
  std::string named;
  const auto add = [&named](const std::string& what) {
    if (!named.empty()) named += ", ";
    named += what;
  };
  rlimit l{};
  if (getrlimit(RLIMIT_AS, &l) == 0 && l.rlim_cur != RLIM_INFINITY) {
    add("an address space of " + Number(l.rlim_cur / 1024) + " kB (ulimit -v)");
  }
  if (getrlimit(RLIMIT_DATA, &l) == 0 && l.rlim_cur != RLIM_INFINITY) {
    add("a data segment of " + Number(l.rlim_cur / 1024) + " kB (ulimit -d)");
  }
  if (getrlimit(RLIMIT_NOFILE, &l) == 0 && l.rlim_cur < kFewOpenFiles) {
    add(Number(l.rlim_cur) + " open files (ulimit -n)");
  }
  return named.empty() ? "" : " under a limit of " + named;
}

void StartGuard(int savedStderr, int heldStderr, int xFd) {
  g_savedStderr = savedStderr;
  g_heldStderr = heldStderr;
  g_xFd = xFd;
  std::snprintf(g_line, sizeof g_line, "zembrant: Qt could not start%s\n", LimitsInForce().c_str());
  if (!g_atExitSet) g_atExitSet = std::atexit(OnExit) == 0;
  struct sigaction action {};
  action.sa_handler = OnFatalSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  for (int i = 0; i < kSignalCount; ++i) sigaction(kFatalSignals[i], &action, &g_before[i]);
  g_guarding = 1;
}

void StderrReleased() {
  g_savedStderr = -1;
  g_heldStderr = -1;
}

void EndStartGuard() {
  if (!g_guarding) return;
  g_guarding = 0;
  for (int i = 0; i < kSignalCount; ++i) sigaction(kFatalSignals[i], &g_before[i], nullptr);
}

bool StartGuarded() { return g_guarding != 0; }

void NoteStartFailure(const std::string& what) {
  std::snprintf(g_line, sizeof g_line, "zembrant: %s\n", what.c_str());
}

bool ServerGone() { return ConnectionClosed(g_xFd); }

void SayConnectionLost() {
  static bool said = false;
  if (said) return;
  said = true;
  std::fflush(stderr);
  WriteAll(2, kLost, sizeof kLost - 1);
}

namespace {

// Xlib's handler of a broken connection; Xlib calls exit() should it return.
int OnXlibConnectionLost(void*) {
  if (g_guarding) ReportAndEnd();
  SayConnectionLost();
  _exit(1);
}

}  // namespace

void QuietXlib() {
  using Handler = int (*)(void*);
  using SetHandler = Handler (*)(Handler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(RTLD_DEFAULT, "XSetIOErrorHandler"))) set(OnXlibConnectionLost);
}

void EndStart(const std::string& what, int status) {
  if (g_guarding) {
    std::snprintf(g_line, sizeof g_line, "zembrant: %s%s\n", what.c_str(), LimitsInForce().c_str());
    ReportAndEnd();
  }
  std::fflush(stderr);
  if (ConnectionClosed(g_xFd)) {
    WriteAll(2, kLost, sizeof kLost - 1);
  } else {
    std::fprintf(stderr, "zembrant: %s%s\n", what.c_str(), LimitsInForce().c_str());
  }
  std::fflush(stderr);
  std::_Exit(status);
}

}  // namespace plat::qt
