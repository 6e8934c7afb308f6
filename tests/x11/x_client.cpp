// The tests' own X client.
#include "x11/x_client.h"

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/xcb_reply.h"

namespace xtest {

using xcbtest::Reply;

XClient::XClient() {
  c_ = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c_)) {
    std::fprintf(stderr, "x_client: cannot connect to DISPLAY\n");
    std::abort();
  }
  root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
  symbols_ = xcb_key_symbols_alloc(c_);
}

XClient::~XClient() {
  xcb_key_symbols_free(symbols_);
  xcb_disconnect(c_);
}

void XClient::Sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

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

void XClient::Click(int x, int y, int xButton) {
  MovePointer(x, y);
  Button(xButton, true);
  Button(xButton, false);
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

bool XClient::Exists(std::uint32_t window) {
  Reply r(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr));
  return static_cast<bool>(r);
}

bool XClient::Viewable(std::uint32_t window) {
  Reply r(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr));
  return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool XClient::OverrideRedirect(std::uint32_t window) {
  Reply r(xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, window), nullptr));
  return r && r->override_redirect;
}

int XClient::Depth(std::uint32_t window) {
  Reply g(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window), nullptr));
  return g ? g->depth : 0;
}

plat::Rect XClient::ScreenRect(std::uint32_t window) {
  Reply g(xcb_get_geometry_reply(c_, xcb_get_geometry(c_, window), nullptr));
  Reply t(xcb_translate_coordinates_reply(c_, xcb_translate_coordinates(c_, window, root_, 0, 0),
                                          nullptr));
  if (!g || !t) return {};
  return plat::Rect{t->dst_x, t->dst_y, t->dst_x + g->width, t->dst_y + g->height};
}

plat::Region XClient::Shape(std::uint32_t window) {
  Reply r(xcb_shape_get_rectangles_reply(
      c_, xcb_shape_get_rectangles(c_, window, XCB_SHAPE_SK_BOUNDING), nullptr));
  if (!r) return {};
  std::vector<plat::Rect> rects;
  const xcb_rectangle_t* p = xcb_shape_get_rectangles_rectangles(r.p);
  for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(r.p); ++i) {
    rects.push_back({p[i].x, p[i].y, p[i].x + p[i].width, p[i].y + p[i].height});
  }
  plat::Region shape = plat::Region::FromRects(rects);
  const plat::Rect outer = ScreenRect(window);
  shape.Intersect(plat::Region(plat::Rect{0, 0, outer.Width(), outer.Height()}));
  return shape;
}

std::vector<std::uint32_t> XClient::Stacking() { return Children(root_); }

std::uint32_t XClient::FocusWindow() {
  Reply r(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
  return r ? r->focus : 0;
}

std::uint32_t XClient::SelectionOwner(const std::string& selection) {
  Reply r(xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, Atom(selection)), nullptr));
  return r ? r->owner : 0;
}

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

std::string XClient::StringProperty(std::uint32_t window, const std::string& name) {
  Reply r(xcb_get_property_reply(c_, xcb_get_property(c_, 0, window, Atom(name), XCB_ATOM_ANY, 0, 1024),
                                 nullptr));
  if (!r || r->format != 8) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(r.p)),
                     xcb_get_property_value_length(r.p));
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

std::vector<std::uint32_t> XClient::ScreenPixels(const plat::Rect& rect) {
  if (beforeReading_) beforeReading_();
  std::vector<std::uint32_t> out;
  Reply r(xcb_get_image_reply(
      c_,
      xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, static_cast<std::int16_t>(rect.left),
                    static_cast<std::int16_t>(rect.top), static_cast<std::uint16_t>(rect.Width()),
                    static_cast<std::uint16_t>(rect.Height()), ~0u),
      nullptr));
  // Xvfb's 24-bit screens keep 32 bits a pixel, 0x00RRGGBB in host order.
  if (!r || r->depth != 24) return out;
  const auto* data = xcb_get_image_data(r.p);
  const int count = rect.Width() * rect.Height();
  if (xcb_get_image_data_length(r.p) < count * 4) return out;
  out.resize(static_cast<std::size_t>(count));
  std::memcpy(out.data(), data, out.size() * 4);
  for (std::uint32_t& p : out) p &= 0xffffff;
  return out;
}

}  // namespace xtest
