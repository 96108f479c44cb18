// Dwarves, dwarf houses and arrows on the generated level: a house makes its
// dwarf, the dwarf walks the routing table to the castle, steals and carries
// the gold home, dies and wakes up at home or is gone with its house, shoots
// arrows that hurt the dragon; houses are destroyed and rebuilt.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "GameTestWindow.h"
#include "engine/Log.h"
#include "engine/TProperties.h"
#include "engine/TSound.h"
#include "game/TBurgMod.h"
#include "game/TDrache.h"
#include "game/TGoldInstance.h"
#include "game/TGame.h"
#include "game/TKI.h"
#include "game/TKeyField.h"
#include "game/TPfeil.h"
#include "game/TRoutingTable.h"
#include "game/TWayPoint.h"
#include "game/TZwerg.h"
#include "game/TZwergMod.h"
#include "game/TZwergenhaus.h"
#include "platform/crt.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"
#include "scene/TBoundingSphere.h"
#include "scene/TGrid.h"
#include "scene/TParticleManager.h"
#include "scene/TSkeleton.h"

namespace {

float distanceXY(const TVector& a, const TVector& b) { return std::hypot(a.x - b.x, a.y - b.y); }

bool same(const TVector& a, const TVector& b) { return (a - b).length() < 1e-4f; }

// The facing angle of a dwarf in the x-y plane.
float heading(const TZwerg* dwarf) {
    const TVector b = TVector(0.0f, -1.0f, 0.0f).transform(dwarf->rotation);
    return std::atan2(b.y, b.x);
}

class DwarfTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        engine = gametest::openEngine();
        ASSERT_NE(nullptr, engine);
    }
    static void TearDownTestSuite() { gametest::closeEngine(); }

    void SetUp() override {
        ASSERT_NE(nullptr, engine);
        properties.set("MAX_BURG_GOLD", "1000");
        game = new TGame(engine, &properties);
        engine->camera = &game->followCamera;
        engine->fpsCounter.fps = 50.0f;
        ki = game->ki;
        ASSERT_NE(nullptr, ki);
        castle = ki->routingTable->getKeyField("Burg");
        ASSERT_NE(nullptr, castle);
    }
    void TearDown() override { delete game; }

    std::vector<TZwergenhaus*> houses() const {
        std::vector<TZwergenhaus*> found;
        for (TListNode<TMovingObject>* n = game->objects.head; n; n = n->next) {
            if (TZwergenhaus* house = dynamic_cast<TZwergenhaus*>(n->value)) found.push_back(house);
        }
        return found;
    }
    // The gold piles lying at a position (x and y).
    std::vector<TGoldInstance*> pilesAt(const TVector& at) const {
        std::vector<TGoldInstance*> found;
        for (TListNode<TMovingObject>* n = game->objects.head; n; n = n->next) {
            TGoldInstance* pile = dynamic_cast<TGoldInstance*>(n->value);
            if (pile && std::hypot(pile->getPosition().x - at.x, pile->getPosition().y - at.y) < 1e-3f)
                found.push_back(pile);
        }
        return found;
    }
    int countArrows() const {
        int arrows = 0;
        for (TListNode<TMovingObject>* n = game->objects.head; n; n = n->next) {
            if (dynamic_cast<TPfeil*>(n->value)) ++arrows;
        }
        return arrows;
    }

    // The first house and the dwarf its first step makes.
    TZwerg* firstDwarf() {
        const std::vector<TZwergenhaus*> all = houses();
        if (all.empty()) return nullptr;
        house = all.front();
        const int before = ki->dwarfCount;
        house->periodicDo(100);
        if (ki->dwarfCount != before + 1) return nullptr;
        return ki->dwarves[ki->dwarfCount - 1];
    }

    // Every tile at this level of detail (1: the dwarves neither shoot nor
    // animate, so the walk does not wait for wall-clock timers).
    void setDetail(int level) {
        for (int i = 0; i < game->boden->tilesX * game->boden->tilesY; ++i) game->boden->tiles[i]->level = level;
    }

    // AI steps, each after 1100 ms of game time in frames of 100 ms (the
    // game's pace at 50 frames per second), until done says so. False when
    // that takes more than maxSteps.
    bool run(TZwerg* dwarf, const std::function<bool()>& done, int maxSteps) {
        for (int step = 0; step < maxSteps; ++step) {
            ki->think();
            if (done()) return true;
            for (int f = 0; f < 11; ++f) dwarf->periodicDo(100);
        }
        return false;
    }

    static TEngine* engine;
    TProperties properties;
    TGame* game = nullptr;
    TKI* ki = nullptr;
    TKeyField* castle = nullptr;
    TZwergenhaus* house = nullptr;
};

