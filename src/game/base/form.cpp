// Forms and controls on top of the platform's windows.
#include "game/base/form.h"

namespace zb {

float WindowOps::Left() { return static_cast<float>(plat::GetWindowRect(hWnd()).left); }
float WindowOps::Top() { return static_cast<float>(plat::GetWindowRect(hWnd()).top); }
float WindowOps::Width() { return static_cast<float>(plat::GetWindowRect(hWnd()).width); }
float WindowOps::Height() { return static_cast<float>(plat::GetWindowRect(hWnd()).height); }

void WindowOps::SetLeft(double twips) {
  const auto w = hWnd();
  const auto r = plat::GetWindowRect(w);
  plat::SetWindowRect(w, twips, r.top, r.width, r.height);
}
void WindowOps::SetTop(double twips) {
  const auto w = hWnd();
  const auto r = plat::GetWindowRect(w);
  plat::SetWindowRect(w, r.left, twips, r.width, r.height);
}
void WindowOps::SetWidth(double twips) {
  const auto w = hWnd();
  const auto r = plat::GetWindowRect(w);
  plat::SetWindowRect(w, r.left, r.top, twips, r.height);
}
void WindowOps::SetHeight(double twips) {
  const auto w = hWnd();
  const auto r = plat::GetWindowRect(w);
  plat::SetWindowRect(w, r.left, r.top, r.width, twips);
}
void WindowOps::Move(double left, double top) {
  const auto w = hWnd();
  const auto r = plat::GetWindowRect(w);
  plat::SetWindowRect(w, left, top, r.width, r.height);
}
void WindowOps::Move(double left, double top, double width, double height) {
  plat::SetWindowRect(hWnd(), left, top, width, height);
}

bool WindowOps::Visible() { return plat::IsVisible(hWnd()); }
void WindowOps::SetVisible(bool visible) { plat::SetVisible(hWnd(), visible); }
plat::Color WindowOps::BackColor() { return plat::GetBackColor(hWnd()); }
void WindowOps::SetBackColor(plat::Color c) { plat::SetBackColor(hWnd(), c); }
void WindowOps::SetPicture(const plat::Picture* picture) { plat::SetPicture(hWnd(), picture); }
const plat::Picture* WindowOps::Picture() { return plat::GetPicture(hWnd()); }
bool WindowOps::SetShape(const plat::Region& outline) {
  return plat::SetWindowShape(hWnd(), outline);
}

int Timer::Interval() const { return plat::TimerInterval(id); }
void Timer::SetInterval(int ms) { plat::SetTimerInterval(id, ms); }
bool Timer::Enabled() const { return plat::TimerEnabled(id); }
void Timer::SetEnabled(bool enabled) { plat::SetTimerEnabled(id, enabled); }

plat::WindowId Form::hWnd() {
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

void Form::Unload() {
  if (id_ == plat::kNoWindow) return;
  plat::DestroyWindow(id_);
  id_ = plat::kNoWindow;
  OnUnload();
}

void Form::SetFocus() { plat::SetFocus(hWnd()); }

}  // namespace zb
