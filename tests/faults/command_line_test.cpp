// The program's command line from outside: whatever the arguments, one line
// on stderr and a status, or the text asked for; never a crash, and Qt never
// sees them.
#include <gtest/gtest.h>

#include "faults/fault_env.h"
#include "game/base/screen_metrics.h"
#include "game/base/version.h"

namespace faults {
namespace {

using xtest::Ms;

struct Case {
  const char* what;
  std::vector<std::string> args;
  int status;
  std::string errHas;  // the one line on stderr has this
};

TEST(CommandLineFaults, BadAndLongArgumentsEndWithOneLine) {
  const std::string ones(30000, '1');
  const std::string spaces(100000, ' ');
  const std::string zeros = "36." + std::string(40000, '0');
  const std::vector<Case> cases = {
      {"a long start column", {ones}, 2, "start column out of range: 1111"},
      {"its twips overflow", {"--", "-143165590"}, 2, "start column out of range: -143165590"},
      {"100,000 spaces", {spaces}, 2, "DISPLAY is not set"},
      {"a long fraction", {zeros}, 2, "DISPLAY is not set"},
      {"Qt's options are unknown here", {"-display", ":99", "-platform", "offscreen"}, 2,
       "unknown option '-display'; usage: zembrant "},
      {"a short option of other programs", {"-v"}, 2, "unknown option '-v'; usage: zembrant "},
      {"a column off the field", {"5000"}, 2,
       "start column out of range: 5000 (the field ends at column " + std::to_string(zb::kFieldRightColumn - 1)},
      {"a negative column is no option", {"-5"}, 2, "DISPLAY is not set"},
      {"controls are escaped", {"--x\x1b[2J\x07\xc2\x9b"}, 2, "'--x\\x1b[2J\\x07\\u009b'"},
  };
  xtest::TempDir dir;
  for (const Case& c : cases) {
    const Ended run = RunProgram(c.args, {"DISPLAY", "WAYLAND_DISPLAY"}, dir.path(), Ms(20000));
    EXPECT_EQ(run.status, c.status) << c.what << ": " << run.err;
    EXPECT_EQ(Lines(run.err), 1) << c.what << ": " << run.err;
    EXPECT_NE(run.err.find(c.errHas), std::string::npos) << c.what << ": " << run.err;
    EXPECT_EQ(run.err.rfind("zembrant: ", 0), 0u) << c.what << ": " << run.err;
    EXPECT_TRUE(run.out.empty()) << c.what;
  }
}

TEST(CommandLineFaults, ShortOptionsAndOutputThatCannotBeWritten) {
  xtest::TempDir dir;
  const Ended help = RunProgram({"-h"}, {"DISPLAY"}, dir.path(), Ms(20000));
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: zembrant", 0), 0u) << help.out;
  const Ended version = RunProgram({"-V"}, {"DISPLAY"}, dir.path(), Ms(20000));
  EXPECT_EQ(version.out, std::string("zembrant ") + zb::kVersion + "\n");
  for (const char* option : {"--help", "--version"}) {
    const Ended full = RunProgram({option}, {}, dir.path(), Ms(20000), "/dev/full");
    EXPECT_EQ(full.status, 1) << option;
    EXPECT_EQ(Lines(full.err), 1) << option << ": " << full.err;
    const Ended closed = RunCommand(AfterShell("exec >&-", {option}), {}, dir.path(), Ms(20000));
    EXPECT_EQ(closed.status, 1) << option << " with stdout closed";
    EXPECT_EQ(Lines(closed.err), 1) << option << ": " << closed.err;
  }
}

}  // namespace
}  // namespace faults
