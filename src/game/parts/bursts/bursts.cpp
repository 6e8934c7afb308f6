// Particle sprays: arming the particles of a burst and flying them, all drawn
// by the one full-screen particlesWindow cut to a 2 x 2 square per living particle.
#include "game/parts/bursts/bursts.h"

#include <cmath>
#include <cstdint>

#include "game/base/game_windows.h"
#include "game/base/random.h"
#include "game/base/screen_metrics.h"
#include "game/base/shot_state.h"
#include "game/base/state.h"
#include "platform/errors.h"
#include "platform/numeric.h"

namespace zb {
namespace {

constexpr double kDegreesPerRadian = 57.32484076433;  // 180 / 3.14
constexpr double kTimeStep = 0.15;
constexpr int kLastUpdatedSlot = 19;

ParticleRecord& ParticleAt(int slot) {
  if (slot < 0 || slot >= static_cast<int>(PlayerSide.Particles.size())) {
    throw plat::RuntimeError("Subscript out of range");
  }
  return PlayerSide.Particles[slot];
}

// Scenery vents: 18 directions fanning upwards from up-right to up-left.
void StartScenerySpray(double x, double y) {
  int slot = 1;
  for (int a = 100; a <= 253; a += 9) {
    const double r1 = Rnd();
    const double r2 = Rnd();
    ArmParticle(slot++, x, y, a + 30 * r1 - 30 * r2);
  }
}

// The boss: 16 directions fanning to the left, half of them 10 twips higher.
void StartBossSpray(double x, double y) {
  int slot = 1;
  for (int a = 240; a <= 270; a += 2) {
    const double r1 = Rnd();
    const double r2 = Rnd();
    const double r3 = Rnd();
    const double dy = std::floor(2 * r1 - 1) * 10;
    ArmParticle(slot++, x, y + dy, a + 30 * r2 - 30 * r3);
  }
}

// Ballistic flight: launch speed along the angle plus a constant pull down.
void Fly(ParticleRecord& p) {
  const double theta = p.Angle / kDegreesPerRadian;
  p.Y = p.Speed * p.T * std::cos(theta) + -(-10.0 / 2) * (p.T * p.T) + p.OriginY;
  p.X = p.Speed * p.T * std::sin(theta) + p.OriginX;
  p.T = p.T + kTimeStep;
}

// Off the screen (an edge itself is still on it) or burnt out.
void Age(ParticleRecord& p) {
  if (static_cast<float>(p.X) > ScreenWidthTwips() ||
      static_cast<float>(p.Y) > ScreenFullHeightTwips() || p.X < 0 || p.Y < 0) {
    p.Active = kFalse;
  }
  p.Life = p.Life - p.Decay;
  if (p.Life < 0) p.Active = kFalse;
}

plat::Rect ScreenSquare(const ParticleRecord& p) {
  return {plat::IntDiv(p.X, TPPX), plat::IntDiv(p.Y, TPPY),
          plat::IntDiv(p.X + 2 * TPPX, TPPX), plat::IntDiv(p.Y + 2 * TPPY, TPPY)};
}

// The same square in the ship window's pixels.
plat::Rect ShipSquare(const ParticleRecord& p) {
  const double x = p.X - Player.PlayerX;
  const double y = p.Y - Player.PlayerY;
  return {plat::IntDiv(x, TPPX), plat::IntDiv(y, TPPY),
          plat::IntDiv(2 * TPPX + p.X - Player.PlayerX, TPPX),
          plat::IntDiv(2 * TPPY + p.Y - Player.PlayerY, TPPY)};
}

// Shows the squares on particlesWindow; a window that cannot be cut keeps its outline.
void ShowParticles(const plat::Region& squares) {
  particlesWindow.SetShape(squares);
  if (!particlesWindow.Visible()) particlesWindow.SetVisible(true);
}

}  // namespace

void StartBurst(double x, double y, int kind) {
  if (kind == 0) StartScenerySpray(x, y);
  if (kind == 1) StartBossSpray(x, y);
}

void ArmParticle(int slot, double x, double y, double angle) {
  ParticleRecord& p = ParticleAt(slot);
  if (p.Active == kTrue) return;
  p.Active = kTrue;
  p.OriginX = x;
  p.OriginY = y;
  p.Speed = (Rnd() * 14 + 5) * TPPX;
  p.Angle = plat::RoundToInt32(angle);
  p.T = 0;
  p.Life = 255;
  p.Decay = plat::FloorToInt32(Rnd() * 8) + 4;
}

bool AdvanceBurst() {
  plat::Region squares;
  bool any = false;
  for (int slot = 0; slot <= kLastUpdatedSlot; ++slot) {
    ParticleRecord& p = PlayerSide.Particles[slot];
    if (p.Active != kTrue) continue;
    Fly(p);
    Age(p);
    if (p.Active != kTrue) continue;
    if (Player.PlayerRegion && Player.PlayerRegion->OverlapsRect(ShipSquare(p))) {
      Player.PlayerHit = kTrue;
    }
    squares.Unite(ScreenSquare(p));
    any = true;
  }
  if (!any) {
    particlesWindow.SetVisible(false);
    return false;
  }
  ShowParticles(squares);
  return true;
}

void PrepareParticleWindow() { CoverScreenHidden(particlesWindow); }

// Particles still flying at the end of the last game do not fly on into this
// one.
void FreeParticles() {
  for (auto& particle : PlayerSide.Particles) particle.Active = kFalse;
}

}  // namespace zb
