// The fixture of the end-to-end tests.
#include "e2e/game.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <ostream>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "game/parts/balloon/balloon.h"
#include "game/base/pictures.h"
#include "game/base/shape_table.h"

#ifndef ZB_PROGRAM
#error "ZB_PROGRAM names the program under test"
#endif

namespace e2e {
namespace {

plat::Region FromRecordWords(const std::uint32_t* words, int width, int height) {
  std::vector<plat::Rect> rects;
  const auto count = static_cast<int>(words[2]);
  for (int i = 0; i < count; ++i) {
    const std::uint32_t* r = words + 8 + 4 * i;
    rects.push_back({static_cast<std::int32_t>(r[0]), static_cast<std::int32_t>(r[1]),
                     static_cast<std::int32_t>(r[2]), static_cast<std::int32_t>(r[3])});
  }
  plat::Region out = plat::Region::FromRects(rects);
  out.Intersect(plat::Region(plat::Rect{0, 0, width, height}));
  return out;
}

// The window as it is now, found by its id.
std::optional<Window> Fresh(const std::vector<Window>& all, const Window& w) {
  for (const Window& o : all) {
    if (o.id == w.id) return o;
  }
  return std::nullopt;
}

std::string Hex(std::uint32_t rgb) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%06x", rgb);
  return buf;
}

}  // namespace

plat::Region TableOutline(int shape, int width, int height) {
  static const bool built = (zb::BuildShapeTable(), true);
  (void)built;
  return FromRecordWords(zb::RegionTable[static_cast<std::size_t>(shape)].words.data(), width,
                         height);
}

plat::Region BalloonCapOutline(int record, int width, int height) {
  static const bool built = (zb::BuildBalloonShapes(), true);
  (void)built;
  return FromRecordWords(zb::BalloonTable[static_cast<std::size_t>(record)].words.data(), width,
                         height);
}

const plat::Picture* Picture(int shape) { return zb::ShapePicture(shape); }

bool TailTipIn(const Balloon& b, const plat::Rect& speaker) {
  const int row = b.left.rect.top + 17;
  plat::Region tip = b.outline;
  tip.Intersect(plat::Region(plat::Rect{0, row, 1 << 16, row + 1}));
  plat::Region inside = tip;
  inside.Intersect(plat::Region(speaker));
  return !tip.IsEmpty() && inside == tip;
}

plat::Region ExpectedBalloon(int kind, int left, int top, int centreWidth) {
  const int leftWidth = kind == 0 ? 8 : 7;
  const int rightWidth = kind == 0 ? 7 : 8;
  plat::Region out = BalloonCapOutline(kind == 0 ? 0 : 2, leftWidth, 18);
  out.Offset(left, top);
  out.Unite(plat::Rect{left + leftWidth, top + 1, left + leftWidth + centreWidth, top + 16});
  plat::Region right = BalloonCapOutline(kind == 0 ? 1 : 3, rightWidth, 18);
  right.Offset(left + leftWidth + centreWidth, top);
  out.Unite(right);
  return out;
}

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

