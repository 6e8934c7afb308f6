// The program among other windows: what the desktop cases read and do.
#include "e2e/desktop.h"

#include <set>

#include "game/base/pictures.h"
#include "game/base/shape_table.h"

namespace e2e {
namespace {

bool IsSprite(const Window& w) { return w.name.rfind("frm", 0) == 0; }

}  // namespace

std::vector<Window> DesktopTest::Sprites() {
  std::vector<Window> out;
  for (const Window& w : X().Mapped()) {
    if (IsSprite(w)) out.push_back(w);
  }
  return out;
}

std::optional<std::pair<int, int>> DesktopTest::VisiblePoint(const Window& target) {
  ServerGrab grab(X());
  const std::vector<Window> all = X().Mapped();
  plat::Region own;
  plat::Region covered;
  bool above = false;
  for (const Window& o : all) {
    plat::Region s = X().Outline(o.id);
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
  ServerGrab grab(X());
  plat::Region sprites;
  for (const Window& w : Sprites()) {
    plat::Region s = X().Outline(w.id);
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

bool DesktopTest::ShipStandsStill(Ms span) {
  const std::optional<Window> before = X().One("frmPlayer");
  if (!before) return false;
  const bool moved = WaitUntil(
      [&] {
        const std::optional<Window> now = X().One("frmPlayer");
        return !now || now->rect != before->rect;
      },
      span, Ms(20));
  return !moved;
}

std::optional<Window> DesktopTest::OpenMenuOn(const std::string& name) {
  const std::optional<Window> target = X().One(name);
  if (!target) return std::nullopt;
  const std::optional<std::pair<int, int>> at = VisiblePoint(*target);
  if (!at) return std::nullopt;
  std::set<std::uint32_t> before;
  for (const Window& w : X().Mapped()) before.insert(w.id);
  X().Click(at->first, at->second, 3);
  std::optional<Window> menu;
  WaitUntil(
      [&] {
        for (const Window& w : X().Mapped()) {
          if (!before.count(w.id) && !IsSprite(w) && w.overrideRedirect) menu = w;
        }
        return menu.has_value();
      },
      Ms(15000), Ms(10));
  // Keys typed before the menu holds the keyboard reach the game instead.
  if (menu) X().WaitForKeyboardGrab(Ms(5000));
  return menu;
}

bool DesktopTest::MenuGone(const Window& menu) {
  return WaitUntil(
      [&] {
        for (const Window& w : X().Mapped()) {
          if (w.id == menu.id) return false;
        }
        return true;
      },
      Ms(10000), Ms(10));
}

std::uint32_t DesktopTest::FindClient(const std::string& name) {
  // Children of the root, and under a window manager the windows inside its
  // frames.
  std::vector<std::uint32_t> level = X().Stacking();
  for (int depth = 0; depth < 3 && !level.empty(); ++depth) {
    std::vector<std::uint32_t> next;
    for (std::uint32_t w : level) {
      if (X().Viewable(w) && X().WindowName(w) == name) return w;
      for (std::uint32_t c : X().Children(w)) next.push_back(c);
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
