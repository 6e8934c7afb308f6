// The tests' own X client.
#include "support/x_client.h"

#include <poll.h>
#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "platform/qt/parked.h"
#include "support/xcb_reply.h"

namespace xtest {

using xcbtest::Reply;

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

bool ShipMoves(XClient& x, Ms limit) {
  const std::optional<Window> before = x.One("frmPlayer");
  if (!before) return false;
  return WaitUntil(
      [&] {
        const std::optional<Window> now = x.One("frmPlayer");
        return now && now->rect != before->rect;
      },
      limit, Ms(10));
}

// --- the connection ----------------------------------------------------------

XClient::XClient(const std::string& display) : display_(display) {
  c_ = xcb_connect(display.empty() ? nullptr : display.c_str(), nullptr);
  if (xcb_connection_has_error(c_)) return;
  const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
  root_ = s->root;
  width_ = s->width_in_pixels;
  height_ = s->height_in_pixels;
  symbols_ = xcb_key_symbols_alloc(c_);
}

XClient::~XClient() {
  if (symbols_) xcb_key_symbols_free(symbols_);
  if (c_) xcb_disconnect(c_);
  if (probe_) xcb_disconnect(probe_);
}

bool XClient::ok() const { return c_ && !xcb_connection_has_error(c_) && root_ != 0; }

void XClient::Sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

void XClient::Grab() {
  if (grabs_++ == 0) xcb_grab_server(c_);
}

void XClient::Ungrab() {
  if (grabs_ == 0 || --grabs_ > 0) return;
  xcb_ungrab_server(c_);
  Sync();
}

// --- the window tree -----------------------------------------------------------

// Asks for every window's _NET_WM_NAME and WM_NAME at once. Names are read
// afresh each time: the server hands the ids of a program that ended to the
// next one.
void XClient::ReadNames(std::vector<Window>& windows) {
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

std::vector<Window> XClient::Mapped() {
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
      // A sprite the program hid through XWayland: mapped, out of sight.
      if (g->x == plat::qt::kParkedAt && g->y == plat::qt::kParkedAt) continue;
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

std::vector<Window> XClient::Named(const std::string& name) {
  std::vector<Window> out;
  for (Window& w : Mapped()) {
    if (w.name == name) out.push_back(w);
  }
  return out;
}

std::optional<Window> XClient::One(const std::string& name) {
  std::vector<Window> all = Named(name);
  if (all.empty()) return std::nullopt;
  return all.back();
}

std::optional<Window> XClient::WaitFor(const std::string& name, Ms limit,
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

bool XClient::Exists(std::uint32_t window) {
  Reply r(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr));
  return static_cast<bool>(r);
}

bool XClient::Viewable(std::uint32_t window) {
  Reply r(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr));
  return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
}

int XClient::Depth(std::uint32_t window) {
  Reply g(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window), nullptr));
  return g ? g->depth : 0;
}

bool XClient::OverrideRedirect(std::uint32_t window) {
  Reply r(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr));
  return r && r->override_redirect;
}

plat::Rect XClient::ScreenRect(std::uint32_t window) {
  if (beforeReading_) beforeReading_();
  Reply g(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window), nullptr));
  Reply t(xcb_translate_coordinates_reply(c_, xcb_translate_coordinates(c_, window, root_, 0, 0),
                                          nullptr));
  if (!g || !t) return {};
  return plat::Rect{t->dst_x, t->dst_y, t->dst_x + g->width, t->dst_y + g->height};
}

