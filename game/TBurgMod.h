#pragma once
// TBurgMod is the castle kind: the castle's model, the castle's gold account
// (always between 0 and MAX_BURG_GOLD after a change made here), the castle
// it placed last and the balloons bought there. Every change of the gold
// goes through setGold or pickUpGold, which keep the top bar's gold gauge in
// step. The balloon list does not own its balloons (the game's object list
// holds them); each balloon leaves it when it is destroyed.

#include <list>

#include "scene/TMesh.h"

class TBallon;
class TBallonMod;
class TBufferObject;
class TBurg;
class TGame;
class TProperties;

class TBurgMod : public TMesh {
public:
    TGame* game;              // not owned
    TBurg* castle;            // the castle made last through this kind; null until then
    float gold;
    float maxGold;            // MAX_BURG_GOLD
    TBallonMod* balloonKind;  // set by the level set-up; not owned
    int reserved;             // one of the kind's listed fields, kept: 0, never read
    std::list<TBallon*> balloons;  // in order of purchase; not owned

    // Loads "mods\burg\mesh.pff" into the shared buffers (split), reads
    // MAX_BURG_GOLD (0 when absent or without properties), starts with 0.6
    // of it and tells the top bar, and gives the mesh's first material the
    // standard vertex program. A missing model leaves a kind that draws
    // nothing; the gold account works all the same.
    TBurgMod(TBufferObject* vertexBuffer, TBufferObject* indexBuffer, TGame* game, TProperties* properties);
    // Forgets the balloons (they stay in the game's object list).
    ~TBurgMod() override;

    // A new castle at position, turned by angle; it becomes this kind's
    // castle. The caller owns it (the ground files it, the game deletes it).
    TRenderable* createInstance(const TVector& position, float angle) override;

    // gold := value, 0 below 0 and maxGold from maxGold on (a value that
    // compares with nothing gives maxGold too); the top bar follows.
    void setGold(float value);
    // gold += amount, clamped and shown as setGold does.
    void addGold(float amount) { setGold(gold + amount); }
    float getGold() const { return gold; }
    float getMaxGold() const { return maxGold; }
    // gold / maxGold; 0 for a castle whose maximum is 0 or less.
    float goldFraction() const;

    // A new balloon 30 units above the castle, appended to the balloons and
    // homed at the castle. Checks and takes no gold: the buyer pays. Returns
    // the balloon (owned by the game's object list), or null with a log line
    // when there is no castle or no balloon kind.
    TBallon* buyBallon();
    int getBalloonCount() const { return static_cast<int>(balloons.size()); }
    // Takes the balloon out of the list (its destructor calls this).
    void forgetBalloon(TBallon* balloon);

private:
    void showGold() const;
};
