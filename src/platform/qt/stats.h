// The program's own count of its X traffic, for the benchmarks: with
// ZEMBRANT_STATS naming a file, the yields so far and the requests sent on
// Qt's connection and on the keyboard's are written there a few times a
// second. Without it nothing is counted.
#pragma once

namespace plat::qt::stats {

// Called by every yield.
void NoteYield();

}  // namespace plat::qt::stats
