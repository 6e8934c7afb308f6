// What the program inherits: closed descriptors, displays that name no
// screen or whose server has no room for it, a DISPLAY full of control
// characters, a statistics path with a link planted beside it.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <optional>
#include <cstring>
#include <sstream>
#include <thread>

#include "faults/fault_env.h"

namespace faults {
namespace {

using xtest::Ms;

std::string Read(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

class EnvironmentFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    server_.emplace(1024, 768, dir_.path());
    ASSERT_FALSE(server_->display().empty()) << server_->error();
  }
  // Waits for the title on the server.
  bool Titled() {
    xtest::XClient x(server_->display());
    return xtest::WaitUntil([&] { return xtest::WaitingTitle(x.Mapped()).has_value(); }, Ms(60000));
  }
  xtest::TempDir dir_;
  std::optional<xtest::Xvfb> server_;
};

TEST_F(EnvironmentFaults, StartedWithStderrClosedItPlaysAndEndsOnSigterm) {
  // Qt warns about the style at once: that line must not reach an X socket.
  std::vector<std::string> env = xtest::EnvironmentWith({}, {"DISPLAY", "QT_STYLE_OVERRIDE"});
  env.push_back("DISPLAY=" + server_->display());
  env.push_back("QT_STYLE_OVERRIDE=nonexistent");
  xtest::Child game({ZB_PROGRAM}, env, dir_.path() + "/out", "");
  ASSERT_TRUE(Titled()) << "no title with stderr closed";
  kill(game.pid(), SIGTERM);
  const std::optional<int> status = game.WaitExit(Ms(10000));
  ASSERT_TRUE(status) << "SIGTERM did not end the program";
  EXPECT_EQ(*status, 0);
}

TEST_F(EnvironmentFaults, DisplaysWithoutTheScreenOrTheRoomEndWithOneLine) {
  const std::string& d = server_->display();
  for (const std::string& display : {d + ".1", d + ".-1", std::string("\x1b]0;x\x07")}) {
    const Ended run = RunProgram({}, {"DISPLAY=" + display, "WAYLAND_DISPLAY"}, dir_.path(), Ms(30000));
    EXPECT_EQ(run.status, 2) << display << ": " << run.err;
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << "DISPLAY echoed raw";
  }
  const Ended noScreen = RunProgram({}, {"DISPLAY=" + d + ".1", "WAYLAND_DISPLAY"}, dir_.path(), Ms(30000));
  EXPECT_NE(noScreen.err.find("has no screen 1"), std::string::npos) << noScreen.err;
  // Qt told to end on its first warning: the program says which.
  const Ended fatal = RunProgram({}, {"DISPLAY=" + d, "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "QT_FATAL_WARNINGS=1"},
                                 dir_.path(), Ms(30000));
  EXPECT_NE(fatal.status, 0);
  EXPECT_EQ(Lines(fatal.err), 1) << fatal.err;
  EXPECT_NE(fatal.err.find("QT_FATAL_WARNINGS"), std::string::npos) << fatal.err;
  // Every client slot but one taken: the program's second connection finds
  // none.
  std::vector<std::unique_ptr<xtest::XClient>> clients;
  for (int i = 0; i < 300; ++i) {
    auto x = std::make_unique<xtest::XClient>(d);
    if (!x->ok()) break;
    clients.push_back(std::move(x));
  }
  ASSERT_LT(clients.size(), 300u) << "the server takes any number of clients";
  clients.pop_back();
  const Ended full = RunProgram({}, {"DISPLAY=" + d, "WAYLAND_DISPLAY"}, dir_.path(), Ms(30000));
  EXPECT_EQ(full.status, 2) << full.err;
  EXPECT_EQ(Lines(full.err), 1) << full.err;
}

// Limits too low to start: one line naming the limit, a non-zero status,
// at once. A soft limit below the program's need under a hard one that
// allows it is raised.
TEST_F(EnvironmentFaults, LimitsTooLowToStartEndWithOneLineNamingThem) {
  std::vector<std::pair<std::string, std::string>> limits = {{"ulimit -n 10", "ulimit -n"},
                                                             {"ulimit -n 8", "ulimit -n"}};
#ifndef ZB_SANITIZED
  limits.push_back({"ulimit -v 100000", "ulimit -v"});
#endif
  const std::vector<std::string> env = {"DISPLAY=" + server_->display(), "WAYLAND_DISPLAY"};
  for (const auto& [limit, named] : limits) {
    const xtest::Clock::time_point start = xtest::Clock::now();
    const Ended run = RunCommand(AfterShell(limit), env, dir_.path(), Ms(20000));
    ASSERT_TRUE(run.status) << limit << ": the program hangs";
    EXPECT_LT(xtest::MsSince(start), 10000) << limit;
    EXPECT_NE(*run.status, 0) << limit;
    EXPECT_LT(*run.status, 128) << limit << ": died of a signal";
    EXPECT_EQ(Lines(run.err), 1) << limit << ": " << run.err;
    EXPECT_NE(run.err.find(named), std::string::npos) << limit << ": " << run.err;
  }
  std::vector<std::string> environment = xtest::EnvironmentWith({}, {"DISPLAY"});
  environment.push_back("DISPLAY=" + server_->display());
  xtest::Child game(AfterShell("ulimit -S -n 10"), environment, dir_.path() + "/out", dir_.path() + "/err");
  EXPECT_TRUE(Titled()) << "a soft limit it may raise stopped the program: " << Read(dir_.path() + "/err");
}

// A server that dies while the program starts, at any moment: one line of
// the program's that it cannot connect or lost the connection, never a
// crash, a hang, Xlib's or Qt's lines or "already running".
TEST_F(EnvironmentFaults, AServerDyingAsTheProgramStartsGetsOneLineSayingSo) {
  for (const int afterMs : {5, 15, 25, 40, 70, 120, 200, 350, 600, 1000}) {
    xtest::TempDir dir;
    xtest::Xvfb server(1280, 1024, dir.path());  // wide enough for the stage: no warning
    ASSERT_FALSE(server.display().empty()) << server.error();
    std::vector<std::string> env = xtest::EnvironmentWith({}, {"DISPLAY"});
    env.push_back("DISPLAY=" + server.display());
    xtest::Child game({ZB_PROGRAM}, env, dir.path() + "/out", dir.path() + "/err");
    std::this_thread::sleep_for(Ms(afterMs));
    kill(server.pid(), SIGKILL);
    const std::optional<int> status = game.WaitExit(Ms(10000));
    ASSERT_TRUE(status) << afterMs << " ms: the program hangs";
    const std::string err = Read(dir.path() + "/err");
    EXPECT_TRUE(*status == 1 || *status == 2) << afterMs << " ms: status " << *status << ": " << err;
    EXPECT_EQ(Lines(err), 1) << afterMs << " ms: " << err;
    EXPECT_EQ(err.rfind("zembrant: ", 0), 0u) << afterMs << " ms: " << err;
    EXPECT_TRUE(err.find("lost the connection") != std::string::npos ||
                err.find("cannot connect") != std::string::npos) << afterMs << " ms: " << err;
  }
}

// Signals the program was started with ignored (nohup, a background job)
// stay ignored; SIGALRM from another process ends nothing.
TEST_F(EnvironmentFaults, IgnoredSignalsStayIgnoredAndOthersAlarmsEndNothing) {
  std::vector<std::string> env = xtest::EnvironmentWith({}, {"DISPLAY"});
  env.push_back("DISPLAY=" + server_->display());
  xtest::Child game(AfterShell("trap '' HUP INT"), env, dir_.path() + "/out", dir_.path() + "/err");
  ASSERT_TRUE(Titled()) << Read(dir_.path() + "/err");
  for (const int sig : {SIGHUP, SIGINT, SIGALRM}) {
    kill(game.pid(), sig);
    std::this_thread::sleep_for(Ms(1500));
    EXPECT_TRUE(game.Running()) << strsignal(sig) << " ended the program";
  }
  kill(game.pid(), SIGTERM);
  EXPECT_EQ(game.WaitExit(Ms(10000)), 0) << Read(dir_.path() + "/err");
}

// An 8-bit colour-map screen shows nothing Qt paints: one line, at once.
TEST_F(EnvironmentFaults, AScreenWithoutTrueColourEndsWithOneLine) {
  xtest::TempDir dir;
  xtest::Xvfb server(1024, 768, dir.path(), 8);
  ASSERT_FALSE(server.display().empty()) << server.error();
  const Ended run = RunProgram({}, {"DISPLAY=" + server.display(), "WAYLAND_DISPLAY"}, dir.path(), Ms(20000));
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(Lines(run.err), 1) << run.err;
  EXPECT_NE(run.err.find("TrueColor"), std::string::npos) << run.err;
}

TEST_F(EnvironmentFaults, TheStatisticsFileIsNotWrittenThroughALink) {
  const std::string stats = dir_.path() + "/stats", victim = dir_.path() + "/victim";
  std::ofstream(victim) << "keep\n";
  ASSERT_EQ(symlink(victim.c_str(), (stats + ".tmp").c_str()), 0);
  std::vector<std::string> env = xtest::EnvironmentWith({}, {"DISPLAY", "ZEMBRANT_STATS"});
  env.push_back("DISPLAY=" + server_->display());
  env.push_back("ZEMBRANT_STATS=" + stats);
  xtest::Child game({ZB_PROGRAM}, env, dir_.path() + "/out", dir_.path() + "/err");
  ASSERT_TRUE(Titled()) << Read(dir_.path() + "/err");
  EXPECT_TRUE(xtest::WaitUntil([&] { return Read(stats).find("yields") != std::string::npos; }, Ms(10000)));
  EXPECT_EQ(Read(victim), "keep\n");
}

}  // namespace
}  // namespace faults
