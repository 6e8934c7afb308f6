// Particle sprays: arming the particles of a burst and flying them, all drawn
// by the one full-screen particlesWindow cut to a 2 x 2 square per living particle.
#include "game/parts/bursts/bursts.h"

#include <cmath>
#include <cstdint>

#include "game/base/game_windows.h"
#include "game/base/random.h"
#include "game/base/screen_metrics.h"
#include "game/base/state.h"
#include "platform/errors.h"
#include "platform/numeric.h"

namespace zb {

BurstsState Bursts;

namespace {

constexpr double kDegreesPerRadian = 57.32484076433;  // 180 / 3.14
constexpr double kTimeStep = 0.15;
constexpr int kLastUpdatedSlot = 19;

ParticleRecord& ParticleAt(int slot) {
  if (slot < 0 || slot >= static_cast<int>(Bursts.particles.size())) {
    throw plat::RuntimeError("Subscript out of range");
  }
  return Bursts.particles[slot];
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
  const double theta = p.angle / kDegreesPerRadian;
  p.y = p.speed * p.t * std::cos(theta) + -(-10.0 / 2) * (p.t * p.t) + p.originY;
  p.x = p.speed * p.t * std::sin(theta) + p.originX;
  p.t = p.t + kTimeStep;
}

// Off the screen (an edge itself is still on it) or burnt out.
void Age(ParticleRecord& p) {
  if (static_cast<float>(p.x) > ScreenWidthTwips() ||
      static_cast<float>(p.y) > ScreenFullHeightTwips() || p.x < 0 || p.y < 0) {
    p.active = false;
  }
  p.life = p.life - p.decay;
  if (p.life < 0) p.active = false;
}

plat::Rect ScreenSquare(const ParticleRecord& p) {
  return {plat::IntDiv(p.x, TPPX), plat::IntDiv(p.y, TPPY),
          plat::IntDiv(p.x + 2 * TPPX, TPPX), plat::IntDiv(p.y + 2 * TPPY, TPPY)};
}

// The same square in the ship window's pixels.
plat::Rect ShipSquare(const ParticleRecord& p) {
  const double x = p.x - Ship.x;
  const double y = p.y - Ship.y;
  return {plat::IntDiv(x, TPPX), plat::IntDiv(y, TPPY),
          plat::IntDiv(2 * TPPX + p.x - Ship.x, TPPX),
          plat::IntDiv(2 * TPPY + p.y - Ship.y, TPPY)};
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
  if (p.active) return;
  p.active = true;
  p.originX = x;
  p.originY = y;
  p.speed = (Rnd() * 14 + 5) * TPPX;
  p.angle = plat::RoundToInt32(angle);
  p.t = 0;
  p.life = 255;
  p.decay = plat::FloorToInt32(Rnd() * 8) + 4;
}

bool AdvanceBurst() {
  plat::Region squares;
  bool any = false;
  for (int slot = 0; slot <= kLastUpdatedSlot; ++slot) {
    ParticleRecord& p = Bursts.particles[slot];
    if (!p.active) continue;
    Fly(p);
    Age(p);
    if (!p.active) continue;
    if (Ship.outline && Ship.outline->OverlapsRect(ShipSquare(p))) {
      Ship.hit = true;
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
  for (auto& particle : Bursts.particles) particle.active = false;
}

}  // namespace zb
