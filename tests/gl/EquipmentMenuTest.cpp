// The equipment menu over the running game on the generated level: menu
// elements and click routing, the menu's loop and its ways out, spending
// points, wearing and taking off items, and pictures of the menu and of the
// dragon wearing its items.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "GameTestWindow.h"
#include "engine/TFont.h"
#include "engine/TMaterial.h"
#include "engine/TProperties.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TItemInstance.h"
#include "gl/OverlayFrame.h"
#include "platform/gl.h"
#include "scene/TBone.h"
#include "screens/TButton.h"
#include "screens/TEquipmentMenu.h"
#include "screens/TMenu.h"
#include "screens/TMenuFrame.h"

namespace fs = std::filesystem;
using overlay::Frame;
using overlay::Pixel;

namespace {

// Records what reaches a listener.
class Recorder : public TButtonListener {
public:
    void onClick(TMenuElement* source, TVector* point) override {
        events.push_back({source, false, *point});
    }
    void onDoubleClick(TMenuElement* source, TVector* point) override {
        events.push_back({source, true, *point});
    }
    struct Event {
        TMenuElement* source;
        bool twice;
        TVector point;
    };
    std::vector<Event> events;
};

// The menu with a count of the frames it draws.
class CountingMenu : public TEquipmentMenu {
public:
    explicit CountingMenu(TGame* game) : TEquipmentMenu(game) {}
    void draw() override {
        ++frames;
        cursorCounter = ShowCursor(FALSE) + 1;
        ShowCursor(TRUE);
        TEquipmentMenu::draw();
    }
    int frames = 0;
    int cursorCounter = 0;  // the cursor's display counter while drawing
};

std::string text(const TString& s) { return s.buffer ? std::string(s.buffer, static_cast<size_t>(s.size())) : ""; }

LPARAM clientPoint(int x, int y) { return static_cast<LPARAM>((static_cast<unsigned>(y) << 16) | static_cast<unsigned>(x)); }

class EquipmentMenuTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        engine = gametest::openEngine(20);
        ASSERT_NE(nullptr, engine);
        properties = new TProperties();
        game = new TGame(engine, properties);
        menu = new CountingMenu(game);
        shots = ::testing::TempDir() + "EquipmentMenuTest_shots";
        fs::create_directories(shots);
    }
    static void TearDownTestSuite() {
        gametest::activeScreen() = nullptr;
        delete menu;
        delete game;
        delete properties;
        gametest::closeEngine();
    }

    void SetUp() override {
        ASSERT_NE(nullptr, game);
        ASSERT_NE(nullptr, game->dragon);
        ASSERT_EQ(7, game->itemCount);
        dragon = game->dragon;
        for (int slot = 1; slot <= 6; ++slot)
            while (dragon->unequip(slot, false)) {
            }
        for (TItemBase*& item : dragon->inventory) item = nullptr;
        dragon->unspentPoints = 0;
        dragon->load = 0.0f;
        dragon->maxLoad = 600.0f;
        dragon->maxLife = 200.0f;
        dragon->firepower = 1.0f;
        dragon->speed = 1.0f;
        gametest::activeScreen() = menu;
        engine->camera = &game->followCamera;
    }

    // The catalogue entry of that name.
    TItemInstance* item(const char* name) {
        for (int i = 0; i < game->itemCount; ++i) {
            TItemInstance* it = static_cast<TItemInstance*>(game->items[i]);
            if (text(it->getName()) == name) return it;
        }
        ADD_FAILURE() << "no item " << name;
        return nullptr;
    }

    // A click (and a double click) of the window's message handler at the
    // client point, as the window procedure hands it to the menu.
    void click(int x, int y) { menu->handleMessage(engine->window, WM_LBUTTONDOWN, MK_LBUTTON, clientPoint(x, y)); }
    void doubleClick(int x, int y) {
        click(x, y);
        menu->handleMessage(engine->window, WM_LBUTTONDBLCLK, MK_LBUTTON, clientPoint(x, y));
    }
    // The middle of a button (the window is 640 x 480, as the overlay).
    void doubleClick(const TButton* b) {
        doubleClick(static_cast<int>((b->corner[0].x + b->corner[2].x) / 2),
                    static_cast<int>((b->corner[0].y + b->corner[2].y) / 2));
    }
    void click(const TButton* b) {
        click(static_cast<int>((b->corner[0].x + b->corner[2].x) / 2),
              static_cast<int>((b->corner[0].y + b->corner[2].y) / 2));
    }

    static TEngine* engine;
    static TProperties* properties;
    static TGame* game;
    static CountingMenu* menu;
    static std::string shots;
    TDrache* dragon = nullptr;
};

