#pragma once
// TZwerg is a dwarf: an animated instance of the dwarf kind that walks the
// routing table from its house to the castle, steals there, carries the gold
// home and sets out again, now and then stopping to shoot an arrow at the
// dragon. Its flag word drives it; the AI controller reads and changes the
// flags between the dwarf's own steps (respawn, theft, delivery). A dwarf
// is made by its house, listed in the game's object list and in the
// controller's dwarves and thinkers, and leaves all of them when deleted.

#include <cstdint>
#include <ctime>

#include "engine/TVector.h"
#include "scene/TAgent.h"
#include "scene/TSkinnedMeshInstance.h"

class TBoundingSphere;
class TGame;
class TKeyField;
class TMesh;
class TWayPoint;
class TZwergMod;
class TZwergenhaus;

class TZwerg : public TSkinnedMeshInstance, public TAgent {
public:
    // Flag bits.
    static constexpr uint32_t DWARF_STAND = 0x1;   // waits for the controller
    static constexpr uint32_t DWARF_GO = 0x2;      // walks its route
    static constexpr uint32_t DWARF_SHOOT = 0x4;   // aims at the dragon
    static constexpr uint32_t DWARF_STEAL = 0x8;   // has stood at the castle
    static constexpr uint32_t DWARF_CARRY = 0x10;  // carries stolen gold
    static constexpr uint32_t DWARF_SLEEP = 0x20;  // sleeps after a respawn
    static constexpr uint32_t DWARF_HURT = 0x40;   // has been hit
    static constexpr uint32_t DWARF_DEAD = 0x80;   // life fell below zero
    static constexpr uint32_t DWARF_GONE = 0x200;  // dead for good: removed at the next frame
    static constexpr uint32_t DWARF_TIMER = 0x400; // a shot or wake-up is pending

    static constexpr int kKind = 1;
    static constexpr float kMass = 100.0f;
    static constexpr float kLife = 30.0f;
    static constexpr float kSphereRadius = 1.0f;
    // The gold one theft takes and a dead carrier drops.
    static constexpr float kStolenGold = 15.0f;
    // A way point counts as reached closer than this in x and y.
    static constexpr float kArrivalDistance = 10.0f;
    // Turn per think step, while aiming and while walking.
    static constexpr float kAimTurn = 0.2f;
    static constexpr float kWalkTurn = 0.05f;
    // Game milliseconds per hundredth of a unit walked.
    static constexpr int kStepTime = 15;
    // Seconds an aimed shot takes, and between two snores (strictly more).
    static constexpr int kAimSeconds = 3;
    static constexpr int kSnoreSeconds = 2;

    TMesh* impostor;       // the kind's; drawn for far dwarves
    TVector savedTarget;   // the target position kept while aiming
    TVector target;        // where it steers to
    TWayPoint* currentWayPoint;   // the routing table's; null at construction
    TWayPoint* targetWayPoint;
    TWayPoint* previousWayPoint;
    TKeyField* route;      // the key field it walks to; null at construction
    uint32_t flags;
    time_t timer;          // calendar second at which the timed event falls due
    time_t lastSnore;      // calendar second of the last snore
    int32_t standCounter;
    TZwergenhaus* home;    // the house that made it; set by the house
    TBoundingSphere* sphere;  // owned, centred on the instance position
    int dwarfIndex;        // slot in the controller's dwarves, -1 when none
    TGame* game;           // not owned; may be null (no ground, sounds, effects)
    // Game milliseconds the last walking frames did not turn into a step.
    int stepCarry;

    // A dwarf of the kind at position, turned by angle (radians), standing
    // (DWARF_STAND) with 30 life and its walk track started. It files itself
    // in the ground tile under it, the game's object list, the grid and the
    // controller's dwarves and thinkers (each where present).
    TZwerg(const TVector& position, TZwergMod* kind, TMesh* impostor, float angle, TGame* game);
    // Tells its house it is gone, leaves the controller's arrays, deletes
    // its sphere; the bases leave the object list, the cell and the tile.
    ~TZwerg() override;

    // --- the think step and the controller's calls
    // One AI step: arrival at the target way point, steering, snoring or
    // deciding to shoot, the timed event, aiming.
    void walk();
    // Sets out for the key field from the current way point; a dwarf
    // without a current way point stays where it is (logged).
    void goToWaypoint(TKeyField* keyField);
    // One theft: DWARF_STEAL, and DWARF_CARRY every sixteenth call. Returns
    // the gold it takes (15).
    int tickStand();

    // --- world-object operations
    void think() override { walk(); }
    int getKind() override { return kKind; }
    // Walks (unless aiming or sleeping), animates while near; true once the
    // dwarf is gone.
    bool periodicDo(int dt) override;
    void playSound() override;
    // The level of detail of the ground tile that holds the dwarf; 0 while it
    // is not filed in one.
    int ownerValue() override;
    void setTarget(const TVector& t) override { target = t; }
    TVector getTarget() override { return target; }
    // The instance position (world units). Both bases' slots land here.
    void getPosition(TVector& out) override;
    TVector getPosition() const { return TSkinnedMeshInstance::position; }
    void setPosition(const TVector& p) override;
    int getSphereCount() override { return 1; }
    TBoundingSphere** getSpheres() override { return &sphere; }
    void moveBy(const TVector& v) override;
    // Loses life; below zero dies (drops carried gold, life back to 30),
    // otherwise is hurt. Blood either way.
    void takeDamage(float amount, const TVector& source) override;

    // --- drawing
    void render() override { draw(); }
    // The animated model while its tile is at full detail, else the impostor.
    void draw();
    // Moves along the facing direction (negative: forward) and onto the
    // ground.
    void update(float distance);
    void moveForward(float distance) override { update(distance); }

private:
    void arrive();
    void steer();
    void snoreOrDecideToShoot();
    void timedEvent();
    void shoot();
    // The next hop toward the route from the current way point, or, when it
    // has none for the route (or there is no route), its first routing
    // item's neighbour, with a log line that is flushed only when `flush`
    // (the walk step writes its lines without flushing). Null when the way
    // point has no routing item at all.
    TWayPoint* nextHop(TKeyField* keyField, bool flush);
    void fileInGround();
    void dropGold();
};
