// Waiting for the server's exposures: after windows moved, were cut or were
// hidden, the server sends expose events for what they uncovered. A marker
// message the program sends itself after those requests comes back after
// those events, so once Qt has handled the marker it has handled (and
// painted) them all.
#pragma once

namespace plat::qt {

// Creates the hidden window that carries the marker; call once Qt is up.
void StartExposureMarker();
void StopExposureMarker();

// Queues a marker after the requests made so far (sent with the next flush,
// so that the server answers them in one go).
void SendExposureMarker();
// Runs Qt's event loop until the last marker sent has come back (at most a
// short while, should the server be slow); returns at once without one.
void AwaitExposures();

}  // namespace plat::qt
