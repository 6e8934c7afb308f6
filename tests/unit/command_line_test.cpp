// The command line: the start column, --help, --version and bad input.
#include <gtest/gtest.h>

#include "game/base/version.h"
#include "game/flow/command_line.h"

namespace zb {
namespace {

using Action = CommandLine::Action;

CommandLine Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

TEST(CommandLine, StartColumnIsTheLeadingNumberRoundedHalfToEven) {
  EXPECT_EQ(Parse({}).startX, 0);
  EXPECT_EQ(Parse({"300"}).startX, 300);
  EXPECT_EQ(Parse({"  42abc"}).startX, 42);
  EXPECT_EQ(Parse({"abc", "300"}).startX, 0);  // joined, the text starts with no number
  EXPECT_EQ(Parse({"300", "400"}).startX, 300);
  EXPECT_EQ(Parse({"2.5"}).startX, 2);
  EXPECT_EQ(Parse({"3.5"}).startX, 4);
  EXPECT_EQ(Parse({"2147483647"}).action, Action::kPlay);
}

TEST(CommandLine, ErrorsHelpAndVersion) {
  for (const char* big : {"2147483648", "-2147483649", "1e40"}) {
    const auto cl = Parse({big});
    EXPECT_EQ(cl.action, Action::kError) << big;
    EXPECT_NE(cl.message.find("out of range"), std::string::npos) << cl.message;
  }
  EXPECT_EQ(Parse({"--fullscreen"}).action, Action::kError);
  EXPECT_EQ(Parse({"--", "--help"}).action, Action::kPlay);
  EXPECT_EQ(Parse({"--help"}).action, Action::kHelp);
  EXPECT_EQ(Parse({"300", "--version"}).message, std::string("zembrant ") + kVersion + "\n");
}

}  // namespace
}  // namespace zb
