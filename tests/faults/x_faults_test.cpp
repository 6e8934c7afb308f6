// Other X clients doing what they should not to the program's windows and
// its selection: the program keeps its sprites as it has them, modal windows
// taken away end as if dismissed, and the selection follows the manager
// convention (`zembrant --quit` included).
#include <xcb/xcb.h>

#include <signal.h>

#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "e2e/game.h"
#include "faults/fault_env.h"

namespace e2e {
namespace {

// The program's own lines in what it wrote on stderr.
int ProgramLines(const std::string& err) {
  int n = 0;
  for (std::size_t at = 0; (at = err.find("zembrant: ", at)) != std::string::npos; ++at) ++n;
  return n;
}

class XFaults : public GameTest {
 protected:
  void StartAtTitle() {
    ASSERT_NO_FATAL_FAILURE(StartGame({.width = 1280, .height = 1024}));
    ASSERT_TRUE(WaitForTitle(Ms(60000))) << "no title; " << Game().Stderr();
  }

  // Right button on a lamp until the menu opens (a click that comes while
  // the program still closes an earlier modal window does nothing); then
  // the first item (the version dialog) or the last (the end command).
  void ChooseFromMenu(bool last) {
    const Window lamps = Get("frmShe");
    std::set<std::uint32_t> before;
    for (const Window& w : X().Mapped()) before.insert(w.id);
    const auto menuOpen = [&] {
      for (const Window& w : X().Mapped()) {
        if (!before.count(w.id) && w.name.rfind("frm", 0) != 0) return true;
      }
      return false;
    };
    bool open = false;
    for (int click = 0; click < 15 && !open; ++click) {
      X().Click(lamps.rect.left + 5, lamps.rect.top + 5, 3);
      open = WaitUntil(menuOpen, Ms(1000), Ms(10));
    }
    ASSERT_TRUE(open) << "no menu";
    // The keys go to the menu once it holds the keyboard.
    ASSERT_TRUE(X().WaitForKeyboardGrab(Ms(5000))) << "the menu does not take the keyboard";
    X().Tap(last ? key::kUp : key::kDown);
    X().Tap(key::kReturn);
  }

  // The program's resident memory in MB.
  long RssMb() {
    std::ifstream f("/proc/" + std::to_string(Game().pid()) + "/status");
    std::string line;
    while (std::getline(f, line)) {
      if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6)) / 1024;
    }
    return -1;
  }
};

TEST_F(XFaults, SpritesKeepTheProgramsSizeAndStayShown) {
  ASSERT_NO_FATAL_FAILURE(StartAtTitle());
  const Window lamps = Get("frmShe");
  const long rssBefore = RssMb();
  // A synthetic configure event does not resize (Qt would make a 3.5 GB
  // backing store for it).
  X().SendFakeConfigure(lamps.id, 30000, 30000);
  std::this_thread::sleep_for(Ms(1500));
  EXPECT_LT(RssMb() - rssBefore, 500) << "memory grew after a fake configure event";
  // A real resize by another client is undone.
  X().Resize(lamps.id, 900, 700);
  EXPECT_TRUE(WaitUntil([&] { return Get("frmShe").rect == lamps.rect; }, Ms(5000)))
      << "the lamps keep another client's size";
  X().MoveTo(lamps.id, lamps.rect.left + 300, lamps.rect.top - 200);
  EXPECT_TRUE(WaitUntil([&] { return X().ScreenRect(lamps.id) == lamps.rect; }, Ms(5000)))
      << "the lamps stay where another client moved them";
  // An outline another client resets is cut again.
  const plat::Region outline = X().Outline(lamps.id);
  X().ResetShape(lamps.id);
  EXPECT_TRUE(WaitUntil([&] { return X().Outline(lamps.id) == outline; }, Ms(5000)))
      << "the lamps keep another client's outline";
  // WM_DELETE_WINDOW closes nothing; an unmapped sprite comes back.
  X().SendDeleteWindow(lamps.id);
  std::this_thread::sleep_for(Ms(500));
  EXPECT_TRUE(X().One("frmShe")) << "WM_DELETE_WINDOW hid the lamps";
  X().Unmap(lamps.id);
  EXPECT_TRUE(X().WaitFor("frmShe", Ms(5000))) << "the unmapped lamps stay hidden";
  // Destroyed, they are made again, in the same place.
  X().Destroy(lamps.id);
  EXPECT_TRUE(X().WaitFor("frmShe", Ms(5000),
                          [&](const Window& w) { return w.id != lamps.id && w.rect == lamps.rect; }))
      << "the destroyed lamps are not made again";
  ExpectRunning();
  EndThroughMenu();  // the lamps and their menu still work
}

