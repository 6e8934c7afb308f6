// The launchers of the X desktops: window managers and X compositors run on
// the test's own Xvfb.
#include "support/launcher.h"

#include <signal.h>
#include <sys/stat.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

#include "support/processes.h"
#include "support/wayland.h"
#include "support/xcb_reply.h"

namespace xtest {
namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

bool Has(const std::vector<std::string>& argv, const std::string& word) {
  for (const std::string& a : argv) {
    if (a == word) return true;
  }
  return false;
}

// A window of the launcher's own, mapped until a window manager frames it:
// window managers announce themselves before they manage windows, and a
// window mapped in between may stay unmapped.
bool NewWindowsFramed(const std::string& display, const std::function<bool()>& alive, Ms limit) {
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return false;
  }
  const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t probe = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, s->root, 0, 0, 8, 8, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    s->root_visual, 0, nullptr);
  const bool framed = WaitUntil(
      [&] {
        if (!alive()) return true;
        xcbtest::Reply tree(xcb_query_tree_reply(c, xcb_query_tree(c, probe), nullptr));
        if (tree && tree->parent != s->root) return true;
        xcb_map_window(c, probe);
        xcb_flush(c);
        return false;
      },
      limit, Ms(200));
  xcb_destroy_window(c, probe);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  xcb_disconnect(c);
  return framed && alive();
}

// What shows that a desktop program is ready.
struct Readiness {
  bool managesWindows = false;  // _NET_SUPPORTING_WM_CHECK, and new windows framed
  bool composites = false;      // owns _NET_WM_CM_S0
};

// A window manager or compositor on the test's X display, in a process
// group of its own (with whatever it starts: a D-Bus session, a helper).
class XProgram : public Launcher {
 public:
  using Prepare = std::function<void(const LaunchContext&)>;
  XProgram(std::string command, std::vector<std::string> argv, Readiness ready, Prepare prepare = {})
      : command_(std::move(command)), argv_(std::move(argv)), ready_(ready), prepare_(std::move(prepare)) {}
  ~XProgram() override { Stop(); }

  std::string Command() const override { return command_; }

  std::string Start(const LaunchContext& context) override {
    context_ = context;
    if (prepare_) prepare_(context);
    const std::string runtime = context.dir + "/runtime-" + Words(command_)[0];
    mkdir(runtime.c_str(), 0700);
    const char* path = std::getenv("PATH");
    // A desktop of its own: no session bus, settings or accessibility bus of
    // the test's environment.
    const std::vector<std::string> env{"DISPLAY=" + context.display, "HOME=" + context.dir,
                                       "PATH=" + std::string(path ? path : "/usr/bin:/bin"),
                                       "XDG_RUNTIME_DIR=" + runtime, "NO_AT_BRIDGE=1", "GTK_A11Y=none"};
    log_ = context.dir + "/" + Words(command_)[0];
    child_.emplace(argv_, env, log_ + ".out", log_ + ".err");
    return child_->pid() > 0 ? "" : "cannot start " + command_;
  }

  std::string WaitReady(Ms limit) override {
    const Clock::time_point end = Clock::now() + limit;
    const auto left = [&] { return std::chrono::duration_cast<Ms>(end - Clock::now()); };
    XClient x(context_.display);
    if (!x.ok()) return "cannot connect to " + context_.display;
    const auto alive = [this] { return Running(); };
    if (ready_.managesWindows) {
      const bool announced = WaitUntil(
          [&] { return !alive() || !x.Cardinals(x.Root(), "_NET_SUPPORTING_WM_CHECK").empty(); }, left(),
          Ms(20));
      if (!announced || !alive()) return Failure("no _NET_SUPPORTING_WM_CHECK");
      if (!NewWindowsFramed(context_.display, alive, left())) return Failure("a new window was not framed");
    }
    if (ready_.composites) {
      const bool owned =
          WaitUntil([&] { return !alive() || x.SelectionOwner("_NET_WM_CM_S0") != 0; }, left(), Ms(20));
      if (!owned || !alive()) return Failure("nobody owns _NET_WM_CM_S0");
    }
    return alive() ? "" : Failure("it ended");
  }

  bool Running() override { return child_ && child_->Running(); }

  void Stop() override {
    if (!child_) return;
    // The whole group: a D-Bus session and what it started go too.
    if (child_->Running()) kill(-child_->pid(), SIGTERM);
    child_->Stop();
    kill(-child_->pid(), SIGKILL);
    child_.reset();
  }

 private:
  std::string Failure(const std::string& what) {
    return command_ + ": " + what + (Running() ? "" : " (it ended)") + "; stderr: " + FileTail(log_ + ".err");
  }

  std::string command_;
  std::vector<std::string> argv_;
  Readiness ready_;
  Prepare prepare_;
  LaunchContext context_;
  std::string log_;
  std::optional<Child> child_;
};

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream f(path);
  f << text;
}

}  // namespace

std::unique_ptr<Launcher> MakeLauncher(const std::string& commandLine) {
  const std::vector<std::string> argv = Words(commandLine);
  if (argv.empty()) return nullptr;
  const std::string& program = argv[0];
  if (program == "openbox" || program == "icewm") {
    return std::make_unique<XProgram>(commandLine, argv, Readiness{.managesWindows = true});
  }
  if (program == "xfwm4") {
    // xfwm4 reads its settings through xfconf, a D-Bus service: a session
    // bus of its own.
    std::vector<std::string> wrapped{"dbus-run-session", "--"};
    wrapped.insert(wrapped.end(), argv.begin(), argv.end());
    const bool compositor = Has(argv, "--compositor=on") || Has(argv, "-c");
    return std::make_unique<XProgram>(commandLine, wrapped,
                                      Readiness{.managesWindows = true, .composites = compositor});
  }
  if (program == "fluxbox") {
    // Its own settings: the style's wallpaper left alone (setting it starts
    // a helper that pops up a message when no image viewer is installed).
    std::vector<std::string> withRc = argv;
    return std::make_unique<XProgram>(
        commandLine, withRc, Readiness{.managesWindows = true}, [](const LaunchContext& c) {
          const std::string dir = c.dir + "/.fluxbox";
          mkdir(dir.c_str(), 0700);
          WriteFile(dir + "/overlay", "background: none\n");
          WriteFile(dir + "/init", "session.styleOverlay: " + dir + "/overlay\n");
        });
  }
  if (program == "picom" || program == "xcompmgr") {
    return std::make_unique<XProgram>(commandLine, argv, Readiness{.composites = true});
  }
  return MakeWaylandLauncher(commandLine);
}

PpmImage ReadPpm(const std::string& path) {
  PpmImage out;
  std::ifstream f(path, std::ios::binary);
  std::string magic;
  int max = 0;
  f >> magic >> out.width >> out.height >> max;
  f.get();
  if (!f || magic != "P6" || max != 255 || out.width <= 0 || out.height <= 0) return {};
  std::vector<unsigned char> bytes(static_cast<std::size_t>(out.width) * out.height * 3);
  f.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) return {};
  out.pixels.reserve(bytes.size() / 3);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    out.pixels.push_back(std::uint32_t{bytes[i]} << 16 | std::uint32_t{bytes[i + 1]} << 8 | bytes[i + 2]);
  }
  return out;
}

}  // namespace xtest
