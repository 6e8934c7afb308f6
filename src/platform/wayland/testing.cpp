// The Wayland backend seen by its tests.
#include "platform/wayland/testing.h"

#include <QRect>

#include <algorithm>

#include "platform/handler_guard.h"
#include "platform/wayland/modal.h"
#include "platform/wayland/state.h"

namespace plat::wl::testing {
ModalView CurrentModal() {
  const OpenModal& open = CurrentOpenModal();
  ModalView v;
  v.kind = open.kind;
  v.text = open.text;
  const ModalSurface* m = open.surface;
  if (!m) return v;
  v.onScreen = m->shown;
  v.focused = B().keyboardSurface == m->surface && m->surface;
  // A popup's place is relative to the stage, whose top-left is the game's.
  const int dx = v.kind == ModalKind::kMenu ? m->x : 0;
  const int dy = v.kind == ModalKind::kMenu ? m->y : 0;
  for (const Rect& t : open.targets) {
    v.targets.push_back({t.left + dx, t.top + dy, t.right + dx, t.bottom + dy});
  }
  return v;
}

Rect ScreenRect(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  if (!rec) return {};
  Rect r = rec->rect;
  for (const WindowRec* up = FindWindow(rec->parent); up; up = FindWindow(up->parent)) {
    r = {r.left + up->rect.left, r.top + up->rect.top, r.right + up->rect.left, r.bottom + up->rect.top};
  }
  return r;
}

Region Outline(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  if (!rec) return {};
  Region shown(Rect{0, 0, rec->rect.Width(), rec->rect.Height()});
  if (rec->outline) shown.Intersect(*rec->outline);
  return shown;
}

bool Mapped(WindowId w) {
  const WindowRec* rec = FindWindow(w);
  for (; rec && rec->parent != kNoWindow; rec = FindWindow(rec->parent)) {
    if (!rec->visible) return false;
  }
  return rec && rec->visible && rec->surface && rec->surface->committedBuffer && B().stage.configured;
}

std::vector<WindowId> Stacking(const std::vector<WindowId>& windows) {
  std::vector<WindowId> out;
  for (WindowId w : B().stacking) {
    if (Mapped(w) && std::find(windows.begin(), windows.end(), w) != windows.end()) out.push_back(w);
  }
  return out;
}

bool HasKeyboard() {
  ReadKeyboardEvents();
  return B().stage.surface && B().keyboardSurface == B().stage.surface;
}

WindowId KeyboardFocus() { return HasKeyboard() ? B().focus : kNoWindow; }

std::uint64_t KeyEventsHeard() {
  ReadKeyboardEvents();
  return B().keyEvents;
}

void Reset() {
  Backend& b = B();
  DestroyAllWindows();
  SendChanges();
  for (auto& [vk, k] : b.keys) k.pressedSince = false;
  SetModalWatcher(nullptr);
  NoteModal(ModalKind::kNone, "", nullptr, {});
  ResetHandlerGuard();
}

std::uint64_t FramesPresented() { return B().presented; }
std::int64_t LastPresentedUs() { return B().lastPresentedUs; }

}  // namespace plat::wl::testing
