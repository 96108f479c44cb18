// The start screens and the main menu on a real GL context with the
// generated data and the game's dragon: what each loads, the intro's
// timeline, how each screen ends (its keys, a closed window), the main
// menu's result codes and glow, and pictures of each at a few moments.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TCamera.h"
#include "engine/TEngine.h"
#include "engine/TProperties.h"
#include "engine/TSound.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "gl/OverlayFrame.h"
#include "platform/clock.h"
#include "platform/gl.h"
#include "platform/sound.h"
#include "platform/win32.h"
#include "screens/TIntroScreen.h"
#include "screens/TLogoScreen.h"
#include "screens/TMainMenu.h"
#include "screens/TStartupScreen.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;
using overlay::Frame;
using overlay::Pixel;

namespace {

const int kFrameMs = 20;

// The window procedure of the test window: remembers every message it is
// handed, then passes it to the screen under test (as the shell does).
TScreen* activeScreen = nullptr;
std::vector<UINT> dispatched;

LRESULT CALLBACK testWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    dispatched.push_back(message);
    if (activeScreen) return activeScreen->handleMessage(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

// A camera that runs a callback each frame before it is applied; the main
// menu has no camera of its own, so the test can act between its frames.
class FrameHookCamera : public TCamera {
public:
    std::function<void(int)> onFrame;
    int frames = 0;
    void apply() override {
        if (onFrame) onFrame(++frames);
    }
};

bool notBlack(const Pixel& p) { return !p.nearBlack(); }
double brightness(const Frame& f, double x0, double x1, double y0, double y1) {
    const double n = (x1 - x0) * (y1 - y0) * f.width * f.height / (640.0 * 480.0);
    return (f.sum(x0, x1, y0, y1, 0) + f.sum(x0, x1, y0, y1, 1) + f.sum(x0, x1, y0, y1, 2)) / (3.0 * n);
}

class IntroScreensTest : public ::testing::Test {
protected:
    static TEngine* engine;
    static TGame* game;
    static TProperties* properties;
    static std::string folder;
    static std::string shots;

    static void SetUpTestSuite() {
        setenv("GAME_TEST_FRAME_MS", std::to_string(kFrameMs).c_str(), 1);
        folder = ::testing::TempDir() + "IntroScreensTest_" + std::to_string(getpid());
        fs::create_directories(folder);
        for (const char* data : {"tex", "mods", "programs", "terrain", "Levels", "itemdata", "sound"}) {
            std::error_code ignored;
            fs::create_directory_symlink(binaryDir() + "/" + data, folder + "/" + data, ignored);
        }
        ASSERT_EQ(0, chdir(folder.c_str()));
        openLog("Log.txt");
        shots = ::testing::TempDir() + "IntroScreensTest_shots";
        fs::create_directories(shots);

        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof(wc));
        wc.style = CS_OWNDC;
        wc.lpfnWndProc = testWindowProc;
        wc.lpszClassName = "introtest";
        RegisterClassA(&wc);
        HWND window = CreateWindowExA(0, "introtest", "introtest", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                      nullptr, nullptr);
        ASSERT_NE(nullptr, window);
        engine = TEngine::getInstance(640, 480, window, nullptr, nullptr);
        ASSERT_NE(nullptr, engine);
        properties = new TProperties();
        game = new TGame(engine, properties);
        ASSERT_NE(nullptr, game->dragon);
    }

    static void TearDownTestSuite() {
        activeScreen = nullptr;
        TIntroScreen::destroyInstance();
        TLogoScreen::destroyInstance();
        TStartupScreen::destroyInstance();
        TMainMenu::destroyInstance();
        delete game;
        game = nullptr;
        TEngine::destroyInstance();
        delete properties;
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    void SetUp() override {
        ASSERT_NE(nullptr, game);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        dispatched.clear();
        game->dragon->setPosition(TVector(1000.0f, 900.0f, 200.0f));
    }
    void TearDown() override {
        activeScreen = nullptr;
        engine->screen = nullptr;
        engine->camera = nullptr;
        TIntroScreen::destroyInstance();
        TLogoScreen::destroyInstance();
        TStartupScreen::destroyInstance();
        TMainMenu::destroyInstance();
    }

    TIntroScreen* makeIntro() {
        TIntroScreen* intro = TIntroScreen::getInstance(engine, game, properties);
        activeScreen = intro;
        return intro;
    }
    TLogoScreen* makeLogo() {
        TLogoScreen* logo = TLogoScreen::getInstance(engine, game, properties);
        activeScreen = logo;
        return logo;
    }

    // The screen drawn as a frame draws it, read back before the swap. The
    // first pass moves the screen's camera to where the picture wants it.
    template <class Screen>
    Frame picture(Screen* screen, const std::string& name) {
        for (int pass = 0; pass < 2; ++pass) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            if (engine->camera) engine->camera->apply();
            screen->draw();
            engine->setMaterial(engine->stdMat);
        }
        Frame f = overlay::capture(engine);
        EXPECT_TRUE(f.save(shots + "/" + name + ".png")) << name;
        return f;
    }

    static std::string log() {
        logFlush();
        return overlay::readAll("Log.txt");
    }
};

TEngine* IntroScreensTest::engine = nullptr;
TGame* IntroScreensTest::game = nullptr;
TProperties* IntroScreensTest::properties = nullptr;
std::string IntroScreensTest::folder;
std::string IntroScreensTest::shots;

// ------------------------------------------------------------------ intro ----

TEST_F(IntroScreensTest, IntroLoadsItsPicturesMusicAndCameraAndTakesTheDragon) {
    const TVector before = game->dragon->getPosition();
    TIntroScreen* intro = makeIntro();
    ASSERT_NE(nullptr, intro);
    for (int i = 0; i <= TIntroScreen::TEX_SKY_NEW; ++i) EXPECT_NE(nullptr, intro->textures[i]) << i;
    for (int i = TIntroScreen::TEX_SKY_NEW + 1; i < TIntroScreen::kTextureSlots; ++i)
        EXPECT_EQ(nullptr, intro->textures[i]);
    EXPECT_EQ(7, TIntroScreen::textureCount);
    const std::string text = log();
    for (const char* file : {"logo_sky", "cloud", "cloud_small", "Nebel", "Wolkenbank", "Nacht", "sky_new"})
        EXPECT_NE(std::string::npos, text.find(std::string("Lade ") + file + ".tga textur... ok.\n")) << file;
    EXPECT_EQ(std::string::npos, text.find("Failed to load logo sound."));

    ASSERT_GE(intro->music, 0);
    TMusicRecord* music = TSound::getInstance()->music[intro->music];
    ASSERT_NE(nullptr, music);
    EXPECT_TRUE(FSOUND_IsPlaying(music->channel));

    ASSERT_NE(nullptr, intro->camera);
    EXPECT_EQ(intro->camera, engine->camera);
    EXPECT_DOUBLE_EQ(0.0, intro->camera->projectionA);
    EXPECT_DOUBLE_EQ(-2.0, intro->camera->projectionB);
    EXPECT_EQ(engine->lightPosition, intro->camera->lightPosition);

    // The dragon waits next to the origin of the intro's frame; its own
    // place is kept in world units.
    const TVector placed = game->dragon->drawPosition();
    EXPECT_FLOAT_EQ(5.0f, placed.x);
    EXPECT_FLOAT_EQ(5.0f, placed.y);
    EXPECT_FLOAT_EQ(5.0f, placed.z);
    EXPECT_FLOAT_EQ(before.x, intro->savedDragonPos.x);
    EXPECT_FLOAT_EQ(before.y, intro->savedDragonPos.y);
    EXPECT_FLOAT_EQ(before.z, intro->savedDragonPos.z);
    EXPECT_EQ(1, intro->fadingIn);
    EXPECT_FLOAT_EQ(1.0f, intro->alpha);
    EXPECT_EQ(intro, TIntroScreen::getInstance(engine, game, properties));
}

TEST_F(IntroScreensTest, IntroTimelineClimbsStopsAndFadesOut) {
    TIntroScreen* intro = makeIntro();
    ASSERT_NE(nullptr, intro);
    uint32_t now = intro->lastFlightStep;
    intro->animate(now + 49);  // not yet a step
    EXPECT_FLOAT_EQ(3.0f, intro->cameraZ);

    int steps = 0, climbStep = 0, stopStep = 0;
    uint32_t stopTime = 0;
    while (!intro->done && steps < 1000) {
        now += 50;
        intro->animate(now);
        ++steps;
        if (!climbStep && intro->phase == 1) {
            climbStep = steps;
            EXPECT_EQ(1, game->dragon->getCurrentTrack());
            EXPECT_FLOAT_EQ(-200.0f + 5.0f, intro->flightPos.z);
        }
        if (!stopStep && intro->phase == 2) {
            stopStep = steps;
            stopTime = now;
            EXPECT_EQ(2, game->dragon->getCurrentTrack());
            EXPECT_EQ(now + 3000, intro->endTime);
        }
    }
    // 220 steps (11 s) to -8, 100 more (5 s) to -13, the fade-out 3 s later.
    EXPECT_NEAR(221, climbStep, 1);
    EXPECT_NEAR(321, stopStep, 1);
    EXPECT_EQ(stopTime + 3000, now);
    EXPECT_EQ(1, intro->fadingOut);
    EXPECT_EQ(0, intro->fadingIn);
    EXPECT_EQ(now, intro->lastFadeStep);
    EXPECT_NEAR(0.02f * 100, intro->logoDepth, 0.05f);

    // Stopped for good: the camera stays, the dragon moves on by (0, 5, -5).
    EXPECT_FLOAT_EQ(-13.0f, intro->cameraZ);
    EXPECT_FLOAT_EQ(0.0f, TIntroScreen::flightSpeed);
    const TVector at = intro->flightPos;
    now += 50;
    intro->animate(now);
    EXPECT_FLOAT_EQ(-13.0f, intro->cameraZ);
    EXPECT_FLOAT_EQ(at.y + 5.0f, intro->flightPos.y);
    EXPECT_FLOAT_EQ(at.z - 5.0f, intro->flightPos.z);
    // 'Z' cannot push the camera on: the next step puts it back.
    intro->handleMessage(engine->window, WM_CHAR, 'Z', 0);
    now += 50;
    intro->animate(now);
    EXPECT_FLOAT_EQ(-13.0f, intro->cameraZ);
}

TEST_F(IntroScreensTest, IntroDragonAndParticlesStandAtOneFrameASecond) {
    TIntroScreen* intro = makeIntro();
    ASSERT_NE(nullptr, intro);
    game->dragon->startAnimation(0, 0);
    engine->fpsCounter.fps = 1.0f;
    intro->drawDragon();
    EXPECT_EQ(0, game->dragon->getTime());
    engine->fpsCounter.fps = 50.0f;
    intro->drawDragon();
    EXPECT_EQ(100, game->dragon->getTime());
}

TEST_F(IntroScreensTest, IntroRunEndsAfterItsFadeAndGivesTheDragonBack) {
    const TVector before = game->dragon->getPosition();
    TIntroScreen* intro = makeIntro();
    ASSERT_NE(nullptr, intro);
    // Late in the flight, so the run stays short.
    intro->cameraZ = -12.8f;
    intro->phase = 1;
    const uint32_t start = timeGetTime();
    EXPECT_EQ(TIntroScreen::RESULT_DONE, intro->run());
    // Five flight steps, three seconds, about one second of fading.
    const uint32_t took = timeGetTime() - start;
    EXPECT_GT(took, 3000u + 900u);
    EXPECT_LT(took, 3000u + 1600u + 600u);
    EXPECT_EQ(2, intro->phase);
    EXPECT_GT(intro->alpha, 0.99f);
    EXPECT_EQ(nullptr, engine->camera);
    EXPECT_EQ(intro, engine->screen);
    const TVector after = game->dragon->getPosition();
    EXPECT_FLOAT_EQ(before.x, after.x);
    EXPECT_FLOAT_EQ(before.y, after.y);
    EXPECT_FLOAT_EQ(before.z, after.z);
}

TEST_F(IntroScreensTest, IntroEscapeReversesTheFadeAndStopsTheMusic) {
    TIntroScreen* intro = makeIntro();
    ASSERT_NE(nullptr, intro);
    intro->alpha = 0.4f;  // part way through the fade-in
    PostMessageA(engine->window, WM_CHAR, VK_ESCAPE, 0);
    const uint32_t start = timeGetTime();
    EXPECT_EQ(TIntroScreen::RESULT_DONE, intro->run());
    // Twelve steps of at least 50 ms from 0.4 up, not twenty from 0.
    const uint32_t took = timeGetTime() - start;
    EXPECT_GE(took, 12u * 50u);
    EXPECT_LT(took, 12u * 60u + 200u);
    EXPECT_EQ(1, intro->done);
    EXPECT_EQ(1, intro->fadingOut);
    TMusicRecord* music = TSound::getInstance()->music[intro->music];
    ASSERT_NE(nullptr, music);
    EXPECT_FALSE(FSOUND_IsPlaying(music->channel));
}

TEST_F(IntroScreensTest, ClosingTheWindowFadesEachStartScreenOutAndQuits) {
    TIntroScreen* intro = makeIntro();
    ASSERT_NE(nullptr, intro);
    intro->alpha = 0.0f;
    intro->fadingIn = 0;
    PostMessageA(engine->window, WM_CLOSE, 0, 0);
    EXPECT_EQ(TIntroScreen::RESULT_QUIT, intro->run());
    EXPECT_GT(intro->alpha, 0.99f);
    EXPECT_EQ(1, intro->fadingOut);
    EXPECT_EQ(0, std::count(dispatched.begin(), dispatched.end(), static_cast<UINT>(WM_QUIT)));

    TLogoScreen* logo = makeLogo();
    ASSERT_NE(nullptr, logo);
    logo->alpha = 0.5f;
    PostMessageA(engine->window, WM_CLOSE, 0, 0);
    EXPECT_EQ(TLogoScreen::RESULT_QUIT, logo->run());
    EXPECT_EQ(1, logo->fadingOut);
    EXPECT_EQ(nullptr, engine->camera);

    TStartupScreen* startup = TStartupScreen::getInstance(engine, properties);
    ASSERT_NE(nullptr, startup);
    activeScreen = startup;
    PostMessageA(engine->window, WM_CLOSE, 0, 0);
    EXPECT_EQ(TStartupScreen::RESULT_QUIT, startup->run());

    TMainMenu* menu = TMainMenu::getInstance(engine, properties);
    ASSERT_NE(nullptr, menu);
    activeScreen = menu;
    PostMessageA(engine->window, WM_CLOSE, 0, 0);
    EXPECT_EQ(TMainMenu::RESULT_QUIT, menu->run());
    EXPECT_EQ(0, menu->selected);  // item 0, and still the quit
}

TEST_F(IntroScreensTest, IntroDeveloperKeysSteerTheScene) {
    TIntroScreen* intro = makeIntro();
    ASSERT_NE(nullptr, intro);
    auto character = [&](char c) { return intro->handleMessage(engine->window, WM_CHAR, c, 0); };
    EXPECT_EQ(0, intro->handleMessage(engine->window, WM_KEYDOWN, 'Z', 0));
    character('z');
    EXPECT_FLOAT_EQ(3.05f, intro->cameraZ);
    character('t');
    character('t');
    character('T');
    EXPECT_FLOAT_EQ(0.01f, intro->logoDepth);
    character('d');
    EXPECT_FLOAT_EQ(-4600.0f + 10.5f, intro->flightPos.x);
    character('C');
    EXPECT_FLOAT_EQ(-0.005f, intro->cloudOffset);
    character('f');
    EXPECT_EQ(1, intro->fadingOut);
    EXPECT_EQ(0, intro->fadingIn);
    EXPECT_EQ(0, intro->done);  // 'f' fades without ending
    character('F');
    EXPECT_EQ(1, intro->fadingIn);
    intro->flying = 0;
    character('g');
    EXPECT_EQ(1, intro->flying);
    character('s');  // the dragon fires; nothing else changes
    EXPECT_EQ(TDrache::SOUND_FIRE, game->dragon->currentSound);
    EXPECT_EQ(0, intro->handleMessage(engine->window, WM_CLOSE, 0, 0));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
}

TEST_F(IntroScreensTest, IntroPictures) {
    TIntroScreen* intro = makeIntro();
    ASSERT_NE(nullptr, intro);
    engine->fpsCounter.fps = 50.0f;
    intro->alpha = 0.0f;  // no fade: the scene itself
    intro->fadingIn = 0;
    uint32_t now = intro->lastFlightStep;
    int step = 0;
    auto flyTo = [&](int at) {
        for (; step < at; ++step) {
            now += 50;
            intro->animate(now);
        }
    };
    // The picture without the dragon, to find the dragon in it.
    auto dragonSpot = [&](const Frame& with, const std::string& name, double& x, double& y) {
        TDrache* dragon = intro->dragon;
        intro->dragon = nullptr;
        const Frame without = picture(intro, name + "_nodragon");
        intro->dragon = dragon;
        int n = 0;
        x = y = 0.0;
        for (int wy = 0; wy < with.height; ++wy)
            for (int wx = 0; wx < with.width; ++wx) {
                const size_t i = (static_cast<size_t>(wy) * with.width + wx) * 4;
                const int d = std::abs(with.rgba[i] - without.rgba[i]) + std::abs(with.rgba[i + 1] - without.rgba[i + 1]) +
                              std::abs(with.rgba[i + 2] - without.rgba[i + 2]);
                if (d > 60) {
                    ++n;
                    x += wx;
                    y += with.height - 1 - wy;  // from the top
                }
            }
        if (n) {
            x /= n;
            y /= n;
        }
        return n;
    };

    // Into the clouds: letterbox bars black, the sky and clouds between them.
    flyTo(1);
    const Frame start = picture(intro, "intro_start");
    EXPECT_EQ(0, start.count(0, 640, 0, 49, notBlack));
    EXPECT_EQ(0, start.count(0, 640, 431, 480, notBlack));
    EXPECT_GT(start.count(160, 480, 70, 420, notBlack), 0.95 * 320 * 350);
    flyTo(150);
    picture(intro, "intro_clouds");

    // Out of the clouds the dragon climbs over the title, then dives away
    // to the lower left once the camera has stopped.
    flyTo(300);
    const Frame climb = picture(intro, "intro_climb");
    EXPECT_GT(climb.count(0, 640, 50, 430, notBlack), 0.98 * 640 * 380);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    EXPECT_GT(dragonSpot(climb, "intro_climb", x1, y1), 400);
    flyTo(370);
    const Frame dive = picture(intro, "intro_dive");
    EXPECT_GT(dragonSpot(dive, "intro_dive", x2, y2), 400);
    EXPECT_LT(x2, x1 - 40);
    EXPECT_GT(y2, y1 + 40);
    EXPECT_EQ(2, intro->phase);

    // Half faded: about half as bright; fully faded: black.
    const double full = brightness(dive, 0, 640, 60, 420);
    intro->fadingOut = 1;
    intro->alpha = 0.5f;
    intro->lastFadeStep = timeGetTime();
    const Frame half = picture(intro, "intro_fade_half");
    EXPECT_NEAR(0.5, brightness(half, 0, 640, 60, 420) / full, 0.1);
    intro->alpha = 1.0f;
    const Frame dark = picture(intro, "intro_fade_dark");
    EXPECT_EQ(0, dark.count(0, 640, 0, 480, notBlack));
}

// ------------------------------------------------------------------- logo ----

TEST_F(IntroScreensTest, LogoZoomsHoldsThenFadesOut) {
    TLogoScreen* logo = makeLogo();
    ASSERT_NE(nullptr, logo);
    EXPECT_NE(nullptr, logo->textures[0]);
    EXPECT_NE(std::string::npos, log().find("Lade Logo_neu.tga textur... ok.\n"));
    EXPECT_GE(logo->music, 0);
    EXPECT_GE(logo->sample, 0);
    EXPECT_EQ(logo->camera, engine->camera);

    const uint32_t t0 = logo->zoomStart;
    logo->advance(t0 + 49);
    EXPECT_FLOAT_EQ(-17.5f, logo->logoZ);
    // One step a pass, however little time passed.
    logo->advance(t0 + 50);
    logo->advance(t0 + 50);
    EXPECT_FLOAT_EQ(-17.5f + 0.008f, logo->logoZ);
    int passes = 2;
    while (!logo->endTime && passes < 3000) {
        logo->advance(t0 + 50);
        ++passes;
    }
    EXPECT_NEAR(1375, passes, 2);
    EXPECT_EQ(t0 + 50 + 1000, logo->endTime);
    logo->advance(t0 + 1049);
    EXPECT_EQ(0, logo->done);
    logo->advance(t0 + 1050);
    EXPECT_EQ(1, logo->done);
    EXPECT_EQ(1, logo->fadingOut);
    EXPECT_EQ(0, logo->fadingIn);

    // The run then ends once the overlay is dark.
    EXPECT_EQ(TLogoScreen::RESULT_DONE, logo->run());
    EXPECT_GT(logo->alpha, 0.99f);
    EXPECT_EQ(nullptr, engine->camera);
}

TEST_F(IntroScreensTest, LogoMadeAfterTheIntroPlaysItsSoundWhileItDraws) {
    // As the start-up runs them: the intro to its end, and then the logo made.
    TIntroScreen* intro = makeIntro();
    ASSERT_NE(nullptr, intro);
    intro->alpha = 0.0f;
    intro->fadingIn = 0;
    PostMessageA(engine->window, WM_CHAR, VK_ESCAPE, 0);
    EXPECT_EQ(TIntroScreen::RESULT_DONE, intro->run());

    TLogoScreen* logo = makeLogo();
    ASSERT_NE(nullptr, logo);
    if (logo->music < 0) GTEST_SKIP() << "the music slots are used up by the tests before in this process";
    const int channel = TSound::getInstance()->music[logo->music]->channel;
    // A camera of the test's looks at the logo's sound before each frame.
    FrameHookCamera hook;
    TCamera* own = logo->camera;
    logo->camera = &hook;
    std::vector<bool> playing;
    hook.onFrame = [&](int frame) {
        playing.push_back(FSOUND_IsPlaying(channel));
        if (frame == 10) PostMessageA(engine->window, WM_CHAR, VK_ESCAPE, 0);
    };
    EXPECT_EQ(TLogoScreen::RESULT_DONE, logo->run());
    logo->camera = own;
    ASSERT_GE(playing.size(), 10u);
    for (size_t i = 0; i < 10; ++i) EXPECT_TRUE(playing[i]) << "frame " << i + 1;
}

TEST_F(IntroScreensTest, LogoKeys) {
    TLogoScreen* logo = makeLogo();
    ASSERT_NE(nullptr, logo);
    auto character = [&](char c) { return logo->handleMessage(engine->window, WM_CHAR, c, 0); };
    character('L');
    EXPECT_FLOAT_EQ(-17.45f, logo->logoZ);
    character('l');
    character('l');
    EXPECT_FLOAT_EQ(-17.55f, logo->logoZ);
    character('Z');
    EXPECT_FLOAT_EQ(9.95f, logo->cameraZ);
    character('g');
    EXPECT_EQ(0, logo->zoom);
    logo->advance(logo->zoomStart + 100);
    EXPECT_FLOAT_EQ(-17.55f, logo->logoZ);  // held while the zoom is off
    EXPECT_EQ(0, logo->handleMessage(engine->window, WM_KEYDOWN, VK_ESCAPE, 0));
    EXPECT_EQ(0, logo->done);
    character(VK_ESCAPE);
    EXPECT_EQ(1, logo->done);
    EXPECT_EQ(1, logo->fadingOut);
    TMusicRecord* music = TSound::getInstance()->music[logo->music];
    ASSERT_NE(nullptr, music);
    EXPECT_FALSE(FSOUND_IsPlaying(music->channel));
}

TEST_F(IntroScreensTest, LogoPictures) {
    TLogoScreen* logo = makeLogo();
    ASSERT_NE(nullptr, logo);
    logo->alpha = 0.0f;
    logo->fadingIn = 0;
    const Frame far = picture(logo, "logo_far");
    EXPECT_EQ(0, far.count(0, 640, 0, 49, notBlack));
    EXPECT_EQ(0, far.count(0, 640, 431, 480, notBlack));
    logo->logoZ = -12.0f;
    const Frame near = picture(logo, "logo_near");
    // Nearer, the logo covers more of the picture.
    EXPECT_GT(near.count(0, 640, 50, 430, notBlack), far.count(0, 640, 50, 430, notBlack));
    logo->fadingIn = 1;
    logo->alpha = 0.5f;
    logo->lastFadeStep = timeGetTime();
    const Frame half = picture(logo, "logo_fade_half");
    EXPECT_NEAR(0.5, brightness(half, 0, 640, 50, 430) / brightness(near, 0, 640, 50, 430), 0.1);
}

// ---------------------------------------------------------------- startup ----

TEST_F(IntroScreensTest, StartupEndsOnAnyKeyWhichReachesNoHandler) {
    TStartupScreen* startup = TStartupScreen::getInstance(engine, properties);
    ASSERT_NE(nullptr, startup);
    EXPECT_NE(nullptr, startup->material);
    EXPECT_NE(std::string::npos, log().find("Lade startup textur...\n"));
    activeScreen = startup;
    PostMessageA(engine->window, WM_MOUSEMOVE, 0, 0);
    PostMessageA(engine->window, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(TStartupScreen::RESULT_DONE, startup->run());
    EXPECT_EQ(startup, engine->screen);
    EXPECT_EQ((std::vector<UINT>{WM_MOUSEMOVE}), dispatched);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));  // no character was made of the key
}