TEngine* DwarfTest::engine = nullptr;

// ------------------------------------------------------------- houses ----

TEST_F(DwarfTest, HousesStandOnTheirSitesAndMakeTheirDwarfInTheFirstStep) {
    const std::vector<TZwergenhaus*> all = houses();
    ASSERT_EQ(5u, all.size());
    EXPECT_EQ(0, ki->dwarfCount);
    for (TZwergenhaus* h : all) {
        EXPECT_EQ(0, h->getKind());
        EXPECT_EQ(0, h->collisionLayer);
        EXPECT_FLOAT_EQ(100.0f, h->getMass());
        EXPECT_FLOAT_EQ(100.0f, h->getLife());
        EXPECT_EQ(1, h->minimapFlag);
        EXPECT_TRUE(same(TVector(1.0f, 1.0f, 1.0f), h->getMarkerColor()));
        EXPECT_EQ(1, h->getSphereCount());
        EXPECT_FLOAT_EQ(2.0f, h->getSpheres()[0]->getRadius());
        EXPECT_GE(h->gold, 20.0f);
        EXPECT_LE(h->gold, 40.0f);
        EXPECT_NE(nullptr, h->cell);
        EXPECT_NE(nullptr, h->registry) << "filed in its ground tile";
        // Its own key field: the nearest one, whose end point is its road's
        // last way point.
        TVector at;
        h->getPosition(at);
        ASSERT_NE(nullptr, h->keyField);
        EXPECT_EQ(ki->getNextKeyField(at), h->keyField);
        EXPECT_NE(castle, h->keyField);
        ASSERT_NE(nullptr, h->homeWayPoint());
        EXPECT_LT(distanceXY(at, h->homeWayPoint()->position), 60.0f);
    }

    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    EXPECT_EQ(house, dwarf->home);
    EXPECT_EQ(house->homeWayPoint(), dwarf->currentWayPoint);
    EXPECT_EQ(TZwerg::DWARF_STAND, dwarf->flags);
    EXPECT_FLOAT_EQ(30.0f, dwarf->getLife());
    EXPECT_EQ(1, dwarf->getKind());
    EXPECT_EQ(0, dwarf->collisionLayer);
    EXPECT_FLOAT_EQ(100.0f, dwarf->getMass());
    EXPECT_EQ(1, dwarf->minimapFlag);
    EXPECT_FLOAT_EQ(1.0f, dwarf->getSpheres()[0]->getRadius());
    EXPECT_FALSE(dwarf->isSpecial());
    // Listed everywhere it belongs, with its walk track running.
    EXPECT_EQ(dwarf, ki->dwarves[dwarf->dwarfIndex]);
    EXPECT_EQ(static_cast<TMovingObject*>(dwarf), ki->thinkers[dwarf->index]);
    EXPECT_NE(nullptr, dwarf->registry);
    EXPECT_EQ(TZwergMod::TRACK_WALK, dwarf->getCurrentTrack());
    // Upright at model scale: the model's up axis is the world's -z.
    EXPECT_FLOAT_EQ(-0.01f, dwarf->rotation.m[10]);
    TVector at, houseAt;
    dwarf->getPosition(at);
    house->getPosition(houseAt);
    EXPECT_TRUE(same(houseAt, at));

    // Only the first step makes a dwarf.
    EXPECT_FALSE(house->periodicDo(100));
    EXPECT_EQ(1, ki->dwarfCount);
}

