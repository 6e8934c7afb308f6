// zembrant: the program.
#include <cstdio>
#include <string>
#include <vector>

#include "game/flow/command_line.h"
#include "game/flow/entry.h"
#include "platform/app.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const zb::CommandLine cl = zb::ParseCommandLine(args);
  switch (cl.action) {
    case zb::CommandLine::Action::kError:
      std::fprintf(stderr, "zembrant: %s\n", cl.message.c_str());
      return 2;
    case zb::CommandLine::Action::kHelp:
    case zb::CommandLine::Action::kVersion:
      std::fputs(cl.message.c_str(), stdout);
      return 0;
    case zb::CommandLine::Action::kPlay:
      break;
  }
  if (const std::string why = plat::OpenPlatform(argc, argv); !why.empty()) {
    std::fprintf(stderr, "zembrant: %s\n", why.c_str());
    return 2;
  }
  if (const std::string why = plat::ClaimDisplay(); !why.empty()) {
    std::fprintf(stderr, "zembrant: %s\n", why.c_str());
    plat::ClosePlatform();
    return 1;
  }
  const int status = zb::RunGame(cl.startX);
  plat::ClosePlatform();
  return status;
}
