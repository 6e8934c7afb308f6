// zb_wayland_seat: types and clicks on a Wayland compositor's seat, for
// trying the program by hand and for scripts.
//
//   zb_wayland_seat [--screen WxH] STEP...
//
// Steps, done in order on one keyboard and pointer: `down KEY`, `up KEY`,
// `tap KEY` (KEY: space, left, right, up, down, home, escape, enter),
// `click X Y [left|right|middle]`, `sleep MS`, `run COMMAND` (a shell
// command, e.g. a screenshot, while the keyboard stays).
#include <linux/input-event-codes.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/wayland_seat.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  xtest::WaylandSeat seat;
  if (!seat.ok()) {
    std::fprintf(stderr, "zb_wayland_seat: %s\n", seat.error().c_str());
    return 1;
  }
  // Clients hear of the new keyboard and bind it before the first key.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const auto key = [&](std::size_t i) {
    const std::uint32_t code = i < args.size() ? xtest::evdev::FromName(args[i]) : 0;
    if (code == 0) {
      std::fprintf(stderr, "zb_wayland_seat: unknown key at step %zu\n", i);
      std::exit(2);
    }
    return code;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& step = args[i];
    if (step == "--screen" && i + 1 < args.size()) {
      int w = 0, h = 0;
      std::sscanf(args[++i].c_str(), "%dx%d", &w, &h);
      seat.SetScreen(w, h);
    } else if (step == "down" || step == "up") {
      seat.Key(key(i + 1), step == "down");
      ++i;
    } else if (step == "tap") {
      seat.Key(key(i + 1), true);
      seat.Key(key(i + 1), false);
      ++i;
    } else if (step == "click" && i + 2 < args.size()) {
      const std::string b = i + 3 < args.size() ? args[i + 3] : "";
      const std::uint32_t button = b == "right" ? BTN_RIGHT : b == "middle" ? BTN_MIDDLE : BTN_LEFT;
      seat.Click(std::atoi(args[i + 1].c_str()), std::atoi(args[i + 2].c_str()), button);
      i += (b == "left" || b == "right" || b == "middle") ? 3 : 2;
    } else if (step == "run" && i + 1 < args.size()) {
      if (std::system(args[++i].c_str()) != 0) std::fprintf(stderr, "zb_wayland_seat: \"%s\" failed\n", args[i].c_str());
    } else if (step == "sleep" && i + 1 < args.size()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(args[++i].c_str())));
    } else {
      std::fprintf(stderr, "zb_wayland_seat: unknown step \"%s\"\n", step.c_str());
      return 2;
    }
    if (!seat.ok()) {
      std::fprintf(stderr, "zb_wayland_seat: %s\n", seat.error().c_str());
      return 1;
    }
  }
  return 0;
}
