// The player's side: the ship's hits and lives, its beam, the bursts.
#pragma once

#include <cstdint>

namespace zb {

// Ship (hits, lives, destruction).
int CheckShipHitsEnemy();
int CheckShipHitsScenery();
void HandleShipHit();

// Beam.
void UpdateShots();
int CheckShotHit(float x, float y);

// Bursts.
void StartBurst(double x, double y, int kind);
void ArmParticle(int slot, double x, double y, double angle);
bool AdvanceBurst();

}  // namespace zb
