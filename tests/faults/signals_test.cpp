// Signals in the states where ending is hardest: a fatal error on the
// screen keeps its failure status, and a server that does not answer does
// not keep the program alive.
#include <signal.h>

#include <thread>

#include "e2e/game.h"
#include "faults/fault_env.h"

namespace e2e {
namespace {

class SignalFaults : public GameTest {};

TEST_F(SignalFaults, SigtermWhileTheFatalBoxIsOpenExitsWithFailure) {
  GameOptions options;
  options.env = {"ZEMBRANT_TEST_NO_SHAPE=1"};
  ASSERT_NO_FATAL_FAILURE(StartGame(options));
  ASSERT_TRUE(X().WaitFor("Zembrant", Ms(60000))) << "no fatal box; " << Game().Stderr();
  kill(Game().pid(), SIGTERM);
  const std::optional<int> status = Game().child().WaitExit(Ms(10000));
  ASSERT_TRUE(status) << "SIGTERM did not end the program";
  EXPECT_EQ(*status, 1) << Game().Stderr();
}

TEST_F(SignalFaults, SigtermEndsTheProgramWhileTheServerIsStopped) {
  ASSERT_NO_FATAL_FAILURE(StartGame());
  ASSERT_TRUE(WaitForTitle(Ms(60000))) << Game().Stderr();
  PressSpaceAtTitle();
  ASSERT_EQ(kill(ServerPid(), SIGSTOP), 0);
  std::this_thread::sleep_for(Ms(300));  // the program now waits for the server
  kill(Game().pid(), SIGTERM);
  const std::optional<int> status = Game().child().WaitExit(Ms(10000));
  kill(ServerPid(), SIGCONT);
  ASSERT_TRUE(status) << "the program waits for a stopped server after SIGTERM";
  EXPECT_EQ(*status, 0) << Game().Stderr();
}

}  // namespace
}  // namespace e2e
