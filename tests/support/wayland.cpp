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

std::string UserName() {
  const passwd* p = getpwuid(getuid());
  return p ? p->pw_name : std::to_string(getuid());
}

enum class Kind { kWeston, kSway, kMutter };

class WaylandCompositor : public Launcher {
 public:
  WaylandCompositor(Kind kind, std::string command) : kind_(kind), command_(std::move(command)) {}
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
    }
    return error_;
  }

  std::string WaitReady(Ms limit) override;
  bool Screenshot(const std::string& ppmPath) override;
  void Stop() override;

 private:
  std::string Name() const { return command_.substr(0, command_.find(' ')); }
  std::string Log() const { return kind_ == Kind::kWeston ? displayFile_ : dir_ + "/" + Name() + ".err"; }
  std::string Failure(const std::string& what) const {
    return Name() + ": " + what + "; its log ends:\n" + FileTail(Log());
  }
  void StartWeston();
  void StartSway();
  void StartMutter();
  std::vector<std::uint32_t> MutterPixels();

  Kind kind_;
  std::string command_;
  LaunchContext context_;
  std::string dir_;
  std::string runtime_;      // XDG_RUNTIME_DIR of the compositor
  bool ownRuntime_ = false;  // made outside the test's directory, removed at the end
  std::string socket_;       // WAYLAND_DISPLAY
  std::string displayFile_;  // where the compositor names XWayland's display
  std::string display_;
  std::string error_;
  std::optional<Child> compositor_;
  std::unique_ptr<Xvfb> host_;               // where mutter shows its screen
  std::vector<std::uint32_t> background_;    // mutter's desktop there
  int shots_ = 0;
};

void WaylandCompositor::StartWeston() {
  runtime_ = dir_ + "/runtime";
  mkdir(runtime_.c_str(), 0700);
  const std::string ini = dir_ + "/weston.ini";
  WriteFile(ini, "[core]\nidle-time=0\n[shell]\nbackground-color=0xff" + Colour(context_.desktopColour) +
                     "\npanel-position=none\nlocking=false\n");
  displayFile_ = dir_ + "/weston.log";
  compositor_.emplace(
      std::vector<std::string>{"weston", "--backend=headless-backend.so", "--use-pixman", "--xwayland",
                               "--debug", "--width=" + std::to_string(context_.width),
                               "--height=" + std::to_string(context_.height), "--socket=" + socket_,
                               "--config=" + ini, "--log=" + displayFile_},
      EnvironmentWith({"XDG_RUNTIME_DIR=" + runtime_, "HOME=" + context_.dir},
                      {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET"}),
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
    argv = {"setpriv", "--reuid=" + std::to_string(nobody->uid), "--regid=" + std::to_string(nobody->gid),
            "--clear-groups", "--pdeathsig=KILL"};
  } else {
    runtime_ = dir_ + "/runtime";
    mkdir(runtime_.c_str(), 0700);
  }
  displayFile_ = runtime_ + "/display";
  const std::string config = runtime_ + "/config";
  WriteFile(config,
            "xwayland enable\n"
            "output HEADLESS-1 mode " + std::to_string(context_.width) + "x" + std::to_string(context_.height) +
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
  compositor_.emplace(argv,
                      EnvironmentWith({"XDG_RUNTIME_DIR=" + runtime_, "HOME=" + runtime_,
                                       "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
                                       "WLR_RENDERER=pixman"},
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
  host_ = std::make_unique<Xvfb>(context_.width, context_.height, dir_);
  if (host_->display().empty()) {
    error_ = "no Xvfb for mutter to draw in: " + host_->error();
    return;
  }
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

// What mutter draws in its window on the Xvfb, 0xRRGGBB; empty when it
// cannot be read.
std::vector<std::uint32_t> WaylandCompositor::MutterPixels() {
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
  if (kind_ == Kind::kMutter) {
    // mutter without a shell paints a gradient of its own for the desktop:
    // once it is on the screen, unchanged, it is what the desktop looks like.
    std::vector<std::uint32_t> before;
    const bool painted = WaitUntil(
        [&] {
          if (!Running()) return true;
          std::vector<std::uint32_t> now = MutterPixels();
          const bool same = !now.empty() && now == before &&
                            std::count(now.begin(), now.end(), 0u) < static_cast<long>(now.size() / 2);
          before = std::move(now);
          return same;
        },
        left(), Ms(100));
    if (!painted || !Running()) return Failure("mutter's window on the Xvfb shows no desktop");
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
  if (kind_ == Kind::kMutter) {
    // Read from the Xvfb, mutter's own desktop painted the desktop's colour.
    std::vector<std::uint32_t> px = MutterPixels();
    if (px.size() != background_.size()) return false;
    // mutter dithers its gradient afresh wherever it repaints: a level or
    // two either way is still its desktop.
    const auto near = [](std::uint32_t a, std::uint32_t b) {
      for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff);
        if (d < -3 || d > 3) return false;
      }
      return true;
    };
    for (std::size_t i = 0; i < px.size(); ++i) {
      if (near(px[i], background_[i])) px[i] = context_.desktopColour & 0xffffff;
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

void WaylandCompositor::Stop() {
  if (!compositor_) return;
  const pid_t group = compositor_->pid();
  // The compositor first, alone: it ends its XWayland and helpers and
  // removes XWayland's sockets, which it cannot do once they are killed
  // under it. mutter ends when the command it runs ends, and
  // dbus-run-session with it.
  const pid_t main = kind_ == Kind::kMutter ? Member(group, "sleep") : group;
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
  if (program == "weston") return std::make_unique<WaylandCompositor>(Kind::kWeston, commandLine);
  if (program == "sway") return std::make_unique<WaylandCompositor>(Kind::kSway, commandLine);
  if (program == "mutter") return std::make_unique<WaylandCompositor>(Kind::kMutter, commandLine);
  return nullptr;
}

}  // namespace xtest