TEngine* EquipmentMenuTest::engine = nullptr;
TProperties* EquipmentMenuTest::properties = nullptr;
TGame* EquipmentMenuTest::game = nullptr;
CountingMenu* EquipmentMenuTest::menu = nullptr;
std::string EquipmentMenuTest::shots;

// ------------------------------------------------- elements and routing ----

TEST_F(EquipmentMenuTest, MenusHandClicksToTheChildUnderThePointInsideItsBorder) {
    Recorder r;
    TMenu outer(nullptr, nullptr, &r, TVector(0, 0, 0), TVector(640, 480, 0), TVector(0, 0, 0), TVector(1, 1, 0));
    TMenuElement* first = new TMenuElement(nullptr, nullptr, &r, TVector(100, 100, 0), TVector(200, 150, 0),
                                           TVector(0, 0, 0), TVector(1, 1, 0));
    TMenuElement* second = new TMenuElement(nullptr, nullptr, &r, TVector(150, 120, 0), TVector(250, 170, 0),
                                            TVector(0, 0, 0), TVector(1, 1, 0));
    outer.insert(first);
    outer.insert(second);
    EXPECT_EQ(second, outer.children.head->value);  // last inserted first

    outer.onClick(TVector(120, 110, 0));        // first only
    outer.onClick(TVector(170, 130, 0));        // both: the last inserted wins
    outer.onClick(TVector(100, 130, 0));        // on first's left border: nobody
    outer.onClick(TVector(120, 100, 0));        // on first's top border: nobody
    outer.onClick(TVector(400, 400, 0));        // the menu's own background: nobody
    outer.onDoubleClick(TVector(240, 160, 0));  // second only
    ASSERT_EQ(3u, r.events.size());
    EXPECT_EQ(first, r.events[0].source);
    EXPECT_FLOAT_EQ(120.0f, r.events[0].point.x);
    EXPECT_FLOAT_EQ(110.0f, r.events[0].point.y);
    EXPECT_EQ(second, r.events[1].source);
    EXPECT_FALSE(r.events[1].twice);
    EXPECT_EQ(second, r.events[2].source);
    EXPECT_TRUE(r.events[2].twice);
}

TEST_F(EquipmentMenuTest, WindowPointsBecomeOverlayPoints) {
    const int width = engine->width, height = engine->height;
    engine->width = 800;
    engine->height = 600;
    const TVector p = TMenuFrame::overlayPoint(engine, clientPoint(400, 300));
    engine->width = width;
    engine->height = height;
    EXPECT_FLOAT_EQ(320.0f, p.x);
    EXPECT_FLOAT_EQ(240.0f, p.y);
    EXPECT_FLOAT_EQ(0.0f, p.z);
}

TEST_F(EquipmentMenuTest, ButtonsShowSlotsAndItemsWithCentredCaptions) {
    EXPECT_EQ(19, menu->children.count());
    EXPECT_EQ(menu->speedButton, menu->children.head->value);
    EXPECT_EQ(menu->slotButton[0], menu->children.tail->value);
    EXPECT_EQ(static_cast<TButtonListener*>(menu), menu->listener);
    ASSERT_NE(nullptr, menu->material);
    EXPECT_EQ(menu->material, engine->findMaterial(TString("equipmentMenu")));
    EXPECT_EQ(engine->getFont(-14, 400), menu->font);

    // Before any run the inventory says "Leer" and the body slots nothing.
    CountingMenu fresh(game);
    EXPECT_EQ("Leer", text(fresh.inventoryButton[0]->caption));
    EXPECT_EQ(0, fresh.slotButton[0]->caption.size());
    EXPECT_EQ("steigern", text(fresh.loadButton->caption));

    menu->updateLabels();
    EXPECT_EQ("Kopf", text(menu->slotButton[0]->caption));
    EXPECT_EQ("Arm R", text(menu->slotButton[4]->caption));
    EXPECT_EQ("leer", text(menu->inventoryButton[9]->caption));

    // The caption's base line sits 7 below the middle, its width centred.
    const TButton* head = menu->slotButton[0];
    const float w = head->captionWidth();
    EXPECT_GT(w, 20.0f);
    EXPECT_LT(w, 80.0f);
    EXPECT_FLOAT_EQ(132.0f, head->captionPos.y);
    EXPECT_FLOAT_EQ(200.0f - 0.5f * w, head->captionPos.x);
    TButton empty(engine, nullptr, nullptr, TVector(0, 0, 0), TVector(100, 50, 0), TVector(), TVector(), TString(""),
                  menu->font);
    EXPECT_FLOAT_EQ(50.0f, empty.captionPos.x);
    EXPECT_FLOAT_EQ(32.0f, empty.captionPos.y);
}

