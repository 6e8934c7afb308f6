// The end-to-end harness: processes, the private X server and the test's own
// X client.
#include "e2e/harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/xcb_reply.h"

extern char** environ;

namespace e2e {
namespace {

using xcbtest::Reply;

std::vector<char*> CStrings(const std::vector<std::string>& v) {
  std::vector<char*> out;
  for (const std::string& s : v) out.push_back(const_cast<char*>(s.c_str()));
  out.push_back(nullptr);
  return out;
}

}  // namespace

std::vector<std::string> EnvironmentWithout(const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    bool drop = false;
    for (const std::string& n : names) drop = drop || entry.rfind(n + "=", 0) == 0;
    if (!drop) out.push_back(entry);
  }
  return out;
}

double MsSince(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

bool WaitUntil(const std::function<bool()>& done, Ms limit, Ms every) {
  const Clock::time_point end = Clock::now() + limit;
  while (Clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(every);
  }
  return done();
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zb-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data())) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

// --- Child ---------------------------------------------------------------

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             const std::string& outFile, const std::string& errFile, int extraFd) {
  std::vector<char*> args = CStrings(argv);
  std::vector<char*> envp = CStrings(env);
  const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const bool closeErr = errFile.empty();
  const int err = closeErr ? -1 : open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {
    // Only async-signal-safe calls from here to exec.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    setpgid(0, 0);
    const int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    dup2(out, 1);
    if (closeErr) {
      close(2);
    } else {
      dup2(err, 2);
    }
    int keep = 2;
    if (extraFd >= 0) {
      if (extraFd == 3) {
        fcntl(3, F_SETFD, 0);
      } else {
        dup2(extraFd, 3);
      }
      keep = 3;
    }
    for (int fd = keep + 1; fd < 1024; ++fd) close(fd);
    execvpe(args[0], args.data(), envp.data());
    _exit(127);
  }
  if (out >= 0) close(out);
  if (err >= 0) close(err);
}

Child::~Child() { Stop(); }

void Child::Reap(int waitStatus) {
  if (WIFEXITED(waitStatus)) status_ = WEXITSTATUS(waitStatus);
  else if (WIFSIGNALED(waitStatus)) status_ = 128 + WTERMSIG(waitStatus);
}

bool Child::Running() { return pid_ > 0 && !Status().has_value(); }

std::optional<int> Child::Status() {
  if (status_ || pid_ <= 0) return status_;
  int ws = 0;
  if (waitpid(pid_, &ws, WNOHANG) == pid_) Reap(ws);
  return status_;
}

std::optional<int> Child::WaitExit(Ms limit) {
  WaitUntil([this] { return Status().has_value(); }, limit, Ms(10));
  return Status();
}

void Child::Stop(Ms grace) {
  if (!Running()) return;
  kill(pid_, SIGTERM);
  if (WaitExit(grace)) return;
  kill(pid_, SIGKILL);
  int ws = 0;
  if (waitpid(pid_, &ws, 0) == pid_) Reap(ws);
}

// --- Xvfb ----------------------------------------------------------------

Xvfb::Xvfb(int width, int height, const std::string& dir) : width_(width), height_(height) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    error_ = "pipe failed";
    return;
  }
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  server_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", "3", "-screen", "0", screen,
                                           "-nolisten", "tcp", "-noreset"},
                  EnvironmentWithout({}), dir + "/xvfb.out", dir + "/xvfb.err", fds[1]);
  close(fds[1]);
  std::string number;
  const Clock::time_point start = Clock::now();
  while (MsSince(start) < 30000) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) {
      if (!server_->Running()) break;
      continue;
    }
    char ch = 0;
    if (read(fds[0], &ch, 1) != 1) break;
    if (ch == '\n') break;
    number += ch;
  }
  close(fds[0]);
  if (number.empty()) {
    std::ifstream log(dir + "/xvfb.err");
    std::stringstream s;
    s << log.rdbuf();
    error_ = "Xvfb did not start: " + s.str();
    return;
  }
  display_ = ":" + number;
}

// --- XConn ---------------------------------------------------------------

XConn::XConn(const std::string& display) {
  c_ = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(c_)) return;
  const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
  root_ = s->root;
  width_ = s->width_in_pixels;
  height_ = s->height_in_pixels;
  symbols_ = xcb_key_symbols_alloc(c_);
}

XConn::~XConn() {
  if (symbols_) xcb_key_symbols_free(symbols_);
  if (c_) xcb_disconnect(c_);
}

bool XConn::ok() const { return c_ && !xcb_connection_has_error(c_) && root_ != 0; }

void XConn::Sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

