// Wayland compositors with XWayland, headless, for the program (an X11
// client) to run in as on a Wayland desktop: weston, sway and mutter. Each is
// started on a private socket, with its own runtime directory, and is ready
// once its XWayland answers and its X window manager owns the compositing
// manager's selection (the program draws its sprites by their alpha only
// when it sees one). Every wait has a bound.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/processes.h"

namespace xtest {

// A picture of the whole screen, 0xRRGGBB row by row.
struct ScreenImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  bool empty() const { return pixels.empty(); }
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// Reads a binary PPM (P6, 8 bits a channel); empty on failure.
ScreenImage ReadPpm(const std::string& path);

class WaylandCompositor {
 public:
  enum class Kind { kWeston, kSway, kMutter };

  // Starts it with one output of `width` x `height` painted `desktopRgb`
  // where the compositor paints a background (weston, sway), and waits until
  // it is ready; display() is empty and error() says why when it is not.
  // `dir` holds its logs and configuration.
  WaylandCompositor(Kind kind, int width, int height, std::uint32_t desktopRgb,
                    const std::string& dir);
  ~WaylandCompositor();
  WaylandCompositor(const WaylandCompositor&) = delete;
  WaylandCompositor& operator=(const WaylandCompositor&) = delete;

  // XWayland's display (":N"), open to the test's user; empty on failure.
  const std::string& display() const { return display_; }
  const std::string& error() const { return error_; }
  static const char* Name(Kind kind);
  pid_t pid() const { return compositor_ ? compositor_->pid() : -1; }

  // Whether the compositor lets a client take a picture of its screen
  // (weston with --debug: weston-screenshooter; sway: grim). mutter alone,
  // without GNOME Shell, offers no way short of a PipeWire screen cast.
  bool CanScreenshot() const { return kind_ != Kind::kMutter; }
  // The compositor's own picture of its screen; also kept as a PNG file at
  // `png` when that is not empty. Empty when it could not be taken.
  ScreenImage Screenshot(const std::string& png = "");

  // Ends the compositor, its XWayland and every helper it started, and waits
  // until XWayland's socket is gone; false when something was left.
  bool Stop();

 private:
  void StartWeston(int width, int height, std::uint32_t desktopRgb);
  void StartSway(int width, int height, std::uint32_t desktopRgb);
  void StartMutter(int width, int height);
  // Waits until the compositor names its XWayland display in `file` (read
  // with `parse`), then until the display is ready for the program.
  bool AwaitReady(std::uint32_t desktopRgb, int width, int height);

  Kind kind_;
  std::string dir_;
  std::string runtime_;        // XDG_RUNTIME_DIR of the compositor
  bool ownRuntime_ = false;    // made here outside dir_, removed at the end
  std::string socket_;         // WAYLAND_DISPLAY
  std::string displayFile_;    // where the display's name comes from
  std::string display_;
  std::string error_;
  std::optional<Child> compositor_;
  int shots_ = 0;
};

}  // namespace xtest
