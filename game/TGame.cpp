#include "game/TGame.h"

#include <cstring>

#include "engine/Log.h"
#include "engine/MessagePump.h"
#include "engine/TEngine.h"
#include "engine/TSound.h"
#include "game/TBallonMod.h"
#include "game/TBurg.h"
#include "game/TBurgMod.h"
#include "game/TDefenseTowerMod.h"
#include "game/TDrache.h"
#include "game/TItemBase.h"
#include "game/TKI.h"
#include "game/TZwergMod.h"
#include "game/TZwergenhausMod.h"
#include "platform/gl.h"
#include "screens/TTopbar.h"
#include "scene/TBurstEmitter.h"
#include "scene/TGrid.h"
#include "scene/TParticleBurst.h"
#include "scene/TParticleManager.h"
#include "scene/TMesh.h"
#include "scene/TSkinnedMesh.h"
#include "scene/TTreeMod.h"
#include "scene/TWasser.h"

uint8_t TGame::leaveFlag = 0;

TGame::TGame(TEngine* e, TProperties* props)
    : TRenderable(e),
      cursor{0, 0},
      fireMaterial(nullptr),
      fireParticleMaterial(nullptr),
      magicParticleMaterial(nullptr),
      bloodParticleMaterial(nullptr),
      minimapMaterial(nullptr),
      fireTimer(0),
      invertMouse(1),
      bloodBurst(nullptr),
      fireBurst(nullptr),
      aiTimer(0),
      vertexBuffer(nullptr),
      indexBuffer(nullptr),
      dragonMesh(nullptr),
      dragon(nullptr),
      water(nullptr),
      towerKind(nullptr),
      dwarfKind(nullptr),
      houseKind(nullptr),
      balloonKind(nullptr),
      items{},
      goldSack(nullptr),
      itemCount(0),
      skyMaterial(nullptr),
      treeKind(nullptr),
      goldMesh(nullptr),
      arrowMesh(nullptr),
      castleKind(nullptr),
      boden(nullptr),
      keyState{},
      ki(nullptr),
      sound(nullptr),
      loadingScreen(nullptr),
      properties(props),
      topbar(nullptr),
      leftButton(0),
      paused(0),
      resultCode(RESULT_QUIT),
      dtCarry(0.0),
      lastDt(0),
      lastMessage(nullptr) {
    TWorld::engine = e;
    leaveFlag = 0;
    loadLevel();
    fireTimer = 0;
}

TGame::~TGame() {
    // The engine outlives the game: it must not draw it or use its cameras
    // again.
    if (engine) {
        if (engine->screen == this) engine->screen = nullptr;
        if (engine->camera == &followCamera || engine->camera == &targetCamera || engine->camera == &spareCamera)
            engine->camera = nullptr;
    }
    // World objects go one by one through their own destructors, which
    // unlink them; dwarves before the houses that made them, the dragon
    // last. Nothing here owns a list node.
    for (int pass = 0; pass < 2; ++pass) {
        for (;;) {
            TMovingObject* victim = nullptr;
            for (TListNode<TMovingObject>* n = objects.head; n; n = n->next) {
                TMovingObject* o = n->value;
                if (o == dragon) continue;
                if (pass == 0 && o->getKind() != 1) continue;
                victim = o;
                break;
            }
            if (!victim) break;
            delete victim;
        }
    }
    delete dragon;
    dragon = nullptr;
    delete bloodBurst;
    bloodBurst = nullptr;
    delete fireBurst;
    fireBurst = nullptr;
    delete particles;  // clears the links of holders that are still around
    particles = nullptr;
    delete dragonMesh;
    dragonMesh = nullptr;
    deleteGround();
    delete water;
    water = nullptr;
    // The kinds go after the objects and the trees the tiles owned.
    delete towerKind;
    towerKind = nullptr;
    delete treeKind;
    treeKind = nullptr;
    delete goldSack;
    for (TItemBase*& item : items) {
        delete item;
        item = nullptr;
    }
    delete goldMesh;
    delete arrowMesh;
    delete dwarfKind;
    dwarfKind = nullptr;
    delete houseKind;
    houseKind = nullptr;
    delete balloonKind;
    balloonKind = nullptr;
    delete castleKind;
    castleKind = nullptr;
    logFlush();
    delete grid;
    grid = nullptr;
    TKI::destroyInstance();
    ki = nullptr;
}

// ------------------------------------------------------------ the loop ----

int TGame::run() {
    glEnable(GL_BLEND);
    engine->screen = this;
    engine->camera = &followCamera;

    // Input state from before a menu is stale: nothing is held, and the
    // cursor starts from the centre.
    std::memset(keyState, 0, sizeof(keyState));
    leftButton = 0;
    SetCursorPos(kCursorCentre, kCursorCentre);
    cursor.x = kCursorCentre;
    cursor.y = kCursorCentre;

    leaveFlag = 0;
    resultCode = RESULT_QUIT;
    paused = 0;

    while (!leaveFlag) {
        engine->renderFrame();
        if (pumpMessages(engine->window, kMaxMessagesPerFrame) & kPumpQuit) leaveFlag = 1;
    }

    stopCurrentMusic(sound);
    return resultCode;
}

void TGame::stopCurrentMusic(TSound* s) {
    if (s) s->stopMusic(0);  // the current music is slot 0; nothing when it is empty
}

// ------------------------------------------------------ top bar and castle ----

void TGame::showMessage(const char* text) {
    lastMessage = text;
    if (topbar) topbar->showMessage(text);
}

void TGame::showLife(float fraction) {
    if (topbar) topbar->setLife(fraction);
}

TTopbar* TGame::currentTopbar() const { return topbar ? topbar : TTopbar::existing(); }

bool TGame::castlePosition(TVector& out) {
    // The castle stands in the castle kind; a level without one has none.
    if (!castleKind || !castleKind->castle) return false;
    castleKind->castle->getPosition(out);
    return true;
}