TEST_F(IntroScreensTest, StartupPicture) {
    TStartupScreen* startup = TStartupScreen::getInstance(engine, properties);
    ASSERT_NE(nullptr, startup);
    const Frame f = picture(startup, "startup");
    EXPECT_EQ(0, f.count(0, 59, 0, 480, notBlack));
    EXPECT_EQ(0, f.count(541, 640, 0, 480, notBlack));
    EXPECT_GT(f.count(60, 540, 0, 480, notBlack), 0.9 * 480 * 480);
}

// -------------------------------------------------------------- main menu ----

TEST_F(IntroScreensTest, MainMenuLoadsItsPicturesAndSounds) {
    TMainMenu* menu = TMainMenu::getInstance(engine, properties);
    ASSERT_NE(nullptr, menu);
    EXPECT_NE(nullptr, menu->materials[0]);
    EXPECT_NE(nullptr, menu->materials[1]);
    EXPECT_EQ(nullptr, menu->materials[2]);
    const std::string text = log();
    EXPECT_NE(std::string::npos, text.find("Lade menu_512 textur...\nLade menu_nebel textur...\n"));
    EXPECT_EQ(std::string::npos, text.find("failed to startup texture"));
    EXPECT_GE(menu->music, 0);
    EXPECT_GE(menu->switchSound, 0);
    EXPECT_GE(menu->enterSound, 0);
}