namespace {

plat::Region ShapeOfKind(xcb_connection_t* c, std::uint32_t window, xcb_shape_kind_t kind) {
  Reply g(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
  Reply r(xcb_shape_get_rectangles_reply(c, xcb_shape_get_rectangles(c, window, kind), nullptr));
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

}  // namespace

plat::Region OpaquePart(xcb_connection_t* c, std::uint32_t window, const plat::Rect& area) {
  if (area.Width() <= 0 || area.Height() <= 0) return {};
  // The alpha's top bit alone: one bit a pixel, rows padded as the server says.
  Reply r(xcb_get_image_reply(c,
                              xcb_get_image(c, XCB_IMAGE_FORMAT_XY_PIXMAP, window, static_cast<std::int16_t>(area.left),
                                            static_cast<std::int16_t>(area.top), static_cast<std::uint16_t>(area.Width()),
                                            static_cast<std::uint16_t>(area.Height()), 0x80000000u),
                              nullptr));
  if (!r || r.p->depth != 32) return {};
  const xcb_setup_t* setup = xcb_get_setup(c);
  const int pad = setup->bitmap_format_scanline_pad;
  const int stride = (area.Width() + pad - 1) / pad * pad / 8;
  const bool lsbFirst = setup->bitmap_format_bit_order == XCB_IMAGE_ORDER_LSB_FIRST;
  const std::uint8_t* bits = xcb_get_image_data(r.p);
  if (xcb_get_image_data_length(r.p) < stride * area.Height()) return {};
  std::vector<plat::Rect> rects;
  const auto opaque = [&](int x, int y) {
    const std::uint8_t byte = bits[y * stride + x / 8];
    return ((byte >> (lsbFirst ? x % 8 : 7 - x % 8)) & 1) != 0;
  };
  for (int y = 0; y < area.Height(); ++y) {
    for (int x = 0; x < area.Width(); ++x) {
      if (!opaque(x, y)) continue;
      const int from = x;
      while (x < area.Width() && opaque(x, y)) ++x;
      rects.push_back({area.left + from, area.top + y, area.left + x, area.top + y + 1});
    }
  }
  return plat::Region::FromRects(rects);
}

plat::Region XClient::Shape(std::uint32_t window) {
  if (beforeReading_) beforeReading_();
  return ShapeOfKind(c_, window, XCB_SHAPE_SK_BOUNDING);
}

plat::Region XClient::Outline(std::uint32_t window) {
  if (beforeReading_) beforeReading_();
  plat::Region out = ShapeOfKind(c_, window, XCB_SHAPE_SK_BOUNDING);
  const plat::Region input = ShapeOfKind(c_, window, XCB_SHAPE_SK_INPUT);
  if (input.IsEmpty() && !out.IsEmpty() && Depth(window) == 32) {
    out.Intersect(OpaquePart(c_, window, out.Extents()));
  } else {
    out.Intersect(input);
  }
  return out;
}

plat::Region XClient::InputShape(std::uint32_t window) {
  if (beforeReading_) beforeReading_();
  return ShapeOfKind(c_, window, XCB_SHAPE_SK_INPUT);
}

std::vector<std::uint32_t> XClient::Stacking() { return Children(root_); }

std::vector<std::uint32_t> XClient::Children(std::uint32_t window) {
  Reply r(xcb_query_tree_reply(c_, xcb_query_tree(c_, window), nullptr));
  if (!r) return {};
  const xcb_window_t* kids = xcb_query_tree_children(r.p);
  return std::vector<std::uint32_t>(kids, kids + xcb_query_tree_children_length(r.p));
}

std::uint32_t XClient::Parent(std::uint32_t window) {
  Reply r(xcb_query_tree_reply(c_, xcb_query_tree(c_, window), nullptr));
  return r ? r->parent : 0;
}

std::uint32_t XClient::FocusWindow() {
  Reply r(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
  return r ? r->focus : 0;
}

std::uint32_t XClient::SelectionOwner(const std::string& selection) {
  Reply r(xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, Atom(selection)), nullptr));
  return r ? r->owner : 0;
}

// --- pixels ----------------------------------------------------------------------

std::vector<std::uint32_t> XClient::Pixels(const plat::Rect& rect) {
  if (beforeReading_) beforeReading_();
  std::vector<std::uint32_t> out;
  if (rect.Width() <= 0 || rect.Height() <= 0) return out;
  if (screenReader_) {
    const bool release = readerUngrabbed_ && grabs_ > 0;
    if (release) {
      xcb_ungrab_server(c_);
      Sync();
    }
    out = screenReader_(rect);
    if (release) xcb_grab_server(c_);
    return out;
  }
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

std::vector<std::uint32_t> XClient::WindowPixels(std::uint32_t window) {
  if (beforeReading_) beforeReading_();
  Reply g(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window), nullptr));
  if (!g || g->width == 0 || g->height == 0) return {};
  Reply r(xcb_get_image_reply(c_, xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, g->width, g->height, ~0u),
                              nullptr));
  // 24- and 32-bit windows alike keep 32 bits a pixel, in host order.
  if (!r || (r->depth != 24 && r->depth != 32)) return {};
  const std::size_t count = std::size_t{g->width} * g->height;
  if (static_cast<std::size_t>(xcb_get_image_data_length(r.p)) < count * 4) return {};
  std::vector<std::uint32_t> out(count);
  std::memcpy(out.data(), xcb_get_image_data(r.p), count * 4);
  if (r->depth == 24) {
    for (std::uint32_t& p : out) p |= 0xff000000u;
  }
  return out;
}

