// The AI controller without a game: the level's routing table, the arrays
// of thinkers and dwarves with their swap removal, the gold-pile queue, its
// sounds and the loss. The game-facing rules run in the game frame test.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/TSound.h"
#include "game/TKI.h"
#include "game/TKeyField.h"
#include "game/TRoutingTable.h"
#include "platform/sound.h"
#include "scene/TBoundingSphere.h"
#include "scene/TMovingObject.h"

namespace {

// A tower-like object that counts its AI steps.
class Thinker : public TMovingObject {
public:
    explicit Thinker(std::vector<int>* order = nullptr, int id = 0)
        : TMovingObject(0, nullptr, 100.0f), order(order), id(id) {}
    int getSphereCount() override { return 0; }
    TBoundingSphere** getSpheres() override { return nullptr; }
    void getPosition(TVector& out) override { out = TVector(); }
    void setPosition(const TVector&) override {}
    void moveBy(const TVector&) override {}
    void playSound() override {}
    void think() override {
        ++thinks;
        if (order) order->push_back(id);
    }
    int getKind() override { return 0; }

    std::vector<int>* order;
    int id;
    int thinks = 0;
};

// Stand-ins for dwarves and gold piles: the controller only keeps their
// addresses.
TZwerg* dwarf(int i) { return reinterpret_cast<TZwerg*>(0x1000 + 0x10 * i); }
TGoldInstance* pile(int i) { return reinterpret_cast<TGoldInstance*>(0x2000 + 0x10 * i); }

class TKITest : public ::testing::Test {
protected:
    void SetUp() override { ki = TKI::getInstance(nullptr, nullptr); }
    void TearDown() override { TKI::destroyInstance(); }
    TKI* ki = nullptr;
};

TEST_F(TKITest, OneControllerUntilDestroyed) {
    EXPECT_EQ(ki, TKI::getInstance(nullptr, nullptr));
    EXPECT_EQ(ki, TKI::instance());
    TKI::destroyInstance();
    EXPECT_EQ(nullptr, TKI::instance());
    ki = TKI::getInstance(nullptr, nullptr);
    EXPECT_NE(nullptr, ki);
    EXPECT_FALSE(ki->lost);
}

TEST_F(TKITest, LevelFileGivesTheCastleKeyFieldNearTheCentre) {
    ASSERT_EQ(0, ki->loadLevel("Levels\\Level_1.wpf"));
    TKeyField* castle = ki->routingTable->getKeyField("Burg");
    ASSERT_NE(nullptr, castle);
    EXPECT_EQ(castle, ki->getNextKeyField(TVector(1024.0f, 1024.0f, 0.0f)));
    EXPECT_NE(nullptr, ki->routingTable->getWayPoint("4"));
}

TEST_F(TKITest, MissingLevelFileFailsAndLeavesNoKeyField) {
    EXPECT_EQ(-1, ki->loadLevel("Levels\\no_such_level.wpf"));
    EXPECT_EQ(nullptr, ki->getNextKeyField(TVector(1024.0f, 1024.0f, 0.0f)));
}

TEST_F(TKITest, ThinkersLeaveByMovingTheLastIntoTheirPlace) {
    ASSERT_TRUE(ki->allocateArrays(3));
    Thinker a, b, c, d;
    EXPECT_EQ(0, ki->addThinker(&a));
    EXPECT_EQ(1, ki->addThinker(&b));
    EXPECT_EQ(2, ki->addThinker(&c));
    EXPECT_EQ(-1, ki->addThinker(&d));  // full: refused, not written past the end
    EXPECT_EQ(-1, d.index);
    EXPECT_EQ(1, b.index);

    ki->removeThinker(&a);
    EXPECT_EQ(2, ki->thinkerCount);
    EXPECT_EQ(&c, ki->thinkers[0]);
    EXPECT_EQ(0, c.index);
    EXPECT_EQ(-1, a.index);
    ki->removeThinker(&a);  // not in the array any more: nothing happens
    EXPECT_EQ(2, ki->thinkerCount);

    ki->removeThinker(&b);  // the last one leaves without a swap
    EXPECT_EQ(1, ki->thinkerCount);
    EXPECT_EQ(&c, ki->thinkers[0]);
    EXPECT_EQ(nullptr, ki->thinkers[1]);
}

TEST_F(TKITest, WithoutArraysNothingIsAdded) {
    Thinker a;
    EXPECT_EQ(-1, ki->addThinker(&a));
    EXPECT_EQ(-1, ki->addDwarf(dwarf(1)));
}

TEST_F(TKITest, DwarfRemovalReportsTheDwarfThatMoved) {
    ASSERT_TRUE(ki->allocateArrays(TKI::kArrayCapacity));
    EXPECT_EQ(0, ki->addDwarf(dwarf(0)));
    EXPECT_EQ(1, ki->addDwarf(dwarf(1)));
    EXPECT_EQ(2, ki->addDwarf(dwarf(2)));
    EXPECT_EQ(dwarf(2), ki->removeDwarf(0));
    EXPECT_EQ(dwarf(2), ki->dwarves[0]);
    EXPECT_EQ(nullptr, ki->removeDwarf(1));  // the last: nothing moves
    EXPECT_EQ(1, ki->dwarfCount);
    EXPECT_EQ(nullptr, ki->removeDwarf(5));
}

TEST_F(TKITest, ThinkRunsEveryThinkerInArrayOrder) {
    ASSERT_TRUE(ki->allocateArrays(TKI::kArrayCapacity));
    std::vector<int> order;
    Thinker a(&order, 1), b(&order, 2), c(&order, 3);
    ki->addThinker(&a);
    ki->addThinker(&b);
    ki->addThinker(&c);
    ki->removeThinker(&a);  // c takes slot 0
    ki->think();
    ki->think();
    EXPECT_EQ((std::vector<int>{3, 2, 3, 2}), order);
    EXPECT_EQ(0, a.thinks);
    EXPECT_FALSE(ki->lost);
}

TEST_F(TKITest, UnclaimedGoldWaitsInOrderAndLeavesCompletely) {
    TListNode<TGoldEntry>* first = ki->registerGoldInstance(pile(1));
    TListNode<TGoldEntry>* second = ki->registerGoldInstance(pile(2));
    TListNode<TGoldEntry>* third = ki->registerGoldInstance(pile(3));
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(pile(1), first->value->pile);
    EXPECT_EQ(3, ki->goldInstances.count());
    EXPECT_EQ(pile(3), ki->goldInstances.head->value->pile);  // newest first
    ASSERT_EQ(3u, ki->waitingGold.size());
    EXPECT_EQ(pile(1), ki->waitingGold.front());

    ki->unregisterGoldInstance(second);
    EXPECT_EQ(2, ki->goldInstances.count());
    ASSERT_EQ(2u, ki->waitingGold.size());
    EXPECT_EQ(pile(1), ki->waitingGold[0]);
    EXPECT_EQ(pile(3), ki->waitingGold[1]);

    ki->unregisterGoldInstance(first);
    ki->unregisterGoldInstance(third);
    EXPECT_TRUE(ki->goldInstances.isEmpty());
    EXPECT_TRUE(ki->waitingGold.empty());
    EXPECT_FALSE(ki->findFreeBalloon(pile(4)));
}

TEST_F(TKITest, SoundsLoadIntoTheirSlots) {
    ki->loadSounds(nullptr);
    for (int slot : ki->dwarfSounds) EXPECT_GE(slot, 0);
    EXPECT_GE(ki->soundSlots[TKI::SOUND_LOST], 0);
    EXPECT_GE(ki->soundSlots[TKI::SOUND_WIND], 0);
    EXPECT_GE(ki->soundSlots[TKI::SOUND_BIRD], 0);
    EXPECT_GE(ki->soundSlots[TKI::SOUND_BALLOON], 0);
    // Slot 0 holds music; only samples play through playSound.
    ki->playSound(TKI::SOUND_LOST);
    ki->playSound(4);
    ki->playSound(TKI::SOUND_WIND);
}

TEST_F(TKITest, LosingPlaysTheLoseMusicOnce) {
    ki->loadSounds(nullptr);
    TSound* sound = TSound::getInstance();
    const int slot = ki->soundSlots[TKI::SOUND_LOST];
    ASSERT_GE(slot, 0);
    TMusicRecord* music = sound->music[slot];
    ASSERT_NE(nullptr, music);
    ki->lose();
    EXPECT_TRUE(ki->lost);
    const int channel = music->channel;
    EXPECT_NE(0, channel);
    EXPECT_TRUE(FSOUND_IsPlaying(channel));
    ki->lose();  // no second start: the stream keeps its channel
    EXPECT_EQ(channel, music->channel);
    EXPECT_TRUE(FSOUND_IsPlaying(channel));
    FSOUND_Stream_Stop(music->stream);
}

}  // namespace
