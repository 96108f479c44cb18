// The castle, its gold, the balloons and the gold piles in the generated
// level: the castle's gold account, piles that fall, land and are taken by
// the castle, the dragon or a balloon, the AI controller handing piles to
// balloons, a balloon's round trip, the dragon dropping gold, the castle key
// and a picture of the castle with a balloon.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "GameTestWindow.h"
#include "engine/Log.h"
#include "engine/TProperties.h"
#include "game/TBallon.h"
#include "game/TBallonMod.h"
#include "game/TBurg.h"
#include "game/TBurgMod.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TGoldInstance.h"
#include "game/TKI.h"
#include "platform/gl.h"
#include "scene/TBone.h"
#include "scene/TBoundingSphere.h"
#include "scene/TGrid.h"
#include "scene/TGridCell.h"
#include "scene/THeightSource.h"
#include "screens/TTopbar.h"
#include "support/Picture.h"

namespace {

// Vectors compare component by component, within float rounding.
::testing::AssertionResult sameVector(const TVector& a, const TVector& b) {
    const auto close = [](float x, float y) { return std::fabs(x - y) <= 1e-4f * (1.0f + std::fabs(x)); };
    if (close(a.x, b.x) && close(a.y, b.y) && close(a.z, b.z)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") is not (" << b.x << ", "
                                         << b.y << ", " << b.z << ")";
}
#define EXPECT_VEC_EQ(a, b) EXPECT_TRUE(sameVector((a), (b)))

class CastleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = ::testing::TempDir() + "CastleTest_" + std::to_string(getpid());
        std::system(("mkdir -p '" + folder + "'").c_str());
        openLog((folder + "/Log.txt").c_str());
        engine = gametest::openEngine();
        ASSERT_NE(nullptr, engine);
    }
    static void TearDownTestSuite() {
        TTopbar::destroyInstance();
        gametest::closeEngine();
    }

    void SetUp() override {
        ASSERT_NE(nullptr, engine);
        properties.set("MAX_BURG_GOLD", "1000");
        logMark = logText().size();
        game = new TGame(engine, &properties);
        gametest::activeScreen() = game;
        engine->camera = &game->followCamera;
        ASSERT_NE(nullptr, game->castleKind);
        ASSERT_NE(nullptr, game->castleKind->castle);
        kind = game->castleKind;
        castle = kind->castle;
        ki = game->ki;
        dragonStart = game->dragon->getPosition();
        parkDragon();
    }
    void TearDown() override {
        gametest::activeScreen() = nullptr;
        delete game;
    }