std::vector<std::uint32_t> XClient::ComposedPixels(const plat::Rect& r, std::uint32_t desktop) {
  if (beforeReading_) beforeReading_();
  std::vector<std::uint32_t> out;
  if (r.Width() <= 0 || r.Height() <= 0) return out;
  out.assign(static_cast<std::size_t>(r.Width()) * static_cast<std::size_t>(r.Height()), desktop & 0xffffff);
  ServerGrab grab(*this);
  Compose(root_, 0, 0, plat::Rect{0, 0, width_, height_}, r, out);
  return out;
}

// Paints the viewable children of `parent`, whose inside starts at (x, y) on
// the screen, within `clip`, into `out` (the pixels of `r`).
void XClient::Compose(std::uint32_t parent, int x, int y, const plat::Rect& clip, const plat::Rect& r,
                      std::vector<std::uint32_t>& out) {
  Reply tree(xcb_query_tree_reply(c_, xcb_query_tree(c_, parent), nullptr));
  if (!tree) return;
  const xcb_window_t* kids = xcb_query_tree_children(tree.p);
  const int n = xcb_query_tree_children_length(tree.p);
  for (int i = 0; i < n; ++i) {
    Reply a(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, kids[i]), nullptr));
    if (!a || a->map_state != XCB_MAP_STATE_VIEWABLE || a->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT) continue;
    Reply g(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, kids[i]), nullptr));
    if (!g) continue;
    const int left = x + g->x + g->border_width;
    const int top = y + g->y + g->border_width;
    const plat::Rect inside{left, top, left + g->width, top + g->height};
    const plat::Rect part{std::max({inside.left, clip.left, r.left}), std::max({inside.top, clip.top, r.top}),
                          std::min({inside.right, clip.right, r.right}),
                          std::min({inside.bottom, clip.bottom, r.bottom})};
    if (part.Width() <= 0 || part.Height() <= 0) continue;
    Reply img(xcb_get_image_reply(
        c_,
        xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, kids[i], static_cast<std::int16_t>(part.left - left),
                      static_cast<std::int16_t>(part.top - top), static_cast<std::uint16_t>(part.Width()),
                      static_cast<std::uint16_t>(part.Height()), ~0u),
        nullptr));
    const std::size_t count = static_cast<std::size_t>(part.Width()) * static_cast<std::size_t>(part.Height());
    if (img && (img->depth == 24 || img->depth == 32) &&
        static_cast<std::size_t>(xcb_get_image_data_length(img.p)) >= count * 4) {
      const auto* px = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(img.p));
      plat::Region shape = Shape(kids[i]);
      shape.Offset(left, top);
      for (int py = part.top; py < part.bottom; ++py) {
        for (int qx = part.left; qx < part.right; ++qx) {
          if (!shape.ContainsPoint(qx, py)) continue;
          const std::uint32_t s = px[static_cast<std::size_t>((py - part.top) * part.Width() + qx - part.left)];
          std::uint32_t& d = out[static_cast<std::size_t>((py - r.top) * r.Width() + qx - r.left)];
          if (img->depth == 24) {
            d = s & 0xffffff;
            continue;
          }
          // Premultiplied: the source plus what its alpha leaves of the rest.
          const std::uint32_t alpha = s >> 24;
          std::uint32_t blended = 0;
          for (int shift = 0; shift < 24; shift += 8) {
            const std::uint32_t c = ((s >> shift) & 0xff) + (((d >> shift) & 0xff) * (255 - alpha) + 127) / 255;
            blended |= std::min(c, 255u) << shift;
          }
          d = blended;
        }
      }
    }
    Compose(kids[i], left, top, part, r, out);
  }
}

