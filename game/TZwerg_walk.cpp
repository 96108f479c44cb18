// The dwarf's walk: its think step along the routing table and its frame
// step along the ground.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TKI.h"
#include "game/TKeyField.h"
#include "game/TWayPoint.h"
#include "game/TZwerg.h"
#include "game/TZwergMod.h"
#include "platform/crt.h"
#include "scene/THeightSource.h"

namespace {

// Way-point and key-field names are 8-byte fields, NUL-padded.
struct Name {
    const char* text;
};

std::ostream& operator<<(std::ostream& out, Name n) {
    const void* end = std::memchr(n.text, 0, 8);
    return out.write(n.text, end ? static_cast<const char*>(end) - n.text : 8);
}

float distanceXY(const TVector& a, const TVector& b) {
    const float dx = a.x - b.x, dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

// ----------------------------------------------------------- think step ----

void TZwerg::walk() {
    arrive();
    if (!(flags & DWARF_STAND)) steer();
    snoreOrDecideToShoot();
    timedEvent();
    if ((flags & DWARF_SHOOT) && game && game->dragon) target = game->dragon->getPosition();
}

// At the target way point: the end of the route, or on to the next hop.
void TZwerg::arrive() {
    if (!targetWayPoint) return;
    if (!(distanceXY(TSkinnedMeshInstance::position, targetWayPoint->position) < kArrivalDistance)) return;
    previousWayPoint = currentWayPoint;
    currentWayPoint = targetWayPoint;
    if (route && route->isEndPoint(currentWayPoint)) {
        flags &= ~DWARF_GO;
        flags |= DWARF_STAND;
        logOut() << "Zwerg: Ziel erreicht, warte auf Anweisungen.\n"
                 << "DWARF_STAND ist " << "gesetzt" << ".\n";
        return;
    }
    TWayPoint* next = nextHop(route, false);
    targetWayPoint = next;
    if (!next) return;
    if (next == previousWayPoint) {
        logOut() << "Zwerg: Verdacht auf Zyklus.\n";
        return;
    }
    setTarget(next->position);
    logOut() << "Zwerg: Wegpunkt (" << Name{currentWayPoint->name} << ") erreicht, naechsten genommen: "
             << Name{next->name} << "\n";
}

// Turns toward the target at every step, never straight on: the facing
// direction b carries the model scale, so the test whether it already points
// at the target always passes and the dwarf weaves about its line.
void TZwerg::steer() {
    const TVector b = TVector(0.0f, -1.0f, 0.0f).transform(rotation);
    const TVector away = TSkinnedMeshInstance::position - target;
    float d2 = 0.0f;
    if (away.length() > 0.0f) {
        const TVector n = away.normalized();
        const TVector p(-n.y, n.x, n.z);
        d2 = p.dot(b);
    }
    const float rate = (flags & DWARF_SHOOT) ? kAimTurn : kWalkTurn;
    rotateZ(d2 > 0.0f ? rate : -rate);
}

void TZwerg::snoreOrDecideToShoot() {
    if (flags & DWARF_SLEEP) {
        const time_t now = TKI::currentTime();
        if (lastSnore + kSnoreSeconds < now) {
            lastSnore = now;
            playSound();
        }
        return;
    }
    if (ownerValue() != 0 || (flags & DWARF_TIMER)) return;
    const int r = rand() * 100 / 32767;
    if (r <= 95) return;
    timer = TKI::currentTime() + kAimSeconds;
    flags |= DWARF_TIMER | DWARF_SHOOT;
    savedTarget = target;
    startAnimation(TZwergMod::TRACK_SHOOT, TSkeleton::kRestartTime);
}

// A shot leaves, or a sleeper wakes up.
void TZwerg::timedEvent() {
    if (!(flags & DWARF_TIMER) || timer > TKI::currentTime()) return;
    if (flags & DWARF_SHOOT) {
        startAnimation(TZwergMod::TRACK_WALK, TSkeleton::kRestartTime);
        target = savedTarget;
        shoot();
    }
    flags &= ~(DWARF_TIMER | DWARF_SLEEP | DWARF_SHOOT);
}

void TZwerg::goToWaypoint(TKeyField* keyField) {
    route = keyField;
    if (!currentWayPoint) {
        logOut() << "Zwerg: no current way point, cannot set out\n";
        logFlush();
        return;
    }
    TWayPoint* found = keyField ? currentWayPoint->getNextWayPoint(keyField) : nullptr;
    if (found) {
        targetWayPoint = found;
        logOut() << "Gehe zu Wegpunkt " << Name{found->name} << " at (" << found->position.x << ", "
                 << found->position.y << ")\n";
        logFlush();
    } else {
        targetWayPoint = nextHop(keyField, true);
    }
    if (targetWayPoint) setTarget(targetWayPoint->position);
}

TWayPoint* TZwerg::nextHop(TKeyField* keyField, bool flush) {
    if (!currentWayPoint) return nullptr;
    if (keyField) {
        if (TWayPoint* next = currentWayPoint->getNextWayPoint(keyField)) return next;
        logOut() << "Kein routing item für " << Name{keyField->name} << " gefunden!\n";
    } else {
        logOut() << "Zwerg: no key field to walk to (its home has none); the first routing item of way point "
                 << Name{currentWayPoint->name} << " is taken\n";
    }
    TWayPoint* next = nullptr;
    if (currentWayPoint->routingItemCount < 1)
        logOut() << "Zwerg: way point " << Name{currentWayPoint->name} << " has no routing item, dwarf stays\n";
    else
        next = currentWayPoint->routingItems[0]->neighbour;
    if (flush) logFlush();
    return next;
}

int TZwerg::tickStand() {
    flags |= DWARF_STEAL;
    if (standCounter >= 15) {
        flags |= DWARF_CARRY;
        standCounter = 0;
    } else {
        standCounter += 1;
    }
    return static_cast<int>(kStolenGold);
}

// ----------------------------------------------------------- frame step ----

bool TZwerg::periodicDo(int dt) {
    const TEngine* e = TSkinnedMeshInstance::engine;
    const bool running = e && e->fpsCounter.fps > 1.0f;
    if (!(flags & DWARF_TIMER) && running && (flags & DWARF_GO)) {
        // Whole steps of 15 ms; the rest waits for the next frame.
        stepCarry += dt;
        const int steps = stepCarry / kStepTime;
        stepCarry -= steps * kStepTime;
        update(-static_cast<float>(steps));
        updateTile();
        updateCell();
    }
    if (ownerValue() == 0) advance(10 * dt);
    return (flags & DWARF_GONE) != 0;
}

void TZwerg::update(float distance) {
    TSkinnedMeshInstance::moveForward(distance);
    if (game && game->ground) TSkinnedMeshInstance::position.z = game->ground->getHeight(TSkinnedMeshInstance::position);
}
