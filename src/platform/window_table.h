// What the two real backends keep alike of their windows: the kinds of
// window, a text printed on one, and the look-ups in their table of window
// records (a backend's record has its id's parent and children).
#pragma once

#include <map>
#include <string>
#include <vector>

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
