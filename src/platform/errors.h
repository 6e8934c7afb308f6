// Run-time errors and the orderly end of the program.
#pragma once

#include <stdexcept>
#include <string>

namespace plat {

// A run-time error of the game ("Subscript out of range", "Overflow"). It
// ends the program: a fatal message box with its text, a line on stderr and
// exit status 1.
class RuntimeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Thrown to end the program at once with the given exit status, from game
// code or from inside an event handler (the platform carries it out of its
// event loop and rethrows it from the yield that delivered the handler).
// Caught only by the program's entry point and by tests.
struct ProgramExit {
  int status = 0;
};

// Shows the fatal message box with `text` (OK only, no icon, title
// "Zembrant"), writes the text to stderr, followed by `cause` (what went
// wrong, in plain English) when there is one, and throws ProgramExit{1}.
[[noreturn]] void FailFatally(const std::string& text, const std::string& cause = "");

}  // namespace plat