bool XClient::SaveScreen(const std::string& path) {
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

// --- properties --------------------------------------------------------------------

std::uint32_t XClient::Atom(const std::string& name) {
  Reply r(xcb_intern_atom_reply(
      c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr));
  return r ? r->atom : 0;
}

std::string XClient::AtomName(std::uint32_t atom) {
  Reply r(xcb_get_atom_name_reply(c_, xcb_get_atom_name(c_, atom), nullptr));
  if (!r) return {};
  return std::string(xcb_get_atom_name_name(r.p), xcb_get_atom_name_name_length(r.p));
}

std::vector<std::string> XClient::AtomListProperty(std::uint32_t window, const std::string& name) {
  Reply r(xcb_get_property_reply(
      c_, xcb_get_property(c_, 0, window, Atom(name), XCB_ATOM_ATOM, 0, 64), nullptr));
  std::vector<std::string> out;
  if (!r || r->format != 32) return out;
  const auto* atoms = static_cast<const std::uint32_t*>(xcb_get_property_value(r.p));
  for (int i = 0; i < xcb_get_property_value_length(r.p) / 4; ++i) out.push_back(AtomName(atoms[i]));
  return out;
}

std::vector<std::uint32_t> XClient::Cardinals(std::uint32_t window, const std::string& name) {
  Reply r(xcb_get_property_reply(
      c_, xcb_get_property(c_, 0, window, Atom(name), XCB_ATOM_ANY, 0, 1024), nullptr));
  if (!r || r->format != 32) return {};
  const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r.p));
  return std::vector<std::uint32_t>(v, v + xcb_get_property_value_length(r.p) / 4);
}

std::string XClient::StringProperty(std::uint32_t window, const std::string& name) {
  Reply r(xcb_get_property_reply(c_, xcb_get_property(c_, 0, window, Atom(name), XCB_ATOM_ANY, 0, 1024),
                                 nullptr));
  if (!r || r->format != 8) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(r.p)),
                     xcb_get_property_value_length(r.p));
}

void XClient::SetStringProperty(std::uint32_t window, const std::string& name,
                                const std::string& value) {
  xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, Atom(name), XCB_ATOM_STRING, 8,
                      static_cast<std::uint32_t>(value.size()), value.data());
  Sync();
}

std::string XClient::WindowName(std::uint32_t window) {
  std::string name = StringProperty(window, "_NET_WM_NAME");
  return name.empty() ? StringProperty(window, "WM_NAME") : name;
}

void XClient::SetCardinals(std::uint32_t window, const std::string& name,
                           const std::vector<std::uint32_t>& values) {
  xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, Atom(name), XCB_ATOM_CARDINAL, 32,
                      static_cast<std::uint32_t>(values.size()), values.data());
  Sync();
}

void XClient::DeleteProperty(std::uint32_t window, const std::string& name) {
  xcb_delete_property(c_, window, Atom(name));
  Sync();
}