TEST_F(DwarfTest, HouseIsDestroyedBelowZeroLifeAndRebuiltByItsCarryingDwarf) {
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    TDrache* dragon = game->dragon;
    const int particlesBefore = game->particles->count;

    house->takeDamage(100.0f, TVector());  // exactly 0.0: still standing
    EXPECT_FALSE(house->destroyed);
    EXPECT_FLOAT_EQ(0.0f, dragon->experience);
    const float stored = house->gold;
    TVector houseAt;
    house->getPosition(houseAt);
    house->takeDamage(1.0f, TVector());
    EXPECT_TRUE(house->destroyed);
    const std::vector<TGoldInstance*> piles = pilesAt(houseAt);
    ASSERT_EQ(1u, piles.size()) << "the stored gold lies where the house stood";
    EXPECT_FLOAT_EQ(stored, piles.front()->amount);
    EXPECT_EQ(0, house->getSphereCount());
    EXPECT_FLOAT_EQ(20.0f, dragon->experience);
    EXPECT_FLOAT_EQ(0.0f, house->gold) << "the stored gold left the house";
    EXPECT_EQ(particlesBefore + 48, game->particles->count) << "a fire burst of size 3";
    house->takeDamage(1.0f, TVector());  // no gold left: no second pile
    EXPECT_EQ(1u, pilesAt(houseAt).size());
    EXPECT_FLOAT_EQ(40.0f, dragon->experience) << "every hit below zero counts";

    // Its dwarf comes home carrying gold: the house stands again.
    dwarf->flags = TZwerg::DWARF_STAND | TZwerg::DWARF_CARRY;
    ki->think();
    EXPECT_FALSE(house->destroyed);
    EXPECT_FLOAT_EQ(100.0f, house->getLife());
    EXPECT_FLOAT_EQ(15.0f, house->gold);
    EXPECT_EQ(1, house->getSphereCount());
    EXPECT_EQ(TZwerg::DWARF_GO, dwarf->flags & (TZwerg::DWARF_GO | TZwerg::DWARF_STAND | TZwerg::DWARF_CARRY));
    EXPECT_EQ(castle, dwarf->route);
}

// ------------------------------------------------------------- walking ----

TEST_F(DwarfTest, DwarfWalksTheRouteToTheCastleStealsAndCarriesTheGoldHome) {
    setDetail(1);
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    TWayPoint* home = dwarf->currentWayPoint;

    // Sent off at once toward the next hop of the castle route.
    ki->think();
    EXPECT_EQ(TZwerg::DWARF_GO, dwarf->flags);
    EXPECT_EQ(castle, dwarf->route);
    ASSERT_NE(nullptr, dwarf->targetWayPoint);
    EXPECT_EQ(home->getNextWayPoint(castle), dwarf->targetWayPoint);

    // Every way point it reaches is the next hop of the one before.
    std::vector<TWayPoint*> reached{home};
    auto note = [&]() {
        if (dwarf->currentWayPoint != reached.back()) reached.push_back(dwarf->currentWayPoint);
    };
    ASSERT_TRUE(run(dwarf, [&]() { note(); return (dwarf->flags & TZwerg::DWARF_STEAL) != 0; }, 3000));
    for (size_t i = 1; i < reached.size(); ++i) EXPECT_EQ(reached[i - 1]->getNextWayPoint(castle), reached[i]);
    EXPECT_TRUE(castle->isEndPoint(dwarf->currentWayPoint));
    EXPECT_LT(distanceXY(dwarf->getPosition(), dwarf->currentWayPoint->position), 10.0f);
    // On the ground all the way.
    EXPECT_NEAR(game->ground->getHeight(dwarf->getPosition()), dwarf->getPosition().z, 1e-3f);
    // The theft: 15 gold leave the castle, the loot is carried and the dwarf
    // leaves at the next step.
    EXPECT_FLOAT_EQ(600.0f - 15.0f, game->castleKind->gold);
    EXPECT_FALSE(ki->lost);
    EXPECT_EQ(TZwerg::DWARF_STAND | TZwerg::DWARF_STEAL | TZwerg::DWARF_CARRY, dwarf->flags);
    ki->think();
    EXPECT_EQ(house->keyField, dwarf->route);
    EXPECT_TRUE(dwarf->flags & TZwerg::DWARF_GO);

    // Home again: the gold goes into the house and the dwarf sets out anew.
    const float goldBefore = house->gold;
    ASSERT_TRUE(run(dwarf, [&]() { return !(dwarf->flags & TZwerg::DWARF_CARRY); }, 3000));
    EXPECT_EQ(home, dwarf->currentWayPoint);
    EXPECT_FLOAT_EQ(goldBefore + 15.0f, house->gold);
    EXPECT_EQ(castle, dwarf->route);
    EXPECT_TRUE(dwarf->flags & TZwerg::DWARF_GO);
}

