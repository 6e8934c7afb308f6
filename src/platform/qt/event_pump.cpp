// The event pump: yielding to Qt, waiting for input and the clock.
//
// A yield runs what Qt has pending, delivers the timer ticks that are due and
// then paints every sprite window shown or changed since the last yield and
// what the server exposed meanwhile, and sends the paint to the server: the
// game often sleeps right after showing a window, and X draws nothing by
// itself while the program sleeps. It does not wait for the server to have
// drawn it (it will, while the program sleeps): another client reading the
// screen at once makes a round trip on the program's connection first.
#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <thread>
#include <unistd.h>

#include "platform/errors.h"
#include "platform/events.h"
#include "platform/handler_guard.h"
#include "platform/qt/backend.h"
#include "platform/qt/painting.h"
#include "platform/end_signals.h"
#include "platform/qt/screen.h"
#include "platform/qt/stats.h"
#include "platform/qt/widget.h"
#include "platform/qt/x11.h"

namespace plat::qt {
namespace {

// How often WaitForEvents looks at the keyboard when key presses cannot wake it.
constexpr int kKeymapPollMs = 10;

bool IsExposed(const WindowRec& rec) {
  const QWindow* window = rec.widget ? rec.widget->windowHandle() : nullptr;
  return window && window->isExposed();
}

// Repaints the windows changed since they were last painted.
void RepaintChanged() {
  for (const auto& [id, paintsBefore] : B().changed) {
    const WindowRec* rec = FindWindow(id);
    const WindowRec* top = TopLevelOf(id);
    if (!rec || !rec->widget || !rec->widget->isVisible() || !IsExposed(*top)) continue;
    if (rec->widget->paints() == paintsBefore) rec->widget->repaint(PaintArea(*rec));
  }
}

void RunGuarded(const std::function<void()>& handler) {
  Backend& b = B();
  if (ExitPending()) return;
  ++b.handlerDepth;
  RunHandler(handler);
  --b.handlerDepth;
  CloseModalsIfExiting();
}

void RunDeferred() {
  Backend& b = B();
  while (!b.deferred.empty()) {
    const std::function<void()> handler = std::move(b.deferred.front());
    b.deferred.pop_front();
    RunGuarded(handler);
  }
}

bool AnyTimerDue() { return B().timers.AnyDue(); }

// A yield that follows another within this, with no sleep or wait between,
// nothing shown or changed since, no handler queued and no tick due, leaves
// what the server sent meanwhile to the next yield. A game may yield many
// times in a row, once per sprite it moves; asking Qt each time costs a poll of the connection
// and its reader thread's wake-ups for nothing.
constexpr std::int64_t kBackToBackUs = 1000;

bool BackToBack(const Backend& b) {
  return b.lastYieldUs >= 0 && SteadyUs() - b.lastYieldUs < kBackToBackUs &&
         b.changed.empty() && !b.exposing && b.deferred.empty() && !AnyTimerDue();
}

// Follows the requests made so far with a marker when they expose something
// the program paints.
void MarkExposures(Backend& b) {
  if (b.exposing) SendExposureMarker();
  b.exposing = false;
}

}  // namespace

void Dispatch(std::function<void()> handler) {
  Backend& b = B();
  if (b.waiting) {
    b.deferred.push_back(std::move(handler));
    b.woken = true;
    return;
  }
  RunGuarded(handler);
}

void CloseModalsIfExiting() {
  Backend& b = B();
  if (!ExitPending()) return;
  for (auto it = b.modals.rbegin(); it != b.modals.rend(); ++it) {
    if (*it) (*it)->close();
  }
}

void EndOnSignal() { EndProgram(0); }

void EndProgram(int status) {
  Backend& b = B();
  RunHandler([status] { throw ProgramExit{status}; });
  CloseModalsIfExiting();
  if (b.waiting) b.woken = true;
}

}  // namespace plat::qt

namespace plat::qt {

using namespace plat::qt;

void DoEvents() {
  if (!Open()) return;
  Backend& b = B();
  stats::NoteYield();
  if (BackToBack(b)) {
    x11::Flush(b.conn);
    ThrowPendingExit();
    return;
  }
  // Mapped windows are exposed, and so is what moves, cuts and hides
  // uncover; Qt paints it when it handles the exposures. The marker goes
  // out with the game's requests, so the server answers all in one go.
  MarkExposures(b);
  RunDeferred();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (b.handlerDepth == 0 && b.modalDepth == 0) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  DeliverDueTimers();
  MarkExposures(b);  // for what the handlers just did
  AwaitExposures();  // what handlers run meanwhile change waits for the next yield
  RepaintChanged();
  b.changed.clear();
  x11::Flush(b.conn);
  b.lastYieldUs = SteadyUs();
  ThrowPendingExit();
  if (b.handlerDepth == 0 && b.modalDepth == 0) ThrowScreenChange();
}

void WaitForEvents(int maxMs) {
  if (maxMs <= 0) return;
  if (!Open()) {
    Sleep(maxMs);
    return;
  }
  Backend& b = B();
  b.lastYieldUs = -1;
  x11::Flush(b.conn);
  // Without raw key events a press wakes nothing: look at the keys often.
  if (!b.keyboard.HasRawEvents()) maxMs = std::min(maxMs, kKeymapPollMs);
  if (b.keyboard.TakeNewPresses() || !b.deferred.empty() || AnyTimerDue()) return;
  b.waiting = true;
  b.woken = false;
  QTimer limit;
  limit.setSingleShot(true);
  limit.setTimerType(Qt::PreciseTimer);
  QObject::connect(&limit, &QTimer::timeout, [&b] { b.woken = true; });
  limit.start(maxMs);
  ReschedulePump();
  while (!b.woken) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  b.waiting = false;
}

// Wakes at once when a signal asks the program to end.
void Sleep(int ms) {
  if (ms <= 0) return;
  if (!Open()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  B().lastYieldUs = -1;
  if (AwaitEndSignal(ms)) {
    EndOnSignal();
    ThrowPendingExit();
  }
}

std::uint32_t TimeGetTime() { return static_cast<std::uint32_t>(SteadyMs()); }

std::uint64_t ClockSeed() {
  using namespace std::chrono;
  const auto ns = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
  return static_cast<std::uint64_t>(ns) ^ (static_cast<std::uint64_t>(::getpid()) << 32);
}

}  // namespace plat::qt
