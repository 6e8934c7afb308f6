// Simulated backend: windows, controls, their looks, timers and handlers.
#include <algorithm>
#include <cmath>

#include "platform/sim/state.h"
#include "platform/window.h"

namespace sim::detail {
namespace {
plat::WindowId g_nextWindow = 1;  // never reused, not even across resets
plat::TimerId g_nextTimer = 1;

// Twips to pixels: nearest whole pixel, halves up.
int PxOf(double twips) {
  if (!std::isfinite(twips)) return 0;
  const double px = std::floor(twips / plat::kTwipsPerPixel + 0.5);
  constexpr double kMax = 100'000'000;  // keeps px x 15 inside an int
  return static_cast<int>(std::clamp(px, -kMax, kMax));
}

std::vector<plat::WindowId>& SiblingStack(const Win& w) {
  if (w.rec.parent == plat::kNoWindow) return S().topStack;
  return Find(w.rec.parent)->stack;
}

void Raise(Win& w) {
  auto& stack = SiblingStack(w);
  std::erase(stack, w.rec.id);
  stack.push_back(w.rec.id);
}

}  // namespace

void MoveFocus(plat::WindowId w) {
  State& s = S();
  if (s.focus == w) return;
  s.focus = w;
  if (w != plat::kNoWindow) s.focusEvents.push_back({s.elapsed, ++s.seq, w});
}

namespace {

plat::WindowId Create(plat::WindowId parent, WindowKind kind, std::string_view name) {
  State& s = S();
  Win* p = nullptr;
  if (kind != WindowKind::kSprite) {
    p = Find(parent);
    if (!p) return plat::kNoWindow;
  }
  const plat::WindowId id = g_nextWindow++;
  Win& w = s.windows[id];
  w.rec.id = id;
  w.rec.kind = kind;
  w.rec.name = std::string(name);
  w.rec.parent = p ? parent : plat::kNoWindow;
  if (p) {
    p->rec.children.push_back(id);
    p->stack.push_back(id);
    p->dirty = true;
  } else {
    s.topStack.push_back(id);
  }
  return id;
}

void Destroy(plat::WindowId id) {
  State& s = S();
  Win* w = Find(id);
  if (!w) return;
  const std::vector<plat::WindowId> children = w->rec.children;
  for (plat::WindowId c : children) Destroy(c);
  std::erase_if(s.timers, [id](const auto& kv) { return kv.second.owner == id; });
  if (w->rec.parent != plat::kNoWindow) {
    Win* p = Find(w->rec.parent);
    std::erase(p->rec.children, id);
    std::erase(p->stack, id);
    p->dirty = true;
  } else {
    std::erase(s.topStack, id);
  }
  if (s.focus == id) s.focus = plat::kNoWindow;
  if (s.focusWhenShown == id) s.focusWhenShown = plat::kNoWindow;
  s.windows.erase(id);
}

// The effective width in pixels of one character of `font`.
int CharWidth(const plat::TextFont& font, char32_t c) {
  const int half = static_cast<int>(std::floor(font.pointSize * 8 / 11 + 0.5));
  const bool full = c >= 0x1100 && !(c >= 0xFF61 && c <= 0xFFDC);
  return (full ? 2 * half : half) + (font.bold ? 1 : 0);
}

// Decodes one code point of UTF-8 at `i`, advancing it; a byte that does not
// start a valid sequence is returned as itself.
char32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  int len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > s.size()) {
    ++i;
    return b0;
  }
  char32_t c = len == 1 ? b0 : b0 & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return b0;
    }
    c = (c << 6) | (b & 0x3F);
  }
  i += len;
  return c;
}
}  // namespace

Tim* FindTimer(plat::TimerId t) {
  auto it = S().timers.find(t);
  return it == S().timers.end() ? nullptr : &it->second;
}

Win* Find(plat::WindowId w) {
  auto it = S().windows.find(w);
  return it == S().windows.end() ? nullptr : &it->second;
}

bool ReallyShown(const Win& w) {
  for (const Win* p = &w; p; p = p->rec.parent ? Find(p->rec.parent) : nullptr) {
    if (!p->rec.visible) return false;
  }
  return true;
}