void XClient::SetDesktopColour(std::uint32_t rgb) {
  xcb_change_window_attributes(c_, root_, XCB_CW_BACK_PIXEL, &rgb);
  xcb_clear_area(c_, 0, root_, 0, 0, 0, 0);
  // Compositors paint the desktop from the wallpaper pixmap that setters of
  // the root's picture announce: a tile of the colour.
  const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
  const xcb_pixmap_t tile = xcb_generate_id(c_);
  xcb_create_pixmap(c_, s->root_depth, tile, root_, 8, 8);
  const xcb_gcontext_t gc = xcb_generate_id(c_);
  xcb_create_gc(c_, gc, tile, XCB_GC_FOREGROUND, &rgb);
  const xcb_rectangle_t all{0, 0, 8, 8};
  xcb_poly_fill_rectangle(c_, tile, gc, 1, &all);
  xcb_free_gc(c_, gc);
  for (const char* name : {"_XROOTPMAP_ID", "_XSETROOT_ID"}) {
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, root_, Atom(name), XCB_ATOM_PIXMAP, 32, 1, &tile);
  }
  Sync();
}

void XClient::SetWorkArea(const plat::Rect& r) {
  SetCardinals(root_, "_NET_WORKAREA",
               {static_cast<std::uint32_t>(r.left), static_cast<std::uint32_t>(r.top),
                static_cast<std::uint32_t>(r.Width()), static_cast<std::uint32_t>(r.Height())});
}

// --- another client's doings ----------------------------------------------------

void XClient::SendFakeConfigure(std::uint32_t window, int width, int height) {
  xcb_configure_notify_event_t ev{};
  ev.response_type = XCB_CONFIGURE_NOTIFY;
  ev.event = ev.window = window;
  ev.width = static_cast<std::uint16_t>(width);
  ev.height = static_cast<std::uint16_t>(height);
  xcb_send_event(c_, 0, window, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char*>(&ev));
  Sync();
}

void XClient::Resize(std::uint32_t window, int width, int height) {
  const std::uint32_t v[] = {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
  xcb_configure_window(c_, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, v);
  Sync();
}

void XClient::MoveTo(std::uint32_t window, int x, int y) {
  const std::uint32_t v[] = {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)};
  xcb_configure_window(c_, window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, v);
  Sync();
}

// A 32-bit client message about `window` of the given type, sent to `to`.
static void SendClientMessage(xcb_connection_t* c, xcb_window_t to, std::uint32_t mask,
                              xcb_window_t window, xcb_atom_t type, std::uint32_t data0) {
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = window;
  ev.type = type;
  ev.data.data32[0] = data0;
  xcb_send_event(c, 0, to, mask, reinterpret_cast<const char*>(&ev));
}

void XClient::SendDeleteWindow(std::uint32_t window) {
  SendClientMessage(c_, window, 0, window, Atom("WM_PROTOCOLS"), Atom("WM_DELETE_WINDOW"));
  Sync();
}

void XClient::Unmap(std::uint32_t window) {
  xcb_unmap_window(c_, window);
  Sync();
}

void XClient::ResetShape(std::uint32_t window) {
  xcb_shape_mask(c_, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, window, 0, 0, XCB_NONE);
  Sync();
}

void XClient::SetOverrideRedirect(std::uint32_t window, bool on) {
  const std::uint32_t value = on ? 1 : 0;
  xcb_change_window_attributes(c_, window, XCB_CW_OVERRIDE_REDIRECT, &value);
  Sync();
}

void XClient::Destroy(std::uint32_t window) {
  xcb_destroy_window(c_, window);
  Sync();
}

void XClient::Iconify(std::uint32_t window) {
  constexpr std::uint32_t kIconicState = 3;
  SendClientMessage(c_, root_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                    window, Atom("WM_CHANGE_STATE"), kIconicState);
  Sync();
}

std::uint32_t XClient::TakeSelection(const std::string& name) {
  const std::uint32_t before = SelectionOwner(name);
  const xcb_window_t w = xcb_generate_id(c_);
  xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_set_selection_owner(c_, w, Atom(name), XCB_CURRENT_TIME);
  Sync();
  return before;
}

