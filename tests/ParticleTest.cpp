// Particles without GL: the emitters' step (fading, children, homing), the
// manager's update (order, removal of the dead, particles added during the
// update, the full array) and the links through which holders keep
// particles the manager frees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/TCamera.h"
#include "scene/THomingEmitter.h"
#include "scene/TParticleEmitter.h"
#include "scene/TParticleManager.h"

namespace {

// A particle with a fixed depth that dies when its lifetime runs out; counts
// its deletions.
struct Probe : TParticle {
    float fixedDepth;
    int* deleted;
    Probe(float d, int life, int* counter) : TParticle(TVector(), life, nullptr, nullptr), fixedDepth(d), deleted(counter) {}
    ~Probe() override {
        if (deleted) ++*deleted;
    }
    bool update(int dt) override {
        TParticle::update(dt);
        depth = fixedDepth;
        return dead;
    }
    void draw() override {}
};

TParticleEmitter* emitter(int life, float fade, bool children = false, TParticleManager* manager = nullptr) {
    return new TParticleEmitter(life, TVector(0.001f, 0, 0), fade, 10.0f, 0.5f, 0.01f, 0.0f, 0.0f, nullptr,
                                TVector(), children, false, manager, nullptr);
}

TEST(ParticleEmitterTest, StepMovesGrowsTurnsFadesFallsAndSlows) {
    TParticleEmitter e(1000, TVector(0.01f, 0.0f, 0.0f), 0.001f, 10.0f, 0.5f, 0.01f, 0.0001f, 0.001f, nullptr,
                       TVector(1, 2, 3), false, false, nullptr, nullptr);
    EXPECT_FLOAT_EQ(e.size, 5.0f);
    EXPECT_FALSE(e.step(100));
    EXPECT_FLOAT_EQ(e.position.x, 2.0f);  // moved before the velocity changes
    EXPECT_FLOAT_EQ(e.velocity.z, 0.01f * 0.9f);
    EXPECT_FLOAT_EQ(e.velocity.x, 0.009f);
    EXPECT_FLOAT_EQ(e.size, 55.0f);
    EXPECT_FLOAT_EQ(e.spin, 1.0f);
    EXPECT_FLOAT_EQ(e.alpha, 0.9f);
    EXPECT_EQ(e.lifetime, 900);
    e.step(5000);
    EXPECT_FLOAT_EQ(e.alpha, 0.0f);  // clamped
}

TEST(ParticleEmitterTest, FadeDirectionAndDeathAtZero) {
    TParticleEmitter* steady = emitter(100, 0.0f);
    TParticleEmitter* rising = emitter(200, -0.01f);
    EXPECT_FLOAT_EQ(steady->alpha, 1.0f);
    EXPECT_FLOAT_EQ(rising->alpha, 0.0f);
    rising->step(50);
    EXPECT_FLOAT_EQ(rising->alpha, 0.5f);
    EXPECT_TRUE(steady->step(100));  // lifetime exactly 0 is dead
    EXPECT_FALSE(rising->step(60));
    EXPECT_FLOAT_EQ(rising->alpha, 1.0f);
    delete steady;
    delete rising;

    int deleted = 0;
    Probe base(0.0f, 2, &deleted);
    EXPECT_FALSE(base.update(1));  // 1 left
    EXPECT_TRUE(base.update(1));   // 0 is below 1
}

TEST(ParticleEmitterTest, ChildrenOncePerSecondAtMostOnePerStep) {
    TParticleManager manager(nullptr);
    TParticleEmitter* parent = manager.add(emitter(9000, 0.001f, true, &manager));
    parent->step(1000);
    EXPECT_EQ(manager.count, 1);  // exactly 1000 ms is not enough
    parent->step(1);
    ASSERT_EQ(manager.count, 2);
    auto* child = static_cast<TParticleEmitter*>(manager.items[1]);
    EXPECT_EQ(child->lifetime, 8000 / 2);  // made before the parent ages
    EXPECT_FLOAT_EQ(child->size, parent->size * 0.5f * 0.5f);
    EXPECT_FLOAT_EQ(child->fadeRate, 0.002f);
    EXPECT_FLOAT_EQ(child->velocity.x, 0.0005f);
    EXPECT_FLOAT_EQ(child->growth, 0.25f);
    EXPECT_FLOAT_EQ(child->spinRate, 0.02f);
    EXPECT_FALSE(child->spawnsChildren);
    EXPECT_EQ(parent->childTimer, 0);
    // A step far longer than a second still makes one child, and the timer
    // starts again from 0 instead of keeping the surplus.
    parent->step(1500);
    EXPECT_EQ(manager.count, 3);
    EXPECT_EQ(parent->childTimer, 0);
}

TEST(HomingEmitterTest, SteersUntilReleased) {
    TVector target(100.0f, 0.0f, 0.0f);
    THomingEmitter h(&target, 100000, TVector(), 0.0f, 10.0f, 0.0f, 0.0f, 0.0f, 0.0f, nullptr, TVector(), false,
                     true, nullptr, nullptr);
    h.step(10);
    // |d|^2 * t / 1000 * 0.001 towards the target, then damped by 0.0001 * t.
    EXPECT_NEAR(h.velocity.x, 10000.0f * 10.0f / 1000.0f * 0.001f * (1.0f - 0.001f), 1e-6f);
    h.position = target;  // on the target: no direction, no NaN
    h.step(10);
    EXPECT_FALSE(std::isnan(h.velocity.x));
    h.release();
    const TVector v = h.velocity;
    h.step(10);
    EXPECT_EQ(h.target, nullptr);
    EXPECT_FLOAT_EQ(h.velocity.x, v.x);
    EXPECT_EQ(h.lifetime, 4990);
    EXPECT_FLOAT_EQ(h.fadeRate, 0.0005f);
}

TEST(ParticleManagerTest, UpdateSortsAscendingDepthAndFreesTheDead) {
    TParticleManager manager(nullptr);
    int deleted = 0;
    const float depths[] = {5, -3, 40, 7, 0.5f, 12, -8, 3, 9, 22, 1, 2, 18, 6, 4, 11, 13, 17, 15, 14, 30, -1};
    std::vector<float> live;
    int i = 0;
    for (float d : depths) {
        const bool dies = i++ % 3 == 0;
        manager.add(new Probe(d, dies ? 50 : 500, &deleted));
        if (!dies) live.push_back(d);
    }
    // A position that is not a number must not break the sort.
    Probe* odd = manager.add(new Probe(std::numeric_limits<float>::quiet_NaN(), 500, &deleted));
    manager.update(50);
    ASSERT_EQ(manager.count, static_cast<int>(live.size()) + 1);
    EXPECT_EQ(deleted, 22 - static_cast<int>(live.size()));
    std::sort(live.begin(), live.end());
    for (size_t k = 0; k < live.size(); ++k) EXPECT_FLOAT_EQ(manager.items[k]->depth, live[k]) << k;
    EXPECT_EQ(manager.items[live.size()], odd);
    EXPECT_EQ(manager.items[manager.count], nullptr);
    for (int k = 0; k < manager.count; ++k) EXPECT_FALSE(manager.items[k]->dead);
}

TEST(ParticleManagerTest, ChildrenAddedDuringUpdateAreSteppedAndAppended) {
    TParticleManager manager(nullptr);
    TParticleEmitter* parent = manager.add(emitter(5000, 0.0f, true, &manager));
    parent->childTimer = 1000;
    manager.update(100);
    ASSERT_EQ(manager.count, 2);
    // The child joined behind the parent and took its first step in the same
    // pass (lifetime 5000 / 2 - 100).
    auto* child = static_cast<TParticleEmitter*>(manager.items[0] == parent ? manager.items[1] : manager.items[0]);
    EXPECT_EQ(child->lifetime, 2400);
}

TEST(ParticleManagerTest, FullArrayRefusesNewParticlesAndKeepsTheOld) {
    TParticleManager manager(nullptr);
    int deleted = 0;
    TParticleRef<TParticleEmitter> first(manager.add(emitter(1000, 0.0f, true, &manager)));
    while (!manager.isFull()) manager.add(new Probe(1.0f, 1000, &deleted));
    TParticleRef<TParticleEmitter> refused;
    refused.link(emitter(1000, 0.0f));
    EXPECT_EQ(manager.add(refused.get()), nullptr);
    EXPECT_FALSE(refused);  // deleted, and its holder was told
    EXPECT_EQ(manager.add<TParticle>(nullptr), nullptr);
    // A child that does not fit is not made; nothing already held is lost.
    first->childTimer = 1000;
    manager.update(10);
    EXPECT_EQ(manager.count, TParticleManager::kCapacity);
    EXPECT_EQ(deleted, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->lifetime, 990);
}

// A fireball's trail: the manager may free it first (its lifetime runs out
// under a long frame while the fireball lives on); the holder then reads
// null instead of freed memory.
TEST(ParticleLinkTest, HolderIsToldWhenTheManagerFreesItsParticle) {
    TParticleManager manager(nullptr);
    TParticleRef<TParticleEmitter> trail(manager.add(emitter(51000, 0.0f)));
    manager.add(emitter(100000, 0.0f));
    for (int frame = 0; frame < 34; ++frame) manager.update(1500);
    EXPECT_FALSE(trail);
    EXPECT_EQ(trail.get(), nullptr);
    EXPECT_EQ(manager.count, 1);

    // Linking elsewhere or resetting frees the particle's side, so the
    // manager's later deletion touches no stale holder.
    TParticleRef<TParticleEmitter> a(manager.add(emitter(10, 0.0f)));
    {
        TParticleRef<TParticleEmitter> b;
        b.link(a.get());
        EXPECT_FALSE(a);
        EXPECT_TRUE(b);
    }
    TParticleRef<TParticleEmitter> c(manager.add(emitter(10, 0.0f)));
    c.reset();
    manager.update(10);
    EXPECT_EQ(manager.count, 1);

    // The manager frees what it still holds when it goes.
    auto* leftover = new TParticleManager(nullptr);
    TParticleRef<TParticleEmitter> last(leftover->add(emitter(10, 0.0f)));
    delete leftover;
    EXPECT_FALSE(last);
}

TEST(ParticleDepthTest, ThirdRowOfTheView) {
    TCamera camera;
    camera.setPosition(TVector(0, 0, 10));
    EXPECT_FLOAT_EQ(TParticle::viewDepth(&camera, TVector(3, 4, 25)), 15.0f);
    camera.setDirection(TVector(1, 0, 0));
    EXPECT_FLOAT_EQ(TParticle::viewDepth(&camera, TVector(3, 4, 25)), 3.0f);
    EXPECT_FLOAT_EQ(TParticle::viewDepth(static_cast<TCamera*>(nullptr), TVector(3, 4, 25)), 0.0f);
}

}  // namespace
