// Defense towers, their projectiles, the dragon's fireballs and the trees on
// the generated level: what the level places, a tower's cloud and launch, the
// projectile's flight and hit, a tower's destruction and the thinkers array,
// the fireball's flight, explosion and damage window, and particles that the
// manager frees or refuses while a holder still follows them.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "GameTestWindow.h"
#include "engine/TIndexArray.h"
#include "engine/TProperties.h"
#include "game/TDefenseTower.h"
#include "game/TDefenseTowerMod.h"
#include "game/TDrache.h"
#include "game/TFeuerball.h"
#include "game/TGame.h"
#include "game/TGeschoss.h"
#include "game/TKI.h"
#include "platform/crt.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"
#include "scene/TBoundingSphere.h"
#include "scene/TGrid.h"
#include "scene/THeightSource.h"
#include "scene/THomingEmitter.h"
#include "scene/TParticleManager.h"
#include "scene/TSceneNode.h"
#include "scene/TTreeMod.h"
#include "support/DataFiles.h"
#include "tools/layout.h"

namespace {

// A plain particle that only fills the manager.
class Filler : public TParticle {
public:
    explicit Filler(TParticleManager* m) : TParticle(TVector(), 1000000, m, nullptr) {}
    void draw() override {}
};

// Vectors equal within tol on every axis.
::testing::AssertionResult same(const TVector& expected, const TVector& actual, float tol = 1e-6f) {
    if (std::fabs(expected.x - actual.x) <= tol && std::fabs(expected.y - actual.y) <= tol &&
        std::fabs(expected.z - actual.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected (" << expected.x << ", " << expected.y << ", " << expected.z
                                         << "), got (" << actual.x << ", " << actual.y << ", " << actual.z << ")";
}

float columnLength(const TMatrix& m, int c) {
    return std::sqrt(m.m[4 * c] * m.m[4 * c] + m.m[4 * c + 1] * m.m[4 * c + 1] + m.m[4 * c + 2] * m.m[4 * c + 2]);
}

class TowerFireballTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        engine = gametest::openEngine();
        ASSERT_NE(nullptr, engine);
    }
    static void TearDownTestSuite() { gametest::closeEngine(); }

    void SetUp() override {
        ASSERT_NE(nullptr, engine);
        game = new TGame(engine, &properties);
        gametest::activeScreen() = game;
        engine->camera = &game->followCamera;
        ASSERT_NE(nullptr, game->dragon);
        ASSERT_NE(nullptr, game->towerKind);
        ASSERT_NE(nullptr, game->treeKind);
        // The houses make their dwarves in the first frame step; counts the
        // tests take afterwards then stay put.
        frame(50.0f);
    }
    void TearDown() override {
        gametest::activeScreen() = nullptr;
        delete game;
    }

    void frame(float rate) {
        engine->fpsCounter.fps = rate;
        game->doFrame();
    }

    template <class T>
    std::vector<T*> objectsOf() {
        std::vector<T*> found;
        for (TListNode<TMovingObject>* n = game->objects.head; n; n = n->next)
            if (T* o = dynamic_cast<T*>(n->value)) found.push_back(o);
        return found;
    }

    // A tower of the level's kind standing where no tile files it (so it is
    // always active), owned by the game's object list.
    TDefenseTower* makeTower(const TVector& at) {
        TRenderable* r = game->towerKind->createInstance(at, 0.0f);
        return dynamic_cast<TDefenseTower*>(static_cast<TSceneNode*>(r));
    }

    void think(TDefenseTower* tower, int times) {
        for (int i = 0; i < times; ++i) tower->think();
    }

    static TEngine* engine;
    TProperties properties;
    TGame* game = nullptr;
};

TEngine* TowerFireballTest::engine = nullptr;

// ------------------------------------------------------------ the level ----

TEST_F(TowerFireballTest, LevelPlacesTheTowersAsThinkersAndBakesTheTrees) {
    const std::vector<TDefenseTower*> towers = objectsOf<TDefenseTower>();
    ASSERT_EQ(static_cast<size_t>(layout::kTowerCount), towers.size());
    // The towers are the first thinkers (the dwarves join in the first frame).
    ASSERT_EQ(layout::kTowerCount + layout::kHouseCount, game->ki->thinkerCount);
    for (int i = 0; i < game->ki->thinkerCount; ++i) EXPECT_EQ(i, game->ki->thinkers[i]->index);
    for (int i = 0; i < layout::kTowerCount; ++i) EXPECT_NE(nullptr, dynamic_cast<TDefenseTower*>(game->ki->thinkers[i]));
    for (TDefenseTower* t : towers) {
        EXPECT_FLOAT_EQ(500.0f, t->getLife());
        EXPECT_EQ(0, t->getKind());
        EXPECT_EQ(0, t->collisionLayer);
        EXPECT_FLOAT_EQ(100.0f, t->getMass());
        EXPECT_EQ(1, t->minimapFlag);
        EXPECT_TRUE(same(TVector(1.0f, 1.0f, 1.0f), t->getMarkerColor()));
        EXPECT_NE(nullptr, t->registry);  // filed in its ground tile, which tells it its detail
        EXPECT_NE(nullptr, t->ownerData);
        EXPECT_NE(nullptr, t->cell);
        EXPECT_FLOAT_EQ(t->TSceneNode::position.z - 12.0f, t->top.z);
        EXPECT_EQ(&t->levels[2], t->spheres[3]->centre);
        EXPECT_FALSE(t->getFlag());  // drawn as a child of its tile, not baked
    }

    // The tree model is one batch in immediate mode, so every tree went
    // into its tile's display list.
    TTreeMod* trees = game->treeKind;
    EXPECT_EQ(0, trees->lastGroup);
    EXPECT_EQ(1, trees->immediateMode);
    EXPECT_EQ(0, trees->groups[0].firstTriangle);
    EXPECT_EQ(trees->indexArray->count, trees->groups[1].firstTriangle);

    const testdata::Tga map = testdata::readTga("terrain/LevelMap_1.tga");
    ASSERT_TRUE(map.valid());
    int treePixels = 0;
    for (size_t i = 0; i < map.pixels.size(); i += map.bytesPerPixel) treePixels += map.pixels[i] == 150;
    ASSERT_GT(treePixels, 0);
    int baked = 0;
    for (int i = 0; i < game->boden->tilesX * game->boden->tilesY; ++i) {
        TBodenTile* tile = game->boden->tiles[i];
        for (int k = 0; k < tile->staticCount; ++k) {
            TSceneNode* tree = dynamic_cast<TSceneNode*>(tile->staticObjects[k]);
            ASSERT_NE(nullptr, tree);
            EXPECT_EQ(trees, tree->mesh);
            EXPECT_GE(columnLength(tree->matrix, 0), 0.005f - 1e-6f);
            EXPECT_LE(columnLength(tree->matrix, 0), 0.025f + 1e-6f);
            EXPECT_GE(columnLength(tree->matrix, 2), 0.01f - 1e-6f);
            EXPECT_LE(columnLength(tree->matrix, 2), 0.03f + 1e-6f);
            ++baked;
        }
    }
    EXPECT_EQ(treePixels, baked);
}

TEST_F(TowerFireballTest, TreesDrawYawThenThreeScales) {
    srand(77);
    float r[8];
    for (float& v : r) v = static_cast<float>(rand());
    srand(77);
    const TVector at(500.0f, 600.0f, 300.0f);
    TSceneNode* a = static_cast<TSceneNode*>(game->treeKind->createInstance(at, 1.0f));
    TSceneNode* b = static_cast<TSceneNode*>(game->treeKind->createInstance(at, 1.0f));
    for (int t = 0; t < 2; ++t) {
        TSceneNode* tree = t == 0 ? a : b;
        const float* q = r + 4 * t;
        const float yaw = q[0] * 360.0f / 32767.0f;  // degrees, turned as radians
        const float sx = 2.0f * q[1] / 32767.0f + 0.5f;
        const float sy = 2.0f * q[2] / 32767.0f + 0.5f;
        const float sz = 2.0f * q[3] / 32767.0f + 1.0f;
        EXPECT_TRUE(same(at, tree->position));
        EXPECT_NEAR(0.01f * std::cos(yaw) * sx, tree->matrix.m[0], 1e-5f);
        EXPECT_NEAR(0.01f * std::sin(yaw) * sx, tree->matrix.m[1], 1e-5f);
        EXPECT_NEAR(-0.01f * std::sin(yaw) * sy, tree->matrix.m[4], 1e-5f);
        EXPECT_NEAR(0.01f * std::cos(yaw) * sy, tree->matrix.m[5], 1e-5f);
        EXPECT_NEAR(-0.01f * sz, tree->matrix.m[10], 1e-6f);
        EXPECT_TRUE(tree->getFlag());
    }
    EXPECT_NE(a->matrix.m[0], b->matrix.m[0]);
    delete a;
    delete b;
}

// ----------------------------------------------------------- the towers ----

TEST_F(TowerFireballTest, TowerGathersItsCloudAndLaunchesOnTheFiftiethThink) {
    TDefenseTower* tower = makeTower(TVector(900.0f, 900.0f, 400.0f));
    ASSERT_NE(nullptr, tower);
    EXPECT_EQ(game->ki->thinkerCount - 1, tower->index);
    const int particlesBefore = game->particles->count;

    think(tower, 4);
    EXPECT_EQ(0, tower->cloud.count());
    tower->think();
    ASSERT_EQ(1, tower->cloud.count());
    EXPECT_EQ(particlesBefore + 1, game->particles->count);
    THomingEmitter* first = tower->cloud.head->value->get();
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(&tower->top, first->target);
    EXPECT_EQ(game->particles->items[particlesBefore], first);
    EXPECT_FLOAT_EQ(0.0f, first->alpha);  // fades in
    EXPECT_EQ(5100000, first->lifetime);
    EXPECT_EQ(game->magicParticleMaterial, first->material);
    EXPECT_NEAR(390.0f, first->position.z, 2.0f);  // 10 above the base, spread a little

    think(tower, 40);
    ASSERT_EQ(9, tower->cloud.count());
    EXPECT_EQ(first, tower->cloud.tail->value->get());  // newest at the head
    THomingEmitter* newest = tower->cloud.head->value->get();
    const int objectsBefore = game->objects.count();
    think(tower, 4);
    EXPECT_EQ(9, tower->cloud.count());
    tower->think();  // the fiftieth: the tenth emitter, then the launch
    EXPECT_EQ(0, tower->cloud.count());
    ASSERT_EQ(objectsBefore + 1, game->objects.count());

    TGeschoss* shot = dynamic_cast<TGeschoss*>(game->objects.tail->value);
    ASSERT_NE(nullptr, shot);
    EXPECT_TRUE(same(tower->top, shot->position));
    EXPECT_TRUE(same(TVector(0.0f, 0.0f, -0.002f), shot->velocity));
    EXPECT_EQ(static_cast<TMovingObject*>(game->dragon), shot->target);
    EXPECT_EQ(0, shot->collisionLayer);
    EXPECT_FLOAT_EQ(1.0f, shot->sphere->getRadius());
    ASSERT_EQ(10, shot->cloud.count());
    for (TListNode<TParticleRef<THomingEmitter>>* n = shot->cloud.head; n; n = n->next) {
        ASSERT_NE(nullptr, n->value->get());
        EXPECT_EQ(&shot->position, n->value->get()->target);
        EXPECT_FLOAT_EQ(0.0f, n->value->get()->gravity);
    }
    // The tower's newest went first and so ends at the back.
    EXPECT_EQ(newest, shot->cloud.tail->prev->value->get());
    EXPECT_EQ(first, shot->cloud.head->value->get());
}

TEST_F(TowerFireballTest, TowerOnACoarseTileShedsOneEmitterPerThink) {
    TDefenseTower* tower = makeTower(TVector(900.0f, 900.0f, 400.0f));
    think(tower, 20);
    ASSERT_EQ(4, tower->cloud.count());
    THomingEmitter* oldest = tower->cloud.tail->value->get();
    int level = 2;
    tower->ownerData = &level;
    EXPECT_EQ(2, tower->ownerValue());
    tower->think();  // limit 16 still holds: nothing shed, the limit drops to 0
    EXPECT_EQ(4, tower->cloud.count());
    EXPECT_EQ(0, tower->cloudLimit);
    tower->think();
    EXPECT_EQ(3, tower->cloud.count());
    EXPECT_EQ(1, oldest->stopped);  // released: drifts off and fades
    EXPECT_EQ(nullptr, oldest->target);
    EXPECT_EQ(5000, oldest->lifetime);
    EXPECT_FLOAT_EQ(0.0005f, oldest->fadeRate);
    think(tower, 5);
    EXPECT_EQ(0, tower->cloud.count());
    EXPECT_EQ(0, tower->tick % 5);  // coarse thinks do not count
    tower->ownerData = nullptr;
}

TEST_F(TowerFireballTest, ProjectileReaimsAfterMoreThan500MsAndHurtsTheDragonOnce) {
    TDefenseTower* tower = makeTower(TVector(1000.0f, 1000.0f, 400.0f));
    think(tower, 50);
    TGeschoss* shot = objectsOf<TGeschoss>().at(0);
    THomingEmitter* carried = shot->cloud.head->value->get();

    EXPECT_FALSE(shot->periodicDo(500));
    EXPECT_TRUE(same(TVector(0.0f, 0.0f, -0.002f), shot->velocity));  // exactly 500: not yet
    const TVector before = shot->velocity;
    EXPECT_FALSE(shot->periodicDo(1));
    TVector dragonAt;
    game->dragon->getPosition(dragonAt);  // world units
    const TVector aim = (dragonAt - (shot->position - shot->velocity)).normalized() * 0.002f;
    const TVector expected = (before + aim) * 0.5f;
    EXPECT_NEAR(expected.x, shot->velocity.x, 1e-7f);
    EXPECT_NEAR(expected.y, shot->velocity.y, 1e-7f);
    EXPECT_NEAR(expected.z, shot->velocity.z, 1e-7f);
    EXPECT_EQ(0, shot->aimTimer);

    // Into the dragon through the collision pass: 20 damage, once.
    game->dragon->sphereCentre = dragonAt;
    game->dragon->updateCell();
    shot->position = dragonAt;
    shot->updateCell();
    game->grid->processCollisions();
    EXPECT_FLOAT_EQ(180.0f, game->dragon->getLife());
    EXPECT_EQ(1, shot->hit);
    shot->onHit(game->dragon);
    EXPECT_FLOAT_EQ(180.0f, game->dragon->getLife());

    // The next frame step removes it; its cloud drifts off.
    const int objectsBefore = game->objects.count();
    frame(50.0f);
    EXPECT_EQ(objectsBefore - 1, game->objects.count());
    EXPECT_TRUE(objectsOf<TGeschoss>().empty());
    EXPECT_EQ(1, carried->stopped);
    EXPECT_EQ(nullptr, carried->target);
    EXPECT_LE(carried->lifetime, 5000);
}

TEST_F(TowerFireballTest, ProjectileExpiresAfter80SecondsAndIgnoresTheGround) {
    TDefenseTower* tower = makeTower(TVector(1000.0f, 1000.0f, 400.0f));
    think(tower, 50);
    TGeschoss* shot = objectsOf<TGeschoss>().at(0);
    shot->target = nullptr;  // no dragon to steer at: flies on
    const TVector at = shot->position;
    shot->placeOnGround(game->ground);
    EXPECT_TRUE(same(at, shot->position));
    EXPECT_FALSE(shot->periodicDo(80000));
    EXPECT_TRUE(same(TVector(0.0f, 0.0f, -0.002f), shot->velocity));
    EXPECT_TRUE(shot->periodicDo(1));
    delete shot;
}

TEST_F(TowerFireballTest, DestroyedTowerPaysExperienceAndLeavesTheThinkers) {
    TKI* ki = game->ki;
    ASSERT_GE(ki->thinkerCount, 5);
    TDefenseTower* victim = dynamic_cast<TDefenseTower*>(ki->thinkers[2]);
    ASSERT_NE(nullptr, victim);
    TMovingObject* last = ki->thinkers[ki->thinkerCount - 1];
    const int count = ki->thinkerCount;
    const int objectsBefore = game->objects.count();

    victim->life = 10.0f;
    victim->takeDamage(10.0f, TVector());
    EXPECT_EQ(0, victim->destroyed);  // life 0 still stands
    EXPECT_FALSE(victim->periodicDo(100));

    TDrache* dragon = game->dragon;
    dragon->experience = 30.0f;
    const int particlesBefore = game->particles->count;
    victim->takeDamage(1.0f, TVector());
    EXPECT_EQ(1, victim->destroyed);
    EXPECT_FLOAT_EQ(70.0f, dragon->experience);
    EXPECT_EQ(particlesBefore + 4 * 48, game->particles->count);  // a burst of 48 at each sphere
    EXPECT_EQ(1, dragon->level);
    victim->takeDamage(1.0f, TVector());  // another hit in the same pass pays again
    EXPECT_FLOAT_EQ(110.0f, dragon->experience);
    EXPECT_EQ(2, dragon->level);

    frame(50.0f);  // the frame step removes it
    EXPECT_EQ(objectsBefore - 1, game->objects.count());
    EXPECT_EQ(count - 1, ki->thinkerCount);
    EXPECT_EQ(last, ki->thinkers[2]);
    EXPECT_EQ(2, last->index);
    EXPECT_EQ(nullptr, ki->thinkers[count - 1]);
}

// ----------------------------------------------------------- fireballs ----

TEST_F(TowerFireballTest, FireballFliesAlongTheDragonsForwardWithItsTrail) {
    TDrache* dragon = game->dragon;
    dragon->rotateZ2(0.7f);
    const int particlesBefore = game->particles->count;
    dragon->shootFireball();
    std::vector<TFeuerball*> balls = objectsOf<TFeuerball>();
    ASSERT_EQ(1u, balls.size());
    TFeuerball* ball = balls[0];
    const TVector forward = dragon->getBackward() * -1.0f;
    const TVector start = dragon->getPosition() + forward * 5.0f;
    EXPECT_NEAR(start.x, ball->position.x, 1e-3f);
    EXPECT_NEAR(start.y, ball->position.y, 1e-3f);
    EXPECT_NEAR(start.z, ball->position.z, 1e-3f);
    const TVector v = forward.normalized() * 0.01f;
    EXPECT_NEAR(v.x, ball->velocity.x, 1e-6f);
    EXPECT_NEAR(v.y, ball->velocity.y, 1e-6f);
    EXPECT_NEAR(v.z, ball->velocity.z, 1e-6f);
    EXPECT_EQ(1, ball->collisionLayer);
    EXPECT_EQ(3, ball->getKind());
    EXPECT_EQ(0, ball->onGround);
    EXPECT_FLOAT_EQ(0.5f, ball->sphere->getRadius());

    ASSERT_EQ(particlesBefore + 1, game->particles->count);
    TParticleEmitter* trail = ball->trail.get();
    ASSERT_NE(nullptr, trail);
    EXPECT_EQ(game->particles->items[particlesBefore], trail);
    EXPECT_TRUE(same(ball->velocity, trail->velocity));
    EXPECT_EQ(51000, trail->lifetime);
    EXPECT_EQ(game->fireMaterial, trail->material);

    EXPECT_FALSE(ball->update(1000));
    EXPECT_NEAR(start.x + v.x * 1000.0f, ball->position.x, 1e-3f);
    EXPECT_NEAR(start.y + v.y * 1000.0f, ball->position.y, 1e-3f);
    EXPECT_FALSE(ball->update(49000));  // exactly 50000 stays
    EXPECT_TRUE(ball->update(1));
    delete ball;
    EXPECT_EQ(-1, trail->lifetime);  // the manager ends it at its next step
}

TEST_F(TowerFireballTest, FireballExplodesOnceAndDamagesOnlyWhileTheWindowIsOpen) {
    game->dragon->firepower = 1.5f;
    TDefenseTower* a = makeTower(TVector(900.0f, 900.0f, 400.0f));
    TDefenseTower* b = makeTower(TVector(910.0f, 900.0f, 400.0f));
    TFeuerball ball(TVector(900.0f, 900.0f, 380.0f), TVector(1.0f, 0.0f, 0.0f), game->fireMaterial,
                    game->fireParticleMaterial, game);
    TParticleEmitter* trail = ball.trail.get();
    ASSERT_NE(nullptr, trail);
    const int particlesBefore = game->particles->count;

    ball.onHit(a);
    ball.onHit(b);  // touched in the same pass: full damage too
    EXPECT_FLOAT_EQ(485.0f, a->getLife());
    EXPECT_FLOAT_EQ(485.0f, b->getLife());
    EXPECT_EQ(1, ball.exploding);
    EXPECT_EQ(1, ball.onGround);
    EXPECT_EQ(45000, ball.age);
    EXPECT_FLOAT_EQ(3.0f, ball.sphere->getRadius());
    EXPECT_TRUE(same(TVector(), ball.velocity));
    EXPECT_EQ(particlesBefore + 33, game->particles->count);  // the blast and 32 sparks
    EXPECT_EQ(-1, trail->lifetime);
    EXPECT_FALSE(ball.trail);

    // The blast where the ball burst, and 32 sparks that start 1000 times an
    // entry of the engine's direction table out from there and fly on along
    // it at up to 0.6 times its length per millisecond.
    const TVector at = ball.position;
    auto* blast = static_cast<TParticleEmitter*>(game->particles->items[particlesBefore]);
    EXPECT_TRUE(same(at, blast->position));
    EXPECT_TRUE(same(TVector(), blast->velocity));
    EXPECT_EQ(10000, blast->lifetime);
    EXPECT_FLOAT_EQ(0.0001f, blast->fadeRate);
    EXPECT_FLOAT_EQ(50.0f, blast->size);  // half of 100
    EXPECT_FLOAT_EQ(0.015f, blast->growth);
    EXPECT_FLOAT_EQ(0.0001f, blast->spinRate);
    EXPECT_EQ(game->fireParticleMaterial, blast->material);
    EXPECT_TRUE(blast->alphaInZ);
    for (int k = 1; k <= 32; ++k) {
        auto* spark = static_cast<TParticleEmitter*>(game->particles->items[particlesBefore + k]);
        const TVector out = spark->position - at;
        EXPECT_NEAR(0.3f, out.length(), 2e-4f) << k;
        const TVector dir = out.normalized() * 0.0003f;
        bool inTable = false;
        for (const TVector& d : engine->directions) inTable = inTable || (d - dir).length() < 6e-7f;
        EXPECT_TRUE(inTable) << k;
        EXPECT_LE(spark->velocity.length(), 0.0003f * 0.6f + 1e-9f) << k;
        if (spark->velocity.length() > 0.0f) {
            EXPECT_GT(spark->velocity.normalized().dot(out.normalized()), 0.9999f);
        }
        EXPECT_EQ(12000, spark->lifetime);
        EXPECT_FLOAT_EQ(0.00009f, spark->fadeRate);
        EXPECT_FLOAT_EQ(25.0f, spark->size);  // half of 50
        EXPECT_FLOAT_EQ(0.007f, spark->growth);
        EXPECT_FLOAT_EQ(0.00007f, spark->spinRate);
        EXPECT_EQ(0.0f, spark->gravity);
        EXPECT_EQ(game->fireParticleMaterial, spark->material);
        EXPECT_TRUE(spark->alphaInZ);
    }

    EXPECT_FALSE(ball.update(100));
    EXPECT_TRUE(same(at, ball.position));  // no longer flies
    EXPECT_EQ(0, ball.damageFrames);
    ball.onHit(a);
    EXPECT_FLOAT_EQ(485.0f, a->getLife());
    EXPECT_EQ(particlesBefore + 33, game->particles->count);  // explodes once

    // The lingering blast only pushes the dead.
    b->life = 0.0f;
    ball.onHit(b);
    EXPECT_FLOAT_EQ(0.1f, b->velocity.z);
    EXPECT_FLOAT_EQ(0.0f, a->velocity.z);

    EXPECT_FALSE(ball.update(4900));  // age 50000
    EXPECT_TRUE(ball.update(1));
}

TEST_F(TowerFireballTest, FireballMeetsTowersAndTheGroundInTheCollisionPass) {
    TDefenseTower* tower = dynamic_cast<TDefenseTower*>(game->ki->thinkers[0]);
    ASSERT_NE(nullptr, tower);
    TVector base;
    tower->getPosition(base);  // in the tower's own cell
    TFeuerball* ball = new TFeuerball(base, TVector(1.0f, 0.0f, 0.0f), game->fireMaterial,
                                      game->fireParticleMaterial, game);
    ball->updateCell();
    game->grid->processCollisions();
    EXPECT_FLOAT_EQ(490.0f, tower->getLife());
    EXPECT_EQ(1, ball->onGround);
    delete ball;

    // Over the middle of a grid column, just above the ground.
    const TVector column(64.0f * 16 + 32.0f, 64.0f * 16 + 32.0f, 0.0f);
    const float h = game->ground->getHeight(column);
    ball = new TFeuerball(TVector(column.x, column.y, h - 0.6f), TVector(0.0f, 0.0f, 1.0f), game->fireMaterial,
                          game->fireParticleMaterial, game);
    ASSERT_FALSE(ball->touchesGround(game->ground));
    ball->update(20);  // 0.2 down: the sphere reaches into the ground
    game->grid->processCollisions();
    EXPECT_EQ(1, ball->exploding);
    EXPECT_EQ(1, ball->onGround);
    EXPECT_EQ(2, ball->damageFrames);
    EXPECT_NEAR(h - 0.3f, ball->position.z, 1e-3f);
    ball->update(100);
    ball->update(100);
    EXPECT_EQ(0, ball->damageFrames);
    EXPECT_NEAR(h - 0.3f, ball->position.z, 1e-3f);
    game->grid->processCollisions();  // the ground pass leaves it alone now
    EXPECT_EQ(0, ball->damageFrames);
    delete ball;
}

TEST_F(TowerFireballTest, AFireballAtAnySphereOfAnyTowerHurtsIt) {
    // The level stands some towers so that their upper spheres lie in the
    // cell above the base's, and one exactly on a cell face in x; a shot
    // from the lower x side hits every sphere all the same.
    int acrossAFace = 0;
    for (TDefenseTower* tower : objectsOf<TDefenseTower>()) {
        for (TBoundingSphere* s : tower->spheres) {
            const float lifeBefore = tower->getLife();
            TFeuerball* ball = new TFeuerball(s->getCentre() + TVector(-2.0f, 0.0f, 0.0f), TVector(1.0f, 0.0f, 0.0f),
                                              game->fireMaterial, game->fireParticleMaterial, game);
            ball->updateCell();
            if (ball->cell != tower->cell) ++acrossAFace;
            game->grid->processCollisions();
            EXPECT_EQ(1, ball->exploding) << "tower at x " << tower->TSceneNode::position.x << ", sphere z "
                                          << s->getCentre().z;
            EXPECT_FLOAT_EQ(lifeBefore - 10.0f, tower->getLife());
            delete ball;
        }
    }
    EXPECT_GE(acrossAFace, 4);
}

TEST_F(TowerFireballTest, ParticlesTheManagerFreedOrRefusedAreNeverTouched) {
    // A long frame frees the trail before the fireball learns of it.
    game->dragon->shootFireball();
    TFeuerball* ball = objectsOf<TFeuerball>().at(0);
    ASSERT_TRUE(ball->trail);
    game->particles->update(60000);
    EXPECT_FALSE(ball->trail);
    EXPECT_FALSE(ball->update(100));
    ball->onGroundHit(game->ground);
    delete ball;
    game->dragon->shootFireball();
    ball = objectsOf<TFeuerball>().at(0);
    game->particles->update(60000);
    delete ball;  // the destructor does not reach for the freed trail

    // A full manager refuses the trail, the blast and the tower's emitters.
    while (!game->particles->isFull()) game->particles->add(new Filler(game->particles));
    game->dragon->shootFireball();
    ball = objectsOf<TFeuerball>().at(0);
    EXPECT_FALSE(ball->trail);
    ball->onGroundHit(game->ground);
    EXPECT_EQ(TParticleManager::kCapacity, game->particles->count);
    delete ball;
    TDefenseTower* tower = makeTower(TVector(900.0f, 900.0f, 400.0f));
    think(tower, 60);
    EXPECT_EQ(0, tower->cloud.count());
    EXPECT_TRUE(objectsOf<TGeschoss>().empty());
}

}  // namespace
