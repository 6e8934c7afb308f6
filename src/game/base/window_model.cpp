// Game windows and their controls on top of the platform's windows.
#include "game/base/window_model.h"

namespace zb {

float WindowOps::Left() { return static_cast<float>(plat::GetWindowRect(Id()).left); }
float WindowOps::Top() { return static_cast<float>(plat::GetWindowRect(Id()).top); }
float WindowOps::Width() { return static_cast<float>(plat::GetWindowRect(Id()).width); }
float WindowOps::Height() { return static_cast<float>(plat::GetWindowRect(Id()).height); }

void WindowOps::SetLeft(double twips) {
  const auto w = Id();
  const auto r = plat::GetWindowRect(w);
  plat::SetWindowRect(w, twips, r.top, r.width, r.height);
}
void WindowOps::SetTop(double twips) {
  const auto w = Id();
  const auto r = plat::GetWindowRect(w);
  plat::SetWindowRect(w, r.left, twips, r.width, r.height);
}
void WindowOps::SetWidth(double twips) {
  const auto w = Id();
  const auto r = plat::GetWindowRect(w);
  plat::SetWindowRect(w, r.left, r.top, twips, r.height);
}
void WindowOps::SetHeight(double twips) {
  const auto w = Id();
  const auto r = plat::GetWindowRect(w);
  plat::SetWindowRect(w, r.left, r.top, r.width, twips);
}
void WindowOps::Move(double left, double top) {
  const auto w = Id();
  const auto r = plat::GetWindowRect(w);
  plat::SetWindowRect(w, left, top, r.width, r.height);
}
void WindowOps::Move(double left, double top, double width, double height) {
  plat::SetWindowRect(Id(), left, top, width, height);
}

bool WindowOps::Visible() { return plat::IsVisible(Id()); }
void WindowOps::SetVisible(bool visible) { plat::SetVisible(Id(), visible); }
plat::Color WindowOps::BackColor() { return plat::GetBackColor(Id()); }
void WindowOps::SetBackColor(plat::Color c) { plat::SetBackColor(Id(), c); }
void WindowOps::SetPicture(const plat::Picture* picture) { plat::SetPicture(Id(), picture); }
const plat::Picture* WindowOps::Picture() { return plat::GetPicture(Id()); }
bool WindowOps::SetShape(const plat::Region& outline) {
  return plat::SetWindowShape(Id(), outline);
}

int Timer::Interval() const { return plat::TimerInterval(id); }
void Timer::SetInterval(int ms) { plat::SetTimerInterval(id, ms); }
bool Timer::Enabled() const { return plat::TimerEnabled(id); }
void Timer::SetEnabled(bool enabled) { plat::SetTimerEnabled(id, enabled); }

plat::WindowId Window::Id() {
  if (id_ == plat::kNoWindow && !loading_) {
    id_ = plat::CreateSpriteWindow(name_);
    loading_ = true;
    try {
      OnLoad();
    } catch (...) {
      loading_ = false;
      throw;
    }
    loading_ = false;
  }
  return id_;
}

void Window::Unload() {
  if (id_ == plat::kNoWindow) return;
  plat::DestroyWindow(id_);
  id_ = plat::kNoWindow;
  OnUnload();
}

void Window::SetFocus() { plat::SetFocus(Id()); }

}  // namespace zb
