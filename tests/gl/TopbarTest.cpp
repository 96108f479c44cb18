// The head-up display on a real GL context, a window of 800 x 600 so that
// the 640 x 480 overlay is scaled: gauges, icons, percentages, the balloon
// count and the timed message where the bar puts them, the gold blink's
// rhythm and the life flash on the fixed frame clock.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include "engine/TEngine.h"
#include "engine/TMaterial.h"
#include "gl/OverlayFrame.h"
#include "screens/TTopbar.h"

namespace fs = std::filesystem;
using overlay::Frame;
using overlay::Pixel;
using overlay::passMs;

namespace {

bool isRedFill(const Pixel& p) { return p.r > 100 && 2 * p.g < p.r && 2 * p.b < p.r; }
bool isGoldFill(const Pixel& p) { return p.r > 150 && 2 * p.g > p.r && 2 * p.b < p.r; }
bool isText(const Pixel& p) { return p.nearWhite(); }
bool isDrawn(const Pixel& p) { return !p.nearBlack(); }

class TopbarTest : public ::testing::Test {
protected:
    static TEngine* engine;
    static std::string folder;
    static std::string shots;
    TTopbar* bar = nullptr;

    static void SetUpTestSuite() {
        folder = overlay::startEngine("TopbarTest", 800, 600, engine);
        ASSERT_NE(nullptr, engine);
        ASSERT_TRUE(platform::clockIsFixed());
        shots = ::testing::TempDir() + "TopbarTest_shots";
        fs::create_directories(shots);
    }
    static void TearDownTestSuite() {
        TTopbar::destroyInstance();
        TEngine::destroyInstance();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    void SetUp() override {
        TTopbar::destroyInstance();
        bar = TTopbar::getInstance(engine, nullptr);
        ASSERT_NE(nullptr, bar);
    }

    // The bar alone on a black frame, read back before any swap.
    Frame drawBar() {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        bar->draw();
        engine->setMaterial(nullptr);
        return overlay::capture(engine);
    }

    // Whether the gold icon shows the blink picture: the blink coins are
    // orange (less green for their red) where the normal ones are yellow.
    static bool goldIconBlinks(const Frame& f) {
        const double r = static_cast<double>(f.sum(250, 285, 5, 45, 0));
        const double g = static_cast<double>(f.sum(250, 285, 5, 45, 1));
        return g < 0.57 * r;
    }
};

TEngine* TopbarTest::engine = nullptr;
std::string TopbarTest::folder;
std::string TopbarTest::shots;

TEST_F(TopbarTest, SingleInstanceWithItsMaterialAndLogLine) {
    EXPECT_EQ(bar, TTopbar::getInstance(nullptr, nullptr));
    EXPECT_EQ(bar, TTopbar::existing());
    ASSERT_NE(nullptr, bar->material);
    EXPECT_STREQ("topbar", bar->material->name);
    EXPECT_STREQ("menu_elemente.tga", bar->material->layers[0].textureName);
    EXPECT_EQ(0, bar->material->lastLayerIndex);
    EXPECT_FLOAT_EQ(2.0f, bar->material->value);
    EXPECT_EQ(engine->getFont(-14, 400), bar->font);
    EXPECT_EQ(1.0f, bar->fraction[TTopbar::kLife]);
    EXPECT_EQ(1.0f, bar->fraction[TTopbar::kGold]);
    logFlush();
    EXPECT_NE(std::string::npos, overlay::readAll("Log.txt").find("Lade topbar textur...\n"));

    TTopbar::destroyInstance();
    EXPECT_EQ(nullptr, TTopbar::existing());
    EXPECT_EQ(nullptr, TTopbar::getInstance(nullptr, nullptr));
    bar = TTopbar::getInstance(engine, nullptr);
    EXPECT_NE(nullptr, bar);
}

TEST_F(TopbarTest, GaugesFillTheirShareOfTheBarsWhereTheOverlayPutsThem) {
    bar->setLife(0.5f);
    bar->setGold(0.25f);
    bar->setBalloonCount(2);
    bar->showMessage("Ballon holt sich das Gold!");
    passMs(2000);  // past the life flash
    const Frame f = drawBar();
    ASSERT_TRUE(f.save(shots + "/topbar.png"));

    // Fills: red up to 50 + 190 x 0.5, gold up to 292 + 190 x 0.25.
    EXPECT_NEAR(50 + 190 * 0.5, f.rightmost(25, 290, isRedFill), 3.0);
    EXPECT_NEAR(292 + 190 * 0.25, f.rightmost(25, 475, isGoldFill), 3.0);
    EXPECT_TRUE(isRedFill(f.at(100, 25)));
    EXPECT_TRUE(isGoldFill(f.at(320, 25)));
    // Frames reach 240 and 482, beyond the fills; nothing lies between.
    EXPECT_GT(f.count(200, 238, 15, 36, isDrawn), 0);
    EXPECT_GT(f.count(420, 480, 15, 36, isDrawn), 0);
    EXPECT_EQ(0, f.count(241, 249, 0, 60, isDrawn));
    EXPECT_EQ(0, f.count(0, 640, 50, 84, isDrawn));
    // Icons: life, gold, balloon.
    EXPECT_GT(f.count(5, 45, 5, 45, isRedFill), 300);
    EXPECT_GT(f.count(250, 285, 5, 45, isGoldFill), 200);
    EXPECT_GT(f.count(492, 532, 5, 45, isDrawn), 300);
    EXPECT_EQ(0, f.count(540, 640, 0, 480, isDrawn));
    // The heart stands upright: wide at the top, its tip at the bottom.
    EXPECT_TRUE(isRedFill(f.at(13, 15)));
    EXPECT_TRUE(isRedFill(f.at(25, 38)));
    EXPECT_FALSE(isRedFill(f.at(8, 40)));
    // Texts: "50%" at (58, 29), "25%" at (303, 29), the count at (523, 40),
    // the message at (203, 99).
    EXPECT_GT(f.count(58, 90, 18, 30, isText), 10);
    EXPECT_GT(f.count(303, 335, 18, 30, isText), 10);
    EXPECT_GT(f.count(523, 535, 28, 41, isText), 5);
    EXPECT_GT(f.count(203, 420, 86, 104, isText), 60);
    EXPECT_EQ(0, f.count(0, 200, 60, 480, isDrawn));
}

TEST_F(TopbarTest, BalloonIconAndCountOnlyWithBalloons) {
    Frame none = drawBar();
    EXPECT_EQ(0, none.count(488, 640, 0, 60, isDrawn));
    bar->setBalloonCount(1);
    Frame one = drawBar();
    EXPECT_GT(one.count(492, 532, 5, 45, isDrawn), 300);
    EXPECT_GT(one.count(523, 535, 28, 41, isText), 5);
    bar->setBalloonCount(-3);
    EXPECT_EQ(0, drawBar().count(488, 640, 0, 60, isDrawn));
}

TEST_F(TopbarTest, PercentagesTruncateAndFractionsAreNotClamped) {
    EXPECT_EQ(99, TTopbar::percentOf(0.999f));
    EXPECT_EQ(100, TTopbar::percentOf(1.0f));
    EXPECT_EQ(0, TTopbar::percentOf(0.0f));
    EXPECT_EQ(-50, TTopbar::percentOf(-0.5f));
    EXPECT_EQ(150, TTopbar::percentOf(1.5f));
    EXPECT_EQ(0, TTopbar::percentOf(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(std::numeric_limits<int>::max(), TTopbar::percentOf(std::numeric_limits<float>::infinity()));

    // Above 1.0 the fill runs past its frame (showing the sheet beyond the
    // bar picture, which is empty); a gold share that is not a number (a
    // castle whose maximum is 0) draws no fill and prints 0%.
    bar->setLife(1.2f);
    bar->setGold(std::numeric_limits<float>::quiet_NaN());
    const Frame f = drawBar();
    EXPECT_GT(f.rightmost(25, 290, isRedFill), 234.0);
    EXPECT_EQ(0, f.count(300, 475, 20, 31, isGoldFill));
    EXPECT_GT(f.count(303, 335, 18, 30, isText), 10);
}

TEST_F(TopbarTest, MessageShowsFor4000MsAndANewerOneRestartsTheTime) {
    auto messageShown = [this] { return drawBar().count(203, 420, 86, 104, isText) > 0; };
    EXPECT_FALSE(messageShown());
    bar->showMessage("Nicht nahe genug an Burg");
    const uint32_t t = timeGetTime();
    EXPECT_EQ(t + 4000, bar->messageEnd);
    EXPECT_TRUE(messageShown());
    passMs(3999);
    EXPECT_TRUE(messageShown());
    passMs(1);
    EXPECT_FALSE(messageShown());

    bar->showMessage("Invertierte Maus an");
    passMs(2000);
    bar->showMessage("Invertierte Maus aus");
    EXPECT_EQ("Invertierte Maus aus", bar->message);
    passMs(3999);
    EXPECT_TRUE(messageShown());
    passMs(1);
    EXPECT_FALSE(messageShown());

    // The text is printed, never used as a format; null shows nothing.
    bar->showMessage("%s%n%d");
    EXPECT_TRUE(messageShown());
    bar->showMessage(nullptr);
    EXPECT_EQ("", bar->message);
    EXPECT_FALSE(messageShown());
}

TEST_F(TopbarTest, GoldBlinkAlternatesBySecondsAndEnds3000MsAfterTheDrop) {
    EXPECT_FALSE(goldIconBlinks(drawBar()));
    bar->setGold(0.6f);
    EXPECT_EQ(1, bar->blinking[TTopbar::kGold]);
    EXPECT_EQ(1, bar->phase[TTopbar::kGold]);
    const Frame first = drawBar();
    ASSERT_TRUE(first.save(shots + "/topbar_gold_blink.png"));
    EXPECT_TRUE(goldIconBlinks(first));
    passMs(999);
    EXPECT_TRUE(goldIconBlinks(drawBar()));
    passMs(1);
    EXPECT_FALSE(goldIconBlinks(drawBar()));
    passMs(999);
    EXPECT_FALSE(goldIconBlinks(drawBar()));
    passMs(1);
    EXPECT_TRUE(goldIconBlinks(drawBar()));
    passMs(999);
    EXPECT_TRUE(goldIconBlinks(drawBar()));
    EXPECT_EQ(1, bar->blinking[TTopbar::kGold]);
    passMs(1);
    EXPECT_FALSE(goldIconBlinks(drawBar()));
    EXPECT_EQ(0, bar->blinking[TTopbar::kGold]);
    passMs(5000);
    EXPECT_FALSE(goldIconBlinks(drawBar()));
}

TEST_F(TopbarTest, FurtherDropProlongsTheBlinkWithoutResettingItsRhythm) {
    bar->setGold(0.8f);
    const int32_t toggle = bar->nextToggle[TTopbar::kGold];
    for (int i = 0; i < 5; ++i) {
        passMs(500);
        drawBar();
    }
    bar->setGold(0.6f);  // 2500 ms after the first drop
    EXPECT_EQ(static_cast<int32_t>(timeGetTime()), bar->blinkStart[TTopbar::kGold]);
    EXPECT_EQ(toggle + 2000, bar->nextToggle[TTopbar::kGold]);
    passMs(2999);
    drawBar();
    EXPECT_EQ(1, bar->blinking[TTopbar::kGold]);
    passMs(1);
    drawBar();
    EXPECT_EQ(0, bar->blinking[TTopbar::kGold]);
}

TEST_F(TopbarTest, GoldThatDoesNotDropStopsTheBlinkAtOnce) {
    bar->setGold(0.5f);
    bar->setGold(0.5f);
    EXPECT_EQ(0, bar->blinking[TTopbar::kGold]);
    EXPECT_FALSE(goldIconBlinks(drawBar()));
    bar->setGold(0.4f);
    bar->setGold(0.9f);
    EXPECT_EQ(0, bar->blinking[TTopbar::kGold]);
    EXPECT_FLOAT_EQ(0.9f, bar->fraction[TTopbar::kGold]);
    bar->setGold(0.4f);
    bar->setGold(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(0, bar->blinking[TTopbar::kGold]);
    EXPECT_TRUE(std::isnan(bar->fraction[TTopbar::kGold]));
}

TEST_F(TopbarTest, LifeDropFlashesTheLifeGaugeRed) {
    auto frameGreen = [](const Frame& f) { return f.sum(150, 240, 15, 36, 1); };
    bar->setLife(0.4f);
    passMs(2000);
    const long calm = frameGreen(drawBar());
    EXPECT_EQ(0, bar->blinking[TTopbar::kLife]);

    bar->setLife(0.3f);
    EXPECT_EQ(1, bar->blinking[TTopbar::kLife]);
    EXPECT_EQ(1, bar->phase[TTopbar::kLife]);
    const Frame hit = drawBar();
    ASSERT_TRUE(hit.save(shots + "/topbar_life_flash.png"));
    EXPECT_LT(frameGreen(hit), calm * 6 / 10);
    passMs(250);
    EXPECT_NEAR(calm, frameGreen(drawBar()), calm / 20);
    passMs(250);
    EXPECT_LT(frameGreen(drawBar()), calm * 6 / 10);
    passMs(500);
    EXPECT_NEAR(calm, frameGreen(drawBar()), calm / 20);
    EXPECT_EQ(0, bar->blinking[TTopbar::kLife]);

    // Healing ends a running flash at once.
    bar->setLife(0.2f);
    bar->setLife(1.0f);
    EXPECT_EQ(0, bar->blinking[TTopbar::kLife]);
    EXPECT_FLOAT_EQ(1.0f, bar->fraction[TTopbar::kLife]);
}

TEST_F(TopbarTest, DrawLeavesTheGlStateAsItFoundIt) {
    GLint matrixDepth[2] = {0, 0};
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &matrixDepth[0]);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &matrixDepth[1]);
    GLint attribDepth = 0;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &attribDepth);
    glEnable(GL_DEPTH_TEST);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    bar->draw();
    GLint after[3] = {0, 0, 0};
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after[0]);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &after[1]);
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &after[2]);
    EXPECT_EQ(matrixDepth[0], after[0]);
    EXPECT_EQ(matrixDepth[1], after[1]);
    EXPECT_EQ(attribDepth, after[2]);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(0.2f, colour[1]);
    EXPECT_EQ(bar->material, engine->getMaterial());
    EXPECT_EQ(static_cast<GLenum>(GL_NO_ERROR), glGetError());
}

TEST_F(TopbarTest, DrawnAsTheEnginesScreenWithinAFrame) {
    engine->screen = bar;
    const long frames = platform::testHooksFrameCount();
    bar->showMessage("Neue Stufe erreicht");
    engine->renderFrame();
    engine->screen = nullptr;
    EXPECT_EQ(frames + 1, platform::testHooksFrameCount());
    EXPECT_EQ(static_cast<GLenum>(GL_NO_ERROR), glGetError());
}

}  // namespace