void Bystander::Focus() {
  xcb_set_input_focus(c_, XCB_INPUT_FOCUS_POINTER_ROOT, window_, XCB_CURRENT_TIME);
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

// --- the fixture -----------------------------------------------------------

namespace {

// The test that runs now, for the listener below.
GameTest* running = nullptr;

// Takes a picture of the screen when a check fails, while the program is
// still as it was.
class ScreenAtFailure : public ::testing::EmptyTestEventListener {
  void OnTestPartResult(const ::testing::TestPartResult& result) override {
    if (result.failed() && running) running->SaveScreenAtFailure();
  }
};

}  // namespace

void GameTest::StartServer(const GameOptions& options) {
  static ::testing::TestEventListener* listener = [] {
    auto* l = new ScreenAtFailure;
    ::testing::UnitTest::GetInstance()->listeners().Append(l);
    return l;
  }();
  (void)listener;
  running = this;
  // Asked here: gtest's lock is held while a failure is reported.
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  testName_ = std::string(info->test_suite_name()) + "." + info->name();
  std::replace(testName_.begin(), testName_.end(), '/', '_');
  options_ = options;
  dir_ = std::make_unique<TempDir>();
  ASSERT_FALSE(dir_->path().empty()) << "no temporary directory";
  std::vector<std::string> desktop;
  if (options.windowManager) desktop.push_back("openbox --sm-disable");
  if (options.compositor) desktop.push_back("picom --backend xrender --shadow");
  desktop.insert(desktop.end(), options.desktop.begin(), options.desktop.end());
  std::vector<std::unique_ptr<Launcher>> launchers;
  for (const std::string& command : desktop) {
    launchers.push_back(MakeLauncher(command));
    ASSERT_TRUE(launchers.back()) << "no launcher for " << command;
  }
  std::size_t next = 0;
  if (!launchers.empty() && launchers.front()->ServesX()) {
    // A Wayland compositor's XWayland is the X server.
    ASSERT_NO_FATAL_FAILURE(StartDesktopProgram(std::move(launchers[next++]), desktop.front()));
    display_ = desktop_.back()->Display();
    ASSERT_FALSE(display_.empty()) << desktop.front() << " serves no X display";
  } else {
    xvfb_ = std::make_unique<Xvfb>(options.width, options.height, dir_->path());
    ASSERT_FALSE(xvfb_->display().empty()) << xvfb_->error();
    display_ = xvfb_->display();
  }
  // Commands a test runs (xrandr) work on the private server too.
  setenv("DISPLAY", display_.c_str(), 1);
  x_ = std::make_unique<XClient>(display_);
  ASSERT_TRUE(x_->ok()) << "cannot connect to " << display_;
  ASSERT_EQ(x_->width(), options.width);
  ASSERT_EQ(x_->height(), options.height);
  if (!desktop_.empty() && desktop_.front()->ServesX()) {
    // XWayland has no picture of the whole screen: the screen is read from
    // the compositor's own screenshots.
    Launcher* compositor = desktop_.front().get();
    const std::string ppm = dir_->path() + "/screen.ppm";
    ASSERT_TRUE(compositor->Screenshot(ppm)) << desktop.front() << " takes no screenshot";
    screenFromScreenshots_ = true;
    x_->ReadScreenWith(
        [compositor, ppm](const plat::Rect& r) {
          std::vector<std::uint32_t> out;
          if (!compositor->Screenshot(ppm)) return out;
          const PpmImage shot = ReadPpm(ppm);
          if (r.left < 0 || r.top < 0 || r.right > shot.width || r.bottom > shot.height) return out;
          for (int y = r.top; y < r.bottom; ++y) {
            const auto row = shot.pixels.begin() + static_cast<std::ptrdiff_t>(y) * shot.width;
            out.insert(out.end(), row + r.left, row + r.right);
          }
          return out;
        },
        true);
  }
  x_->SetDesktopColour(kDesktop);
  if (options.workArea) x_->SetWorkArea(*options.workArea);
  // What xrdb would load (Xft.dpi).
  if (!options.resources.empty()) x_->SetStringProperty(x_->Root(), "RESOURCE_MANAGER", options.resources);
  for (; next < launchers.size(); ++next) {
    ASSERT_NO_FATAL_FAILURE(StartDesktopProgram(std::move(launchers[next]), desktop[next]));
  }
}

void GameTest::StartDesktopProgram(std::unique_ptr<Launcher> launcher, const std::string& command) {
  const std::string started = launcher->Start({display_, dir_->path(), options_.width, options_.height, kDesktop});
  desktop_.push_back(std::move(launcher));
  ASSERT_EQ(started, "") << command;
  const std::string ready = desktop_.back()->WaitReady(Ms(30000));
  ASSERT_EQ(ready, "") << command << " is not ready";
}

Program& GameTest::StartProgram(const std::vector<std::string>& env,
                                const std::vector<std::string>& args) {
  const std::string dir = dir_->path() + "/program" + std::to_string(programs_.size());
  std::filesystem::create_directory(dir);
  programs_.push_back(std::make_unique<Program>(ZB_PROGRAM, display_, args, dir, env));
  return *programs_.back();
}

Program& GameTest::StartNativeProgram(const std::vector<std::string>& args) {
  const std::string dir = dir_->path() + "/program" + std::to_string(programs_.size());
  std::filesystem::create_directory(dir);
  const std::vector<std::string> env =
      desktop_.empty() ? std::vector<std::string>{} : desktop_.front()->WaylandEnvironment();
  programs_.push_back(std::make_unique<Program>(ZB_PROGRAM, "", args, dir, env));
  return *programs_.back();
}

void GameTest::StartGame(const GameOptions& options) {
  ASSERT_NO_FATAL_FAILURE(StartServer(options));
  ASSERT_GT(StartProgram(options.env, options.args).pid(), 0) << "the program did not start";
}

void GameTest::SaveScreenAtFailure() {
  if (screenSaved_ || !x_ || !x_->ok()) return;
  screenSaved_ = true;
  const std::string shot = (std::filesystem::current_path() / ("e2e-" + testName_ + ".ppm")).string();
  if (x_->SaveScreen(shot)) std::fprintf(stderr, "the screen at the failure: %s\n", shot.c_str());
}

void GameTest::TearDown() {
  running = nullptr;
  for (auto& p : programs_) {
    if (HasFailure()) std::fprintf(stderr, "program stderr:\n%s\n", p->Stderr().c_str());
    p->child().Stop();
  }
  programs_.clear();
  x_.reset();
  // The compositor before the window manager, and the server last.
  while (!desktop_.empty()) desktop_.pop_back();
  xvfb_.reset();
  dir_.reset();
}

bool GameTest::Looks(std::uint32_t seen, std::uint32_t want) const {
  if (seen == want) return true;
  if (!shadowsAllowed_) return false;
  // Darkened alike in each channel, by a shadow up to 80 % black.
  for (int shift : {16, 8, 0}) {
    const int s = static_cast<int>((seen >> shift) & 0xff);
    const int w = static_cast<int>((want >> shift) & 0xff);
    if (s > w || s * 5 < w - 5) return false;
  }
  return true;
}

int GameTest::WorkBottom() const {
  return options_.workArea ? options_.workArea->bottom : options_.height;
}

std::optional<Window> GameTest::WaitForTitleOf(Program& game, Ms limit, int scale) {
  std::optional<Window> title;
  WaitUntil(
      [&] {
        if (!game.Running()) return true;
        title = WaitingTitle(x_->Mapped(), scale);
        return title.has_value();
      },
      limit, Ms(10));
  return title;
}

std::optional<Window> GameTest::WaitForTitle(Ms limit) { return WaitForTitleOf(Game(), limit, 1); }

std::optional<Window> GameTest::WaitForTitle(Program& game, int scale) {
  return WaitForTitleOf(game, Ms(60000), scale);
}

void GameTest::StartPlaying() {
  ASSERT_NO_FATAL_FAILURE(PressSpaceAtTitle());
  ASSERT_TRUE(WaitUntil([&] { return x_->One("frmC").has_value(); }, Ms(10000)))
      << "no launch balloon";
  ASSERT_TRUE(WaitUntil([&] { return !x_->One("frmC").has_value(); }, Ms(10000)))
      << "the launch balloon stays";
  // Home once the stage runs (a press made before its first frame does not
  // count): invincible, so that the unsteered ship does not lose the game
  // while a case looks at something else. The ship's first move shows the
  // frames running; where the boss comes at once the ship stands still, and
  // the press waits a little longer instead.
  ShipMoves(*x_, Ms(2000));
  x_->Tap(key::kHome);
}

std::uint32_t GameTest::TopLevel(std::uint32_t window) {
  for (int depth = 0; depth < 8 && window != 0; ++depth) {
    const std::uint32_t parent = x_->Parent(window);
    if (parent == x_->Root()) return window;
    window = parent;
  }
  return 0;
}

void GameTest::PressSpaceAtTitle() {
  x_->Tap(key::kSpace, Ms(60));
  const bool gone = WaitUntil([&] { return x_->Named("frmSTAFF").empty(); }, Ms(10000));
  ASSERT_TRUE(gone) << "Space did not end the title wait";
}

std::optional<Balloon> GameTest::ReadBalloon() {
  std::optional<Window> l, c, r;
  for (const Window& w : x_->Mapped()) {
    if (w.name == "frmL") l = w;
    if (w.name == "frmC") c = w;
    if (w.name == "frmR") r = w;
  }
  if (!l || !c || !r) return std::nullopt;
  Balloon b{*l, *c, *r, {}};
  for (const Window* w : {&b.left, &b.centre, &b.right}) {
    plat::Region part = x_->Outline(w->id);
    part.Offset(w->rect.left, w->rect.top);
    b.outline.Unite(part);
  }
  return b;
}

std::optional<Balloon> GameTest::WaitForBalloon(Ms limit) {
  std::optional<Balloon> b;
  WaitUntil([&] { return (b = ReadBalloon()).has_value(); }, limit, Ms(5));
  return b;
}

bool GameTest::BalloonGone() {
  for (const Window& w : x_->Mapped()) {
    if (w.name == "frmL" || w.name == "frmC" || w.name == "frmR") return false;
  }
  return true;
}

std::vector<Pixel> GameTest::VisiblePixels(const Window& window,
                                                    const plat::Region& within) {
  ServerGrab grab(*x_);
  const std::vector<Window> all = x_->Mapped();
  const std::optional<Window> now = Fresh(all, window);
  if (!now) return {};
  const Window& w = *now;
  plat::Region covered;
  bool above = false;
  for (const Window& o : all) {
    if (o.id == w.id) {
      above = true;
      continue;
    }
    if (!above) continue;
    plat::Region s = x_->Outline(o.id);
    s.Offset(o.rect.left, o.rect.top);
    covered.Unite(s);
  }
  const std::vector<std::uint32_t> px = x_->Pixels(w.rect);
  std::vector<Pixel> out;
  if (px.empty()) return out;
  for (const plat::Rect& r : within.Rects()) {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) {
        const int sx = w.rect.left + x;
        const int sy = w.rect.top + y;
        if (covered.ContainsPoint(sx, sy)) continue;
        if (x < 0 || y < 0 || x >= w.rect.Width() || y >= w.rect.Height()) continue;
        out.push_back({sx, sy, px[static_cast<std::size_t>(y * w.rect.Width() + x)]});
      }
    }
  }
  return out;
}

