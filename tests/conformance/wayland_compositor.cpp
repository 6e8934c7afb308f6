// What only the Wayland backend is asked beyond the shared cases: what the
// compositor shows where sprites overlap or are cut away, read from its
// screenshots, and how the program ends when the compositor cannot serve it.
#include <fcntl.h>
#include <sys/wait.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <chrono>
#include <thread>

#include <linux/input-event-codes.h>
#include <signal.h>

#include "conformance/cases.h"
#include "platform/keys.h"
#include "platform/screen.h"
#include "platform/region.h"
#include "platform/wayland/testing.h"
#include "support/wayland_seat.h"

namespace conformance {
namespace {

using plat::Rect;

// Stacking as the compositor draws it: where two sprites overlap, the one
// shown last shows.
TEST_F(Conformance, TheSpriteShownLastIsDrawnOnTop) {
  const plat::WindowId a = ShowWindow({100, 100, 160, 160}, "frmA");
  plat::SetBackColor(a, plat::RGB(255, 0, 0));
  const plat::WindowId b = ShowWindow({140, 140, 200, 200}, "frmB");
  plat::SetBackColor(b, plat::RGB(0, 255, 0));
  plat::DoEvents();
  EXPECT_EQ(D().ShownColor(a, 50, 50), plat::RGB(0, 255, 0));
  plat::SetVisible(a, false);
  plat::DoEvents();
  plat::SetVisible(a, true);
  plat::DoEvents();
  EXPECT_EQ(D().ShownColor(a, 50, 50), plat::RGB(255, 0, 0));
  EXPECT_EQ(D().ShownColor(b, 50, 50), plat::RGB(0, 255, 0));  // outside a
}

// Outside its outline a sprite is transparent: the desktop shows there, and
// a sprite beneath shows through.
TEST_F(Conformance, PixelsOutsideTheOutlineShowWhatIsBelow) {
  const plat::WindowId probe = ShowWindow({300, 300, 301, 301}, "frmProbe");
  plat::SetVisible(probe, false);
  plat::DoEvents();
  const plat::Color desktop = D().ShownColor(probe, 0, 0);
  const plat::WindowId below = ShowWindow({200, 300, 260, 340}, "frmBelow");
  plat::SetBackColor(below, plat::RGB(0, 0, 255));
  const plat::WindowId above = ShowWindow({240, 290, 320, 350}, "frmAbove");
  plat::SetBackColor(above, plat::RGB(255, 255, 0));
  ASSERT_TRUE(plat::SetWindowShape(above, plat::Region(Rect{30, 0, 80, 60})));  // its left 30 px cut away
  plat::DoEvents();
  EXPECT_EQ(D().ShownColor(above, 10, 20), plat::RGB(0, 0, 255)) << "the sprite below does not show through";
  EXPECT_EQ(D().ShownColor(above, 60, 10), plat::RGB(255, 255, 0));
  EXPECT_EQ(D().ShownColor(above, 5, 55), desktop) << "the desktop does not show through";
}

// A terminal of the player's, native: whatever is typed into it goes to a file.
class Terminal {
 public:
  explicit Terminal(const std::string& file) : file_(file) {
    pid_ = fork();
    if (pid_ == 0) {
      setpgid(0, 0);
      const int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, 1);
      dup2(quiet, 2);
      execlp("foot", "foot", "sh", "-c", ("exec cat > '" + file + "'").c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~Terminal() {
    if (pid_ > 0) {
      kill(-pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    std::remove(file_.c_str());
  }
  std::string Typed() const {
    std::ifstream f(file_);
    std::stringstream text;
    text << f.rdbuf();
    return text.str();
  }

 private:
  std::string file_;
  pid_t pid_ = -1;
};

bool WaitFor(const std::function<bool()>& done, int maxMs = 5000) {
  for (int waited = 0; waited < maxMs; waited += 10) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

// A click on a sprite gives the game the keyboard; a click into the
// player's terminal gives the terminal the keyboard back, and what is typed
// there reaches the terminal, not the game; a click on a sprite again gives
// the game the keyboard again.
TEST_F(Conformance, AClickIntoAnotherWindowGivesTheKeyboardBack) {
  const std::string file = "/tmp/zb-terminal-" + std::to_string(getpid());
  Terminal terminal(file);
  ASSERT_TRUE(WaitFor([&] { return std::ifstream(file).good(); })) << "foot did not start";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // mapped and focused
  const plat::WindowId w = ShowWindow({100, 100, 140, 140}, "frmShip");
  xtest::WaylandSeat seat;
  ASSERT_TRUE(seat.ok()) << seat.error();
  seat.SetScreen(plat::GetScreen().width, plat::GetScreen().height);
  namespace wt = plat::wl::testing;
  int told = 0;  // the game hears of the keyboard coming and going
  plat::SetKeyboardHeardHandler([&told] { ++told; });

  seat.Click(120, 120, BTN_LEFT);
  ASSERT_TRUE(YieldUntil([&] { return wt::HasKeyboard(); })) << "a click on a sprite does not give the keyboard";

  seat.Click(600, 400, BTN_LEFT);  // the terminal, where no sprite is
  ASSERT_TRUE(YieldUntil([&] { return !wt::HasKeyboard(); })) << "a click into the terminal does not give it back";
  plat::DoEvents();
  EXPECT_FALSE(plat::KeyboardHeard());
  EXPECT_GE(told, 2) << "the game was not told the keyboard came and went";
  plat::GetAsyncKeyState(plat::VK_SPACE);
  const std::uint64_t heard = wt::KeyEventsHeard();
  for (const bool down : {true, false}) seat.Key(xtest::evdev::kSpace, down);
  for (const bool down : {true, false}) seat.Key(xtest::evdev::kEnter, down);
  EXPECT_TRUE(WaitFor([&] { return terminal.Typed() == " \n"; })) << "typed: \"" << terminal.Typed() << "\"";
  plat::DoEvents();
  EXPECT_EQ(wt::KeyEventsHeard(), heard) << "the game heard keys typed into the terminal";
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), 0);

  D().Click(w, plat::kLeftButton, 5, 5);
  ASSERT_TRUE(YieldUntil([&] { return wt::HasKeyboard(); })) << "a second click does not give the keyboard again";
  D().PressKey(plat::VK_SPACE);
  D().ReleaseKey(plat::VK_SPACE);
  EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_SPACE), 0x0001);
  EXPECT_TRUE(plat::KeyboardHeard());
  plat::SetKeyboardHeardHandler({});
}

// The program, run against compositors that cannot serve it.
struct Outcome {
  int status = -1;
  std::string err;
};

Outcome RunProgram(const std::string& command) {
  char path[] = "/tmp/zb-wayland-err-XXXXXX";
  const int fd = mkstemp(path);
  if (fd >= 0) close(fd);
  const int raw = std::system(("( " + command + " ) 2>" + path).c_str());
  std::ifstream f(path);
  std::stringstream text;
  text << f.rdbuf();
  std::remove(path);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
}

bool OneLine(const std::string& text) {
  return !text.empty() && text.find('\n') == text.size() - 1;
}

TEST(WaylandProgram, WithoutACompositorSaysSoInOneLine) {
  const Outcome r = RunProgram("WAYLAND_DISPLAY=zb-nobody-here-" + std::to_string(getpid()) + " " ZB_WAYLAND_PROGRAM);
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(OneLine(r.err)) << r.err;
  EXPECT_EQ(r.err.rfind("zembrant: cannot connect to the Wayland compositor \"zb-nobody-here-", 0), 0u) << r.err;
}

// `program` run on a headless weston of its own, which offers no layer shell.
Outcome RunOnWeston(const std::string& program) {
  const std::string socket = "zb-weston-" + std::to_string(getpid());
  return RunProgram(
      "weston --backend=headless-backend.so --socket=" + socket + " --idle-time=0 >/dev/null 2>&1 & w=$!; "
      "for i in $(seq 100); do [ -S \"$XDG_RUNTIME_DIR/" + socket + "\" ] && break; sleep 0.05; done; "
      "WAYLAND_DISPLAY=" + socket + " " + program + "; s=$?; kill $w; wait $w 2>/dev/null; exit $s");
}

TEST(WaylandProgram, WithoutTheLayerShellSaysSoInOneLine) {
  const Outcome r = RunOnWeston(ZB_WAYLAND_PROGRAM);
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(OneLine(r.err)) << r.err;
  EXPECT_EQ(r.err, "zembrant: the Wayland compositor offers no layer shell (zwlr_layer_shell_v1)\n");
}

// Unless told otherwise, the program plays on the X display there (here
// none: DISPLAY is unset), as it would on GNOME through XWayland.
TEST(WaylandProgram, WithoutTheLayerShellItTurnsToX11) {
  const Outcome r = RunOnWeston(ZB_PROGRAM);
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(OneLine(r.err)) << r.err;
  EXPECT_NE(r.err.find("DISPLAY is not set"), std::string::npos) << r.err;
}

// Where the compositor offers the layer shell the program plays on it
// natively, and `--quit` looks for the copy there; ZEMBRANT_BACKEND forces
// either window system and names no other. (DISPLAY is unset here.)
TEST(WaylandProgram, PicksTheNativeBackendWhereTheLayerShellIs) {
  const Outcome none = RunProgram(ZB_PROGRAM " --quit");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(none.err.rfind("zembrant: not running on the Wayland display \"", 0), 0u) << none.err;
  const Outcome x11 = RunProgram("ZEMBRANT_BACKEND=x11 " ZB_PROGRAM " --quit");
  EXPECT_EQ(x11.status, 2);
  EXPECT_NE(x11.err.find("DISPLAY is not set"), std::string::npos) << x11.err;
  for (const char* command : {"ZEMBRANT_BACKEND=gdi " ZB_PROGRAM, "ZEMBRANT_BACKEND=gdi " ZB_PROGRAM " --quit"}) {
    const Outcome r = RunProgram(command);
    EXPECT_EQ(r.status, 2) << command;
    EXPECT_EQ(r.err, "zembrant: ZEMBRANT_BACKEND is \"gdi\"; it can be x11 or wayland\n") << command;
  }
  // A copy of its own on a compositor of its own, found and ended by --quit.
  const Outcome played = RunProgram(ZB_WITH_SWAY " sh -c '" ZB_PROGRAM " & p=$!; sleep 3; " ZB_PROGRAM
                                    " --quit; q=$?; wait $p; echo quit $q game $? >&2'");
  EXPECT_EQ(played.err, "quit 0 game 0\n");
}

// A compositor of its own, ended while the title waits for Space.
TEST(WaylandProgram, WhenTheCompositorGoesItSaysSoInOneLineAndEnds) {
  const Outcome r = RunProgram(ZB_WITH_SWAY " sh -c '" ZB_WAYLAND_PROGRAM " & p=$!; sleep 3; kill $ZB_SWAY_PID; wait $p'");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(OneLine(r.err)) << r.err;
  EXPECT_EQ(r.err.rfind("zembrant: lost the connection to the Wayland compositor", 0), 0u) << r.err;
}

}  // namespace
}  // namespace conformance
