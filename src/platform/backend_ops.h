// The real backends' tables of operations: the program holds the X11 and the
// Wayland backend and plays on the one it picks at start-up.
//
// Each backend defines the platform interface's functions in its own
// namespace (plat::qt, plat::wl) and hands them out as one BackendOps table.
// The public plat:: functions forward to a table: in the program to the one
// chosen when it starts (choice.cpp), in a test program that links one
// backend alone to that backend's (ZB_FORWARD_TO).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/app.h"
#include "platform/dialogs.h"
#include "platform/events.h"
#include "platform/keys.h"
#include "platform/screen.h"
#include "platform/window.h"

// What the program calls before a backend is chosen: each of them picks one.
// OP(result, name, (parameters), (arguments)).
#define ZB_STARTUP_OPS(OP)                                          \
  OP(void, PrepareProcess, (), ())                                  \
  OP(Outcome, QuitRunningCopy, (), ())                              \
  OP(std::string, OpenPlatform, (int& argc, char** argv, int neededWidth), (argc, argv, neededWidth))

// Everything else of the platform interface, run on the chosen backend.
#define ZB_PLAYING_OPS(OP)                                                                           \
  OP(std::string, ClaimDisplay, (), ())                                                              \
  OP(void, ClosePlatform, (), ())                                                                    \
  OP(ScreenInfo, GetScreen, (), ())                                                                  \
  OP(void, WatchScreen, (bool on), (on))                                                             \
  OP(void, DoEvents, (), ())                                                                         \
  OP(void, WaitForEvents, (int maxMs), (maxMs))                                                      \
  OP(void, Sleep, (int ms), (ms))                                                                    \
  OP(std::uint32_t, TimeGetTime, (), ())                                                             \
  OP(std::uint64_t, ClockSeed, (), ())                                                               \
  OP(std::int16_t, GetAsyncKeyState, (int vk), (vk))                                                 \
  OP(bool, KeyboardHeard, (), ())                                                                    \
  OP(void, SetKeyboardHeardHandler, (std::function<void()> handler), (std::move(handler)))           \
  OP(int, PopupMenu, (std::span<const MenuItem> items), (items))                                     \
  OP(void, ShowModalDialog, (const DialogLayout& layout), (layout))                                  \
  OP(void, ShowMessageBox, (const std::string& text), (text))                                        \
  OP(WindowId, CreateSpriteWindow, (std::string_view name), (name))                                  \
  OP(WindowId, CreateLabel, (WindowId parent, std::string_view name), (parent, name))                \
  OP(WindowId, CreatePictureBox, (WindowId parent, std::string_view name), (parent, name))           \
  OP(WindowId, CreateLine, (WindowId parent, std::string_view name), (parent, name))                 \
  OP(void, DestroyWindow, (WindowId w), (w))                                                         \
  OP(bool, WindowExists, (WindowId w), (w))                                                          \
  OP(void, SetWindowRect, (WindowId w, double left, double top, double width, double height),        \
     (w, left, top, width, height))                                                                  \
  OP(TwipsRect, GetWindowRect, (WindowId w), (w))                                                    \
  OP(void, SetVisible, (WindowId w, bool visible), (w, visible))                                     \
  OP(bool, IsVisible, (WindowId w), (w))                                                             \
  OP(void, SetBackColor, (WindowId w, Color c), (w, c))                                              \
  OP(Color, GetBackColor, (WindowId w), (w))                                                         \
  OP(void, SetPicture, (WindowId w, const Picture* picture), (w, picture))                           \
  OP(const Picture*, GetPicture, (WindowId w), (w))                                                  \
  OP(bool, SetWindowShape, (WindowId w, const Region& outline), (w, outline))                        \
  OP(std::string, ShapeFailureCause, (), ())                                                         \
  OP(void, ClearText, (WindowId w), (w))                                                             \
  OP(void, PrintText,                                                                                \
     (WindowId w, int xPx, int yPx, std::string_view utf8, const TextFont& font, Color color),       \
     (w, xPx, yPx, utf8, font, color))                                                               \
  OP(int, TextWidthPx, (const TextFont& font, std::string_view utf8), (font, utf8))                  \
  OP(void, SetCaption, (WindowId label, std::string_view utf8, const TextFont& font, Color color),   \
     (label, utf8, font, color))                                                                     \
  OP(void, SetLine, (WindowId line, double x1, double y1, double x2, double y2, Color color),        \
     (line, x1, y1, x2, y2, color))                                                                  \
  OP(TimerId, CreateTimer, (WindowId owner, std::function<void()> onTick), (owner, std::move(onTick))) \
  OP(void, SetTimerInterval, (TimerId t, int ms), (t, ms))                                           \
  OP(void, SetTimerEnabled, (TimerId t, bool enabled), (t, enabled))                                 \
  OP(int, TimerInterval, (TimerId t), (t))                                                           \
  OP(bool, TimerEnabled, (TimerId t), (t))                                                           \
  OP(void, SetMouseDownHandler, (WindowId w, MouseDownHandler handler), (w, std::move(handler)))     \
  OP(void, SetGotFocusHandler, (WindowId w, std::function<void()> handler), (w, std::move(handler))) \
  OP(void, SetFocus, (WindowId w), (w))

#define ZB_ALL_OPS(OP) ZB_STARTUP_OPS(OP) ZB_PLAYING_OPS(OP)

namespace plat {

#define ZB_OP_POINTER(result, name, params, args) result(*name) params;
struct BackendOps {
  const char* name;  // as ZEMBRANT_BACKEND names it
  ZB_ALL_OPS(ZB_OP_POINTER)
};
#undef ZB_OP_POINTER

}  // namespace plat

// Declares a backend's own definitions in its namespace.
#define ZB_DECLARE_OP(result, name, params, args) result name params;
// A table entry: the backend's own definition.
#define ZB_OP_ADDRESS(result, name, params, args) &name,

namespace plat::qt {
const BackendOps& Operations();  // the X11 backend
}  // namespace plat::qt

namespace plat::wl {
const BackendOps& Operations();  // the native Wayland backend
// Whether the compositor named by WAYLAND_DISPLAY (or wayland-0) accepts a
// connection and offers the layer shell: what the Wayland backend needs.
bool OffersLayerShell();
}  // namespace plat::wl

// The public plat:: functions as calls through a table: define
// ZB_FORWARD_TABLE as an expression of type const BackendOps&, then expand a
// list with ZB_FORWARD_OP inside namespace plat.
#define ZB_FORWARD_OP(result, name, params, args) \
  result name params { return ZB_FORWARD_TABLE.name args; }
