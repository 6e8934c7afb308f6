// The launchers of the Wayland desktops.
#include "support/wayland.h"

#include <dirent.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "support/processes.h"
#include "support/x_client.h"

namespace xtest {
namespace {

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream f(path);
  f << text;
  return static_cast<bool>(f);
}

std::string Colour(std::uint32_t rgb) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06x", rgb & 0xffffff);
  return buf;
}

// Calls `f` with each process's id, state and process group.
template <typename F>
void ForEachProcess(F f) {
  DIR* proc = opendir("/proc");
  if (!proc) return;
  while (dirent* e = readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(e->d_name, &end, 10);
    if (*end != '\0' || pid <= 0) continue;
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 2));
    char state = 0;
    long ppid = 0, pgrp = 0;
    if (rest >> state >> ppid >> pgrp) f(static_cast<pid_t>(pid), state, static_cast<pid_t>(pgrp));
  }
  closedir(proc);
}

// Whether a process of the group still runs (zombies do not count).
bool GroupAlive(pid_t group) {
  bool alive = false;
  ForEachProcess([&](pid_t, char state, pid_t pgrp) {
    alive = alive || (pgrp == group && state != 'Z' && state != 'X');
  });
  return alive;
}

// A living process of the group running `command`, 0 for none.
pid_t Member(pid_t group, const std::string& command) {
  pid_t found = 0;
  ForEachProcess([&](pid_t pid, char state, pid_t pgrp) {
    if (pgrp == group && state != 'Z' &&
        ReadFile("/proc/" + std::to_string(pid) + "/comm") == command + "\n") {
      found = pid;
    }
  });
  return found;
}

// Runs a helper to its end within `limit`: true when it ended with status 0.
bool RunHelper(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               const std::string& log, Ms limit = Ms(20000)) {
  Child helper(argv, env, log, log + ".err");
  const std::optional<int> status = helper.WaitExit(limit);
  return status && *status == 0;
}

// The user the compositor runs as when the test runs as root and the
// compositor will not (sway): nobody.
struct Account {
  uid_t uid;
  gid_t gid;
};
std::optional<Account> Nobody() {
  const passwd* p = getpwnam("nobody");
  if (!p) return std::nullopt;
  return Account{p->pw_uid, p->pw_gid};
}

// mutter dithers its gradient afresh wherever it repaints: a level or two
// either way is still its desktop.
bool Near(std::uint32_t a, std::uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff);
    if (d < -3 || d > 3) return false;
  }
  return true;
}

std::string UserName() {
  const passwd* p = getpwuid(getuid());
  return p ? p->pw_name : std::to_string(getuid());
}

enum class Kind { kWeston, kSway, kMutter, kKwin };

class WaylandCompositor : public Launcher {
 public:
  WaylandCompositor(Kind kind, std::string command, bool nested)
      : kind_(kind), command_(std::move(command)), nested_(nested || kind == Kind::kKwin) {}
  ~WaylandCompositor() override {
    Stop();
    if (ownRuntime_) {
      std::error_code ignored;
      std::filesystem::remove_all(runtime_, ignored);
    }
  }

  std::string Command() const override { return command_; }
  bool ServesX() const override { return true; }
  std::string Display() const override { return display_; }
  int ProcessGroup() const override { return compositor_ ? compositor_->pid() : -1; }
  std::vector<std::string> WaylandEnvironment() const override {
    return {"WAYLAND_DISPLAY=" + socket_, "XDG_RUNTIME_DIR=" + runtime_};
  }
  bool Running() override { return compositor_ && compositor_->Running(); }

  std::string Start(const LaunchContext& context) override {
    context_ = context;
    dir_ = context.dir + "/" + Name();
    std::filesystem::create_directories(dir_);
    socket_ = "zb-" + Name() + "-" + std::to_string(getpid());
    switch (kind_) {
      case Kind::kWeston: StartWeston(); break;
      case Kind::kSway: StartSway(); break;
      case Kind::kMutter: StartMutter(); break;
      case Kind::kKwin: StartKwin(); break;
    }
    return error_;
  }

  std::string WaitReady(Ms limit) override;
  bool Screenshot(const std::string& ppmPath) override;
  void Stop() override;
  std::string SeatDisplay() const override { return nested_ && host_ ? host_->display() : ""; }
  std::string StartTerminal(Ms limit) override;
  std::string TerminalLines() override { return ReadFile(typed_); }
  plat::Rect TerminalRect() const override { return terminalRect_; }

