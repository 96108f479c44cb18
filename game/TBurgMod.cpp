#include "game/TBurgMod.h"

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "engine/TMaterial.h"
#include "engine/TProperties.h"
#include "engine/TString.h"
#include "game/TBallon.h"
#include "game/TBallonMod.h"
#include "game/TBurg.h"
#include "game/TGame.h"
#include "screens/TTopbar.h"

namespace {

// Balloons start this far above the castle (z grows downward).
const float kBalloonHeight = 30.0f;

}  // namespace

TBurgMod::TBurgMod(TBufferObject* vb, TBufferObject* ib, TGame* g, TProperties* properties)
    : TMesh(TString("mods\\burg\\mesh.pff"), vb, ib, g ? g->engine : nullptr, true),
      game(g),
      castle(nullptr),
      gold(0.0f),
      maxGold(0.0f),
      balloonKind(nullptr),
      reserved(0) {
    maxGold = properties ? properties->getFloat("MAX_BURG_GOLD") : 0.0f;
    setGold(0.6f * maxGold);
    TEngine* e = TRenderable::engine;
    TMaterial* material = getGroupMaterial(0);
    if (e && material) material->vertexProgramSlot = e->loadVertexProgram(TString("programs\\standard_vp.txt"));
}

TBurgMod::~TBurgMod() { balloons.clear(); }

TRenderable* TBurgMod::createInstance(const TVector& position, float angle) {
    logOut() << "Drachenburg bei " << position.x << ", " << position.y << "\n";
    logFlush();
    castle = new TBurg(this, game, position, angle);
    return castle;
}

void TBurgMod::setGold(float value) {
    if (value < 0.0f) {
        gold = 0.0f;
    } else if (value < maxGold) {
        gold = value;
    } else {
        gold = maxGold;
    }
    showGold();
}

float TBurgMod::goldFraction() const { return maxGold > 0.0f ? gold / maxGold : 0.0f; }

void TBurgMod::showGold() const {
    if (TTopbar* topbar = game ? game->currentTopbar() : nullptr) topbar->setGold(goldFraction());
}

TBallon* TBurgMod::buyBallon() {
    if (!castle || !balloonKind) {
        logOut() << "Castle: no " << (castle ? "balloon kind" : "castle") << " to buy a balloon at\n";
        logFlush();
        return nullptr;
    }
    TVector at;
    castle->getPosition(at);
    at.z -= kBalloonHeight;
    TBallon* balloon = static_cast<TBallon*>(balloonKind->createInstance(at, 0.0f));
    balloons.push_back(balloon);
    balloon->home = castle;
    return balloon;
}

void TBurgMod::forgetBalloon(TBallon* balloon) { balloons.remove(balloon); }
