// The dragon's statistics and items on a dragon without a game: damage
// through armour, levels, the load rules of the inventory, wearing and
// taking off items, and gold.

#include <gtest/gtest.h>

#include "GameTestWindow.h"
#include "engine/TString.h"
#include "game/TDrache.h"
#include "scene/TBone.h"
#include "scene/TSkinnedMesh.h"

namespace {

class Item : public TItemBase {
public:
    Item(int slot, float armourValue, float weightValue) : slot(slot), armourValue(armourValue), weight(weightValue) {}
    float getWeight() const override { return weight; }
    float getArmour() const override { return armourValue; }
    int getSlotType() const override { return slot; }
    void setBone(TBone* b) override { bone = b; }
    TBone* getBone() const override { return bone; }
    void drawWorn() override { ++draws; }
    TString getName() const override { return TString(""); }
    void use(TDrache*) override {}

    int slot;
    float armourValue;
    float weight;
    TBone* bone = nullptr;
    int draws = 0;
};

// Something the dragon may pick up: only its mass matters here.
class Load : public TMovingObject {
public:
    explicit Load(float m) : TMovingObject(1, nullptr, m) {}
    int getSphereCount() override { return 0; }
    TBoundingSphere** getSpheres() override { return nullptr; }
    void getPosition(TVector& out) override { out = TVector(); }
    void setPosition(const TVector&) override {}
    void moveBy(const TVector&) override {}
    void playSound() override {}
    void think() override {}
    int getKind() override { return 3; }
};

class DragonStatsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        engine = gametest::openEngine();
        ASSERT_NE(nullptr, engine);
        mesh = new TSkinnedMesh(TString("mods\\drache\\mesh.pff"), nullptr, nullptr, engine, true);
    }
    static void TearDownTestSuite() {
        delete mesh;
        gametest::closeEngine();
    }
    void SetUp() override { dragon = new TDrache(mesh, nullptr); }
    void TearDown() override { delete dragon; }

    static TEngine* engine;
    static TSkinnedMesh* mesh;
    TDrache* dragon = nullptr;
};

TEngine* DragonStatsTest::engine = nullptr;
TSkinnedMesh* DragonStatsTest::mesh = nullptr;

TEST_F(DragonStatsTest, StartsWithTheStartingStatistics) {
    EXPECT_FLOAT_EQ(200.0f, dragon->getLife());
    EXPECT_FLOAT_EQ(200.0f, dragon->maxLife);
    EXPECT_FLOAT_EQ(600.0f, dragon->maxLoad);
    EXPECT_FLOAT_EQ(1.0f, dragon->firepower);
    EXPECT_EQ(1, dragon->level);
    EXPECT_FLOAT_EQ(100.0f, dragon->nextLevelAt);
    EXPECT_EQ(4, dragon->getKind());
    EXPECT_EQ(2, dragon->collisionLayer);
    EXPECT_FLOAT_EQ(1000.0f, dragon->getMass());
    EXPECT_EQ(0, dragon->onGround);
    EXPECT_TRUE(dragon->isSpecial());
    EXPECT_TRUE(dragon->getSlotName(2).equals("Brust"));
    EXPECT_EQ(0, dragon->getSlotName(6).size());
    EXPECT_EQ(0, dragon->getSlotName(40).size());
}

TEST_F(DragonStatsTest, ArmourReducesDamageAndAbove100Heals) {
    const TVector here;
    dragon->takeDamage(10.0f, here);
    EXPECT_FLOAT_EQ(190.0f, dragon->getLife());
    dragon->armour = 25.0f;
    dragon->takeDamage(10.0f, here);
    EXPECT_FLOAT_EQ(182.5f, dragon->getLife());
    dragon->armour = 100.0f;
    dragon->takeDamage(10.0f, here);
    EXPECT_FLOAT_EQ(182.5f, dragon->getLife());
    dragon->armour = 150.0f;
    dragon->takeDamage(10.0f, here);
    EXPECT_FLOAT_EQ(187.5f, dragon->getLife());
}

TEST_F(DragonStatsTest, LevelThresholdsRiseByHundredTimesTheNewLevel) {
    dragon->experience = 100.5f;
    dragon->levelUp();
    EXPECT_EQ(2, dragon->level);
    EXPECT_EQ(2, dragon->unspentPoints);
    EXPECT_FLOAT_EQ(300.0f, dragon->nextLevelAt);
    dragon->levelUp();
    EXPECT_EQ(3, dragon->level);
    EXPECT_EQ(5, dragon->unspentPoints);
    EXPECT_FLOAT_EQ(600.0f, dragon->nextLevelAt);
    EXPECT_FLOAT_EQ(100.5f, dragon->experience);  // never reset

    dragon->raiseMaxLife(100.0f);
    EXPECT_FLOAT_EQ(300.0f, dragon->maxLife);
    EXPECT_EQ(4, dragon->unspentPoints);
    dragon->addPointsAndHeal(10);
    EXPECT_EQ(14, dragon->unspentPoints);
    EXPECT_FLOAT_EQ(300.0f, dragon->getLife());
}

TEST_F(DragonStatsTest, InventoryMayReachTheMaximumLoadExactly) {
    Item heavy(2, 1.0f, 600.0f);
    Item feather(3, 0.0f, 0.5f);
    EXPECT_TRUE(dragon->addToInventory(&heavy, false));
    EXPECT_FLOAT_EQ(600.0f, dragon->load);
    EXPECT_FALSE(dragon->addToInventory(&feather, false));
    EXPECT_EQ(nullptr, dragon->inventory[1]);

    Item items[10] = {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0},
                      {1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}};
    for (int i = 0; i < 9; ++i) EXPECT_TRUE(dragon->addToInventory(&items[i], false));
    EXPECT_FALSE(dragon->addToInventory(&items[9], false));  // ten slots, all taken
}

