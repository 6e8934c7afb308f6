// Particle sprays from the scenery's vents and the boss.
#pragma once

namespace zb {

void StartBurst(double x, double y, int kind);
void ArmParticle(int slot, double x, double y, double angle);
bool AdvanceBurst();

// At the set-up: the particles' window over the whole screen, hidden.
void PrepareParticleWindow();
// At the set-up: no particle in flight.
void FreeParticles();

}  // namespace zb
