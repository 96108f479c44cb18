// A balloon's life: construction, the piles the AI controller hands it,
// and its AI step and frame step.
#include "game/TBallon.h"

#include <cmath>

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "game/TBallonMod.h"
#include "game/TBurg.h"
#include "game/TBurgMod.h"
#include "game/TGame.h"
#include "game/TGoldInstance.h"
#include "game/TKI.h"
#include "platform/crt.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"
#include "scene/TBoundingSphere.h"
#include "scene/THeightSource.h"

namespace {

// Forward distance per game millisecond, before the node's model scale.
const float kSpeed = 0.16666667f;
const float kPhasePerMs = 0.0001f;
// How much of the bobbing height a frame takes over.
const float kHeightBlend = 0.2f;
const float kHeightKeep = 0.8f;

}  // namespace

TBallon::TBallon(TBallonMod* kind, TGame* g, const TVector& where, float angle)
    : TSceneNode(g ? g->engine : nullptr, where, angle, kind, true),
      TAgent(0, g, kMass),
      phase(0.0f),
      game(g),
      sphere(nullptr),
      carried(0.0f),
      target(0.0f, 0.0f, 0.0f),
      home(nullptr),
      state(IDLE) {
    if (game && !registerBack()) logWrite("fehler beim adden.\n");
    minimapFlag = 1;
    sphere = new TBoundingSphere(&(TSceneNode::position), kSphereRadius);
    updateCell();
    if (game && game->boden) {
        if (TBodenTile* tile = game->boden->getTileAt(where)) tile->addChild(this);
    }
    phase = static_cast<float>(rand()) * 360.0f / 32767.0f;
}

TBallon::~TBallon() {
    delete sphere;
    golds.clear();
    if (home && home->kind) home->kind->forgetBalloon(this);
    if (game && game->castleKind) game->castleKind->forgetBalloon(this);
}

// ------------------------------------------------------ assigned piles ----

int TBallon::setCollecting(TGoldInstance* pile) {
    if (state == RETURNING || static_cast<int>(golds.size()) >= kMaxPiles) return 0;
    state = COLLECTING;
    golds.push_back(pile);
    logOut() << "Ballon auf Status Collecting gesetzt!";
    logFlush();
    return 1;
}

void TBallon::returnToBurg() {
    state = RETURNING;
    if (home) setTarget(home->getPosition());
}

void TBallon::removeGold(TGoldInstance* pile) {
    golds.remove(pile);
    if (golds.empty()) {
        returnToBurg();
    } else {
        setTarget(golds.front()->getPosition());
    }
}

// ------------------------------------------------------------ AI step ----

void TBallon::think() {
    if (state == RETURNING) deliverAtCastle();
    if (state == COLLECTING) collectFirstPile();
    if (state == IDLE) {
        if (TKI* ki = TKI::instance()) ki->assignWaitingGold(this);
    }
    // A balloon that has just delivered (and got no new pile) stays put.
    if (state != IDLE) steer();
}

bool TBallon::reached(const TVector& p) const {
    const float dx = TSceneNode::position.x - p.x;
    const float dy = TSceneNode::position.y - p.y;
    return dx * dx + dy * dy < kReachedSquared;
}

// At the castle the carried gold goes into the castle's account (what does
// not fit is lost) and the balloon is idle again.
void TBallon::deliverAtCastle() {
    if (!home || !reached(home->getPosition())) return;
    if (home->kind) home->kind->setGold(home->kind->getGold() + carried);
    carried = 0.0f;
    state = IDLE;
    golds.clear();
    if (game) game->showMessage("Ballon ist zur Burg zurueckgekehrt.");
}

// Steers to the first pile (it may have moved) and takes it when reached;
// after the last one the balloon heads home.
void TBallon::collectFirstPile() {
    TGoldInstance* pile = golds.empty() ? nullptr : golds.front();
    if (!pile) {
        logOut() << "FEHLER: Ballon@think(): gold von front ist NULLL.\n";
        logFlush();
        returnToBurg();
        return;
    }
    logOut() << "Ballon@think(): gold von front geholt.\n";
    logFlush();
    setTarget(pile->getPosition());
    if (reached(pile->getPosition())) {
        logOut() << "Ballon@think(): gold erreicht.\n";
        logFlush();
        carried += pile->amount;
        pile->collected = true;
        golds.pop_front();
        if (golds.empty()) returnToBurg();
    }
    logOut() << "Ballon@think(): Ende Status COllecting.\n";
    logFlush();
}

// Turns a fixed step towards the target unless the heading is already
// within about 26 degrees of it.
void TBallon::steer() {
    logOut() << "Ballon@think(): vor ballon ausrichten.\n";
    logFlush();
    const TVector heading = TVector(0.0f, -1.0f, 0.0f).transform(matrix).normalized();
    const TVector away = (TSceneNode::position - target).normalized();
    if (heading.dot(away) > -0.9f) {
        const TVector side(-away.y, away.x, away.z);
        if (side.dot(heading) >= 0.0f) {
            logOut() << "corrected direction+\n";
            logFlush();
            rotate(kTurn);
        } else {
            logOut() << "corrected direction-\n";
            logFlush();
            rotate(-kTurn);
        }
    }
    logOut() << "Ballon@think(): nach ballon ausrichten. tx: " << target.x << " ty: " << target.y << "\n";
    logFlush();
}

// ---------------------------------------------------------- frame step ----

float TBallon::frameRate() const {
    return game && game->engine ? game->engine->fpsCounter.fps : 0.0f;
}

bool TBallon::periodicDo(int dt) {
    logOut() << "Ballon: periodicDo\n";
    if (frameRate() > 1.0f) {
        if (state != IDLE) {
            moveForward(static_cast<float>(dt) * kSpeed);
            updateTile();
            updateCell();
        }
        phase += static_cast<float>(dt) * kPhasePerMs;
        if (game && game->ground) {
            const float ground = game->ground->getHeight(TSceneNode::position);
            const float bob = ground - kHeightAboveGround + std::sin(phase);
            TSceneNode::position.z = kHeightBlend * bob + kHeightKeep * TSceneNode::position.z;
        }
    }
    visible = 1;
    return false;
}