plat::Rect ScreenRectOf(const Win& w) {
  plat::Rect r = w.rec.rect;
  for (const Win* p = w.rec.parent ? Find(w.rec.parent) : nullptr; p;
       p = p->rec.parent ? Find(p->rec.parent) : nullptr) {
    r.left += p->rec.rect.left;
    r.right += p->rec.rect.left;
    r.top += p->rec.rect.top;
    r.bottom += p->rec.rect.top;
  }
  return r;
}

void DestroyAll() {
  const std::vector<plat::WindowId> top = S().topStack;
  for (plat::WindowId w : top) Destroy(w);
  S().windows.clear();
  S().timers.clear();
}

namespace {
bool Contains(const Win& w, int x, int y) {
  const plat::Rect& r = w.rec.rect;
  if (x < 0 || y < 0 || x >= r.Width() || y >= r.Height()) return false;
  return !w.outline || w.outline->ContainsPoint(x, y);
}

// The topmost control of `w` under its pixel (x, y), descending; `w` itself
// when none. (x, y) become the found window's pixel.
plat::WindowId Descend(const Win& w, int& x, int& y) {
  for (auto it = w.stack.rbegin(); it != w.stack.rend(); ++it) {
    const Win& c = *Find(*it);
    if (!c.rec.visible || c.rec.kind == WindowKind::kLine) continue;
    const int cx = x - c.rec.rect.left, cy = y - c.rec.rect.top;
    if (!Contains(c, cx, cy)) continue;
    x = cx;
    y = cy;
    return Descend(c, x, y);
  }
  return w.rec.id;
}
}  // namespace

plat::WindowId HitTest(int sx, int sy, int& x, int& y) {
  const auto& top = S().topStack;
  for (auto it = top.rbegin(); it != top.rend(); ++it) {
    const Win& w = *Find(*it);
    x = sx - w.rec.rect.left;
    y = sy - w.rec.rect.top;
    if (w.rec.visible && Contains(w, x, y)) return Descend(w, x, y);
  }
  return plat::kNoWindow;
}

int TextWidth(const plat::TextFont& font, std::string_view utf8) {
  int width = 0;
  for (size_t i = 0; i < utf8.size();) width += CharWidth(font, NextCodePoint(utf8, i));
  return width;
}

}  // namespace sim::detail

