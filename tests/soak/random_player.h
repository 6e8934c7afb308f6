// A player at random for the soak: keys pressed and released at random
// virtual times, left clicks anywhere, now and then the menu opened and left
// without a choice. Each game follows a plan: played at random until its time
// is up and then flown into the ground, or flown invincible to the boss and
// won. After the last game the player ends the program through the menu.
#pragma once

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "platform/types.h"

namespace zb::soak {

// What is alive when the title shows.
struct Census {
  int windows = 0;
  int timers = 0;
  std::int64_t regions = 0;
  friend bool operator==(const Census&, const Census&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Census& c) {
    return out << c.windows << " windows, " << c.timers << " timers, " << c.regions << " regions";
  }
};

// Thrown from the yield hook when a game runs far longer than its plan
// allows: the game cannot end, or the player cannot end it.
struct GameTooLong {
  int game = 0;
  std::uint64_t ms = 0;
  std::string state;  // the plan and the ship's record when it was given up
};

struct PlayStats {
  int wins = 0;          // staff rolls rolled
  int bossFights = 0;    // games in which the boss arrived
  int leftClicks = 0;
  int menus = 0;         // menus opened and left without a choice
  int versionDialogs = 0;
  std::uint64_t virtualMs = 0;  // of the whole run, set by the soak
};

class RandomPlayer {
 public:
  // Plays `games` games from the start of the program on a screen of
  // width x height pixels whose work area ends at pixel row workBottom;
  // `seed` decides everything it does.
  RandomPlayer(std::uint64_t seed, int games, int width, int height, int workBottom);
  ~RandomPlayer();
  RandomPlayer(const RandomPlayer&) = delete;
  RandomPlayer& operator=(const RandomPlayer&) = delete;

  // A census at every title, the first one at the program's first title.
  const std::vector<Census>& Titles() const { return titles_; }
  const PlayStats& Stats() const { return stats_; }

 private:
  enum class Plan { kRandomThenGround, kWin };

  void OnYield();
  std::string Describe() const;
  void AtNewTitle();
  void AtStageStart();
  void PlayStage();
  void PlayAtRandom(bool withHome);
  void FlyIntoTheGround();
  void FightTheBoss();
  void KeepInvincible(bool wanted);
  void KeepRunning();
  void RandomAction(bool withHome);
  void RandomKey(bool withHome);
  void RandomLeftClick();
  void RightClickForTheMenu();
  int AnswerMenu(int items);
  void Hold(int vk, bool held);
  void Tap(int vk);

  std::uint32_t Uniform(std::uint32_t lo, std::uint32_t hi);  // lo..hi inclusive
  bool Chance(double p);

  std::mt19937_64 rng_;
  int games_;
  int width_, height_;  // of the screen, pixels
  int groundRow_;       // pixel row where the ship's outline cuts into the ground
  std::vector<Census> titles_;
  PlayStats stats_;

  bool atTitle_ = false;
  bool inStage_ = false;
  bool quitting_ = false;
  bool sawStaffRoll_ = false;
  bool sawBoss_ = false;
  Plan plan_ = Plan::kRandomThenGround;
  // Virtual times, sim::Elapsed() readings.
  std::uint64_t stageStartMs_ = 0;
  std::uint64_t randomForMs_ = 0;  // kRandomThenGround: random play before the ground
  std::uint64_t nextActionMs_ = 0;
  std::uint64_t nextToggleMs_ = 0;  // a plan's HOME and ESC taps wait for this
};

}  // namespace zb::soak
