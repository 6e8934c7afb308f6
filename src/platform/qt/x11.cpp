// Requests made straight on an X connection: connecting, atoms, properties,
// configure, shape and fills.
#include "platform/qt/x11.h"

#include <xcb/composite.h>
#include <xcb/randr.h>
#include <xcb/shape.h>
#include <xcb/xfixes.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/printable.h"
#include "platform/qt/backend.h"

namespace plat::qt::x11 {
namespace {

std::int16_t Clamp16(int v) { return static_cast<std::int16_t>(std::clamp(v, -32768, 32767)); }
std::uint16_t ClampSize(int v) { return static_cast<std::uint16_t>(std::clamp(v, 0, 65535)); }

}  // namespace

std::string DisplayName() {
  const char* display = std::getenv("DISPLAY");
  return Printable(display ? display : "");
}

std::string Connect(xcb_connection_t*& conn, int& screen) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    return "cannot open a window: DISPLAY is not set (an X11 display or XWayland is needed)";
  }
  conn = xcb_connect(nullptr, &screen);
  if (const int error = xcb_connection_has_error(conn)) {
    xcb_disconnect(conn);
    conn = nullptr;
    if (error == XCB_CONN_CLOSED_INVALID_SCREEN) {
      return "the X display \"" + DisplayName() + "\" named by DISPLAY has no screen " + std::to_string(screen);
    }
    return "cannot connect to the X display \"" + DisplayName() + "\" named by DISPLAY";
  }
  if (RootOf(conn, screen) == XCB_NONE) {
    xcb_disconnect(conn);
    conn = nullptr;
    return "the X display \"" + DisplayName() + "\" named by DISPLAY has no such screen";
  }
  return "";
}

std::uint32_t Atom(xcb_connection_t* c, const std::string& name) {
  auto& cache = B().atoms;
  const auto key = std::make_pair(c, name);
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
  const xcb_atom_t atom = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  std::free(r);
  if (atom != XCB_ATOM_NONE) cache[key] = atom;
  return atom;
}

std::uint32_t RootOf(xcb_connection_t* c, int screen) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; it.rem > 0; xcb_screen_next(&it), ++i) {
    if (i == screen) return it.data->root;
  }
  return 0;
}

void LabelSpriteWindow(xcb_connection_t* c, std::uint32_t window) {
  // Compositors draw no shadow under drag-and-drop icons, which is what a
  // sprite looks like to them.
  const xcb_atom_t type = Atom(c, "_NET_WM_WINDOW_TYPE_DND");
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, Atom(c, "_NET_WM_WINDOW_TYPE"),
                      XCB_ATOM_ATOM, 32, 1, &type);
  // picom and the compositors before it draw a shadow under any window
  // without this, whatever its type, when shadows are on.
  const std::uint32_t noShadow = 0;
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, Atom(c, "_COMPTON_SHADOW"), XCB_ATOM_CARDINAL,
                      32, 1, &noShadow);
  SetWmClass(c, window);
}

void SetWmClass(xcb_connection_t* c, std::uint32_t window) {
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                      sizeof kWmClass, kWmClass);
}

std::uint32_t DropKeyEvents(xcb_connection_t* c, std::uint32_t window) {
  xcb_get_window_attributes_reply_t* r =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
  if (!r) return 0;
  const std::uint32_t mask =
      r->your_event_mask & ~std::uint32_t{XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE};
  const std::uint32_t visual = r->visual;
  std::free(r);
  xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
  return visual;
}

void SelectKeyEvents(xcb_connection_t* c, std::uint32_t window, bool on) {
  xcb_get_window_attributes_reply_t* r =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
  if (!r) return;
  constexpr std::uint32_t kKeys = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE;
  const std::uint32_t mask = on ? r->your_event_mask | kKeys : r->your_event_mask & ~kKeys;
  std::free(r);
  xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
}

std::uint32_t InputFocus(xcb_connection_t* c) {
  xcb_get_input_focus_reply_t* r = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
  const std::uint32_t focus = r ? r->focus : 0;
  std::free(r);
  return focus;
}

