// Counting yields and X requests for the benchmarks.
//
// An X connection numbers its requests; the number of a no-op request sent
// now, less one, is how many went before it. The no-ops sent for counting
// are left out of the figures.
#include "platform/qt/stats.h"

#include <fcntl.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/qt/backend.h"

namespace plat::qt::stats {
namespace {

// Seldom, so that the counting costs next to nothing of what it measures.
constexpr std::int64_t kWriteEveryMs = 1000;

TrafficCounts* Enabled() { return B().traffic.path.empty() ? nullptr : &B().traffic; }

// Requests sent on `c` before this call, the counting no-ops among them.
std::uint64_t RequestsSoFar(xcb_connection_t* c) {
  if (!c || xcb_connection_has_error(c)) return 0;
  return xcb_no_operation(c).sequence - 1;
}

void Write(TrafficCounts& n) {
  const std::uint64_t qt = RequestsSoFar(B().conn);
  const std::uint64_t keys = RequestsSoFar(B().keyboard.Connection());
  const std::uint64_t own = n.ownNoOps++;
  // Made afresh, never through a link another user may have put there.
  const std::string tmp = n.path + ".tmp";
  unlink(tmp.c_str());
  const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (FILE* f = fdopen(fd, "w")) {
    std::fprintf(f, "ms %lld\nyields %llu\nqt_requests %llu\nkey_requests %llu\nqt_events %llu\n",
                 static_cast<long long>(SteadyMs()), static_cast<unsigned long long>(n.yields),
                 static_cast<unsigned long long>(qt - own), static_cast<unsigned long long>(keys - own),
                 static_cast<unsigned long long>(n.events));
    std::fclose(f);
    std::rename(tmp.c_str(), n.path.c_str());
  } else {
    close(fd);
  }
}

}  // namespace

void StartCounting() {
  const char* path = std::getenv("ZEMBRANT_STATS");
  B().traffic = {};
  if (path) B().traffic.path = path;
}

void NoteEvent() {
  if (TrafficCounts* n = Enabled()) ++n->events;
}

void NoteYield() {
  TrafficCounts* n = Enabled();
  if (!n) return;
  ++n->yields;
  const std::int64_t now = SteadyMs();
  if (now - n->lastWriteMs < kWriteEveryMs) return;
  n->lastWriteMs = now;
  Write(*n);
}

}  // namespace plat::qt::stats
