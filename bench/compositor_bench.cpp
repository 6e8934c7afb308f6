// What the program costs the whole desktop under a compositor, in one run on
// a private Xvfb with picom (xrender backend, no shadows): 20 s of scripted
// play, then 20 s of oneko chasing a moving pointer on the same server, as a
// yardstick. For each: the CPU of the program, the X server and picom; for
// the game also the pixels picom repaints per frame (XDamage on the overlay
// window it paints the screen on) against the least it could repaint: the
// screen area that what the game's moved, re-cut, shown or hidden windows
// show (bounding shape cut by input shape) covers before and after each
// change. The log has the same per window.
#include <benchmark/benchmark.h>
#include <xcb/composite.h>
#include <xcb/damage.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "session.h"

extern char** environ;

namespace {

using bench::Session;
using xtest::Clock;
using xtest::Ms;

constexpr int kWidth = 1280;
constexpr int kHeight = 1024;
constexpr double kSeconds = 20;
constexpr double kFrameMs = 50;

std::vector<std::string> EnvFor(const std::string& display) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    if (entry.rfind("DISPLAY=", 0) != 0) env.push_back(entry);
  }
  env.push_back("DISPLAY=" + display);
  return env;
}

std::int64_t Area(const plat::Region& r) {
  std::int64_t a = 0;
  for (const plat::Rect& q : r.Rects()) a += static_cast<std::int64_t>(q.Width()) * q.Height();
  return a;
}

