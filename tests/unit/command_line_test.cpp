// The command line: the start column, --help, --version and bad input.
#include <gtest/gtest.h>

#include "game/base/screen_metrics.h"
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
  EXPECT_EQ(Parse({"-143165576"}).startX, -143165576);  // the leftmost whose twips fit 32 bits
  // Negative numbers are columns, not options.
  EXPECT_EQ(Parse({"-5"}).startX, -5);
  EXPECT_EQ(Parse({"-.5x"}).startX, 0);
  EXPECT_EQ(Parse({"-5abc"}).startX, -5);
}

// The last column left of the field's right edge starts a game; from the
// edge on, where the ship could never be seen or steered, it is refused.
TEST(CommandLine, StartColumnEndsLeftOfTheFieldsRightEdge) {
  const int last = kFieldRightColumn - 1;
  EXPECT_EQ(Parse({std::to_string(last)}).startX, last);
  for (const std::string& past : std::vector<std::string>{std::to_string(kFieldRightColumn),
                                                          std::to_string(last) + ".5", "5000", "143165576", "1e4"}) {
    const auto cl = Parse({past});
    EXPECT_EQ(cl.action, Action::kError) << past;
    EXPECT_EQ(cl.startX, 0) << past;
    EXPECT_EQ(cl.message, "start column out of range: " + past + " (the field ends at column " +
                              std::to_string(last) + ")");
  }
  EXPECT_EQ(Parse({std::to_string(last) + ".49"}).startX, last);
}

TEST(CommandLine, ErrorsHelpAndVersion) {
  for (const char* big : {"143165577", "-143165577", "-143165590", "2147483648", "1e40"}) {
    const auto cl = Parse({big});
    EXPECT_EQ(cl.action, Action::kError) << big;
    EXPECT_NE(cl.message.find("out of range"), std::string::npos) << cl.message;
  }
  // Whatever starts with '-' and is no number is an option; unknown ones
  // are answered with the usage on the same line.
  for (const char* unknown : {"--fullscreen", "-v", "-display", "-", "-e5", "-inf", "-h1"}) {
    const auto cl = Parse({unknown, "300"});
    EXPECT_EQ(cl.action, Action::kError) << unknown;
    EXPECT_EQ(cl.message.rfind(std::string("unknown option '") + unknown + "'; usage: zembrant ", 0), 0u)
        << cl.message;
  }
  EXPECT_EQ(Parse({"300", "-v"}).action, Action::kError);
  EXPECT_EQ(Parse({"--", "-v"}).action, Action::kPlay);
  EXPECT_EQ(Parse({"--", "--help"}).action, Action::kPlay);
  EXPECT_EQ(Parse({"--help"}).action, Action::kHelp);
  EXPECT_EQ(Parse({"300", "--version"}).message, std::string("zembrant ") + kVersion + "\n");
  EXPECT_EQ(Parse({"-h"}).action, Action::kHelp);
  EXPECT_EQ(Parse({"-V"}).action, Action::kVersion);
  EXPECT_EQ(Parse({"--quit"}).action, Action::kQuit);
  EXPECT_EQ(Parse({"--", "-h"}).action, Action::kPlay);
  // Controls in a quoted argument are written out: C0, DEL, C1 in UTF-8.
  EXPECT_EQ(Parse({"--a\x1b[2J\x7f\xc2\x9b\xe3\x81\x82"}).message.rfind(
                "unknown option '--a\\x1b[2J\\x7f\\u009b\xe3\x81\x82'; ", 0),
            0u);
  // So are the characters that turn the rest of a line around or hide in it.
  EXPECT_EQ(Parse({"--\xe2\x80\xae" "ab\xe2\x80\x8b\xef\xbb\xbf\xc2\xa0"}).message.rfind(
                "unknown option '--\\u202eab\\u200b\\ufeff\xc2\xa0'; ", 0),
            0u);
}

// Long arguments are read in one pass with no recursion: none of these may
// overflow the stack.
TEST(CommandLine, LongArgumentsAreReadInLinearTime) {
  const std::string ones(1 << 20, '1');
  EXPECT_EQ(Parse({ones}).action, Action::kError);
  EXPECT_LT(Parse({ones}).message.size(), 100u);
  EXPECT_EQ(Parse({std::string(1 << 20, ' ') + "12"}).startX, 12);
  EXPECT_EQ(Parse({"36." + std::string(1 << 20, '0') + "9"}).startX, 36);
  EXPECT_EQ(Parse({"1e" + std::string(1 << 20, '0') + "2"}).startX, 100);
  EXPECT_EQ(Parse(std::vector<std::string>(1 << 16, "7")).startX, 7);
}

}  // namespace
}  // namespace zb
