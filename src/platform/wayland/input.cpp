// The seat's pointer and keyboard.
#include "platform/wayland/input.h"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "platform/keys.h"
#include "platform/wayland/state.h"

namespace plat::wl {
namespace {

int ButtonCode(std::uint32_t button) {
  switch (button) {
    case BTN_LEFT: return kLeftButton;
    case BTN_RIGHT: return kRightButton;
    case BTN_MIDDLE: return kMiddleButton;
    default: return 0;
  }
}

bool Contains(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// The topmost shown control of `rec` under (x, y), in `rec`'s pixels, or
// `rec` itself; (x, y) becomes relative to what is returned. Lines take no
// clicks; a control cut to an outline takes them only inside it.
WindowRec* TargetAt(WindowRec* rec, int& x, int& y) {
  for (auto it = rec->children.rbegin(); it != rec->children.rend(); ++it) {
    WindowRec* child = FindWindow(*it);
    if (!child || !child->visible || child->kind == Kind::kLine || !Contains(child->rect, x, y)) continue;
    const int cx = x - child->rect.left, cy = y - child->rect.top;
    if (child->outline && !child->outline->ContainsPoint(cx, cy)) continue;
    x = cx;
    y = cy;
    return TargetAt(child, x, y);
  }
  return rec;
}

void OnButtonPress(std::uint32_t button) {
  Backend& b = B();
  const int code = ButtonCode(button);
  if (code == 0 || b.pointerSurface != b.stage.surface || !b.stage.surface) return;
  const int sx = static_cast<int>(b.pointerX), sy = static_cast<int>(b.pointerY);
  WindowRec* sprite = SpriteAt(sx, sy);
  if (!sprite) return;
  int x = sx - sprite->rect.left;
  int y = sy - sprite->rect.top;
  const WindowId target = TargetAt(sprite, x, y)->id;
  // A click on the game gives it the keyboard.
  if (b.keyboardSurface != b.stage.surface && !b.stage.dialogOpen) {
    b.stage.keyboardWanted = true;
    SetStageKeyboard();
  }
  Defer([target, code, x, y] {
    const WindowRec* rec = FindWindow(target);
    if (!rec || !rec->onMouseDown) return;
    const MouseDownHandler handler = rec->onMouseDown;  // may destroy the window
    handler(code, x, y);
  });
}

void PointerEnter(void*, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  Backend& b = B();
  b.pointerSurface = surface;
  b.pointerX = wl_fixed_to_double(x);
  b.pointerY = wl_fixed_to_double(y);
  if (b.modalMotion) b.modalMotion(surface);
}
void PointerLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) { B().pointerSurface = nullptr; }
void PointerMotion(void*, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
  Backend& b = B();
  b.pointerX = wl_fixed_to_double(x);
  b.pointerY = wl_fixed_to_double(y);
  if (b.modalMotion) b.modalMotion(b.pointerSurface);
}
void PointerButton(void*, wl_pointer*, std::uint32_t serial, std::uint32_t, std::uint32_t button,
                   std::uint32_t state) {
  Backend& b = B();
  if (state != WL_POINTER_BUTTON_STATE_PRESSED) return;
  b.pressSerial = serial;
  if (b.modalPointer && b.modalPointer(b.pointerSurface, b.pointerX, b.pointerY, button)) return;
  OnButtonPress(button);
}
void PointerAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void PointerFrame(void*, wl_pointer*) {}
void PointerAxisSource(void*, wl_pointer*, std::uint32_t) {}
void PointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void PointerAxisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
void PointerAxisValue120(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
const wl_pointer_listener kPointerListener = {PointerEnter,      PointerLeave,    PointerMotion,
                                              PointerButton,     PointerAxis,     PointerFrame,
                                              PointerAxisSource, PointerAxisStop, PointerAxisDiscrete,
                                              PointerAxisValue120};

void KeyboardKeymap(void*, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size) {
  Backend& b = B();
  if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
    close(fd);
    return;
  }
  void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  close(fd);
  if (text == MAP_FAILED) return;
  xkb_keymap* keymap = xkb_keymap_new_from_string(b.xkb, static_cast<const char*>(text),
                                                  XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
  munmap(text, size);
  if (!keymap) return;
  if (b.keyState) xkb_state_unref(b.keyState);
  if (b.keymap) xkb_keymap_unref(b.keymap);
  b.keymap = keymap;
  b.keyState = xkb_state_new(keymap);
}

std::uint32_t KeysymOf(std::uint32_t key) {
  Backend& b = B();
  return b.keyState ? xkb_state_key_get_one_sym(b.keyState, key + 8) : 0;
}

// The game hears of the keyboard coming and going at the next yield.
void TellKeyboardHeard() {
  Backend& b = B();
  const bool heard = b.keyboardSurface != nullptr;
  if (heard == b.heard) return;
  b.heard = heard;
  if (b.onKeyboardHeard) Defer(b.onKeyboardHeard);
}

// Some compositors (sway 1.7) give a layer surface that has the keyboard on
// demand the keyboard straight back when the player clicks another window:
// the stage hears it leave and come back at once. The stage then asks for
// no keyboard, and the compositor lets it go.
bool BouncedBack(wl_surface* surface) {
  Backend& b = B();
  const bool bounced = surface == b.stage.surface && b.leftStage && !b.stage.keyboardWanted;
  b.leftStage = false;
  if (!bounced) return false;
  b.stage.yielding = true;
  SetStageKeyboard();
  return true;
}

void KeyboardEnter(void*, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array* keys) {
  Backend& b = B();
  b.keyboardSurface = surface;
  TellKeyboardHeard();
  if (BouncedBack(surface)) return;
  // Keys already down when the focus came are held, not pressed.
  for (auto* key = static_cast<std::uint32_t*>(keys->data);
       reinterpret_cast<char*>(key) < static_cast<char*>(keys->data) + keys->size; ++key) {
    if (const int vk = VirtualKeyOf(KeysymOf(*key))) {
      b.keys[vk].held = true;
      b.downAs[*key] = vk;
    }
  }
  NoteFocusGiven();
}

// Without the focus the keys are not heard: whatever was held is let go.
void KeyboardLeave(void*, wl_keyboard*, std::uint32_t, wl_surface* surface) {
  Backend& b = B();
  b.keyboardSurface = nullptr;
  TellKeyboardHeard();
  b.leftStage = surface == b.stage.surface && surface;
  if (b.leftStage) {
    b.stage.yielding = false;
    SetStageKeyboard();  // none until the game is clicked again
  }
  for (auto& [vk, state] : b.keys) state.held = false;
  b.downAs.clear();
}

void KeyboardKey(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key, std::uint32_t state) {
  B().leftStage = false;
  const std::uint32_t keysym = KeysymOf(key);
  const bool down = state == WL_KEYBOARD_KEY_STATE_PRESSED;
  Backend& b = B();
  if (down && b.modalKey && b.modalKey(keysym)) return;
  NoteKey(key, keysym, down);
}

void KeyboardModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
                       std::uint32_t locked, std::uint32_t group) {
  Backend& b = B();
  if (b.keyState) xkb_state_update_mask(b.keyState, depressed, latched, locked, 0, 0, group);
}
void KeyboardRepeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
const wl_keyboard_listener kKeyboardListener = {KeyboardKeymap, KeyboardEnter,     KeyboardLeave,
                                                KeyboardKey,    KeyboardModifiers, KeyboardRepeat};

void ReleaseDevices(bool pointer, bool keyboard) {
  Backend& b = B();
  if (pointer && b.pointer) {
    wl_pointer_release(b.pointer);
    b.pointer = nullptr;
    b.pointerSurface = nullptr;
  }
  if (keyboard && b.keyboard) {
    wl_keyboard_release(b.keyboard);
    b.keyboard = nullptr;
    KeyboardLeave(nullptr, nullptr, 0, nullptr);
    B().leftStage = false;
  }
}

void SeatCapabilities(void*, wl_seat* seat, std::uint32_t caps) {
  Backend& b = B();
  if ((caps & WL_SEAT_CAPABILITY_POINTER) && !b.pointer) {
    b.pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(b.pointer, &kPointerListener, nullptr);
  }
  if ((caps & WL_SEAT_CAPABILITY_KEYBOARD) && !b.keyboard) {
    b.keyboard = wl_seat_get_keyboard(seat);
    // Its events are read at every key poll, apart from the rest.
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(b.keyboard), b.keyQueue);
    wl_keyboard_add_listener(b.keyboard, &kKeyboardListener, nullptr);
  }
  ReleaseDevices(!(caps & WL_SEAT_CAPABILITY_POINTER), !(caps & WL_SEAT_CAPABILITY_KEYBOARD));
}
void SeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {SeatCapabilities, SeatName};

}  // namespace

