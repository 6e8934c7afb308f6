// The test's own keyboard and pointer on a Wayland seat.
#include "support/wayland_seat.h"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstring>
#include <map>

#include "virtual-keyboard-unstable-v1-client.h"
#include "wlr-virtual-pointer-unstable-v1-client.h"

namespace xtest {

namespace evdev {
std::uint32_t FromName(const std::string& name) {
  static const std::map<std::string, std::uint32_t> kNames = {
      {"escape", kEscape}, {"enter", kEnter}, {"space", kSpace}, {"home", kHome},
      {"up", kUp},         {"left", kLeft},   {"right", kRight}, {"down", kDown}};
  const auto it = kNames.find(name);
  return it == kNames.end() ? 0 : it->second;
}
}  // namespace evdev

struct WaylandSeat::Globals {
  wl_registry* registry = nullptr;
  wl_seat* seat = nullptr;
  zwp_virtual_keyboard_manager_v1* keyboards = nullptr;
  zwlr_virtual_pointer_manager_v1* pointers = nullptr;
  zwp_virtual_keyboard_v1* keyboard = nullptr;
  zwlr_virtual_pointer_v1* pointer = nullptr;
};

namespace {

void OnGlobal(void* data, wl_registry* r, std::uint32_t name, const char* interface, std::uint32_t) {
  auto* g = static_cast<WaylandSeat::Globals*>(data);
  const std::string what = interface;
  if (what == wl_seat_interface.name && !g->seat) {
    g->seat = static_cast<wl_seat*>(wl_registry_bind(r, name, &wl_seat_interface, 1));
  } else if (what == zwp_virtual_keyboard_manager_v1_interface.name) {
    g->keyboards = static_cast<zwp_virtual_keyboard_manager_v1*>(
        wl_registry_bind(r, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
  } else if (what == zwlr_virtual_pointer_manager_v1_interface.name) {
    g->pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(r, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
  }
}
void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kListener = {OnGlobal, OnGlobalRemove};

// The US layout, as the keyboard's keymap.
bool UploadKeymap(zwp_virtual_keyboard_v1* keyboard) {
  xkb_context* ctx = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
  xkb_keymap* keymap = ctx ? xkb_keymap_new_from_names(ctx, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr;
  char* text = keymap ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
  bool sent = false;
  if (text) {
    const std::size_t size = std::strlen(text) + 1;
    const int fd = memfd_create("zb-test-keymap", MFD_CLOEXEC);
    if (fd >= 0 && write(fd, text, size) == static_cast<ssize_t>(size)) {
      zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, static_cast<std::uint32_t>(size));
      sent = true;
    }
    if (fd >= 0) close(fd);
    std::free(text);
  }
  if (keymap) xkb_keymap_unref(keymap);
  if (ctx) xkb_context_unref(ctx);
  return sent;
}

}  // namespace

WaylandSeat::WaylandSeat() : g_(new Globals) {
  display_ = wl_display_connect(nullptr);
  if (!display_) {
    error_ = "cannot connect to the Wayland compositor";
    return;
  }
  g_->registry = wl_display_get_registry(display_);
  wl_registry_add_listener(g_->registry, &kListener, g_);
  wl_display_roundtrip(display_);
  if (!g_->seat || !g_->keyboards || !g_->pointers) {
    error_ = "the compositor offers no seat, virtual keyboard or virtual pointer";
    return;
  }
  g_->keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(g_->keyboards, g_->seat);
  if (!UploadKeymap(g_->keyboard)) error_ = "cannot make a keymap";
  g_->pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g_->pointers, g_->seat);
  Sync();
}

WaylandSeat::~WaylandSeat() {
  if (display_) {
    if (g_->keyboard) zwp_virtual_keyboard_v1_destroy(g_->keyboard);
    if (g_->pointer) zwlr_virtual_pointer_v1_destroy(g_->pointer);
    if (g_->keyboards) zwp_virtual_keyboard_manager_v1_destroy(g_->keyboards);
    if (g_->pointers) zwlr_virtual_pointer_manager_v1_destroy(g_->pointers);
    if (g_->seat) wl_seat_destroy(g_->seat);
    if (g_->registry) wl_registry_destroy(g_->registry);
    wl_display_roundtrip(display_);
    wl_display_disconnect(display_);
  }
  delete g_;
}

void WaylandSeat::SetScreen(int width, int height) {
  width_ = width;
  height_ = height;
}

std::uint32_t WaylandSeat::Now() const {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void WaylandSeat::Sync() {
  if (display_ && wl_display_roundtrip(display_) < 0) error_ = "the compositor closed the connection";
}

void WaylandSeat::Key(std::uint32_t evdevKey, bool down) {
  if (!ok()) return;
  zwp_virtual_keyboard_v1_key(g_->keyboard, Now(), evdevKey,
                              down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
  Sync();
}

void WaylandSeat::MoveTo(int x, int y) {
  if (!ok()) return;
  zwlr_virtual_pointer_v1_motion_absolute(g_->pointer, Now(), static_cast<std::uint32_t>(x),
                                          static_cast<std::uint32_t>(y), static_cast<std::uint32_t>(width_),
                                          static_cast<std::uint32_t>(height_));
  zwlr_virtual_pointer_v1_frame(g_->pointer);
  Sync();
}

void WaylandSeat::Button(std::uint32_t button, bool down) {
  if (!ok()) return;
  zwlr_virtual_pointer_v1_button(g_->pointer, Now(), button,
                                 down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
  zwlr_virtual_pointer_v1_frame(g_->pointer);
  Sync();
}

void WaylandSeat::Click(int x, int y, std::uint32_t button) {
  MoveTo(x, y);
  Button(button, true);
  Button(button, false);
}

}  // namespace xtest