TEST_F(DwarfTest, ArrivalTurningAndPace) {
    setDetail(1);
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    dwarf->flags = TZwerg::DWARF_GO;
    dwarf->route = castle;
    TWayPoint* next = dwarf->currentWayPoint->getNextWayPoint(castle);
    ASSERT_NE(nullptr, next);
    const TVector start = dwarf->getPosition();

    // Facing exactly toward the target it still turns, by -0.05.
    const float h0 = heading(dwarf);
    dwarf->setTarget(start + TVector(0.0f, -50.0f, 0.0f));
    dwarf->walk();
    EXPECT_NEAR(-0.05f, heading(dwarf) - h0, 1e-5f);
    // Aiming turns four times as fast, toward the target's side.
    dwarf->flags |= TZwerg::DWARF_SHOOT;
    const float h1 = heading(dwarf);
    dwarf->setTarget(start + TVector(std::cos(h1 + 1.0f), std::sin(h1 + 1.0f), 0.0f) * 50.0f);
    dwarf->walk();
    EXPECT_NEAR(0.2f, heading(dwarf) - h1, 1e-4f);
    dwarf->flags = TZwerg::DWARF_GO;

    // 10.0 away in x and y is not there yet; 9.9 is.
    dwarf->targetWayPoint = next;
    dwarf->setPosition(next->position + TVector(6.0f, 8.0f, 300.0f));
    TWayPoint* before = dwarf->currentWayPoint;
    dwarf->walk();
    EXPECT_EQ(before, dwarf->currentWayPoint);
    dwarf->setPosition(next->position + TVector(6.0f, 7.9f, 300.0f));
    dwarf->walk();
    EXPECT_EQ(next, dwarf->currentWayPoint);
    EXPECT_EQ(before, dwarf->previousWayPoint);
    EXPECT_EQ(next->getNextWayPoint(castle), dwarf->targetWayPoint);

    // 33 ms of walking is two steps of 0.01 along the facing direction (the
    // 3 ms left over count toward the next frame), on the ground.
    dwarf->setPosition(start);
    const float h = heading(dwarf);
    dwarf->periodicDo(33);
    const TVector moved = dwarf->getPosition() - start;
    EXPECT_NEAR(0.02f, std::hypot(moved.x, moved.y), 1e-4f);
    EXPECT_NEAR(h, std::atan2(moved.y, moved.x), 1e-3f);
    EXPECT_NEAR(game->ground->getHeight(dwarf->getPosition()), dwarf->getPosition().z, 1e-3f);
    dwarf->periodicDo(12);
    EXPECT_NEAR(0.03f, distanceXY(dwarf->getPosition(), start), 1e-4f);

    // Standing, aiming and sleeping dwarves do not walk.
    for (uint32_t f : {TZwerg::DWARF_STAND, TZwerg::DWARF_GO | TZwerg::DWARF_TIMER}) {
        dwarf->flags = f;
        const TVector p = dwarf->getPosition();
        dwarf->periodicDo(1000);
        EXPECT_TRUE(same(p, dwarf->getPosition()));
    }
}

TEST_F(DwarfTest, SentOffWithoutAKeyFieldTheDwarfTakesTheFirstRoutingItemAndSaysWhy) {
    const std::string logPath = ::testing::TempDir() + "DwarfTest_" + std::to_string(getpid()) + ".log";
    openLog(logPath.c_str());
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    TWayPoint* start = dwarf->currentWayPoint;
    ASSERT_GT(start->routingItemCount, 0);
    dwarf->goToWaypoint(nullptr);
    EXPECT_EQ(start->routingItems[0]->neighbour, dwarf->targetWayPoint);
    // The line names the cause and is in the file at once (read unflushed).
    std::ifstream in(logPath);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string name(start->name, strnlen(start->name, sizeof start->name));
    EXPECT_NE(std::string::npos, log.find("Zwerg: no key field to walk to (its home has none); the first routing "
                                          "item of way point " + name + " is taken\n"))
        << log;
    EXPECT_EQ(std::string::npos, log.find("Kein routing item"));
}