Window GameTest::Get(const std::string& name) {
  std::optional<Window> w = x_->One(name);
  if (!w) {
    ADD_FAILURE() << "no " << name << " on the screen";
    return Window{};
  }
  return *w;
}

bool GameTest::WaitForColour(const Window& w, const plat::Region& within, std::uint32_t rgb,
                             Ms limit) {
  return WaitUntil(
      [&] {
        const std::vector<Pixel> px = VisiblePixels(w, within);
        for (const Pixel& p : px) {
          if (!Looks(p.rgb, rgb)) return false;
        }
        return !px.empty();
      },
      limit, Ms(20));
}

GameTest::PictureCheck GameTest::ComparePicture(const Window& window, const plat::Picture& pic) {
  PictureCheck c;
  ServerGrab grab(*x_);
  const std::vector<Window> all = x_->Mapped();
  const std::optional<Window> now = Fresh(all, window);
  if (!now) {
    c.problem = window.name + " is not mapped";
    return c;
  }
  const Window& w = *now;
  const plat::Region outline = x_->Outline(w.id);
  for (const Pixel& p : VisiblePixels(w, outline)) {
    const int x = p.x - w.rect.left;
    const int y = p.y - w.rect.top;
    if (x >= pic.width || y >= pic.height) continue;
    const std::uint32_t want = pic.pixels[y * pic.width + x] & 0xffffff;
    ++c.checked;
    if (!Looks(p.rgb, want) && ++c.wrong <= 5) {
      c.first += " (" + std::to_string(x) + "," + std::to_string(y) + ") " + Hex(p.rgb) + " not " + Hex(want);
    }
  }
  // Outside the outline the desktop shows, where no other window lies.
  plat::Region others;
  for (const Window& o : all) {
    if (o.id != w.id) others.Unite(o.rect);
  }
  const std::vector<std::uint32_t> px = x_->Pixels(w.rect);
  if (px.empty()) c.problem = "no pixels of " + w.name;
  for (int y = 0; y < w.rect.Height() && !px.empty(); ++y) {
    for (int x = 0; x < w.rect.Width(); ++x) {
      if (outline.ContainsPoint(x, y) || others.ContainsPoint(w.rect.left + x, w.rect.top + y)) continue;
      const std::uint32_t p = px[static_cast<std::size_t>(y * w.rect.Width() + x)];
      if (!Looks(p, kDesktop) && ++c.leaks <= 3) {
        c.first += " leak (" + std::to_string(x) + "," + std::to_string(y) + ") " + Hex(p);
      }
    }
  }
  return c;
}