namespace plat {
using namespace sim::detail;
using sim::WindowKind;

WindowId CreateSpriteWindow(std::string_view name) {
  return Create(kNoWindow, WindowKind::kSprite, name);
}
WindowId CreateLabel(WindowId parent, std::string_view name) {
  return Create(parent, WindowKind::kLabel, name);
}
WindowId CreatePictureBox(WindowId parent, std::string_view name) {
  return Create(parent, WindowKind::kPictureBox, name);
}
WindowId CreateLine(WindowId parent, std::string_view name) {
  return Create(parent, WindowKind::kLine, name);
}

void DestroyWindow(WindowId w) { Destroy(w); }
bool WindowExists(WindowId w) { return Find(w) != nullptr; }

void SetWindowRect(WindowId id, double left, double top, double width, double height) {
  Win* w = Find(id);
  if (!w) return;
  const int l = PxOf(left), t = PxOf(top);
  w->rec.rect = {l, t, l + std::max(0, PxOf(width)), t + std::max(0, PxOf(height))};
  w->dirty = true;
}

TwipsRect GetWindowRect(WindowId id) {
  const Win* w = Find(id);
  if (!w) return {};
  const Rect& r = w->rec.rect;
  return {r.left * kTwipsPerPixel, r.top * kTwipsPerPixel, r.Width() * kTwipsPerPixel,
          r.Height() * kTwipsPerPixel};
}

void SetVisible(WindowId id, bool visible) {
  State& s = S();
  Win* w = Find(id);
  if (!w || w->rec.visible == visible) return;
  w->rec.visible = visible;
  w->dirty = true;
  if (visible) {
    Raise(*w);
    if (s.focusWhenShown != kNoWindow) {
      Win* f = Find(s.focusWhenShown);
      if (f && ReallyShown(*f)) {
        const WindowId target = s.focusWhenShown;
        s.focusWhenShown = kNoWindow;
        MoveFocus(target);
      }
    }
  } else if (Win* f = Find(s.focus); f && !ReallyShown(*f)) {
    s.focus = kNoWindow;  // hiding a window takes the focus away from it
  }
}

bool IsVisible(WindowId w) {
  const Win* win = Find(w);
  return win && win->rec.visible;
}

void SetBackColor(WindowId id, Color c) {
  if (Win* w = Find(id)) {
    w->rec.backColor = c;
    w->rec.backColorSet = true;
    w->dirty = true;
  }
}

Color GetBackColor(WindowId id) {
  const Win* w = Find(id);
  return w ? w->rec.backColor : 0;
}

void SetPicture(WindowId id, const Picture* picture) {
  if (Win* w = Find(id)) {
    w->rec.picture = picture;
    w->dirty = true;
  }
}

const Picture* GetPicture(WindowId id) {
  const Win* w = Find(id);
  return w ? w->rec.picture : nullptr;
}

std::string ShapeFailureCause() { return "the simulated window system was told it has no shapes"; }

bool SetWindowShape(WindowId id, const Region& outline) {
  Win* w = Find(id);
  if (!w || !S().config.shapeSupported) return false;
  w->outline = outline;
  ++w->rec.shapeCount;
  w->dirty = true;
  return true;
}

void ClearText(WindowId id) {
  if (Win* w = Find(id)) {
    w->rec.texts.clear();
    w->dirty = true;
  }
}

void PrintText(WindowId id, int xPx, int yPx, std::string_view utf8, const TextFont& font,
               Color color) {
  if (Win* w = Find(id)) {
    w->rec.texts.push_back({xPx, yPx, std::string(utf8), font, color});
    w->dirty = true;
  }
}

int TextWidthPx(const TextFont& font, std::string_view utf8) { return TextWidth(font, utf8); }

void SetCaption(WindowId label, std::string_view utf8, const TextFont& font, Color color) {
  if (Win* w = Find(label)) {
    w->rec.caption = std::string(utf8);
    w->rec.captionFont = font;
    w->rec.captionColor = color;
    w->dirty = true;
  }
}

void SetLine(WindowId line, double x1, double y1, double x2, double y2, Color color) {
  Win* w = Find(line);
  if (!w) return;
  w->rec.x1 = PxOf(x1);
  w->rec.y1 = PxOf(y1);
  w->rec.x2 = PxOf(x2);
  w->rec.y2 = PxOf(y2);
  w->rec.lineColor = color;
  w->rec.rect = {std::min(w->rec.x1, w->rec.x2), std::min(w->rec.y1, w->rec.y2),
                 std::max(w->rec.x1, w->rec.x2) + 1, std::max(w->rec.y1, w->rec.y2) + 1};
  w->dirty = true;
}

TimerId CreateTimer(WindowId owner, std::function<void()> onTick) {
  if (!Find(owner)) return kNoTimer;
  const TimerId id = g_nextTimer++;
  Tim& t = S().timers[id];
  t.id = id;
  t.owner = owner;
  t.onTick = std::move(onTick);
  return id;
}

void SetTimerInterval(TimerId id, int ms) {
  if (Tim* t = FindTimer(id)) {
    t->interval = std::max(0, ms);
    t->due = S().elapsed + static_cast<std::uint64_t>(t->interval);
  }
}

void SetTimerEnabled(TimerId id, bool enabled) {
  Tim* t = FindTimer(id);
  if (!t || t->enabled == enabled) return;
  t->enabled = enabled;
  if (enabled) t->due = S().elapsed + static_cast<std::uint64_t>(t->interval);
}

int TimerInterval(TimerId id) {
  const Tim* t = FindTimer(id);
  return t ? t->interval : 0;
}

bool TimerEnabled(TimerId id) {
  const Tim* t = FindTimer(id);
  return t && t->enabled;
}

void SetMouseDownHandler(WindowId id, MouseDownHandler handler) {
  if (Win* w = Find(id)) w->onMouseDown = std::move(handler);
}

void SetGotFocusHandler(WindowId id, std::function<void()> handler) {
  if (Win* w = Find(id)) w->onGotFocus = std::move(handler);
}

void SetFocus(WindowId id) {
  Win* w = Find(id);
  if (!w) return;
  if (S().config.keysNeedFocus && S().focus == kNoWindow) return;  // another program has it
  if (ReallyShown(*w)) {
    S().focusWhenShown = kNoWindow;
    MoveFocus(id);
  } else {
    S().focusWhenShown = id;
  }
}

}  // namespace plat