TEST_F(DwarfTest, TheftThatEmptiesTheCastleLosesTheGame) {
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    TZwerg* second = game->dwarfKind->createDwarf(castle->endPoints[1]->position, 0.0f);
    for (TZwerg* d : {dwarf, second}) {
        d->currentWayPoint = castle->endPoints[d == dwarf ? 0 : 1];
        d->setPosition(d->currentWayPoint->position);
    }
    game->castleKind->setGold(15.0f);
    ki->think();
    EXPECT_FLOAT_EQ(0.0f, game->castleKind->gold) << "both stole; the gold stays at 0";
    EXPECT_TRUE(dwarf->flags & TZwerg::DWARF_CARRY);
    EXPECT_TRUE(second->flags & TZwerg::DWARF_CARRY);
    EXPECT_TRUE(ki->lost);
    EXPECT_EQ(1, game->paused);
    EXPECT_STREQ("Sie haben das Spiel verloren!", game->lastMessage);
    TGame::stopCurrentMusic(game->sound);
    delete second;
}

TEST_F(DwarfTest, StandingAtTheCastleStealsFifteenAndEverySixteenthTickCarries) {
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(15, dwarf->tickStand());
        EXPECT_FALSE(dwarf->flags & TZwerg::DWARF_CARRY);
    }
    EXPECT_TRUE(dwarf->flags & TZwerg::DWARF_STEAL);
    EXPECT_EQ(15, dwarf->tickStand());
    EXPECT_TRUE(dwarf->flags & TZwerg::DWARF_CARRY);
    EXPECT_EQ(0, dwarf->standCounter);
}

// ------------------------------------------------------ death and respawn ----

TEST_F(DwarfTest, HitsHurtUntilLifeFallsBelowZero) {
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    const int particlesBefore = game->particles->count;
    dwarf->takeDamage(30.0f, TVector());
    EXPECT_FLOAT_EQ(0.0f, dwarf->getLife());
    EXPECT_EQ(TZwerg::DWARF_STAND | TZwerg::DWARF_HURT, dwarf->flags);
    EXPECT_EQ(particlesBefore + 32, game->particles->count) << "blood";
    dwarf->takeDamage(0.5f, TVector());
    EXPECT_FLOAT_EQ(30.0f, dwarf->getLife());
    EXPECT_TRUE(dwarf->flags & TZwerg::DWARF_DEAD);

    TZwerg* other = game->dwarfKind->createDwarf(TVector(500.0f, 500.0f, 400.0f), 0.0f);
    other->flags |= TZwerg::DWARF_CARRY;
    other->takeDamage(31.0f, TVector());
    EXPECT_FLOAT_EQ(30.0f, other->getLife());
    EXPECT_EQ(TZwerg::DWARF_STAND | TZwerg::DWARF_DEAD, other->flags) << "the loot is dropped";
    const std::vector<TGoldInstance*> piles = pilesAt(other->getPosition());
    ASSERT_EQ(1u, piles.size());
    EXPECT_FLOAT_EQ(15.0f, piles.front()->amount);
    EXPECT_TRUE(pilesAt(dwarf->getPosition()).empty()) << "a dwarf without loot drops none";
    delete other;
}

TEST_F(DwarfTest, ThiefKilledAtTheCastleWakesUpAtHomeAndStealsNoMore) {
    setDetail(1);
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    TWayPoint* home = dwarf->currentWayPoint;
    TVector houseAt;
    house->getPosition(houseAt);

    // Standing at a castle end point when it dies.
    TWayPoint* atCastle = castle->endPoints[0];
    dwarf->currentWayPoint = atCastle;
    dwarf->setPosition(atCastle->position);
    dwarf->flags = TZwerg::DWARF_STAND;
    dwarf->takeDamage(31.0f, TVector());

    // The controller's respawn alone: at home, standing, asleep, on a timer.
    TZwerg* copy = game->dwarfKind->createDwarf(atCastle->position, 0.0f);
    copy->home = house;
    copy->currentWayPoint = atCastle;
    copy->flags = TZwerg::DWARF_DEAD;
    ki->respawnDwarf(copy, 1000);
    EXPECT_EQ(0x421u, copy->flags);
    EXPECT_EQ(TZwerg::DWARF_STAND | TZwerg::DWARF_SLEEP | TZwerg::DWARF_TIMER, copy->flags);
    EXPECT_EQ(1010, copy->timer);
    EXPECT_EQ(home, copy->currentWayPoint);
    copy->home = nullptr;  // not the house's own dwarf
    delete copy;

    const float experience = game->dragon->experience;
    const time_t now = TKI::currentTime();
    ki->think();
    EXPECT_FLOAT_EQ(experience + 10.0f, game->dragon->experience);
    EXPECT_TRUE(same(houseAt, dwarf->getPosition()));
    EXPECT_EQ(home, dwarf->currentWayPoint);
    EXPECT_GE(dwarf->timer, now + 10);
    EXPECT_LE(dwarf->timer, TKI::currentTime() + 10);
    // Sent to the castle in the same step, without stealing first; it sleeps
    // on the spot until the timer falls due.
    EXPECT_EQ(TZwerg::DWARF_GO | TZwerg::DWARF_SLEEP | TZwerg::DWARF_TIMER, dwarf->flags);
    EXPECT_EQ(home->getNextWayPoint(castle), dwarf->targetWayPoint);
    EXPECT_EQ(0, dwarf->standCounter);
    dwarf->periodicDo(1000);
    EXPECT_TRUE(same(houseAt, dwarf->getPosition()));

    // Ten seconds later it wakes up and walks.
    dwarf->timer = TKI::currentTime();
    dwarf->walk();
    EXPECT_EQ(TZwerg::DWARF_GO, dwarf->flags);
    dwarf->periodicDo(1000);
    EXPECT_GT(distanceXY(houseAt, dwarf->getPosition()), 0.5f);
}

