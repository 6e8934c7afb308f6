// Sprite windows and their controls: records first; the compositor hears of
// a change at the next yield (surfaces.cpp).
#include <algorithm>
#include <cmath>

#include "platform/wayland/state.h"
#include "platform/window.h"

namespace plat::wl {
namespace {

// Nearest whole pixel, halves up.
int TwipsToPx(double twips) { return static_cast<int>(std::floor(twips / kTwipsPerPixel + 0.5)); }

WindowId AddWindow(Kind kind, std::string_view name, WindowRec* parent) {
  Backend& b = B();
  const WindowId id = b.nextWindow++;
  WindowRec& rec = b.windows[id];
  rec.id = id;
  rec.kind = kind;
  rec.name = std::string(name);
  rec.parent = parent ? parent->id : kNoWindow;
  if (parent) {
    parent->children.push_back(id);
    MarkDirty(parent->id);
  }
  return id;
}

WindowId CreateControl(WindowId parentId, std::string_view name, Kind kind) {
  WindowRec* parent = FindWindow(parentId);
  if (!parent || parent->kind == Kind::kLine) return kNoWindow;
  return AddWindow(kind, name, parent);
}

}  // namespace

WindowRec* FindWindow(WindowId w) { return FindIn(B().windows, w); }

WindowRec* TopLevelOf(WindowId w) { return TopLevelIn(B().windows, w); }

WindowRec* SpriteAt(int x, int y) {
  const Backend& b = B();
  for (auto it = b.stacking.rbegin(); it != b.stacking.rend(); ++it) {
    WindowRec* rec = FindWindow(*it);
    if (!rec || x < rec->rect.left || y < rec->rect.top || x >= rec->rect.right || y >= rec->rect.bottom) continue;
    if (!rec->outline || rec->outline->ContainsPoint(x - rec->rect.left, y - rec->rect.top)) return rec;
  }
  return nullptr;
}

void DestroyAllWindows() {
  Backend& b = B();
  std::vector<WindowId> sprites;
  for (const auto& [id, rec] : b.windows) {
    if (rec.parent == kNoWindow) sprites.push_back(id);
  }
  for (WindowId id : sprites) DestroyWindow(id);
  b.deferred.clear();
  b.pendingFocus = kNoWindow;
  b.focus = kNoWindow;
}

}  // namespace plat::wl

