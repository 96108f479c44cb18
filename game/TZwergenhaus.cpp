#include "game/TZwergenhaus.h"

#include <cstdlib>
#include <cstring>
#include <ostream>

#include "engine/Log.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TGoldInstance.h"
#include "game/TKI.h"
#include "game/TKeyField.h"
#include "game/TWayPoint.h"
#include "game/TZwerg.h"
#include "game/TZwergMod.h"
#include "platform/crt.h"
#include "scene/TBoundingSphere.h"
#include "scene/TMesh.h"
#include "scene/TParticleBurst.h"

namespace {

void writeName(std::ostream& out, const char name[8]) {
    const void* end = std::memchr(name, 0, 8);
    out.write(name, end ? static_cast<const char*>(end) - name : 8);
}

}  // namespace

TZwergenhaus::TZwergenhaus(TMesh* mesh, TGame* g, const TVector& where, float angle)
    : TSceneNode(mesh ? mesh->engine : nullptr, where, angle, mesh, true),
      TMovingObject(0, g, kMass),
      dwarfSpawned(false),
      destroyed(false),
      removeMe(false),
      keyField(nullptr),
      gold(0.0f),
      sphere(nullptr),
      game(g) {
    minimapFlag = 1;
    if (game) registerBack();
    gold = static_cast<float>(rand() * 20.0 * (1.0 / 32767) + 20.0);
    sphere = new TBoundingSphere(&(this->TSceneNode::position), kSphereRadius);
    life = kLife;
    updateCell();

    TKI* ki = TKI::instance();
    keyField = ki ? ki->getNextKeyField(TSceneNode::position) : nullptr;
    if (!keyField) {
        logOut() << "Zwergenhaus at (" << where.x << ", " << where.y << "): no key field, the house makes no dwarf\n";
        logFlush();
        return;
    }
    logOut() << "Keyfield des Zwergenhauses: ";
    writeName(logOut(), keyField->name);
    logOut() << "\n";
    logFlush();
}

TZwergenhaus::~TZwergenhaus() {
    delete sphere;
    sphere = nullptr;
}

TWayPoint* TZwergenhaus::homeWayPoint() const {
    if (!keyField || keyField->endPointCount < 1) return nullptr;
    return keyField->endPoints[0];
}

bool TZwergenhaus::periodicDo(int) {
    if (!dwarfSpawned) {
        dwarfSpawned = true;
        makeDwarf();
    }
    return removeMe;
}

// The dwarf starts standing at the first end point of the house's key
// field; a house without one (or a game without the dwarf kind) has none.
void TZwergenhaus::makeDwarf() {
    TWayPoint* start = homeWayPoint();
    if (!game || !game->dwarfKind || !start) {
        logOut() << "Zwergenhaus at (" << TSceneNode::position.x << ", " << TSceneNode::position.y
                 << "): no dwarf kind or no end point, no dwarf made\n";
        logFlush();
        return;
    }
    TZwerg* dwarf = game->dwarfKind->createDwarf(TSceneNode::position, 0.0f);
    dwarf->home = this;
    dwarf->currentWayPoint = start;
    logOut() << "Zwerg: Der Endwegpunkt von Heimhaus ist ";
    writeName(logOut(), start->name);
    logOut() << "\n";
}

void TZwergenhaus::draw() {
    if (destroyed) return;
    TSceneNode::render();
}

void TZwergenhaus::takeDamage(float amount, const TVector&) {
    life -= amount;
    if (!(life < 0.0f)) return;
    if (TDrache* dragon = game ? game->dragon : nullptr) {
        dragon->experience += kExperience;
        if (dragon->experience > dragon->nextLevelAt) dragon->levelUp();
    }
    if (game && game->fireBurst) game->fireBurst->spawn(TSceneNode::position, TVector(), 3.0f);
    destroyed = true;
    if (gold > 0.0f) {
        if (game) new TGoldInstance(gold, TSceneNode::position, game);
        gold = 0.0f;
    }
}
