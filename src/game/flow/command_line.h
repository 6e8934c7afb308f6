// Reading the program's arguments: an optional start column, --help,
// --version, --quit.
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

}  // namespace zb
