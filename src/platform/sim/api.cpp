// Simulated backend: the test API (sim.h), the screen and opening/closing.
#include <algorithm>

#include "platform/app.h"
#include "platform/handler_guard.h"
#include "platform/screen.h"
#include "platform/sim/state.h"

namespace sim {
using namespace detail;

namespace {
plat::ScreenInfo MakeScreen(int width, int height, std::optional<plat::Rect> workArea) {
  return {width, height, workArea.value_or(plat::Rect{0, 0, width, height})};
}

int StackIndex(const Win& w) {
  const std::vector<plat::WindowId>& stack =
      w.rec.parent == plat::kNoWindow ? S().topStack : Find(w.rec.parent)->stack;
  return static_cast<int>(std::find(stack.begin(), stack.end(), w.rec.id) - stack.begin());
}

WindowRecord RecordOf(const Win& w) {
  const State& s = S();
  WindowRecord r = w.rec;
  r.screenRect = ScreenRectOf(w);
  r.shown = ReallyShown(w);
  r.painted = r.shown && !w.dirty;
  if (w.outline) {
    r.outline = *w.outline;
    r.outline->Intersect(plat::Region(plat::Rect{0, 0, w.rec.rect.Width(), w.rec.rect.Height()}));
  }
  r.focused = s.focus == w.rec.id;
  r.hasMouseDownHandler = static_cast<bool>(w.onMouseDown);
  r.hasGotFocusHandler = static_cast<bool>(w.onGotFocus);
  r.stackIndex = StackIndex(w);
  for (const auto& [id, t] : s.timers) {
    if (t.owner == w.rec.id) r.timers.push_back(id);
  }
  return r;
}
}  // namespace

void Reset(const Config& config) {
  DestroyAll();
  State& s = S();
  s = State{};
  s.config = config;
  s.screen = MakeScreen(config.screenWidth, config.screenHeight, config.workArea);
  plat::ResetHandlerGuard();
}

std::uint32_t Now() { return ClockAt(S().elapsed); }
std::uint64_t Elapsed() { return S().elapsed; }

void SetYieldHook(std::function<void()> hook) { S().yieldHook = std::move(hook); }
void SetTimeLimit(std::uint64_t ms) { S().timeLimit = ms; }
Counters Stats() { return S().stats; }

void SetScreen(int width, int height, std::optional<plat::Rect> workArea) {
  S().screen = MakeScreen(width, height, workArea);
  if (S().screenWatched) S().screenChanged = true;
}
void SetShapeSupported(bool supported) { S().config.shapeSupported = supported; }

void PressKey(int vk) {
  if (vk <= 0 || vk >= 255) return;
  ApplyDueInput();
  S().keyEvents.insert(S().keyEvents.begin(), {S().elapsed, ++S().seq, vk, true});
  ApplyDueInput();
}

void ReleaseKey(int vk) {
  if (vk <= 0 || vk >= 255) return;
  ApplyDueInput();
  S().keyEvents.insert(S().keyEvents.begin(), {S().elapsed, ++S().seq, vk, false});
  ApplyDueInput();
}

void ScheduleKey(int vk, std::uint32_t downAtMs, std::uint32_t upAtMs) {
  if (vk <= 0 || vk >= 255) return;
  State& s = S();
  const std::uint64_t down = ElapsedOf(downAtMs);
  const std::uint64_t up = std::max(down, ElapsedOf(upAtMs));
  for (auto [at, isDown] : {std::pair{down, true}, std::pair{up, false}}) {
    KeyEvent e{at, ++s.seq, vk, isDown};
    auto pos = std::upper_bound(s.keyEvents.begin(), s.keyEvents.end(), e,
                                [](const KeyEvent& a, const KeyEvent& b) { return a.at < b.at; });
    s.keyEvents.insert(pos, e);
  }
  ApplyDueInput();
}

bool IsKeyHeld(int vk) {
  if (vk <= 0 || vk >= 255) return false;
  ApplyDueInput();
  return S().keys[vk].held;
}

void Click(plat::WindowId w, int button, int x, int y) {
  ApplyDueInput();
  if (Find(w)) RecordClick(S().elapsed, w, button, x, y, false);
}

void ClickScreen(int button, int x, int y) {
  ApplyDueInput();
  RecordClick(S().elapsed, plat::kNoWindow, button, x, y, true);
}

void ScheduleClick(plat::WindowId w, int button, int x, int y, std::uint32_t atMs) {
  State& s = S();
  ClickEvent e{ElapsedOf(atMs), ++s.seq, w, button, x, y};
  auto pos = std::upper_bound(s.clickEvents.begin(), s.clickEvents.end(), e,
                              [](const ClickEvent& a, const ClickEvent& b) { return a.at < b.at; });
  s.clickEvents.insert(pos, e);
  ApplyDueInput();
}

std::vector<ClickRecord> Clicks() { return S().clicks; }

plat::WindowId FocusedWindow() { return S().focus; }

void UserFocus(plat::WindowId w) {
  if (w == plat::kNoWindow) {
    S().focus = plat::kNoWindow;
    return;
  }
  const Win* win = Find(w);
  if (win && ReallyShown(*win)) MoveFocus(w);
}

void AnswerMenus(std::function<int(std::span<const plat::MenuItem>)> answer) {
  S().menuAnswer = std::move(answer);
}
void OnDialog(std::function<void(const plat::DialogLayout&)> answer) {
  S().dialogAnswer = std::move(answer);
}
void OnMessageBox(std::function<void(const std::string&)> answer) {
  S().boxAnswer = std::move(answer);
}

std::vector<MenuRecord> Menus() { return S().menus; }
std::vector<DialogRecord> Dialogs() { return S().dialogs; }
std::vector<MessageBoxRecord> MessageBoxes() { return S().boxes; }

std::optional<WindowRecord> Window(plat::WindowId w) {
  const Win* win = Find(w);
  if (!win) return std::nullopt;
  return RecordOf(*win);
}

std::vector<WindowRecord> FindWindows(const std::string& name) {
  std::vector<WindowRecord> out;
  for (const auto& [id, w] : S().windows) {  // ids grow: creation order
    if (w.rec.name == name) out.push_back(RecordOf(w));
  }
  return out;
}

std::vector<plat::WindowId> StackingOrder() { return S().topStack; }
int LiveWindowCount() { return static_cast<int>(S().windows.size()); }
int LiveTimerCount() { return static_cast<int>(S().timers.size()); }

std::optional<TimerRecord> Timer(plat::TimerId id) {
  const Tim* t = FindTimer(id);
  if (!t) return std::nullopt;
  TimerRecord r{t->id, t->owner, t->interval, t->enabled, t->running, std::nullopt, t->ticks};
  if (t->Active()) r.dueAtMs = ClockAt(t->due);
  return r;
}

}  // namespace sim

namespace plat {
using namespace sim::detail;

ScreenInfo GetScreen() { return S().screen; }

void WatchScreen(bool on) {
  S().screenWatched = on;
  S().screenChanged = false;
}

std::string OpenPlatform(int& argc, char** argv, int neededWidth) { return ""; }

void ClosePlatform() {
  DestroyAll();
  State& s = S();
  s.focus = s.focusWhenShown = kNoWindow;
  s.focusEvents.clear();
  s.pendingClicks.clear();
}

}  // namespace plat

namespace plat {

// The simulated desktop has no process around it and no other copy.
void PrepareProcess() {}
bool StdoutClosedAtStart() { return false; }

Outcome QuitRunningCopy() { return {1, "no copy of zembrant plays on the simulated display"}; }

}  // namespace plat
