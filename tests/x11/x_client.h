// An X client of the tests' own, apart from the program's connections: it
// reads back what the server knows of the program's windows and plays the
// user through XTEST.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/region.h"
#include "platform/types.h"

struct xcb_connection_t;
struct _XCBKeySymbols;

namespace xtest {

class XClient {
 public:
  XClient();  // connects to DISPLAY; aborts the test program when it cannot
  ~XClient();
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;

  std::uint32_t Root() const { return root_; }
  // Waits until the server has handled everything sent so far.
  void Sync();

  // The user, through XTEST. Each call returns once the server has done it.
  void Key(std::uint32_t keysym, bool down);
  void MovePointer(int x, int y);
  void Button(int xButton, bool down);  // 1 left, 2 middle, 3 right
  void Click(int x, int y, int xButton);
  // Holds the keyboard as another program may (true when the grab took),
  // and lets it go.
  bool GrabKeyboard();
  void UngrabKeyboard();

  // What the server knows of a window.
  bool Exists(std::uint32_t window);
  bool Viewable(std::uint32_t window);
  bool OverrideRedirect(std::uint32_t window);
  int Depth(std::uint32_t window);  // bits per pixel of its visual; 0 when gone
  // Its outer rectangle on the screen, in pixels.
  plat::Rect ScreenRect(std::uint32_t window);
  // Its bounding shape, relative to the window, clipped to it.
  plat::Region Shape(std::uint32_t window);
  // Children of the root, bottom to top.
  std::vector<std::uint32_t> Stacking();
  std::uint32_t FocusWindow();
  // The window owning a selection, 0 for none.
  std::uint32_t SelectionOwner(const std::string& selection);
  std::vector<std::string> AtomListProperty(std::uint32_t window, const std::string& name);
  // The values of a property of 32-bit items (CARDINAL, WINDOW), any type.
  std::vector<std::uint32_t> Cardinals(std::uint32_t window, const std::string& name);
  // Children of a window, bottom to top, and its parent.
  std::vector<std::uint32_t> Children(std::uint32_t window);
  std::uint32_t Parent(std::uint32_t window);
  // A property of type STRING, its bytes as stored (NULs included).
  std::string StringProperty(std::uint32_t window, const std::string& name);
  std::string WindowName(std::uint32_t window);  // _NET_WM_NAME or WM_NAME
  // Screen pixels (0xRRGGBB, row by row) of a rectangle of the root, read
  // after `BeforeReading` (the program under test lets the server catch up).
  std::vector<std::uint32_t> ScreenPixels(const plat::Rect& r);
  void BeforeReading(std::function<void()> f) { beforeReading_ = std::move(f); }

  // Sets or removes a CARDINAL list property (the root's _NET_WORKAREA).
  void SetCardinals(std::uint32_t window, const std::string& name,
                    const std::vector<std::uint32_t>& values);
  void DeleteProperty(std::uint32_t window, const std::string& name);

  std::uint32_t Atom(const std::string& name);
  std::string AtomName(std::uint32_t atom);

 private:
  std::uint8_t Keycode(std::uint32_t keysym);

  xcb_connection_t* c_ = nullptr;
  _XCBKeySymbols* symbols_ = nullptr;
  std::uint32_t root_ = 0;
  std::function<void()> beforeReading_;
};

}  // namespace xtest
