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
// - mutter: --headless with a virtual monitor, on a D-Bus session of its own;
//   the command it runs once XWayland is up opens the display to the test's
//   user and writes its name. It takes no screenshot: mutter alone, without
//   GNOME Shell, offers no way short of a PipeWire screen cast.
std::unique_ptr<Launcher> MakeWaylandLauncher(const std::string& commandLine);

}  // namespace xtest
