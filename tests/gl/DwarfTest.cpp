// Dwarves, dwarf houses and arrows on the generated level: a house makes its
// dwarf, the dwarf walks the routing table to the castle, steals and carries
// the gold home, dies and wakes up at home or is gone with its house, shoots
// arrows that hurt the dragon; houses are destroyed and rebuilt.

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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
#include "platform/gl.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"
#include "scene/TBoundingSphere.h"
#include "scene/TGrid.h"
#include "scene/TMesh.h"
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

// A road network of the test's own: way points and key fields with the
// routing items the test gives them. Owns them all.
class Road {
public:
    TWayPoint* point(const char* name, const TVector& at) {
        points.push_back(std::make_unique<TWayPoint>(field(name).data(), at.x, at.y));
        points.back()->allocRoutingItems(4);
        return points.back().get();
    }
    TKeyField* goal(const char* name, TWayPoint* end) {
        goals.push_back(std::make_unique<TKeyField>(field(name).data(), 0, 0));
        goals.back()->allocEndPoints(1);
        goals.back()->addEndPoint(end);
        return goals.back().get();
    }
    // From `from`, toward `to`, walk to `next`.
    static void route(TWayPoint* from, TKeyField* to, TWayPoint* next) {
        from->addRoutingItem(new TRoutingItem{next, to});
    }

private:
    static std::array<char, 8> field(const char* text) {
        std::array<char, 8> f{};
        std::memcpy(f.data(), text, std::min<size_t>(std::strlen(text), f.size()));
        return f;
    }
    std::vector<std::unique_ptr<TWayPoint>> points;
    std::vector<std::unique_ptr<TKeyField>> goals;
};

