// What the two real backends keep alike of their windows: the kinds of
// window, a text printed on one, what a record holds for the game, and the
// look-ups in a table of records.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/region.h"
#include "platform/types.h"
#include "platform/window.h"

namespace plat {

enum class Kind { kSprite, kLabel, kPictureBox, kLine };

struct PrintedText {
  int x = 0, y = 0;
  std::string text;
  TextFont font;
  Color color = 0;
};

// What a real backend's record of a window or control holds for the game,
// whatever the backend makes of it on the screen.
struct WindowCore {
  WindowId id = kNoWindow;
  Kind kind = Kind::kSprite;
  std::string name;
  WindowId parent = kNoWindow;
  Rect rect;  // pixels, relative to the parent (sprites: to the game's origin on the screen)
  bool visible = false;
  Color backColor = RGB(255, 255, 255);
  bool backColorSet = false;
  const Picture* picture = nullptr;
  std::optional<Region> outline;
  std::vector<PrintedText> texts;
  std::string caption;
  TextFont captionFont;
  Color captionColor = 0;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // lines, parent pixels
  Color lineColor = 0;
  MouseDownHandler onMouseDown;
  std::function<void()> onGotFocus;
  std::vector<WindowId> children;  // bottom to top
  std::vector<TimerId> timers;
};

// The record of window `w`; nullptr for none.
template <class Rec>
Rec* FindIn(std::map<WindowId, Rec>& windows, WindowId w) {
  const auto it = windows.find(w);
  return it == windows.end() ? nullptr : &it->second;
}

// The sprite window a window or control belongs to.
template <class Rec>
Rec* TopLevelIn(std::map<WindowId, Rec>& windows, WindowId w) {
  Rec* rec = FindIn(windows, w);
  while (rec && rec->parent != kNoWindow) rec = FindIn(windows, rec->parent);
  return rec;
}

// Window `id` and every control under it, each after its own controls.
template <class Rec>
void CollectTreeIn(std::map<WindowId, Rec>& windows, WindowId id, std::vector<WindowId>& out) {
  const Rec* rec = FindIn(windows, id);
  if (!rec) return;
  for (WindowId child : rec->children) CollectTreeIn(windows, child, out);
  out.push_back(id);
}

inline TwipsRect ToTwips(const Rect& r) {
  return {r.left * kTwipsPerPixel, r.top * kTwipsPerPixel, r.Width() * kTwipsPerPixel,
          r.Height() * kTwipsPerPixel};
}

}  // namespace plat
