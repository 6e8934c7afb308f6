// The fixture of the X11-only tests: the platform opened once for the whole
// program on the Xvfb it runs under, a fresh start for every test, and the
// tests' own X client.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string_view>

#include "platform/types.h"
#include "platform/window.h"
#include "support/x_client.h"

class QWidget;

namespace x11test {

class X11Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // The tests' own X client (the platform is opened with it).
  static xtest::XClient& X();

  // A shown sprite window at the given pixels, on screen after one yield.
  static plat::WindowId ShowWindow(const plat::Rect& px, std::string_view name = "frmTest");
  static void PlaceWindow(plat::WindowId w, const plat::Rect& px);
  // The X window of a sprite window.
  static std::uint32_t Xid(plat::WindowId w);
  // Screen pixels of a window's rectangle (0xRRGGBB, row by row).
  static std::vector<std::uint32_t> PixelsOf(plat::WindowId w);

  // Runs `body` from inside the next modal loop that opens, once its window
  // is on screen; used to look at and answer message boxes and menus.
  static void WhenModalOpens(std::function<void(QWidget*)> body);

};

std::uint32_t Rgb(plat::Color c);  // 0x00BBGGRR to 0xRRGGBB

}  // namespace x11test