// Stands in for the impostor mesh: counts its draws and keeps the model-view
// matrix it was drawn with.
class ImpostorProbe : public TMesh {
public:
    explicit ImpostorProbe(TEngine* engine) : TMesh(engine) {}
    void render() override {
        ++renders;
        glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    }
    int renders = 0;
    float matrix[16] = {};
};

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class DwarfTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = ::testing::TempDir() + "DwarfTest_" + std::to_string(getpid());
        std::system(("mkdir -p '" + folder + "'").c_str());
        engine = gametest::openEngine();
        ASSERT_NE(nullptr, engine);
    }
    static void TearDownTestSuite() { gametest::closeEngine(); }

    void SetUp() override {
        ASSERT_NE(nullptr, engine);
        // Every test logs into the suite's folder, whatever a test before it
        // opened.
        delete logStream;
        openLog((folder + "/Log.txt").c_str());
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

    // The first dwarf on a road of its own: way points "Hof", "Bruecke" and
    // "Tor" beside it, "Tor" the end of the key field "Ziel"; it walks from
    // "Hof" toward "Bruecke", whose next hop is "Tor", or "Hof" again with
    // hopBack. Null when the house makes no dwarf.
    struct Walk {
        TZwerg* dwarf = nullptr;
        TWayPoint* start = nullptr;
        TWayPoint* bridge = nullptr;
        TWayPoint* gate = nullptr;
    };
    Walk walkOnRoad(bool hopBack) {
        setDetail(1);
        Walk w;
        w.dwarf = firstDwarf();
        if (!w.dwarf) return w;
        const TVector at = w.dwarf->getPosition();
        w.start = road.point("Hof", at);
        w.bridge = road.point("Bruecke", at + TVector(30.0f, 0.0f, 0.0f));
        w.gate = road.point("Tor", at + TVector(30.0f, 30.0f, 0.0f));
        TKeyField* goal = road.goal("Ziel", w.gate);
        Road::route(w.start, goal, w.bridge);
        Road::route(w.bridge, goal, hopBack ? w.start : w.gate);
        w.dwarf->currentWayPoint = w.start;
        w.dwarf->targetWayPoint = w.bridge;
        w.dwarf->route = goal;
        w.dwarf->flags = TZwerg::DWARF_GO;
        w.dwarf->setTarget(w.bridge->position);
        return w;
    }
    // Puts the dwarf at a way point, by an offset in x and y.
    static void standBy(TZwerg* dwarf, const TWayPoint* point, float dx, float dy) {
        dwarf->setPosition(point->position + TVector(dx, dy, dwarf->getPosition().z));
    }

    // The log as it stands now (the walk's lines are written unflushed).
    static std::string logText() {
        logFlush();
        std::ifstream in(folder + "/Log.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // What the log gained while `action` ran.
    static std::string logged(const std::function<void()>& action) {
        const size_t before = logText().size();
        action();
        return logText().substr(before);
    }

    static TEngine* engine;
    static std::string folder;
    TProperties properties;
    TGame* game = nullptr;
    TKI* ki = nullptr;
    TKeyField* castle = nullptr;
    TZwergenhaus* house = nullptr;
    Road road;  // outlives the game, whose dwarves may point into it
};

TEngine* DwarfTest::engine = nullptr;
std::string DwarfTest::folder;

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

// Reaching a way point takes the next hop toward the route's key field with
// a log line naming both; reaching an end point of the key field stops the
// walk.
TEST_F(DwarfTest, ArrivalsTakeTheNextHopUntilTheRoutesEnd) {
    const Walk w = walkOnRoad(false);
    ASSERT_NE(nullptr, w.dwarf);
    standBy(w.dwarf, w.bridge, 1.0f, 0.0f);
    EXPECT_EQ("Zwerg: Wegpunkt (Bruecke) erreicht, naechsten genommen: Tor\n", logged([&] { w.dwarf->walk(); }));
    EXPECT_EQ(w.bridge, w.dwarf->currentWayPoint);
    EXPECT_EQ(w.start, w.dwarf->previousWayPoint);
    EXPECT_EQ(w.gate, w.dwarf->targetWayPoint);
    EXPECT_TRUE(same(w.gate->position, w.dwarf->getTarget()));

    standBy(w.dwarf, w.gate, 0.0f, -2.0f);
    EXPECT_EQ("Zwerg: Ziel erreicht, warte auf Anweisungen.\nDWARF_STAND ist gesetzt.\n",
              logged([&] { w.dwarf->walk(); }));
    EXPECT_EQ(w.gate, w.dwarf->currentWayPoint);
    EXPECT_EQ(TZwerg::DWARF_STAND, w.dwarf->flags);
}

// A next hop that leads back where the dwarf came from is taken for a cycle:
// one log line, and the dwarf keeps heading for the way point it reached.
TEST_F(DwarfTest, HopBackToThePreviousWayPointIsACycle) {
    const Walk w = walkOnRoad(true);
    ASSERT_NE(nullptr, w.dwarf);
    standBy(w.dwarf, w.bridge, 1.0f, 0.0f);
    EXPECT_EQ("Zwerg: Verdacht auf Zyklus.\n", logged([&] { w.dwarf->walk(); }));
    EXPECT_EQ(w.bridge, w.dwarf->currentWayPoint);
    EXPECT_EQ(w.start, w.dwarf->targetWayPoint);
    EXPECT_TRUE(same(w.bridge->position, w.dwarf->getTarget()));
    EXPECT_TRUE(w.dwarf->flags & TZwerg::DWARF_GO);
}

// Sent toward a key field that its way point has no routing item for, or
// with no key field at all, the dwarf takes the way point's first routing
// item instead, with a log line that names the cause.
TEST_F(DwarfTest, SentOffWithoutARoutingItemTakesTheFirstOne) {
    setDetail(1);
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    TWayPoint* start = road.point("Hof", TVector(700.0f, 800.0f, 0.0f));
    TWayPoint* bridge = road.point("Bruecke", TVector(730.0f, 800.0f, 0.0f));
    TWayPoint* gate = road.point("Tor", TVector(730.5f, 830.25f, 0.0f));
    TKeyField* elsewhere = road.goal("Anderswo", bridge);
    TKeyField* goal = road.goal("Ziel", gate);
    Road::route(start, elsewhere, bridge);
    Road::route(start, elsewhere, gate);
    dwarf->currentWayPoint = start;

    EXPECT_EQ("Kein routing item für Ziel gefunden!\n", logged([&] { dwarf->goToWaypoint(goal); }));
    EXPECT_EQ(goal, dwarf->route);
    EXPECT_EQ(bridge, dwarf->targetWayPoint);
    EXPECT_TRUE(same(bridge->position, dwarf->getTarget()));

    // With the item there, the dwarf follows it and says where it goes.
    Road::route(start, goal, gate);
    EXPECT_EQ("Gehe zu Wegpunkt Tor at (730.5, 830.25)\n", logged([&] { dwarf->goToWaypoint(goal); }));
    EXPECT_EQ(gate, dwarf->targetWayPoint);

    // No key field (its home has none): the line is in the file at once,
    // read here without flushing.
    const size_t before = logText().size();
    dwarf->goToWaypoint(nullptr);
    EXPECT_EQ(bridge, dwarf->targetWayPoint);
    std::ifstream in(folder + "/Log.txt", std::ios::binary);
    std::stringstream unflushed;
    unflushed << in.rdbuf();
    EXPECT_EQ("Zwerg: no key field to walk to (its home has none); the first routing item of way point Hof is taken\n",
              unflushed.str().substr(before));
}

// A dwarf's sound follows its most pressing state: dead, hurt, asleep,
// fighting (aiming or stealing), walking; a standing dwarf is silent, and so
// is one on a far tile (level of detail above 1). Only the chosen sound has
// a slot here, so a channel in the log means the dwarf chose it.
TEST_F(DwarfTest, SoundFollowsTheMostPressingState) {
    setDetail(1);
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    int loaded = 0;
    while (loaded < TSound::maxSamples && !ki->sound->samples[loaded]) ++loaded;
    ASSERT_LT(loaded, static_cast<int>(TSound::maxSamples));
    ki->sound->soundOn = 1;
    const int saved[TKI::DWARF_SOUND_COUNT] = {ki->dwarfSounds[0], ki->dwarfSounds[1], ki->dwarfSounds[2],
                                              ki->dwarfSounds[3], ki->dwarfSounds[4]};
    // Channels started while only `sound` (or every sound, for -1) has a slot.
    auto played = [&](uint32_t flags, int sound) {
        for (int k = 0; k < TKI::DWARF_SOUND_COUNT; ++k) ki->dwarfSounds[k] = sound < 0 || k == sound ? loaded : -1;
        dwarf->flags = flags;
        return occurrences(logged([&] { dwarf->playSound(); }), "channel (playSound): ");
    };
    using Z = TZwerg;
    const struct {
        uint32_t flags;
        int sound;
    } cases[] = {
        {Z::DWARF_DEAD | Z::DWARF_HURT | Z::DWARF_SLEEP | Z::DWARF_SHOOT | Z::DWARF_GO, TKI::DWARF_DIE},
        {Z::DWARF_HURT | Z::DWARF_SLEEP | Z::DWARF_STEAL | Z::DWARF_GO, TKI::DWARF_HURT},
        {Z::DWARF_SLEEP | Z::DWARF_SHOOT | Z::DWARF_GO, TKI::DWARF_SNORE},
        {Z::DWARF_SHOOT | Z::DWARF_GO, TKI::DWARF_FIGHT},
        {Z::DWARF_STEAL | Z::DWARF_STAND, TKI::DWARF_FIGHT},
        {Z::DWARF_GO | Z::DWARF_CARRY, TKI::DWARF_WALK},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(1, played(c.flags, c.sound)) << std::hex << c.flags;
        for (int other = 0; other < TKI::DWARF_SOUND_COUNT; ++other) {
            if (other == c.sound) continue;
            EXPECT_EQ(0, played(c.flags, other)) << std::hex << c.flags << " " << other;
        }
    }
    EXPECT_EQ(0, played(Z::DWARF_STAND | Z::DWARF_CARRY, -1));
    setDetail(2);
    EXPECT_EQ(0, played(Z::DWARF_GO, -1));
    for (int k = 0; k < TKI::DWARF_SOUND_COUNT; ++k) ki->dwarfSounds[k] = saved[k];
}

// At level of detail 0 the animated model is drawn; further away the
// impostor, moved to the dwarf's position, turned by its orientation and
// drawn at half size.
TEST_F(DwarfTest, FarDwarvesDrawTheirImpostor) {
    TZwerg* dwarf = firstDwarf();
    ASSERT_NE(nullptr, dwarf);
    dwarf->rotateZ(0.7f);
    ImpostorProbe probe(engine);
    TMesh* own = dwarf->impostor;
    dwarf->impostor = &probe;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setDetail(0);
    dwarf->draw();
    EXPECT_EQ(0, probe.renders);
    for (int level : {1, 2}) {
        setDetail(level);
        dwarf->visible = 0;
        dwarf->draw();
        EXPECT_EQ(level, probe.renders);
        EXPECT_EQ(1, dwarf->visible);
        const TVector p = dwarf->getPosition();
        const float* r = dwarf->rotation.m;
        for (int i = 0; i < 12; ++i) EXPECT_NEAR(0.5f * r[i], probe.matrix[i], 1e-6f) << i;
        EXPECT_NEAR(p.x + r[12], probe.matrix[12], 1e-3f);
        EXPECT_NEAR(p.y + r[13], probe.matrix[13], 1e-3f);
        EXPECT_NEAR(p.z + r[14], probe.matrix[14], 1e-3f);
    }
    dwarf->impostor = own;
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