std::uint32_t XConn::Atom(const char* name) {
  Reply r(xcb_intern_atom_reply(
      c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
  return r ? r->atom : 0;
}

// Asks for every window's _NET_WM_NAME and WM_NAME at once. Names are read
// afresh each time: the server hands the ids of a program that ended to the
// next one.
void XConn::ReadNames(std::vector<Window>& windows) {
  if (!netWmName_) netWmName_ = Atom("_NET_WM_NAME");
  std::vector<xcb_get_property_cookie_t> cookies;
  for (const Window& w : windows) {
    cookies.push_back(xcb_get_property(c_, 0, w.id, netWmName_, XCB_ATOM_ANY, 0, 256));
    cookies.push_back(xcb_get_property(c_, 0, w.id, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256));
  }
  for (std::size_t i = 0; i < windows.size(); ++i) {
    windows[i].name.clear();
    for (std::size_t k = 0; k < 2; ++k) {
      Reply r(xcb_get_property_reply(c_, cookies[2 * i + k], nullptr));
      if (windows[i].name.empty() && r && r->format == 8 && xcb_get_property_value_length(r.p) > 0) {
        windows[i].name.assign(static_cast<const char*>(xcb_get_property_value(r.p)),
                               static_cast<std::size_t>(xcb_get_property_value_length(r.p)));
      }
    }
  }
}

void XConn::Grab() {
  if (grabs_++ == 0) xcb_grab_server(c_);
}

void XConn::Ungrab() {
  if (grabs_ == 0 || --grabs_ > 0) return;
  xcb_ungrab_server(c_);
  Sync();
}

std::vector<Window> XConn::Mapped() {
  std::vector<Window> out;
  const bool ownGrab = grabs_ == 0;
  if (ownGrab) xcb_grab_server(c_);
  Reply tree(xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr));
  if (tree) {
    const xcb_window_t* kids = xcb_query_tree_children(tree.p);
    const int n = xcb_query_tree_children_length(tree.p);
    std::vector<xcb_get_window_attributes_cookie_t> attrs;
    std::vector<xcb_get_geometry_cookie_t> geoms;
    for (int i = 0; i < n; ++i) {
      attrs.push_back(xcb_get_window_attributes(c_, kids[i]));
      geoms.push_back(xcb_get_geometry(c_, kids[i]));
    }
    for (int i = 0; i < n; ++i) {
      Reply a(xcb_get_window_attributes_reply(c_, attrs[static_cast<std::size_t>(i)], nullptr));
      Reply g(xcb_get_geometry_reply(c_, geoms[static_cast<std::size_t>(i)], nullptr));
      if (!a || !g || a->map_state != XCB_MAP_STATE_VIEWABLE) continue;
      Window w;
      w.id = kids[i];
      w.rect = plat::Rect{g->x, g->y, g->x + g->width, g->y + g->height};
      w.overrideRedirect = a->override_redirect != 0;
      out.push_back(w);
    }
  }
  ReadNames(out);
  if (ownGrab) {
    xcb_ungrab_server(c_);
    xcb_flush(c_);
  }
  return out;
}

std::vector<Window> XConn::Named(const std::string& name) {
  std::vector<Window> out;
  for (Window& w : Mapped()) {
    if (w.name == name) out.push_back(w);
  }
  return out;
}

std::optional<Window> XConn::One(const std::string& name) {
  std::vector<Window> all = Named(name);
  if (all.empty()) return std::nullopt;
  return all.back();
}

std::optional<Window> XConn::WaitFor(const std::string& name, Ms limit,
                                     const std::function<bool(const Window&)>& ok) {
  std::optional<Window> found;
  WaitUntil(
      [&] {
        for (const Window& w : Named(name)) {
          if (!ok || ok(w)) {
            found = w;
            return true;
          }
        }
        return false;
      },
      limit, Ms(5));
  return found;
}

plat::Region XConn::Shape(std::uint32_t window) {
  Reply g(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window), nullptr));
  Reply r(xcb_shape_get_rectangles_reply(
      c_, xcb_shape_get_rectangles(c_, window, XCB_SHAPE_SK_BOUNDING), nullptr));
  if (!g || !r) return {};
  std::vector<plat::Rect> rects;
  const xcb_rectangle_t* p = xcb_shape_get_rectangles_rectangles(r.p);
  for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(r.p); ++i) {
    rects.push_back({p[i].x, p[i].y, p[i].x + p[i].width, p[i].y + p[i].height});
  }
  plat::Region shape = plat::Region::FromRects(rects);
  shape.Intersect(plat::Region(plat::Rect{0, 0, g->width, g->height}));
  return shape;
}

