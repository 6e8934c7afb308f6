// The end-to-end harness: a private Xvfb, the real program started on it, and
// an X client of the test's own that reads the program's windows back and
// plays the user with XTEST. Every wait has a bound.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/region.h"
#include "platform/types.h"

struct xcb_connection_t;
struct _XCBKeySymbols;

namespace e2e {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

// Milliseconds since `since`, as a double.
double MsSince(Clock::time_point since);

// Polls `done` every `every` until it holds or `limit` has passed; true when
// it held. `done` is tried once more at the end.
bool WaitUntil(const std::function<bool()>& done, Ms limit, Ms every = Ms(5));

// The test program's environment without the given variables.
std::vector<std::string> EnvironmentWithout(const std::vector<std::string>& names);

// A directory of the test's own, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A child process that dies with the test program (PR_SET_PDEATHSIG) and is
// killed when this object goes. Its stdout and stderr go to files.
class Child {
 public:
  // argv[0] is looked up on PATH. `env` replaces the environment. An empty
  // `errFile` starts it with stderr closed.
  Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
        const std::string& outFile, const std::string& errFile, int extraFd = -1);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  bool Running();
  // The exit status (128 + signal number when killed), once it has ended.
  std::optional<int> Status();
  std::optional<int> WaitExit(Ms limit);
  // SIGTERM, then SIGKILL after `grace`.
  void Stop(Ms grace = Ms(3000));

 private:
  void Reap(int waitStatus);

  pid_t pid_ = -1;
  std::optional<int> status_;
};

// A private X server of the given size, on a display it picks itself.
class Xvfb {
 public:
  Xvfb(int width, int height, const std::string& dir);
  const std::string& display() const { return display_; }  // ":N", empty on failure
  const std::string& error() const { return error_; }
  int width() const { return width_; }
  int height() const { return height_; }
  pid_t pid() const { return server_ ? server_->pid() : -1; }

 private:
  int width_;
  int height_;
  std::string display_;
  std::string error_;
  std::optional<Child> server_;
};

// The window's top-level record as the server has it.
struct Window {
  std::uint32_t id = 0;
  std::string name;  // _NET_WM_NAME, else WM_NAME
  plat::Rect rect;   // on the screen
  bool overrideRedirect = false;
};

// The title window while the title waits: the lamps and the 300 x 48 title
// (times `scale`) both among the mapped windows; nullopt otherwise.
std::optional<Window> WaitingTitle(const std::vector<Window>& mapped, int scale = 1);

class XConn {
 public:
  explicit XConn(const std::string& display);
  ~XConn();
  XConn(const XConn&) = delete;
  XConn& operator=(const XConn&) = delete;

  bool ok() const;
  std::uint32_t root() const { return root_; }
  int width() const { return width_; }
  int height() const { return height_; }
  void Sync();

  // Holds every other client (the program) still until Ungrab, so that
  // several reads show one moment of the game. Nested grabs count.
  void Grab();
  void Ungrab();

  // The mapped children of the root, bottom to top, read while the server is
  // grabbed so that they show one moment of the program.
  std::vector<Window> Mapped();
  // The mapped windows of that name (frmPlayer, frmEnemy, ...).
  std::vector<Window> Named(const std::string& name);
  std::optional<Window> One(const std::string& name);
  // Waits for a mapped window of that name that satisfies `ok`.
  std::optional<Window> WaitFor(const std::string& name, Ms limit,
                                const std::function<bool(const Window&)>& ok = nullptr);

  // The bounding outline, relative to the window, clipped to its rectangle.
  plat::Region Shape(std::uint32_t window);
  // Screen pixels of a rectangle, 0xRRGGBB row by row (empty on failure).
  std::vector<std::uint32_t> Pixels(const plat::Rect& r);

  // The user, through XTEST. Each returns once the server has done it.
  void Key(std::uint32_t keysym, bool down);
  void Tap(std::uint32_t keysym, Ms held = Ms(30));
  void Click(int x, int y, int button);
  void MovePointer(int x, int y);

  // The desktop: a plain colour under every window, and a panel that the
  // work area leaves out (set before the program starts).
  void SetDesktopColour(std::uint32_t rgb);
  void SetWorkArea(const plat::Rect& r);
  // The whole screen as a binary PPM file, for looking at after a failure.
  bool SaveScreen(const std::string& path);

  // Another client's doings to the program's windows. Each returns once the
  // server has done it.
  void SendFakeConfigure(std::uint32_t window, int width, int height);  // synthetic
  void Resize(std::uint32_t window, int width, int height);
  void SendDeleteWindow(std::uint32_t window);  // WM_PROTOCOLS / WM_DELETE_WINDOW
  void Unmap(std::uint32_t window);
  void Destroy(std::uint32_t window);
  // Iconifies it the ICCCM way (WM_CHANGE_STATE to the root).
  void Iconify(std::uint32_t window);
  // Takes the selection with a window of this client's own; its owner before.
  std::uint32_t TakeSelection(const std::string& name);
  std::uint32_t SelectionOwner(const std::string& name);
  // An active keyboard grab of this client's, as a screen locker holds.
  bool GrabKeyboard();
  void UngrabKeyboard();
  // The server's screen saver switched on or off at once.
  void ForceScreenSaver(bool on);

  // Window moves as they happen: StructureNotify on the window.
  void WatchMoves(std::uint32_t window);
  // Waits for the next ConfigureNotify of a watched window; its time of
  // arrival and the window's new position.
  struct Move {
    Clock::time_point at;
    std::uint32_t window;
    int x;
    int y;
  };
  std::optional<Move> NextMove(Ms limit);

 private:
  std::uint8_t Keycode(std::uint32_t keysym);
  void ReadNames(std::vector<Window>& windows);
  std::uint32_t Atom(const char* name);

  xcb_connection_t* c_ = nullptr;
  _XCBKeySymbols* symbols_ = nullptr;
  std::uint32_t root_ = 0;
  int width_ = 0;
  int height_ = 0;
  std::uint32_t netWmName_ = 0;
  int grabs_ = 0;
};

// The server grabbed for the life of this object.
class ServerGrab {
 public:
  explicit ServerGrab(XConn& x) : x_(x) { x_.Grab(); }
  ~ServerGrab() { x_.Ungrab(); }
  ServerGrab(const ServerGrab&) = delete;
  ServerGrab& operator=(const ServerGrab&) = delete;

 private:
  XConn& x_;
};

// The program: started on a display with the given arguments.
class Program {
 public:
  Program(const std::string& binary, const std::string& display,
          const std::vector<std::string>& args, const std::string& dir);
  Child& child() { return *child_; }
  pid_t pid() const { return child_->pid(); }
  bool Running() { return child_->Running(); }
  // What the program wrote on stderr so far (the last 4000 bytes).
  std::string Stderr() const;

 private:
  std::string errFile_;
  std::optional<Child> child_;
};

// CPU seconds a process's living threads have used so far, to the
// nanosecond where the kernel keeps scheduler figures (else to the clock
// tick); negative when it cannot be read.
double CpuSeconds(pid_t pid);

// X keysyms the game uses.
namespace key {
inline constexpr std::uint32_t kSpace = 0x0020;
inline constexpr std::uint32_t kEscape = 0xff1b;
inline constexpr std::uint32_t kHome = 0xff50;
inline constexpr std::uint32_t kLeft = 0xff51;
inline constexpr std::uint32_t kUp = 0xff52;
inline constexpr std::uint32_t kRight = 0xff53;
inline constexpr std::uint32_t kDown = 0xff54;
inline constexpr std::uint32_t kReturn = 0xff0d;
}  // namespace key

}  // namespace e2e