// A client of the bench's own on the server: it watches the top-level
// windows (moves, outlines, mapping) and what picom paints.
class Watcher {
 public:
  explicit Watcher(const std::string& display) {
    c_ = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(c_)) return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(c_, &xcb_shape_id);
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c_, &xcb_damage_id);
    if (!shape || !shape->present || !damage || !damage->present) return;
    shapeEvent_ = shape->first_event;
    damageEvent_ = damage->first_event;
    std::free(xcb_damage_query_version_reply(c_, xcb_damage_query_version(c_, 1, 1), nullptr));
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
    ok_ = true;
  }
  ~Watcher() {
    if (c_) xcb_disconnect(c_);
  }
  bool ok() const { return ok_; }

  bool CompositorRunning() {
    xcb_intern_atom_reply_t* a =
        xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, 13, "_NET_WM_CM_S0"), nullptr);
    if (!a) return false;
    xcb_get_selection_owner_reply_t* o =
        xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, a->atom), nullptr);
    const bool owned = o && o->owner != XCB_NONE;
    std::free(a);
    std::free(o);
    return owned;
  }

  // Counts what is drawn on the compositor's overlay window from now on:
  // picom paints the screen there. (Not the root as well: what is drawn on
  // the overlay is drawn on the root's area too, and would count twice.)
  void WatchPaints() {
    xcb_composite_get_overlay_window_reply_t* r = xcb_composite_get_overlay_window_reply(
        c_, xcb_composite_get_overlay_window(c_, root_), nullptr);
    paintTarget_ = r ? r->overlay_win : root_;
    std::free(r);
    xcb_damage_create(c_, xcb_generate_id(c_), paintTarget_, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    xcb_flush(c_);
  }

  // The windows as they are now, so that changes are measured from here.
  void ReadWindows() {
    xcb_query_tree_reply_t* t = xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr);
    if (!t) return;
    const xcb_window_t* kids = xcb_query_tree_children(t);
    for (int i = 0; i < xcb_query_tree_children_length(t); ++i) Track(kids[i]);
    std::free(t);
  }

  // Handles every event that has come; returns at once.
  void Drain() {
    while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) {
      Handle(e);
      std::free(e);
    }
    ReadRedrawn();
  }
  void ResetCounts() {
    Drain();
    painted = 0;
    paints = 0;
    least = 0;
    changes = 0;
    for (auto& [id, w] : wins_) w.figures = {};
  }

  std::int64_t painted = 0;  // pixels picom drew, overlaps counted twice
  std::int64_t paints = 0;  // the compositor's repaints (distinct server times)
  std::int64_t least = 0;    // pixels the changes of the game's windows cover
  std::int64_t changes = 0;  // moves, re-cuts, maps and unmaps the compositor hears of

  // What each window cost since ResetCounts, named: its moves, re-cuts,
  // maps and unmaps, the pixels drawn into it (XDamage on the window), the
  // least its changes needed repainting, and its rectangles before and after
  // each change (what a compositor that repaints a moved or re-cut window
  // whole has to repaint).
  struct Figures {
    std::int64_t moves = 0, cuts = 0, maps = 0, drawn = 0, least = 0, rects = 0;
  };
  std::map<std::string, Figures> PerWindow() const {
    std::map<std::string, Figures> out;
    for (const auto& [id, w] : wins_) {
      Figures& f = out[w.name.empty() ? std::to_string(id) : w.name];
      f.moves += w.figures.moves;
      f.cuts += w.figures.cuts;
      f.maps += w.figures.maps;
      f.drawn += w.figures.drawn;
      f.least += w.figures.least;
      f.rects += w.figures.rects;
    }
    return out;
  }

 private:
  struct Win {
    bool mapped = false;
    plat::Rect rect;
    std::string name;
    Figures figures;
    plat::Region outline;  // relative to the window
    int depth = 0;
    bool byAlpha = false;  // 32-bit and passing every click: its pixels show the outline
    plat::Region redrawn;  // drawn into since the last look, relative to the window
    plat::Region Box() const {
      if (!mapped) return {};
      plat::Region r(rect);
      r.Intersect(plat::Region(plat::Rect{0, 0, kWidth, kHeight}));
      return r;
    }
    plat::Region OnScreen() const {
      if (!mapped) return {};
      plat::Region r = outline;
      r.Offset(rect.left, rect.top);
      r.Intersect(plat::Region(plat::Rect{0, 0, kWidth, kHeight}));
      return r;
    }
  };

  void Track(xcb_window_t w) {
    if (wins_.count(w) || w == paintTarget_) return;
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr);
    xcb_get_window_attributes_reply_t* a =
        xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, w), nullptr);
    if (g && a) {
      Win& win = wins_[w];
      win.rect = {g->x, g->y, g->x + g->width, g->y + g->height};
      win.mapped = a->map_state == XCB_MAP_STATE_VIEWABLE;
      win.depth = g->depth;
      win.outline = Outline(w, win);
      win.name = Name(w);
      xcb_shape_select_input(c_, w, 1);
      xcb_damage_create(c_, xcb_generate_id(c_), w, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    }
    std::free(g);
    std::free(a);
  }

  std::string Name(xcb_window_t w) {
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr);
    std::string name;
    if (r) {
      name.assign(static_cast<const char*>(xcb_get_property_value(r)),
                  static_cast<std::size_t>(xcb_get_property_value_length(r)));
    }
    std::free(r);
    return name;
  }

  // What a window shows: its bounding shape, and of a window drawn by its
  // alpha (whose bounding shape is its whole rectangle) only its input
  // shape, the outline the program gave it; the input shape is the whole
  // window where none was set. A 32-bit window that passes every click (an
  // empty input shape) shows its opaque pixels: those are read anew where
  // it is drawn into (ReadRedrawn).
  plat::Region Outline(xcb_window_t w, Win& win) {
    plat::Region out = Shape(w, win.rect, XCB_SHAPE_SK_BOUNDING);
    const plat::Region input = Shape(w, win.rect, XCB_SHAPE_SK_INPUT);
    win.byAlpha = win.depth == 32 && input.IsEmpty();
    if (!win.byAlpha) {
      out.Intersect(input);
      return out;
    }
    if (!win.mapped) return {};
    out.Intersect(xtest::OpaquePart(c_, w, out.Extents()));
    return out;
  }

  // Of the windows that show their outline by their pixels: what changed
  // where they were drawn into, once a look (the pixels as they are now
  // against those seen before) counted as the least to repaint.
  void ReadRedrawn() {
    for (auto& [id, win] : wins_) {
      if (!win.byAlpha || win.redrawn.IsEmpty()) continue;
      plat::Region now = win.mapped ? xtest::OpaquePart(c_, id, win.redrawn.Extents()) : plat::Region();
      now.Intersect(win.redrawn);
      plat::Region before = win.outline;
      before.Intersect(win.redrawn);
      win.outline.Subtract(win.redrawn);
      win.outline.Unite(now);
      win.redrawn = {};
      // What stayed as it was needs no repaint.
      plat::Region changed = before;
      changed.Unite(now);
      plat::Region kept = before;
      kept.Intersect(now);
      changed.Subtract(kept);
      changed.Offset(win.rect.left, win.rect.top);
      changed.Intersect(plat::Region(plat::Rect{0, 0, kWidth, kHeight}));
      least += Area(changed);
      win.figures.least += Area(changed);
    }
  }

  plat::Region Shape(xcb_window_t w, const plat::Rect& rect, xcb_shape_sk_t kind) {
    xcb_shape_get_rectangles_reply_t* r =
        xcb_shape_get_rectangles_reply(c_, xcb_shape_get_rectangles(c_, w, kind), nullptr);
    std::vector<plat::Rect> rects;
    if (r) {
      const xcb_rectangle_t* q = xcb_shape_get_rectangles_rectangles(r);
      for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(r); ++i) {
        rects.push_back({q[i].x, q[i].y, q[i].x + q[i].width, q[i].y + q[i].height});
      }
      std::free(r);
    } else {
      rects.push_back({0, 0, rect.Width(), rect.Height()});
    }
    plat::Region out = plat::Region::FromRects(rects);
    out.Intersect(plat::Region(plat::Rect{0, 0, rect.Width(), rect.Height()}));
    return out;
  }

  // A window's change: what it covered before and covers after.
  template <typename Change>
  void Changed(xcb_window_t w, Change&& change) {
    Track(w);
    auto it = wins_.find(w);
    if (it == wins_.end()) return;
    Win& win = it->second;
    plat::Region covered = win.OnScreen();
    plat::Region boxes = win.Box();
    ++changes;
    change(win);
    covered.Unite(win.OnScreen());
    boxes.Unite(win.Box());
    least += Area(covered);
    win.figures.least += Area(covered);
    win.figures.rects += Area(boxes);
  }

  void Handle(xcb_generic_event_t* e) {
    const int type = e->response_type & 0x7f;
    if (type == damageEvent_ + XCB_DAMAGE_NOTIFY) {
      auto* d = reinterpret_cast<xcb_damage_notify_event_t*>(e);
      const std::int64_t area = static_cast<std::int64_t>(d->area.width) * d->area.height;
      if (auto it = wins_.find(d->drawable); it != wins_.end()) {
        it->second.figures.drawn += area;
        if (it->second.byAlpha) {
          it->second.redrawn.Unite(plat::Region(plat::Rect{d->area.x, d->area.y, d->area.x + d->area.width,
                                                            d->area.y + d->area.height}));
        }
      } else if (d->drawable == paintTarget_) {
        painted += area;
        if (d->timestamp != lastPaintTime_) {
          ++paints;
          lastPaintTime_ = d->timestamp;
        }
      }
    } else if (type == shapeEvent_ + XCB_SHAPE_NOTIFY) {
      auto* s = reinterpret_cast<xcb_shape_notify_event_t*>(e);
      if (s->shape_kind != XCB_SHAPE_SK_BOUNDING && s->shape_kind != XCB_SHAPE_SK_INPUT) return;
      Changed(s->affected_window, [&](Win& w) {
        ++w.figures.cuts;
        w.outline = Outline(s->affected_window, w);
      });
    } else if (type == XCB_CONFIGURE_NOTIFY) {
      auto* c = reinterpret_cast<xcb_configure_notify_event_t*>(e);
      const plat::Rect r{c->x, c->y, c->x + c->width, c->y + c->height};
      const bool resized = wins_.count(c->window) && wins_[c->window].rect.Width() != r.Width();
      Changed(c->window, [&](Win& w) {
        if (w.rect == r) return;
        ++w.figures.moves;
        w.rect = r;
        if (resized) w.outline = Outline(c->window, w);
      });
    } else if (type == XCB_MAP_NOTIFY) {
      auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
      Changed(m->window, [](Win& w) {
        ++w.figures.maps;
        w.mapped = true;
      });
    } else if (type == XCB_UNMAP_NOTIFY) {
      auto* u = reinterpret_cast<xcb_unmap_notify_event_t*>(e);
      Changed(u->window, [](Win& w) {
        ++w.figures.maps;
        w.mapped = false;
      });
    } else if (type == XCB_DESTROY_NOTIFY) {
      wins_.erase(reinterpret_cast<xcb_destroy_notify_event_t*>(e)->window);
    }
  }

  xcb_connection_t* c_ = nullptr;
  xcb_window_t root_ = 0;
  int shapeEvent_ = -1;
  int damageEvent_ = -1;
  bool ok_ = false;
  std::map<xcb_window_t, Win> wins_;
  xcb_window_t paintTarget_ = 0;  // where the compositor paints the screen
  xcb_timestamp_t lastPaintTime_ = 0;
};

