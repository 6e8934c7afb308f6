// The event pump: yielding to Qt, waiting for input and the clock.
//
// A yield runs what Qt has pending, delivers the timer ticks that are due and
// then makes sure every sprite window shown or changed since the last yield
// is painted on the screen: the game often sleeps right after showing a
// window, and X draws nothing by itself while the program sleeps.
#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <thread>
#include <unistd.h>

#include "platform/errors.h"
#include "platform/events.h"
#include "platform/handler_guard.h"
#include "platform/qt/backend.h"
#include "platform/qt/end_signals.h"
#include "platform/qt/exposures.h"
#include "platform/qt/stats.h"
#include "platform/qt/widget.h"
#include "platform/qt/x11.h"

namespace plat::qt {
namespace {

bool IsExposed(const WindowRec& rec) {
  const QWindow* window = rec.widget ? rec.widget->windowHandle() : nullptr;
  return window && window->isExposed();
}

// Repaints the windows changed since they were last painted.
void RepaintChanged() {
  for (const auto& [id, paintsBefore] : B().changed) {
    const WindowRec* rec = FindWindow(id);
    if (!rec || !rec->widget || !rec->widget->isVisible() || !IsExposed(*rec)) continue;
    if (rec->widget->paints() == paintsBefore) rec->widget->repaint();
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

bool AnyTimerDue() {
  const std::int64_t now = SteadyMs();
  for (const auto& [id, t] : B().timers) {
    if (t.Active() && !t.running && t.dueMs <= now) return true;
  }
  return false;
}

}  // namespace

Backend& B() {
  static Backend* backend = new Backend;  // lives as long as the process
  return *backend;
}

bool Open() { return B().app != nullptr; }

std::int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

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

void EndOnSignal() {
  Backend& b = B();
  RunHandler([] { throw ProgramExit{0}; });
  CloseModalsIfExiting();
  if (b.waiting) b.woken = true;
}

}  // namespace plat::qt

namespace plat {

using namespace plat::qt;

void DoEvents() {
  if (!Open()) return;
  Backend& b = B();
  stats::NoteYield();
  const std::uint64_t paintsBefore = Widget::TotalPaints();
  RunDeferred();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (b.handlerDepth == 0 && b.modalDepth == 0) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  DeliverDueTimers();
  // Mapped windows are exposed, and so is what moves, cuts and hides
  // uncovered; Qt paints it when it handles the exposures.
  if (!b.shown.empty() || b.uncovered) AwaitExposures();
  RepaintChanged();
  b.shown.clear();
  b.changed.clear();
  b.uncovered = false;
  // Drawn on the screen before the game goes on (and perhaps sleeps).
  if (Widget::TotalPaints() != paintsBefore) {
    x11::Sync(b.conn);
  } else {
    x11::Flush(b.conn);
  }
  ThrowPendingExit();
}

void WaitForEvents(int maxMs) {
  if (maxMs <= 0) return;
  if (!Open()) {
    Sleep(maxMs);
    return;
  }
  Backend& b = B();
  x11::Flush(b.conn);
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
  if (!Open() || EndSignalFd() < 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
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

}  // namespace plat
