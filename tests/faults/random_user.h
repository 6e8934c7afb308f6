// A user who plays at random with the keys the game reads (arrows, Space,
// ESC, HOME) and left clicks, through XTEST. Never the right button, which
// opens the menu. Reproducible by seed, up to the timing of the machine.
#pragma once

#include <cstdint>
#include <random>
#include <set>

#include "support/processes.h"

namespace faults {

class RandomUser {
 public:
  RandomUser(xtest::XClient& x, std::uint32_t seed) : x_(x), random_(seed) {}
  ~RandomUser() { ReleaseAll(); }
  RandomUser(const RandomUser&) = delete;
  RandomUser& operator=(const RandomUser&) = delete;

  // One action and the pause after it: a few milliseconds to a few tenths
  // of a second.
  void Step();
  void ReleaseAll();
  int clicks() const { return clicks_; }
  int keys() const { return keys_; }

 private:
  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
  void TapOrHoldArrow();
  void ClickSomewhere();
  void Pause();

  xtest::XClient& x_;
  std::mt19937 random_;
  std::set<std::uint32_t> held_;
  int clicks_ = 0;
  int keys_ = 0;
};

}  // namespace faults