bool GameTest::ExpectShowsPicture(const Window& window, int shape) {
  const plat::Picture* pic = Picture(shape);
  if (!pic) {
    ADD_FAILURE() << "no picture " << shape;
    return false;
  }
  // A window is mapped, moved or given a picture a moment before the
  // program's next yield paints it: a wrong picture is one that stays.
  PictureCheck c;
  WaitUntil([&] { return (c = ComparePicture(window, *pic)).ok(); }, Ms(3000), Ms(20));
  EXPECT_EQ(c.problem, "");
  EXPECT_GT(c.checked, 0) << window.name << ": no pixel of the picture can be seen";
  EXPECT_EQ(c.wrong, 0) << window.name << " does not show picture " << shape << " at 1:1:" << c.first;
  EXPECT_EQ(c.leaks, 0) << window.name << ": pixels outside the outline are not the desktop:" << c.first;
  return c.ok();
}

GameTest::Motion GameTest::FollowMoves(const Window& w, Ms span, Ms limit) {
  x_->WatchMoves(w.id);
  while (x_->NextMove(Ms(0))) {
  }
  Motion m;
  int x = w.rect.left;
  int y = w.rect.top;
  std::optional<XClient::Move> first;
  const Clock::time_point end = Clock::now() + limit;
  while (Clock::now() < end) {
    const std::optional<XClient::Move> move =
        x_->NextMove(std::chrono::duration_cast<Ms>(end - Clock::now()));
    if (!move) break;
    if (move->window != w.id || (move->x == x && move->y == y)) continue;
    x = move->x;
    y = move->y;
    ++m.moves;
    if (!first) first = move;
    m.dx = x - first->x;
    m.dy = y - first->y;
    m.spanMs = std::chrono::duration<double, std::milli>(move->at - first->at).count();
    if (m.spanMs >= static_cast<double>(span.count())) break;
  }
  return m;
}

