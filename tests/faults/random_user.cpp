// The random user of the soak.
#include "faults/random_user.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace faults {
namespace {

constexpr std::uint32_t kArrows[] = {xtest::key::kLeft, xtest::key::kUp, xtest::key::kRight,
                                     xtest::key::kDown};

}  // namespace

void RandomUser::Step() {
  const int roll = Uniform(0, 99);
  if (roll < 45) {
    TapOrHoldArrow();
  } else if (roll < 75) {
    x_.Tap(xtest::key::kSpace, xtest::Ms(Uniform(5, 120)));
    ++keys_;
  } else if (roll < 90) {
    ClickSomewhere();
  } else if (roll < 95) {
    x_.Tap(xtest::key::kHome, xtest::Ms(Uniform(5, 120)));
    ++keys_;
  } else {
    Pause();
  }
  std::this_thread::sleep_for(xtest::Ms(Uniform(0, 150)));
}

// A short tap, or a key pressed now and released some steps later.
void RandomUser::TapOrHoldArrow() {
  const std::uint32_t k = kArrows[Uniform(0, 3)];
  ++keys_;
  if (held_.count(k)) {
    x_.Key(k, false);
    held_.erase(k);
  } else if (Uniform(0, 1) == 0) {
    x_.Key(k, true);
    held_.insert(k);
  } else {
    x_.Tap(k, xtest::Ms(Uniform(5, 200)));
  }
}

// Half the clicks on a window of the game, half anywhere on the screen.
void RandomUser::ClickSomewhere() {
  int px = Uniform(0, x_.width() - 1);
  int py = Uniform(0, x_.height() - 1);
  if (Uniform(0, 1) == 0) {
    std::vector<xtest::Window> game;
    for (const xtest::Window& w : x_.Mapped()) {
      if (w.name.rfind("frm", 0) == 0 && w.rect.Width() > 0 && w.rect.Height() > 0) game.push_back(w);
    }
    if (!game.empty()) {
      const xtest::Window& w = game[static_cast<std::size_t>(Uniform(0, static_cast<int>(game.size()) - 1))];
      px = std::clamp(Uniform(w.rect.left, w.rect.right - 1), 0, x_.width() - 1);
      py = std::clamp(Uniform(w.rect.top, w.rect.bottom - 1), 0, x_.height() - 1);
    }
  }
  x_.Click(px, py, 1);
  ++clicks_;
}

// ESC twice: a pause and its end, so that most of the soak is play.
void RandomUser::Pause() {
  x_.Tap(xtest::key::kEscape, xtest::Ms(Uniform(5, 120)));
  std::this_thread::sleep_for(xtest::Ms(Uniform(100, 2000)));
  x_.Tap(xtest::key::kEscape, xtest::Ms(Uniform(5, 120)));
  keys_ += 2;
}

void RandomUser::ReleaseAll() {
  for (std::uint32_t k : held_) x_.Key(k, false);
  held_.clear();
}

}  // namespace faults
