#include "screens/TIntroScreen.h"

#include <new>

#include "engine/Log.h"
#include "engine/MessagePump.h"
#include "engine/TCamera.h"
#include "engine/TEngine.h"
#include "engine/TSound.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "screens/StartScreens.h"

namespace {

TIntroScreen* theIntroScreen = nullptr;

const float kStartSpeed = 0.05f;
const uint32_t kFlightStepMs = 50;
const float kCameraStopZ = -13.0f;
const float kCameraClimbZ = -8.0f;
const uint32_t kHoldMs = 3000;
const TVector kFlightStart(-4600.0f, -600.0f, -200.0f);
// The dragon's model sits next to the origin of the intro's frame, so that
// flightPos alone places it (drawing units).
const TVector kDragonPlace(5.0f, 5.0f, 5.0f);

}  // namespace

float TIntroScreen::flightSpeed = kStartSpeed;
int TIntroScreen::textureCount = 0;

TIntroScreen* TIntroScreen::getInstance(TEngine* engine, TGame* game, TProperties* /*properties*/) {
    if (!theIntroScreen && engine) theIntroScreen = new (std::nothrow) TIntroScreen(engine, game);
    return theIntroScreen;
}

void TIntroScreen::destroyInstance() {
    delete theIntroScreen;
    theIntroScreen = nullptr;
    flightSpeed = kStartSpeed;
    textureCount = 0;
}

TIntroScreen::TIntroScreen(TEngine* e, TGame* g)
    : TRenderable(e),
      phase(0),
      textures(new TMaterial*[kTextureSlots]()),
      music(-1),
      cameraZ(3.0f),
      logoDepth(0.0f),
      camera(nullptr),
      flightPos(kFlightStart),
      cloudOffset(0.0f),
      game(g),
      dragon(g ? g->dragon : nullptr),
      done(0),
      fadingOut(0),
      fadingIn(1),
      lastFadeStep(0),
      lastFlightStep(0),
      alpha(1.0f),
      flying(1),
      endTime(0),
      quitArrived(0) {
    loadTexture("logo_sky.tga", "logo_sky");
    loadTexture("cloud.tga", "cloud");
    loadTexture("cloud_small.tga", "cloud");
    loadTexture("Nebel.tga", "nebel");
    loadTexture("Wolkenbank.tga", "Wolkenbank");
    loadTexture("Nacht.tga", "Nacht");
    loadTexture("sky_new.tga", "sky_new");

    TSound* sound = TSound::getInstance();
    music = sound->loadMusic(1, "sound/cloudforge.mp3", false);
    if (music < 0) logWrite("Failed to load logo sound.\n");

    camera = startscreens::makeStartCamera(engine);
    engine->camera = camera;
    if (dragon) {
        savedDragonPos = dragon->getPosition();
        dragon->TSkinnedMeshInstance::setPosition(kDragonPlace);
    }
    sound->playMusic(music);
    lastFadeStep = timeGetTime();
    lastFlightStep = lastFadeStep;
}

TIntroScreen::~TIntroScreen() {
    if (theIntroScreen == this) theIntroScreen = nullptr;
    if (engine && engine->camera == camera) engine->camera = nullptr;
    if (engine && engine->screen == this) engine->screen = nullptr;
    delete camera;
    delete[] textures;
}

void TIntroScreen::loadTexture(const char* file, const char* name) {
    startscreens::keepPicture(engine, file, name, textures, textureCount, kTextureSlots, "Intro");
}

void TIntroScreen::fadeIn() {
    fadingIn = 1;
    fadingOut = 0;
    lastFadeStep = timeGetTime();
}

void TIntroScreen::fadeOut() {
    fadingOut = 1;
    fadingIn = 0;
    lastFadeStep = timeGetTime();
}

void TIntroScreen::animate(uint32_t now) {
    if (endTime && now >= endTime && !done) {
        done = 1;
        fadingOut = 1;
        fadingIn = 0;
        lastFadeStep = now;
    }
    if (!flying || now < lastFlightStep + kFlightStepMs) return;
    lastFlightStep = now;
    cameraZ -= flightSpeed;
    if (cameraZ <= kCameraStopZ) {
        // The camera stops; the dragon climbs away.
        cameraZ = kCameraStopZ;
        flightSpeed = 0.0f;
        flightPos.y += 5.0f;
        flightPos.z -= 5.0f;
        if (phase != 2) {
            phase = 2;
            if (dragon) dragon->startAnimation(2, -2000);
        }
        if (!endTime) endTime = now + kHoldMs;
    } else if (cameraZ <= kCameraClimbZ) {
        // The dragon climbs while the title recedes.
        if (phase != 1) {
            phase = 1;
            if (dragon) dragon->startAnimation(1, -1000);
        }
        flightPos.y += 5.0f;
        flightPos.z += 5.0f;
        logoDepth += 0.02f;
    }
    if (flightSpeed < 0.0f) flightSpeed = 0.0f;
}

int TIntroScreen::run() {
    engine->screen = this;
    engine->camera = camera;
    while (!(done && alpha > 0.99f)) {
        engine->renderFrame();
        animate(timeGetTime());
        if (pumpMessages(nullptr, kAllWaitingMessages) & kPumpQuit) {
            // A closed window ends the program: fade out as Escape does.
            quitArrived = 1;
            onCharacter(VK_ESCAPE);
        }
    }
    engine->camera = nullptr;
    if (dragon) dragon->setPosition(savedDragonPos);
    return quitArrived ? RESULT_QUIT : RESULT_DONE;
}

LRESULT TIntroScreen::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_KEYDOWN) return 0;
    if (message == WM_CHAR) onCharacter(wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

// The developer keys steer the scene by hand.
void TIntroScreen::onCharacter(WPARAM character) {
    switch (character) {
        case VK_ESCAPE:
            TSound::getInstance()->stopMusic(music);
            done = 1;
            fadeOut();
            break;
        case 'f': fadeOut(); break;
        case 'F': fadeIn(); break;
        case 'z': cameraZ += 0.05f; break;
        case 'Z': cameraZ -= 0.05f; break;
        case 't': logoDepth += 0.01f; break;
        case 'T': logoDepth -= 0.01f; break;
        case 'd': flightPos.x += 10.5f; break;
        case 'D': flightPos.x -= 10.5f; break;
        case 'c': cloudOffset += 0.005f; break;
        case 'C': cloudOffset -= 0.005f; break;
        case 'g':
            TSound::getInstance()->playMusic(music);
            flying = 1;
            break;
        case 's':
            if (dragon) dragon->shootFireball();
            break;
        default:
            break;
    }
}
