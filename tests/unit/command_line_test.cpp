// The command line: the start column, --help, --version and bad input.
#include <gtest/gtest.h>

#include "game/main.h"

namespace zb {
namespace {

using Action = CommandLine::Action;

CommandLine Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

TEST(CommandLine, StartColumnIsTheLeadingNumber) {
  EXPECT_EQ(Parse({}).startX, 0);
  EXPECT_EQ(Parse({"0"}).startX, 0);
  EXPECT_EQ(Parse({"300"}).startX, 300);
  EXPECT_EQ(Parse({"913"}).startX, 913);
  EXPECT_EQ(Parse({"  42abc"}).startX, 42);
  EXPECT_EQ(Parse({"-5"}).startX, -5);
  EXPECT_EQ(Parse({"1e3"}).startX, 1000);
  EXPECT_EQ(Parse({"abc", "300"}).startX, 0);  // the joined text starts with no number
  EXPECT_EQ(Parse({""}).startX, 0);
  EXPECT_EQ(Parse({"300"}).action, Action::kPlay);
  EXPECT_EQ(Parse({"x"}).action, Action::kPlay);
}

TEST(CommandLine, ArgumentsAreJoinedBySpaces) {
  EXPECT_EQ(Parse({"300", "400"}).startX, 300);
  EXPECT_EQ(Parse({"", "77"}).startX, 77);
}

TEST(CommandLine, HalvesRoundToEven) {
  EXPECT_EQ(Parse({"2.5"}).startX, 2);
  EXPECT_EQ(Parse({"3.5"}).startX, 4);
  EXPECT_EQ(Parse({"-2.5"}).startX, -2);
  EXPECT_EQ(Parse({"300.49"}).startX, 300);
}

TEST(CommandLine, NumbersBeyond32BitsAreAnError) {
  EXPECT_EQ(Parse({"2147483647"}).startX, 2147483647);
  EXPECT_EQ(Parse({"-2147483648"}).action, Action::kPlay);
  for (const char* big : {"2147483648", "-2147483649", "1e40", "99999999999999999999"}) {
    const auto cl = Parse({big});
    EXPECT_EQ(cl.action, Action::kError) << big;
    EXPECT_NE(cl.message.find("out of range"), std::string::npos) << cl.message;
  }
}

TEST(CommandLine, HelpAndVersionPrintText) {
  const auto help = Parse({"--help"});
  EXPECT_EQ(help.action, Action::kHelp);
  EXPECT_NE(help.message.find("Usage: zembrant"), std::string::npos);
  const auto version = Parse({"300", "--version"});
  EXPECT_EQ(version.action, Action::kVersion);
  EXPECT_EQ(version.message, "zembrant 1.0.0\n");
}

TEST(CommandLine, UnknownDoubleDashOptionIsAnError) {
  const auto cl = Parse({"--fullscreen"});
  EXPECT_EQ(cl.action, Action::kError);
  EXPECT_NE(cl.message.find("--fullscreen"), std::string::npos);
  // After "--" everything is the plain argument.
  EXPECT_EQ(Parse({"--", "--help"}).action, Action::kPlay);
  EXPECT_EQ(Parse({"--", "-7"}).startX, -7);
}

}  // namespace
}  // namespace zb
