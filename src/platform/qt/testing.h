// What the X11 tests need of the backend beyond the platform interface: the
// X window behind a window of the game, and a fresh start between cases
// without reopening the display.
#pragma once

#include <cstdint>

#include "platform/window.h"

class QWidget;
struct xcb_connection_t;

namespace plat::qt::testing {

// Destroys every window and timer without running handlers, forgets queued
// events and a pending exit. The platform stays open.
void Reset();

xcb_connection_t* QtConnection();
// Waits until the server has done every request the backend sent, so that
// another client reads the screen as the program left it.
void SyncWithServer();
// The widget of a window or control, nullptr when it does not exist.
QWidget* WidgetOf(WindowId w);
// The X window of a sprite window (controls have none of their own): 0 when
// it does not exist.
std::uint32_t XWindowOf(WindowId w);
// The game window whose X window is `xid`, kNoWindow for none.
WindowId WindowOfX(std::uint32_t xid);
// From now on whoever owns the compositor's selection is believed to draw
// the windows: the tests take the selection to stand in for a compositor.
void TrustCompositorSelection();
// The hidden window whose property changes mark the end of exposures.
std::uint32_t ExposureMarkerWindow();

}  // namespace plat::qt::testing
