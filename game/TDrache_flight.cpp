// The dragon's movement: flight states with eased airspeed and animation
// switching, sideways movement on the arrow keys, the follow camera and the
// fireball.
#include "engine/TCamera.h"
#include "game/TDrache.h"
#include "game/TFeuerball.h"
#include "game/TGame.h"
#include "platform/win32.h"

bool TDrache::periodicDo(int dt) {
    updateCell();
    fly(dt);
    advance(dt);
    sphereCentre = getPosition();
    return false;
}

bool TDrache::keyDown(int virtualKey) const { return game && game->keyState[virtualKey] != 0; }

void TDrache::fly(int dt) {
    const double t = dt * 0.001;
    double change = 0.0;
    chooseFlightState(change);
    moveSideways(t);
    airspeed = airspeed + change * t;
    moveAlong(t);
}

// Picks the flight state from the keys and the nose's pitch, starts its
// animation when it changes, and gives the airspeed's rate of change.
void TDrache::chooseFlightState(double& change) {
    const double s = airspeed;
    const int track = getCurrentTrack();
    if (keyDown(VK_UP)) {
        if (!(flightState == SPEEDING_UP && track == TRACK_SPEED_UP)) {
            flightState = SPEEDING_UP;
            startTrack(TRACK_SPEED_UP, -1000);
        }
        change = 0.7 * s + 0.3 - s;
    } else if (keyDown(VK_DOWN)) {
        if (!(flightState == SLOWING_DOWN && track == TRACK_BACK)) {
            flightState = SLOWING_DOWN;
            startTrack(TRACK_BACK, -1000);
        }
        change = 0.6 * s - 0.2 - s;
    } else if (getBackward().z < -0.6f) {
        if (!(flightState == DIVING && track == TRACK_DIVE)) {
            flightState = DIVING;
            if (!strafing) startTrack(TRACK_DIVE, -2000);
        }
        change = 0.8 * s + 0.4 - s;
    } else {
        if (!(flightState == CRUISING && track == TRACK_CRUISE)) {
            flightState = CRUISING;
            if (!strafing) startTrack(TRACK_CRUISE, -1000);
        }
        change = -0.1 * s;
    }
}

void TDrache::moveSideways(double t) {
    const bool gliding = flightState == CRUISING || flightState == DIVING;
    const float step = static_cast<float>(t * 100.0 * speed);
    TVector& p = TSkinnedMeshInstance::position;
    if (keyDown(VK_LEFT)) {
        strafing = 1;
        if (gliding && getCurrentTrack() != TRACK_RIGHT) startTrack(TRACK_RIGHT, -1000);
        p = p + getSideways() * step;
    } else if (keyDown(VK_RIGHT)) {
        strafing = 1;
        if (gliding && getCurrentTrack() != TRACK_LEFT) startTrack(TRACK_LEFT, -1000);
        p = p - getSideways() * step;
    } else {
        strafing = 0;
    }
}

// Moves along the flight direction; speeding up and slowing down also lift
// the dragon along backward x sideways.
void TDrache::moveAlong(double t) {
    const float v = static_cast<float>(airspeed * speed * t);
    TVector& p = TSkinnedMeshInstance::position;
    const TVector lift = getBackward().cross(getSideways());
    switch (flightState) {
        case SPEEDING_UP:
            moveForward(v * 200.0f);
            p = p + lift * static_cast<float>(t * 100.0);
            break;
        case SLOWING_DOWN:
            moveForward(v * 200.0f);
            p = p + lift * static_cast<float>(t * 10.0);
            break;
        default:
            moveForward(v * 300.0f);
            break;
    }
}

void TDrache::updateCamera(TCamera* camera) {
    if (!camera) return;
    const TVector backward = getBackward();
    // Deliberately the dragon's downward axis, model +z, not its upward one:
    // the camera's view matrix mirrors its up axis (eye y runs along the
    // negated up vector), so the upward axis (0, 0, -1) would show the
    // picture upside down, with the camera below the dragon. With +z the
    // picture is upright, as with the game's other cameras (up (0, 0, 1)),
    // and the camera sits above the dragon.
    const TVector up = TVector(0.0f, 0.0f, 1.0f).transform(rotation);
    camera->setDirection(backward);
    camera->up = up;
    camera->updateView();
    camera->updateFrustum();
    camera->setPosition(TSkinnedMeshInstance::position + up * -120.0f);
}

void TDrache::shootFireball() {
    // 5 units ahead of the dragon (world units), flying where it looks; the
    // fireball joins the game's object list itself. A dragon without a game
    // has no world to shoot into.
    if (game) {
        const TVector backward = getBackward();
        new TFeuerball(TSkinnedMeshInstance::position * 0.01f + backward * -5.0f, backward * -1.0f, fireMaterial,
                       fireParticleMaterial, game);
    }
    currentSound = SOUND_FIRE;
    playSound();
}
