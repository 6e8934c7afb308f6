// Windows as the game sees them: a form is a window class's default instance,
// created hidden on first use from its design-time properties (its OnLoad),
// destroyed by Unload; the next use creates it afresh. Controls and timers
// belong to a loaded form.
#pragma once

#include <string>

#include "platform/region.h"
#include "platform/types.h"
#include "platform/window.h"

namespace zb {

// Operations shared by forms and their controls. Positions and sizes are
// twips; reads return whole pixels x 15.
class WindowOps {
 public:
  virtual ~WindowOps() = default;
  virtual plat::WindowId hWnd() = 0;

  float Left();
  float Top();
  float Width();
  float Height();
  void SetLeft(double twips);
  void SetTop(double twips);
  void SetWidth(double twips);
  void SetHeight(double twips);
  void Move(double left, double top);  // width and height unchanged
  void Move(double left, double top, double width, double height);

  bool Visible();
  void SetVisible(bool visible);
  plat::Color BackColor();
  void SetBackColor(plat::Color c);
  void SetPicture(const plat::Picture* picture);
  const plat::Picture* Picture();
  bool SetShape(const plat::Region& outline);  // false: cannot be cut
};

// A child control (label, picture box, line) of a loaded form. Its id is 0
// while the form is not loaded; every operation then does nothing.
class Control : public WindowOps {
 public:
  plat::WindowId id = plat::kNoWindow;
  plat::WindowId hWnd() override { return id; }
};

// A timer of a loaded form.
class Timer {
 public:
  plat::TimerId id = plat::kNoTimer;
  int Interval() const;
  void SetInterval(int ms);
  bool Enabled() const;
  void SetEnabled(bool enabled);
};

class Form : public WindowOps {
 public:
  explicit Form(std::string name) : name_(std::move(name)) {}
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // The window, created (and loaded) on first use.
  plat::WindowId hWnd() override;
  bool IsLoaded() const { return id_ != plat::kNoWindow; }
  // Destroys the window with its controls and timers; does nothing when the
  // form is not loaded.
  void Unload();
  const std::string& Name() const { return name_; }
  void SetFocus();

 protected:
  // Design-time properties: runs right after the window is created (hidden),
  // creates the controls and timers and binds the event handlers.
  virtual void OnLoad() {}
  // Forget the controls and timers of the destroyed window.
  virtual void OnUnload() {}

  plat::WindowId id_ = plat::kNoWindow;

 private:
  std::string name_;
  bool loading_ = false;
};

}  // namespace zb
