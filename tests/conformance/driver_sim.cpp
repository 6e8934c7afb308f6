// The conformance driver of the simulated backend: the window system's view
// read from the sim records, the user's input and answers given by script.
#include <algorithm>
#include <cmath>
#include <deque>

#include "conformance/driver.h"
#include "platform/app.h"
#include "platform/sim/sim.h"

namespace conformance {
namespace {

class SimDriver final : public Driver {
 public:
  void Start(const StartOptions& options) override {
    sim::Config config;
    config.clockStartMs = options.clockStartMs.value_or(1000);
    sim::Reset(config);
    menus_.clear();
    boxes_.clear();
    answered_.clear();
    sim::AnswerMenus([this](std::span<const plat::MenuItem>) { return AnswerMenu(); });
    sim::OnMessageBox([this](const std::string& text) { AnswerBox(text); });
  }
  void Stop() override {
    plat::ClosePlatform();
    sim::Reset();
  }
  bool ChoosesClock() const override { return true; }

  void PressKey(int vk) override { sim::PressKey(vk); }
  void ReleaseKey(int vk) override { sim::ReleaseKey(vk); }
  void Click(plat::WindowId w, int button, int x, int y) override { sim::Click(w, button, x, y); }

  plat::Rect ScreenRect(plat::WindowId w) override { return Record(w).screenRect; }
  plat::Region Outline(plat::WindowId w) override {
    const sim::WindowRecord r = Record(w);
    if (r.outline) return *r.outline;
    return plat::Region(plat::Rect{0, 0, r.rect.Width(), r.rect.Height()});
  }
  bool IsMapped(plat::WindowId w) override { return Record(w).shown; }
  std::vector<plat::WindowId> Stacking(std::span<const plat::WindowId> windows) override {
    std::vector<plat::WindowId> out;
    for (plat::WindowId w : sim::StackingOrder()) {
      if (IsMapped(w) && std::find(windows.begin(), windows.end(), w) != windows.end()) {
        out.push_back(w);
      }
    }
    return out;
  }
  plat::WindowId Focus() override { return sim::FocusedWindow(); }

  // The sim draws each text as a box of its model width and line height.
  plat::Rect Ink(plat::WindowId w) override {
    const sim::WindowRecord r = Record(w);
    plat::Region ink;
    for (const sim::PrintedText& t : r.texts) {
      const int height = static_cast<int>(std::floor(t.font.pointSize * 16 / 11 + 0.5));
      ink.Unite(plat::Rect{t.x, t.y, t.x + plat::TextWidthPx(t.font, t.text), t.y + height});
    }
    ink.Intersect(plat::Region(plat::Rect{0, 0, r.rect.Width(), r.rect.Height()}));
    return ink.Extents();
  }

  // The sim shows what a record says once a yield has painted it: the
  // topmost shown control under the pixel, else the picture, else the back
  // colour.
  plat::Color ShownColor(plat::WindowId w, int x, int y) override {
    const sim::WindowRecord r = Record(w);
    if (!r.painted) return 0;
    if (r.kind == sim::WindowKind::kLine) return r.lineColor;
    const sim::WindowRecord* top = nullptr;
    std::vector<sim::WindowRecord> controls;
    for (plat::WindowId c : r.children) controls.push_back(Record(c));
    for (const sim::WindowRecord& c : controls) {
      const plat::Region outline = Outline(c.id);
      if (c.shown && outline.ContainsPoint(x - c.rect.left, y - c.rect.top) &&
          (!top || c.stackIndex > top->stackIndex)) {
        top = &c;
      }
    }
    if (top) return ShownColor(top->id, x - top->rect.left, y - top->rect.top);
    const plat::Picture* p = r.picture;
    if (p && p->pixels && x < p->width && y < p->height) {
      const std::uint32_t px = p->pixels[static_cast<std::size_t>(y) * p->width + x];
      return plat::RGB((px >> 16) & 0xff, (px >> 8) & 0xff, px & 0xff);
    }
    return r.backColor;
  }

  void AnswerNextMenu(int index, int afterMs) override { menus_.push_back({index, afterMs}); }
  void AnswerNextMessageBox(int afterMs) override { boxes_.push_back(afterMs); }
  std::vector<std::string> AnsweredMessageBoxes() override { return answered_; }

 private:
  struct MenuAnswer {
    int index = -1;
    int afterMs = 0;
  };

  static sim::WindowRecord Record(plat::WindowId w) {
    return sim::Window(w).value_or(sim::WindowRecord{});
  }

  int AnswerMenu() {
    if (menus_.empty()) return -1;
    const MenuAnswer a = menus_.front();
    menus_.pop_front();
    sim::RunModalFor(a.afterMs);
    return a.index;
  }

  void AnswerBox(const std::string& text) {
    if (boxes_.empty()) return;
    const int afterMs = boxes_.front();
    boxes_.pop_front();
    sim::RunModalFor(afterMs);
    answered_.push_back(text);
  }

  std::deque<MenuAnswer> menus_;
  std::deque<int> boxes_;
  std::vector<std::string> answered_;
};

}  // namespace

Driver& TheDriver() {
  static SimDriver driver;
  return driver;
}

}  // namespace conformance
