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
#include "platform/end_signals.h"
#include "platform/qt/scale.h"
#include "platform/qt/screen.h"
#include "platform/qt/shape.h"
#include "platform/qt/single_copy.h"
#include "platform/qt/start_guard.h"
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

// The connection Qt started on broke; `message` is Qt's warning, which
// gives xcb's reason as a number.
void OnConnectionBroken(const QString& message) {
  StartUp& s = B().startUp;
  // XCB_CONN_CLOSED_MEM_INSUFFICIENT: the server is fine, the program is not.
  const bool memory = message.contains(QLatin1String("(error 3)"));
  if (s.starting || StartGuarded()) {
    EndStart(memory ? "ran out of memory while Qt started" : "lost the connection to the X display");
  }
  if (memory) {
    std::fputs("zembrant: ran out of memory for the connection to the X display\n", stderr);
  } else {
    SayConnectionLost();
  }
  // Qt would call exit(1) next, running exit handlers of libraries with
  // nothing left to talk to.
  std::fflush(stderr);
  std::_Exit(1);
}

// Stderr is itself again; what was written meanwhile follows when `keep`.
void ReleaseStderr(bool keep) {
  StartUp& s = B().startUp;
  std::fflush(stderr);
  if (s.savedStderr >= 0) dup2(s.savedStderr, 2);
  StderrReleased();
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
// program does. Nor does a server without RandR 1.2: the program plays on
// the one screen Qt makes up for it.
// QT_FATAL_WARNINGS (or QT_FATAL_CRITICALS) has Qt abort right after
// the message: the program says why.
void SayIfFatal(QtMsgType type, const QString& message) {
  const bool fatal = (type == QtWarningMsg && qEnvironmentVariableIsSet("QT_FATAL_WARNINGS")) ||
                     (type == QtCriticalMsg && qEnvironmentVariableIsSet("QT_FATAL_CRITICALS"));
  if (!fatal) return;
  const std::string text = Printable(message.section(QLatin1Char('\n'), 0, 0).toStdString());
  const std::string why = "Qt's warning ends the program, as QT_FATAL_WARNINGS asks: " + text;
  if (StartGuarded()) {
    NoteStartFailure(why);
  } else {
    std::fprintf(stderr, "zembrant: %s\n", why.c_str());
  }
}

void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  StartUp& s = B().startUp;
  SayIfFatal(type, message);
  if (message.contains(QLatin1String("setNetWmStateOnUnmappedWindow() called on mapped window")) ||
      message.startsWith(QLatin1String("QStandardPaths: ")) || IsFontNoise(message) ||
      message.startsWith(QLatin1String("There is no XRandR"))) {
    return;
  }
  // Qt ends the program itself (exit status 1) right after this warning.
  if (message.startsWith(QLatin1String("The X11 connection broke"))) {
    OnConnectionBroken(message);
    return;
  }
  // Qt would wait for ever for the thread it could not start (the one
  // that reads its connection, D-Bus's).
  if (message.startsWith(QLatin1String("QThread::start: Thread creation error"))) {
    const qsizetype why = message.indexOf(QLatin1Char('('));
    std::string line = "cannot start a thread";
    if (why >= 0) line.append(1, ' ').append(Printable(message.mid(why).toStdString()));
    EndStart(line, 1);
  }
  // Once the connection is broken, Qt's complaints about what failed on it
  // say nothing more.
  const bool qpa = context.category && std::string(context.category).starts_with("qt.qpa");
  if (qpa && B().conn && xcb_connection_has_error(B().conn)) return;
  if (type == QtFatalMsg) {
    // Qt would abort: the display failed it (a server gone, no client slot).
    if (s.starting && ServerGone()) EndStart("lost the connection to the X display");
    const std::string why = s.heldBack.empty() ? message.toStdString() : s.heldBack.front();
    if (s.starting) ReleaseStderr();
    std::fprintf(stderr, "zembrant: cannot use the X display: %s%s\n",
                 Printable(why.substr(0, why.find('\n'))).c_str(), s.starting ? LimitsInForce().c_str() : "");
    std::_Exit(s.starting ? 2 : 1);
  }
  if (s.starting && qpa) {
    s.heldBack.push_back(message.toStdString());
    return;
  }
  if (s.nextHandler) s.nextHandler(type, context, message);
}