void GameTest::ExpectAllOverrideRedirect() {
  for (const Window& w : x_->Mapped()) {
    if (w.name.rfind("frm", 0) == 0) {
      EXPECT_TRUE(w.overrideRedirect) << w.name << " is left to a window manager";
    }
  }
}

void GameTest::ExpectRunning() {
  const std::optional<int> status = Game().child().Status();
  EXPECT_FALSE(status.has_value()) << "the program ended with status " << status.value_or(-1);
}

void GameTest::EndThroughMenu() {
  const std::optional<Window> lamps = x_->One("frmShe");
  ASSERT_TRUE(lamps) << "no lamps to click";
  std::set<std::uint32_t> before;
  for (const Window& w : x_->Mapped()) before.insert(w.id);
  x_->Click(lamps->rect.left + 5, lamps->rect.top + 5, 3);
  std::optional<Window> menu;
  WaitUntil(
      [&] {
        for (const Window& w : x_->Mapped()) {
          if (!before.count(w.id) && w.name.rfind("frm", 0) != 0) menu = w;
        }
        return menu.has_value();
      },
      Ms(15000), Ms(10));
  ASSERT_TRUE(menu) << "the right button on a lamp opened no menu";
  x_->WaitForKeyboardGrab(Ms(5000));  // keys typed before reach the game, not the menu
  // The last item ends the program.
  x_->Tap(key::kUp);
  x_->Tap(key::kReturn);
  const std::optional<int> status = Game().child().WaitExit(Ms(60000));
  ASSERT_TRUE(status) << "the end command did not end the program";
  EXPECT_EQ(*status, 0) << Game().Stderr();
}