// Another client clears a sprite's override-redirect and unmaps it: the
// program shows it again where it was, past the window manager.
TEST_F(XFaults, ASpriteMadeManageableIsShownAgainPastTheWindowManager) {
  ASSERT_NO_FATAL_FAILURE(StartGame({.width = 1280, .height = 1024, .windowManager = true}));
  ASSERT_TRUE(WaitForTitle(Ms(60000))) << "no title; " << Game().Stderr();
  const Window lamps = Get("frmShe");
  X().SetOverrideRedirect(lamps.id, false);
  X().Unmap(lamps.id);
  EXPECT_TRUE(WaitUntil([&] {
    return X().Viewable(lamps.id) && X().Parent(lamps.id) == X().Root() && X().OverrideRedirect(lamps.id) &&
           X().ScreenRect(lamps.id) == lamps.rect;
  }, Ms(5000))) << "the lamps stay in the window manager's frame";
  // A window manager marks what it frames with the frame's size.
  EXPECT_TRUE(X().Cardinals(lamps.id, "_NET_FRAME_EXTENTS").empty()) << "the window manager framed the lamps";
  ExpectRunning();
  EndThroughMenu();
}

TEST_F(XFaults, AVersionDialogTakenAwayEndsAsDismissed) {
  ASSERT_NO_FATAL_FAILURE(StartAtTitle());
  for (int round = 0; round < 2; ++round) {
    ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(false));
    const std::optional<Window> dialog = X().WaitFor("バージョン情報", Ms(15000));
    ASSERT_TRUE(dialog) << "no version dialog";
    if (round == 0) {
      X().Destroy(dialog->id);
    } else {
      X().Unmap(dialog->id);
    }
    EXPECT_TRUE(WaitUntil([&] { return !X().One("バージョン情報"); }, Ms(5000)));
  }
  ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(true));  // the modal loop has returned: the menu opens again
  const std::optional<int> status = Game().child().WaitExit(Ms(30000));
  ASSERT_TRUE(status) << "the menu's end command did not end the program";
  EXPECT_EQ(*status, 0);
}

// A window manager replaced while the version dialog is open unmaps it
// only to frame it anew: the dialog stays open.
TEST_F(XFaults, TheVersionDialogOutlivesAWindowManagerReplaced) {
  ASSERT_NO_FATAL_FAILURE(StartGame({.width = 1280, .height = 1024, .windowManager = true}));
  ASSERT_TRUE(WaitForTitle(Ms(60000))) << "no title; " << Game().Stderr();
  ASSERT_NO_FATAL_FAILURE(ChooseFromMenu(false));
  // The dialog, framed: a child of a child of the root.
  const auto framedDialog = [&]() -> std::optional<Window> {
    for (std::uint32_t frame : X().Stacking()) {
      for (std::uint32_t w : X().Children(frame)) {
        if (X().Viewable(w) && X().WindowName(w) == "バージョン情報") return Window{.id = w};
      }
    }
    return std::nullopt;
  };
  std::optional<Window> dialog;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = framedDialog()).has_value(); }, Ms(15000))) << "no version dialog";
  xtest::Child successor({"openbox", "--replace"}, xtest::EnvironmentWith({"DISPLAY=" + Display()}),
                         Dir() + "/openbox2.out", Dir() + "/openbox2.err");
  std::this_thread::sleep_for(Ms(3000));
  EXPECT_TRUE(X().Exists(dialog->id) && X().Viewable(dialog->id))
      << "replacing the window manager dismissed the dialog";
  X().Destroy(dialog->id);
  ExpectRunning();
}

// Keys typed into another client's grab (a lock screen, a password prompt)
// or while the screen saver is on are not the game's.
TEST_F(XFaults, KeysAreIgnoredUnderAnotherClientsGrabAndTheScreenSaver) {
  ASSERT_NO_FATAL_FAILURE(StartAtTitle());
  const auto spaceStartsTheGame = [&] {
    X().Tap(key::kSpace, Ms(100));
    return WaitUntil([&] { return !WaitingTitle(X().Mapped()); }, Ms(1500));
  };
  ASSERT_TRUE(X().GrabKeyboard());
  EXPECT_FALSE(spaceStartsTheGame()) << "Space typed into a grab started the game";
  X().UngrabKeyboard();
  X().ForceScreenSaver(true);
  EXPECT_FALSE(spaceStartsTheGame()) << "Space typed while the screen saver is on started the game";
  X().ForceScreenSaver(false);
  EXPECT_TRUE(spaceStartsTheGame()) << "the keys did not come back";
}

