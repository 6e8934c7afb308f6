// Simulated backend: the virtual clock, input, and the delivery of events.
#include <algorithm>
#include <limits>

#include "platform/events.h"
#include "platform/screen.h"
#include "platform/handler_guard.h"
#include "platform/keys.h"
#include "platform/sim/state.h"

namespace sim::detail {
namespace {
constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

void ApplyKey(int vk, bool down) {
  KeyState& k = S().keys[vk];
  if (!Heard()) {  // typed into another program
    k = {};
    return;
  }
  if (down && !k.held) k.pressedSince = true;
  k.held = down;
}

void ApplyClick(const ClickEvent& e) {
  if (e.w == plat::kNoWindow) {
    RecordClick(e.at, plat::kNoWindow, e.button, e.x, e.y, true);
  } else if (Find(e.w)) {
    RecordClick(e.at, e.w, e.button, e.x, e.y, false);
  }
}

void CheckTimeLimit() {
  const State& s = S();
  if (s.timeLimit != 0 && s.elapsed >= s.timeLimit) ThrowOut(TimeLimitExceeded{s.elapsed});
}

// Runs a timer's tick: it is rescheduled first (one interval after the tick
// it delivers, or after now when that has passed), then its handler runs.
void Tick(Tim& t) {
  State& s = S();
  t.due += static_cast<std::uint64_t>(t.interval);
  if (t.due <= s.elapsed) t.due = s.elapsed + static_cast<std::uint64_t>(t.interval);
  ++t.ticks;
  ++s.stats.ticks;
  t.running = true;
  const plat::TimerId id = t.id;
  const std::function<void()> handler = t.onTick;  // the timer may die in it
  struct Done {
    plat::TimerId id;
    ~Done() {
      if (Tim* t = FindTimer(id)) t->running = false;
    }
  } done{id};
  CallHandler(handler);
}

void DeliverClick(const ClickRecord& c, size_t index) {
  State& s = S();
  Win* w = Find(c.target);
  if (!w || !w->onMouseDown) return;
  s.clicks[index].delivered = true;
  ++s.stats.clicks;
  w->mouseRunning = true;
  const plat::MouseDownHandler handler = w->onMouseDown;
  const plat::WindowId id = c.target;
  struct Done {
    plat::WindowId id;
    ~Done() {
      if (Win* w = Find(id)) w->mouseRunning = false;
    }
  } done{id};
  CallHandler([&] { handler(c.button, c.x, c.y); });
}

void DeliverFocus(plat::WindowId id) {
  Win* w = Find(id);
  if (!w || S().focus != id || !w->onGotFocus) return;
  w->focusRunning = true;
  const std::function<void()> handler = w->onGotFocus;
  struct Done {
    plat::WindowId id;
    ~Done() {
      if (Win* w = Find(id)) w->focusRunning = false;
    }
  } done{id};
  CallHandler(handler);
}

// The next event to deliver in this pass: its time, sequence and kind.
struct Next {
  std::uint64_t at = kNever, seq = kNever;
  enum { kNone, kFocus, kClick, kTimer } kind = kNone;
  size_t index = 0;        // into focusEvents / pendingClicks
  plat::TimerId timer = 0;
  void Offer(std::uint64_t a, std::uint64_t s, decltype(kind) k, size_t i, plat::TimerId t) {
    if (a < at || (a == at && s < seq)) *this = {a, s, k, i, t};
  }
};

// Input that arrived after the pass began (seq above `lastSeq`) waits for
// the next yield, so that a handler making input cannot keep a yield going.
Next FindNext(std::uint64_t now, std::uint64_t lastSeq, bool withInput,
              const std::vector<plat::TimerId>& ticked) {
  State& s = S();
  Next n;
  if (withInput) {
    for (size_t i = 0; i < s.focusEvents.size(); ++i) {
      const PendingFocus& f = s.focusEvents[i];
      const Win* w = Find(f.w);
      if (f.seq <= lastSeq && !(w && w->focusRunning)) n.Offer(f.at, f.seq, Next::kFocus, i, 0);
    }
    for (size_t i = 0; i < s.pendingClicks.size(); ++i) {
      const PendingClick& c = s.pendingClicks[i];
      const Win* w = Find(s.clicks[c.record].target);
      if (c.seq <= lastSeq && !(w && w->mouseRunning)) n.Offer(c.at, c.seq, Next::kClick, i, 0);
    }
  }
  for (const auto& [id, t] : s.timers) {
    if (t.Active() && !t.running && t.due <= now &&
        std::find(ticked.begin(), ticked.end(), id) == ticked.end()) {
      n.Offer(t.due, id, Next::kTimer, 0, id);  // the same time: lower id first
    }
  }
  return n;
}
}  // namespace

State& S() {
  static State state;
  return state;
}

bool Heard() { return !S().config.keysNeedFocus || S().focus != plat::kNoWindow; }

std::uint32_t ClockAt(std::uint64_t elapsed) {
  return static_cast<std::uint32_t>(S().config.clockStartMs + elapsed);
}

std::uint64_t ElapsedOf(std::uint32_t clockMs) {
  const State& s = S();
  const auto ahead = static_cast<std::int32_t>(clockMs - ClockAt(s.elapsed));
  const auto at = static_cast<std::int64_t>(s.elapsed) + ahead;
  return at < 0 ? 0 : static_cast<std::uint64_t>(at);
}

void ApplyDueInput() {
  State& s = S();
  size_t k = 0, c = 0;
  auto& keys = s.keyEvents;
  auto& clicks = s.clickEvents;
  while (true) {
    const bool keyDue = k < keys.size() && keys[k].at <= s.elapsed;
    const bool clickDue = c < clicks.size() && clicks[c].at <= s.elapsed;
    if (!keyDue && !clickDue) break;
    const bool keyFirst = keyDue && (!clickDue || keys[k].at < clicks[c].at ||
                                     (keys[k].at == clicks[c].at && keys[k].seq < clicks[c].seq));
    if (keyFirst) {
      ApplyKey(keys[k].vk, keys[k].down);
      ++k;
    } else {
      ApplyClick(clicks[c]);
      ++c;
    }
  }
  keys.erase(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(k));
  clicks.erase(clicks.begin(), clicks.begin() + static_cast<std::ptrdiff_t>(c));
}

void AdvanceTo(std::uint64_t elapsed) {
  State& s = S();
  if (elapsed > s.elapsed) {
    s.elapsed = elapsed;
    s.idleYields = 0;
  }
  ApplyDueInput();
  CheckTimeLimit();
}

void RecordClick(std::uint64_t at, plat::WindowId w, int button, int x, int y, bool screen) {
  State& s = S();
  int sx = x, sy = y;
  if (!screen) {
    const plat::Rect r = ScreenRectOf(*Find(w));
    sx = r.left + x;
    sy = r.top + y;
  }
  ClickRecord rec;
  rec.atMs = ClockAt(at);
  rec.button = button;
  rec.screenX = sx;
  rec.screenY = sy;
  rec.target = HitTest(sx, sy, rec.x, rec.y);
  if (rec.target == plat::kNoWindow) rec.x = rec.y = 0;
  s.pointerX = sx;
  s.pointerY = sy;
  s.clicks.push_back(rec);
  if (s.config.keysNeedFocus && button == 1) {
    plat::WindowId top = rec.target;
    while (const Win* w = Find(top)) {
      if (w->rec.parent == plat::kNoWindow) break;
      top = w->rec.parent;
    }
    s.focusWhenShown = plat::kNoWindow;
    if (top == plat::kNoWindow) {
      s.focus = plat::kNoWindow;
    } else {
      MoveFocus(top);
    }
  }
  if (rec.target != plat::kNoWindow) s.pendingClicks.push_back({at, ++s.seq, s.clicks.size() - 1});
}

void CallHandler(const std::function<void()>& handler) {
  State& s = S();
  ++s.handlerDepth;
  try {
    plat::RunHandler([&] {
      try {
        handler();
      } catch (...) {
        if (!s.escaping) throw;  // a game error: the guard's business
      }
    });
  } catch (...) {  // only the message box of the guard can throw here
    if (!s.escaping) {
      --s.handlerDepth;
      throw;
    }
  }
  --s.handlerDepth;
  if (s.escaping) {
    const std::exception_ptr e = s.escaping;
    if (s.handlerDepth == 0) s.escaping = nullptr;
    std::rethrow_exception(e);
  }
}

bool DeliverDue(bool withInput) {
  State& s = S();
  const std::uint64_t now = s.elapsed;
  const std::uint64_t lastSeq = s.seq;
  std::vector<plat::TimerId> ticked;
  bool delivered = false;
  while (!plat::ExitPending()) {
    const Next n = FindNext(now, lastSeq, withInput, ticked);
    if (n.kind == Next::kNone) break;
    delivered = true;
    if (n.kind == Next::kFocus) {
      const plat::WindowId w = s.focusEvents[n.index].w;
      s.focusEvents.erase(s.focusEvents.begin() + static_cast<std::ptrdiff_t>(n.index));
      DeliverFocus(w);
    } else if (n.kind == Next::kClick) {
      const size_t record = s.pendingClicks[n.index].record;
      s.pendingClicks.erase(s.pendingClicks.begin() + static_cast<std::ptrdiff_t>(n.index));
      DeliverClick(ClickRecord(s.clicks[record]), record);
    } else {
      ticked.push_back(n.timer);
      Tick(*FindTimer(n.timer));
    }
  }
  return delivered;
}

std::uint64_t NextScheduled() {
  const State& s = S();
  std::uint64_t next = kNever;
  for (const auto& [id, t] : s.timers) {
    if (t.Active() && !t.running) next = std::min(next, t.due);
  }
  if (!s.keyEvents.empty()) next = std::min(next, s.keyEvents.front().at);
  if (!s.clickEvents.empty()) next = std::min(next, s.clickEvents.front().at);
  return next;
}

// Tells the game's handler that KeyboardHeard changed.
void ReportHeard() {
  State& s = S();
  if (Heard() == s.heardReported || !s.onKeyboardHeard) return;
  s.heardReported = Heard();
  const std::function<void()> handler = s.onKeyboardHeard;
  CallHandler(handler);
}

void MarkPainted() {
  for (auto& [id, w] : S().windows) w.dirty = false;
}

}  // namespace sim::detail

