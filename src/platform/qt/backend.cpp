// The X11 backend's state and its accessor.
#include "platform/qt/backend.h"

#include <chrono>

namespace plat::qt {

Backend& B() {
  static Backend* backend = new Backend;  // lives as long as the process
  return *backend;
}

bool Open() { return B().app != nullptr; }

WindowRec* FindWindow(WindowId w) {
  auto it = B().windows.find(w);
  return it == B().windows.end() ? nullptr : &it->second;
}

WindowRec* TopLevelOf(WindowId w) {
  WindowRec* rec = FindWindow(w);
  while (rec && rec->parent != kNoWindow) rec = FindWindow(rec->parent);
  return rec;
}

TimerRec* FindTimer(TimerId t) {
  auto it = B().timers.find(t);
  return it == B().timers.end() ? nullptr : &it->second;
}

std::int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace plat::qt