TEST_F(DragonStatsTest, PickingUpIsStrictAtTheMaximum) {
    Load exactly(600.0f), less(599.5f);
    EXPECT_FALSE(dragon->canPickUp(&exactly));
    EXPECT_TRUE(dragon->canPickUp(&less));
    dragon->pickUp(&less);
    EXPECT_FLOAT_EQ(599.5f, dragon->load);
}

TEST_F(DragonStatsTest, EquippingSwapsThroughTheInventorySlot) {
    Item first(2, 5.0f, 10.0f), second(2, 8.0f, 20.0f), helmet(1, 2.0f, 5.0f);
    ASSERT_TRUE(dragon->addToInventory(&first, false));
    ASSERT_TRUE(dragon->addToInventory(&second, false));
    ASSERT_TRUE(dragon->addToInventory(&helmet, false));
    EXPECT_FLOAT_EQ(35.0f, dragon->load);

    // What using an inventory item does: its slot takes the replaced one.
    dragon->inventory[0] = dragon->equip(dragon->inventory[0]);
    EXPECT_EQ(nullptr, dragon->inventory[0]);
    EXPECT_FLOAT_EQ(5.0f, dragon->armour);
    ASSERT_NE(nullptr, first.bone);
    EXPECT_TRUE(first.bone->name.equals("Bone05"));

    dragon->inventory[1] = dragon->equip(dragon->inventory[1]);
    EXPECT_EQ(&first, dragon->inventory[1]);
    EXPECT_FLOAT_EQ(8.0f, dragon->armour);
    EXPECT_EQ(&second, dragon->getEquipped(2));

    dragon->inventory[2] = dragon->equip(dragon->inventory[2]);
    EXPECT_FLOAT_EQ(10.0f, dragon->armour);
    EXPECT_TRUE(helmet.bone->name.equals("Bone03"));
    EXPECT_EQ(2, dragon->equipped.count());
    EXPECT_FLOAT_EQ(35.0f, dragon->load);  // worn items still count

    dragon->draw();
    EXPECT_EQ(1, second.draws);
    EXPECT_EQ(1, helmet.draws);
    EXPECT_EQ(0, first.draws);
}

TEST_F(DragonStatsTest, TakingOffAtFullLoadKeepsTheItem) {
    Item armour(2, 10.0f, 100.0f), sack(1, 0.0f, 500.0f);
    ASSERT_TRUE(dragon->addToInventory(&armour, false));
    ASSERT_TRUE(dragon->addToInventory(&sack, false));
    EXPECT_FLOAT_EQ(600.0f, dragon->load);
    dragon->inventory[0] = dragon->equip(dragon->inventory[0]);
    ASSERT_EQ(&armour, dragon->getEquipped(2));

    // The worn item is already counted in the load: it comes back into the
    // inventory although weight + load exceeds the maximum.
    EXPECT_TRUE(dragon->unequip(2, true));
    EXPECT_EQ(nullptr, dragon->getEquipped(2));
    EXPECT_EQ(&armour, dragon->inventory[0]);
    EXPECT_FLOAT_EQ(0.0f, dragon->armour);
    EXPECT_FLOAT_EQ(600.0f, dragon->load);
    EXPECT_FALSE(dragon->unequip(2, true));  // nothing worn there
}

TEST_F(DragonStatsTest, TakingOffIntoAFullInventoryKeepsItWorn) {
    Item worn(3, 4.0f, 1.0f);
    Item filler[10] = {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0},
                       {1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}};
    dragon->equip(&worn);
    for (Item& f : filler) ASSERT_TRUE(dragon->addToInventory(&f, false));
    EXPECT_FALSE(dragon->unequip(3, true));
    EXPECT_EQ(&worn, dragon->getEquipped(3));
    EXPECT_FLOAT_EQ(4.0f, dragon->armour);
    EXPECT_TRUE(dragon->unequip(3, false));
    EXPECT_FLOAT_EQ(0.0f, dragon->armour);
}

TEST_F(DragonStatsTest, DroppingGoldWithNoneCarriedDoesNothing) {
    Item sack(6, 0.0f, 0.0f);
    dragon->equip(&sack);
    dragon->load = 42.0f;
    dragon->dropGold();
    EXPECT_EQ(&sack, dragon->getEquipped(6));
    EXPECT_FLOAT_EQ(42.0f, dragon->load);

    dragon->carriedGold = 3.0f;
    dragon->load = 100.0f;
    dragon->dropGold();
    EXPECT_FLOAT_EQ(0.0f, dragon->carriedGold);
    EXPECT_FLOAT_EQ(70.0f, dragon->load);
    EXPECT_EQ(nullptr, dragon->getEquipped(6));
    EXPECT_TRUE(sack.bone->name.equals("Bone09"));  // the bone stays set
}

TEST_F(DragonStatsTest, ItemsOfUnknownSlotsGetNoBone) {
    Item odd(40, 1.0f, 1.0f);
    odd.bone = reinterpret_cast<TBone*>(&odd);
    EXPECT_EQ(nullptr, dragon->equip(&odd));
    EXPECT_EQ(nullptr, odd.bone);
    EXPECT_FLOAT_EQ(1.0f, dragon->armour);
}

}  // namespace
