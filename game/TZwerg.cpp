// The dwarf's life cycle, place in the world, sounds and drawing.
#include "game/TZwerg.h"

#include "engine/TSound.h"
#include "game/TGame.h"
#include "game/TKI.h"
#include "game/TZwergMod.h"
#include "game/TZwergenhaus.h"
#include "platform/gl.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"
#include "scene/TBoundingSphere.h"
#include "scene/TMesh.h"

namespace {

// The model's scale in the world: 0.01, with z mirrored so that the model's
// up axis points to the world's smaller z.
TMatrix modelScale() {
    TMatrix s;
    s.m[0] = 0.01f;
    s.m[5] = 0.01f;
    s.m[10] = -0.01f;
    return s;
}

}  // namespace

TZwerg::TZwerg(const TVector& where, TZwergMod* kind, TMesh* impostorMesh, float angle, TGame* g)
    : TSkinnedMeshInstance(kind, where, angle),
      TAgent(0, g, kMass),
      impostor(impostorMesh),
      savedTarget(),
      target(where),
      currentWayPoint(nullptr),
      targetWayPoint(nullptr),
      previousWayPoint(nullptr),
      route(nullptr),
      flags(DWARF_STAND),
      timer(0),
      lastSnore(0),
      standCounter(0),
      home(nullptr),
      sphere(nullptr),
      dwarfIndex(-1),
      game(g),
      stepCarry(0) {
    // rotation · scale: the scale applies first.
    rotation = modelScale() * rotation;
    // The skeleton copy starts without a track; the walk track is started
    // here so that the animation has one to advance.
    startAnimation(TZwergMod::TRACK_WALK, TSkeleton::kRestartTime);
    fileInGround();
    if (game) registerBack();
    if (TKI* ki = TKI::instance()) {
        dwarfIndex = ki->addDwarf(this);
        ki->addThinker(this);
    }
    minimapFlag = 1;
    life = kLife;
    sphere = new TBoundingSphere(&(this->TSkinnedMeshInstance::position), kSphereRadius);
    updateCell();
}

TZwerg::~TZwerg() {
    if (home) home->removeMe = true;
    if (TKI* ki = TKI::instance()) {
        if (dwarfIndex >= 0) {
            TZwerg* moved = ki->removeDwarf(dwarfIndex);
            if (moved) moved->dwarfIndex = dwarfIndex;
        }
        ki->removeThinker(this);
    }
    delete sphere;
    sphere = nullptr;
}

// The tile under the dwarf takes it; beyond the ground it stays unfiled.
void TZwerg::fileInGround() {
    if (!game || !game->boden) return;
    if (TBodenTile* tile = game->boden->getTileAt(TSkinnedMeshInstance::position)) tile->addChild(this);
}

// ------------------------------------------------------------ positions ----

void TZwerg::getPosition(TVector& out) { out = TSkinnedMeshInstance::position; }

void TZwerg::setPosition(const TVector& p) { TSkinnedMeshInstance::position = p; }

void TZwerg::moveBy(const TVector& v) { TSkinnedMeshInstance::position = TSkinnedMeshInstance::position + v; }

int TZwerg::ownerValue() { return ownerData ? *static_cast<const int*>(ownerData) : 0; }

// ---------------------------------------------------------------- sound ----

void TZwerg::playSound() {
    if (ownerValue() > 1) return;
    int which;
    if (flags & DWARF_DEAD) {
        which = TKI::DWARF_DIE;
    } else if (flags & DWARF_HURT) {
        which = TKI::DWARF_HURT;
    } else if (flags & DWARF_SLEEP) {
        which = TKI::DWARF_SNORE;
    } else if (flags & (DWARF_SHOOT | DWARF_STEAL)) {
        which = TKI::DWARF_FIGHT;
    } else if (flags & DWARF_GO) {
        which = TKI::DWARF_WALK;
    } else {
        return;
    }
    TKI* ki = TKI::instance();
    if (!ki || !ki->sound) return;
    const TVector& p = TSkinnedMeshInstance::position;
    const float at[3] = {p.x, p.y, p.z};
    ki->sound->playSound(ki->dwarfSounds[which], at, nullptr, 255);
}

// -------------------------------------------------------------- drawing ----

void TZwerg::draw() {
    visible = 1;
    if (ownerValue() == 0) {
        TSkinnedMeshInstance::draw(false);
        return;
    }
    if (!impostor) return;
    const TVector& p = TSkinnedMeshInstance::position;
    glPushMatrix();
    glTranslatef(p.x, p.y, p.z);
    glMultMatrixf(rotation.m);
    glScalef(kDrawScale, kDrawScale, kDrawScale);
    impostor->render();
    glPopMatrix();
}