void XClient::ReleaseSelection(const std::string& name) {
  xcb_set_selection_owner(c_, XCB_NONE, Atom(name), XCB_CURRENT_TIME);
  Sync();
}

void XClient::ConvertSelection(const std::string& name, int times) {
  const xcb_window_t w = xcb_generate_id(c_);
  xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, 0, nullptr);
  for (int i = 0; i < times; ++i) {
    xcb_convert_selection(c_, w, Atom(name), XCB_ATOM_STRING, Atom("ZB_TEST_CONVERTED"), XCB_CURRENT_TIME);
  }
  Sync();
  xcb_destroy_window(c_, w);
  Sync();
}

void XClient::SendSelectionClear(std::uint32_t owner, const std::string& name) {
  xcb_selection_clear_event_t ev{};
  ev.response_type = XCB_SELECTION_CLEAR;
  ev.owner = owner;
  ev.selection = Atom(name);
  xcb_send_event(c_, 0, owner, 0, reinterpret_cast<const char*>(&ev));
  Sync();
}

void XClient::ForceScreenSaver(bool on) {
  xcb_force_screen_saver(c_, on ? XCB_SCREEN_SAVER_ACTIVE : XCB_SCREEN_SAVER_RESET);
  Sync();
}

// --- the user ------------------------------------------------------------------------

std::uint8_t XClient::Keycode(std::uint32_t keysym) {
  xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym);
  const std::uint8_t code = codes ? codes[0] : 0;
  std::free(codes);
  return code;
}

void XClient::Key(std::uint32_t keysym, bool down) {
  xcb_test_fake_input(c_, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, Keycode(keysym), XCB_CURRENT_TIME,
                      XCB_NONE, 0, 0, 0);
  Sync();
}

void XClient::Tap(std::uint32_t keysym, Ms held) {
  Key(keysym, true);
  std::this_thread::sleep_for(held);
  Key(keysym, false);
}

void XClient::MovePointer(int x, int y) {
  xcb_test_fake_input(c_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root_, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), 0);
  Sync();
}

