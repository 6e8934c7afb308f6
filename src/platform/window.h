// Windows: borderless top-level sprite windows and the child controls inside
// them (labels, picture boxes, lines), their timers and input handlers.
//
// Semantics every backend keeps:
// - Geometry is set in twips; position and size are each rounded to the
//   nearest whole pixel, halves up (10 twips is one pixel, 220 twips fifteen),
//   and read back as pixels x 15. Children are placed relative to their
//   parent's top-left corner.
// - A new window or control is hidden, has no picture, no outline (the whole
//   rectangle shows), back colour white, and no text.
// - Destroying a window destroys its controls and timers; ids are never
//   reused, and operations on an id that no longer exists do nothing (reads
//   return zero values).
// - Handlers run only inside DoEvents (or the nested loop of a modal menu or
//   dialog), never re-entered while they run. An exception escaping a handler
//   is caught by the platform: ProgramExit ends the program as thrown, any
//   other error shows the fatal message box; either way DoEvents then throws
//   ProgramExit from the game's own stack.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/region.h"
#include "platform/types.h"

namespace plat {

using WindowId = std::uint32_t;
inline constexpr WindowId kNoWindow = 0;
using TimerId = std::uint32_t;
inline constexpr TimerId kNoTimer = 0;

// A borderless top-level sprite window that never takes the focus from a
// click. `name` identifies it in tests and diagnostics (its X window's title).
WindowId CreateSpriteWindow(std::string_view name);
// Child controls of a window.
WindowId CreateLabel(WindowId parent, std::string_view name);
WindowId CreatePictureBox(WindowId parent, std::string_view name);
WindowId CreateLine(WindowId parent, std::string_view name);

void DestroyWindow(WindowId w);
bool WindowExists(WindowId w);

void SetWindowRect(WindowId w, double left, double top, double width, double height);
TwipsRect GetWindowRect(WindowId w);

void SetVisible(WindowId w, bool visible);
bool IsVisible(WindowId w);  // the window's own flag

void SetBackColor(WindowId w, Color c);
Color GetBackColor(WindowId w);

// The picture is drawn unscaled at the top-left, above the back colour.
// nullptr clears it. The picture must outlive its use (it is static data).
void SetPicture(WindowId w, const Picture* picture);
const Picture* GetPicture(WindowId w);

// Cuts the window or picture box to `outline` (pixels relative to its own
// top-left; parts outside the window are clipped). Pixels outside the outline
// are not drawn and clicks there fall through to whatever lies below. Returns
// false when the window system cannot cut windows; the caller reports it.
bool SetWindowShape(WindowId w, const Region& outline);
// Why the window system cannot cut windows, in plain English, for the line
// on stderr after SetWindowShape returned false.
std::string ShapeFailureCause();

// Text printed on a window stays until ClearText, also when printed before
// the window is shown; it is drawn above the picture.
void ClearText(WindowId w);
void PrintText(WindowId w, int xPx, int yPx, std::string_view utf8, const TextFont& font,
               Color color);
// Width in pixels of `utf8` set in `font`, exactly as PrintText draws it.
int TextWidthPx(const TextFont& font, std::string_view utf8);

// A label's caption, drawn at its top-left. A label whose back colour was
// never set is transparent; once set, it is filled with it.
void SetCaption(WindowId label, std::string_view utf8, const TextFont& font, Color color);

// A line control from (x1, y1) to (x2, y2), twips in the parent's
// coordinates, one pixel wide.
void SetLine(WindowId line, double x1, double y1, double x2, double y2, Color color);

// Timers belong to a window and die with it. A new timer is enabled, with
// interval 0. A timer ticks every `interval` ms while it is enabled and its
// interval is not 0. Setting the interval, or enabling a disabled timer,
// starts the interval afresh. Ticks are delivered only inside DoEvents and
// also while a modal menu or dialog is open; a tick that falls due while the
// game sleeps waits for the next yield, and several missed ticks are
// delivered as one.
TimerId CreateTimer(WindowId owner, std::function<void()> onTick);
void SetTimerInterval(TimerId t, int ms);
void SetTimerEnabled(TimerId t, bool enabled);
int TimerInterval(TimerId t);
bool TimerEnabled(TimerId t);

// Mouse button pressed on the window or control (x, y in its pixels).
using MouseDownHandler = std::function<void(int button, int xPx, int yPx)>;
void SetMouseDownHandler(WindowId w, MouseDownHandler handler);

// The window has received the keyboard focus.
void SetGotFocusHandler(WindowId w, std::function<void()> handler);
// Gives the keyboard focus to the window (shown or not; a hidden window takes
// it when shown).
void SetFocus(WindowId w);

}  // namespace plat
