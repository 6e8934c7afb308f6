// Running a procedure step by step where a failed step is skipped silently
// and the next one runs (the set-up, the staff roll, the end command).
#pragma once

#include <exception>

namespace zb {

// Runs `step`; a run-time error inside it is dropped. The end of the program
// (plat::ProgramExit, thrown by the fatal shaping errors and the end command)
// and a test's own exceptions pass through.
template <typename Step>
void SkipOnError(Step&& step) {
  try {
    step();
  } catch (const std::exception&) {
    // skipped: the procedure goes on with its next step
  }
}

}  // namespace zb
