// The program's entry: the command line, start-up and the game cycle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zb {

struct CommandLine {
  enum class Action { kPlay, kHelp, kVersion, kQuit, kError };
  Action action = Action::kPlay;
  std::int32_t startX = 0;  // the ship's start column in pixels; 0 = default
  std::string message;      // kError: one line for stderr; kHelp, kVersion: the text to print
};

// Reads the program's arguments (argv[1..]).
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// Start-up and the endless game cycle. Returns the exit status when the
// program ends: through the menu's end command (0), or a fatal error shown
// in the message box (1).
int Main(std::int32_t startX);

}  // namespace zb
