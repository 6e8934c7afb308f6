// The one filter every X event on Qt's connection passes through, before
// Qt: a switch hands each event to the file of its concern, which may keep
// it from Qt.
#pragma once

#include <xcb/xcb.h>

namespace plat::qt {

// Installs the filter once Qt's connection is up; removes it again.
void StartXEvents();
void StopXEvents();

// Hands one event to its concern; true when Qt is not to see it.
bool DispatchXEvent(xcb_generic_event_t* ev);

}  // namespace plat::qt