// ---------------------------------------------------------- the points ----

TEST_F(EquipmentMenuTest, SteigernSpendsOnePointEachAndNothingWithoutPoints) {
    for (const TButton* b : {menu->speedButton, menu->lifeButton, menu->firepowerButton, menu->loadButton}) click(b);
    EXPECT_FLOAT_EQ(1.0f, dragon->speed);
    EXPECT_FLOAT_EQ(200.0f, dragon->maxLife);
    EXPECT_FLOAT_EQ(1.0f, dragon->firepower);
    EXPECT_FLOAT_EQ(600.0f, dragon->maxLoad);
    EXPECT_EQ(0, dragon->unspentPoints);

    dragon->unspentPoints = 1;
    click(menu->speedButton);
    EXPECT_FLOAT_EQ(1.1f, dragon->speed);
    EXPECT_EQ(0, dragon->unspentPoints);
    click(menu->speedButton);
    EXPECT_FLOAT_EQ(1.1f, dragon->speed);

    dragon->unspentPoints = 3;
    click(menu->lifeButton);
    click(menu->firepowerButton);
    click(menu->loadButton);
    EXPECT_FLOAT_EQ(300.0f, dragon->maxLife);
    EXPECT_FLOAT_EQ(1.1f, dragon->firepower);
    EXPECT_FLOAT_EQ(700.0f, dragon->maxLoad);
    EXPECT_EQ(0, dragon->unspentPoints);

    // Between the firepower and speed buttons (their shared border) and on
    // a body slot a click spends nothing; neither does one outside the menu.
    dragon->unspentPoints = 2;
    click(330, 405);
    click(menu->slotButton[0]);
    click(5, 5);
    EXPECT_EQ(2, dragon->unspentPoints);
    // A double click is a click first, then the double click.
    doubleClick(menu->speedButton);
    EXPECT_EQ(1, dragon->unspentPoints);
}

// ----------------------------------------------------------- the items ----

TEST_F(EquipmentMenuTest, DoubleClicksPutItemsOnSwapThemAndTakeThemOff) {
    TItemInstance* chain = item("Kettenhemd");
    TItemInstance* scales = item("Schuppenpanzer");
    TItemInstance* helmet = item("Eisenhelm");
    ASSERT_TRUE(dragon->addToInventory(chain, false));
    ASSERT_TRUE(dragon->addToInventory(scales, false));
    ASSERT_TRUE(dragon->addToInventory(helmet, false));
    const float load = dragon->load;
    menu->updateLabels();
    EXPECT_EQ("Kettenhemd", text(menu->inventoryButton[0]->caption));
    EXPECT_EQ("Brust", text(menu->slotButton[1]->caption));

    doubleClick(menu->inventoryButton[0]);
    EXPECT_EQ(chain, dragon->getEquipped(2));
    EXPECT_EQ(nullptr, dragon->inventory[0]);
    EXPECT_FLOAT_EQ(12.0f, dragon->armour);
    EXPECT_TRUE(chain->bone && chain->bone->name.equals("Bone05"));
    EXPECT_EQ("Kettenhemd", text(menu->slotButton[1]->caption));
    EXPECT_EQ("leer", text(menu->inventoryButton[0]->caption));

    // The scale armour takes the chest: the chain mail goes to its slot.
    doubleClick(menu->inventoryButton[1]);
    EXPECT_EQ(scales, dragon->getEquipped(2));
    EXPECT_EQ(chain, dragon->inventory[1]);
    EXPECT_FLOAT_EQ(20.0f, dragon->armour);
    EXPECT_EQ("Schuppenpanzer", text(menu->slotButton[1]->caption));
    EXPECT_EQ("Kettenhemd", text(menu->inventoryButton[1]->caption));

    doubleClick(menu->inventoryButton[2]);
    EXPECT_EQ(helmet, dragon->getEquipped(1));
    EXPECT_EQ("Eisenhelm", text(menu->slotButton[0]->caption));
    EXPECT_FLOAT_EQ(load, dragon->load);  // worn items still weigh

    // An empty inventory slot and an empty body slot change nothing.
    doubleClick(menu->inventoryButton[5]);
    doubleClick(menu->slotButton[2]);
    EXPECT_FLOAT_EQ(25.0f, dragon->armour);

    // Taking off at full load: the worn item is already counted, so it
    // comes back into the inventory.
    dragon->load = dragon->maxLoad;
    doubleClick(menu->slotButton[1]);
    EXPECT_EQ(nullptr, dragon->getEquipped(2));
    EXPECT_EQ(scales, dragon->inventory[0]);
    EXPECT_FLOAT_EQ(5.0f, dragon->armour);
    EXPECT_FLOAT_EQ(dragon->maxLoad, dragon->load);
    EXPECT_EQ("Brust", text(menu->slotButton[1]->caption));
    EXPECT_EQ("Schuppenpanzer", text(menu->inventoryButton[0]->caption));

    // An instance that is not in the inventory does nothing when used.
    TItemInstance* ring = item("Schwanzring");
    ring->use(dragon);
    EXPECT_EQ(nullptr, dragon->getEquipped(3));
}