void XClient::Button(int xButton, bool down) {
  xcb_test_fake_input(c_, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE,
                      static_cast<std::uint8_t>(xButton), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
  Sync();
}

void XClient::Click(int x, int y, int xButton, Ms held) {
  MovePointer(x, y);
  Button(xButton, true);
  if (held.count() > 0) std::this_thread::sleep_for(held);
  Button(xButton, false);
}

void XClient::HandClick(int x, int y, int xButton) {
  Reply where(xcb_query_pointer_reply(c_, xcb_query_pointer(c_, root_), nullptr));
  const int fromX = where ? where->root_x : x, fromY = where ? where->root_y : y;
  constexpr int kSteps = 8;
  for (int i = 1; i <= kSteps; ++i) {
    MovePointer(fromX + (x - fromX) * i / kSteps, fromY + (y - fromY) * i / kSteps);
    std::this_thread::sleep_for(Ms(20));
  }
  const int aside = x + 1 < width_ ? x + 1 : x - 1;
  for (int to : {aside, x}) {
    std::this_thread::sleep_for(Ms(100));
    MovePointer(to, y);
  }
  std::this_thread::sleep_for(Ms(200));
  Click(x, y, xButton, Ms(60));
}

void XClient::PinNestedPointer() {
  MovePointer(0, 0);
  std::this_thread::sleep_for(Ms(50));
  MovePointer(width_ - 1, height_ - 1);
  std::this_thread::sleep_for(Ms(50));
}

void XClient::Type(const std::string& text) {
  for (char ch : text) {
    Tap(ch == '\n' ? key::kReturn : static_cast<std::uint32_t>(static_cast<unsigned char>(ch)), Ms(20));
    std::this_thread::sleep_for(Ms(20));
  }
}

bool XClient::GrabKeyboard() {
  Reply r(xcb_grab_keyboard_reply(
      c_, xcb_grab_keyboard(c_, 0, root_, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
      nullptr));
  return r && r->status == XCB_GRAB_STATUS_SUCCESS;
}

void XClient::UngrabKeyboard() {
  xcb_ungrab_keyboard(c_, XCB_CURRENT_TIME);
  Sync();
}

std::uint32_t XClient::GrabKeyboardLikeAPrompt() {
  const xcb_window_t w = xcb_generate_id(c_);
  const std::uint32_t overrideRedirect = 1;
  xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 10, 10, 200, 80, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
  xcb_map_window(c_, w);
  Sync();
  Reply r(xcb_grab_keyboard_reply(
      c_, xcb_grab_keyboard(c_, 0, w, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC), nullptr));
  if (!r || r->status != XCB_GRAB_STATUS_SUCCESS) {
    xcb_destroy_window(c_, w);
    Sync();
    return 0;
  }
  xcb_set_input_focus(c_, XCB_INPUT_FOCUS_PARENT, w, XCB_CURRENT_TIME);
  Sync();
  return w;
}

void XClient::EndPromptGrab(std::uint32_t prompt) {
  xcb_ungrab_keyboard(c_, XCB_CURRENT_TIME);
  xcb_destroy_window(c_, prompt);
  Sync();
}

void XClient::SendFocusEvent(std::uint32_t window, bool in, std::uint8_t mode) {
  xcb_focus_in_event_t ev{};
  ev.response_type = in ? XCB_FOCUS_IN : XCB_FOCUS_OUT;
  ev.detail = XCB_NOTIFY_DETAIL_NONLINEAR;
  ev.event = window;
  ev.mode = mode;
  xcb_send_event(c_, 0, window, XCB_EVENT_MASK_FOCUS_CHANGE, reinterpret_cast<const char*>(&ev));
  Sync();
}

// The server's clock, from the PropertyNotify of a change to the probe's own
// window; 0 when the probe connection fails.
std::uint32_t XClient::ServerTime() {
  if (!probe_) {
    probe_ = xcb_connect(display_.empty() ? nullptr : display_.c_str(), nullptr);
    if (xcb_connection_has_error(probe_)) return 0;
    probeWindow_ = xcb_generate_id(probe_);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(probe_, XCB_COPY_FROM_PARENT, probeWindow_, root_, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
  }
  xcb_change_property(probe_, XCB_PROP_MODE_REPLACE, probeWindow_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      0, nullptr);
  xcb_flush(probe_);
  while (xcb_generic_event_t* e = xcb_wait_for_event(probe_)) {
    const bool property = (e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY;
    const std::uint32_t time = property ? reinterpret_cast<xcb_property_notify_event_t*>(e)->time : 0;
    std::free(e);
    if (property) return time;
  }
  return 0;
}

// A grab dated ten minutes ahead of the server's clock is never granted: the
// server answers InvalidTime while the keyboard is free and AlreadyGrabbed
// while another client holds it.
bool XClient::KeyboardHeldByAnother() {
  const std::uint32_t now = ServerTime();
  if (now == 0) return false;
  Reply r(xcb_grab_keyboard_reply(probe_,
                                  xcb_grab_keyboard(probe_, 0, root_, now + 600'000, XCB_GRAB_MODE_ASYNC,
                                                    XCB_GRAB_MODE_ASYNC),
                                  nullptr));
  return r && r->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
}

bool XClient::WaitForKeyboardGrab(Ms limit) {
  return WaitUntil([&] { return KeyboardHeldByAnother(); }, limit, Ms(10));
}

// --- moves ---------------------------------------------------------------------------

void XClient::WatchMoves(std::uint32_t window) {
  const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(c_, window, XCB_CW_EVENT_MASK, &mask);
  Sync();
}

std::optional<XClient::Move> XClient::NextMove(Ms limit) {
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

}  // namespace xtest
