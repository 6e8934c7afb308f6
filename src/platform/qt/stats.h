// The program's own count of its X traffic, for the benchmarks: with
// ZEMBRANT_STATS naming a file, the yields so far, the requests sent on
// Qt's connection and on the keyboard's and the events Qt's connection
// received are written there a few times a second. Without it nothing is counted.
#pragma once

namespace plat::qt::stats {

// Reads ZEMBRANT_STATS; called when the platform opens.
void StartCounting();
// Called by every yield; by the X event dispatch for every event.
void NoteYield();
void NoteEvent();

}  // namespace plat::qt::stats