// ------------------------------------------------------------ the loop ----

TEST_F(EquipmentMenuTest, EscRightClickAndQuitCloseTheMenuWithZero) {
    const int counter = ShowCursor(FALSE) + 1;
    ShowCursor(TRUE);

    menu->frames = 0;
    PostMessageA(engine->window, WM_CHAR, 27, 0);
    EXPECT_EQ(0, menu->run());
    EXPECT_EQ(1, menu->frames);
    EXPECT_EQ(counter + 1, menu->cursorCounter);  // shown while open
    EXPECT_EQ(counter, ShowCursor(FALSE) + 1);    // and hidden again
    ShowCursor(TRUE);
    EXPECT_EQ(static_cast<TRenderable*>(static_cast<TMenu*>(menu)), engine->screen);

    // A right click posts the quit message, which ends the loop.
    menu->frames = 0;
    PostMessageA(engine->window, WM_RBUTTONDOWN, MK_RBUTTON, clientPoint(300, 300));
    EXPECT_EQ(0, menu->run());
    EXPECT_GE(menu->frames, 1);
    EXPECT_LE(menu->frames, 2);

    menu->frames = 0;
    PostQuitMessage(0);
    EXPECT_EQ(0, menu->run());
    EXPECT_EQ(1, menu->frames);
}

TEST_F(EquipmentMenuTest, AtMostAHundredMessagesAPass) {
    for (int queued : {99, 100, 150}) {
        for (int i = 0; i < queued; ++i) PostMessageA(engine->window, WM_MOUSEMOVE, 0, clientPoint(320, 240));
        PostMessageA(engine->window, WM_CHAR, 27, 0);
        menu->frames = 0;
        EXPECT_EQ(0, menu->run());
        EXPECT_EQ(queued < 100 ? 1 : 2, menu->frames) << queued;
    }
}

TEST_F(EquipmentMenuTest, TheGameBehindKeepsTheCursorAndHoldsNoKeys) {
    game->keyState[VK_LEFT] = 1;
    SetCursorPos(500, 100);
    PostMessageA(engine->window, WM_CHAR, 27, 0);
    menu->run();
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(500, p.x);
    EXPECT_EQ(100, p.y);
    EXPECT_EQ(0, game->keyState[VK_LEFT]);
    SetCursorPos(TGame::kCursorCentre, TGame::kCursorCentre);
}

// While the menu is open the world behind it turns by 0.005 radian a frame
// about the vertical axis, the camera's up becoming (0, 0, 1).
TEST_F(EquipmentMenuTest, ViewBehindTheMenuTurnsAFrameAtATime) {
    ASSERT_EQ(0, game->paused);
    engine->fpsCounter.fps = 1.0f;  // the world stands still, its follow camera too
    TCamera& camera = game->followCamera;
    camera.up = TVector(0.0f, 1.0f, 0.0f);
    camera.setDirection(TVector(0.6f, 0.0f, -0.8f));
    for (int i = 0; i < 10; ++i) menu->draw();
    const TVector d = camera.getDirection();
    EXPECT_NEAR(0.05f, std::atan2(d.y, d.x), 1e-4f);
    EXPECT_NEAR(-0.8f, d.z, 1e-5f);
    EXPECT_NEAR(1.0f, d.length(), 1e-5f);
    EXPECT_EQ(0.0f, camera.up.x);
    EXPECT_EQ(0.0f, camera.up.y);
    EXPECT_EQ(1.0f, camera.up.z);
    // The view looks the new way.
    EXPECT_NEAR(d.x, camera.view.m[2], 1e-5f);
    EXPECT_NEAR(d.y, camera.view.m[6], 1e-5f);
}