std::vector<std::uint32_t> XConn::Pixels(const plat::Rect& rect) {
  std::vector<std::uint32_t> out;
  if (rect.Width() <= 0 || rect.Height() <= 0) return out;
  Reply r(xcb_get_image_reply(
      c_,
      xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, static_cast<std::int16_t>(rect.left),
                    static_cast<std::int16_t>(rect.top), static_cast<std::uint16_t>(rect.Width()),
                    static_cast<std::uint16_t>(rect.Height()), ~0u),
      nullptr));
  // A 24-bit Xvfb screen keeps 32 bits a pixel, 0x00RRGGBB in host order.
  if (!r || r->depth != 24) return out;
  const std::size_t count = static_cast<std::size_t>(rect.Width()) * static_cast<std::size_t>(rect.Height());
  if (static_cast<std::size_t>(xcb_get_image_data_length(r.p)) < count * 4) return out;
  out.resize(count);
  std::memcpy(out.data(), xcb_get_image_data(r.p), count * 4);
  for (std::uint32_t& p : out) p &= 0xffffff;
  return out;
}

std::uint8_t XConn::Keycode(std::uint32_t keysym) {
  xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym);
  const std::uint8_t code = codes ? codes[0] : 0;
  std::free(codes);
  return code;
}

void XConn::Key(std::uint32_t keysym, bool down) {
  xcb_test_fake_input(c_, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, Keycode(keysym),
                      XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  Sync();
}

void XConn::Tap(std::uint32_t keysym, Ms held) {
  Key(keysym, true);
  std::this_thread::sleep_for(held);
  Key(keysym, false);
}

void XConn::MovePointer(int x, int y) {
  xcb_test_fake_input(c_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_,
                      static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
  Sync();
}

void XConn::Click(int x, int y, int button) {
  MovePointer(x, y);
  const auto b = static_cast<std::uint8_t>(button);
  xcb_test_fake_input(c_, XCB_BUTTON_PRESS, b, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  Sync();
  std::this_thread::sleep_for(Ms(30));
  xcb_test_fake_input(c_, XCB_BUTTON_RELEASE, b, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  Sync();
}

void XConn::SetDesktopColour(std::uint32_t rgb) {
  xcb_change_window_attributes(c_, root_, XCB_CW_BACK_PIXEL, &rgb);
  xcb_clear_area(c_, 0, root_, 0, 0, 0, 0);
  Sync();
}

void XConn::SetWorkArea(const plat::Rect& r) {
  const std::uint32_t v[4] = {static_cast<std::uint32_t>(r.left), static_cast<std::uint32_t>(r.top),
                              static_cast<std::uint32_t>(r.Width()),
                              static_cast<std::uint32_t>(r.Height())};
  xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, Atom("_NET_WORKAREA"), XCB_ATOM_CARDINAL,
                      32, 4, v);
  Sync();
}

void XConn::SendFakeConfigure(std::uint32_t window, int width, int height) {
  xcb_configure_notify_event_t ev{};
  ev.response_type = XCB_CONFIGURE_NOTIFY;
  ev.event = ev.window = window;
  ev.width = static_cast<std::uint16_t>(width);
  ev.height = static_cast<std::uint16_t>(height);
  xcb_send_event(c_, 0, window, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char*>(&ev));
  Sync();
}

void XConn::Resize(std::uint32_t window, int width, int height) {
  const std::uint32_t v[] = {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
  xcb_configure_window(c_, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, v);
  Sync();
}

void XConn::SendDeleteWindow(std::uint32_t window) {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = window;
  ev.type = Atom("WM_PROTOCOLS");
  ev.data.data32[0] = Atom("WM_DELETE_WINDOW");
  xcb_send_event(c_, 0, window, 0, reinterpret_cast<const char*>(&ev));
  Sync();
}

void XConn::Unmap(std::uint32_t window) {
  xcb_unmap_window(c_, window);
  Sync();
}

void XConn::Destroy(std::uint32_t window) {
  xcb_destroy_window(c_, window);
  Sync();
}

void XConn::Iconify(std::uint32_t window) {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = window;
  ev.type = Atom("WM_CHANGE_STATE");
  ev.data.data32[0] = 3;  // IconicState
  xcb_send_event(c_, 0, root_,
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&ev));
  Sync();
}

std::uint32_t XConn::SelectionOwner(const std::string& name) {
  Reply r(xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, Atom(name.c_str())), nullptr));
  return r ? r->owner : 0;
}

std::uint32_t XConn::TakeSelection(const std::string& name) {
  const std::uint32_t before = SelectionOwner(name);
  const xcb_window_t w = xcb_generate_id(c_);
  xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_set_selection_owner(c_, w, Atom(name.c_str()), XCB_CURRENT_TIME);
  Sync();
  return before;
}

bool XConn::GrabKeyboard() {
  Reply r(xcb_grab_keyboard_reply(
      c_, xcb_grab_keyboard(c_, 0, root_, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
      nullptr));
  return r && r->status == XCB_GRAB_STATUS_SUCCESS;
}

void XConn::UngrabKeyboard() {
  xcb_ungrab_keyboard(c_, XCB_CURRENT_TIME);
  Sync();
}

void XConn::ForceScreenSaver(bool on) {
  xcb_force_screen_saver(c_, on ? XCB_SCREEN_SAVER_ACTIVE : XCB_SCREEN_SAVER_RESET);
  Sync();
}

bool XConn::SaveScreen(const std::string& path) {
  const std::vector<std::uint32_t> px = Pixels({0, 0, width_, height_});
  if (px.empty()) return false;
  std::ofstream f(path, std::ios::binary);
  f << "P6\n" << width_ << " " << height_ << "\n255\n";
  for (std::uint32_t p : px) {
    const char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
    f.write(rgb, 3);
  }
  return static_cast<bool>(f);
}

void XConn::WatchMoves(std::uint32_t window) {
  const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &mask);
  Sync();
}

std::optional<XConn::Move> XConn::NextMove(Ms limit) {
  const Clock::time_point end = Clock::now() + limit;
  for (;;) {
    while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
      const Clock::time_point at = Clock::now();
      const bool configure = (e->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY;
      std::optional<Move> m;
      if (configure) {
        const auto* ev = reinterpret_cast<xcb_configure_notify_event_t*>(e);
        m = Move{at, ev->window, ev->x, ev->y};
      }
      std::free(e);
      if (m) return m;
    }
    const auto left = std::chrono::duration_cast<Ms>(end - Clock::now()).count();
    if (left <= 0 || xcb_connection_has_error(c_)) return std::nullopt;
    pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
    poll(&p, 1, static_cast<int>(left));
  }
}

// --- Program -------------------------------------------------------------

Program::Program(const std::string& binary, const std::string& display,
                 const std::vector<std::string>& args, const std::string& dir) {
  const std::string runtime = dir + "/runtime";
  mkdir(runtime.c_str(), 0700);
  std::vector<std::string> env =
      EnvironmentWithout({"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM"});
  env.push_back("DISPLAY=" + display);
  env.push_back("XDG_RUNTIME_DIR=" + runtime);
  env.push_back("QT_QPA_PLATFORM=xcb");
  std::vector<std::string> argv{binary};
  argv.insert(argv.end(), args.begin(), args.end());
  errFile_ = dir + "/program.err";
  child_.emplace(argv, env, dir + "/program.out", errFile_);
}

std::string Program::Stderr() const {
  std::ifstream f(errFile_);
  std::stringstream s;
  s << f.rdbuf();
  const std::string all = s.str();
  return all.size() > 4000 ? all.substr(all.size() - 4000) : all;
}

namespace {

// The time every living thread has run, from the scheduler's nanosecond
// figures; negative when the kernel keeps none.
double ScheduledSeconds(pid_t pid) {
  std::error_code ec;
  double total = 0;
  bool any = false;
  for (const auto& task : std::filesystem::directory_iterator(
           "/proc/" + std::to_string(pid) + "/task", ec)) {
    std::ifstream f(task.path() / "schedstat");
    double ns = 0;
    if (f >> ns) {
      total += ns;
      any = true;
    }
  }
  return any && total > 0 ? total / 1e9 : -1;
}

// User and system time in clock ticks (10 ms each on most kernels).
double TickedSeconds(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(f, line)) return -1;
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(line.substr(close + 2));
  std::string field;
  double utime = -1;
  double stime = -1;
  // Fields from the third on: state is 3, utime 14, stime 15.
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stod(field);
    if (i == 15) stime = std::stod(field);
  }
  if (utime < 0 || stime < 0) return -1;
  return (utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace

double CpuSeconds(pid_t pid) {
  const double scheduled = ScheduledSeconds(pid);
  return scheduled >= 0 ? scheduled : TickedSeconds(pid);
}

std::optional<Window> WaitingTitle(const std::vector<Window>& mapped, int scale) {
  bool lamps = false;
  std::optional<Window> title;
  for (const Window& w : mapped) {
    if (w.name == "frmShe") lamps = true;
    if (w.name == "frmSTAFF" && w.rect.Width() == 300 * scale && w.rect.Height() == 48 * scale) {
      title = w;
    }
  }
  return lamps ? title : std::nullopt;
}

}  // namespace e2e
