// The fatal end of the program.
#include "platform/errors.h"

#include <cstdio>

#include "platform/dialogs.h"

namespace plat {

void FailFatally(const std::string& text, const std::string& cause) {
  if (cause.empty()) {
    std::fprintf(stderr, "zembrant: %s\n", text.c_str());
  } else {
    std::fprintf(stderr, "zembrant: %s (%s)\n", text.c_str(), cause.c_str());
  }
  ShowMessageBox(text);
  throw ProgramExit{1};
}

}  // namespace plat
