// The desktop around a test of the real program, made of launchers: each
// starts one program of the desktop (a window manager, an X compositor, or a
// Wayland compositor that serves the X display through XWayland), tells when
// it is ready by a state it shows, can take a screenshot of its own, and
// stops it.
//
// A desktop is a list of command lines started in order, as a user would
// type them ("openbox --sm-disable", then "picom --backend xrender
// --shadow"). MakeLauncher picks the launcher by the program's name; a new
// kind of desktop is one more entry in the table in launcher.cpp.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/x_client.h"

namespace xtest {

// Where a launcher starts its program.
struct LaunchContext {
  // The X display to run on (":N"); empty for a launcher that serves the
  // display itself (ServesX).
  std::string display;
  // A directory of the test's own, the program's HOME; logs go there.
  std::string dir;
  // The screen's size in pixels (the size of the virtual output of a
  // Wayland compositor).
  int width = 1280;
  int height = 1024;
  // The desktop's colour, 0xRRGGBB, where the program paints the
  // background (a Wayland compositor's desktop shell).
  std::uint32_t desktopColour = 0x3a6ea5;
};

class Launcher {
 public:
  // Stops the program (Stop).
  virtual ~Launcher() = default;

  // The command line as a user would type it, for messages.
  virtual std::string Command() const = 0;

  // Whether the program serves the X display itself (XWayland under a
  // Wayland compositor). Such a launcher comes first in a desktop: no Xvfb
  // is started, and the display is Display() once WaitReady succeeded.
  virtual bool ServesX() const { return false; }
  virtual std::string Display() const { return {}; }
  // What a native Wayland client of the compositor needs in its environment
  // ("WAYLAND_DISPLAY=...", "XDG_RUNTIME_DIR=..."); empty for an X program.
  virtual std::vector<std::string> WaylandEnvironment() const { return {}; }
  // The process group of the program and what it started (XWayland), for
  // measuring what they cost; -1 when unknown.
  virtual int ProcessGroup() const { return -1; }

  // Starts the program: "" when it started, else what went wrong.
  virtual std::string Start(const LaunchContext& context) = 0;
  // Waits up to `limit` until the program is ready, judged by a state it
  // shows on the X server (a window manager's _NET_SUPPORTING_WM_CHECK and
  // a new window framed; a compositor owning _NET_WM_CM_S0): "" when ready,
  // else what is still missing.
  virtual std::string WaitReady(Ms limit) = 0;
  // Whether the program still runs.
  virtual bool Running() = 0;
  // The screen as the program itself shows it (a Wayland compositor's own
  // screenshot, which sees what the X server cannot), written to `ppmPath`
  // as a binary PPM (P6, 8 bits); false when it has no way of its own.
  virtual bool Screenshot(const std::string& ppmPath) {
    (void)ppmPath;
    return false;
  }
  // Stops the program and whatever it started. Safe to call twice.
  virtual void Stop() = 0;

  // A Wayland compositor nested in a window of an Xvfb of its own: the
  // display of that Xvfb, where keys and clicks sent with XTEST go through
  // the compositor's seat to whatever surface it has focused, as a real
  // keyboard's and mouse's do. "" where input is sent to the X display
  // itself (XTEST into XWayland reaches X windows whatever has the focus).
  virtual std::string SeatDisplay() const { return {}; }
  // Starts the player's terminal there, a native Wayland client, and waits
  // up to `limit` until it shows and has the keyboard: a word typed through
  // the seat lands in it. "" then, else what went wrong.
  virtual std::string StartTerminal(Ms limit) {
    (void)limit;
    return "no seat to type into a terminal with";
  }
  // What was typed into the terminal so far, line by line (its shell writes
  // each line to a file).
  virtual std::string TerminalLines() { return {}; }
  // Where the terminal shows on the screen, once StartTerminal succeeded.
  virtual plat::Rect TerminalRect() const { return {}; }
};

// The launcher for a command line, chosen by its first word: openbox,
// xfwm4, icewm, fluxbox (window managers; xfwm4 --compositor=on composites
// too), picom, xcompmgr (compositors), weston, sway, mutter, kwin_wayland
// (Wayland compositors serving the display through XWayland, headless or
// nested with a seat: support/wayland.h).
// nullptr for a program it does not know.
std::unique_ptr<Launcher> MakeLauncher(const std::string& commandLine);

// A binary PPM's pixels, 0xRRGGBB row by row; empty when it cannot be read.
struct PpmImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};
PpmImage ReadPpm(const std::string& path);

}  // namespace xtest