namespace plat {
using namespace sim::detail;

void DoEvents() {
  State& s = S();
  ++s.stats.yields;
  ThrowPendingExit();
  ApplyDueInput();
  CheckTimeLimit();
  if (s.yieldHook && !s.inYieldHook) {
    s.inYieldHook = true;
    struct Done {
      ~Done() { S().inYieldHook = false; }
    } done;
    const std::function<void()> hook = s.yieldHook;
    CallScript(hook);
  }
  const bool delivered = DeliverDue(true);
  ReportHeard();
  MarkPainted();
  ThrowPendingExit();
  if (s.screenChanged && s.handlerDepth == 0 && s.modalDepth == 0) {
    s.screenWatched = s.screenChanged = false;
    throw ScreenChanged{};
  }
  if (delivered) {
    s.idleYields = 0;
  } else if (s.config.idleYieldMs > 0) {
    AdvanceTo(s.elapsed + static_cast<std::uint64_t>(s.config.idleYieldMs));
  } else if (++s.idleYields >= sim::kStallYields) {
    s.idleYields = 0;
    ThrowOut(sim::Stalled{ClockAt(s.elapsed)});
  }
}

void WaitForEvents(int maxMs) {
  State& s = S();
  ++s.stats.waits;
  ApplyDueInput();
  CheckTimeLimit();
  if (maxMs <= 0 || FindNext(s.elapsed, s.seq, true, {}).kind != Next::kNone) return;
  const std::uint64_t wake =
      std::min(s.elapsed + static_cast<std::uint64_t>(maxMs), NextScheduled());
  AdvanceTo(std::max(wake, s.elapsed));
}

void Sleep(int ms) {
  State& s = S();
  ++s.stats.sleeps;
  const std::uint64_t d = ms > 0 ? static_cast<std::uint64_t>(ms) : 0;
  s.stats.sleptMs += d;
  AdvanceTo(s.elapsed + d);
}

std::uint32_t TimeGetTime() { return ClockAt(S().elapsed); }

bool KeyboardHeard() { return Heard(); }

void SetKeyboardHeardHandler(std::function<void()> handler) {
  S().onKeyboardHeard = std::move(handler);
  S().heardReported = Heard();
}

std::uint64_t ClockSeed() { return S().config.seed; }

std::int16_t GetAsyncKeyState(int vk) {
  State& s = S();
  ++s.stats.keyPolls;
  if (vk <= 0 || vk >= 255) return 0;
  ApplyDueInput();
  KeyState& k = s.keys[vk];
  const std::uint16_t bits = (k.held ? 0x8000 : 0) | (k.pressedSince ? 0x0001 : 0);
  k.pressedSince = false;
  return static_cast<std::int16_t>(bits);
}

}  // namespace plat
