// What the fault tests change around the program: a fontconfig set-up of
// their own, and runs of the program outside the fixture (within it the
// program's environment is GameOptions::env).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/processes.h"

namespace faults {

// Writes a fonts.conf into `dir` that knows only the font directories given
// (none: no font at all) and keeps its cache in `dir`; returns its path.
std::string WriteFontsConf(const std::string& dir, const std::vector<std::string>& fontDirs);

// How a run of the program ended: its status (none when it did not end in
// time and was killed), what it wrote.
struct Ended {
  std::optional<int> status;
  std::string out;
  std::string err;
};

// Runs the program with `args` in the test's environment changed by `env`
// ("NAME=value" sets, "NAME" alone removes), its stdout to `outFile` (a file
// in `dir` when empty), and waits at most `limit` for it to end.
Ended RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env,
                 const std::string& dir, xtest::Ms limit, const std::string& outFile = "");

// The same for any command line (argv[0] looked up on PATH).
Ended RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& dir, xtest::Ms limit, const std::string& outFile = "");

// The program's command line run by the shell after `shellCommand` (a
// `ulimit`, a `trap`, a redirection of the shell's own).
std::vector<std::string> AfterShell(const std::string& shellCommand, const std::vector<std::string>& args = {});

// The lines of a text.
int Lines(const std::string& text);

}  // namespace faults
