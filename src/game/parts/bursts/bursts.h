// Particle sprays from the scenery's vents and the boss.
#pragma once

namespace zb {

void StartBurst(double x, double y, int kind);
void ArmParticle(int slot, double x, double y, double angle);
bool AdvanceBurst();

}  // namespace zb
