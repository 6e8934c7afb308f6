// The program among other windows: the session and the test's own windows.
#include "e2e/desktop.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "game/base/pictures.h"
#include "game/base/shape_table.h"

#ifndef ZB_PROGRAM
#error "ZB_PROGRAM names the program under test"
#endif

namespace e2e {
namespace {

constexpr std::uint32_t kDesktopColour = 0x3a6ea5;

bool IsSprite(const Window& w) { return w.name.rfind("frm", 0) == 0; }

// The test's own environment plus `extra` ("NAME=value"), for the program:
// the harness passes the test's environment on.
class ScopedEnv {
 public:
  explicit ScopedEnv(const std::vector<std::string>& extra) {
    for (const std::string& e : extra) {
      const std::string name = e.substr(0, e.find('='));
      const char* old = std::getenv(name.c_str());
      saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
      setenv(name.c_str(), e.substr(name.size() + 1).c_str(), 1);
    }
  }
  ~ScopedEnv() {
    for (const auto& [name, old] : saved_) {
      if (old) {
        setenv(name.c_str(), old->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// What xrdb would load: the root's RESOURCE_MANAGER string.
void SetRootResources(const std::string& display, const std::string& resources) {
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  if (!xcb_connection_has_error(c)) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING,
                        8, static_cast<std::uint32_t>(resources.size()), resources.data());
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  }
  xcb_disconnect(c);
}

}  // namespace

// --- Bystander -------------------------------------------------------------

Bystander::Bystander(const std::string& display, const plat::Rect& where, std::uint32_t rgb) {
  c_ = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(c_)) return;
  const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
  window_ = xcb_generate_id(c_);
  const std::uint32_t values[] = {rgb, XCB_EVENT_MASK_BUTTON_PRESS};
  xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, s->root,
                    static_cast<std::int16_t>(where.left), static_cast<std::int16_t>(where.top),
                    static_cast<std::uint16_t>(where.Width()), static_cast<std::uint16_t>(where.Height()),
                    0, XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual,
                    XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
  static const char kName[] = "bystander";
  xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      sizeof kName - 1, kName);
  static const char kClass[] = "bystander\0Bystander";
  xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                      sizeof kClass, kClass);
  // WM_HINTS: takes the input focus when given it, as ordinary windows do.
  const std::uint32_t hints[9] = {1, 1, 0, 0, 0, 0, 0, 0, 0};
  xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9,
                      hints);
  Map();
}

void Bystander::Map() {
  xcb_map_window(c_, window_);
  std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
}

void Bystander::Restack(bool top) {
  const std::uint32_t mode = top ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW;
  xcb_configure_window(c_, window_, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
  std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
}

void Bystander::Activate() {
  const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
  const char name[] = "_NET_ACTIVE_WINDOW";
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, sizeof name - 1, name), nullptr);
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = window_;
  ev.type = atom ? atom->atom : 0;
  ev.data.data32[0] = 2;  // from a pager or task bar: the user's choice
  ev.data.data32[1] = XCB_CURRENT_TIME;
  std::free(atom);
  xcb_send_event(c_, 0, s->root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&ev));
  std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
}

Bystander::~Bystander() {
  if (c_) xcb_disconnect(c_);
}

bool Bystander::AwaitPress(Ms limit) {
  const Clock::time_point end = Clock::now() + limit;
  for (;;) {
    while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
      const bool press = (e->response_type & 0x7f) == XCB_BUTTON_PRESS;
      std::free(e);
      if (press) return true;
    }
    const auto left = std::chrono::duration_cast<Ms>(end - Clock::now()).count();
    if (left <= 0 || xcb_connection_has_error(c_)) return false;
    pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
    poll(&p, 1, static_cast<int>(left));
  }
}

// --- the session -----------------------------------------------------------

