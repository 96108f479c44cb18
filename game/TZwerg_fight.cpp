// The dwarf in a fight: its arrows, the damage it takes and the gold it
// drops when it dies.
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TGoldInstance.h"
#include "game/TPfeil.h"
#include "game/TZwerg.h"
#include "scene/TBurstEmitter.h"

void TZwerg::shoot() {
    // Without a game nothing would hold the arrow.
    if (!game) return;
    new TPfeil(TSkinnedMeshInstance::position, game->dragon, game);
}

void TZwerg::takeDamage(float amount, const TVector&) {
    life -= amount;
    if (life < 0.0f) {
        life = kLife;
        flags |= DWARF_DEAD;
        playSound();
        if (flags & DWARF_CARRY) {
            dropGold();
            flags &= ~DWARF_CARRY;
        }
    } else {
        flags |= DWARF_HURT;
        playSound();
    }
    if (game && game->bloodBurst) game->bloodBurst->spawn(TSkinnedMeshInstance::position, TVector(), 2.0f);
}

// The stolen gold stays where the dwarf fell, as a pile.
void TZwerg::dropGold() {
    if (game) new TGoldInstance(kStolenGold, TSkinnedMeshInstance::position, game);
}
