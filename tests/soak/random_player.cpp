// The soak's random player, driven from the simulated backend's yield hook.
#include "random_player.h"

#include <array>
#include <span>

#include "game/base/game_windows.h"
#include "game/base/pictures.h"
#include "game/base/state.h"
#include "game/parts/boss/boss.h"
#include "game/parts/lamps/lamps.h"
#include "game/parts/ship/ship_window.h"
#include "platform/keys.h"
#include "platform/region.h"
#include "platform/sim/sim.h"

namespace zb::soak {
namespace {

constexpr int kTwips = 15;
constexpr double kWinShare = 0.3;  // games planned to be won
constexpr std::uint64_t kMaxRandomGameMs = 120'000;  // after the random part
constexpr std::uint64_t kMaxWonGameMs = 400'000;     // stage, boss and staff roll
constexpr std::uint64_t kToggleGapMs = 300;
constexpr std::array<int, 5> kPlayKeys{plat::VK_LEFT, plat::VK_UP, plat::VK_RIGHT, plat::VK_DOWN,
                                       plat::VK_SPACE};

bool Shown(Window& f) {
  if (!f.IsLoaded()) return false;
  const auto rec = sim::Window(f.Id());
  return rec && rec->shown;
}

bool TitleShown() { return Shown(bannerWindow) && bannerWindow.Picture() == ShapePicture(4); }

std::uint64_t Now() { return sim::Elapsed(); }

}  // namespace

RandomPlayer::RandomPlayer(std::uint64_t seed, int games, int width, int height, int workBottom)
    : rng_(seed), games_(games), width_(width), height_(height), groundRow_(workBottom - 14) {
  sim::SetYieldHook([this] { OnYield(); });
  sim::AnswerMenus([this](std::span<const plat::MenuItem> items) {
    return AnswerMenu(static_cast<int>(items.size()));
  });
  sim::OnDialog([this](const plat::DialogLayout&) {
    if (Chance(0.5)) sim::RunModalFor(static_cast<int>(Uniform(0, 300)));
  });
}

RandomPlayer::~RandomPlayer() {
  sim::SetYieldHook({});
  sim::AnswerMenus({});
  sim::OnDialog({});
}

void RandomPlayer::OnYield() {
  if (quitting_) return;
  const bool title = TitleShown();
  if (title && !atTitle_) AtNewTitle();
  if (!title && atTitle_) AtStageStart();
  atTitle_ = title;
  if (quitting_) return;
  if (Shown(bannerWindow) && !title) sawStaffRoll_ = true;
  if (title) {
    PlayAtRandom(true);
  } else if (inStage_) {
    PlayStage();
  }
}

void RandomPlayer::AtNewTitle() {
  titles_.push_back({sim::LiveWindowCount(), sim::LiveTimerCount(), plat::Region::LiveCount()});
  if (sawStaffRoll_) ++stats_.wins;
  sawStaffRoll_ = sawBoss_ = inStage_ = false;
  for (int vk : kPlayKeys) Hold(vk, false);
  if (static_cast<int>(titles_.size()) > games_) {
    quitting_ = true;
    sim::Click(lampsWindow.Id(), plat::kRightButton, 5, 5);
    return;
  }
  plan_ = Chance(kWinShare) ? Plan::kWin : Plan::kRandomThenGround;
  randomForMs_ = Uniform(2'000, 45'000);
  const std::uint32_t at = sim::Now() + Uniform(100, 2'500);
  sim::ScheduleKey(plat::VK_SPACE, at, at + Uniform(30, 300));
}

void RandomPlayer::AtStageStart() {
  inStage_ = true;
  stageStartMs_ = Now();
}

void RandomPlayer::PlayStage() {
  if (Boss.active && !sawBoss_) {
    sawBoss_ = true;
    ++stats_.bossFights;
  }
  const std::uint64_t played = Now() - stageStartMs_;
  const std::uint64_t limit = plan_ == Plan::kWin ? kMaxWonGameMs : randomForMs_ + kMaxRandomGameMs;
  if (played > limit) throw GameTooLong{static_cast<int>(titles_.size()), played, Describe()};

  if (plan_ == Plan::kRandomThenGround) {
    played < randomForMs_ ? PlayAtRandom(true) : FlyIntoTheGround();
    return;
  }
  KeepRunning();
  if (Boss.defeated) {
    PlayAtRandom(false);
  } else if (Boss.active) {
    KeepInvincible(true);
    FightTheBoss();
  } else {
    KeepInvincible(true);
    PlayAtRandom(false);
  }
}

std::string RandomPlayer::Describe() const {
  auto flag = [](bool b) { return b ? "yes" : "no"; };
  return std::string(plan_ == Plan::kWin ? "to be won" : "random, then the ground") +
         "; ship at pixel (" + std::to_string(Ship.x / kTwips) + ", " +
         std::to_string(Ship.y / kTwips) + "), lives " + std::to_string(Ship.lives) +
         ", dead frames " + std::to_string(Ship.blastCycles) + ", hit " +
         std::to_string(Ship.hit) + "; paused " + flag(Game.paused) + ", invincible " +
         flag(Ship.invincible) + ", boss active " + flag(Boss.active) +
         ", boss defeated " + flag(Boss.defeated);
}

void RandomPlayer::PlayAtRandom(bool withToggles) {
  if (Now() < nextActionMs_) return;
  RandomAction(withToggles);
  nextActionMs_ = Now() + Uniform(20, 700);
}

// Vulnerable, running and pressed down against the ground until the last
// life is gone.
void RandomPlayer::FlyIntoTheGround() {
  KeepRunning();
  KeepInvincible(false);
  for (int vk : {plat::VK_LEFT, plat::VK_RIGHT, plat::VK_SPACE}) Hold(vk, false);
  const float ground = static_cast<float>(groundRow_ * kTwips);
  Hold(plat::VK_DOWN, Ship.y < ground);
  Hold(plat::VK_UP, Ship.y > ground + 2 * kTwips);  // from below the screen's edge
}

// Keeps the beam's row inside the core's band (38..43 pixels below the
// boss's top, the beam 5 pixels below the ship's top) and the ship 40 to 100
// pixels left of the boss, firing all the time.
void RandomPlayer::FightTheBoss() {
  const float targetY = bossWindow.Top() + 35.5f * kTwips;
  Hold(plat::VK_DOWN, Ship.y < targetY - 20);
  Hold(plat::VK_UP, Ship.y > targetY + 20);
  const float left = bossWindow.Left();
  Hold(plat::VK_RIGHT, Ship.x < left - 100 * kTwips);
  Hold(plat::VK_LEFT, Ship.x > left - 40 * kTwips);
  Hold(plat::VK_SPACE, true);
}

// A life lost makes the ship invincible for a while on its own (shipWindow's
// Timer1): that is left to run out.
void RandomPlayer::KeepInvincible(bool wanted) {
  const bool invincible = Ship.invincible;
  if (invincible == wanted || Now() < nextToggleMs_) return;
  if (!wanted && shipWindow.IsLoaded() && shipWindow.invincibilityTimer.Enabled()) return;
  Tap(plat::VK_HOME);
  nextToggleMs_ = Now() + kToggleGapMs;
}

void RandomPlayer::KeepRunning() {
  if (!Game.paused || Now() < nextToggleMs_) return;
  Tap(plat::VK_ESCAPE);
  nextToggleMs_ = Now() + kToggleGapMs;
}

void RandomPlayer::RandomAction(bool withToggles) {
  const std::uint32_t r = Uniform(0, 99);
  if (r < 62 || (r < 74 && !withToggles)) {
    RandomKey(false);
  } else if (r < 74) {
    RandomKey(true);
  } else if (r < 95) {
    RandomLeftClick();
  } else {
    RightClickForTheMenu();
  }
}

// An arrow or Space held for a while, or a tap of ESC or HOME.
void RandomPlayer::RandomKey(bool toggle) {
  const std::uint32_t down = sim::Now() + Uniform(0, 40);
  if (toggle) {
    sim::ScheduleKey(Chance(0.5) ? plat::VK_ESCAPE : plat::VK_HOME, down, down + Uniform(20, 200));
    return;
  }
  const int vk = kPlayKeys[Uniform(0, kPlayKeys.size() - 1)];
  sim::ScheduleKey(vk, down, down + Uniform(20, 1'500));
}

// On one of the game's windows or anywhere on the screen.
void RandomPlayer::RandomLeftClick() {
  ++stats_.leftClicks;
  const auto windows = sim::StackingOrder();
  if (!windows.empty() && Chance(0.5)) {
    const auto rec = sim::Window(windows[Uniform(0, static_cast<std::uint32_t>(windows.size()) - 1)]);
    if (rec && rec->rect.Width() > 0 && rec->rect.Height() > 0) {
      sim::Click(rec->id, plat::kLeftButton, static_cast<int>(Uniform(0, rec->rect.Width() - 1)),
                 static_cast<int>(Uniform(0, rec->rect.Height() - 1)));
      return;
    }
  }
  sim::ClickScreen(plat::kLeftButton, static_cast<int>(Uniform(0, width_ - 1)),
                   static_cast<int>(Uniform(0, height_ - 1)));
}

// On the ship or on the lamps, the two places that open the menu.
void RandomPlayer::RightClickForTheMenu() {
  if (Shown(shipWindow) && Chance(0.5)) {
    sim::Click(shipWindow.Id(), plat::kRightButton, static_cast<int>(Uniform(0, 18)),
               static_cast<int>(Uniform(0, 9)));
  } else if (Shown(lampsWindow)) {
    sim::Click(lampsWindow.Id(), plat::kRightButton, 5, 5);
  }
}

// Leaves the menu without a choice, or asks for the version information;
// once the games are played, takes the last item: the end of the program.
int RandomPlayer::AnswerMenu(int items) {
  if (quitting_) return items - 1;
  if (Chance(0.5)) sim::RunModalFor(static_cast<int>(Uniform(0, 400)));
  if (Chance(0.2)) {
    ++stats_.versionDialogs;
    return 0;
  }
  ++stats_.menus;
  return -1;
}

void RandomPlayer::Hold(int vk, bool held) {
  if (sim::IsKeyHeld(vk) == held) return;
  held ? sim::PressKey(vk) : sim::ReleaseKey(vk);
}

void RandomPlayer::Tap(int vk) {
  const std::uint32_t down = sim::Now() + 1;
  sim::ScheduleKey(vk, down, down + Uniform(30, 90));
}

std::uint32_t RandomPlayer::Uniform(std::uint32_t lo, std::uint32_t hi) {
  return std::uniform_int_distribution<std::uint32_t>(lo, hi)(rng_);
}

bool RandomPlayer::Chance(double p) { return std::bernoulli_distribution(p)(rng_); }

}  // namespace zb::soak