 private:
  std::string Name() const { return command_.substr(0, command_.find(' ')); }
  std::string Log() const { return kind_ == Kind::kWeston ? displayFile_ : dir_ + "/" + Name() + ".err"; }
  std::string Failure(const std::string& what) const {
    return Name() + ": " + what + "; its log ends:\n" + FileTail(Log());
  }
  void StartWeston();
  void StartSway();
  void StartMutter();
  void StartKwin();
  bool StartHost();
  std::vector<std::string> AsCompositorUser() const;
  std::vector<std::uint32_t> HostPixels();

  Kind kind_;
  std::string command_;
  bool nested_;  // in a window of an Xvfb of its own, driven through its seat there
  LaunchContext context_;
  std::string dir_;
  std::string runtime_;      // XDG_RUNTIME_DIR of the compositor
  bool ownRuntime_ = false;  // made outside the test's directory, removed at the end
  std::string socket_;       // WAYLAND_DISPLAY
  std::string displayFile_;  // where the compositor names XWayland's display
  std::string display_;
  std::string error_;
  std::optional<Child> compositor_;
  std::optional<Child> terminal_;
  std::string typed_;                        // the lines typed into the terminal
  plat::Rect terminalRect_;
  std::optional<Account> user_;              // the compositor's user, when not the test's
  std::unique_ptr<Xvfb> host_;               // where a nested compositor shows its screen
  std::vector<std::uint32_t> background_;    // its desktop there
  int shots_ = 0;
};

// Nested, the screen is an Xvfb of the compositor's own, in which it shows
// its output in a window; the compositor's user may draw there.
bool WaylandCompositor::StartHost() {
  host_ = std::make_unique<Xvfb>(context_.width, context_.height, dir_);
  if (host_->display().empty()) {
    error_ = "no Xvfb for " + Name() + " to draw in: " + host_->error();
    return false;
  }
  if (user_ && !RunHelper({"xhost", "+si:localuser:" + std::string(getpwuid(user_->uid)->pw_name)},
                          EnvironmentWith({"DISPLAY=" + host_->display()}), dir_ + "/xhost.log")) {
    error_ = "cannot open the Xvfb to " + Name() + "'s user";
    return false;
  }
  return true;
}

// The command prefix that runs a program as the compositor's user.
std::vector<std::string> WaylandCompositor::AsCompositorUser() const {
  if (!user_) return {};
  return {"setpriv", "--reuid=" + std::to_string(user_->uid), "--regid=" + std::to_string(user_->gid),
          "--clear-groups", "--pdeathsig=KILL"};
}

