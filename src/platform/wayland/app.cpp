// Opening and closing the Wayland backend, and the one copy of the program
// per compositor.
#include "platform/app.h"

#include <QGuiApplication>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/end_signals.h"
#include "platform/handler_guard.h"
#include "platform/printable.h"
#include "platform/wayland/connection.h"
#include "platform/wayland/paint.h"
#include "platform/wayland/state.h"

namespace plat::wl {
namespace {

int g_claim = -1;  // the claim file, locked while this copy plays

std::string DisplayName() { return CompositorName(); }

// The file a playing copy keeps locked, with its process id: in the user's
// runtime directory, one per compositor socket.
std::string ClaimPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string name = DisplayName();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return std::string(runtime && *runtime ? runtime : "/tmp") + "/zembrant-" + name + ".lock";
}

// Qt looks into the user's runtime directory only for a sandbox's marker
// at start-up; the program keeps nothing there, so Qt's notices about that
// directory (another owner's, as under a compositor run as another user)
// concern nothing it does.
QtMessageHandler g_nextHandler = nullptr;
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QLatin1String("QStandardPaths: "))) return;
  if (g_nextHandler) g_nextHandler(type, context, message);
}

// Qt paints pictures and text only: its offscreen platform needs no display.
void StartQt(int& argc, char** argv) {
  Backend& b = B();
  if (!g_nextHandler) g_nextHandler = qInstallMessageHandler(QuietMessages);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QCoreApplication::setApplicationName(QStringLiteral("zembrant"));
  b.app = std::make_unique<QGuiApplication>(argc, argv);
  QGuiApplication::setQuitOnLastWindowClosed(false);
  InstallFontSubstitutes();
}

}  // namespace
}  // namespace plat::wl

namespace plat::wl {

using namespace plat::wl;

void PrepareProcess() {
  KeepStandardFdsOpen();
  CatchEndSignals();
}

std::string OpenPlatform(int& argc, char** argv, int neededWidth) {
  Backend& b = B();
  if (b.display) return "";
  CatchEndSignals();
  if (std::string why = Connect(); !why.empty()) return why;
  if (!StartStage()) {
    Disconnect();
    return "the Wayland compositor has no output to play on";
  }
  if (!b.app) StartQt(argc, argv);
  ResetHandlerGuard();
  return "";
}

std::string ClaimDisplay() {
  if (!Open() || g_claim >= 0) return "";
  const std::string path = ClaimPath();
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return "";  // nowhere to note it: nothing keeps a second copy out
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return "already running on the Wayland display \"" + Printable(DisplayName()) + "\"";
  }
  const std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(fd, 0) != 0 || write(fd, pid.data(), pid.size()) != static_cast<ssize_t>(pid.size())) {
    // The lock alone keeps others out; --quit cannot find this copy.
  }
  g_claim = fd;
  return "";
}

Outcome QuitRunningCopy() {
  wl_display* display = SocketUnknown().empty() ? wl_display_connect(nullptr) : nullptr;
  if (!display) return {2, "cannot connect to the Wayland compositor \"" + Printable(DisplayName()) + "\""};
  wl_display_disconnect(display);
  const std::string path = ClaimPath();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const auto locked = [fd] {
    if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
      flock(fd, LOCK_UN);
      return false;
    }
    return true;
  };
  const std::string none = "not running on the Wayland display \"" + Printable(DisplayName()) + "\"";
  if (fd < 0 || !locked()) {
    if (fd >= 0) close(fd);
    return {1, none};
  }
  char buf[32] = {};
  const ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
  const long pid = n > 0 ? std::strtol(buf, nullptr, 10) : 0;
  if (pid <= 0 || kill(static_cast<pid_t>(pid), SIGTERM) != 0) {
    close(fd);
    return {1, none};
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (locked() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  const bool gone = !locked();
  close(fd);
  return gone ? Outcome{0, ""} : Outcome{1, "the copy playing on \"" + Printable(DisplayName()) + "\" did not end"};
}

void ClosePlatform() {
  Backend& b = B();
  if (!b.display) return;
  DestroyAllWindows();
  StopStage();
  Disconnect();
  b.app.reset();
  if (g_claim >= 0) close(g_claim);  // last: `zembrant --quit` waits for it
  g_claim = -1;
}

}  // namespace plat::wl
