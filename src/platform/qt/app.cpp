// Opening and closing the X11 backend.
#include "platform/app.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/handler_guard.h"
#include "platform/printable.h"
#include "platform/qt/backend.h"
#include "platform/qt/fonts.h"
#include "platform/qt/painting.h"
#include "platform/qt/process.h"
#include "platform/qt/scale.h"
#include "platform/qt/screen.h"
#include "platform/qt/single_copy.h"
#include "platform/qt/stats.h"
#include "platform/qt/wayland_focus.h"
#include "platform/qt/widget.h"
#include "platform/qt/x11.h"
#include "platform/qt/x_events.h"

namespace plat::qt {
namespace {

// Test injections: X servers cannot switch these extensions off.
bool Pretending(const char* name) {
  const char* v = std::getenv(name);
  return v && *v && std::string(v) != "0";
}

void ReleaseStderr(bool keep = false);

// While Qt starts, its complaints about the display are held back, and so
// is what the libraries below it write to stderr themselves: when it gives
// up, the program says one line of its own instead.
void HoldStderr() {
  StartUp& s = B().startUp;
  std::fflush(stderr);
  s.heldStderr = memfd_create("zembrant-start", MFD_CLOEXEC);
  s.savedStderr = s.heldStderr >= 0 ? fcntl(2, F_DUPFD_CLOEXEC, 3) : -1;
  if (s.savedStderr < 0 || dup2(s.heldStderr, 2) < 0) ReleaseStderr();
}

// Stderr is itself again; what was written meanwhile follows when `keep`.
void ReleaseStderr(bool keep) {
  StartUp& s = B().startUp;
  std::fflush(stderr);
  if (s.savedStderr >= 0) dup2(s.savedStderr, 2);
  if (keep && s.heldStderr >= 0) {
    char buf[4096];
    lseek(s.heldStderr, 0, SEEK_SET);
    for (ssize_t n; (n = read(s.heldStderr, buf, sizeof buf)) > 0;) {
      if (write(2, buf, static_cast<std::size_t>(n)) != n) break;
    }
  }
  for (int* fd : {&s.savedStderr, &s.heldStderr}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
}

// Qt notes an "internal error" when a window is shown again before the
// server's notice of its hiding has arrived. For our override-redirect
// windows it only skips the window-manager state Qt writes before mapping,
// and it happens whenever a sprite is hidden and shown within a frame.
//
// Qt looks into the user's runtime directory only for a sandbox's marker
// file at start-up, and the program keeps nothing there: Qt's notices about
// that directory (XDG_RUNTIME_DIR unset, as under root without a login
// session, or a directory of the wrong owner or mode) concern nothing the
// program does.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  StartUp& s = B().startUp;
  if (message.contains(QLatin1String("setNetWmStateOnUnmappedWindow() called on mapped window")) ||
      message.startsWith(QLatin1String("QStandardPaths: ")) || IsFontNoise(message)) {
    return;
  }
  // Qt ends the program itself (exit status 1) right after this warning.
  if (message.startsWith(QLatin1String("The X11 connection broke"))) {
    if (s.starting) ReleaseStderr();
    std::fputs("zembrant: lost the connection to the X display\n", stderr);
    if (s.starting) std::_Exit(2);
    return;
  }
  if (type == QtFatalMsg) {
    // Qt would abort: the display failed it (a server gone, no client slot).
    const std::string why = s.heldBack.empty() ? message.toStdString() : s.heldBack.front();
    if (s.starting) ReleaseStderr();
    std::fprintf(stderr, "zembrant: cannot use the X display: %s\n",
                 Printable(why.substr(0, why.find('\n'))).c_str());
    std::_Exit(s.starting ? 2 : 1);
  }
  if (s.starting && context.category && std::string(context.category).starts_with("qt.qpa")) {
    s.heldBack.push_back(message.toStdString());
    return;
  }
  if (s.nextHandler) s.nextHandler(type, context, message);
}

// Qt's complaints held back while it started, now that it has.
void ReleaseHeldBack() {
  StartUp& s = B().startUp;
  s.starting = false;
  ReleaseStderr(true);
  for (const std::string& text : s.heldBack) std::fprintf(stderr, "%s\n", Printable(text).c_str());
  s.heldBack.clear();
}

void StartPumps(Backend& b) {
  b.pump = std::make_unique<QTimer>();
  b.pump->setSingleShot(true);
  b.pump->setTimerType(Qt::PreciseTimer);
  QObject::connect(b.pump.get(), &QTimer::timeout, [] {
    Backend& b = B();
    if (b.waiting) {
      b.woken = true;  // WaitForEvents delivers nothing
    } else {
      DeliverDueTimers();
    }
  });
  b.keyNotifier = std::make_unique<QSocketNotifier>(b.keyboard.FileDescriptor(), QSocketNotifier::Read);
  QObject::connect(b.keyNotifier.get(), &QSocketNotifier::activated, [] {
    Backend& b = B();
    if (b.keyboard.Pump() && b.waiting) b.woken = true;
  });
  if (EndSignalFd() >= 0) {
    b.endSignalNotifier = std::make_unique<QSocketNotifier>(EndSignalFd(), QSocketNotifier::Read);
    QObject::connect(b.endSignalNotifier.get(), &QSocketNotifier::activated, [] {
      if (TakeEndSignal()) EndOnSignal();
    });
  }
}


}  // namespace

void DestroyAllWindows() {
  Backend& b = B();
  std::vector<WindowId> sprites;
  for (const auto& [id, rec] : b.windows) {
    if (rec.parent == kNoWindow) sprites.push_back(id);
  }
  for (WindowId id : sprites) DestroyWindow(id);
  b.deferred.clear();
  b.changed.clear();
  b.pendingFocus = kNoWindow;
  if (b.app) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ReschedulePump();
}

}  // namespace plat::qt

