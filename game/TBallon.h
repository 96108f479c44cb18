#pragma once
// TBallon fetches gold piles for its castle: idle at home until the AI
// controller hands it piles (at most four), it flies to them one after the
// other at a bobbing height 30 units over the ground, then carries the sum
// home, where the castle is credited. It decides when the controller thinks
// (every second of game time) and moves every frame; it is never removed
// during a game. The piles it holds are not owned: a pile that goes tells
// every balloon through removeGold.

#include <list>

#include "engine/TVector.h"
#include "scene/TAgent.h"
#include "scene/TSceneNode.h"

class TBallonMod;
class TBoundingSphere;
class TBurg;
class TGame;
class TGoldInstance;

class TBallon : public TSceneNode, public TAgent {
public:
    enum { IDLE = 1, COLLECTING = 2, RETURNING = 3 };
    static constexpr int kKind = 2;
    static constexpr float kMass = 100.0f;
    static constexpr float kSphereRadius = 2.0f;
    static constexpr int kMaxPiles = 4;
    // A pile or the castle counts as reached below this squared distance in
    // the x-y plane.
    static constexpr float kReachedSquared = 50.0f;
    static constexpr float kHeightAboveGround = 30.0f;
    static constexpr float kTurn = 0.2f;  // radians per think

    float phase;  // bobbing phase, radians
    TGame* game;  // not owned; may be null (no list, no ground, no castle)
    TBoundingSphere* sphere;  // owned, on the node position
    float carried;  // gold picked up and not yet delivered
    TVector target;
    TBurg* home;    // set by the castle kind when the balloon is bought; null while none
    int state;
    std::list<TGoldInstance*> golds;  // assigned piles in order; not owned

    // An idle balloon at position, turned by angle: at the back of the
    // game's object list, marked on the minimap, filed in its grid cell and
    // in the ground tile under it (none beyond the ground). The game's
    // object list holds it.
    TBallon(TBallonMod* kind, TGame* game, const TVector& position, float angle);
    // Deletes the sphere and forgets the piles; leaves the castle kind's
    // balloon list, the object list, the grid and its tile.
    ~TBallon() override;

    // Takes the pile as its last one: 1, or 0 (refused) while returning or
    // when it already holds four.
    int setCollecting(TGoldInstance* pile);
    // Heads home to deliver.
    void returnToBurg();
    // Forgets every entry of the pile. With none left it heads home, whatever
    // it was doing (an idle balloon so "returns" too); otherwise it steers to
    // the new first pile.
    void removeGold(TGoldInstance* pile);

    // The AI step: deliver at the castle, pick up the first pile when
    // reached, ask for waiting piles while idle, turn towards the target.
    void think() override;
    // One frame: fly forward unless idle and glide to the bobbing height.
    // Never asks to be removed.
    bool periodicDo(int dt) override;

    void getPosition(TVector& out) override { out = TSceneNode::position; }
    TVector getPosition() const { return TSceneNode::position; }
    void setPosition(const TVector& p) override { TSceneNode::position = p; }
    void moveBy(const TVector& v) override { TSceneNode::position = TSceneNode::position + v; }
    void playSound() override {}
    int getKind() override { return kKind; }
    TVector getMarkerColor() override { return TVector(0.0f, 1.0f, 0.0f); }
    int getSphereCount() override { return 1; }
    TBoundingSphere** getSpheres() override { return &sphere; }
    void setTarget(const TVector& t) override { target = TVector(t.x, t.y, t.z); }
    TVector getTarget() override { return target; }
    int getState() const { return state; }

private:
    bool reached(const TVector& p) const;
    void deliverAtCastle();
    void collectFirstPile();
    void steer();
    float frameRate() const;
};