bool Viewable(xcb_connection_t* c, std::uint32_t window) {
  xcb_get_window_attributes_reply_t* r =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
  const bool viewable = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
  std::free(r);
  return viewable;
}

std::uint32_t ClientLeader(xcb_connection_t* c, std::uint32_t window) {
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, Atom(c, "WM_CLIENT_LEADER"), XCB_ATOM_WINDOW, 0, 1),
      nullptr);
  std::uint32_t leader = 0;
  if (r && r->format == 32 && xcb_get_property_value_length(r) >= 4) {
    std::memcpy(&leader, xcb_get_property_value(r), 4);
  }
  std::free(r);
  return leader;
}

void DestroyWindow(xcb_connection_t* c, std::uint32_t window) {
  xcb_destroy_window(c, window);
  xcb_flush(c);
}

std::uint32_t WorkAreaAtom(xcb_connection_t* c) { return Atom(c, "_NET_WORKAREA"); }

std::optional<Rect> WorkArea(xcb_connection_t* c, std::uint32_t root) {
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      c, xcb_get_property(c, 0, root, WorkAreaAtom(c), XCB_ATOM_CARDINAL, 0, 4), nullptr);
  std::optional<Rect> area;
  if (r && r->format == 32 && xcb_get_property_value_length(r) >= 16) {
    const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r));
    const int x = static_cast<std::int32_t>(v[0]), y = static_cast<std::int32_t>(v[1]);
    area = Rect{x, y, x + static_cast<int>(v[2]), y + static_cast<int>(v[3])};
  }
  std::free(r);
  return area;
}

std::uint8_t ShapeFirstEvent(xcb_connection_t* c) {
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_shape_id);
  return ext && ext->present ? ext->first_event : 0;
}

bool HasShape(xcb_connection_t* c) {
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_shape_id);
  return ext && ext->present;
}

namespace {

std::vector<xcb_rectangle_t> XRects(const std::vector<Rect>& rects) {
  std::vector<xcb_rectangle_t> out;
  out.reserve(rects.size());
  for (const Rect& r : rects) {
    out.push_back({Clamp16(r.left), Clamp16(r.top), ClampSize(r.Width()), ClampSize(r.Height())});
  }
  return out;
}

}  // namespace

void SetShape(xcb_connection_t* c, std::uint32_t window, const Region& outline, bool input) {
  const std::vector<xcb_rectangle_t> rects = XRects(outline.Rects());
  // The region's rectangles come in y-x bands, the order the server likes best.
  xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, input ? XCB_SHAPE_SK_INPUT : XCB_SHAPE_SK_BOUNDING,
                       XCB_CLIP_ORDERING_YX_BANDED,
                       window, 0, 0, static_cast<std::uint32_t>(rects.size()), rects.data());
}

void ClearShape(xcb_connection_t* c, std::uint32_t window) {
  xcb_shape_mask(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, window, 0, 0, XCB_PIXMAP_NONE);
}

std::uint32_t RootVisual(xcb_connection_t* c, std::uint32_t root) {
  for (xcb_screen_iterator_t s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s)) {
    if (s.data->root == root) return s.data->root_visual;
  }
  return 0;
}

bool RootIsTrueColour(xcb_connection_t* c, std::uint32_t root) {
  for (xcb_screen_iterator_t s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s)) {
    if (s.data->root != root) continue;
    for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
      for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem;
           xcb_visualtype_next(&v)) {
        if (v.data->visual_id != s.data->root_visual) continue;
        return d.data->depth == 24 && v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
               v.data->red_mask == 0xff0000 && v.data->green_mask == 0x00ff00 &&
               v.data->blue_mask == 0x0000ff;
      }
    }
  }
  return false;
}

