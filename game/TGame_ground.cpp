// The ground's part of the game: building it with the table of object kinds
// that places the level's towers, castle, trees and dwarf houses, drawing it
// each frame and in the water's reflection, and deleting it.
#include "game/TGame.h"

void TGame::setUpGround() {
    // The ground (height image, level map, shadow map, the placement table
    // of kinds, 16 x 16 tiles, 7 levels of detail) is built here once the
    // ground class exists; until then the level has none.
}

void TGame::deleteGround() {}

void TGame::drawGround() {}

void TGame::drawGroundObjects() {}

void TGame::drawGroundReflection() {}
