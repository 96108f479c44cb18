#pragma once
// TZwergenhaus is a dwarf house: it stands where the level map puts one,
// finds its own key field in the routing table, makes its one dwarf in its
// first frame step and stores the gold the dwarf brings home. The dragon
// can destroy it (the stored gold then lies on the ground as a pile); its
// dwarf rebuilds it by coming home with gold. It is deleted after its dwarf
// is gone for good.

#include "scene/TMovingObject.h"
#include "scene/TSceneNode.h"

class TBoundingSphere;
class TGame;
class TKeyField;
class TMesh;
class TWayPoint;

class TZwergenhaus : public TSceneNode, public TMovingObject {
public:
    static constexpr int kKind = 0;
    static constexpr float kMass = 100.0f;
    static constexpr float kLife = 100.0f;
    static constexpr float kSphereRadius = 2.0f;
    // Experience the dragon gains for destroying a house.
    static constexpr float kExperience = 20.0f;

    bool dwarfSpawned;
    bool destroyed;
    bool removeMe;        // set by its dwarf's destructor
    TKeyField* keyField;  // the routing table's; null when the level has none
    float gold;
    TBoundingSphere* sphere;  // owned, centred on the node position
    TGame* game;          // not owned; may be null

    // A standing house of the mesh at position, turned by angle (radians),
    // with 20 to 40 gold. It joins the game's object list and its grid cell
    // and takes the key field nearest to it (logged).
    TZwergenhaus(TMesh* mesh, TGame* game, const TVector& position, float angle);
    // Deletes the sphere; the bases leave the list, the cell and the tile.
    ~TZwergenhaus() override;

    // The first call makes the house's dwarf. Returns true once the dwarf is
    // gone for good (the house is then deleted).
    bool periodicDo(int dt) override;
    // Below zero life the house is destroyed: experience and fire for the
    // dragon, the stored gold as a pile.
    void takeDamage(float amount, const TVector& source) override;
    // 1 while standing, 0 while destroyed (no collisions then).
    int getSphereCount() override { return destroyed ? 0 : 1; }
    TBoundingSphere** getSpheres() override { return &sphere; }

    // The house model; nothing while destroyed.
    void render() override { draw(); }
    void draw();

    // The first end point of the key field: where the dwarf starts and wakes
    // up. Null without one. Owned by the routing table.
    TWayPoint* homeWayPoint() const;

    void getPosition(TVector& out) override { out = TSceneNode::position; }
    void setPosition(const TVector& p) override { TSceneNode::position = p; }
    void moveBy(const TVector& v) override { TSceneNode::position = TSceneNode::position + v; }
    void playSound() override {}
    void think() override {}
    int getKind() override { return kKind; }
    TVector getMarkerColor() override { return TVector(1.0f, 1.0f, 1.0f); }

private:
    void makeDwarf();
};
