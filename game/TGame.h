#pragma once
// TGame is the running game and the owner of the level: the dragon, the
// world objects, the grid, the ground, the kinds of objects, the items and
// the cameras. It is a screen of the shell (its own message loop), the
// drawable the engine calls once a frame (the frame step: draw the scene,
// advance the world, run the AI controller, draw the minimap, feed the sound
// listener, fire the dragon's fireballs) and what the water asks for its
// reflection. World objects reach the game through their world pointer.
//
// A part of the level (the water, the items, the kinds of objects) is a null
// pointer until the level set-up has made it; every step that needs one is
// skipped while it is null, as are the top bar and the loading screen while
// the program has none.

#include <cstdint>

#include "engine/TCamera.h"
#include "engine/TRenderable.h"
#include "engine/TScreen.h"
#include "engine/TVector.h"
#include "game/TGameCamera.h"
#include "platform/win32.h"
#include "scene/TReflectionDrawer.h"
#include "scene/TWorld.h"

class TBallonMod;
class TBoden;
class TBufferObject;
class TBurgMod;
class TBurstEmitter;
class TDefenseTowerMod;
class TDrache;
class TEngine;
class TItemBase;
class TKI;
class TLoadingScreen;
class TMaterial;
class TMesh;
class TParticleBurst;
class TProperties;
class TSkinnedMesh;
class TSound;
class TTopbar;
class TTreeMod;
class TWasser;
class TZwergMod;
class TZwergenhausMod;

class TGame : public TRenderable, public TReflectionDrawer, public TScreen, public TWorld {
public:
    // Both TRenderable and TWorld carry the engine; the game sets both and
    // reads the drawable's.
    using TRenderable::engine;

    static constexpr int kItemSlots = 32;
    static constexpr int kCursorCentre = 200;
    static constexpr int kMaxMessagesPerFrame = 100;
    // Levels of detail the ground is drawn coarser in the water's reflection.
    static constexpr int kReflectionDetailBias = 2;

    POINT cursor;  // the cursor position last read by the frame step
    TMaterial* fireMaterial;           // "feuer"; all materials are the engine's
    TMaterial* fireParticleMaterial;   // "feuerpartikel"
    TMaterial* magicParticleMaterial;  // "magiepartikel"
    TMaterial* bloodParticleMaterial;  // "blutpartikel"
    TMaterial* minimapMaterial;        // "minimapmat"
    int fireTimer;  // game milliseconds since the last fireball
    uint8_t invertMouse;
    TBurstEmitter* bloodBurst;
    TParticleBurst* fireBurst;
    int aiTimer;  // game milliseconds since the AI controller last ran
    TBufferObject* vertexBuffer;  // shared by the level's meshes; the engine's
    TBufferObject* indexBuffer;
    TSkinnedMesh* dragonMesh;  // owned
    TDrache* dragon;           // owned
    TWasser* water;
    TDefenseTowerMod* towerKind;
    TZwergMod* dwarfKind;
    TZwergenhausMod* houseKind;
    TBallonMod* balloonKind;
    TItemBase* items[kItemSlots];  // one per record of the item table
    TItemBase* goldSack;
    int itemCount;
    TMaterial* skyMaterial;  // "skyboxmat"
    TTreeMod* treeKind;
    TMesh* goldMesh;   // owned
    TMesh* arrowMesh;  // owned
    TBurgMod* castleKind;
    TBoden* boden;  // the ground, owned; TWorld::ground is its height source
    uint8_t keyState[256];  // 1 while the virtual key is down
    TCamera followCamera;   // the engine's active camera while the game runs
    TGameCamera targetCamera;
    TKI* ki;
    TSound* sound;
    TLoadingScreen* loadingScreen;
    TProperties* properties;
    TTopbar* topbar;  // set by the shell after construction
    uint8_t leftButton;
    TCamera spareCamera;  // one of the game's listed fields, kept: made and destroyed with it, never used
    uint8_t paused;  // also the AI controller's game-over flag
    int resultCode;

    // Game time not yet handed out: the fraction of a millisecond that
    // int(5000 / rate) drops, carried to the next frame.
    double dtCarry;
    // The game time of the last frame step (0 when the rate was 1.0 or less).
    int lastDt;
    // The last text handed to the top bar (kept also while there is none).
    const char* lastMessage;

    // Sets the starting values and builds the level (loadLevel). The
    // properties and the engine are not owned.
    TGame(TEngine* engine, TProperties* properties);
    // Deletes the world objects one by one (each leaves the lists itself),
    // then the dragon, the ground, the meshes, the grid and the AI
    // controller. The engine and its GL context must still be alive.
    ~TGame() override;

    // The screen's loop; returns the result code: 1 Escape, 4 quit, 5
    // equipment menu, 8 castle menu.
    int run() override;
    // The window procedure's result for the game's messages.
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void keyDown(WPARAM wParam, LPARAM lParam);

    void render() override { doFrame(); }
    bool getFlag() override { return false; }
    // One frame: scene, world update, listener, timers, AI, fire, top bar.
    void doFrame();
    // Turns the dragon by the cursor's offset from (200, 200) and re-centres
    // the cursor; nothing while paused.
    void mouseLook(int x, int y);
    void drawSkybox();
    void drawReflection() override;

    // Builds the level (called once by the constructor).
    void loadLevel();

    // Shows a text in the top bar for 4000 ms (when the game has one).
    void showMessage(const char* text);
    // Tells the top bar the dragon's life fraction.
    void showLife(float fraction);
    // The top bar that the castle's gold gauge, the castle menu's healing
    // and the balloon count go to: the one the shell handed over, or, before
    // it has (the level set-up already shows the castle's starting gold), the
    // program's top bar when one exists. Null when there is none.
    TTopbar* currentTopbar() const;
    // The castle's position in world units; false for a level without one.
    bool castlePosition(TVector& out);

    // Stops the sound wrapper's current music (a module or a stream);
    // nothing when there is none.
    static void stopCurrentMusic(TSound* sound);

    // The leave flag of the game's loop (one for the program).
    static uint8_t leaveFlag;

    // The game milliseconds of a frame at this rate: int(5000 / rate) plus
    // the carried fraction; 0 (nothing moves) for a rate of 1.0 or less.
    int frameTime(float rate);

private:
    void onCharacter(WPARAM character);
    void castleTest();
    void toggleMessage(bool on, const char* onText, const char* offText);

    // Frame-step parts, in the order of doFrame.
    void readMouse();
    void drawScene();
    void pausedStep();
    void updateStep(int dt);
    void beginMinimap();
    void advanceWorldObjects(int dt);
    void drawDragonArrow();
    void updateListener();
    void runTimers(int dt);
    // The ground's parts of the frame and of the reflection; nothing while
    // the level has no ground.
    void drawGround();
    void drawGroundObjects();
    void drawGroundReflection();

    // Level set-up parts.
    void loadingStep(float size);
    void setUpCameras();
    void setUpMaterials();
    TMaterial* makeMaterial(const char* name, const char* texture, const char* vertexProgram);
    void setUpGround();
    void deleteGround();
    void setUpDragon();
};
