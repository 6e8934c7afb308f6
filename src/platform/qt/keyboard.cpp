// The polled keyboard on a private X connection.
//
// XInput 2 raw key events are delivered to the root window whatever window
// has the focus, so a key pressed and released between two polls is still
// seen. A poll asks the server for the keymap (which keys are held) and then
// reads every raw event that arrived before that answer, so it is exact at
// the moment it is made. Nothing of Qt's event queue is touched.
#include "platform/qt/keyboard.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>

#include <cstdlib>

#include "platform/keys.h"

namespace plat::qt {
namespace {

constexpr std::uint32_t kNoKeysym = 0;

// The keysym of each virtual-key code the game reads.
std::uint32_t KeysymOf(int vk) {
  switch (vk) {
    case VK_ESCAPE: return 0xff1b;  // XK_Escape
    case VK_SPACE: return 0x0020;   // XK_space
    case VK_HOME: return 0xff50;    // XK_Home
    case VK_LEFT: return 0xff51;    // XK_Left
    case VK_UP: return 0xff52;      // XK_Up
    case VK_RIGHT: return 0xff53;   // XK_Right
    case VK_DOWN: return 0xff54;    // XK_Down
    default: return kNoKeysym;
  }
}

bool KeyBit(const std::uint8_t* keys, std::uint8_t code) {
  return (keys[code / 8] >> (code % 8)) & 1;
}

// Asks for XInput 2.2 and selects raw key events on the root; returns the
// extension's major opcode, 0 when the server lacks it.
std::uint8_t SelectRawKeys(xcb_connection_t* c) {
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_input_id);
  if (!ext || !ext->present) return 0;
  xcb_input_xi_query_version_reply_t* ver =
      xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr);
  const bool ok = ver && ver->major_version >= 2;
  std::free(ver);
  if (!ok) return 0;

  struct {
    xcb_input_event_mask_t head;
    std::uint32_t mask;
  } sel{};
  sel.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
  sel.head.mask_len = 1;
  sel.mask = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  xcb_generic_error_t* err = xcb_request_check(
      c, xcb_input_xi_select_events_checked(c, screen->root, 1, &sel.head));
  std::free(err);
  return err ? 0 : ext->major_opcode;
}

}  // namespace

Keyboard::~Keyboard() { Close(); }

void Keyboard::Open(xcb_connection_t* conn, bool useXInput) {
  Close();
  conn_ = conn;
  symbols_ = xcb_key_symbols_alloc(conn_);
  xiOpcode_ = useXInput ? SelectRawKeys(conn_) : 0;
  xcb_flush(conn_);
}

void Keyboard::Close() {
  if (!conn_) return;
  xcb_key_symbols_free(symbols_);
  xcb_disconnect(conn_);
  conn_ = nullptr;
  symbols_ = nullptr;
  xiOpcode_ = 0;
  pressedSince_ = {};
  heldAtLastPoll_ = {};
  ForgetKeycodes();
}

int Keyboard::FileDescriptor() const { return conn_ ? xcb_get_file_descriptor(conn_) : -1; }

std::int16_t Keyboard::Poll(int vk) {
  const std::vector<std::uint8_t>& codes = KeycodesOf(vk);
  if (codes.empty() || xcb_connection_has_error(conn_)) return 0;

  // The keymap first, then the events: every press made before the server
  // answered is in the queue by the time the answer is read.
  xcb_query_keymap_reply_t* map =
      xcb_query_keymap_reply(conn_, xcb_query_keymap(conn_), nullptr);
  Drain();
  newPress_ = false;
  if (!map) return 0;

  bool held = false, pressed = false;
  for (std::uint8_t code : codes) {
    const bool down = KeyBit(map->keys, code);
    held = held || down;
    if (xiOpcode_) {
      pressed = pressed || pressedSince_[code];
    } else {
      pressed = pressed || (down && !heldAtLastPoll_[code]);
    }
    pressedSince_[code] = false;
    heldAtLastPoll_[code] = down;
  }
  std::free(map);
  return static_cast<std::int16_t>((held ? 0x8000 : 0) | (pressed ? 0x0001 : 0));
}

bool Keyboard::Pump() {
  if (conn_) Drain();
  return newPress_;
}

bool Keyboard::TakeNewPresses() {
  const bool any = Pump();
  newPress_ = false;
  return any;
}

void Keyboard::Drain() {
  while (xcb_generic_event_t* ev = xcb_poll_for_event(conn_)) {
    Handle(ev);
    std::free(ev);
  }
}

void Keyboard::Handle(xcb_generic_event_t* ev) {
  const std::uint8_t type = ev->response_type & 0x7f;
  if (type == XCB_MAPPING_NOTIFY) {
    xcb_refresh_keyboard_mapping(symbols_, reinterpret_cast<xcb_mapping_notify_event_t*>(ev));
    ForgetKeycodes();
    return;
  }
  if (type != XCB_GE_GENERIC || !xiOpcode_) return;
  auto* ge = reinterpret_cast<xcb_ge_generic_event_t*>(ev);
  if (ge->extension != xiOpcode_ || ge->event_type != XCB_INPUT_RAW_KEY_PRESS) return;
  auto* raw = reinterpret_cast<xcb_input_raw_key_press_event_t*>(ev);
  if (raw->flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT) return;
  pressedSince_[raw->detail & 0xff] = true;
  newPress_ = true;
}

const std::vector<std::uint8_t>& Keyboard::KeycodesOf(int vk) {
  static const std::vector<std::uint8_t> kNone;
  const std::uint32_t sym = KeysymOf(vk);
  if (sym == kNoKeysym || !conn_) return kNone;
  if (!keycodesKnown_[vk]) {
    keycodesKnown_[vk] = true;
    keycodes_[vk].clear();
    if (xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, sym)) {
      for (xcb_keycode_t* k = codes; *k != XCB_NO_SYMBOL; ++k) keycodes_[vk].push_back(*k);
      std::free(codes);
    }
  }
  return keycodes_[vk];
}

void Keyboard::ForgetKeycodes() { keycodesKnown_ = {}; }

}  // namespace plat::qt