TEST_F(IntroScreensTest, MainMenuArrowsStopAtTheEnds) {
    TMainMenu* menu = TMainMenu::getInstance(engine, properties);
    ASSERT_NE(nullptr, menu);
    auto key = [&](WPARAM k) { menu->handleMessage(engine->window, WM_KEYDOWN, k, 0); };
    key(VK_UP);
    EXPECT_EQ(0, menu->selected);
    key(VK_DOWN);
    key(VK_DOWN);
    key(VK_DOWN);
    EXPECT_EQ(2, menu->selected);
    key(VK_UP);
    EXPECT_EQ(1, menu->selected);
    EXPECT_EQ(0, menu->done);
    menu->handleMessage(engine->window, WM_CHAR, 'f', 0);
    EXPECT_EQ(1, menu->fadingOut);
    EXPECT_EQ(0, menu->done);
    menu->handleMessage(engine->window, WM_CHAR, 'F', 0);
    EXPECT_EQ(1, menu->fadingIn);
    EXPECT_EQ(0, menu->fadingOut);
    key(VK_RETURN);
    EXPECT_EQ(1, menu->done);
    EXPECT_EQ(1, menu->fadingOut);
}

TEST_F(IntroScreensTest, MainMenuItemsStartTheGameOrQuit) {
    TMainMenu* menu = TMainMenu::getInstance(engine, properties);
    ASSERT_NE(nullptr, menu);
    activeScreen = menu;
    FrameHookCamera hook;
    engine->camera = &hook;
    // Arrows at frame 40, Enter at frame 60 (while the menu still clears).
    int downs = 0;
    hook.onFrame = [&](int frame) {
        if (frame == 40)
            for (int i = 0; i < downs; ++i) PostMessageA(engine->window, WM_KEYDOWN, VK_DOWN, 0);
        if (frame == 60) PostMessageA(engine->window, WM_KEYDOWN, VK_RETURN, 0);
    };
    const int expected[3] = {TMainMenu::RESULT_PLAY, TMainMenu::RESULT_PLAY, TMainMenu::RESULT_QUIT};
    for (downs = 0; downs < 3; ++downs) {
        hook.frames = 0;
        EXPECT_EQ(expected[downs], menu->run()) << downs;
        EXPECT_EQ(downs, menu->selected);
        // The fade turned back at frame 60 and went dark again in about as
        // many frames as it had cleared.
        EXPECT_NEAR(60 + 60, hook.frames, 4);
        EXPECT_GT(menu->alpha, 0.99f);
        // (Only where the menu got its music: all in one process, the music
        // slots run out.)
        if (menu->music >= 0) {
            EXPECT_FALSE(FSOUND_IsPlaying(TSound::getInstance()->music[menu->music]->channel));
        }
    }
    engine->camera = nullptr;
}

