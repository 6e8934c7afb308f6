// The fatal end of the program.
#include "platform/errors.h"

#include <cstdio>

#include "platform/dialogs.h"
#include "platform/handler_guard.h"

namespace plat {

void FailFatally(const std::string& text, const std::string& cause) {
  if (cause.empty()) {
    std::fprintf(stderr, "zembrant: %s\n", text.c_str());
  } else {
    std::fprintf(stderr, "zembrant: %s (%s)\n", text.c_str(), cause.c_str());
  }
  // A signal that ends the program while the box is open keeps status 1.
  RememberFatalExit();
  ShowMessageBox(text);
  throw ProgramExit{1};
}

}  // namespace plat