void WaylandCompositor::StartWeston() {
  runtime_ = dir_ + "/runtime";
  mkdir(runtime_.c_str(), 0700);
  const std::string ini = dir_ + "/weston.ini";
  WriteFile(ini, "[core]\nidle-time=0\n[shell]\nbackground-color=0xff" + Colour(context_.desktopColour) +
                     "\npanel-position=none\nlocking=false\n");
  displayFile_ = dir_ + "/weston.log";
  std::vector<std::string> env{"XDG_RUNTIME_DIR=" + runtime_, "HOME=" + context_.dir};
  std::string backend = "--backend=headless-backend.so";
  if (nested_) {
    if (!StartHost()) return;
    backend = "--backend=x11-backend.so";
    env.push_back("DISPLAY=" + host_->display());
  }
  compositor_.emplace(
      std::vector<std::string>{"weston", backend, "--use-pixman", "--xwayland",
                               "--debug", "--width=" + std::to_string(context_.width),
                               "--height=" + std::to_string(context_.height), "--socket=" + socket_,
                               "--config=" + ini, "--log=" + displayFile_},
      EnvironmentWith(env, {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET"}),
      dir_ + "/weston.out", dir_ + "/weston.err");
}

void WaylandCompositor::StartSway() {
  std::vector<std::string> argv;
  if (getuid() == 0) {
    const std::optional<Account> nobody = Nobody();
    if (!nobody) {
      error_ = "sway will not run as root, and there is no user nobody to run it as";
      return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "zb-sway-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      error_ = "cannot make a runtime directory for nobody";
      return;
    }
    runtime_ = pattern;
    ownRuntime_ = true;
    if (chown(pattern.c_str(), nobody->uid, nobody->gid) != 0) {
      error_ = "cannot give the runtime directory to nobody";
      return;
    }
    user_ = nobody;
    argv = AsCompositorUser();
  } else {
    runtime_ = dir_ + "/runtime";
    mkdir(runtime_.c_str(), 0700);
  }
  if (nested_ && !StartHost()) return;
  displayFile_ = runtime_ + "/display";
  const std::string config = runtime_ + "/config";
  WriteFile(config,
            "xwayland enable\n"
            // The player's terminal floats where it leaves the bottom of the
            // screen free, as on the other desktops.
            "for_window [app_id=\"^foot$\"] floating enable, resize set 640 400, move position 600 200\n"
            "output " + std::string(nested_ ? "X11-1" : "HEADLESS-1") + " mode " + std::to_string(context_.width) + "x" + std::to_string(context_.height) +
                " position 0 0 bg #" + Colour(context_.desktopColour) + " solid_color\n"
            "focus_follows_mouse no\n"
            // Windows stand where they ask to, as on the other desktops,
            // rather than tiled over the whole screen.
            "for_window [shell=\"xwayland\"] floating enable\n"
            "exec sh -c 'xhost +si:localuser:" + UserName() + " >/dev/null && echo \"$WAYLAND_DISPLAY\" > " +
                runtime_ + "/socket && echo \"$DISPLAY\" > " + displayFile_ + ".new && mv " + displayFile_ +
                ".new " + displayFile_ + "'\n");
  chmod(config.c_str(), 0644);
  argv.insert(argv.end(), {"sway", "--config", config});
  std::vector<std::string> env{"XDG_RUNTIME_DIR=" + runtime_, "HOME=" + runtime_, "WLR_RENDERER=pixman"};
  if (nested_) {
    env.insert(env.end(), {"WLR_BACKENDS=x11", "DISPLAY=" + host_->display()});
  } else {
    env.insert(env.end(), {"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1"});
  }
  compositor_.emplace(argv,
                      EnvironmentWith(env,
                                      {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XDG_CONFIG_HOME",
                                       "SWAYSOCK"}),
                      dir_ + "/sway.out", dir_ + "/sway.err");
}

// mutter ends when the command it runs ends: the command stays. It shows
// its screen in a window of an Xvfb of its own (--nested), where the test
// reads what it draws; --headless draws where nobody can read it.
void WaylandCompositor::StartMutter() {
  runtime_ = dir_ + "/runtime";
  mkdir(runtime_.c_str(), 0700);
  displayFile_ = dir_ + "/display";
  if (!StartHost()) return;
  compositor_.emplace(
      std::vector<std::string>{
          "dbus-run-session", "--", "mutter", "--nested", "--wayland", "--wayland-display=" + socket_, "--",
          "sh", "-c",
          "xhost +si:localuser:" + UserName() + " >/dev/null && echo \"$DISPLAY\" > " + displayFile_ +
              ".new && mv " + displayFile_ + ".new " + displayFile_ + " && exec sleep infinity"},
      EnvironmentWith({"XDG_RUNTIME_DIR=" + runtime_, "HOME=" + runtime_, "DISPLAY=" + host_->display(),
                       "MUTTER_DEBUG_DUMMY_MODE_SPECS=" + std::to_string(context_.width) + "x" +
                           std::to_string(context_.height)},
                      {"WAYLAND_DISPLAY", "WAYLAND_SOCKET", "DBUS_SESSION_BUS_ADDRESS", "XAUTHORITY"}),
      dir_ + "/mutter.out", dir_ + "/mutter.err");
}

// KWin, always nested (its X11 back end): on a D-Bus session of its own,
// ended by the end of the command it runs, which opens XWayland's display
// to the test's user and writes its name. It runs from a copy: Debian gives
// kwin_wayland the file capability cap_sys_resource, and a container whose
// bounding set lacks it cannot execute the file at all.
void WaylandCompositor::StartKwin() {
  runtime_ = dir_ + "/runtime";
  mkdir(runtime_.c_str(), 0700);
  displayFile_ = dir_ + "/display";
  if (!StartHost()) return;
  const std::string kwin = dir_ + "/kwin_wayland";
  std::error_code failed;
  std::filesystem::copy_file("/usr/bin/kwin_wayland", kwin, failed);
  if (failed) {
    error_ = "cannot copy /usr/bin/kwin_wayland: " + failed.message();
    return;
  }
  const std::string session = dir_ + "/session.sh";
  WriteFile(session, "#!/bin/sh\nxhost +si:localuser:" + UserName() + " >/dev/null && echo \"$DISPLAY\" > " +
                         displayFile_ + ".new && mv " + displayFile_ + ".new " + displayFile_ +
                         " && exec sleep infinity\n");
  chmod(session.c_str(), 0755);
  compositor_.emplace(
      std::vector<std::string>{"dbus-run-session", "--", kwin, "--x11-display", host_->display(), "--xwayland",
                               "--socket", socket_, "--width", std::to_string(context_.width), "--height",
                               std::to_string(context_.height), "--exit-with-session", session},
      EnvironmentWith({"XDG_RUNTIME_DIR=" + runtime_, "HOME=" + runtime_, "DISPLAY=" + host_->display()},
                      {"WAYLAND_DISPLAY", "WAYLAND_SOCKET", "DBUS_SESSION_BUS_ADDRESS", "XAUTHORITY",
                       "QT_QPA_PLATFORM"}),
      dir_ + "/kwin.out", dir_ + "/kwin.err");
}

// What a nested compositor draws in its window on the Xvfb, 0xRRGGBB;
// empty when it cannot be read.
std::vector<std::uint32_t> WaylandCompositor::HostPixels() {
  XClient host(host_->display());
  if (!host.ok()) return {};
  return host.Pixels({0, 0, context_.width, context_.height});
}

std::string WaylandCompositor::WaitReady(Ms limit) {
  const Clock::time_point end = Clock::now() + limit;
  const auto left = [&] { return std::chrono::duration_cast<Ms>(end - Clock::now()); };
  // The display's name.
  WaitUntil(
      [&] {
        if (!Running()) return true;
        const std::string text = ReadFile(displayFile_);
        if (kind_ == Kind::kWeston) {
          const std::string mark = "xserver listening on display ";
          const std::size_t at = text.find(mark);
          if (at == std::string::npos) return false;
          const std::size_t eol = text.find('\n', at);
          display_ = text.substr(at + mark.size(), eol - at - mark.size());
        } else if (!text.empty() && text.back() == '\n') {
          display_ = text.substr(0, text.size() - 1);
        }
        return !display_.empty();
      },
      left(), Ms(20));
  if (display_.empty()) return Failure(Running() ? "no XWayland display came up" : "it ended");
  if (kind_ == Kind::kSway) {
    const std::string text = ReadFile(runtime_ + "/socket");
    socket_ = text.substr(0, text.find('\n'));
  }

  // XWayland answers, its screen is the output's size, and the compositor's
  // X window manager owns the compositing manager's selection.
  XClient x(display_);
  if (!x.ok()) return Failure("cannot connect to XWayland on " + display_);
  if (x.width() != context_.width || x.height() != context_.height) {
    return Failure("XWayland's screen is " + std::to_string(x.width()) + "x" + std::to_string(x.height()));
  }
  if (!WaitUntil([&] { return !Running() || x.SelectionOwner("_NET_WM_CM_S0") != 0; }, left(), Ms(20)) ||
      !Running()) {
    return Failure("nobody owns _NET_WM_CM_S0 on XWayland's screen");
  }
  if (host_) {
    // mutter without a shell paints a gradient of its own for the desktop,
    // KWin without one leaves it black: once it is on the screen, unchanged,
    // it is what the desktop looks like (weston and sway paint it the
    // desktop's colour).
    std::vector<std::uint32_t> before;
    const bool painted = WaitUntil(
        [&] {
          if (!Running()) return true;
          std::vector<std::uint32_t> now = HostPixels();
          const bool same = !now.empty() && now == before &&
                            (kind_ == Kind::kKwin ||
                             std::count(now.begin(), now.end(), 0u) < static_cast<long>(now.size() / 2));
          before = std::move(now);
          return same;
        },
        left(), Ms(100));
    if (!painted || !Running()) return Failure("its window on the Xvfb shows no desktop");
    background_ = std::move(before);
    return "";
  }
  // The background is painted: the corners and the middle show the desktop.
  const std::string ppm = dir_ + "/ready.ppm";
  PpmImage shot;
  const std::uint32_t desktop = context_.desktopColour;
  const auto at = [&](int x, int y) { return shot.pixels[static_cast<std::size_t>(y * shot.width + x)]; };
  const bool painted = WaitUntil(
      [&] {
        if (!Running()) return true;
        shot = Screenshot(ppm) ? ReadPpm(ppm) : PpmImage{};
        const int w = context_.width, h = context_.height;
        return shot.width == w && shot.height == h && at(0, 0) == desktop && at(w - 1, h - 1) == desktop &&
               at(w / 2, h / 2) == desktop;
      },
      left(), Ms(50));
  std::remove(ppm.c_str());
  if (!painted || !Running()) {
    return Failure(shot.pixels.empty() ? std::string("no screenshot")
                                       : "the screen shows " + Colour(at(0, 0)) + ", not the desktop");
  }
  return "";
}

bool WaylandCompositor::Screenshot(const std::string& ppmPath) {
  if (!Running()) return false;
  if (host_) {
    // Read from the Xvfb, the compositor's own desktop painted the desktop's
    // colour.
    std::vector<std::uint32_t> px = HostPixels();
    if (px.size() != background_.size()) return false;
    for (std::size_t i = 0; i < px.size(); ++i) {
      if (Near(px[i], background_[i])) px[i] = context_.desktopColour & 0xffffff;
    }
    std::ofstream f(ppmPath, std::ios::binary);
    f << "P6\n" << context_.width << " " << context_.height << "\n255\n";
    for (std::uint32_t p : px) {
      const char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
      f.write(rgb, 3);
    }
    return static_cast<bool>(f);
  }
  const std::vector<std::string> env = EnvironmentWith(
      {"XDG_RUNTIME_DIR=" + runtime_, "WAYLAND_DISPLAY=" + socket_}, {"DISPLAY", "WAYLAND_SOCKET"});
  if (kind_ == Kind::kSway) return RunHelper({"grim", "-t", "ppm", ppmPath}, env, dir_ + "/grim.log");
  // weston-screenshooter writes wayland-screenshot-<time>.png where it runs.
  const std::string shotDir = dir_ + "/shot" + std::to_string(shots_++);
  std::filesystem::create_directories(shotDir);
  bool ok = RunHelper({"sh", "-c", "cd '" + shotDir + "' && exec weston-screenshooter"}, env,
                      dir_ + "/screenshooter.log");
  std::string png;
  for (const auto& e : std::filesystem::directory_iterator(shotDir)) {
    if (e.path().extension() == ".png") png = e.path().string();
  }
  ok = ok && !png.empty() &&
       RunHelper({"convert", png, "ppm:" + ppmPath}, EnvironmentWith({}), dir_ + "/convert.log");
  std::error_code ignored;
  std::filesystem::remove_all(shotDir, ignored);
  return ok;
}

// foot, the terminal of the wlroots desktops, as the player's; on KWin
// weston's terminal instead: foot 1.13 dies of a division by zero on the
// output KWin's nested back end announces (physical size -1 x -1 mm).
std::string WaylandCompositor::StartTerminal(Ms limit) {
  if (!nested_ || !host_ || !Running()) return Name() + " has no seat of its own to type into a terminal with";
  const Clock::time_point end = Clock::now() + limit;
  typed_ = runtime_ + "/typed";
  const std::string shell = runtime_ + "/terminal.sh";
  WriteFile(typed_, "");
  // Its shell appends each line typed to the file.
  WriteFile(shell, "#!/bin/sh\nwhile IFS= read -r l; do printf '%s\\n' \"$l\" >> '" + typed_ + "'; done\n");
  chmod(shell.c_str(), 0755);
  if (user_ && chown(typed_.c_str(), user_->uid, user_->gid) != 0) return "cannot give the terminal its file";
  std::vector<std::string> argv = AsCompositorUser();
  if (kind_ == Kind::kKwin) {
    argv.insert(argv.end(), {"weston-terminal", "--shell=" + shell});
  } else {
    argv.insert(argv.end(), {"foot", "--override=font=monospace:size=10", shell});
  }
  terminal_.emplace(argv,
                    EnvironmentWith({"XDG_RUNTIME_DIR=" + runtime_, "WAYLAND_DISPLAY=" + socket_, "HOME=" + runtime_},
                                    {"DISPLAY", "WAYLAND_SOCKET"}),
                    dir_ + "/terminal.out", dir_ + "/terminal.err");
  XClient seat(host_->display());
  if (!seat.ok()) return "cannot connect to the Xvfb " + Name() + " is nested in";
  seat.PinNestedPointer();
  // A word typed through the seat lands in the terminal once it shows with
  // the focus; typed again while it does not.
  const bool landed = WaitUntil(
      [&] {
        if (!terminal_->Running()) return true;
        seat.Type("ready\n");
        return WaitUntil([&] { return ReadFile(typed_).find("ready\n") != std::string::npos; }, Ms(1000));
      },
      std::chrono::duration_cast<Ms>(end - Clock::now()), Ms(0));
  if (!terminal_->Running()) return "the terminal ended; its log ends:\n" + FileTail(dir_ + "/terminal.err");
  if (!landed) return "nothing typed reaches the terminal";
  // Where it shows: the rows and columns in which many pixels differ from
  // the desktop (the pointer differs in a few).
  const std::vector<std::uint32_t> now = HostPixels();
  if (now.size() != background_.size()) return "cannot read the screen";
  const int w = context_.width, h = context_.height;
  std::vector<int> rows(static_cast<std::size_t>(h)), columns(static_cast<std::size_t>(w));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * w + x);
      if (!Near(now[i], background_[i])) ++rows[static_cast<std::size_t>(y)], ++columns[static_cast<std::size_t>(x)];
    }
  }
  constexpr int kMany = 60;
  const auto first = [&](const std::vector<int>& v) {
    return static_cast<int>(std::find_if(v.begin(), v.end(), [](int n) { return n > kMany; }) - v.begin());
  };
  const auto last = [&](const std::vector<int>& v) {
    return static_cast<int>(v.rend() - std::find_if(v.rbegin(), v.rend(), [](int n) { return n > kMany; }));
  };
  terminalRect_ = {first(columns), first(rows), last(columns), last(rows)};
  if (terminalRect_.Width() <= 0 || terminalRect_.Height() <= 0) return "the terminal does not show";
  return "";
}