// The statistics block both menus show below their own texts.
TEST_F(EquipmentMenuTest, StatisticsBlockTexts) {
    const float armour = dragon->armour, life = dragon->life, experience = dragon->experience;
    const float nextLevelAt = dragon->nextLevelAt;
    const int level = dragon->level;
    dragon->load = 123.4f;
    dragon->armour = 7.6f;
    dragon->life = 150.4f;
    dragon->level = 3;
    dragon->experience = 321.7f;
    dragon->nextLevelAt = 600.0f;
    dragon->firepower = 1.3f;
    dragon->speed = 1.6f;
    dragon->unspentPoints = 4;
    const std::vector<TMenuLine> lines = TMenuFrame::statisticsLines(dragon);
    const TMenuLine expected[] = {
        {320.0f, "Last aktuell/maximal:  123/ 600"},
        {340.0f, "Ruestungsklasse:    8"},
        {360.0f, "Lebensenergie aktuell/maximal:  150/ 200"},
        {380.0f, "Level 3 Exp: aktuell/level Up:  322/ 600"},
        {400.0f, "Feuerkraft:  1.3"},
        {420.0f, "Geschwindigkeit:  1.6"},
        {440.0f, "Uebrige Punkte: 4"},
    };
    ASSERT_EQ(7u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(expected[i].y, lines[i].y);
        EXPECT_EQ(expected[i].text, lines[i].text);
    }
    EXPECT_TRUE(TMenuFrame::statisticsLines(nullptr).empty());
    dragon->armour = armour;
    dragon->life = life;
    dragon->level = level;
    dragon->experience = experience;
    dragon->nextLevelAt = nextLevelAt;
}

// ---------------------------------------------------------- the pictures ----

// Captions are white drawn half transparent: light grey over the panel.
bool isText(const Pixel& p) {
    const int lo = std::min(p.r, std::min(p.g, p.b)), hi = std::max(p.r, std::max(p.g, p.b));
    return lo > 140 && hi - lo < 30;
}

TEST_F(EquipmentMenuTest, PictureOfTheMenuOverTheGame) {
    ASSERT_TRUE(dragon->addToInventory(item("Hoernerhelm"), false));
    ASSERT_TRUE(dragon->addToInventory(item("Schwanzring"), false));
    dragon->inventory[0]->use(dragon);
    dragon->unspentPoints = 3;
    menu->updateLabels();
    engine->screen = static_cast<TMenu*>(menu);
    engine->fpsCounter.fps = 50.0f;
    for (int i = 0; i < 3; ++i) engine->renderFrame();
    // One more frame, read back before the swap.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    engine->camera->apply();
    engine->screen->render();
    const Frame f = overlay::capture(engine);
    ASSERT_TRUE(f.save(shots + "/equipment_menu.png"));
    std::printf("picture: %s\n", (shots + "/equipment_menu.png").c_str());

    // The brass frame at the menu's edge, lit from the top left.
    auto brassy = [](const Pixel& p) { return p.r > p.b + 30 && p.g > p.b; };
    EXPECT_GT(f.count(12, 22, 100, 380, brassy), 100);
    EXPECT_GT(f.count(300, 340, 12, 22, brassy), 100);
    EXPECT_GT(f.sum(20, 60, 13, 20, 0), f.sum(580, 620, 460, 467, 0));

    // Captions: the worn helmet on the head slot, the ring in the
    // inventory, "steigern" and the statistics lines.
    EXPECT_GT(f.count(150, 250, 110, 140, isText), 10);   // "Hoernerhelm"
    EXPECT_GT(f.count(400, 500, 110, 140, isText), 10);   // "Schwanzring"
    EXPECT_GT(f.count(400, 500, 60, 90, isText), 10);     // "leer"
    EXPECT_GT(f.count(290, 370, 405, 425, isText), 10);   // "steigern"
    EXPECT_GT(f.count(400, 630, 428, 445, isText), 30);   // "Uebrige Punkte: 3"
    EXPECT_EQ(0, f.count(360, 395, 60, 290, isText));     // nothing between the columns
}

