// The castle menu over the running game on the generated level: its buttons,
// healing, balloons, buying and throwing away items, what it pays and what
// it refuses, the ways out of its loop, and a picture of it over the game.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "GameTestWindow.h"
#include "engine/Log.h"
#include "engine/TMaterial.h"
#include "engine/TProperties.h"
#include "game/TBallon.h"
#include "game/TBurg.h"
#include "game/TBurgMod.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TItemInstance.h"
#include "gl/OverlayFrame.h"
#include "platform/gl.h"
#include "screens/TBurgMenu.h"
#include "screens/TButton.h"
#include "screens/TMenuFrame.h"
#include "screens/TTopbar.h"

namespace fs = std::filesystem;
using overlay::Frame;
using overlay::Pixel;

namespace {

std::string text(const TString& s) { return s.buffer ? std::string(s.buffer, static_cast<size_t>(s.size())) : ""; }

LPARAM clientPoint(int x, int y) { return static_cast<LPARAM>((static_cast<unsigned>(y) << 16) | static_cast<unsigned>(x)); }

class CastleMenuTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = ::testing::TempDir() + "CastleMenuTest_" + std::to_string(getpid());
        fs::create_directories(folder);
        openLog((folder + "/Log.txt").c_str());
        engine = gametest::openEngine(20);
        ASSERT_NE(nullptr, engine);
        properties = new TProperties();
        properties->set("MAX_BURG_GOLD", "1000");
        TTopbar::getInstance(engine, properties);
        game = new TGame(engine, properties);
        game->topbar = TTopbar::existing();
        menu = new TBurgMenu(game);
        shots = ::testing::TempDir() + "CastleMenuTest_shots";
        fs::create_directories(shots);
    }
    static void TearDownTestSuite() {
        gametest::activeScreen() = nullptr;
        delete menu;
        delete game;
        delete properties;
        TTopbar::destroyInstance();
        gametest::closeEngine();
    }

    void SetUp() override {
        ASSERT_NE(nullptr, game);
        ASSERT_NE(nullptr, game->dragon);
        ASSERT_NE(nullptr, game->castleKind);
        ASSERT_NE(nullptr, game->castleKind->castle);
        ASSERT_EQ(7, game->itemCount);
        dragon = game->dragon;
        castle = game->castleKind;
        bar = TTopbar::existing();
        ASSERT_NE(nullptr, bar);
        for (int slot = 1; slot <= 6; ++slot)
            while (dragon->unequip(slot, false)) {
            }
        for (TItemBase*& item : dragon->inventory) item = nullptr;
        dragon->load = 0.0f;
        dragon->maxLoad = 600.0f;
        dragon->maxLife = 200.0f;
        dragon->life = 200.0f;
        castle->setGold(600.0f);
        menu->selected = -1;
        menu->updateLabels();
        gametest::activeScreen() = menu;
        engine->camera = &game->followCamera;
    }

    // The catalogue index of the item of that name.
    int entry(const char* name) {
        for (int i = 0; i < game->itemCount; ++i)
            if (text(game->items[i]->getName()) == name) return i;
        ADD_FAILURE() << "no item " << name;
        return 0;
    }

    // Clicks of the window's message handler in the middle of a button, as
    // the window procedure hands them to the menu (the window is 640 x 480,
    // as the overlay).
    static LPARAM middle(const TButton* b) {
        return clientPoint(static_cast<int>((b->corner[0].x + b->corner[2].x) / 2),
                           static_cast<int>((b->corner[0].y + b->corner[2].y) / 2));
    }
    void click(const TButton* b) { menu->handleMessage(engine->window, WM_LBUTTONDOWN, MK_LBUTTON, middle(b)); }
    // A double click arrives as a click and then the double click.
    void doubleClick(const TButton* b) {
        click(b);
        menu->handleMessage(engine->window, WM_LBUTTONDBLCLK, MK_LBUTTON, middle(b));
    }

    static std::string logText() {
        logFlush();
        std::ifstream in(folder + "/Log.txt", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    static TEngine* engine;
    static TProperties* properties;
    static TGame* game;
    static TBurgMenu* menu;
    static std::string folder;
    static std::string shots;
    TDrache* dragon = nullptr;
    TBurgMod* castle = nullptr;
    TTopbar* bar = nullptr;
};

TEngine* CastleMenuTest::engine = nullptr;
TProperties* CastleMenuTest::properties = nullptr;
TGame* CastleMenuTest::game = nullptr;
TBurgMenu* CastleMenuTest::menu = nullptr;
std::string CastleMenuTest::folder;
std::string CastleMenuTest::shots;

// ------------------------------------------------------------- buttons ----

TEST_F(CastleMenuTest, ButtonsShowTheInventoryAndTheFirstTenOffers) {
    ASSERT_NE(nullptr, menu->material);
    EXPECT_STREQ("burgMenu", menu->material->name);
    EXPECT_STREQ("menu_elemente.tga", menu->material->layers[0].textureName);
    EXPECT_EQ(22, menu->children.count());
    EXPECT_EQ("Heilen (100 Gold)", text(menu->healButton->caption));
    EXPECT_EQ("Ballon kaufen (100 Gold)", text(menu->balloonButton->caption));

    // Seven items in the catalogue: offers 0 to 6 named, 7 to 9 "leer".
    for (int k = 0; k < TBurgMenu::kSlotCount; ++k) {
        const std::string expected = k < 7 ? text(game->items[k]->getName()) : "leer";
        EXPECT_EQ(expected, text(menu->offerButton[k]->caption)) << k;
        EXPECT_EQ("leer", text(menu->inventoryButton[k]->caption)) << k;
    }
    dragon->inventory[4] = game->items[2];
    menu->updateLabels();
    EXPECT_EQ(text(game->items[2]->getName()), text(menu->inventoryButton[4]->caption));

    // A click selects an offer, also one without an entry.
    click(menu->offerButton[3]);
    EXPECT_EQ(3, menu->selected);
    click(menu->offerButton[7]);
    EXPECT_EQ(7, menu->selected);
    EXPECT_EQ(nullptr, menu->offer(7));
    // Clicks on the border or outside every button change nothing.
    menu->handleMessage(engine->window, WM_LBUTTONDOWN, MK_LBUTTON, clientPoint(100, 75));
    menu->handleMessage(engine->window, WM_LBUTTONDOWN, MK_LBUTTON, clientPoint(350, 75));
    EXPECT_EQ(7, menu->selected);
    EXPECT_FLOAT_EQ(600.0f, castle->gold);
}

// The castle's gold always; the selected offer's name and price only while
// the offer exists.
TEST_F(CastleMenuTest, TextsShowTheGoldAndTheSelectedOfferWithItsPrice) {
    castle->setGold(612.34f);
    std::vector<TMenuLine> lines = menu->textLines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(320.0f, lines[0].y);
    EXPECT_EQ("Aktueller Goldstand: 612.3", lines[0].text);

    click(menu->offerButton[entry("Eisenhelm")]);  // armour 5
    lines = menu->textLines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(340.0f, lines[1].y);
    EXPECT_EQ("Gegenstand: Eisenhelm", lines[1].text);
    EXPECT_EQ(360.0f, lines[2].y);
    EXPECT_EQ("Kosten: 25.0", lines[2].text);

    click(menu->offerButton[7]);  // no entry
    EXPECT_EQ(1u, menu->textLines().size());
}

// While the menu is open the world behind it turns by 0.005 radian a frame
// about the vertical axis.
TEST_F(CastleMenuTest, ViewBehindTheMenuTurnsAFrameAtATime) {
    ASSERT_EQ(0, game->paused);
    engine->fpsCounter.fps = 1.0f;  // the world stands still, its follow camera too
    TCamera& camera = game->followCamera;
    camera.up = TVector(0.0f, 1.0f, 0.0f);
    camera.setDirection(TVector(0.0f, -0.6f, 0.8f));
    for (int i = 0; i < 4; ++i) menu->draw();
    const TVector d = camera.getDirection();
    EXPECT_NEAR(-std::acos(-1.0f) / 2.0f + 0.02f, std::atan2(d.y, d.x), 1e-4f);
    EXPECT_NEAR(0.8f, d.z, 1e-5f);
    EXPECT_EQ(1.0f, camera.up.z);
}

// ------------------------------------------------------------- healing ----

TEST_F(CastleMenuTest, HealingNeedsMoreThanItsPriceAndHealsToTheMaximum) {
    dragon->life = 50.0f;
    bar->setLife(0.25f);
    castle->setGold(100.0f);
    click(menu->healButton);
    EXPECT_FLOAT_EQ(50.0f, dragon->life);
    EXPECT_FLOAT_EQ(100.0f, castle->gold);
    EXPECT_FLOAT_EQ(0.25f, bar->fraction[TTopbar::kLife]);

    castle->setGold(100.5f);
    click(menu->healButton);
    EXPECT_FLOAT_EQ(200.0f, dragon->life);
    EXPECT_FLOAT_EQ(0.5f, castle->gold);
    EXPECT_FLOAT_EQ(1.0f, bar->fraction[TTopbar::kLife]);
    EXPECT_FLOAT_EQ(0.0005f, bar->fraction[TTopbar::kGold]);

    // With the maximum raised it heals to the new maximum; at full life it
    // still takes the gold.
    dragon->maxLife = 300.0f;
    castle->setGold(600.0f);
    click(menu->healButton);
    EXPECT_FLOAT_EQ(300.0f, dragon->life);
    EXPECT_FLOAT_EQ(500.0f, castle->gold);
    click(menu->healButton);
    EXPECT_FLOAT_EQ(400.0f, castle->gold);
}

// ------------------------------------------------------------ balloons ----

TEST_F(CastleMenuTest, BalloonNeedsItsHundredGoldAndThenFliesOverTheCastle) {
    const int before = castle->getBalloonCount();
    const size_t logMark = logText().size();

    castle->setGold(99.9f);
    click(menu->balloonButton);
    EXPECT_EQ(before, castle->getBalloonCount());
    EXPECT_FLOAT_EQ(99.9f, castle->gold);

    castle->setGold(100.0f);
    click(menu->balloonButton);
    ASSERT_EQ(before + 1, castle->getBalloonCount());
    EXPECT_FLOAT_EQ(0.0f, castle->gold);
    EXPECT_EQ(before + 1, bar->balloonCount);
    const TBallon* balloon = castle->balloons.back();
    const TVector home = castle->castle->getPosition();
    EXPECT_FLOAT_EQ(home.x, balloon->getPosition().x);
    EXPECT_FLOAT_EQ(home.z - 30.0f, balloon->getPosition().z);
    bool listed = false;
    for (TListNode<TMovingObject>* n = game->objects.head; n; n = n->next)
        listed = listed || n->value == static_cast<const TMovingObject*>(balloon);
    EXPECT_TRUE(listed);

    castle->setGold(250.0f);
    click(menu->balloonButton);
    EXPECT_EQ(before + 2, castle->getBalloonCount());
    EXPECT_FLOAT_EQ(150.0f, castle->gold);
    EXPECT_EQ(before + 2, bar->balloonCount);
    const std::string log = logText().substr(logMark);
    EXPECT_NE(std::string::npos, log.find("Anz Ballone: " + std::to_string(before + 1) + "\n"));
    EXPECT_NE(std::string::npos, log.find("Anz Ballone: " + std::to_string(before + 2) + "\n"));
}

// --------------------------------------------------------------- items ----

TEST_F(CastleMenuTest, BuyingAnItemPaysItsPriceOnlyWhenItIsPlaced) {
    const int helmet = entry("Eisenhelm");  // armour 5, weight 20
    TButton* offer = menu->offerButton[helmet];
    TItemBase* item = game->items[helmet];
    EXPECT_FLOAT_EQ(25.0f, TBurgMenu::priceOf(item));

    // The price must stay strictly below the gold.
    castle->setGold(25.0f);
    doubleClick(offer);
    EXPECT_EQ(helmet, menu->selected);  // the double click's first click selects
    EXPECT_EQ(nullptr, dragon->inventory[0]);
    EXPECT_FLOAT_EQ(25.0f, castle->gold);

    castle->setGold(25.1f);
    doubleClick(offer);
    EXPECT_EQ(item, dragon->inventory[0]);
    EXPECT_FLOAT_EQ(20.0f, dragon->load);
    EXPECT_NEAR(0.1f, castle->gold, 1e-5f);
    EXPECT_EQ("Eisenhelm", text(menu->inventoryButton[0]->caption));

    // The same entry again goes into the next slot: one instance, two slots.
    castle->setGold(600.0f);
    doubleClick(offer);
    EXPECT_EQ(item, dragon->inventory[1]);
    EXPECT_FLOAT_EQ(40.0f, dragon->load);
    EXPECT_FLOAT_EQ(575.0f, castle->gold);

    // Too heavy: nothing placed, nothing paid (exactly the maximum fits).
    dragon->maxLoad = 59.0f;
    doubleClick(offer);
    EXPECT_EQ(nullptr, dragon->inventory[2]);
    EXPECT_FLOAT_EQ(40.0f, dragon->load);
    EXPECT_FLOAT_EQ(575.0f, castle->gold);
    dragon->maxLoad = 60.0f;
    doubleClick(offer);
    EXPECT_EQ(item, dragon->inventory[2]);
    EXPECT_FLOAT_EQ(550.0f, castle->gold);

    // Every slot taken: nothing placed, nothing paid.
    dragon->maxLoad = 600.0f;
    for (TItemBase*& slot : dragon->inventory)
        if (!slot) slot = game->items[entry("Schwanzring")];
    const float load = dragon->load;
    doubleClick(offer);
    EXPECT_FLOAT_EQ(load, dragon->load);
    EXPECT_FLOAT_EQ(550.0f, castle->gold);

    // A double click on an offer without an entry does nothing.
    doubleClick(menu->offerButton[8]);
    EXPECT_EQ(8, menu->selected);
    EXPECT_FLOAT_EQ(550.0f, castle->gold);
}

TEST_F(CastleMenuTest, ThrowingAnItemAwayLightensTheLoadAndReturnsNoGold) {
    const int armour = entry("Schuppenpanzer");  // price 400, weight 90
    doubleClick(menu->offerButton[armour]);
    ASSERT_EQ(game->items[armour], dragon->inventory[0]);
    EXPECT_FLOAT_EQ(200.0f, castle->gold);
    EXPECT_FLOAT_EQ(90.0f, dragon->load);

    doubleClick(menu->inventoryButton[0]);
    EXPECT_EQ(nullptr, dragon->inventory[0]);
    EXPECT_FLOAT_EQ(0.0f, dragon->load);
    EXPECT_FLOAT_EQ(200.0f, castle->gold);
    EXPECT_EQ("leer", text(menu->inventoryButton[0]->caption));
    EXPECT_EQ(game->items[armour], menu->offer(armour));  // still on offer

    // An empty slot changes nothing.
    doubleClick(menu->inventoryButton[5]);
    EXPECT_FLOAT_EQ(0.0f, dragon->load);
    EXPECT_FLOAT_EQ(200.0f, castle->gold);
}

// ------------------------------------------------------------ the loop ----

TEST_F(CastleMenuTest, RightClickEscAndQuitCloseTheMenuWithZero) {
    menu->selected = 3;
    PostMessageA(engine->window, WM_RBUTTONDOWN, MK_RBUTTON, clientPoint(300, 300));
    EXPECT_EQ(0, menu->run());
    EXPECT_EQ(-1, menu->selected);  // every visit starts with nothing selected
    EXPECT_EQ(static_cast<TRenderable*>(static_cast<TMenu*>(menu)), engine->screen);

    PostMessageA(engine->window, WM_CHAR, 27, 0);
    EXPECT_EQ(0, menu->run());
    PostQuitMessage(0);
    EXPECT_EQ(0, menu->run());
}

TEST_F(CastleMenuTest, ClicksThroughTheWindowBuyWhileTheMenuRuns) {
    const int ring = entry("Schwanzring");  // price 16
    const LPARAM at = middle(menu->offerButton[ring]);
    PostMessageA(engine->window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(engine->window, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(engine->window, WM_LBUTTONDOWN, MK_LBUTTON, middle(menu->healButton));
    PostMessageA(engine->window, WM_RBUTTONDOWN, MK_RBUTTON, clientPoint(300, 300));
    dragon->life = 10.0f;
    EXPECT_EQ(0, menu->run());
    EXPECT_EQ(game->items[ring], dragon->inventory[0]);
    EXPECT_FLOAT_EQ(200.0f, dragon->life);
    EXPECT_FLOAT_EQ(600.0f - 16.0f - 100.0f, castle->gold);
}

// ---------------------------------------------------------- the picture ----

// Captions are white drawn half transparent: light grey over the panel.
bool isText(const Pixel& p) {
    const int lo = std::min(p.r, std::min(p.g, p.b)), hi = std::max(p.r, std::max(p.g, p.b));
    return lo > 140 && hi - lo < 30;
}

// One frame of the menu over the game, read back before the swap.
Frame drawMenu(TEngine* engine, TBurgMenu* menu) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    engine->camera->apply();
    engine->screen = static_cast<TMenu*>(menu);
    engine->screen->render();
    return overlay::capture(engine);
}

TEST_F(CastleMenuTest, PictureOfTheMenuOverTheGame) {
    castle->setGold(700.0f);
    click(menu->balloonButton);
    doubleClick(menu->offerButton[entry("Hoernerhelm")]);
    ASSERT_NE(nullptr, dragon->inventory[0]);
    menu->selected = entry("Kettenhemd");
    dragon->life = 120.0f;
    engine->screen = static_cast<TMenu*>(menu);
    engine->fpsCounter.fps = 50.0f;
    for (int i = 0; i < 3; ++i) engine->renderFrame();
    const Frame f = drawMenu(engine, menu);
    ASSERT_TRUE(f.save(shots + "/castle_menu.png"));
    std::printf("picture: %s\n", (shots + "/castle_menu.png").c_str());

    // Captions: offers in the left columns, the bought helmet and "leer" in
    // the inventory, both shop buttons, the gold and the selected offer.
    EXPECT_GT(f.count(100, 200, 60, 90, isText), 10);   // offer 0
    EXPECT_GT(f.count(200, 300, 210, 240, isText), 5);   // offer 8: "leer"
    EXPECT_GT(f.count(400, 500, 60, 90, isText), 10);   // the helmet
    EXPECT_GT(f.count(500, 600, 60, 90, isText), 10);   // "leer"
    EXPECT_GT(f.count(100, 300, 372, 398, isText), 10);  // "Ballon kaufen (100 Gold)"
    EXPECT_GT(f.count(100, 300, 402, 428, isText), 10);  // "Heilen (100 Gold)"
    EXPECT_GT(f.count(100, 300, 306, 322, isText), 30);  // "Aktueller Goldstand"
    // The offer lines are read left of x 190, clear of the dragon's wings
    // behind the menu, which flap into those rows; a few sparks of the world
    // behind may still pass through them.
    EXPECT_GT(f.count(100, 190, 326, 342, isText), 30);  // "Gegenstand: Kettenhemd"
    EXPECT_GT(f.count(100, 190, 346, 362, isText), 20);  // "Kosten: 144.0"
    EXPECT_GT(f.count(400, 630, 428, 445, isText), 30);  // "Uebrige Punkte"
    EXPECT_EQ(0, f.count(310, 395, 60, 290, isText));    // nothing between the columns
    // The balloon in the top bar: its icon and its count.
    EXPECT_GT(f.count(520, 540, 28, 42, isText), 3);

    // Without a selection the two offer lines are gone; the gold stays.
    menu->selected = 7;  // an offer without an entry
    const Frame g = drawMenu(engine, menu);
    EXPECT_GT(g.count(100, 300, 306, 322, isText), 30);
    EXPECT_LT(g.count(100, 190, 326, 342, isText), 8);
    EXPECT_LT(g.count(100, 190, 346, 362, isText), 8);
}

}  // namespace