void DesktopTest::StartDesktop(const DesktopOptions& options) {
  options_ = options;
  dir_ = std::make_unique<TempDir>();
  ASSERT_FALSE(dir_->path().empty()) << "no temporary directory";
  xvfb_ = std::make_unique<Xvfb>(options.width, options.height, dir_->path());
  ASSERT_FALSE(xvfb_->display().empty()) << xvfb_->error();
  x_ = std::make_unique<XConn>(xvfb_->display());
  ASSERT_TRUE(x_->ok()) << "cannot connect to " << xvfb_->display();
  setenv("DISPLAY", xvfb_->display().c_str(), 1);  // the tests' X client connects there
  client_ = std::make_unique<xtest::XClient>();
  x_->SetDesktopColour(kDesktopColour);
  if (options.workArea) x_->SetWorkArea(*options.workArea);
  if (!options.resources.empty()) SetRootResources(xvfb_->display(), options.resources);
  if (options.windowManager) {
    std::vector<std::string> env{"DISPLAY=" + xvfb_->display(), "HOME=" + dir_->path(),
                                 "PATH=" + std::string(std::getenv("PATH") ? std::getenv("PATH") : "")};
    wm_.emplace(std::vector<std::string>{"openbox", "--sm-disable"}, env, dir_->path() + "/wm.out",
                dir_->path() + "/wm.err");
    const bool up = WaitUntil(
        [&] { return !Client().Cardinals(Client().Root(), "_NET_SUPPORTING_WM_CHECK").empty(); },
        Ms(30000), Ms(20));
    ASSERT_TRUE(up) << "openbox did not start";
    // Openbox announces itself before it manages windows, and a window
    // mapped in between stays unmapped: wait until a probe gets its frame.
    Bystander probe(xvfb_->display(), {0, 0, 8, 8}, 0);
    const bool managing = WaitUntil(
        [&] {
          if (TopLevel(probe.id()) != probe.id()) return true;
          probe.Map();
          return false;
        },
        Ms(30000), Ms(200));
    ASSERT_TRUE(managing) << "openbox does not manage windows";
  }
  if (options.compositor) {
    std::vector<std::string> env{"DISPLAY=" + xvfb_->display(), "HOME=" + dir_->path(),
                                 "PATH=" + std::string(std::getenv("PATH") ? std::getenv("PATH") : "")};
    compositor_.emplace(std::vector<std::string>{"picom", "--backend", "xrender", "--shadow"}, env,
                        dir_->path() + "/compositor.out", dir_->path() + "/compositor.err");
    ASSERT_TRUE(WaitUntil([&] { return Client().SelectionOwner("_NET_WM_CM_S0") != 0; }, Ms(30000), Ms(20)))
        << "picom did not start";
  }
}

Program& DesktopTest::StartProgram(const std::vector<std::string>& env,
                                   const std::vector<std::string>& args) {
  // The server hands a new program the window ids of one that ended, and
  // XConn keeps the names it has seen by id: a fresh connection forgets them.
  x_ = std::make_unique<XConn>(xvfb_->display());
  ScopedEnv scoped(env);
  const std::string dir = dir_->path() + "/program" + std::to_string(programs_.size());
  std::filesystem::create_directory(dir);
  programs_.push_back(std::make_unique<Program>(ZB_PROGRAM, xvfb_->display(), args, dir));
  return *programs_.back();
}

void DesktopTest::TearDown() {
  for (auto& p : programs_) {
    if (HasFailure()) std::fprintf(stderr, "program stderr:\n%s\n", p->Stderr().c_str());
    p->child().Stop();
  }
  programs_.clear();
  client_.reset();
  x_.reset();
  compositor_.reset();
  wm_.reset();
  xvfb_.reset();
  dir_.reset();
}

int DesktopTest::WorkBottom() const {
  return options_.workArea ? options_.workArea->bottom : options_.height;
}

std::optional<Window> DesktopTest::WaitForTitle(Program& game, int scale) {
  std::optional<Window> title;
  WaitUntil(
      [&] {
        if (!game.Running()) return true;
        title = WaitingTitle(x_->Mapped(), scale);
        return title.has_value();
      },
      Ms(60000), Ms(10));
  return title;
}

void DesktopTest::StartPlaying() {
  x_->Tap(key::kSpace, Ms(60));
  ASSERT_TRUE(WaitUntil([&] { return x_->Named("frmSTAFF").empty(); }, Ms(10000)))
      << "Space did not end the title wait";
  ASSERT_TRUE(WaitUntil([&] { return x_->One("frmC").has_value(); }, Ms(10000)))
      << "no launch balloon";
  // Home: invincible, so that the unsteered ship does not lose the game
  // while a case looks at something else.
  x_->Tap(key::kHome);
}

Window DesktopTest::Get(const std::string& name) {
  std::optional<Window> w = x_->One(name);
  if (!w) {
    ADD_FAILURE() << "no " << name << " on the screen";
    return Window{};
  }
  return *w;
}

std::vector<Window> DesktopTest::Sprites() {
  std::vector<Window> out;
  for (const Window& w : x_->Mapped()) {
    if (IsSprite(w)) out.push_back(w);
  }
  return out;
}

std::optional<std::pair<int, int>> DesktopTest::VisiblePoint(const Window& target) {
  ServerGrab grab(*x_);
  const std::vector<Window> all = x_->Mapped();
  plat::Region own;
  plat::Region covered;
  bool above = false;
  for (const Window& o : all) {
    plat::Region s = x_->Shape(o.id);
    s.Offset(o.rect.left, o.rect.top);
    if (o.id == target.id) {
      own = s;
      above = true;
    } else if (above) {
      covered.Unite(s);
    }
  }
  // The visible pixel nearest the middle of the window.
  const int cx = (target.rect.left + target.rect.right) / 2;
  const int cy = (target.rect.top + target.rect.bottom) / 2;
  std::optional<std::pair<int, int>> best;
  long bestDistance = 0;
  for (const plat::Rect& r : own.Rects()) {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        const long d = static_cast<long>(x - cx) * (x - cx) + static_cast<long>(y - cy) * (y - cy);
        if ((best && d >= bestDistance) || covered.ContainsPoint(x, y)) continue;
        best = std::make_pair(x, y);
        bestDistance = d;
      }
    }
  }
  return best;
}

