#include "game/TDrache.h"

#include "engine/TCamera.h"
#include "engine/TEngine.h"
#include "engine/TMaterial.h"
#include "engine/TSound.h"
#include "game/TGame.h"
#include "platform/gl.h"
#include "scene/TBoundingSphere.h"
#include "scene/THeightSource.h"

namespace {

// Drawing units per world unit.
const float kDrawingUnitsPerWorldUnit = 100.0f;
const float kWorldUnitsPerDrawingUnit = 0.01f;

}  // namespace

TDrache::TDrache(TSkinnedMesh* mesh, TGame* g)
    : TSkinnedMeshInstance(mesh, TVector(0.0f, 0.0f, 0.0f), 0.0f),
      TMovingObject(2, g, kMass),
      inventory{},
      flightState(CRUISING),
      sphereCentre(0.0f, 0.0f, 0.0f),
      game(g),
      unspentPoints(0),
      airspeed(0.0),
      speed(1.0f),
      maxLife(200.0f),
      armour(0.0f),
      maxLoad(600.0f),
      load(0.0f),
      carriedGold(0.0f),
      experience(0.0f),
      firepower(1.0f),
      level(1),
      nextLevelAt(100.0f),
      sphere(nullptr),
      fireMaterial(nullptr),
      fireParticleMaterial(nullptr),
      currentSound(0),
      soundSlots{-1, -1, -1},
      sound(TSound::getInstance()),
      strafing(0) {
    slotNames[1] = TString("Kopf");
    slotNames[2] = TString("Brust");
    slotNames[3] = TString("Schwanz");
    slotNames[4] = TString("Arm L");
    slotNames[5] = TString("Arm R");
    boneNames[1] = TString("Bone03");
    boneNames[2] = TString("Bone05");
    boneNames[3] = TString("Bone06");
    boneNames[4] = TString("Bone20");
    boneNames[5] = TString("Bone12");
    boneNames[6] = TString("Bone09");

    life = 200.0f;
    onGround = 0;
    if (game) registerFront();

    TEngine* e = TSkinnedMeshInstance::engine;
    if (e) {
        TMaterial* material = getGroupMaterial(0);
        const int vertexProgram = e->loadVertexProgram(TString("programs\\noskinning_vp_fp.txt"));
        const int fragmentProgram = e->loadFragmentProgram(TString("programs\\normalmap_fp.txt"));
        if (material) {
            material->vertexProgramSlot = vertexProgram;
            material->fragmentProgramSlot = fragmentProgram;
        }
        fireParticleMaterial = e->findMaterial(TString("feuerpartikel"));
        fireMaterial = e->findMaterial(TString("feuer"));
    }
    sphere = new TBoundingSphere(&sphereCentre, kSphereRadius);
}

TDrache::~TDrache() { delete sphere; }

// ------------------------------------------------------------ positions ----

void TDrache::position(TVector& out) { out = TSkinnedMeshInstance::position; }

void TDrache::getPosition(TVector& out) { out = TSkinnedMeshInstance::position * kWorldUnitsPerDrawingUnit; }

TVector TDrache::getPosition() { return TSkinnedMeshInstance::position * kWorldUnitsPerDrawingUnit; }

void TDrache::setPosition(const TVector& p) { TSkinnedMeshInstance::position = p * kDrawingUnitsPerWorldUnit; }

void TDrache::moveBy(const TVector& v) { TSkinnedMeshInstance::position = TSkinnedMeshInstance::position + v; }

TVector TDrache::getBackward() const { return TVector(0.0f, -1.0f, 0.0f).transform(rotation); }

TVector TDrache::getSideways() const { return TVector(1.0f, 0.0f, 0.0f).transform(rotation); }

// -------------------------------------------------------------- sound ----

void TDrache::playSound() {
    if (currentSound < 0 || currentSound > SOUND_SNARL) return;
    const TVector p = getPosition();
    const float at[3] = {p.x, p.y, p.z};
    sound->playSound(soundSlots[currentSound], at, nullptr, 40);
}

// ------------------------------------------------------------- drawing ----

void TDrache::draw() {
    glPushMatrix();
    const TVector& p = TSkinnedMeshInstance::position;
    glTranslatef(p.x, p.y, p.z);
    glMultMatrixf(rotation.m);
    setLightVectors();
    drawSkinned(false);
    for (TListNode<TItemBase>* n = equipped.head; n; n = n->next) n->value->drawWorn();
    glPopMatrix();
}

// The normal-map program lights with the half vector (parameter 0) and the
// light direction (parameter 1), both in the dragon's model space.
void TDrache::setLightVectors() {
    TEngine* e = TSkinnedMeshInstance::engine;
    if (!e || !e->camera) return;
    TVector light = e->camera->getLightPosition();
    TVector viewer(0.0f, 0.0f, 1.0f);
    transformByInverseModelview(*e->camera, light, viewer);
    const TVector half = (light + viewer).normalized();
#ifdef GAME_NV
    e->setMaterial(getGroupMaterial(0));
    glProgramLocalParameter4fARB(GL_FRAGMENT_PROGRAM_NV, 0, half.x, half.y, half.z, 1.0f);
    glProgramLocalParameter4fARB(GL_FRAGMENT_PROGRAM_NV, 1, light.x, light.y, light.z, 1.0f);
#else
    glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 0, half.x, half.y, half.z, 0.0f);
    glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 1, light.x, light.y, light.z, 0.0f);
#endif
}

// -------------------------------------------------------- ground, contacts ----

void TDrache::placeOnGround(THeightSource* ground) {
    if (!ground) return;
    const TVector p = getPosition();
    const float h = ground->getHeight(p);
    setPosition(TVector(p.x, p.y, h - sphere->getRadius() * 1.01f));
    airspeed = 0.0;
}

void TDrache::onCollision(TGridObject* other, TBoundingSphere* ownSphere, TBoundingSphere* otherSphere) {
    if (!other) return;
    if (other->getMass() > 0.0f && ownSphere && otherSphere) {
        const TVector otherCentre = otherSphere->getCentre();
        const TVector away = ownSphere->getCentre() - otherCentre;
        if (away.length() > 0.0f) {
            const TVector n = away.normalized();
            setPosition(otherCentre + n * (ownSphere->getRadius() + otherSphere->getRadius()));
        }
        airspeed = 0.0;
    }
    other->takeDamage(1.0f, getPosition());
}
