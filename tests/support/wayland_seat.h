// A keyboard and a pointer of the test's own on a Wayland compositor's seat
// (the virtual keyboard and virtual pointer protocols of wlroots
// compositors): keys and clicks reach whichever surface the compositor
// gives them to, as a player's do.
#pragma once

#include <cstdint>
#include <string>

struct wl_display;

namespace xtest {

// evdev key codes of the keys the tests press.
namespace evdev {
inline constexpr std::uint32_t kEscape = 1, kEnter = 28, kSpace = 57, kHome = 102, kUp = 103, kLeft = 105,
                               kRight = 106, kDown = 108;
std::uint32_t FromName(const std::string& name);  // "space", "left", ...; 0 for none
}  // namespace evdev

class WaylandSeat {
 public:
  // Connects to the compositor WAYLAND_DISPLAY names; error() says why not.
  WaylandSeat();
  ~WaylandSeat();
  WaylandSeat(const WaylandSeat&) = delete;
  WaylandSeat& operator=(const WaylandSeat&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  // The output's size, for absolute pointer motion.
  void SetScreen(int width, int height);

  // Each returns once the compositor has handled it.
  void Key(std::uint32_t evdevKey, bool down);
  void MoveTo(int x, int y);
  // BTN_LEFT, BTN_RIGHT, BTN_MIDDLE.
  void Button(std::uint32_t button, bool down);
  void Click(int x, int y, std::uint32_t button);

  struct Globals;  // the compositor's globals the seat uses

 private:
  void Sync();
  std::uint32_t Now() const;

  wl_display* display_ = nullptr;
  Globals* g_ = nullptr;
  int width_ = 1280, height_ = 1024;
  std::string error_;
};

}  // namespace xtest
