// The cost of the grid's collision pass on the generated level. Builds the
// level on an engine of its own (as the GL tests do), lets the houses make
// their dwarves, then puts fireballs in the air where a fight has them: four
// around the body of every tower (some in the cell above its base, none
// touching it) and the rest in a ring around the castle and over the island,
// plus the dragon. The pass is then run `passes` times with nothing moving,
// so every pass does the same work: the searching and testing alone, no
// contact handler.
//
//   collisions <width> <height> <passes>
//
// Runs in a folder with the game's data; prints "pass <mean us> <active
// cells> <fireballs> <objects>". It uses nothing but the grid's pass, so any
// other build of the project can run it for a before/after ratio. Exit code 1
// when no window can be made.

#include <time.h>

#include <cmath>
#include <cstdio>

#include "BenchGame.h"
#include "BenchWindow.h"
#include "engine/TEngine.h"
#include "game/TDefenseTower.h"
#include "game/TFeuerball.h"
#include "game/TGame.h"
#include "scene/TGrid.h"

namespace {

// Fireballs over the island besides those at the towers.
const int kLooseShots = 24;

double microseconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1.0e6 + t.tv_nsec / 1.0e3;
}

// A fireball in flight at p, filed in its cell.
void shoot(TGame* game, const TVector& p) {
    TFeuerball* ball = new TFeuerball(p, TVector(1.0f, 0.0f, 0.0f), game->fireMaterial, game->fireParticleMaterial, game);
    ball->updateCell();
}

int placeShots(TGame* game) {
    int shots = 0;
    for (TListNode<TMovingObject>* n = game->objects.head; n; n = n->next) {
        TDefenseTower* tower = dynamic_cast<TDefenseTower*>(n->value);
        if (!tower) continue;
        // 6 units off the axis of the body: within reach, never touching.
        const TVector base = tower->TSceneNode::position;
        const TVector around[4] = {TVector(6, 0, -2), TVector(-6, 0, -6), TVector(0, 6, -10), TVector(0, -6, -14)};
        for (const TVector& a : around) {
            shoot(game, base + a);
            ++shots;
        }
    }
    TVector castle(1024.0f, 1024.0f, 420.0f);
    for (int i = 0; i < kLooseShots; ++i) {
        const float angle = 6.2831853f * static_cast<float>(i) / kLooseShots;
        const float radius = 40.0f + 25.0f * static_cast<float>(i % 4);
        shoot(game, castle + TVector(std::cos(angle) * radius, std::sin(angle) * radius, -20.0f));
        ++shots;
    }
    return shots;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    int width = 0, height = 0, passes = 0;
    if (!readBenchArguments("collisions", commandLine, width, height, passes)) return 2;
    BenchGame bench("collisions", width, height);
    if (!bench.game) return 1;
    TGame* game = bench.game;
    // One frame step at 50 frames a second: the houses make their dwarves.
    bench.engine->fpsCounter.fps = 50.0f;
    game->doFrame();

    const int shots = placeShots(game);
    game->grid->processCollisions();  // warm-up: the pass's buffers grow once
    const double start = microseconds();
    for (int i = 0; i < passes; ++i) game->grid->processCollisions();
    const double mean = (microseconds() - start) / passes;
    std::printf("pass %.3f %d %d %d\n", mean, game->grid->activeCells.count(), shots, game->objects.count());
    std::fflush(stdout);
    return 0;
}
