// The conformance driver of the Wayland backend, on a compositor with the
// layer shell (headless sway in the tests): keys and clicks from a keyboard
// and a pointer of the test's own on the compositor's seat, pixels from the
// compositor's own screenshots (grim), and what the backend sent the
// compositor for places, outlines and the stacking order.
//
// A program hears keys on Wayland only while one of its surfaces has the
// keyboard: before every case the driver shows a small window of its own in
// the screen's bottom-right corner and clicks it, as a player clicks the game.
#include <linux/input-event-codes.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "conformance/driver.h"
#include "conformance/screen_pixels.h"
#include "platform/app.h"
#include "platform/events.h"
#include "platform/keys.h"
#include "platform/screen.h"
#include "platform/wayland/testing.h"
#include "support/wayland_seat.h"

namespace conformance {
namespace {

namespace wt = plat::wl::testing;

constexpr int kVirtualKeys[] = {plat::VK_ESCAPE, plat::VK_SPACE, plat::VK_HOME, plat::VK_LEFT,
                                plat::VK_UP,     plat::VK_RIGHT, plat::VK_DOWN};
constexpr int kUnansweredModalMs = 10000;
constexpr int kHeardMs = 3000;  // a key the compositor took reaches the backend within this
constexpr int kHolderSize = 8;  // the driver's own window, clicked for the keyboard

std::uint32_t EvdevOf(int vk) {
  switch (vk) {
    case plat::VK_ESCAPE: return xtest::evdev::kEscape;
    case plat::VK_SPACE: return xtest::evdev::kSpace;
    case plat::VK_HOME: return xtest::evdev::kHome;
    case plat::VK_LEFT: return xtest::evdev::kLeft;
    case plat::VK_UP: return xtest::evdev::kUp;
    case plat::VK_RIGHT: return xtest::evdev::kRight;
    case plat::VK_DOWN: return xtest::evdev::kDown;
    default: return 0;
  }
}

std::uint32_t WaylandButton(int button) {
  switch (button) {
    case plat::kRightButton: return BTN_RIGHT;
    case plat::kMiddleButton: return BTN_MIDDLE;
    default: return BTN_LEFT;
  }
}

std::int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The screen's pixels in `r` (logical pixels) as 0xRRGGBB, row by row, from
// the compositor's own screenshot, in device pixels: `scale` of them to a
// logical pixel each way. Empty when it cannot be taken.
std::vector<std::uint32_t> Screenshot(const plat::Rect& r, int& scale) {
  if (r.Width() <= 0 || r.Height() <= 0) return {};
  const std::string command = "grim -t ppm -g '" + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                              std::to_string(r.Width()) + "x" + std::to_string(r.Height()) + "' - 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {};
  int w = 0, h = 0, max = 0;
  std::vector<std::uint32_t> px;
  scale = 1;
  if (std::fscanf(pipe, "P6 %d %d %d", &w, &h, &max) == 3 && w % r.Width() == 0 && w / r.Width() >= 1 &&
      h == r.Height() * (w / r.Width()) && max == 255) {
    scale = w / r.Width();
    std::fgetc(pipe);  // the one white space after the header
    px.resize(static_cast<std::size_t>(w) * h);
    for (std::uint32_t& p : px) {
      unsigned char rgb[3];
      if (std::fread(rgb, 1, 3, pipe) != 3) {
        px.clear();
        break;
      }
      p = (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
    }
  }
  pclose(pipe);
  return px;
}

class WaylandDriver final : public Driver {
 public:
  void Start(const StartOptions&) override {
    if (!seat_) Open();
    wt::Reset();
    menus_.clear();
    boxes_.clear();
    answered_.clear();
    modalSeenAt_.reset();
    wt::SetModalWatcher([this] { WatchModals(); });
    TakeKeyboard();
    for (int vk : kVirtualKeys) plat::GetAsyncKeyState(vk);  // forget old presses
  }

  void Stop() override {
    for (int vk : std::set<int>(held_)) ReleaseKey(vk);
    wt::Reset();
    holder_ = plat::kNoWindow;
    menus_.clear();
    boxes_.clear();
  }

  bool ChoosesClock() const override { return false; }

  void PressKey(int vk) override {
    Key(vk, true);
    held_.insert(vk);
  }
  void ReleaseKey(int vk) override {
    Key(vk, false);
    held_.erase(vk);
  }

  void Click(plat::WindowId w, int button, int x, int y) override {
    const plat::Rect r = ScreenRect(w);
    seat_->Click(r.left + x, r.top + y, WaylandButton(button));
  }

  plat::Rect ScreenRect(plat::WindowId w) override { return wt::ScreenRect(w); }
  plat::Region Outline(plat::WindowId w) override { return wt::Outline(w); }
  bool IsMapped(plat::WindowId w) override { return wt::Mapped(w); }
  std::vector<plat::WindowId> Stacking(std::span<const plat::WindowId> windows) override {
    return wt::Stacking(std::vector<plat::WindowId>(windows.begin(), windows.end()));
  }
  plat::WindowId Focus() override { return wt::KeyboardFocus(); }

  plat::Rect Ink(plat::WindowId w) override {
    const plat::Rect r = ScreenRect(w);
    int s = 1;
    const std::vector<std::uint32_t> pixels = Screenshot(r, s);
    return InkIn(pixels, r.Width(), r.Height(), s, plat::GetBackColor(w), Outline(w));
  }

  plat::Color ShownColor(plat::WindowId w, int x, int y) override {
    const plat::Rect r = ScreenRect(w);
    int s = 1;
    return OneColourIn(Screenshot({r.left + x, r.top + y, r.left + x + 1, r.top + y + 1}, s), kMixed);
  }

  void AnswerNextMenu(int index, int afterMs) override { menus_.push_back({index, afterMs}); }
  void AnswerNextMessageBox(int afterMs) override { boxes_.push_back(afterMs); }
  std::vector<std::string> AnsweredMessageBoxes() override { return answered_; }

 private:
  struct MenuAnswer {
    int index = -1;
    int afterMs = 0;
  };

  void Open() {
    static int argc = 1;
    static char name[] = "zb_conformance_wayland";
    static char* argv[] = {name, nullptr};
    if (const std::string why = plat::OpenPlatform(argc, argv); !why.empty()) {
      std::fprintf(stderr, "zb_conformance_wayland: %s\n", why.c_str());
      std::exit(2);
    }
    seat_ = std::make_unique<xtest::WaylandSeat>();
    if (!seat_->ok()) {
      std::fprintf(stderr, "zb_conformance_wayland: %s\n", seat_->error().c_str());
      std::exit(2);
    }
    const plat::ScreenInfo screen = plat::GetScreen();
    seat_->SetScreen(screen.width, screen.height);
  }

  // Shows the driver's window and clicks it: the compositor gives the
  // keyboard to the program, whose layer surface takes it on demand.
  void TakeKeyboard() {
    const plat::ScreenInfo screen = plat::GetScreen();
    holder_ = plat::CreateSpriteWindow("frmKeys");
    const int left = screen.width - kHolderSize, top = screen.height - kHolderSize;
    plat::SetWindowRect(holder_, left * 15.0, top * 15.0, kHolderSize * 15.0, kHolderSize * 15.0);
    plat::SetVisible(holder_, true);
    plat::DoEvents();
    seat_->Click(left + kHolderSize / 2, top + kHolderSize / 2, BTN_LEFT);
    const std::int64_t end = NowMs() + kHeardMs;
    while (!wt::HasKeyboard() && NowMs() < end) {
      plat::DoEvents();
      plat::WaitForEvents(10);
    }
    ASSERT_TRUE(wt::HasKeyboard()) << "a click on a window does not give the program the keyboard";
  }

  // Types on the seat and waits until the backend can read it (reading the
  // connection, without polling the key).
  void Key(int vk, bool down) {
    const std::uint64_t before = wt::KeyEventsHeard();
    seat_->Key(EvdevOf(vk), down);
    const std::int64_t end = NowMs() + kHeardMs;
    while (wt::KeyEventsHeard() == before && NowMs() < end) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_NE(wt::KeyEventsHeard(), before) << "the key did not reach the backend";
  }

  // Answers the menu or message box that is open, once it has been on
  // screen for the armed time.
  void WatchModals() {
    const wt::ModalView modal = wt::CurrentModal();
    if (modal.kind == wt::ModalKind::kNone || !modal.onScreen) {
      modalSeenAt_.reset();
      return;
    }
    if (!modalSeenAt_) modalSeenAt_ = NowMs();
    const std::int64_t open = NowMs() - *modalSeenAt_;
    if (modal.kind == wt::ModalKind::kMenu) AnswerMenu(modal, open);
    if (modal.kind == wt::ModalKind::kBox) AnswerBox(modal, open);
    if (open > kUnansweredModalMs && modalSeenAt_) {
      ADD_FAILURE() << "a modal window stayed open without an answer";
      seat_->Key(xtest::evdev::kEscape, true);
      seat_->Key(xtest::evdev::kEscape, false);
      modalSeenAt_ = NowMs();
    }
  }

  void AnswerMenu(const wt::ModalView& menu, std::int64_t open) {
    if (menus_.empty() || open < menus_.front().afterMs) return;
    const MenuAnswer a = menus_.front();
    menus_.pop_front();
    modalSeenAt_.reset();
    if (a.index < 0 || a.index >= static_cast<int>(menu.targets.size())) {
      // A click outside the menu closes it: the screen's top-right corner.
      seat_->Click(plat::GetScreen().width - 1, 0, BTN_LEFT);
      return;
    }
    const plat::Rect& item = menu.targets[static_cast<std::size_t>(a.index)];
    seat_->Click((item.left + item.right) / 2, (item.top + item.bottom) / 2, BTN_LEFT);
  }

  // The box has the keyboard once the compositor shows it: Return is OK.
  void AnswerBox(const wt::ModalView& box, std::int64_t open) {
    if (boxes_.empty() || open < boxes_.front() || !box.focused) return;
    boxes_.pop_front();
    modalSeenAt_.reset();
    answered_.push_back(box.text);
    seat_->Key(xtest::evdev::kEnter, true);
    seat_->Key(xtest::evdev::kEnter, false);
  }

  std::unique_ptr<xtest::WaylandSeat> seat_;
  plat::WindowId holder_ = plat::kNoWindow;
  std::set<int> held_;
  std::deque<MenuAnswer> menus_;
  std::deque<int> boxes_;
  std::vector<std::string> answered_;
  std::optional<std::int64_t> modalSeenAt_;
};

}  // namespace

Driver& TheDriver() {
  static WaylandDriver* driver = new WaylandDriver;  // outlives the tests
  return *driver;
}

}  // namespace conformance