// A grab whose end only the grabbing prompt hears, and focus events another
// client makes up, deafen the game for no longer than the look the program
// takes once a second while it believes the keyboard held.
TEST_F(XFaults, APromptsGrabEndedUnseenLeavesTheKeysTheGames) {
  ASSERT_NO_FATAL_FAILURE(StartAtTitle());
  const std::uint32_t lamps = Get("frmShe").id;
  ASSERT_TRUE(WaitUntil([&] { return X().FocusWindow() == lamps; }, Ms(5000))) << "the lamps never take the focus";
  const std::uint32_t prompt = X().GrabKeyboardLikeAPrompt();
  ASSERT_NE(prompt, 0u);
  X().Tap(key::kSpace, Ms(100));
  EXPECT_FALSE(WaitUntil([&] { return !WaitingTitle(X().Mapped()); }, Ms(1500)))
      << "Space typed into the prompt started the game";
  X().EndPromptGrab(prompt);
  // The program looks once a second; on a loaded machine give it twice that.
  EXPECT_TRUE(WaitUntil([&] {
    X().Tap(key::kSpace);
    return WaitUntil([&] { return !WaitingTitle(X().Mapped()); }, Ms(300), Ms(20));
  }, Ms(4000), Ms(0))) << "the keys stay deaf after the prompt's grab ended";
}

TEST_F(XFaults, MadeUpFocusEventsOfAGrabDeafenNothing) {
  ASSERT_NO_FATAL_FAILURE(StartAtTitle());
  const std::uint32_t lamps = Get("frmShe").id;
  for (const std::uint32_t to : {X().Root(), lamps, X().FocusWindow()}) {
    if (to == XCB_NONE) continue;
    X().SendFocusEvent(to, false, XCB_NOTIFY_MODE_GRAB);
    X().SendFocusEvent(to, true, XCB_NOTIFY_MODE_GRAB);
  }
  std::this_thread::sleep_for(Ms(200));  // the program has read them
  X().Tap(key::kSpace, Ms(100));
  EXPECT_TRUE(WaitUntil([&] { return !WaitingTitle(X().Mapped()); }, Ms(1500)))
      << "Space did not start the game after made-up focus events";
}

// The work area changes under a game: the title comes back, laid out for
// the new work area.
TEST_F(XFaults, AWorkAreaChangeInAGameBringsBackTheTitleLaidOutForIt) {
  ASSERT_NO_FATAL_FAILURE(StartAtTitle());
  PressSpaceAtTitle();
  ASSERT_TRUE(WaitForBalloon(Ms(10000))) << "no launch";
  ASSERT_TRUE(WaitUntil([&] { return BalloonGone(); }, Ms(10000)));
  X().SetWorkArea(plat::Rect{0, 0, 1280, 900});
  ASSERT_TRUE(WaitForTitle(Ms(10000))) << "the game goes on on the old screen";
  EXPECT_EQ(Get("frmShe").rect.bottom, 900);
  ExpectRunning();
  EndThroughMenu();
}

TEST_F(XFaults, TheSelectionOwnedAsAManagerAndQuitThroughIt) {
  TempDir dir;
  ASSERT_NO_FATAL_FAILURE(StartAtTitle());

  // `--quit` ends the running copy with 0 and leaves no window.
  const faults::Ended quit =
      faults::RunProgram({"--quit"}, {"DISPLAY=" + Display()}, dir.path(), Ms(20000));
  EXPECT_EQ(quit.status, 0) << quit.err;
  const std::optional<int> status = Game().child().WaitExit(Ms(5000));
  ASSERT_TRUE(status) << "--quit returned while the copy still runs";
  EXPECT_EQ(*status, 0) << Game().Stderr();
  EXPECT_TRUE(X().Named("frmShe").empty() && X().Named("frmSTAFF").empty());
  const faults::Ended again =
      faults::RunProgram({"--quit"}, {"DISPLAY=" + Display()}, dir.path(), Ms(20000));
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(ProgramLines(again.err), 1) << again.err;

  // A squatter's selection is taken over; taking it back ends the program.
  X().TakeSelection("_ZEMBRANT_S0");
  Program& second = StartProgram();
  ASSERT_TRUE(X().WaitFor("frmShe", Ms(60000))) << "a squatter stopped the program: " << second.Stderr();
  X().TakeSelection("_ZEMBRANT_S0");
  const std::optional<int> taken = second.child().WaitExit(Ms(10000));
  ASSERT_TRUE(taken) << "the program plays on without its selection";
  EXPECT_EQ(*taken, 1);
  EXPECT_EQ(ProgramLines(second.Stderr()), 1) << second.Stderr();
}