    // One frame step at the given frame rate, with the dragon kept out of
    // the way.
    void frame(float rate = 50.0f) {
        parkDragon();
        engine->fpsCounter.fps = rate;
        game->doFrame();
    }
    // High above a corner of the island, far from everything.
    void parkDragon() { placeDragon(TVector(300.0f, 300.0f, 50.0f)); }
    void placeDragon(const TVector& p) {
        game->dragon->setPosition(p);
        game->dragon->sphereCentre = p;
        game->dragon->updateCell();
    }
    void character(WPARAM c) { game->handleMessage(engine->window, WM_CHAR, c, 0); }
    TVector castleAt() const { return castle->getPosition(); }
    // A point on the ground at an offset from the castle.
    TVector groundNearCastle(float dx, float dy) const {
        TVector p = castleAt() + TVector(dx, dy, 0.0f);
        p.z = game->ground->getHeight(p);
        return p;
    }
    bool listed(TMovingObject* o) const {
        for (TListNode<TMovingObject>* n = game->objects.head; n; n = n->next)
            if (n->value == o) return true;
        return false;
    }
    int piles() const {
        int count = 0;
        for (TListNode<TMovingObject>* n = game->objects.head; n; n = n->next) count += n->value->getKind() == 5;
        return count;
    }
    // What the log got since the test began.
    std::string newLog() const { return logText().substr(logMark); }
    static std::string logText() {
        logFlush();
        std::ifstream in(folder + "/Log.txt", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    static TEngine* engine;
    static std::string folder;
    TProperties properties;
    TGame* game = nullptr;
    TBurgMod* kind = nullptr;
    TBurg* castle = nullptr;
    TKI* ki = nullptr;
    TVector dragonStart;  // where the set-up put the dragon
    size_t logMark = 0;
};

TEngine* CastleTest::engine = nullptr;
std::string CastleTest::folder;

// ------------------------------------------------------------ the castle ----

TEST_F(CastleTest, LevelPlacesTheCastleAndStartsTheDragonAboveIt) {
    const TVector at = castleAt();
    EXPECT_FLOAT_EQ(1024.0f, at.x);
    EXPECT_FLOAT_EQ(1024.0f, at.y);
    EXPECT_NEAR(game->ground->getHeight(at), at.z, 1e-3f);
    EXPECT_NE(std::string::npos, newLog().find("Drachenburg bei 1024, 1024\n"));
    EXPECT_NE(std::string::npos, newLog().find("Anzahl BAllone: 0\n"));
    EXPECT_EQ(game->balloonKind, kind->balloonKind);
    EXPECT_TRUE(kind->isLoaded());
    EXPECT_TRUE(game->balloonKind->isLoaded());

    EXPECT_EQ(2, castle->getKind());
    EXPECT_EQ(0, castle->collisionLayer);
    EXPECT_FLOAT_EQ(100.0f, castle->getMass());
    EXPECT_EQ(1, castle->minimapFlag);
    EXPECT_VEC_EQ(TVector(1.0f, 1.0f, 0.0f), castle->getMarkerColor());
    ASSERT_EQ(2, castle->getSphereCount());
    EXPECT_FLOAT_EQ(10.0f, castle->getSpheres()[1]->getRadius());
    EXPECT_VEC_EQ(at, castle->getSpheres()[0]->getCentre());
    EXPECT_VEC_EQ(at + TVector(0.0f, 0.0f, -15.0f), castle->getSpheres()[1]->getCentre());
    EXPECT_TRUE(listed(castle));
    EXPECT_NE(nullptr, castle->registry);  // filed in its ground tile
    EXPECT_FALSE(castle->periodicDo(100));
    EXPECT_NE(nullptr, castle->cell);

    // The set-up put the dragon 30 units above the castle.
    EXPECT_NEAR(at.x, dragonStart.x, 1e-3f);
    EXPECT_NEAR(at.y, dragonStart.y, 1e-3f);
    EXPECT_NEAR(at.z - 30.0f, dragonStart.z, 1e-3f);
}

TEST_F(CastleTest, GoldStartsAtSixTenthsAndStaysWithinTheMaximum) {
    EXPECT_FLOAT_EQ(1000.0f, kind->getMaxGold());
    EXPECT_FLOAT_EQ(600.0f, kind->getGold());
    EXPECT_FLOAT_EQ(0.6f, kind->goldFraction());

    TTopbar* topbar = TTopbar::getInstance(engine, nullptr);
    ASSERT_NE(nullptr, topbar);
    kind->setGold(-5.0f);
    EXPECT_FLOAT_EQ(0.0f, kind->getGold());
    EXPECT_FLOAT_EQ(0.0f, topbar->fraction[TTopbar::kGold]);
    kind->setGold(1001.0f);
    EXPECT_FLOAT_EQ(1000.0f, kind->getGold());
    EXPECT_FLOAT_EQ(1.0f, topbar->fraction[TTopbar::kGold]);
    kind->setGold(1000.0f);
    EXPECT_FLOAT_EQ(1000.0f, kind->getGold());
    kind->setGold(std::numeric_limits<float>::quiet_NaN());
    EXPECT_FLOAT_EQ(1000.0f, kind->getGold());
    kind->setGold(250.5f);
    EXPECT_FLOAT_EQ(250.5f, kind->getGold());
    EXPECT_FLOAT_EQ(0.2505f, topbar->fraction[TTopbar::kGold]);

    // C fills the castle as it heals the dragon.
    game->dragon->addPointsAndHeal(10);
    EXPECT_FLOAT_EQ(1000.0f, kind->getGold());
    EXPECT_FLOAT_EQ(1.0f, topbar->fraction[TTopbar::kGold]);
    TTopbar::destroyInstance();
}

TEST_F(CastleTest, CastleWithoutMaximumHoldsNothingAndShowsAnEmptyGauge) {
    TProperties none;
    TBurgMod empty(game->vertexBuffer, game->indexBuffer, game, &none);
    EXPECT_FLOAT_EQ(0.0f, empty.getMaxGold());
    EXPECT_FLOAT_EQ(0.0f, empty.getGold());
    EXPECT_FLOAT_EQ(0.0f, empty.goldFraction());
    empty.setGold(50.0f);
    EXPECT_FLOAT_EQ(0.0f, empty.getGold());
    EXPECT_EQ(nullptr, empty.buyBallon());  // it placed no castle
}

// ------------------------------------------------------------ gold piles ----

TEST_F(CastleTest, PileRegistersAndWaitsWithoutBalloons) {
    TGoldInstance* pile = new TGoldInstance(15.0f, groundNearCastle(100.0f, 0.0f), game);
    EXPECT_FLOAT_EQ(150.0f, pile->getMass());
    EXPECT_EQ(5, pile->getKind());
    EXPECT_EQ(1, pile->collisionLayer);
    EXPECT_EQ(1, pile->onGround);
    EXPECT_TRUE(pile->isSpecial());
    EXPECT_VEC_EQ(TVector(1.0f, 0.0f, 1.0f), pile->getMarkerColor());
    EXPECT_NE(nullptr, pile->cell);
    EXPECT_NE(nullptr, pile->registry);
    EXPECT_TRUE(listed(pile));
    ASSERT_NE(nullptr, pile->registryEntry);
    EXPECT_EQ(pile, ki->goldInstances.head->value->pile);
    ASSERT_EQ(1u, ki->waitingGold.size());
    EXPECT_EQ(pile, ki->waitingGold.front());
    EXPECT_NE(std::string::npos, newLog().find("TKI::registerGoldInstance called.\ngoldI gepusht.\n"));

    // A pile on the ground stays where it is.
    const TVector before = pile->getPosition();
    EXPECT_FALSE(pile->periodicDo(100));
    EXPECT_VEC_EQ(before, pile->getPosition());

    delete pile;
    EXPECT_TRUE(ki->waitingGold.empty());
    EXPECT_TRUE(ki->goldInstances.isEmpty());
    EXPECT_FALSE(listed(pile));
}

TEST_F(CastleTest, PileTouchingTheCastleGoesIntoItsGold) {
    kind->setGold(990.0f);
    TGoldInstance* first = new TGoldInstance(5.0f, castleAt() + TVector(3.0f, 0.0f, 0.0f), game);
    frame();  // files the castle in the grid
    frame();  // the contact, then the pile's step deletes it
    EXPECT_FALSE(listed(first));
    EXPECT_FLOAT_EQ(995.0f, kind->getGold());  // a tenth of the mass 50

    // (The castle stands on a corner of four grid cells; the pile has to
    // share the castle's cell to be tested against it.)
    new TGoldInstance(15.0f, castleAt() + TVector(3.0f, 2.0f, 0.0f), game);
    frame();
    EXPECT_EQ(0, piles());
    EXPECT_FLOAT_EQ(1000.0f, kind->getGold());  // 15 more does not fit
}

TEST_F(CastleTest, ObjectsThatCannotPickUpLeaveThePile) {
    TGoldInstance* pile = new TGoldInstance(15.0f, groundNearCastle(100.0f, 0.0f), game);
    TBoundingSphere* own = pile->sphere;
    pile->onCollision(game->dragon, own, game->dragon->sphere);
    EXPECT_TRUE(pile->collected);  // the dragon can
    TGoldInstance* second = new TGoldInstance(15.0f, groundNearCastle(110.0f, 0.0f), game);
    game->dragon->load = game->dragon->maxLoad - 150.0f;  // exactly the maximum with this pile
    second->onCollision(game->dragon, second->sphere, game->dragon->sphere);
    EXPECT_FALSE(second->collected);
    // A collected pile is offered to nobody else.
    const float gold = kind->getGold();
    pile->onCollision(castle, own, castle->getSpheres()[0]);
    EXPECT_FLOAT_EQ(gold, kind->getGold());
    EXPECT_TRUE(pile->periodicDo(100));
}

TEST_F(CastleTest, DragonTakesAPileItTouches) {
    TDrache* dragon = game->dragon;
    dragon->load = 20.0f;
    const TVector at = groundNearCastle(-150.0f, 40.0f);
    TGoldInstance* pile = new TGoldInstance(15.0f, at, game);
    new TGoldInstance(4.0f, at + TVector(1.0f, 0.0f, 0.0f), game);
    placeDragon(at + TVector(0.0f, 0.0f, -1.0f));
    game->grid->processCollisions();
    EXPECT_TRUE(pile->collected);
    EXPECT_FLOAT_EQ(19.0f, dragon->carriedGold);
    EXPECT_FLOAT_EQ(20.0f + 190.0f, dragon->load);
    frame();
    EXPECT_EQ(0, piles());
}

// The first pile hangs the gold sack on the dragon; a second one only adds
// its gold and mass: the sack is not put on again.
TEST_F(CastleTest, FirstPileHangsTheGoldSackAndTheNextOnlyAddsToIt) {
    TDrache* dragon = game->dragon;
    TItemBase* sack = game->goldSack;
    ASSERT_NE(nullptr, sack);
    EXPECT_EQ(nullptr, dragon->getEquipped(6));
    const float load = dragon->load;
    const TVector first = groundNearCastle(-150.0f, 40.0f);
    new TGoldInstance(15.0f, first, game);
    placeDragon(first + TVector(0.0f, 0.0f, -1.0f));
    game->grid->processCollisions();
    EXPECT_EQ(sack, dragon->getEquipped(6));
    ASSERT_NE(nullptr, sack->getBone());
    EXPECT_TRUE(sack->getBone()->name.equals("Bone09"));
    EXPECT_FLOAT_EQ(15.0f, dragon->carriedGold);
    EXPECT_FLOAT_EQ(load + 150.0f, dragon->load);

    sack->setBone(nullptr);  // putting the sack on again would look its bone up again
    const TVector second = groundNearCastle(150.0f, -40.0f);
    new TGoldInstance(4.0f, second, game);
    placeDragon(second + TVector(0.0f, 0.0f, -1.0f));
    game->grid->processCollisions();
    EXPECT_FLOAT_EQ(19.0f, dragon->carriedGold);
    EXPECT_FLOAT_EQ(load + 190.0f, dragon->load);
    EXPECT_EQ(nullptr, sack->getBone());
    int sacks = 0;
    for (TListNode<TItemBase>* n = dragon->equipped.head; n; n = n->next) sacks += n->value->getSlotType() == 6;
    EXPECT_EQ(1, sacks);
}

TEST_F(CastleTest, DroppedGoldFallsFromBelowTheDragonAndLands) {
    TDrache* dragon = game->dragon;
    const TVector above = groundNearCastle(200.0f, -100.0f) + TVector(0.0f, 0.0f, -40.0f);
    placeDragon(above);
    dragon->carriedGold = 12.0f;
    dragon->load = 120.0f;
    character(' ');
    EXPECT_FLOAT_EQ(0.0f, dragon->carriedGold);
    EXPECT_FLOAT_EQ(0.0f, dragon->load);
    ASSERT_EQ(1, piles());
    TGoldInstance* pile = static_cast<TGoldInstance*>(ki->goldInstances.head->value->pile);
    EXPECT_FLOAT_EQ(12.0f, pile->amount);
    EXPECT_VEC_EQ(above + TVector(0.0f, 0.0f, 3.0f), pile->getPosition());
    EXPECT_EQ(0, pile->onGround);

    float z = pile->getPosition().z;
    int frames = 0;
    while (!pile->onGround && frames < 200) {
        frame();
        ++frames;
        EXPECT_GE(pile->getPosition().z, z);  // down only
        z = pile->getPosition().z;
    }
    EXPECT_EQ(1, pile->onGround);
    EXPECT_GT(frames, 5);
    EXPECT_NEAR(game->ground->getHeight(pile->getPosition()), pile->getPosition().z, 1e-3f);
    const TVector landed = pile->getPosition();
    frame();
    EXPECT_VEC_EQ(landed, pile->getPosition());
}

TEST_F(CastleTest, GoldDroppedBeyondTheGroundSettlesInsteadOfFallingForEver) {
    TGoldInstance* pile = new TGoldInstance(3.0f, TVector(2100.0f, 1000.0f, 300.0f), game);
    pile->setOnGround(0);
    EXPECT_EQ(nullptr, pile->registry);  // no tile out there
    frame();
    EXPECT_EQ(1, pile->onGround);
    EXPECT_FLOAT_EQ(512.0f, pile->getPosition().z);
}

// ------------------------------------------------------------ balloons ----

TEST_F(CastleTest, BoughtBalloonStartsAboveTheCastle) {
    const int count = kind->getBalloonCount();
    TBallon* balloon = kind->buyBallon();
    ASSERT_NE(nullptr, balloon);
    EXPECT_EQ(count + 1, kind->getBalloonCount());
    EXPECT_EQ(balloon, kind->balloons.back());
    EXPECT_EQ(castle, balloon->home);
    EXPECT_VEC_EQ(castleAt() + TVector(0.0f, 0.0f, -30.0f), balloon->getPosition());
    EXPECT_EQ(TBallon::IDLE, balloon->getState());
    EXPECT_EQ(2, balloon->getKind());
    EXPECT_EQ(0, balloon->collisionLayer);
    EXPECT_FLOAT_EQ(100.0f, balloon->getMass());
    EXPECT_VEC_EQ(TVector(0.0f, 1.0f, 0.0f), balloon->getMarkerColor());
    EXPECT_FLOAT_EQ(2.0f, balloon->sphere->getRadius());
    EXPECT_GE(balloon->phase, 0.0f);
    EXPECT_LE(balloon->phase, 360.0f);
    EXPECT_TRUE(listed(balloon));
    EXPECT_NE(nullptr, balloon->registry);
    EXPECT_NE(nullptr, balloon->cell);
    EXPECT_EQ(1, game->balloonKind->getFlag() ? 0 : 1);  // drawn as a child, not baked

    // A second castle placed later becomes home for later balloons.
    TBurg* second = static_cast<TBurg*>(kind->createInstance(castleAt() + TVector(50.0f, 0.0f, 0.0f), 0.0f));
    EXPECT_EQ(second, kind->castle);
    TBallon* later = kind->buyBallon();
    EXPECT_EQ(second, later->home);
    delete second;
    EXPECT_EQ(nullptr, later->home);
    EXPECT_EQ(nullptr, kind->castle);
    EXPECT_EQ(nullptr, kind->buyBallon());
    delete later;
    EXPECT_EQ(count + 1, kind->getBalloonCount());
}

TEST_F(CastleTest, BalloonTakesAtMostFourPilesAndNoneWhileReturning) {
    TBallon* balloon = kind->buyBallon();
    TGoldInstance* p[5];
    for (int i = 0; i < 5; ++i) p[i] = new TGoldInstance(1.0f, groundNearCastle(100.0f + 10.0f * i, 0.0f), game);
    // The first four went to the balloon at once, the fifth waits.
    EXPECT_EQ(TBallon::COLLECTING, balloon->getState());
    EXPECT_EQ((std::list<TGoldInstance*>{p[0], p[1], p[2], p[3]}), balloon->golds);
    ASSERT_EQ(1u, ki->waitingGold.size());
    EXPECT_EQ(p[4], ki->waitingGold.front());
    EXPECT_STREQ("Ballon holt sich das Gold!", game->lastMessage);
    EXPECT_EQ(0, balloon->setCollecting(p[4]));

    // A pile that goes leaves the balloon, which steers to the next one.
    delete p[0];
    EXPECT_VEC_EQ(p[1]->getPosition(), balloon->getTarget());
    EXPECT_EQ(3u, balloon->golds.size());
    balloon->returnToBurg();
    EXPECT_VEC_EQ(castleAt(), balloon->getTarget());
    EXPECT_EQ(0, balloon->setCollecting(p[4]));
}

TEST_F(CastleTest, NewPileGoesToTheFirstFreeBalloon) {
    TBallon* first = kind->buyBallon();
    TBallon* second = kind->buyBallon();
    TGoldInstance* pile = new TGoldInstance(15.0f, groundNearCastle(100.0f, 0.0f), game);
    EXPECT_EQ(std::list<TGoldInstance*>{pile}, first->golds);
    EXPECT_TRUE(second->golds.empty());
    EXPECT_EQ(TBallon::IDLE, second->getState());
    EXPECT_TRUE(ki->waitingGold.empty());
    EXPECT_NE(std::string::npos, newLog().find("Ballon auf Status Collecting gesetzt!"));
}

TEST_F(CastleTest, WaitingPilesGoInOrderUntilTheBalloonIsFull) {
    TBallon* balloon = kind->buyBallon();
    TGoldInstance* held[2];
    for (int i = 0; i < 2; ++i) held[i] = new TGoldInstance(1.0f, groundNearCastle(100.0f, 10.0f * i), game);
    ASSERT_EQ(2u, balloon->golds.size());
    balloon->state = TBallon::RETURNING;  // refuses while the next three arrive
    TGoldInstance* waiting[3];
    for (int i = 0; i < 3; ++i) waiting[i] = new TGoldInstance(1.0f, groundNearCastle(-100.0f, 10.0f * i), game);
    ASSERT_EQ(3u, ki->waitingGold.size());

    balloon->state = TBallon::COLLECTING;
    ki->assignWaitingGold(balloon);
    EXPECT_EQ((std::list<TGoldInstance*>{held[0], held[1], waiting[0], waiting[1]}), balloon->golds);
    ASSERT_EQ(1u, ki->waitingGold.size());
    EXPECT_EQ(waiting[2], ki->waitingGold.front());
}

TEST_F(CastleTest, BalloonReachesAtSevenUnitsButNotAtSevenPointOne) {
    TBallon* balloon = kind->buyBallon();
    const TVector at = groundNearCastle(-200.0f, -200.0f);
    TGoldInstance* pile = new TGoldInstance(8.0f, at, game);
    balloon->setPosition(at + TVector(7.1f, 0.0f, -30.0f));
    balloon->think();
    EXPECT_FALSE(pile->collected);
    EXPECT_VEC_EQ(at, balloon->getTarget());
    balloon->setPosition(at + TVector(7.0f, 0.0f, -100.0f));  // height does not count
    balloon->think();
    EXPECT_TRUE(pile->collected);
    EXPECT_FLOAT_EQ(8.0f, balloon->carried);
    EXPECT_EQ(TBallon::RETURNING, balloon->getState());
    EXPECT_VEC_EQ(castleAt(), balloon->getTarget());
    EXPECT_TRUE(balloon->golds.empty());
    frame();  // the pile goes; the balloon stays on its way home
    EXPECT_EQ(0, piles());
    EXPECT_EQ(TBallon::RETURNING, balloon->getState());
    const std::string log = newLog();
    EXPECT_NE(std::string::npos, log.find("Ballon@think(): gold von front geholt.\nBallon@think(): gold erreicht.\n"
                                          "Ballon@think(): Ende Status COllecting.\n"));
    EXPECT_NE(std::string::npos, log.find("Ballon@think(): nach ballon ausrichten. tx: 1024 ty: 1024\n"));
}

TEST_F(CastleTest, DeliveryFillsTheCastleUpToItsMaximum) {
    TBallon* balloon = kind->buyBallon();
    kind->setGold(950.0f);
    balloon->carried = 80.0f;
    balloon->returnToBurg();
    balloon->think();
    EXPECT_FLOAT_EQ(1000.0f, kind->getGold());
    EXPECT_FLOAT_EQ(0.0f, balloon->carried);
    EXPECT_EQ(TBallon::IDLE, balloon->getState());
    EXPECT_STREQ("Ballon ist zur Burg zurueckgekehrt.", game->lastMessage);
}

TEST_F(CastleTest, IdleBalloonReturnsWhenAnyPileGoes) {
    TBallon* balloon = kind->buyBallon();
    TGoldInstance* other = new TGoldInstance(5.0f, groundNearCastle(300.0f, 0.0f), game);
    balloon->removeGold(other);  // not its pile, yet it heads home
    EXPECT_EQ(TBallon::RETURNING, balloon->getState());
    game->lastMessage = nullptr;
    const float gold = kind->getGold();
    balloon->think();
    EXPECT_EQ(TBallon::IDLE, balloon->getState());
    EXPECT_FLOAT_EQ(gold, kind->getGold());
    EXPECT_STREQ("Ballon ist zur Burg zurueckgekehrt.", game->lastMessage);
}

TEST_F(CastleTest, BalloonMovesOnlyWhenBusyAndGlidesToItsHeight) {
    TBallon* balloon = kind->buyBallon();
    const TVector start = balloon->getPosition();
    const float phase = balloon->phase;
    const float ground = game->ground->getHeight(start);
    engine->fpsCounter.fps = 50.0f;
    EXPECT_FALSE(balloon->periodicDo(60));
    EXPECT_FLOAT_EQ(start.x, balloon->getPosition().x);
    EXPECT_FLOAT_EQ(start.y, balloon->getPosition().y);
    EXPECT_NEAR(phase + 0.006f, balloon->phase, 1e-4f);
    EXPECT_NEAR(0.2f * (ground - 30.0f + std::sin(balloon->phase)) + 0.8f * start.z, balloon->getPosition().z, 1e-3f);

    balloon->returnToBurg();
    const TVector before = balloon->getPosition();
    balloon->periodicDo(60);
    const TVector moved = balloon->getPosition() - before;
    EXPECT_NEAR(0.1f, std::hypot(moved.x, moved.y), 1e-4f);  // 10 at the model scale
    EXPECT_NEAR(-0.1f, moved.y, 1e-4f);                       // forward is -y at angle 0

    engine->fpsCounter.fps = 1.0f;  // the world stands still
    const TVector still = balloon->getPosition();
    balloon->periodicDo(60);
    EXPECT_VEC_EQ(still, balloon->getPosition());
}

// The whole round trip in game frames: the AI sends the balloon to a pile,
// it turns towards it, takes it, flies home and credits the gold.
TEST_F(CastleTest, BalloonFetchesAPileAndBringsTheGoldHome) {
    TBallon* balloon = kind->buyBallon();
    kind->setGold(100.0f);
    TGoldInstance* pile = new TGoldInstance(15.0f, groundNearCastle(45.0f, 30.0f), game);
    ASSERT_EQ(TBallon::COLLECTING, balloon->getState());
    int frames = 0;
    while (listed(pile) && frames < 800) {
        frame(10.0f);
        ++frames;
    }
    EXPECT_FALSE(listed(pile)) << "the balloon never reached the pile";
    EXPECT_FLOAT_EQ(15.0f, balloon->carried);
    EXPECT_EQ(TBallon::RETURNING, balloon->getState());
    EXPECT_FLOAT_EQ(100.0f, kind->getGold());
    while (balloon->getState() != TBallon::IDLE && frames < 1600) {
        frame(10.0f);
        ++frames;
    }
    EXPECT_EQ(TBallon::IDLE, balloon->getState());
    EXPECT_FLOAT_EQ(115.0f, kind->getGold());
    EXPECT_FLOAT_EQ(0.0f, balloon->carried);
    const TVector home = balloon->getPosition() - castleAt();
    EXPECT_LT(home.x * home.x + home.y * home.y, 50.0f);
    // Gliding 30 units over the ground (with its bob of 1).
    EXPECT_NEAR(game->ground->getHeight(balloon->getPosition()) - 30.0f, balloon->getPosition().z, 3.0f);
    std::printf("round trip: %d frames of 500 ms\n", frames);
}

// ---------------------------------------------------------- castle key ----

TEST_F(CastleTest, CastleKeyOpensTheMenuCloserThanForty) {
    castle->setPosition(TVector(1000.0f, 1000.0f, 400.0f));
    placeDragon(TVector(1040.0f, 1000.0f, 400.0f));
    ASSERT_EQ(40.0f, (game->dragon->getPosition() - castle->getPosition()).length());
    game->handleMessage(engine->window, WM_KEYDOWN, 'M', 0);
    EXPECT_STREQ("Nicht nahe genug an Burg", game->lastMessage);
    EXPECT_EQ(0, TGame::leaveFlag);
    EXPECT_EQ(0, game->paused);

    placeDragon(TVector(1000.0f, 1000.0f, 360.5f));  // 39.5 above
    game->handleMessage(engine->window, WM_KEYDOWN, VK_SUBTRACT, 0);
    EXPECT_EQ(1, TGame::leaveFlag);
    EXPECT_EQ(1, game->paused);
    EXPECT_EQ(TGame::RESULT_CASTLE, game->resultCode);
    TGame::leaveFlag = 0;
}

// ------------------------------------------------------------ picture ----

// The game's frame looking at the castle from the south-east with a
// balloon above it: the castle's stone and the balloon's cloth show.
TEST_F(CastleTest, PictureOfTheCastleWithABalloon) {
    TBallon* balloon = kind->buyBallon();
    balloon->setPosition(castleAt() + TVector(8.0f, 12.0f, -28.0f));
    TCamera camera;
    camera.projectionA = 500.0;
    camera.projectionB = 498.0;
    camera.updateProjection();
    camera.lightPosition = engine->lightPosition;
    camera.up = TVector(0.0f, 0.0f, 1.0f);
    const TVector eye = castleAt() + TVector(18.0f, 32.0f, -24.0f);
    const TVector look = castleAt() + TVector(0.0f, 0.0f, -16.0f);
    camera.setDirection((eye - look).normalized());
    camera.setPosition(eye * 100.0f);
    camera.updateView();
    camera.updateFrustum();
    engine->camera = &camera;
    for (int i = 0; i < 3; ++i) {  // the ground picks its tiles for the next frame
        glClearColor(0.5f, 0.5f, 1.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera.apply();
        frame(i < 2 ? 1.0f : 50.0f);  // the last one with the minimap
    }
    const Picture shot = readColourBuffer(640, 480);
    const std::vector<unsigned char>& rgba = shot.pixels;  // bottom row first
    engine->camera = &game->followCamera;
    const std::string path = folder + "/castle_with_balloon.png";
    EXPECT_TRUE(writePng(shot, path));
    std::printf("picture: %s\n", path.c_str());

    // The middle of the picture is not the clear colour and not all one
    // colour: the castle stands there.
    int differing = 0;
    unsigned char first[3] = {rgba[(240 * 640 + 320) * 4], rgba[(240 * 640 + 320) * 4 + 1],
                              rgba[(240 * 640 + 320) * 4 + 2]};
    for (int y = 140; y < 340; y += 10)
        for (int x = 220; x < 420; x += 10) {
            const unsigned char* p = &rgba[(static_cast<size_t>(y) * 640 + x) * 4];
            if (std::abs(p[0] - first[0]) + std::abs(p[1] - first[1]) + std::abs(p[2] - first[2]) > 30) ++differing;
        }
    EXPECT_GT(differing, 20);
}

}  // namespace
