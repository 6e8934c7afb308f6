// What the conformance cases share: the fixture that starts and stops the
// backend through its driver, and waiting helpers that work in real and in
// virtual time alike.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string_view>

#include "conformance/driver.h"
#include "platform/events.h"
#include "platform/window.h"

namespace conformance {

class Conformance : public ::testing::Test {
 protected:
  void SetUp() override { TheDriver().Start(Options()); }
  void TearDown() override { TheDriver().Stop(); }
  virtual StartOptions Options() { return {}; }

  static Driver& D() { return TheDriver(); }

  // A shown sprite window with the given pixel rectangle, on screen.
  static plat::WindowId ShowWindow(const plat::Rect& px, std::string_view name = "frmTest") {
    const plat::WindowId w = plat::CreateSpriteWindow(name);
    PlaceWindow(w, px);
    plat::SetVisible(w, true);
    plat::DoEvents();
    return w;
  }
  static void PlaceWindow(plat::WindowId w, const plat::Rect& px) {
    plat::SetWindowRect(w, px.left * 15.0, px.top * 15.0, px.Width() * 15.0, px.Height() * 15.0);
  }

  // Yields until `done` holds, waiting for events in between; false when
  // `maxMs` passed first.
  static bool YieldUntil(const std::function<bool()>& done, int maxMs = 3000) {
    const std::uint32_t t0 = plat::TimeGetTime();
    while (true) {
      plat::DoEvents();
      if (done()) return true;
      if (plat::TimeGetTime() - t0 > static_cast<std::uint32_t>(maxMs)) return false;
      plat::WaitForEvents(10);
    }
  }
  static std::uint32_t Since(std::uint32_t t0) { return plat::TimeGetTime() - t0; }
};

}  // namespace conformance
