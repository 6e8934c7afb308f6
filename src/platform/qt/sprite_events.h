// Spares Qt the work of the moves of sprite windows.
//
// For each configure notification of a top-level window Qt asks the server
// for the window's position and, a little later, for its frame: two round
// trips per moved window, ten moved windows a frame in a busy stage. Sprite
// windows are moved by the backend itself, straight on the server, and
// their positions always reach the server after anything Qt sends (see
// windows.cpp), so Qt needs no news of a plain move: those notifications
// are dropped. The others (a new size) are marked as sent, which makes Qt
// take their position as exact: sprite windows are override-redirect
// children of the root, nothing reparents them.
//
// It also drops the exposures of single-coloured sprite windows that Qt
// knows are on screen: the server has filled them with the window's colour
// (painting.h).
#pragma once

namespace plat::qt {

void StartConfigureFilter();
void StopConfigureFilter();

}  // namespace plat::qt
