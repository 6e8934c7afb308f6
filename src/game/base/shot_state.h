// The records of the ship's beam and of the burst particles.
#pragma once

#include <array>
#include <cstdint>

#include "game/base/state.h"

namespace zb {

struct ShotRecord {
  float X = 0;       // Left of the beam, twips
  float Y = 0;       // Top, twips
  float VX = 0;      // twips per step
  std::uint8_t Active = 0;
  float LimitX = 0;  // the beam is used up when X reaches it
};

struct ParticleRecord {
  double OriginX = 0;  // burst point, twips
  double OriginY = 0;
  double X = 0;
  double Y = 0;
  double T = 0;        // flight time, +0.15 per frame
  double Speed = 0;    // twips per unit of T
  VbBool Active = kFalse;
  std::int32_t Angle = 0;  // degrees from straight down towards the right
  std::int32_t Life = 0;
  std::int32_t Decay = 0;
};

struct PlayerSideState {
  std::array<ShotRecord, 3> Shots;
  std::array<ParticleRecord, 21> Particles;
  std::uint8_t BlastPhase = 0;  // sub-step of the ship's destruction, 0..2
};

extern PlayerSideState PlayerSide;

}  // namespace zb
