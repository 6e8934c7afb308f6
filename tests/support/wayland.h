// The launchers of the Wayland desktops: weston, sway and mutter, headless,
// each serving the X display through its XWayland for the program (an X11
// client) to run in. Each runs on a private socket and runtime directory and
// is ready once its XWayland answers, its X window manager owns the
// compositing manager's selection (the program draws its sprites by their
// alpha only when it sees one) and, where it takes screenshots, its screen
// shows the desktop's colour. Every wait has a bound.
#pragma once

#include <memory>
#include <string>

#include "support/launcher.h"

namespace xtest {

// The launcher for "weston", "sway" or "mutter" (the first word of the
// command line; the rest is ignored); nullptr for another program.
//
// - weston: the headless back end drawing with pixman, the desktop shell
//   without a panel, --debug so that weston-screenshooter may take its
//   screenshots. It names XWayland's display in its log.
// - sway: wlroots' headless back end with its pixman renderer; it will not
//   run as root, so under root it runs as the user nobody, in a runtime
//   directory made for it and removed at the end. Its configuration opens
//   XWayland to the test's user (xhost) and writes the display's name.
//   Screenshots with grim.
// - mutter: on a D-Bus session of its own, --nested in a window of an Xvfb of
//   its own the output's size: mutter alone, without GNOME Shell, takes no
//   screenshot (short of a PipeWire screen cast), and --headless draws where
//   nobody can read it, but the Xvfb shows what it draws. Its desktop, a
//   gradient of its own, reads as the desktop's colour in its screenshots.
//   The command it runs once XWayland is up opens the display to the
//   test's user and writes its name.
std::unique_ptr<Launcher> MakeWaylandLauncher(const std::string& commandLine);

}  // namespace xtest
