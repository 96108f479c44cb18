// The loading screen on a real GL context (a 800 x 600 window, so the
// overlay is scaled): progress and its clamping, one engine frame for each
// raise, and the picture, bar and "Lade (n%)" where the screen puts them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/TEngine.h"
#include "engine/TMaterial.h"
#include "gl/OverlayFrame.h"
#include "screens/TLoadingScreen.h"

namespace fs = std::filesystem;
using overlay::Frame;
using overlay::Pixel;

namespace {

// The bar picture is fire: red well above green and blue.
bool isBar(const Pixel& p) { return p.r > 80 && p.r > 2 * p.b && p.r > p.g + 30; }
bool isText(const Pixel& p) { return p.nearWhite(); }

class LoadingScreenTest : public ::testing::Test {
protected:
    static TEngine* engine;
    static std::string folder;
    static std::string shots;
    TLoadingScreen* screen = nullptr;

    static void SetUpTestSuite() {
        folder = overlay::startEngine("LoadingScreenTest", 800, 600, engine);
        ASSERT_NE(nullptr, engine);
        shots = ::testing::TempDir() + "LoadingScreenTest_shots";
        fs::create_directories(shots);
    }
    static void TearDownTestSuite() {
        TLoadingScreen::destroyInstance();
        TEngine::destroyInstance();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    void SetUp() override {
        TLoadingScreen::destroyInstance();
        screen = TLoadingScreen::getInstance(engine, nullptr);
        ASSERT_NE(nullptr, screen);
    }
    void TearDown() override { engine->screen = nullptr; }

    // The screen at this progress, drawn as renderFrame draws it, read back
    // before the swap.
    Frame drawAt(float progress) {
        screen->progress = progress;
        glClearColor(0.5f, 0.5f, 1.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        screen->draw();
        engine->setMaterial(nullptr);
        return overlay::capture(engine);
    }
};

TEngine* LoadingScreenTest::engine = nullptr;
std::string LoadingScreenTest::folder;
std::string LoadingScreenTest::shots;

TEST_F(LoadingScreenTest, SingleInstanceWithItsMaterialAndLogLine) {
    EXPECT_EQ(screen, TLoadingScreen::getInstance(nullptr, nullptr));
    EXPECT_EQ(screen, TLoadingScreen::existing());
    EXPECT_EQ(0.0f, screen->progress);
    ASSERT_NE(nullptr, screen->material);
    EXPECT_STREQ("loading", screen->material->name);
    EXPECT_STREQ("loading_2.tga", screen->material->layers[0].textureName);
    EXPECT_EQ(engine->getFont(-14, 400), screen->font);
    logFlush();
    EXPECT_NE(std::string::npos, overlay::readAll("Log.txt").find("Lade loding textur...\n"));

    // Leaving gives the clear colour back its sky blue.
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    TLoadingScreen::destroyInstance();
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(0.5f, clear[0]);
    EXPECT_FLOAT_EQ(1.0f, clear[2]);
    EXPECT_EQ(nullptr, TLoadingScreen::existing());
}

TEST_F(LoadingScreenTest, EachRaiseDrawsOneFrameAndAdvanceStopsAtOne) {
    const long frames = platform::testHooksFrameCount();
    screen->setProgress(0.05f);  // as at start-up: no current screen yet
    EXPECT_EQ(frames + 1, platform::testHooksFrameCount());
    EXPECT_FLOAT_EQ(0.05f, screen->progress);
    engine->screen = screen;
    screen->advance(0.2f);
    EXPECT_EQ(frames + 2, platform::testHooksFrameCount());
    EXPECT_FLOAT_EQ(0.25f, screen->progress);

    screen->setProgress(0.9f);
    screen->advance(0.2f);
    EXPECT_EQ(1.0f, screen->progress);
    screen->advance(0.001f);
    EXPECT_EQ(1.0f, screen->progress);
    EXPECT_EQ(frames + 5, platform::testHooksFrameCount());
    // setProgress takes the value as given.
    screen->setProgress(0.0f);
    EXPECT_EQ(0.0f, screen->progress);
    EXPECT_EQ(static_cast<GLenum>(GL_NO_ERROR), glGetError());
}

TEST_F(LoadingScreenTest, QuarterWayPictureBarAndText) {
    const Frame f = drawAt(0.25f);
    ASSERT_TRUE(f.save(shots + "/loading_25.png"));
    // Black beside the picture (it spans x 60 .. 572 from the top).
    EXPECT_TRUE(f.at(30, 240).nearBlack());
    EXPECT_TRUE(f.at(600, 100).nearBlack());
    // Upright: the moon high on the left, dark ground low in the middle.
    EXPECT_TRUE(f.at(140, 160).nearWhite());
    EXPECT_FALSE(f.at(320, 420).nearWhite());
    // The bar from x 60 to 60 + 512 x 0.25 below y 441.5.
    EXPECT_NEAR(60 + 512 * 0.25, f.rightmost(450, 640, isBar), 3.0);
    EXPECT_GT(f.count(60, 188, 442, 480, isBar), 2000);
    EXPECT_EQ(0, f.count(200, 570, 442, 480, isBar));
    // "Lade (25%)" on the bar at (140, 463.5).
    EXPECT_GT(f.count(140, 230, 450, 466, isText), 40);
    EXPECT_EQ(0, f.count(0, 138, 442, 480, isText));
}

TEST_F(LoadingScreenTest, FullAndEmptyBars) {
    const Frame full = drawAt(1.0f);
    ASSERT_TRUE(full.save(shots + "/loading_100.png"));
    EXPECT_NEAR(60 + 512, full.rightmost(450, 640, isBar), 3.0);
    EXPECT_GT(full.count(140, 240, 450, 466, isText), 40);

    const Frame empty = drawAt(0.0f);
    EXPECT_EQ(0, empty.count(0, 640, 442, 480, isBar));
    EXPECT_GT(empty.count(140, 220, 450, 466, isText), 20);
    // "Lade (0%)" is narrower than "Lade (100%)".
    EXPECT_LT(empty.count(140, 260, 450, 466, isText), full.count(140, 260, 450, 466, isText));
}

}  // namespace