TEST_F(IntroScreensTest, MainMenuGlowCyclesAndContinuesAcrossRuns) {
    TMainMenu* menu = TMainMenu::getInstance(engine, properties);
    ASSERT_NE(nullptr, menu);
    activeScreen = menu;
    menu->selected = 1;
    menu->alpha = 0.0f;
    menu->fadingIn = 0;
    std::vector<int> frames;
    const int counter = TMainMenu::glowCounter;
    uint32_t now = timeGetTime();
    menu->nextGlow = now;
    for (int i = 0; i < 12; ++i) {
        picture(menu, "menu_glow_" + std::to_string(i));
        frames.push_back(menu->glowFrame);
        overlay::passMs(100);
    }
    // Each picture drew twice; every 100 ms one table step.
    EXPECT_EQ((counter + 12) % 10, TMainMenu::glowCounter);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(TMainMenu::glowTable[(counter + 1 + i) % 10], frames[i]) << i;
    EXPECT_NE(std::string::npos, log().find("effekt 2\n"));

    // A new run keeps the counter.
    FrameHookCamera hook;
    engine->camera = &hook;
    hook.onFrame = [&](int frame) {
        if (frame == 1) PostMessageA(engine->window, WM_KEYDOWN, VK_RETURN, 0);
    };
    const int before = TMainMenu::glowCounter;
    menu->run();
    EXPECT_EQ((before + 1) % 10, TMainMenu::glowCounter);
    engine->camera = nullptr;
}