// Qt started: what the libraries wrote meanwhile follows; Qt's complaints
// about the display it could use after all (a server without RandR 1.2)
// are forgotten.
void ReleaseHeldBack() {
  StartUp& s = B().startUp;
  s.starting = false;
  ReleaseStderr(true);
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
  if (std::string why = CheckOpenFilesLimit(); !why.empty()) return why;
  // Qt aborts when it cannot reach the display, so look first; the
  // connection made here becomes the keyboard's private one.
  xcb_connection_t* keys = nullptr;
  if (std::string why = x11::Connect(keys, b.screen); !why.empty()) return why;
  if (std::string why = x11::RootVisualProblem(keys, x11::RootOf(keys, b.screen)); !why.empty()) {
    xcb_disconnect(keys);
    return "cannot use the X display \"" + x11::DisplayName() + "\": " + why;
  }

  // Wayland sessions run the program through XWayland.
  qputenv("QT_QPA_PLATFORM", "xcb");
  SettleScaleFactors(keys, x11::RootOf(keys, b.screen), neededWidth);
  CatchEndSignals();
  if (!b.startUp.nextHandler) b.startUp.nextHandler = qInstallMessageHandler(QuietMessages);  // the previous one
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
  QCoreApplication::setApplicationName(QStringLiteral("zembrant"));
  b.startUp.starting = true;
  HoldStderr();
  StartGuard(b.startUp.savedStderr, b.startUp.heldStderr, xcb_get_file_descriptor(keys));
  b.app = std::make_unique<QApplication>(argc, argv);
  QuietXlib();
  QApplication::setQuitOnLastWindowClosed(false);
  auto* x11app = b.app->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11app || !x11app->connection()) {
    ReleaseHeldBack();
    EndStartGuard();
    b.app.reset();
    xcb_disconnect(keys);
    return "cannot use the X display: Qt's xcb platform plugin is not available";
  }
  b.conn = x11app->connection();
  b.root = x11::RootOf(b.conn, b.screen);
  b.shapeAvailable = x11::HasShape(b.conn) && !Pretending("ZEMBRANT_TEST_NO_SHAPE");
  b.shapeEvent = b.shapeAvailable ? x11::ShapeFirstEvent(b.conn) : 0;
  b.serverColours = x11::RootIsTrueColour(b.conn, b.root);
  b.keyboard.Open(keys, !Pretending("ZEMBRANT_TEST_NO_XINPUT"));
  stats::StartCounting();
  StartPumps(b);
  StartExposureMarker();
  StartWorkAreaWatch();
  StartCompositorWatch();
  StartXEvents();
  StartWaylandFocus();
  InstallFontSubstitutes();
  ResetHandlerGuard();
  // What Qt said while it started, now that it has (a server that goes
  // away meanwhile makes all of it noise).
  ReleaseHeldBack();
  EndStartGuard();
  return "";
}

std::string ClaimDisplay() {
  Backend& b = B();
  if (!b.app || b.displayClaim != 0) return "";
  b.displayClaim = ClaimSelection(b.conn, b.root, b.screen);
  if (b.displayClaim != 0) return "";
  // A server gone fails every request, which reads like another owner.
  if (xcb_connection_has_error(b.conn)) return "lost the connection to the X display";
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
  StopCompositorWatch();
  b.keyboard.Close();
  // Last of all: `zembrant --quit` waits for this window to go.
  if (b.displayClaim != 0) x11::DestroyWindow(b.conn, b.displayClaim);
  b.displayClaim = 0;
  b.app.reset();
  b.conn = nullptr;
  b.fillContext = 0;  // went with the connection
}

}  // namespace plat::qt