namespace plat::wl {

using namespace plat::wl;

WindowId CreateSpriteWindow(std::string_view name) {
  if (!Open()) return kNoWindow;
  return AddWindow(Kind::kSprite, name, nullptr);
}

WindowId CreateLabel(WindowId parent, std::string_view name) { return CreateControl(parent, name, Kind::kLabel); }
WindowId CreatePictureBox(WindowId parent, std::string_view name) {
  return CreateControl(parent, name, Kind::kPictureBox);
}
WindowId CreateLine(WindowId parent, std::string_view name) { return CreateControl(parent, name, Kind::kLine); }

void DestroyWindow(WindowId w) {
  WindowRec* rec = FindWindow(w);
  if (!rec) return;
  Backend& b = B();
  if (WindowRec* parent = FindWindow(rec->parent)) {
    std::erase(parent->children, w);
    MarkDirty(parent->id);
  }
  std::vector<WindowId> tree;
  CollectTreeIn(B().windows, w, tree);
  for (WindowId id : tree) {
    WindowRec& r = b.windows.at(id);
    DropTimersOf(r);
    HideSurface(r);
    if (b.pendingFocus == id) b.pendingFocus = kNoWindow;
    if (b.focus == id) b.focus = kNoWindow;
    b.windows.erase(id);
  }
}

bool WindowExists(WindowId w) { return FindWindow(w) != nullptr; }

void SetWindowRect(WindowId w, double left, double top, double width, double height) {
  WindowRec* rec = FindWindow(w);
  if (!rec || rec->kind == Kind::kLine) return;
  const int x = TwipsToPx(left), y = TwipsToPx(top);
  const Rect r{x, y, x + std::max(0, TwipsToPx(width)), y + std::max(0, TwipsToPx(height))};
  if (r == rec->rect) return;
  const bool resized = r.Width() != rec->rect.Width() || r.Height() != rec->rect.Height();
  rec->rect = r;
  if (rec->kind == Kind::kSprite) {
    rec->moved = true;
    if (resized) rec->dirty = rec->reshaped = true;
  } else {
    MarkDirty(w);
  }
}

TwipsRect GetWindowRect(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  return rec ? ToTwips(rec->rect) : TwipsRect{};
}

void SetVisible(WindowId w, bool visible) {
  WindowRec* rec = FindWindow(w);
  if (!rec || rec->visible == visible) return;
  rec->visible = visible;
  if (rec->kind == Kind::kSprite) {
    if (visible) {
      ShowSurface(*rec);
    } else {
      HideSurface(*rec);
    }
    return;
  }
  if (visible) {  // a control shown comes on top of its siblings
    if (WindowRec* parent = FindWindow(rec->parent)) {
      std::erase(parent->children, w);
      parent->children.push_back(w);
    }
  }
  MarkDirty(w);
}

bool IsVisible(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  return rec && rec->visible;
}

void SetBackColor(WindowId w, Color c) {
  WindowRec* rec = FindWindow(w);
  if (!rec) return;
  if (rec->backColor == c && rec->backColorSet) return;
  rec->backColor = c;
  rec->backColorSet = true;
  MarkDirty(w);
}

Color GetBackColor(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  return rec ? rec->backColor : 0;
}

void SetPicture(WindowId w, const Picture* picture) {
  WindowRec* rec = FindWindow(w);
  if (!rec || rec->picture == picture) return;
  rec->picture = picture;
  if (WindowRec* top = TopLevelOf(w)) top->dirty = top->reshaped = true;  // may change SurfaceRect
}

const Picture* GetPicture(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  return rec ? rec->picture : nullptr;
}

bool SetWindowShape(WindowId w, const Region& outline) {
  WindowRec* rec = FindWindow(w);
  if (!rec) return true;
  if (rec->outline && *rec->outline == outline) return true;
  rec->outline = outline;
  if (WindowRec* top = TopLevelOf(w)) top->dirty = top->reshaped = true;
  return true;
}

std::string ShapeFailureCause() { return ""; }  // layer surfaces can always be cut

void ClearText(WindowId w) {
  WindowRec* rec = FindWindow(w);
  if (!rec || rec->texts.empty()) return;
  rec->texts.clear();
  if (WindowRec* top = TopLevelOf(w)) top->dirty = top->reshaped = true;
}

void PrintText(WindowId w, int xPx, int yPx, std::string_view utf8, const TextFont& font, Color color) {
  WindowRec* rec = FindWindow(w);
  if (!rec) return;
  rec->texts.push_back({xPx, yPx, std::string(utf8), font, color});
  if (WindowRec* top = TopLevelOf(w)) top->dirty = top->reshaped = true;
}

void SetCaption(WindowId label, std::string_view utf8, const TextFont& font, Color color) {
  WindowRec* rec = FindWindow(label);
  if (!rec) return;
  if (rec->caption == utf8 && rec->captionFont == font && rec->captionColor == color) return;
  rec->caption = std::string(utf8);
  rec->captionFont = font;
  rec->captionColor = color;
  if (WindowRec* top = TopLevelOf(label)) top->dirty = top->reshaped = true;
}

void SetLine(WindowId line, double x1, double y1, double x2, double y2, Color color) {
  WindowRec* rec = FindWindow(line);
  if (!rec || rec->kind != Kind::kLine) return;
  rec->x1 = TwipsToPx(x1);
  rec->y1 = TwipsToPx(y1);
  rec->x2 = TwipsToPx(x2);
  rec->y2 = TwipsToPx(y2);
  rec->lineColor = color;
  MarkDirty(line);
}

void SetMouseDownHandler(WindowId w, MouseDownHandler handler) {
  WindowRec* rec = FindWindow(w);
  if (!rec) return;
  const bool had = static_cast<bool>(rec->onMouseDown);
  rec->onMouseDown = std::move(handler);
  if (had != static_cast<bool>(rec->onMouseDown)) {
    if (WindowRec* top = TopLevelOf(w)) top->dirty = top->reshaped = true;  // may change SurfaceRect
  }
}

void SetGotFocusHandler(WindowId w, std::function<void()> handler) {
  if (WindowRec* rec = FindWindow(w)) rec->onGotFocus = std::move(handler);
}

// The window gets the game's focus; the stage asks for the keyboard, as an
// exclusive surface until it has it, then on demand again, so that a click
// into another window gives the keyboard back.
void SetFocus(WindowId w) {
  WindowRec* rec = FindWindow(w);
  Backend& b = B();
  if (!rec || rec->kind != Kind::kSprite) return;
  if (!rec->surface) {
    b.pendingFocus = w;
    return;
  }
  b.focus = w;
  if (b.keyboardSurface == b.stage.surface && b.stage.surface) {
    NoteFocusGiven();
    return;
  }
  b.stage.keyboardWanted = true;
  SetStageKeyboard();
}

}  // namespace plat::wl