TEST_F(IntroScreensTest, MainMenuPictures) {
    TMainMenu* menu = TMainMenu::getInstance(engine, properties);
    ASSERT_NE(nullptr, menu);
    menu->alpha = 0.0f;
    menu->fadingIn = 0;
    menu->selected = 1;
    uint32_t brightest[3] = {0, 0, 0};
    for (int glow = 0; glow < 3; ++glow) {
        menu->nextGlow = timeGetTime() + 100000;
        menu->glowFrame = glow;
        const Frame f = picture(menu, "menu_item1_glow" + std::to_string(glow));
        // Background and items are drawn; the right edge stays black.
        EXPECT_GT(f.count(60, 360, 0, 480, notBlack), 0.9 * 300 * 480);
        EXPECT_GT(f.count(360, 560, 200, 350, notBlack), 0.5 * 200 * 150);
        EXPECT_EQ(0, f.count(561, 640, 0, 480, notBlack));
        brightest[glow] = static_cast<uint32_t>(brightness(f, 360, 560, 250, 300));
        // Items 0 and 2 show frame 0 whatever the glow.
        if (glow > 0) {
            EXPECT_LT(brightness(f, 360, 560, 200, 250), brightest[glow]);
        }
    }
    EXPECT_LT(brightest[0], brightest[1]);
    EXPECT_LT(brightest[1], brightest[2]);

    menu->fadingIn = 1;
    menu->alpha = 0.5f;
    menu->glowFrame = 0;
    menu->lastFadeStep = timeGetTime();
    const Frame half = picture(menu, "menu_fade_half");
    menu->alpha = 0.0f;
    menu->fadingIn = 0;
    const Frame clear = picture(menu, "menu_clear");
    EXPECT_NEAR(0.5, brightness(half, 60, 300, 0, 480) / brightness(clear, 60, 300, 0, 480), 0.1);
}

}  // namespace