TEST_F(DwarfTest, DwarfOfADestroyedHouseIsGoneAndTheHouseGoesWithIt) {
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    house->takeDamage(101.0f, TVector());
    ASSERT_TRUE(house->destroyed);
    const float experience = game->dragon->experience;
    dwarf->takeDamage(31.0f, TVector());
    ki->think();
    EXPECT_EQ(TZwerg::DWARF_GONE, dwarf->flags);
    EXPECT_FLOAT_EQ(experience + 30.0f, game->dragon->experience);

    // The frame step removes the dwarf (its house learns of it), then the
    // house; the other houses make their dwarves meanwhile.
    game->doFrame();
    EXPECT_TRUE(house->removeMe);
    EXPECT_EQ(4, ki->dwarfCount);
    for (int i = 0; i < ki->dwarfCount; ++i) EXPECT_NE(dwarf, ki->dwarves[i]);
    for (int i = 0; i < ki->thinkerCount; ++i) EXPECT_NE(static_cast<TMovingObject*>(dwarf), ki->thinkers[i]);
    game->doFrame();
    const std::vector<TZwergenhaus*> left = houses();
    EXPECT_EQ(4u, left.size());
    for (TZwergenhaus* h : left) EXPECT_NE(house, h);
}

TEST_F(DwarfTest, DwarvesLeavingTheArraysKeepTheOthersIndices) {
    std::vector<TZwerg*> made;
    for (TZwergenhaus* h : houses()) {
        h->periodicDo(100);
        made.push_back(ki->dwarves[ki->dwarfCount - 1]);
    }
    ASSERT_EQ(5u, made.size());
    delete made[1];
    made.erase(made.begin() + 1);
    ASSERT_EQ(4, ki->dwarfCount);
    for (TZwerg* d : made) {
        EXPECT_EQ(d, ki->dwarves[d->dwarfIndex]);
        EXPECT_EQ(static_cast<TMovingObject*>(d), ki->thinkers[d->index]);
    }
    // Dwarves that exist when the sounds load start at way point "4".
    ki->loadSounds(nullptr);
    for (TZwerg* d : made) EXPECT_EQ(ki->routingTable->getWayPoint("4"), d->currentWayPoint);
}

// -------------------------------------------------------------- arrows ----

TEST_F(DwarfTest, AimedShotLeavesAfterThreeSecondsAsAnArrowAtTheDragon) {
    setDetail(0);
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    dwarf->flags = TZwerg::DWARF_GO;
    const TVector walkTarget(1000.0f, 1000.0f, 0.0f);
    dwarf->setTarget(walkTarget);

    // A seed whose first number decides to shoot (more than 95 of 100).
    unsigned seed = 1;
    for (;; ++seed) {
        srand(seed);
        if (rand() * 100 / 32767 > 95) break;
    }
    srand(seed);
    const time_t now = TKI::currentTime();
    dwarf->walk();
    EXPECT_EQ(TZwerg::DWARF_GO | TZwerg::DWARF_SHOOT | TZwerg::DWARF_TIMER, dwarf->flags);
    EXPECT_GE(dwarf->timer, now + 3);
    EXPECT_EQ(TZwergMod::TRACK_SHOOT, dwarf->getCurrentTrack());
    EXPECT_TRUE(same(walkTarget, dwarf->savedTarget));
    EXPECT_TRUE(same(game->dragon->getPosition(), dwarf->getTarget())) << "aims at the dragon in world units";

    // The arrow leaves when the timer falls due; the walk goes on.
    const int arrows = countArrows();
    dwarf->timer = TKI::currentTime();
    dwarf->walk();
    EXPECT_EQ(arrows + 1, countArrows());
    EXPECT_EQ(TZwerg::DWARF_GO, dwarf->flags);
    EXPECT_EQ(TZwergMod::TRACK_WALK, dwarf->getCurrentTrack());
    EXPECT_TRUE(same(walkTarget, dwarf->getTarget()));
}