void GameTest::SteerToTheCore(int stripTop) {
  const Window start = Get("frmPlayer");
  for (int taps = 0; taps < 40; ++taps) {
    const Window now = Get("frmPlayer");
    const int row = now.rect.top - stripTop;
    if (row >= 68) break;
    x_->Tap(key::kDown, Ms(5));  // shorter than a frame: it still counts once
    ASSERT_TRUE(WaitUntil(
        [&] {
          const std::optional<Window> s = x_->One("frmPlayer");
          return s && s->rect.top != now.rect.top;
        },
        Ms(3000), Ms(2)))
        << "the ship does not go down at row " << row;
    // One pixel a frame; two if this process was held up with the key down.
    const int moved = Get("frmPlayer").rect.top - now.rect.top;
    ASSERT_GE(moved, 1) << "the ship goes up on Down";
    ASSERT_LE(moved, 2) << "one tap moved the ship " << moved << " pixels";
  }
  const Window aimed = Get("frmPlayer");
  const int row = aimed.rect.top - stripTop;
  ASSERT_GE(row, 67);
  ASSERT_LE(row, 70);
  EXPECT_EQ(aimed.rect.left, start.rect.left) << "the ship drifts during the boss battle";
}

GameTest::CoreFight GameTest::FightTheBoss(const Window& boss, const FlashShot& atFlash) {
  const plat::Region core = TableOutline(5, 37, 66);
  const auto isWreck = [](const Window& w) { return w.rect.Width() == 61 && w.rect.Height() == 45; };
  CoreFight fight;
  const auto coreColour = [&]() -> std::optional<std::uint32_t> {
    const std::optional<Window> w = x_->One("frmBoss");
    if (!w || isWreck(*w)) {
      fight.wreck = w;
      return std::nullopt;
    }
    // One of the core's colours over the whole core: the one most of its
    // pixels show, the others that colour darkened where a compositor's
    // shadow may fall.
    const std::vector<Pixel> px = VisiblePixels(*w, core);
    if (px.empty()) return std::nullopt;
    std::map<std::uint32_t, int> seen;
    for (const Pixel& p : px) ++seen[p.rgb];
    std::uint32_t most = 0x00ff00u;
    for (std::uint32_t c : {0xfcec80u, 0xff0000u, 0xffffffu}) {
      if (seen[c] > seen[most]) most = c;
    }
    const bool whole = seen[most] > 0 &&
                       std::all_of(px.begin(), px.end(), [&](const Pixel& p) { return Looks(p.rgb, most); });
    if (!whole) {
      fight.mixed = std::to_string(px.size()) + " pixels:";
      for (const auto& [rgb, n] : seen) {
        if (n * 20 >= static_cast<int>(px.size())) fight.mixed += " " + Hex(rgb) + " x" + std::to_string(n);
      }
    }
    return whole ? std::optional(most) : std::nullopt;
  };
  // Whether the server holds the core white: quick to read where a look at
  // the screen is not.
  const auto whiteInServer = [&] {
    const std::optional<Window> w = x_->One("frmBoss");
    if (!w || isWreck(*w)) {
      fight.wreck = w;
      return false;
    }
    const std::vector<std::uint32_t> px = x_->WindowPixels(w->id);
    if (px.size() != static_cast<std::size_t>(w->rect.Width() * w->rect.Height())) return false;
    for (const plat::Rect& r : core.Rects()) {
      for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
          if ((px[static_cast<std::size_t>(y * w->rect.Width() + x)] & 0xffffff) != 0xffffff) return false;
        }
      }
    }
    return true;
  };
  // A look at a compositor's screenshot takes some 250 ms, in which held
  // fire takes 4 of the boss's 10 strengths: there each volley ends as soon
  // as the server has the core white, and the screen is looked at once
  // then, within the flash's 100 ms after the last hit.
  const bool slowScreen = ScreenFromScreenshots();
  const plat::Rect screen{0, 0, options_.width, options_.height};
  const Clock::time_point fightStart = Clock::now();
  bool shown = false;  // atFlash has had its screen
  while (!fight.wreck && MsSince(fightStart) < 60000) {
    bool whiteOnScreen = false;
    x_->Key(key::kSpace, true);
    bool flashed = false;
    if (slowScreen) {
      flashed = WaitUntil([&] { return fight.wreck || whiteInServer(); }, Ms(3000), Ms(5));
    } else {
      flashed = WaitUntil([&] { return fight.wreck || coreColour() == 0xffffff; }, Ms(3000), Ms(5));
    }
    x_->Key(key::kSpace, false);
    if (flashed && !fight.wreck && atFlash && !shown) {
      // The whole screen, while the flash lasts: for atFlash when it shows
      // the core white.
      const std::optional<Window> w = x_->One("frmBoss");
      const std::vector<std::uint32_t> px = x_->Pixels(screen);
      bool white = w && !isWreck(*w) && px.size() == static_cast<std::size_t>(screen.Width() * screen.Height());
      for (const plat::Rect& r : core.Rects()) {
        for (int y = r.top; y < r.bottom && white; ++y) {
          for (int x = r.left; x < r.right && white; ++x) {
            white = px[static_cast<std::size_t>((w->rect.top + y) * screen.Width() + w->rect.left + x)] == 0xffffff;
          }
        }
      }
      if (white) {
        atFlash(px, screen.Width(), screen.Height());
        shown = whiteOnScreen = true;
      }
    }
    if (slowScreen && flashed && !fight.wreck) flashed = whiteOnScreen || coreColour() == 0xffffff;
    fight.flashes += flashed && !fight.wreck;
    std::optional<std::uint32_t> settled;
    WaitUntil([&] {
      settled = coreColour();
      return fight.wreck || (settled && *settled != 0xffffff);
    }, Ms(3000), Ms(10));
    if (settled && *settled != 0xffffff) fight.strengths.push_back(*settled);
    // The next volley after the shake, so that the boss falls at its place.
    std::this_thread::sleep_for(Ms(400));
    WaitUntil([&] {
      const std::optional<Window> w = x_->One("frmBoss");
      return fight.wreck || !w || w->rect.left == boss.rect.left;
    }, Ms(3000), Ms(10));
  }
  return fight;
}

void GameTest::ExpectCoreColours(const CoreFight& fight, int flashes) {
  ASSERT_TRUE(fight.wreck) << "the boss does not fall";
  EXPECT_GE(fight.flashes, flashes) << "the core does not flash white at the hits; " << fight.mixed;
  const std::vector<std::uint32_t>& s = fight.strengths;
  const auto at = [&](std::uint32_t rgb) { return std::find(s.begin(), s.end(), rgb) - s.begin(); };
  const auto count = static_cast<std::ptrdiff_t>(s.size());
  EXPECT_LT(at(0xfcec80), count) << "the core never turns pale yellow";
  EXPECT_LT(at(0xff0000), count) << "the core never turns red";
  EXPECT_LT(at(0xfcec80), at(0xff0000)) << "red before pale yellow";
}

}  // namespace e2e

namespace plat {

void PrintTo(const Rect& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

void PrintTo(const Region& r, std::ostream* os) {
  const std::vector<Rect> rects = r.Rects();
  *os << rects.size() << " rectangles";
  for (std::size_t i = 0; i < rects.size() && i < 12; ++i) {
    *os << " ";
    PrintTo(rects[i], os);
  }
  if (rects.size() > 12) *os << " ...";
}

}  // namespace plat