void WaylandCompositor::Stop() {
  if (!compositor_) return;
  const pid_t group = compositor_->pid();
  // The compositor first, alone: it ends its XWayland and helpers and
  // removes XWayland's sockets, which it cannot do once they are killed
  // under it. mutter ends when the command it runs ends, and
  // dbus-run-session with it.
  const pid_t main = kind_ == Kind::kMutter || kind_ == Kind::kKwin ? Member(group, "sleep") : group;
  if (terminal_) terminal_->Stop();
  terminal_.reset();
  if (main > 0) kill(main, SIGTERM);
  const auto over = [&] {
    compositor_->Status();
    return !GroupAlive(group);
  };
  if (!WaitUntil(over, Ms(10000), Ms(20))) {
    std::fprintf(stderr, "%s did not end on its own; its process group is killed\n", command_.c_str());
    kill(-group, SIGTERM);
    if (!WaitUntil(over, Ms(3000), Ms(20))) kill(-group, SIGKILL);
  }
  compositor_.reset();
  host_.reset();
  // XWayland's socket goes with it.
  if (!display_.empty()) {
    const std::string socket = "/tmp/.X11-unix/X" + display_.substr(1);
    if (!WaitUntil([&] { return access(socket.c_str(), F_OK) != 0; }, Ms(5000), Ms(20))) {
      std::fprintf(stderr, "%s left XWayland's socket %s\n", command_.c_str(), socket.c_str());
    }
  }
}

}  // namespace

std::unique_ptr<Launcher> MakeWaylandLauncher(const std::string& commandLine) {
  const std::string program = commandLine.substr(0, commandLine.find(' '));
  const bool nested = commandLine.find(" nested") != std::string::npos;
  if (program == "weston") return std::make_unique<WaylandCompositor>(Kind::kWeston, commandLine, nested);
  if (program == "sway") return std::make_unique<WaylandCompositor>(Kind::kSway, commandLine, nested);
  if (program == "mutter") return std::make_unique<WaylandCompositor>(Kind::kMutter, commandLine, nested);
  if (program == "kwin_wayland") return std::make_unique<WaylandCompositor>(Kind::kKwin, commandLine, true);
  return nullptr;
}

}  // namespace xtest
