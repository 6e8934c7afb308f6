// Windows as the game sees them: each game window is one object, created
// hidden on first use (or by Load) with its start-up properties (its OnLoad),
// destroyed by Unload; the next use creates it afresh. Controls and timers
// belong to a loaded window.
#pragma once

#include <string>

#include "platform/region.h"
#include "platform/types.h"
#include "platform/window.h"

namespace zb {

// Operations shared by windows and their controls. Positions and sizes are
// twips; reads return whole pixels x 15.
class WindowOps {
 public:
  virtual ~WindowOps() = default;
  virtual plat::WindowId Id() = 0;

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

// A child control (label, picture box, line) of a loaded window. Its id is 0
// while the window is not loaded; every operation then does nothing.
class Control : public WindowOps {
 public:
  plat::WindowId id = plat::kNoWindow;
  plat::WindowId Id() override { return id; }
};

// A timer of a loaded window.
class Timer {
 public:
  plat::TimerId id = plat::kNoTimer;
  int Interval() const;
  void SetInterval(int ms);
  bool Enabled() const;
  void SetEnabled(bool enabled);
};

// A top-level window of the game, known by its X window name.
class Window : public WindowOps {
 public:
  explicit Window(std::string name) : name_(std::move(name)) {}
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // The window, created (and loaded) on first use.
  plat::WindowId Id() override;
  // Creates the window with its controls and timers unless it exists.
  void Load() { Id(); }
  bool IsLoaded() const { return id_ != plat::kNoWindow; }
  // Destroys the window with its controls and timers; does nothing when the
  // window is not loaded.
  void Unload();
  const std::string& Name() const { return name_; }
  void SetFocus();

 protected:
  // Start-up properties: runs right after the window is created (hidden),
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
