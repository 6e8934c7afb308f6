// The polled keyboard on a private X connection.
//
// XInput 2 raw key events are delivered to the root window whatever window
// has the focus, so a key pressed and released between two polls is still
// seen. A poll reads every raw event that has arrived; the keymap (which
// keys are held) is asked of the server again only when a key event came
// after the last answer, so a frame's many polls cost no round trip while
// no key changes. Without raw events every poll asks. Nothing of Qt's event
// queue is touched.
#include "platform/qt/keyboard.h"

#include <xcb/xcb.h>
#include <xcb/screensaver.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/keys.h"
#include "platform/qt/backend.h"

namespace plat::qt {
namespace {

constexpr std::uint32_t kNoKeysym = 0;
// Even with raw events the keymap is read again after this long, should the
// server ever change it without telling.
constexpr std::int64_t kKeymapTrustMs = 250;
// How often a grab whose end was not seen is looked at again.
constexpr std::int64_t kGrabCheckMs = 1000;
// A press this close (server time) after the screen saver went off woke it.
constexpr std::uint32_t kWakeMs = 50;
// How far ahead of the server's clock the probe of a grab is dated.
constexpr std::uint32_t kProbeAheadMs = 600'000;
// The bit of an event's type that says another client sent it.
constexpr std::uint8_t kSentEvent = 0x80;

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

// The keypad's key of the same meaning with NumLock off, kNoKeysym for none:
// the game reads it as the main key.
std::uint32_t KeypadKeysymOf(int vk) {
  switch (vk) {
    case VK_HOME: return 0xff95;   // XK_KP_Home
    case VK_LEFT: return 0xff96;   // XK_KP_Left
    case VK_UP: return 0xff97;     // XK_KP_Up
    case VK_RIGHT: return 0xff98;  // XK_KP_Right
    case VK_DOWN: return 0xff99;   // XK_KP_Down
    default: return kNoKeysym;
  }
}

constexpr std::uint32_t kNumLockKeysym = 0xff7f;  // XK_Num_Lock

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
  WatchGrabsAndSaver();
  xcb_flush(conn_);
}

// Focus events on the root tell of grabs taken on the root or while the
// focus follows the pointer; focus events of the window the game focuses
// (on Qt's connection, x_events.cpp) of grabs taken while it has the focus.
void Keyboard::WatchGrabsAndSaver() {
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
  const std::uint32_t mask = XCB_EVENT_MASK_FOCUS_CHANGE;
  xcb_change_window_attributes(conn_, root, XCB_CW_EVENT_MASK, &mask);
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(conn_, &xcb_screensaver_id);
  if (!ext || !ext->present) return;
  saverEvent_ = ext->first_event + XCB_SCREENSAVER_NOTIFY;
  xcb_screensaver_select_input(conn_, root, XCB_SCREENSAVER_EVENT_NOTIFY_MASK);
  xcb_screensaver_query_info_reply_t* info =
      xcb_screensaver_query_info_reply(conn_, xcb_screensaver_query_info(conn_, root), nullptr);
  saverOn_ = info && info->state == XCB_SCREENSAVER_STATE_ON;
  std::free(info);
}

void Keyboard::WatchFocusOf(std::uint32_t window) {
  if (!conn_ || window == XCB_NONE) return;
  const std::uint32_t mask = XCB_EVENT_MASK_FOCUS_CHANGE;
  xcb_change_window_attributes(conn_, window, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(conn_);
}

void Keyboard::NoteGrab(bool grabbed) {
  grabbed_ = grabbed;
  grabCheckedMs_ = SteadyMs();
}

void Keyboard::NoteFocusChange(const xcb_focus_in_event_t* ev) {
  if (ev->response_type & kSentEvent) return;
  if (ev->mode == XCB_NOTIFY_MODE_GRAB || ev->mode == XCB_NOTIFY_MODE_UNGRAB) {
    NoteGrab(ev->mode == XCB_NOTIFY_MODE_GRAB);
  }
}

// The end of a grab is told only to the window that has the focus then: a
// prompt that grabs the keyboard and then takes the focus ends its grab
// unseen. So while a grab is believed held, the server is asked at most once
// a second whether anyone holds the keyboard, by a grab dated ahead of its
// clock: such a grab is never granted, and the answer is "already grabbed"
// while another client holds the keyboard and "invalid time" while it is
// free. Nobody's own grab can fail for it.
void Keyboard::CheckGrabStillHeld() {
  if (SteadyMs() - grabCheckedMs_ < kGrabCheckMs) return;
  grabCheckedMs_ = SteadyMs();
  const std::uint32_t now = ServerTime();
  if (now == 0) return;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
  xcb_grab_keyboard_reply_t* r = xcb_grab_keyboard_reply(
      conn_, xcb_grab_keyboard(conn_, 0, root, now + kProbeAheadMs, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
      nullptr);
  if (r && r->status == XCB_GRAB_STATUS_SUCCESS) xcb_ungrab_keyboard(conn_, XCB_CURRENT_TIME);  // a clock gone wrong
  if (r && r->status != XCB_GRAB_STATUS_ALREADY_GRABBED && r->status != XCB_GRAB_STATUS_FROZEN) grabbed_ = false;
  std::free(r);
  xcb_flush(conn_);
}

// The server's clock: the time of the notice of a change to a window of
// this connection. The notice comes before the answer to the request that
// follows the change. 0 when it cannot be read.
std::uint32_t Keyboard::ServerTime() {
  if (clockWindow_ == 0) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
    clockWindow_ = xcb_generate_id(conn_);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(conn_, XCB_COPY_FROM_PARENT, clockWindow_, root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
  }
  xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, clockWindow_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                      nullptr);
  std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
  std::uint32_t time = 0;
  while (xcb_generic_event_t* ev = xcb_poll_for_queued_event(conn_)) {
    if ((ev->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
        reinterpret_cast<xcb_property_notify_event_t*>(ev)->window == clockWindow_) {
      time = reinterpret_cast<xcb_property_notify_event_t*>(ev)->time;
    } else {
      Handle(ev);
    }
    std::free(ev);
  }
  return time;
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
  keymapStale_ = true;
  grabbed_ = saverOn_ = saverJustWoke_ = false;
  saverEvent_ = 0;
  clockWindow_ = 0;
  ignoredUntilUp_ = {};
  ForgetKeycodes();
}

int Keyboard::FileDescriptor() const { return conn_ ? xcb_get_file_descriptor(conn_) : -1; }

std::int16_t Keyboard::Poll(int vk) {
  const std::vector<std::uint8_t>& codes = KeycodesOf(vk);
  if (codes.empty() || xcb_connection_has_error(conn_)) return 0;

  Drain();
  if (grabbed_) CheckGrabStillHeld();
  if (!KeymapCurrent() && !ReadKeymap()) {
    newPress_ = false;
    return 0;
  }
  newPress_ = false;

  bool held = false, pressed = false;
  std::vector<std::uint8_t> keys = codes;
  if (!numLockOn_) keys.insert(keys.end(), keypadKeycodes_[vk].begin(), keypadKeycodes_[vk].end());
  for (std::uint8_t code : keys) {
    const bool down = KeyBit(keymap_.data(), code) && !ignoredUntilUp_[code];
    held = held || down;
    if (xiOpcode_) {
      pressed = pressed || pressedSince_[code];
    } else {
      pressed = pressed || (down && !heldAtLastPoll_[code]);
    }
    pressedSince_[code] = false;
    heldAtLastPoll_[code] = down;
  }
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
    keymapStale_ = true;
    return;
  }
  if (type == XCB_FOCUS_IN || type == XCB_FOCUS_OUT) {
    NoteFocusChange(reinterpret_cast<xcb_focus_in_event_t*>(ev));
    return;
  }
  if (saverEvent_ != 0 && type == saverEvent_) {
    const auto* notice = reinterpret_cast<xcb_screensaver_notify_event_t*>(ev);
    saverJustWoke_ = saverOn_ && notice->state != XCB_SCREENSAVER_STATE_ON;
    saverWokeAt_ = notice->time;
    saverOn_ = notice->state == XCB_SCREENSAVER_STATE_ON;
    return;
  }
  if (type != XCB_GE_GENERIC || !xiOpcode_) return;
  auto* ge = reinterpret_cast<xcb_ge_generic_event_t*>(ev);
  if (ge->extension != xiOpcode_) return;
  if (ge->event_type != XCB_INPUT_RAW_KEY_PRESS && ge->event_type != XCB_INPUT_RAW_KEY_RELEASE) return;
  auto* raw = reinterpret_cast<xcb_input_raw_key_press_event_t*>(ev);
  // A held key's repeats change nothing of what is held.
  if (raw->flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT) return;
  // An event carries the number of the last request the server had done:
  // one made at or after the keymap's request is not in that keymap.
  if (static_cast<std::int32_t>(ge->full_sequence - keymapRequest_) >= 0) keymapStale_ = true;
  const std::uint8_t code = raw->detail & 0xff;
  if (ge->event_type != XCB_INPUT_RAW_KEY_PRESS) {
    ignoredUntilUp_[code] = false;
    return;
  }
  const bool woke = saverJustWoke_ && raw->time - saverWokeAt_ <= kWakeMs;
  saverJustWoke_ = false;
  if (Blind() || woke) {
    ignoredUntilUp_[code] = true;
    return;
  }
  pressedSince_[code] = true;
  newPress_ = true;
}

bool Keyboard::KeymapCurrent() const {
  return xiOpcode_ && !keymapStale_ && SteadyMs() - keymapReadMs_ < kKeymapTrustMs;
}

// Asks for the keymap, then reads the events that came meanwhile: those the
// server sent before its answer are in the queue by the time it is read.
bool Keyboard::ReadKeymap() {
  const xcb_query_keymap_cookie_t cookie = xcb_query_keymap(conn_);
  // NumLock's state, in the same round trip, where the keypad matters.
  if (numLockMask_ > 0) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
    const xcb_query_pointer_cookie_t pointer = xcb_query_pointer(conn_, root);
    if (xcb_query_pointer_reply_t* state = xcb_query_pointer_reply(conn_, pointer, nullptr)) {
      numLockOn_ = (state->mask & numLockMask_) != 0;
      std::free(state);
    }
  }
  xcb_query_keymap_reply_t* map = xcb_query_keymap_reply(conn_, cookie, nullptr);
  if (!map) return false;
  std::memcpy(keymap_.data(), map->keys, keymap_.size());
  std::free(map);
  keymapRequest_ = cookie.sequence;
  keymapReadMs_ = SteadyMs();
  keymapStale_ = false;
  Drain();
  return true;
}

const std::vector<std::uint8_t>& Keyboard::KeycodesOf(int vk) {
  static const std::vector<std::uint8_t> kNone;
  const std::uint32_t sym = KeysymOf(vk);
  if (sym == kNoKeysym || !conn_) return kNone;
  if (!keycodesKnown_[vk]) {
    keycodesKnown_[vk] = true;
    keycodes_[vk] = KeycodesWith(sym);
    keypadKeycodes_[vk].clear();
    const std::uint32_t keypad = KeypadKeysymOf(vk);
    for (std::uint8_t code : keypad == kNoKeysym ? std::vector<std::uint8_t>() : KeycodesWith(keypad)) {
      if (std::find(keycodes_[vk].begin(), keycodes_[vk].end(), code) == keycodes_[vk].end()) {
        keypadKeycodes_[vk].push_back(code);
      }
    }
    if (!keypadKeycodes_[vk].empty() && numLockMask_ < 0) {
      numLockMask_ = NumLockMask();
      keymapStale_ = true;  // NumLock's state comes with the next reading
    }
  }
  return keycodes_[vk];
}

std::vector<std::uint8_t> Keyboard::KeycodesWith(std::uint32_t keysym) const {
  std::vector<std::uint8_t> found;
  if (xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym)) {
    for (xcb_keycode_t* k = codes; *k != XCB_NO_SYMBOL; ++k) found.push_back(*k);
    std::free(codes);
  }
  return found;
}

// The modifier bit NumLock sets, 0 when no modifier holds it.
int Keyboard::NumLockMask() const {
  const std::vector<std::uint8_t> numLock = KeycodesWith(kNumLockKeysym);
  xcb_get_modifier_mapping_reply_t* map =
      xcb_get_modifier_mapping_reply(conn_, xcb_get_modifier_mapping(conn_), nullptr);
  int mask = 0;
  if (map) {
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map);
    const int perModifier = map->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8 && mask == 0; ++modifier) {
      for (int i = 0; i < perModifier; ++i) {
        const xcb_keycode_t code = codes[modifier * perModifier + i];
        if (code != 0 && std::find(numLock.begin(), numLock.end(), code) != numLock.end()) mask = 1 << modifier;
      }
    }
  }
  std::free(map);
  return mask;
}

void Keyboard::ForgetKeycodes() {
  keycodesKnown_ = {};
  numLockMask_ = -1;
}

}  // namespace plat::qt

namespace plat::qt {

std::int16_t GetAsyncKeyState(int vk) { return qt::B().keyboard.Poll(vk); }

}  // namespace plat::qt