std::optional<Monitors> ReadMonitors(xcb_connection_t* c, std::uint32_t root) {
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_randr_id);
  if (!ext || !ext->present) return std::nullopt;
  xcb_randr_query_version_reply_t* v = xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr);
  const bool monitors = v && (v->major_version > 1 || v->minor_version >= 5);
  std::free(v);
  if (!monitors) return std::nullopt;
  const auto monitorsAsked = xcb_randr_get_monitors(c, root, 1);
  xcb_randr_get_output_primary_reply_t* p =
      xcb_randr_get_output_primary_reply(c, xcb_randr_get_output_primary(c, root), nullptr);
  const xcb_randr_output_t primaryOutput = p ? p->output : XCB_NONE;
  std::free(p);
  xcb_randr_get_monitors_reply_t* r = xcb_randr_get_monitors_reply(c, monitorsAsked, nullptr);
  if (!r) return std::nullopt;
  std::optional<Monitors> out;
  bool primaryFound = false;
  for (auto it = xcb_randr_get_monitors_monitors_iterator(r); it.rem; xcb_randr_monitor_info_next(&it)) {
    const xcb_randr_monitor_info_t& m = *it.data;
    const Rect rect{m.x, m.y, m.x + m.width, m.y + m.height};
    if (!out) out = Monitors{rect, 0};
    // Primary by its own flag, or as the monitor of the primary output.
    bool primary = m.primary;
    const xcb_randr_output_t* outputs = xcb_randr_monitor_info_outputs(it.data);
    for (int i = 0; i < xcb_randr_monitor_info_outputs_length(it.data); ++i) {
      primary = primary || (primaryOutput != XCB_NONE && outputs[i] == primaryOutput);
    }
    if (primary && !primaryFound) out->primary = rect;
    primaryFound = primaryFound || primary;
    ++out->count;
  }
  std::free(r);
  return out;
}

bool IsRandrEvent(xcb_connection_t* c, std::uint8_t responseType) {
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_randr_id);
  if (!ext || !ext->present) return false;
  const std::uint8_t kind = responseType & 0x7f;
  return kind == ext->first_event + XCB_RANDR_SCREEN_CHANGE_NOTIFY || kind == ext->first_event + XCB_RANDR_NOTIFY;
}

std::string RootVisualProblem(xcb_connection_t* c, std::uint32_t root) {
  static const char* const kClasses[] = {"StaticGray", "GrayScale", "StaticColor",
                                         "PseudoColor", "TrueColor", "DirectColor"};
  for (xcb_screen_iterator_t s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s)) {
    if (s.data->root != root) continue;
    for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
      for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem;
           xcb_visualtype_next(&v)) {
        if (v.data->visual_id != s.data->root_visual) continue;
        const int kind = v.data->_class;
        if ((kind == XCB_VISUAL_CLASS_TRUE_COLOR || kind == XCB_VISUAL_CLASS_DIRECT_COLOR) && d.data->depth >= 15) {
          return "";
        }
        return "its screen's visual is " + std::string(kind >= 0 && kind <= 5 ? kClasses[kind] : "unknown") +
               " of depth " + std::to_string(d.data->depth) + "; the program needs TrueColor of depth 15 or more";
      }
    }
  }
  return "";
}

bool HasAlphaVisuals(xcb_connection_t* c, std::uint32_t root) {
  for (xcb_screen_iterator_t s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s)) {
    if (s.data->root != root) continue;
    for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
      if (d.data->depth == 32 && d.data->visuals_len > 0) return true;
    }
  }
  return false;
}

std::uint32_t CompositorSelection(xcb_connection_t* c, std::uint32_t root) {
  int screen = 0;
  for (xcb_screen_iterator_t s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s), ++screen) {
    if (s.data->root == root) break;
  }
  return Atom(c, "_NET_WM_CM_S" + std::to_string(screen));
}