namespace plat::qt {

using namespace plat::qt;

void PrepareProcess() {
  KeepStandardFdsOpen();
  CatchEndSignals();
}

std::string OpenPlatform(int& argc, char** argv, int neededWidth) {
  Backend& b = B();
  if (b.app) return "";
  // Qt aborts when it cannot reach the display, so look first; the
  // connection made here becomes the keyboard's private one.
  xcb_connection_t* keys = nullptr;
  if (std::string why = x11::Connect(keys, b.screen); !why.empty()) return why;

  // Wayland sessions run the program through XWayland.
  qputenv("QT_QPA_PLATFORM", "xcb");
  SettleScaleFactors(keys, x11::RootOf(keys, b.screen), neededWidth);
  CatchEndSignals();
  if (!b.startUp.nextHandler) b.startUp.nextHandler = qInstallMessageHandler(QuietMessages);  // the previous one
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
  QCoreApplication::setApplicationName(QStringLiteral("zembrant"));
  b.startUp.starting = true;
  HoldStderr();
  b.app = std::make_unique<QApplication>(argc, argv);
  ReleaseHeldBack();
  QApplication::setQuitOnLastWindowClosed(false);
  auto* x11app = b.app->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11app || !x11app->connection()) {
    b.app.reset();
    xcb_disconnect(keys);
    return "cannot use the X display: Qt's xcb platform plugin is not available";
  }
  b.conn = x11app->connection();
  b.root = x11::RootOf(b.conn, b.screen);
  b.shapeAvailable = x11::HasShape(b.conn) && !Pretending("ZEMBRANT_TEST_NO_SHAPE");
  b.serverColours = x11::RootIsTrueColour(b.conn, b.root);
  b.keyboard.Open(keys, !Pretending("ZEMBRANT_TEST_NO_XINPUT"));
  stats::StartCounting();
  StartPumps(b);
  StartExposureMarker();
  StartWorkAreaWatch();
  StartXEvents();
  StartWaylandFocus();
  InstallFontSubstitutes();
  ResetHandlerGuard();
  return "";
}

std::string ClaimDisplay() {
  Backend& b = B();
  if (!b.app || b.displayClaim != 0) return "";
  b.displayClaim = ClaimSelection(b.conn, b.root, b.screen);
  if (b.displayClaim != 0) return "";
  const char* display = std::getenv("DISPLAY");
  return "already running on the X display \"" + Printable(display ? display : "") + "\"";
}

void ClosePlatform() {
  Backend& b = B();
  if (!b.app) return;
  DestroyAllWindows();
  b.keyNotifier.reset();
  b.endSignalNotifier.reset();
  b.pump.reset();
  StopXEvents();
  StopExposureMarker();
  StopScreenWatch();
  StopWaylandFocus();
  b.keyboard.Close();
  // Last of all: `zembrant --quit` waits for this window to go.
  if (b.displayClaim != 0) x11::DestroyWindow(b.conn, b.displayClaim);
  b.displayClaim = 0;
  b.app.reset();
  b.conn = nullptr;
  b.fillContext = 0;  // went with the connection
}

}  // namespace plat::qt
