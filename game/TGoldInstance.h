#pragma once
// TGoldInstance is a pile of gold lying (or falling) in the world: a scene
// node of the game's gold mesh and a world object of layer 1 whose mass is
// ten times its gold. Every pile registers with the AI controller, which
// sends a balloon for it or queues it, and unregisters when it goes. The
// dragon or the castle takes a pile by touching it, a balloon by reaching
// it; a taken pile is marked collected and deleted at its next frame step.

#include "engine/TList.h"
#include "engine/TVector.h"
#include "scene/TMovingObject.h"
#include "scene/TSceneNode.h"

class TBoundingSphere;
class TGame;
class TKI;
struct TGoldEntry;

class TGoldInstance : public TSceneNode, public TMovingObject {
public:
    static constexpr int kKind = 5;
    static constexpr float kMassPerGold = 10.0f;
    static constexpr float kSphereRadius = 2.0f;

    float amount;
    TBoundingSphere* sphere;  // owned, on the node position
    bool collected;
    TListNode<TGoldEntry>* registryEntry;  // the controller's entry; null without a controller

    // A pile of amount gold at position, on the ground (its creator clears
    // onGround to let it fall), at the back of the game's object list, filed
    // in its grid cell and in the ground tile under it (none beyond the
    // ground), and registered with the AI controller, which may hand it to a
    // balloon at once. The game's object list holds it; the frame step
    // deletes it once it is collected. A null game gives an unlisted pile
    // without mesh.
    TGoldInstance(float amount, const TVector& position, TGame* game);
    // Unregisters from the controller (the balloons and the queue forget the
    // pile), deletes the sphere, leaves the object list, the grid and its
    // tile.
    ~TGoldInstance() override;

    void getPosition(TVector& out) override { out = TSceneNode::position; }
    TVector getPosition() const { return TSceneNode::position; }
    void setPosition(const TVector& p) override { TSceneNode::position = p; }
    void moveBy(const TVector& v) override { TSceneNode::position = TSceneNode::position + v; }
    void playSound() override {}
    void think() override {}
    int getKind() override { return kKind; }
    // Falls while not on the ground; true (delete me) once collected.
    bool periodicDo(int dt) override;
    TVector getMarkerColor() override { return TVector(1.0f, 0.0f, 1.0f); }
    int getSphereCount() override { return 1; }
    TBoundingSphere** getSpheres() override { return &sphere; }
    bool isSpecial() override { return true; }
    // Offers the pile to what touched it; one that can pick it up takes it
    // and the pile is collected. A pile already collected is offered to
    // nobody else, so its gold is counted once.
    void onCollision(TGridObject* other, TBoundingSphere* ownSphere, TBoundingSphere* otherSphere) override;

private:
    TGame* game;
    TKI* registeredWith;  // the controller that holds registryEntry
};