TEST_F(DwarfTest, ArrowFliesAtTheDragonAndHurtsItThroughItsArmour) {
    TDrache* dragon = game->dragon;
    const TVector dragonAt(800.0f, 900.0f, 300.0f);
    dragon->setPosition(dragonAt);
    dragon->sphereCentre = dragonAt;
    dragon->updateCell();
    dragon->armour = 25.0f;
    const TVector from = dragonAt + TVector(0.0f, 12.0f, 16.0f);  // 20 away

    TPfeil* arrow = new TPfeil(from, dragon, game);
    EXPECT_EQ(3, arrow->getKind());
    EXPECT_EQ(0, arrow->collisionLayer);
    EXPECT_TRUE(arrow->isSpecial());
    EXPECT_EQ(0, arrow->minimapFlag);
    const TVector d = (dragonAt - from).normalized();
    EXPECT_NEAR(0.0f, (arrow->velocity - d * 0.006f).length(), 1e-6f);
    // The model's flight axis (+z) lies along the flight.
    EXPECT_NEAR(0.0f, (TVector(0.0f, 0.0f, 100.0f).transform(arrow->matrix) - d).length(), 1e-5f);
    EXPECT_NE(nullptr, arrow->TSceneNode::registry);

    // The collision pass tells the arrow of the dragon: 10 damage, less 25 %.
    for (int step = 0; step < 200 && !arrow->hit; ++step) {
        ASSERT_FALSE(arrow->periodicDo(50)) << "the arrow must not leave before it hits";
        game->grid->processCollisions();
    }
    ASSERT_TRUE(arrow->hit);
    EXPECT_FLOAT_EQ(200.0f - 7.5f, dragon->getLife());
    arrow->onCollision(dragon, nullptr, nullptr);  // a second contact
    EXPECT_FLOAT_EQ(200.0f - 7.5f, dragon->getLife());
    EXPECT_TRUE(arrow->periodicDo(10));
    delete arrow;
}

TEST_F(DwarfTest, ArrowWithoutTargetFliesUpAndLivesTwentySeconds) {
    const TVector from(700.0f, 700.0f, 400.0f);
    TPfeil* arrow = new TPfeil(from, nullptr, game);
    EXPECT_NEAR(0.0f, (arrow->velocity - TVector(0.0f, 0.0f, -0.006f)).length(), 1e-7f);
    EXPECT_FALSE(arrow->periodicDo(10000));
    EXPECT_FALSE(arrow->periodicDo(10000)) << "20000 ms exactly: still flying";
    EXPECT_NEAR(from.z - 120.0f, arrow->TPhysicalObject::position.z, 1e-2f);
    EXPECT_TRUE(same(arrow->TPhysicalObject::position, arrow->TSceneNode::position));
    EXPECT_TRUE(arrow->periodicDo(1));

    // Placed on the ground it sits 0.3 above it; x and y stay.
    arrow->placeOnGround(game->ground);
    TVector p;
    arrow->getPosition(p);
    EXPECT_FLOAT_EQ(from.x, p.x);
    EXPECT_NEAR(game->ground->getHeight(p) - 0.3f, p.z, 1e-4f);
    delete arrow;

    // Shot beyond the ground it has no tile, and flies all the same.
    TPfeil* far = new TPfeil(TVector(3000.0f, -50.0f, 0.0f), nullptr, game);
    EXPECT_EQ(nullptr, far->TSceneNode::registry);
    EXPECT_FALSE(far->periodicDo(100));
    delete far;
}

}  // namespace