int VirtualKeyOf(std::uint32_t keysym) {
  switch (keysym) {
    case XKB_KEY_Escape: return VK_ESCAPE;
    case XKB_KEY_space: return VK_SPACE;
    case XKB_KEY_Home: case XKB_KEY_KP_Home: return VK_HOME;
    case XKB_KEY_Left: case XKB_KEY_KP_Left: return VK_LEFT;
    case XKB_KEY_Up: case XKB_KEY_KP_Up: return VK_UP;
    case XKB_KEY_Right: case XKB_KEY_KP_Right: return VK_RIGHT;
    case XKB_KEY_Down: case XKB_KEY_KP_Down: return VK_DOWN;
    default: return 0;
  }
}

void NoteKey(std::uint32_t evdevKey, std::uint32_t keysym, bool down) {
  Backend& b = B();
  ++b.keyEvents;
  if (down) {
    const int vk = VirtualKeyOf(keysym);
    if (vk == 0) return;
    b.downAs[evdevKey] = vk;
    b.keys[vk].held = true;
    b.keys[vk].pressedSince = true;
    return;
  }
  const auto it = b.downAs.find(evdevKey);
  if (it == b.downAs.end()) return;
  b.keys[it->second].held = false;
  b.downAs.erase(it);
}

void WatchSeat(wl_seat* seat) {
  Backend& b = B();
  if (!b.xkb) b.xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  wl_seat_add_listener(seat, &kSeatListener, nullptr);
}

void ForgetSeat() {
  Backend& b = B();
  ReleaseDevices(true, true);
  if (b.seat) wl_seat_release(b.seat);
  b.seat = nullptr;
  if (b.keyState) xkb_state_unref(b.keyState);
  if (b.keymap) xkb_keymap_unref(b.keymap);
  if (b.xkb) xkb_context_unref(b.xkb);
  b.keyState = nullptr;
  b.keymap = nullptr;
  b.xkb = nullptr;
  b.keys.clear();
}

}  // namespace plat::wl
