// The X11 backend's state and its accessor.
#include "platform/qt/backend.h"


namespace plat::qt {

Backend& B() {
  static Backend* backend = new Backend;  // lives as long as the process
  return *backend;
}

bool Open() { return B().app != nullptr; }

WindowRec* FindWindow(WindowId w) { return FindIn(B().windows, w); }

WindowRec* TopLevelOf(WindowId w) { return TopLevelIn(B().windows, w); }

}  // namespace plat::qt
