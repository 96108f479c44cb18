// A picture of the running game: dwarves walking on their road away from
// their house, drawn by the game's own frame step. The picture is written to
// "dwarves.png" in the build folder; the test checks that the dwarves show,
// upright, with their red hats above their blue coats.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "GameTestWindow.h"
#include "engine/TProperties.h"
#include "game/TGame.h"
#include "game/TKI.h"
#include "game/TKeyField.h"
#include "game/TRoutingTable.h"
#include "game/TWayPoint.h"
#include "game/TZwerg.h"
#include "game/TZwergMod.h"
#include "game/TZwergenhaus.h"
#include "platform/gl.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"
#include "scene/THeightSource.h"
#include "support/Picture.h"

namespace {

const int kWidth = 640;
const int kHeight = 480;

bool isHatRed(const unsigned char* c) { return c[0] > 110 && c[0] > 2 * c[1] && c[0] > 2 * c[2]; }
bool isCoatBlue(const unsigned char* c) { return c[2] > 70 && c[2] > c[0] + 30 && c[2] > c[1] + 10; }

class DwarfPictureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        engine = gametest::openEngine();
        ASSERT_NE(nullptr, engine);
    }
    static void TearDownTestSuite() { gametest::closeEngine(); }

    static TEngine* engine;
    TProperties properties;
};

TEngine* DwarfPictureTest::engine = nullptr;

TEST_F(DwarfPictureTest, DwarvesWalkOnTheirRoadUprightAndAnimated) {
    TGame* game = new TGame(engine, &properties);
    engine->camera = &game->followCamera;
    engine->fpsCounter.fps = 50.0f;
    TKI* ki = game->ki;
    TKeyField* castle = ki->routingTable->getKeyField("Burg");
    ASSERT_NE(nullptr, castle);

    TZwergenhaus* house = nullptr;
    for (TListNode<TMovingObject>* n = game->objects.head; n && !house; n = n->next)
        house = dynamic_cast<TZwergenhaus*>(n->value);
    ASSERT_NE(nullptr, house);
    TWayPoint* home = house->homeWayPoint();
    ASSERT_NE(nullptr, home);
    TWayPoint* next = home->getNextWayPoint(castle);
    ASSERT_NE(nullptr, next);
    TVector road = next->position - home->position;
    road.z = 0.0f;
    road = road.normalized();
    const TVector side = road.perpendicularXY();

    // The house's own dwarf and two companions a little further along the
    // road, all standing at the house's end point; the controller sends
    // them off toward the castle. Far tiles keep them from stopping to shoot
    // while they walk.
    house->periodicDo(100);
    std::vector<TZwerg*> dwarves{ki->dwarves[ki->dwarfCount - 1]};
    for (float ahead : {2.5f, 5.0f}) {
        TVector at = dwarves.front()->getPosition() + road * ahead + side * (ahead - 3.5f);
        at.z = game->ground->getHeight(at);
        TZwerg* companion = game->dwarfKind->createDwarf(at, 0.0f);
        companion->currentWayPoint = home;
        dwarves.push_back(companion);
    }
    // Turned toward the castle already (a dwarf turns slowly: 0.05 a step).
    for (TZwerg* d : dwarves) d->rotateZ(std::atan2(road.x, -road.y));
    for (int i = 0; i < game->boden->tilesX * game->boden->tilesY; ++i) game->boden->tiles[i]->level = 1;
    for (int step = 0; step < 6; ++step) {
        ki->think();
        for (int f = 0; f < 11; ++f)
            for (TZwerg* d : dwarves) d->periodicDo(100);
    }
    for (TZwerg* d : dwarves) ASSERT_TRUE(d->flags & TZwerg::DWARF_GO);

    // The camera beside the road, a little above the dwarves, looking back
    // past them at the house.
    TVector centre;
    for (TZwerg* d : dwarves) centre = centre + d->getPosition() * (1.0f / dwarves.size());
    TVector eye = centre + road * 2.0f + side * 1.2f;
    eye.z = game->ground->getHeight(eye) - 1.0f;
    TVector look = centre - road * 1.5f;
    look.z -= 0.4f;
    TCamera& camera = game->followCamera;

    for (int frame = 0; frame < 4; ++frame) {
        camera.up = TVector(0.0f, 0.0f, 1.0f);
        camera.setDirection((eye - look).normalized());
        camera.setPosition(eye * 100.0f);
        engine->camera = &camera;
        glClearColor(0.5f, 0.5f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera.apply();
        game->doFrame();
    }
    const Picture shot = readColourBuffer(kWidth, kHeight);
    EXPECT_TRUE(writePng(shot, "dwarves.png"));

    // The dwarves near the camera are drawn as the animated model.
    int animated = 0;
    for (TZwerg* d : dwarves) animated += d->ownerValue() == 0 ? 1 : 0;
    EXPECT_EQ(3, animated);
    EXPECT_EQ(TZwergMod::TRACK_WALK, dwarves.front()->getCurrentTrack());
    EXPECT_GT(dwarves.front()->getTime(), 0) << "the walk animation runs";

    // Red hats show, with the blue coats below them (upright): per column
    // of hat, coat pixels within 40 rows below its topmost red pixel and,
    // for comparison, within 40 rows above it.
    int hats = 0, below = 0, above = 0;
    for (int x = 0; x < kWidth; ++x) {
        int hatTop = -1;
        for (int y = 60; y < kHeight && hatTop < 0; ++y) {
            if (x < 185 && y > 295) break;  // the minimap
            if (isHatRed(shot.at(x, y))) hatTop = y;
        }
        if (hatTop < 0) continue;
        for (int y = hatTop; y < kHeight && y < hatTop + 40; ++y) hats += isHatRed(shot.at(x, y)) ? 1 : 0;
        for (int dy = 1; dy <= 40; ++dy) {
            if (hatTop + dy < kHeight && isCoatBlue(shot.at(x, hatTop + dy))) ++below;
            if (hatTop - dy >= 0 && isCoatBlue(shot.at(x, hatTop - dy))) ++above;
        }
    }
    EXPECT_GT(hats, 25);
    EXPECT_GT(below, 100);
    EXPECT_LT(above * 5, below);
    delete game;
}

}  // namespace
