#pragma once
// TDrache is the player's dragon: an animated skinned model that is also a
// world object of the game (layer 2, mass 1000). Its instance position is in
// drawing units, 100 times the world units every other object uses;
// getPosition and setPosition speak world units, position() the drawing
// units (only the target camera wants those). The game owns the dragon and
// draws it before it scales the world by 100.

#include <cstdint>

#include "engine/TList.h"
#include "engine/TString.h"
#include "engine/TVector.h"
#include "game/TItemBase.h"
#include "scene/TMovingObject.h"
#include "scene/TSkinnedMeshInstance.h"

class TBoundingSphere;
class TCamera;
class TGame;
class TMaterial;
class TSound;

class TDrache : public TSkinnedMeshInstance, public TMovingObject {
public:
    static constexpr int kSlotCount = 16;       // slot-name and bone-name tables
    static constexpr int kInventorySize = 10;
    static constexpr int kGoldSackSlot = 6;
    static constexpr int kKind = 4;
    static constexpr float kMass = 1000.0f;
    static constexpr float kSphereRadius = 1.5f;

    // Flight states.
    enum { CRUISING = 1, DIVING = 2, SPEEDING_UP = 3, SLOWING_DOWN = 4 };
    // Animation tracks as the level set-up loads them.
    // "ani2", "ani", "ani4", "ani_back", "ani_right", "ani_left".
    enum { TRACK_CRUISE = 0, TRACK_SPEED_UP = 1, TRACK_DIVE = 2, TRACK_BACK = 3, TRACK_RIGHT = 4, TRACK_LEFT = 5 };
    // Sound slots (slot 0 is not used).
    enum { SOUND_FIRE = 1, SOUND_SNARL = 2 };

    TString slotNames[kSlotCount];
    TString boneNames[kSlotCount];
    TItemBase* inventory[kInventorySize];  // not owned; null = empty
    int flightState;
    TVector sphereCentre;  // world position, refreshed each frame
    TGame* game;           // not owned; may be null (no keys, no top bar)
    int unspentPoints;
    double airspeed;
    float speed;
    float maxLife;
    float armour;
    float maxLoad;
    float load;
    float carriedGold;
    float experience;
    float firepower;
    int level;
    float nextLevelAt;
    TBoundingSphere* sphere;  // owned
    TMaterial* fireMaterial;           // "feuer", the engine's
    TMaterial* fireParticleMaterial;   // "feuerpartikel", the engine's
    TList<TItemBase> equipped;         // worn items, not owned
    int currentSound;
    int soundSlots[3];  // sample slots of the sound wrapper; -1 = none
    TSound* sound;
    uint8_t strafing;

    // An instance of the skinned mesh at the origin with the starting
    // statistics, registered at the front of the game's object list (not
    // owned by it). Sets the dragon's programs on the mesh's first material
    // and looks up its fire materials. The mesh must outlive the dragon.
    TDrache(TSkinnedMesh* mesh, TGame* game);
    // Deletes the sphere; leaves the object list and its grid cell.
    ~TDrache() override;

    // --- drawing and world-object operations
    void render() override { draw(); }
    // The skinned model at the instance position with the dragon's light
    // vectors, then every worn item.
    void draw();
    // The instance position in drawing units.
    void position(TVector& out) override;
    // World units (instance position / 100).
    void getPosition(TVector& out) override;
    TVector getPosition();
    // Stores the world position x 100. Both bases' setPosition land here.
    void setPosition(const TVector& p) override;
    // The instance position in drawing units.
    TVector drawPosition() const { return TSkinnedMeshInstance::position; }
    // Plays the sample of sound slot [currentSound] at the dragon.
    void playSound() override;
    void think() override {}
    int getKind() override { return kKind; }
    // Refiles, flies, animates; never asks to be removed.
    bool periodicDo(int dt) override;
    TVector getMarkerColor() override { return TVector(0.0f, 0.0f, 1.0f); }
    int getSphereCount() override { return 1; }
    TBoundingSphere** getSpheres() override { return &sphere; }
    void placeOnGround(THeightSource* ground) override;
    void onCollision(TGridObject* other, TBoundingSphere* ownSphere, TBoundingSphere* otherSphere) override;
    // Adds v to the instance position (drawing units, unscaled).
    void moveBy(const TVector& v) override;
    bool isSpecial() override { return true; }

    // --- flight (keys of the game's key state)
    void fly(int dt);
    // Puts the camera behind and above the dragon, looking where the
    // fireballs fly.
    void updateCamera(TCamera* camera);
    // One fireball ahead of the dragon, with the fire sound.
    void shootFireball();
    // (0, -1, 0) and (1, 0, 0) turned by the instance's rotation.
    TVector getBackward() const;
    TVector getSideways() const;

    // --- statistics, items, levels and damage
    void takeDamage(float amount, const TVector& source) override;
    void levelUp();
    void raiseMaxLife(float amount);
    void addPointsAndHeal(int n);
    // True when other's mass + load stays strictly below the maximum load.
    bool canPickUp(TGridObject* other) override;
    void pickUp(TGridObject* other) override;
    // Wears the item in its body slot; returns the item it replaces there
    // (not worn any more), or null.
    TItemBase* equip(TItemBase* item);
    // Takes off the first worn item of the slot type, back into the
    // inventory when asked. An item that finds no free inventory slot stays
    // worn. Returns true when an item came off.
    bool unequip(int slotType, bool backIntoInventory);
    // The first worn item of that slot type, or null.
    TItemBase* getEquipped(int slotType);
    // A copy of the slot's name; empty for slots without one.
    TString getSlotName(int slotType) const;
    // Puts the item into the first free inventory slot. False when none is
    // free, or (for an item not yet counted in the load) when its weight
    // would bring the load above the maximum; an item already counted is
    // not weighed again.
    bool addToInventory(TItemBase* item, bool alreadyCounted);
    // Drops all carried gold (and takes the gold sack off).
    void dropGold();

    int getFlightState() const { return flightState; }

private:
    // Starts a track of the skeleton at startTime.
    void startTrack(int track, int startTime) { startAnimation(track, startTime); }
    bool keyDown(int virtualKey) const;
    void chooseFlightState(double& change);
    void moveSideways(double t);
    void moveAlong(double t);
    void setLightVectors();
    // The bone that carries items of this slot type (null for none).
    TBone* boneOfSlot(int slotType);
};