// Other clients at the claim: a made-up notice of its loss, a flood of
// requests to convert it, its window destroyed. The program keeps playing,
// says nothing, and `--quit` still reaches it.
TEST_F(XFaults, TheClaimStandsUpToOtherClients) {
  TempDir dir;
  ASSERT_NO_FATAL_FAILURE(StartAtTitle());
  const std::uint32_t claim = X().SelectionOwner("_ZEMBRANT_S0");
  ASSERT_NE(claim, 0u);
  const std::string errBefore = Game().Stderr();
  X().SendSelectionClear(claim, "_ZEMBRANT_S0");
  X().ConvertSelection("_ZEMBRANT_S0", 200);
  std::this_thread::sleep_for(Ms(1000));
  ExpectRunning();
  EXPECT_EQ(Game().Stderr(), errBefore) << "other clients' doings reach stderr";
  X().Destroy(claim);
  EXPECT_TRUE(WaitUntil([&] {
    const std::uint32_t owner = X().SelectionOwner("_ZEMBRANT_S0");
    return owner != 0 && owner != claim;
  }, Ms(5000))) << "the selection is left without owner";
  ExpectRunning();
  const faults::Ended quit = faults::RunProgram({"--quit"}, {"DISPLAY=" + Display()}, dir.path(), Ms(20000));
  EXPECT_EQ(quit.status, 0) << quit.err;
  const std::optional<int> status = Game().child().WaitExit(Ms(10000));
  ASSERT_TRUE(status) << "--quit did not reach the program";
  EXPECT_EQ(*status, 0) << Game().Stderr();
}

// `--quit` keeps its bound whatever the server does, fails when
// interrupted, and a copy stopped meanwhile does not end for the request
// when it goes on long after.
TEST_F(XFaults, QuitKeepsItsBoundAndLeavesNoStaleRequest) {
  TempDir dir;
  ASSERT_NO_FATAL_FAILURE(StartAtTitle());
  const std::vector<std::string> env = {"DISPLAY=" + Display()};
  X().Grab();  // the server answers nobody else
  X().Sync();
  Clock::time_point start = Clock::now();
  const faults::Ended held = faults::RunProgram({"--quit"}, env, dir.path(), Ms(30000));
  EXPECT_LT(xtest::MsSince(start), 10000) << "--quit waits past its bound for a grabbed server";
  EXPECT_EQ(held.status, 1) << held.err;
  EXPECT_EQ(ProgramLines(held.err), 1) << held.err;
  {
    xtest::Child quit({ZB_PROGRAM, "--quit"}, xtest::EnvironmentWith(env), dir.path() + "/q.out",
                      dir.path() + "/q.err");
    std::this_thread::sleep_for(Ms(500));
    kill(quit.pid(), SIGTERM);
    const std::optional<int> interrupted = quit.WaitExit(Ms(5000));
    ASSERT_TRUE(interrupted) << "--quit does not end on SIGTERM";
    EXPECT_NE(*interrupted, 0) << "an interrupted --quit says the copy has ended";
  }
  X().Ungrab();
  ExpectRunning();

  ASSERT_EQ(kill(Game().pid(), SIGSTOP), 0);
  start = Clock::now();
  const faults::Ended stopped = faults::RunProgram({"--quit"}, env, dir.path(), Ms(30000));
  EXPECT_LT(xtest::MsSince(start), 10000);
  EXPECT_EQ(stopped.status, 1) << stopped.err;
  kill(Game().pid(), SIGCONT);
  std::this_thread::sleep_for(Ms(2000));
  ExpectRunning();  // the caller was told it did not end: it does not
  EndThroughMenu();
}

}  // namespace
}  // namespace e2e