struct Cpu {
  std::vector<pid_t> pids;
  std::vector<double> start;
  void Start() {
    start.clear();
    for (pid_t p : pids) start.push_back(xtest::CpuSeconds(p));
  }
  // Percent of a core each used since Start.
  std::vector<double> Pct(double wallSeconds) const {
    std::vector<double> out;
    for (std::size_t i = 0; i < pids.size(); ++i) {
      out.push_back(100 * (xtest::CpuSeconds(pids[i]) - start[i]) / wallSeconds);
    }
    return out;
  }
};

// Runs `step` every 50 ms for kSeconds, draining the watcher between; the
// wall time it took.
template <typename Step>
double Play(Watcher& w, Step&& step) {
  const Clock::time_point t0 = Clock::now();
  for (int i = 0; xtest::MsSince(t0) < kSeconds * 1000; ++i) {
    step(i);
    w.Drain();
    std::this_thread::sleep_until(t0 + Ms(static_cast<int>((i + 1) * kFrameMs)));
  }
  const double wall = xtest::MsSince(t0) / 1000;
  w.Drain();
  return wall;
}

void BM_CompositorBill(benchmark::State& state) {
  for (auto _ : state) {
    Session s;
    if (const std::string why = s.StartServer(kWidth, kHeight); !why.empty()) {
      return state.SkipWithError(why.c_str());
    }
    xtest::TempDir& dir = s.dir;
    xtest::Xvfb& xvfb = *s.xvfb;
    xtest::XClient& x = *s.x;
    Watcher watch(xvfb.display());
    if (!watch.ok()) return state.SkipWithError("no SHAPE or DAMAGE on the server");
    const std::vector<std::string> env = EnvFor(xvfb.display());
    xtest::Child picom({"picom", "--backend", "xrender", "--config", "/dev/null"}, env,
                     dir.path() + "/picom.out", dir.path() + "/picom.err");
    if (!xtest::WaitUntil([&] { return watch.CompositorRunning(); }, Ms(15000)) || !picom.Running()) {
      return state.SkipWithError("picom did not start (is it installed?)");
    }
    watch.WatchPaints();

    // The game: from the title into the stage, invincible, then 20 s of
    // play with Right held, firing, and up and down.
    s.StartProgram();
    std::unique_ptr<xtest::Program>& game = s.game;
    if (!s.WaitForTitle()) return state.SkipWithError("no title within 30 s");
    s.StartInvinciblePlay();
    watch.ReadWindows();
    watch.ResetCounts();
    Cpu cpu{{game->pid(), xvfb.pid(), picom.pid()}, {}};
    cpu.Start();
    x.Key(xtest::key::kRight, true);
    const double gameWall = Play(watch, [&](int i) {
      if (i % 8 == 0) x.Key(xtest::key::kSpace, true);
      if (i % 8 == 2) x.Key(xtest::key::kSpace, false);
      const std::uint32_t vertical = (i / 20) % 2 ? xtest::key::kDown : xtest::key::kUp;
      if (i % 20 == 0) x.Key(vertical, true);
      if (i % 20 == 6) x.Key(vertical, false);
    });
    x.Key(xtest::key::kRight, false);
    const std::vector<double> g = cpu.Pct(gameWall);
    const double frames = gameWall * 1000 / kFrameMs;
    const double painted = static_cast<double>(watch.painted) / frames;
    const double least = static_cast<double>(watch.least) / frames;
    const double changes = static_cast<double>(watch.changes) / frames;
    const double repaints = static_cast<double>(watch.paints) / frames;
    // Which windows the damage comes from, per frame, on the log.
    std::fprintf(stderr, "%-16s %8s %8s %8s %10s %10s %10s\n", "window", "moves", "cuts", "maps",
                 "drawn_px", "rects_px", "least_px");
    for (const auto& [name, f] : watch.PerWindow()) {
      if (f.moves + f.cuts + f.maps + f.drawn == 0) continue;
      std::fprintf(stderr, "%-16s %8.3f %8.3f %8.3f %10.0f %10.0f %10.0f\n", name.c_str(),
                   f.moves / frames, f.cuts / frames, f.maps / frames, f.drawn / frames,
                   f.rects / frames, f.least / frames);
    }
    if (!game->Running()) return state.SkipWithError("the program ended during play");
    game->child().Stop();
    game.reset();

    // oneko on the same server and compositor, chasing a pointer that
    // circles the screen.
    std::this_thread::sleep_for(Ms(1000));
    xtest::Child oneko({"/usr/games/oneko"}, env, dir.path() + "/oneko.out",
                     dir.path() + "/oneko.err");
    std::this_thread::sleep_for(Ms(1000));
    if (!oneko.Running()) return state.SkipWithError("oneko did not start (is it installed?)");
    watch.ResetCounts();
    Cpu toy{{oneko.pid(), xvfb.pid(), picom.pid()}, {}};
    toy.Start();
    const double toyWall = Play(watch, [&](int i) {
      const double a = i * 0.02;
      x.MovePointer(static_cast<int>(kWidth / 2 + 400 * std::cos(a)),
                    static_cast<int>(kHeight / 2 + 300 * std::sin(a)));
    });
    const std::vector<double> t = toy.Pct(toyWall);

    state.SetIterationTime(gameWall + toyWall);
    state.counters["game_cpu_pct"] = g[0];
    state.counters["game_xvfb_cpu_pct"] = g[1];
    state.counters["game_picom_cpu_pct"] = g[2];
    state.counters["game_system_cpu_pct"] = g[0] + g[1] + g[2];
    state.counters["oneko_cpu_pct"] = t[0];
    state.counters["oneko_xvfb_cpu_pct"] = t[1];
    state.counters["oneko_picom_cpu_pct"] = t[2];
    state.counters["oneko_system_cpu_pct"] = t[0] + t[1] + t[2];
    state.counters["system_vs_oneko"] = (g[0] + g[1] + g[2]) / (t[0] + t[1] + t[2]);
    state.counters["painted_px_per_frame"] = painted;
    state.counters["least_px_per_frame"] = least;
    state.counters["window_changes_per_frame"] = changes;
    state.counters["compositor_repaints_per_frame"] = repaints;
  }
}
BENCHMARK(BM_CompositorBill)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