bool Compositing(xcb_connection_t* c, std::uint32_t root, std::uint32_t selection) {
  xcb_get_selection_owner_reply_t* r =
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
  const bool owned = r && r->owner != XCB_NONE;
  std::free(r);
  if (!owned) return false;
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_composite_id);
  if (!ext || !ext->present) return false;  // nobody can redirect the windows
  // Only one client may draw the root's windows itself: the server refuses
  // a second.
  xcb_composite_query_version_reply_t* v =
      xcb_composite_query_version_reply(c, xcb_composite_query_version(c, 0, 4), nullptr);
  std::free(v);
  xcb_generic_error_t* refused = xcb_request_check(
      c, xcb_composite_redirect_subwindows_checked(c, root, XCB_COMPOSITE_REDIRECT_MANUAL));
  if (refused) {
    std::free(refused);
    return true;
  }
  xcb_composite_unredirect_subwindows(c, root, XCB_COMPOSITE_REDIRECT_MANUAL);
  return false;
}

std::uint8_t WatchSelectionOwner(xcb_connection_t* c, std::uint32_t root, std::uint32_t selection) {
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_xfixes_id);
  if (!ext || !ext->present) return 0;
  xcb_xfixes_query_version_reply_t* v =
      xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr);
  if (!v) return 0;
  std::free(v);
  const std::uint32_t mask = XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                             XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                             XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE;
  xcb_xfixes_select_selection_input(c, root, selection, mask);
  return static_cast<std::uint8_t>(ext->first_event + XCB_XFIXES_SELECTION_NOTIFY);
}

bool IsArgb32(xcb_connection_t* c, std::uint32_t visual) {
  for (xcb_screen_iterator_t s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s)) {
    for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
      if (d.data->depth != 32) continue;
      for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
        if (v.data->visual_id != visual) continue;
        return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xff0000u &&
               v.data->green_mask == 0xff00u && v.data->blue_mask == 0xffu;
      }
    }
  }
  return false;
}

std::uint32_t MakeFillContext(xcb_connection_t* c, std::uint32_t window) {
  const xcb_gcontext_t gc = xcb_generate_id(c);
  const std::uint32_t exposures = 0;
  xcb_create_gc(c, gc, window, XCB_GC_GRAPHICS_EXPOSURES, &exposures);
  return gc;
}

void FillRects(xcb_connection_t* c, std::uint32_t gc, std::uint32_t window, std::uint32_t pixel,
               const std::vector<Rect>& rects) {
  if (rects.empty()) return;
  xcb_change_gc(c, gc, XCB_GC_FOREGROUND, &pixel);
  const std::vector<xcb_rectangle_t> xr = XRects(rects);
  xcb_poly_fill_rectangle(c, window, gc, static_cast<std::uint32_t>(xr.size()), xr.data());
}

void ClearRects(xcb_connection_t* c, std::uint32_t window, const std::vector<Rect>& rects) {
  for (const xcb_rectangle_t& r : XRects(rects)) {
    if (r.width > 0 && r.height > 0) xcb_clear_area(c, 0, window, r.x, r.y, r.width, r.height);
  }
}

std::uint32_t Move(xcb_connection_t* c, std::uint32_t window, int x, int y) {
  const std::uint32_t values[] = {static_cast<std::uint32_t>(Clamp16(x)),
                                  static_cast<std::uint32_t>(Clamp16(y))};
  return xcb_configure_window(c, window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values).sequence;
}

std::uint32_t MoveResize(xcb_connection_t* c, std::uint32_t window, int x, int y, int width, int height) {
  const std::uint32_t values[] = {static_cast<std::uint32_t>(Clamp16(x)), static_cast<std::uint32_t>(Clamp16(y)),
                                  std::max<std::uint32_t>(1, ClampSize(width)),
                                  std::max<std::uint32_t>(1, ClampSize(height))};
  return xcb_configure_window(c, window,
                              XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                                  XCB_CONFIG_WINDOW_HEIGHT,
                              values)
      .sequence;
}

void Raise(xcb_connection_t* c, std::uint32_t window) {
  const std::uint32_t values[] = {XCB_STACK_MODE_ABOVE};
  xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, values);
}

void Focus(xcb_connection_t* c, std::uint32_t window) {
  xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
}

void Flush(xcb_connection_t* c) { xcb_flush(c); }

}  // namespace plat::qt::x11
