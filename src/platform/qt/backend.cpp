// The X11 backend's state and its accessor.
#include "platform/qt/backend.h"


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

}  // namespace plat::qt
