// The AI controller's rules for the dwarves: death and respawn, theft at
// the castle and delivery at home.
#include "engine/Log.h"
#include "game/TBurgMod.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TKI.h"
#include "game/TKeyField.h"
#include "game/TRoutingTable.h"
#include "game/TZwerg.h"
#include "game/TZwergenhaus.h"

namespace {

// Experience for the dragon, with the level-up test.
void reward(TGame* game, float experience) {
    TDrache* dragon = game ? game->dragon : nullptr;
    if (!dragon) return;
    dragon->experience += experience;
    if (dragon->experience > dragon->nextLevelAt) dragon->levelUp();
}

const float kKillExperience = 10.0f;
const float kGoneExperience = 20.0f;
const int kSleepSeconds = 10;
const float kDeliveredGold = 15.0f;

}  // namespace

void TKI::applyDwarfRules(time_t now) {
    TKeyField* castle = routingTable->getKeyField("Burg");
    for (int i = 0; i < dwarfCount; ++i) {
        TZwerg* dwarf = dwarves[i];
        if (!dwarf) continue;
        if (dwarf->flags & TZwerg::DWARF_DEAD) respawnDwarf(dwarf, now);
        if (dwarf->flags & TZwerg::DWARF_STAND) directStandingDwarf(dwarf, castle);
    }
}

void TKI::respawnDwarf(TZwerg* dwarf, time_t now) {
    reward(game, kKillExperience);
    dwarf->flags = 0;
    TZwergenhaus* house = dwarf->home;
    if (!house || house->destroyed) {
        reward(game, kGoneExperience);
        dwarf->flags = TZwerg::DWARF_GONE;
        return;
    }
    TVector at;
    house->getPosition(at);
    dwarf->setPosition(at);
    dwarf->updateTile();
    dwarf->updateCell();
    dwarf->timer = now + kSleepSeconds;
    dwarf->flags = TZwerg::DWARF_STAND | TZwerg::DWARF_SLEEP | TZwerg::DWARF_TIMER;
    // It wakes up at home: a thief killed at the castle must not steal again
    // from its old way point.
    if (TWayPoint* start = house->homeWayPoint()) dwarf->currentWayPoint = start;
}

void TKI::directStandingDwarf(TZwerg* dwarf, TKeyField* castle) {
    if (!castle) {
        if (!castleKeyFieldMissingLogged) {
            logOut() << "TKI: the routing table has no key field \"Burg\"; the dwarves stay where they are\n";
            logFlush();
            castleKeyFieldMissingLogged = true;
        }
        return;
    }
    TZwergenhaus* house = dwarf->home;
    if (!castle->isEndPoint(dwarf->currentWayPoint)) {
        dwarf->flags &= ~TZwerg::DWARF_STAND;
        dwarf->flags |= TZwerg::DWARF_GO;
        if ((dwarf->flags & TZwerg::DWARF_CARRY) && house) {
            dwarf->flags &= ~TZwerg::DWARF_CARRY;
            house->gold += kDeliveredGold;
            if (house->destroyed) {
                house->destroyed = false;
                house->life = TZwergenhaus::kLife;
            }
        }
        dwarf->goToWaypoint(castle);
    } else if (dwarf->flags & TZwerg::DWARF_CARRY) {
        dwarf->flags &= ~TZwerg::DWARF_STAND;
        dwarf->flags |= TZwerg::DWARF_GO;
        dwarf->goToWaypoint(house ? house->keyField : nullptr);
    } else {
        const int stolen = dwarf->tickStand();
        TBurgMod* castleKind = game ? game->castleKind : nullptr;
        if (castleKind) castleKind->setGold(castleKind->gold - static_cast<float>(stolen));
        dwarf->flags |= TZwerg::DWARF_CARRY;
        if (castleKind && castleKind->gold <= 0.0f) lose();
    }
}
