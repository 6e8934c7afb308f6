// Wayland compositors with XWayland, headless.
#include "support/wayland.h"

#include <dirent.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/x_client.h"

namespace xtest {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// The last `n` bytes of a log, for an error message.
std::string Tail(const std::string& path, std::size_t n = 1500) {
  const std::string all = ReadAll(path);
  return all.size() > n ? all.substr(all.size() - n) : all;
}

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
    const std::string stat = ReadAll("/proc/" + std::to_string(pid) + "/stat");
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
        ReadAll("/proc/" + std::to_string(pid) + "/comm") == command + "\n") {
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

}  // namespace

ScreenImage ReadPpm(const std::string& path) {
  ScreenImage img;
  std::ifstream f(path, std::ios::binary);
  std::string magic;
  int maxval = 0;
  f >> magic >> img.width >> img.height >> maxval;
  f.get();
  if (!f || magic != "P6" || maxval != 255 || img.width <= 0 || img.height <= 0) return {};
  const std::size_t count = static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height);
  std::vector<unsigned char> bytes(count * 3);
  f.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) return {};
  img.pixels.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    img.pixels[i] = (std::uint32_t{bytes[3 * i]} << 16) | (std::uint32_t{bytes[3 * i + 1]} << 8) |
                    bytes[3 * i + 2];
  }
  return img;
}

const char* WaylandCompositor::Name(Kind kind) {
  switch (kind) {
    case Kind::kWeston: return "weston";
    case Kind::kSway: return "sway";
    case Kind::kMutter: return "mutter";
  }
  return "?";
}

WaylandCompositor::WaylandCompositor(Kind kind, int width, int height, std::uint32_t desktopRgb,
                                     const std::string& dir)
    : kind_(kind), dir_(dir + "/" + Name(kind)) {
  std::filesystem::create_directories(dir_);
  socket_ = std::string("zb-") + Name(kind) + "-" + std::to_string(getpid());
  switch (kind) {
    case Kind::kWeston: StartWeston(width, height, desktopRgb); break;
    case Kind::kSway: StartSway(width, height, desktopRgb); break;
    case Kind::kMutter: StartMutter(width, height); break;
  }
  if (!error_.empty()) return;
  if (!AwaitReady(desktopRgb, width, height)) {
    display_.clear();
    Stop();
  }
}

WaylandCompositor::~WaylandCompositor() {
  Stop();
  if (ownRuntime_) {
    std::error_code ignored;
    std::filesystem::remove_all(runtime_, ignored);
  }
}

