// Opening and closing the X11 backend.
#include "platform/app.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

#include "platform/handler_guard.h"
#include "platform/qt/backend.h"
#include "platform/qt/configure_filter.h"
#include "platform/qt/end_signals.h"
#include "platform/qt/exposures.h"
#include "platform/qt/fonts.h"
#include "platform/qt/scale.h"
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

// Qt aborts when it cannot reach the display, so look first; the connection
// made here becomes the keyboard's private one.
std::string ConnectKeyboardConnection(xcb_connection_t*& conn) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    return "cannot open a window: DISPLAY is not set (an X11 display or XWayland is needed)";
  }
  conn = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(conn)) {
    xcb_disconnect(conn);
    conn = nullptr;
    return "cannot connect to the X display \"" + std::string(display) + "\" named by DISPLAY";
  }
  return "";
}

// Qt notes an "internal error" when a window is shown again before the
// server's notice of its hiding has arrived. For our override-redirect
// windows it only skips the window-manager state Qt writes before mapping,
// and it happens whenever a sprite is hidden and shown within a frame.
QtMessageHandler g_nextHandler = nullptr;

void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("setNetWmStateOnUnmappedWindow() called on mapped window"))) {
    return;
  }
  // Qt ends the program itself (exit status 1) right after this warning.
  if (message.startsWith(QLatin1String("The X11 connection broke"))) {
    std::fputs("zembrant: lost the connection to the X display\n", stderr);
    return;
  }
  if (g_nextHandler) g_nextHandler(type, context, message);
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

// The screen DISPLAY names (":0.1" is screen 1).
int ScreenNumber() {
  int screen = 0;
  char* host = nullptr;
  int display = 0;
  if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) return 0;
  std::free(host);
  return screen;
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

std::string OpenPlatform(int& argc, char** argv) {
  Backend& b = B();
  if (b.app) return "";
  xcb_connection_t* keys = nullptr;
  if (std::string why = ConnectKeyboardConnection(keys); !why.empty()) return why;

  // Wayland sessions run the program through XWayland.
  qputenv("QT_QPA_PLATFORM", "xcb");
  SettleScaleFactors(keys, RootOf(keys, ScreenNumber()));
  CatchEndSignals();
  if (!g_nextHandler) g_nextHandler = qInstallMessageHandler(QuietMessages);  // the previous one
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
  QCoreApplication::setApplicationName(QStringLiteral("zembrant"));
  b.app = std::make_unique<QApplication>(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  auto* x11app = b.app->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11app || !x11app->connection()) {
    b.app.reset();
    xcb_disconnect(keys);
    return "cannot use the X display: Qt's xcb platform plugin is not available";
  }
  b.conn = x11app->connection();
  b.root = RootOf(b.conn, ScreenNumber());
  b.shapeAvailable = x11::HasShape(b.conn) && !Pretending("ZEMBRANT_TEST_NO_SHAPE");
  b.serverColours = x11::RootIsTrueColour(b.conn, b.root);
  b.keyboard.Open(keys, !Pretending("ZEMBRANT_TEST_NO_XINPUT"));
  StartPumps(b);
  StartExposureMarker();
  StartConfigureFilter();
  StartWorkAreaWatch();
  WarnIfNarrow();
  InstallFontSubstitutes();
  ResetHandlerGuard();
  return "";
}

std::string ClaimDisplay() {
  Backend& b = B();
  if (!b.app || b.displayClaim != 0) return "";
  const std::string selection = "_ZEMBRANT_S" + std::to_string(ScreenNumber());
  b.displayClaim = x11::ClaimSelection(b.conn, b.root, selection);
  if (b.displayClaim != 0) return "";
  const char* display = std::getenv("DISPLAY");
  return "already running on the X display \"" + std::string(display ? display : "") + "\"";
}

void ClosePlatform() {
  Backend& b = B();
  if (!b.app) return;
  DestroyAllWindows();
  if (b.displayClaim != 0) x11::DestroyWindow(b.conn, b.displayClaim);
  b.displayClaim = 0;
  b.keyNotifier.reset();
  b.endSignalNotifier.reset();
  b.pump.reset();
  StopExposureMarker();
  StopConfigureFilter();
  StopWorkAreaWatch();
  b.keyboard.Close();
  b.app.reset();
  b.conn = nullptr;
}

}  // namespace plat
