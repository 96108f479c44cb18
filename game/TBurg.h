#pragma once
// TBurg is the dragon's castle standing in the level: a scene node of the
// castle kind's model and a world object of layer 0 (the balloons' layer, so
// the two are never tested against each other) with two spheres, one on its
// foot and one 15 units above it. It takes every gold pile that drifts into
// it, crediting a tenth of the pile's mass to the castle kind's gold, and is
// never removed during a game.

#include "engine/TVector.h"
#include "scene/TMovingObject.h"
#include "scene/TSceneNode.h"

class TBoundingSphere;
class TBurgMod;
class TGame;

class TBurg : public TSceneNode, public TMovingObject {
public:
    static constexpr int kKind = 2;
    static constexpr float kMass = 100.0f;
    static constexpr float kSphereRadius = 10.0f;
    static constexpr float kUpperSphereHeight = 15.0f;

    TBoundingSphere* spheres[2];  // owned: on the position and on centres[0]
    TVector centres[2];           // centres[0] 15 above the position; centres[1] unused
    TBurgMod* kind;               // not owned; receives the gold

    // The castle at position, turned by angle, at the back of the game's
    // object list with its minimap marker on. The kind's mesh must outlive
    // the castle. The game and the kind may be null (no list, no gold).
    TBurg(TBurgMod* kind, TGame* game, const TVector& position, float angle);
    // Deletes the spheres; leaves the object list, the grid and its tile.
    // The kind and the balloons homed here forget the castle.
    ~TBurg() override;

    void getPosition(TVector& out) override { out = TSceneNode::position; }
    TVector getPosition() const { return TSceneNode::position; }
    void setPosition(const TVector& p) override { TSceneNode::position = p; }
    void moveBy(const TVector& v) override { TSceneNode::position = TSceneNode::position + v; }
    void playSound() override {}
    void think() override {}
    int getKind() override { return kKind; }
    // Refiles the castle in the grid; never asks to be removed.
    bool periodicDo(int dt) override;
    TVector getMarkerColor() override { return TVector(1.0f, 1.0f, 0.0f); }
    int getSphereCount() override { return 2; }
    TBoundingSphere** getSpheres() override { return spheres; }
    // The castle takes whatever offers itself (only gold piles ask).
    bool canPickUp(TGridObject*) override { return true; }
    // The kind's gold += 0.1 x the other's mass (clamped), top bar following.
    void pickUp(TGridObject* other) override;
};