std::optional<std::pair<int, int>> DesktopTest::PointOffTheSprites(const plat::Rect& within) {
  ServerGrab grab(*x_);
  plat::Region sprites;
  for (const Window& w : Sprites()) {
    plat::Region s = x_->Shape(w.id);
    s.Offset(w.rect.left, w.rect.top);
    sprites.Unite(s);
  }
  // A point with room around it: the outlines are some pixels away.
  constexpr int kRoom = 3;
  for (int y = within.top + kRoom; y < within.bottom - kRoom; y += 2) {
    for (int x = within.left + kRoom; x < within.right - kRoom; x += 2) {
      if (!sprites.OverlapsRect({x - kRoom, y - kRoom, x + kRoom + 1, y + kRoom + 1})) {
        return std::make_pair(x, y);
      }
    }
  }
  return std::nullopt;
}

std::uint32_t DesktopTest::TopLevel(std::uint32_t window) {
  for (int depth = 0; depth < 8 && window != 0; ++depth) {
    const std::uint32_t parent = client_->Parent(window);
    if (parent == client_->Root()) return window;
    window = parent;
  }
  return 0;
}

bool DesktopTest::ShipMoves(Ms limit) {
  const std::optional<Window> before = x_->One("frmPlayer");
  if (!before) return false;
  return WaitUntil(
      [&] {
        const std::optional<Window> now = x_->One("frmPlayer");
        return now && now->rect != before->rect;
      },
      limit, Ms(10));
}

bool DesktopTest::ShipStandsStill(Ms span) {
  const std::optional<Window> before = x_->One("frmPlayer");
  if (!before) return false;
  const bool moved = WaitUntil(
      [&] {
        const std::optional<Window> now = x_->One("frmPlayer");
        return !now || now->rect != before->rect;
      },
      span, Ms(20));
  return !moved;
}

std::optional<Window> DesktopTest::OpenMenuOn(const std::string& name) {
  const std::optional<Window> target = x_->One(name);
  if (!target) return std::nullopt;
  const std::optional<std::pair<int, int>> at = VisiblePoint(*target);
  if (!at) return std::nullopt;
  std::set<std::uint32_t> before;
  for (const Window& w : x_->Mapped()) before.insert(w.id);
  x_->Click(at->first, at->second, 3);
  std::optional<Window> menu;
  WaitUntil(
      [&] {
        for (const Window& w : x_->Mapped()) {
          if (!before.count(w.id) && !IsSprite(w) && w.overrideRedirect) menu = w;
        }
        return menu.has_value();
      },
      Ms(15000), Ms(10));
  return menu;
}

bool DesktopTest::MenuGone(const Window& menu) {
  return WaitUntil(
      [&] {
        for (const Window& w : x_->Mapped()) {
          if (w.id == menu.id) return false;
        }
        return true;
      },
      Ms(10000), Ms(10));
}

std::uint32_t DesktopTest::FindClient(const std::string& name) {
  // Children of the root, and under a window manager the windows inside its
  // frames.
  std::vector<std::uint32_t> level = client_->Stacking();
  for (int depth = 0; depth < 3 && !level.empty(); ++depth) {
    std::vector<std::uint32_t> next;
    for (std::uint32_t w : level) {
      if (client_->Viewable(w) && client_->WindowName(w) == name) return w;
      for (std::uint32_t c : client_->Children(w)) next.push_back(c);
    }
    level = std::move(next);
  }
  return 0;
}

// --- the program's tables ----------------------------------------------------

plat::Region ShipOutline(int scale) {
  static const bool built = (zb::BuildShapeTable(), true);
  (void)built;
  const zb::RegionRecord& record = zb::RegionTable[10];
  std::vector<plat::Rect> rects;
  for (int i = 0; i < static_cast<int>(record.nCount()); ++i) {
    rects.push_back({record.rect(i, 0) * scale, record.rect(i, 1) * scale, record.rect(i, 2) * scale,
                     record.rect(i, 3) * scale});
  }
  plat::Region out = plat::Region::FromRects(rects);
  out.Intersect(plat::Region(plat::Rect{0, 0, 19 * scale, 10 * scale}));
  return out;
}

const plat::Picture& Icon() { return *zb::ProgramIcon(); }

}  // namespace e2e