// weston: the headless back end drawing with pixman, XWayland, the desktop
// shell with no panel; --debug lets any client take screenshots. It names
// XWayland's display in its log.
void WaylandCompositor::StartWeston(int width, int height, std::uint32_t desktopRgb) {
  runtime_ = dir_ + "/runtime";
  mkdir(runtime_.c_str(), 0700);
  const std::string ini = dir_ + "/weston.ini";
  WriteFile(ini, "[core]\nidle-time=0\n[shell]\nbackground-color=0xff" + Colour(desktopRgb) +
                     "\npanel-position=none\nlocking=false\n");
  displayFile_ = dir_ + "/weston.log";
  compositor_.emplace(
      std::vector<std::string>{"weston", "--backend=headless-backend.so", "--use-pixman", "--xwayland",
                               "--debug", "--width=" + std::to_string(width),
                               "--height=" + std::to_string(height), "--socket=" + socket_,
                               "--config=" + ini, "--log=" + displayFile_},
      EnvironmentWith({"XDG_RUNTIME_DIR=" + runtime_}, {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET"}),
      dir_ + "/weston.out", dir_ + "/weston.err");
}

// sway on wlroots' headless back end. It will not run as root: then it runs
// as nobody, in a runtime directory of nobody's made here. Its configuration
// opens XWayland to the test's user and then writes the names of its Wayland
// socket (it picks one itself) and of XWayland's display.
void WaylandCompositor::StartSway(int width, int height, std::uint32_t desktopRgb) {
  std::vector<std::string> argv;
  const bool root = getuid() == 0;
  if (root) {
    const std::optional<Account> nobody = Nobody();
    if (!nobody) {
      error_ = "sway will not run as root, and there is no user nobody to run it as";
      return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "zb-sway-XXXXXX").string();
    if (!mkdtemp(pattern.data()) || chown(pattern.c_str(), nobody->uid, nobody->gid) != 0) {
      error_ = "cannot make a runtime directory for nobody";
      return;
    }
    runtime_ = pattern;
    ownRuntime_ = true;
    argv = {"setpriv", "--reuid=" + std::to_string(nobody->uid), "--regid=" + std::to_string(nobody->gid),
            "--clear-groups", "--pdeathsig=KILL"};
  } else {
    runtime_ = dir_ + "/runtime";
    mkdir(runtime_.c_str(), 0700);
  }
  displayFile_ = runtime_ + "/display";
  const std::string config = runtime_ + "/config";
  const std::string hex = Colour(desktopRgb);
  WriteFile(config,
            "xwayland enable\n"
            "output HEADLESS-1 mode " + std::to_string(width) + "x" + std::to_string(height) +
                " position 0 0 bg #" + hex + " solid_color\n"
            "focus_follows_mouse no\n"
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

// mutter headless with a virtual monitor, on a session bus of its own. It
// runs a command once XWayland is up, with DISPLAY and XAUTHORITY set, and
// ends when that command ends: the command opens XWayland to the test's user,
// writes the display's name and stays.
void WaylandCompositor::StartMutter(int width, int height) {
  runtime_ = dir_ + "/runtime";
  mkdir(runtime_.c_str(), 0700);
  displayFile_ = dir_ + "/display";
  compositor_.emplace(
      std::vector<std::string>{
          "dbus-run-session", "--", "mutter", "--headless", "--wayland", "--virtual-monitor",
          std::to_string(width) + "x" + std::to_string(height), "--wayland-display=" + socket_, "--",
          "sh", "-c",
          "xhost +si:localuser:" + UserName() + " >/dev/null && echo \"$DISPLAY\" > " + displayFile_ +
              ".new && mv " + displayFile_ + ".new " + displayFile_ + " && exec sleep infinity"},
      EnvironmentWith({"XDG_RUNTIME_DIR=" + runtime_, "HOME=" + runtime_},
                      {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "DBUS_SESSION_BUS_ADDRESS",
                       "XAUTHORITY"}),
      dir_ + "/mutter.out", dir_ + "/mutter.err");
}

bool WaylandCompositor::AwaitReady(std::uint32_t desktopRgb, int width, int height) {
  const std::string log = kind_ == Kind::kWeston ? displayFile_ : dir_ + "/" + Name(kind_) + ".err";
  const auto failed = [&](const std::string& what) {
    error_ = std::string(Name(kind_)) + ": " + what + "; its log ends:\n" + Tail(log);
    return false;
  };
  // The display's name.
  const bool named = WaitUntil(
      [&] {
        if (!compositor_->Running()) return true;
        const std::string text = ReadAll(displayFile_);
        if (kind_ == Kind::kWeston) {
          const std::string mark = "xserver listening on display ";
          const std::size_t at = text.find(mark);
          if (at == std::string::npos) return false;
          const std::size_t end = text.find('\n', at);
          display_ = text.substr(at + mark.size(), end - at - mark.size());
        } else if (!text.empty() && text.back() == '\n') {
          display_ = text.substr(0, text.size() - 1);
        }
        return !display_.empty();
      },
      Ms(30000), Ms(20));
  if (!named || display_.empty()) return failed("no XWayland display came up");
  if (kind_ == Kind::kSway) {
    const std::string text = ReadAll(runtime_ + "/socket");
    socket_ = text.substr(0, text.find('\n'));
  }

  // XWayland answers, its screen is the output's size, and the compositor's
  // X window manager owns the compositing manager's selection.
  XClient x(display_);
  if (!x.ok()) return failed("cannot connect to XWayland on " + display_);
  if (x.width() != width || x.height() != height) {
    return failed("XWayland's screen is " + std::to_string(x.width()) + "x" + std::to_string(x.height()));
  }
  if (!WaitUntil([&] { return x.SelectionOwner("_NET_WM_CM_S0") != 0; }, Ms(30000), Ms(20))) {
    return failed("no compositing manager on XWayland's screen");
  }
  if (!CanScreenshot()) return true;
  // The background is painted: the corners and the middle show the desktop.
  ScreenImage shot;
  const bool painted = WaitUntil(
      [&] {
        shot = Screenshot();
        return !shot.empty() && shot.width == width && shot.height == height &&
               shot.At(0, 0) == desktopRgb && shot.At(width - 1, height - 1) == desktopRgb &&
               shot.At(width / 2, height / 2) == desktopRgb;
      },
      Ms(30000), Ms(50));
  if (!painted) {
    return failed(shot.empty() ? std::string("no screenshot")
                               : "the screen is not the desktop colour but " + Colour(shot.At(0, 0)));
  }
  return true;
}

ScreenImage WaylandCompositor::Screenshot(const std::string& png) {
  if (!CanScreenshot() || !compositor_ || !compositor_->Running()) return {};
  const std::string shotDir = dir_ + "/shot" + std::to_string(shots_++);
  std::filesystem::create_directories(shotDir);
  const std::vector<std::string> env = EnvironmentWith(
      {"XDG_RUNTIME_DIR=" + runtime_, "WAYLAND_DISPLAY=" + socket_}, {"DISPLAY", "WAYLAND_SOCKET"});
  const std::string ppm = shotDir + "/screen.ppm";
  std::string picture;
  if (kind_ == Kind::kWeston) {
    // weston-screenshooter writes wayland-screenshot-<time>.png where it runs.
    if (!RunHelper({"sh", "-c", "cd '" + shotDir + "' && exec weston-screenshooter"}, env,
                   shotDir + "/screenshooter.log")) {
      return {};
    }
    for (const auto& e : std::filesystem::directory_iterator(shotDir)) {
      if (e.path().extension() == ".png") picture = e.path().string();
    }
    if (picture.empty() ||
        !RunHelper({"convert", picture, "ppm:" + ppm}, EnvironmentWith({}), shotDir + "/convert.log")) {
      return {};
    }
  } else {
    if (!RunHelper({"grim", "-t", "ppm", ppm}, env, shotDir + "/grim.log")) return {};
  }
  ScreenImage img = ReadPpm(ppm);
  if (!png.empty() && !img.empty()) {
    if (!picture.empty()) {
      std::error_code ignored;
      std::filesystem::copy_file(picture, png, std::filesystem::copy_options::overwrite_existing, ignored);
    } else {
      RunHelper({"convert", ppm, png}, EnvironmentWith({}), shotDir + "/convert.log");
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(shotDir, ignored);
  return img;
}

bool WaylandCompositor::Stop() {
  if (!compositor_) return true;
  const pid_t group = compositor_->pid();
  bool clean = true;
  if (group > 0) {
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
      clean = false;
      kill(-group, SIGTERM);
      if (!WaitUntil(over, Ms(3000), Ms(20))) kill(-group, SIGKILL);
    }
  }
  compositor_.reset();
  // XWayland's socket goes with it.
  if (!display_.empty()) {
    const std::string socket = "/tmp/.X11-unix/X" + display_.substr(1);
    if (!WaitUntil([&] { return access(socket.c_str(), F_OK) != 0; }, Ms(5000), Ms(20))) clean = false;
  }
  return clean;
}

}  // namespace xtest
