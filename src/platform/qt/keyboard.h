// The polled keyboard (GetAsyncKeyState): a private X connection that
// watches raw key events (XInput 2) on the root window and asks the server
// which keys are held.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <xcb/xcb.h>

struct _XCBKeySymbols;

namespace plat::qt {

class Keyboard {
 public:
  Keyboard() = default;
  Keyboard(const Keyboard&) = delete;
  Keyboard& operator=(const Keyboard&) = delete;
  ~Keyboard();

  // Takes over `conn` (a connection of its own, not Qt's). `useXInput` false
  // forces the plain keymap fallback.
  void Open(xcb_connection_t* conn, bool useXInput);
  void Close();
  bool IsOpen() const { return conn_ != nullptr; }
  bool HasRawEvents() const { return xiOpcode_ != 0; }
  int FileDescriptor() const;
  xcb_connection_t* Connection() const { return conn_; }

  // GetAsyncKeyState: bit 15 held now, bit 0 pressed since the last poll.
  std::int16_t Poll(int vk);
  // Reads the events that have arrived; true when a key has gone down since
  // the last poll or TakeNewPresses. TakeNewPresses also forgets it.
  bool Pump();
  bool TakeNewPresses();

  // Another client holds an active keyboard grab (a screen locker, a
  // password prompt), or the screen saver is on: the keys are not the
  // game's, and every poll reads nothing. Learnt from events alone (focus
  // changes of mode Grab, the screen saver's notices); while it lasts the
  // grab is checked once a second, should its end have gone unseen.
  // A key pressed meanwhile, or the press that wakes the screen saver, is
  // not read until it is released.
  bool Blind() const { return grabbed_ || saverOn_; }
  void NoteGrab(bool grabbed);
  // A focus change on Qt's connection (x_events.cpp): a grab taken while
  // one of the program's windows has the focus makes the keys another
  // client's until it ends. Focus events another client made up (sent
  // with SendEvent) tell nothing.
  void NoteFocusChange(const xcb_focus_in_event_t* ev);
  // The program gives `window` the focus: its focus changes are heard here
  // too, in order with the keys, so that a key typed at once into a grab
  // taken while it has the focus is not read first.
  void WatchFocusOf(std::uint32_t window);

 private:
  void Drain();
  void Handle(xcb_generic_event_t* ev);
  bool KeymapCurrent() const;
  bool ReadKeymap();
  const std::vector<std::uint8_t>& KeycodesOf(int vk);
  std::vector<std::uint8_t> KeycodesWith(std::uint32_t keysym) const;
  int NumLockMask() const;
  void ForgetKeycodes();
  void WatchGrabsAndSaver();
  void CheckGrabStillHeld();
  std::uint32_t ServerTime();

  xcb_connection_t* conn_ = nullptr;
  _XCBKeySymbols* symbols_ = nullptr;
  std::uint8_t xiOpcode_ = 0;
  std::array<bool, 256> pressedSince_{};     // raw presses not yet polled
  std::array<bool, 256> heldAtLastPoll_{};   // the fallback's memory
  // The keymap last read, the number of the request that read it and when.
  // With raw events it stays true until a key event comes after it.
  std::array<std::uint8_t, 32> keymap_{};
  std::uint32_t keymapRequest_ = 0;
  std::int64_t keymapReadMs_ = 0;
  bool keymapStale_ = true;
  std::array<std::vector<std::uint8_t>, 0x29> keycodes_{};
  std::array<bool, 0x29> keycodesKnown_{};
  // The keypad's keys of the same meaning, read only while NumLock is off.
  std::array<std::vector<std::uint8_t>, 0x29> keypadKeycodes_{};
  int numLockMask_ = -1;  // not known yet
  bool numLockOn_ = false;
  bool newPress_ = false;
  bool grabbed_ = false;
  bool saverOn_ = false;
  bool saverJustWoke_ = false;   // the next press may be the one that woke it
  std::uint32_t saverWokeAt_ = 0;  // server time
  std::array<bool, 256> ignoredUntilUp_{};
  std::uint8_t saverEvent_ = 0;  // the screen saver's notify event, 0 without the extension
  std::int64_t grabCheckedMs_ = 0;
  std::uint32_t clockWindow_ = 0;  // a window of this connection whose changes tell the server's time
};

}  // namespace plat::qt
