// zembrant: the program.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/flow/command_line.h"
#include "game/flow/entry.h"
#include "platform/app.h"
#include "platform/screen.h"

namespace {

// Prints the text of --help or --version; a status of 1 when it could not
// all be written (a full disk, a closed pipe, stdout closed).
int Print(const std::string& text) {
  if (plat::StdoutClosedAtStart()) {
    std::fputs("zembrant: cannot write to standard output: it is closed\n", stderr);
    return 1;
  }
  const bool written = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
  if (written && !std::ferror(stdout)) return 0;
  std::fprintf(stderr, "zembrant: cannot write to standard output: %s\n", std::strerror(errno));
  return 1;
}

// One line on stderr when the stage does not fit on the primary monitor.
void WarnIfNarrow() {
  const int width = plat::GetScreen().width;
  if (width <= 0 || width >= zb::kStageWidthPx) return;
  std::fprintf(stderr,
               "zembrant: the screen is %d pixels wide; the stage needs %d, and the boss will be "
               "off the screen\n",
               width, zb::kStageWidthPx);
}

int Play(char* programName, std::int32_t startX) {
  // Qt sees only the program's name: the user's arguments are ours alone.
  static int qtArgc = 1;
  static char* qtArgv[] = {programName, nullptr};
  if (const std::string why = plat::OpenPlatform(qtArgc, qtArgv, zb::kStageWidthPx); !why.empty()) {
    std::fprintf(stderr, "zembrant: %s\n", why.c_str());
    return 2;
  }
  WarnIfNarrow();
  if (const std::string why = plat::ClaimDisplay(); !why.empty()) {
    std::fprintf(stderr, "zembrant: %s\n", why.c_str());
    plat::ClosePlatform();
    return 1;
  }
  const int status = zb::RunGame(startX);
  plat::ClosePlatform();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  plat::PrepareProcess();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const zb::CommandLine cl = zb::ParseCommandLine(args);
  switch (cl.action) {
    case zb::CommandLine::Action::kError:
      std::fprintf(stderr, "zembrant: %s\n", cl.message.c_str());
      return 2;
    case zb::CommandLine::Action::kHelp:
    case zb::CommandLine::Action::kVersion:
      return Print(cl.message);
    case zb::CommandLine::Action::kQuit: {
      const plat::Outcome quit = plat::QuitRunningCopy();
      if (!quit.message.empty()) std::fprintf(stderr, "zembrant: %s\n", quit.message.c_str());
      return quit.status;
    }
    case zb::CommandLine::Action::kPlay:
      break;
  }
  return Play(argc > 0 ? argv[0] : const_cast<char*>("zembrant"), cl.startX);
}
