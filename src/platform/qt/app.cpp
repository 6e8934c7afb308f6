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
#include "platform/qt/configure_filter.h"
#include "platform/qt/display_claim.h"
#include "platform/qt/end_signals.h"
#include "platform/qt/exposures.h"
#include "platform/qt/fonts.h"
#include "platform/qt/scale.h"
#include "platform/qt/screen_watch.h"
#include "platform/qt/wayland_focus.h"
#include "platform/qt/widget.h"
#include "platform/qt/work_area.h"
#include "platform/qt/x11.h"

namespace plat::qt {
namespace {

// Test injections: X servers cannot switch these extensions off.
bool Pretending(const char* name) {
  const char* v = std::getenv(name);
  return v && *v && std::string(v) != "0";
}

// While Qt starts, its complaints about the display are held back, and so
// is what the libraries below it write to stderr themselves: when it gives
// up, the program says one line of its own instead.
bool g_starting = false;
std::vector<std::string> g_heldBack;

class StderrHold {
 public:
  void Begin() {
    std::fflush(stderr);
    held_ = memfd_create("zembrant-start", MFD_CLOEXEC);
    saved_ = held_ >= 0 ? fcntl(2, F_DUPFD_CLOEXEC, 3) : -1;
    if (saved_ < 0 || dup2(held_, 2) < 0) End();
  }
  // Stderr is itself again; what was written meanwhile follows when `keep`.
  void End(bool keep = false) {
    std::fflush(stderr);
    if (saved_ >= 0) dup2(saved_, 2);
    if (keep && held_ >= 0) {
      char buf[4096];
      lseek(held_, 0, SEEK_SET);
      for (ssize_t n; (n = read(held_, buf, sizeof buf)) > 0;) {
        if (write(2, buf, static_cast<std::size_t>(n)) != n) break;
      }
    }
    for (int* fd : {&saved_, &held_}) {
      if (*fd >= 0) close(*fd);
      *fd = -1;
    }
  }

 private:
  int saved_ = -1;
  int held_ = -1;
};
StderrHold g_stderrHold;

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
QtMessageHandler g_nextHandler = nullptr;

void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("setNetWmStateOnUnmappedWindow() called on mapped window")) ||
      message.startsWith(QLatin1String("QStandardPaths: ")) || IsFontNoise(message)) {
    return;
  }
  // Qt ends the program itself (exit status 1) right after this warning.
  if (message.startsWith(QLatin1String("The X11 connection broke"))) {
    if (g_starting) g_stderrHold.End();
    std::fputs("zembrant: lost the connection to the X display\n", stderr);
    if (g_starting) std::_Exit(2);
    return;
  }
  if (type == QtFatalMsg) {
    // Qt would abort: the display failed it (a server gone, no client slot).
    const std::string why = g_heldBack.empty() ? message.toStdString() : g_heldBack.front();
    if (g_starting) g_stderrHold.End();
    std::fprintf(stderr, "zembrant: cannot use the X display: %s\n",
                 Printable(why.substr(0, why.find('\n'))).c_str());
    std::_Exit(g_starting ? 2 : 1);
  }
  if (g_starting && context.category && std::string(context.category).starts_with("qt.qpa")) {
    g_heldBack.push_back(message.toStdString());
    return;
  }
  if (g_nextHandler) g_nextHandler(type, context, message);
}

// Qt's complaints held back while it started, now that it has.
void ReleaseHeldBack() {
  g_starting = false;
  g_stderrHold.End(true);
  for (const std::string& text : g_heldBack) std::fprintf(stderr, "%s\n", Printable(text).c_str());
  g_heldBack.clear();
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

// The root window of that screen.
std::uint32_t RootOf(xcb_connection_t* c, int screen) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; it.rem > 0; xcb_screen_next(&it), ++i) {
    if (i == screen) return it.data->root;
  }
  return 0;
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

namespace plat {

using namespace plat::qt;

void PrepareProcess() {
  KeepStandardFdsOpen();
  CatchEndSignals();
}

std::string OpenPlatform(int& argc, char** argv) {
  Backend& b = B();
  if (b.app) return "";
  // Qt aborts when it cannot reach the display, so look first; the
  // connection made here becomes the keyboard's private one.
  xcb_connection_t* keys = nullptr;
  if (std::string why = ConnectDisplay(keys, b.screen); !why.empty()) return why;

  // Wayland sessions run the program through XWayland.
  qputenv("QT_QPA_PLATFORM", "xcb");
  SettleScaleFactors(keys, RootOf(keys, b.screen));
  CatchEndSignals();
  if (!g_nextHandler) g_nextHandler = qInstallMessageHandler(QuietMessages);  // the previous one
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
  QCoreApplication::setApplicationName(QStringLiteral("zembrant"));
  g_starting = true;
  g_stderrHold.Begin();
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
  b.root = RootOf(b.conn, b.screen);
  b.shapeAvailable = x11::HasShape(b.conn) && !Pretending("ZEMBRANT_TEST_NO_SHAPE");
  b.serverColours = x11::RootIsTrueColour(b.conn, b.root);
  b.keyboard.Open(keys, !Pretending("ZEMBRANT_TEST_NO_XINPUT"));
  StartPumps(b);
  StartExposureMarker();
  StartConfigureFilter();
  StartWorkAreaWatch();
  WarnIfNarrow();
  StartScreenWatch();
  StartWaylandFocus();
  InstallFontSubstitutes();
  ResetHandlerGuard();
  return "";
}

std::string ClaimDisplay() {
  Backend& b = B();
  if (!b.app || b.displayClaim != 0) return "";
  b.displayClaim = ClaimSelection(b.conn, b.root, b.screen);
  if (b.displayClaim != 0) {
    StartClaimWatch();
    return "";
  }
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
  StopExposureMarker();
  StopConfigureFilter();
  StopWorkAreaWatch();
  StopScreenWatch();
  StopWaylandFocus();
  StopClaimWatch();
  b.keyboard.Close();
  // Last of all: `zembrant --quit` waits for this window to go.
  if (b.displayClaim != 0) x11::DestroyWindow(b.conn, b.displayClaim);
  b.displayClaim = 0;
  b.app.reset();
  b.conn = nullptr;
}

}  // namespace plat
