// The ground's part of the game: building it with the table of object kinds
// that places the level's towers, castle, trees and dwarf houses, drawing it
// each frame and in the water's reflection, and deleting it.
#include "engine/TEngine.h"
#include "engine/TString.h"
#include "game/TBurgMod.h"
#include "game/TDefenseTowerMod.h"
#include "game/TGame.h"
#include "game/TZwergenhausMod.h"
#include "platform/gl.h"
#include "scene/TBoden.h"
#include "scene/TGrid.h"
#include "scene/TInstanceFactory.h"
#include "scene/TTreeMod.h"

void TGame::setUpGround() {
    // The placement table by level-map pixel value: 50 the tower kind, 100
    // the castle kind, 150 the tree kind, 200 the dwarf-house kind. Every
    // other entry is empty and places nothing (the ground logs the pixels it
    // could not place).
    TInstanceFactory* placement[TBoden::kCreateTableCapacity] = {};
    placement[100] = castleKind;
    placement[200] = houseKind;
    placement[50] = towerKind;
    placement[150] = treeKind;
    // The ground's rows and columns each move the loading bar on a little.
    TBoden::progressHook = [this](float step) { loadingStep(step); };
    boden = new TBoden(TString("terrain\\bodenheight1.tga"), TString("terrain\\LevelMap_1.tga"),
                       TString("terrain\\shadowtest.sdm"), placement, TBoden::kCreateTableCapacity, 16, 7,
                       indexBuffer, engine, 16);
    TBoden::progressHook = nullptr;
    ground = boden;
    grid->setGround(boden);
}

void TGame::deleteGround() {
    if (grid) grid->setGround(nullptr);
    ground = nullptr;
    delete boden;
    boden = nullptr;
}

void TGame::drawGround() {
    if (boden) boden->draw();
}

// The objects standing on the ground (alpha-tested leaves), then the
// visibility and detail of the tiles for the next frame.
void TGame::drawGroundObjects() {
    if (!boden) return;
    glEnable(GL_ALPHA_TEST);
    boden->drawDisplayLists();
    glDisable(GL_ALPHA_TEST);
    boden->update(engine->camera, 100.0f, 100000.0f);
}

// The reflection is a 256 x 256 picture seen through ripples: the ground
// goes into it two levels of detail coarser than into the main view.
void TGame::drawGroundReflection() {
    if (boden) boden->drawVertexArrays(true, kReflectionDetailBias);
}