// The bone's current place in the dragon's model space.
TVector bonePlace(const TBone* bone) {
    const TMatrix& s = bone->skinMatrix;
    const TMatrix& b = bone->bindMatrix;
    const float x = b.m[12], y = b.m[13], z = b.m[14];
    return TVector(s.m[0] * x + s.m[4] * y + s.m[8] * z + s.m[12], s.m[1] * x + s.m[5] * y + s.m[9] * z + s.m[13],
                   s.m[2] * x + s.m[6] * y + s.m[10] * z + s.m[14]);
}

TEST_F(EquipmentMenuTest, PictureOfTheDragonWearingItsHelmet) {
    TItemInstance* helmet = item("Hoernerhelm");
    // Half-way into the animation, so the head has left its bind pose.
    dragon->startAnimation(TDrache::TRACK_CRUISE, -1000);
    dragon->advance(1400);
    TBone* head = dragon->findBone(TString("Bone03"));
    ASSERT_NE(nullptr, head);
    float moved = 0.0f;
    for (int i = 0; i < 16; ++i) moved += std::fabs(head->skinMatrix.m[i] - (i % 5 == 0 ? 1.0f : 0.0f));
    EXPECT_GT(moved, 0.5f) << "the head should have left its bind pose";

    // A camera beside and in front of the head, looking at it (its eye
    // sits projectionA behind the camera's place along its direction).
    TCamera camera = game->followCamera;
    camera.projectionA = 5.0;
    camera.projectionB = 3.0;
    camera.updateProjection();
    const TVector origin = TVector().transform(dragon->rotation);
    const TVector headWorld = dragon->drawPosition() + bonePlace(head).transform(dragon->rotation) - origin;
    const TVector forward = TVector(0.0f, 1.0f, 0.0f).transform(dragon->rotation) - origin;
    const TVector side = TVector(1.0f, 0.0f, 0.0f).transform(dragon->rotation) - origin;
    camera.eye = headWorld + forward.normalized() * 80.0f + side.normalized() * 60.0f + TVector(0.0f, 0.0f, -30.0f);
    camera.up = TVector(0.0f, 0.0f, 1.0f);
    camera.setDirection((camera.eye - headWorld).normalized());
    engine->camera = &camera;
    // A frame rate of 0 draws the scene and moves nothing.
    engine->fpsCounter.fps = 0.0f;

    // The ground picks its tiles for the next frame: three frames each.
    auto draw = [&]() {
        for (int i = 0; i < 3; ++i) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            camera.apply();
            game->render();
        }
        return overlay::capture(engine);
    };
    const Frame bare = draw();
    dragon->equip(helmet);
    const Frame worn = draw();

    // Everything on at once, and the gold sack, from further away.
    for (const char* name : {"Schuppenpanzer", "Schwanzring", "Armschutz links", "Armschutz rechts"})
        dragon->equip(item(name));
    dragon->equip(game->goldSack);
    const TCamera close = camera;
    camera.eye = headWorld + forward.normalized() * 40.0f + side.normalized() * 200.0f + TVector(0.0f, 0.0f, -80.0f);
    camera.setDirection((camera.eye - headWorld + forward.normalized() * 60.0f).normalized());
    const Frame dressed = draw();
    EXPECT_EQ(6, dragon->equipped.count());
    for (int slot = 2; slot <= 6; ++slot) dragon->unequip(slot, false);
    camera = close;
    engine->camera = &game->followCamera;
    ASSERT_TRUE(bare.save(shots + "/dragon_bare.png"));
    ASSERT_TRUE(worn.save(shots + "/dragon_helmet.png"));
    ASSERT_TRUE(dressed.save(shots + "/dragon_dressed.png"));
    std::printf("pictures: %s/dragon_helmet.png, dragon_bare.png\n", shots.c_str());

    // The pixels the helmet changes gather round the head.
    double cx = 0.0, cy = 0.0;
    int changed = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const Pixel a = bare.at(x, y), b = worn.at(x, y);
            if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 60) {
                cx += x;
                cy += y;
                ++changed;
            }
        }
    ASSERT_GT(changed, 500);
    cx /= changed;
    cy /= changed;
    // The camera looks at the head bone, which so sits in the middle of the
    // picture; the helmet covers the top of the head round it.
    EXPECT_NEAR(320.0, cx, 60.0);
    EXPECT_NEAR(240.0, cy, 80.0);
    EXPECT_TRUE(helmet->bone == head);
}

}  // namespace
