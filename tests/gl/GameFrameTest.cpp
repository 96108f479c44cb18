// The running game on the generated level: construction, game time from the
// frame rate, the AI and fire timers, the keys and mouse, pausing, losing,
// the object pass of the minimap, and the game's own message loop.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "GameTestWindow.h"
#include "engine/TCubeMap.h"
#include "engine/TMaterial.h"
#include "engine/TProperties.h"
#include "engine/TSound.h"
#include "engine/TTgaImage.h"
#include "game/TBurg.h"
#include "game/TBurgMod.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TKI.h"
#include "game/TRoutingTable.h"
#include "platform/gl.h"
#include "platform/sound.h"
#include "scene/TBoundingSphere.h"
#include "scene/THeightSource.h"
#include "scene/TParticleManager.h"
#include "screens/TLoadingScreen.h"
#include "screens/TTopbar.h"
#include "support/Picture.h"

namespace {

// A world object that records what the frame step does with it.
class Probe : public TMovingObject {
public:
    Probe(TWorld* world, std::vector<std::string>* events, bool leave)
        : TMovingObject(0, world, 100.0f), events(events), leave(leave) {
        registerBack();
        minimapFlag = 1;
    }
    ~Probe() override { events->push_back("deleted"); }
    int getSphereCount() override { return 0; }
    TBoundingSphere** getSpheres() override { return nullptr; }
    void getPosition(TVector& out) override { out = TVector(100.0f, 100.0f, 0.0f); }
    void setPosition(const TVector&) override {}
    void moveBy(const TVector&) override {}
    void playSound() override {}
    void think() override {}
    int getKind() override { return 2; }
    bool periodicDo(int dt) override {
        events->push_back("periodicDo " + std::to_string(dt));
        return leave;
    }
    TVector getMarkerColor() override {
        events->push_back("marker");
        return TVector(1.0f, 1.0f, 0.0f);
    }

    std::vector<std::string>* events;
    bool leave;
};

class GameFrameTest : public ::testing::Test {
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
    }
    void TearDown() override {
        gametest::activeScreen() = nullptr;
        delete game;
    }

    // One frame step at the given frame rate.
    void frame(float rate) {
        engine->fpsCounter.fps = rate;
        game->doFrame();
    }
    void key(WPARAM code) { game->handleMessage(engine->window, WM_KEYDOWN, code, 0); }
    void character(WPARAM c) { game->handleMessage(engine->window, WM_CHAR, c, 0); }

    static TEngine* engine;
    TProperties properties;
    TGame* game = nullptr;
};

TEngine* GameFrameTest::engine = nullptr;

TEST_F(GameFrameTest, LevelSetUpBuildsCamerasMaterialsAndDragon) {
    EXPECT_DOUBLE_EQ(500.0, game->followCamera.projectionA);
    EXPECT_DOUBLE_EQ(498.0, game->followCamera.projectionB);
    EXPECT_DOUBLE_EQ(5.0, game->targetCamera.projectionA);
    EXPECT_DOUBLE_EQ(3.0, game->targetCamera.projectionB);
    EXPECT_EQ(engine->lightPosition, game->followCamera.lightPosition);
    EXPECT_EQ(game->dragon, game->targetCamera.target);

    for (const char* name : {"feuer", "feuerpartikel", "blutpartikel", "magiepartikel", "minimapmat", "skyboxmat"}) {
        EXPECT_NE(nullptr, engine->findMaterial(TString(name))) << name;
    }
    EXPECT_EQ(game->skyMaterial, engine->findMaterial(TString("skyboxmat")));
    EXPECT_EQ(game->fireMaterial, game->dragon->fireMaterial);
    EXPECT_EQ(game->fireParticleMaterial, game->dragon->fireParticleMaterial);
    ASSERT_NE(nullptr, game->vertexBuffer);
    ASSERT_NE(nullptr, game->indexBuffer);
    ASSERT_NE(nullptr, game->grid);
    ASSERT_NE(nullptr, game->ki);
    EXPECT_EQ(TKI::kArrayCapacity, game->ki->thinkerCapacity);
    EXPECT_NE(nullptr, game->ki->routingTable->getKeyField("Burg"));

    // The dragon leads the object list, starts cruising on track 0, and
    // 30 units above the castle in the middle of the world.
    EXPECT_EQ(game->dragon, game->objects.head->value);
    EXPECT_EQ(TDrache::TRACK_CRUISE, game->dragon->getCurrentTrack());
    const TVector p = game->dragon->getPosition();
    EXPECT_FLOAT_EQ(1024.0f, p.x);
    EXPECT_FLOAT_EQ(1024.0f, p.y);
    ASSERT_NE(nullptr, game->ground);
    EXPECT_NEAR(game->ground->getHeight(p) - 30.0f, p.z, 1e-3f);
    EXPECT_LT(p.z, 500.0f);  // above the water
    EXPECT_GE(game->dragon->soundSlots[TDrache::SOUND_FIRE], 0);
    EXPECT_GE(game->dragon->soundSlots[TDrache::SOUND_SNARL], 0);
    EXPECT_EQ(1, game->invertMouse);
    EXPECT_EQ(TGame::RESULT_QUIT, game->resultCode);
}

TEST_F(GameFrameTest, FrameDrawsSkyGroundAndMinimap) {
    const float clear[3] = {0.5f, 0.5f, 1.0f};
    auto differsFromClear = [&](int x, int y) {
        float rgb[3];
        glReadPixels(x, y, 1, 1, GL_RGB, GL_FLOAT, rgb);
        return std::fabs(rgb[0] - clear[0]) + std::fabs(rgb[1] - clear[1]) + std::fabs(rgb[2] - clear[2]) > 0.05f;
    };
    for (int i = 0; i < 3; ++i) {  // the ground picks its tiles for the next frame
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game->followCamera.apply();
        frame(50.0f);
    }
    // The minimap fills the bottom left corner (window rows from the bottom).
    EXPECT_TRUE(differsFromClear(90, 90));
    // Sky or ground covers the rest of the picture.
    int covered = 0;
    for (int y = 200; y < 480; y += 40)
        for (int x = 200; x < 640; x += 40) covered += differsFromClear(x, y) ? 1 : 0;
    EXPECT_GT(covered, 70);
}

// The sky box shows each face of the sky's cube map in its own direction.
// The cube is turned by 90 degrees about z, so looking along +x shows the
// -y face, along +y the +x face, along -x the +y face and along -y the -x
// face; +z and -z show their own faces. The game's cameras look against
// their direction vector: their projection puts the viewpoint out along it.
TEST_F(GameFrameTest, SkyBoxShowsEachCubeFaceInItsDirection) {
    ASSERT_NE(nullptr, game->skyMaterial);
    TTexture* sky = game->skyMaterial->textures[0];
    ASSERT_NE(nullptr, sky);
    // The level's pictures on the faces +x, -x, +y, -y, +z, -z.
    const char* files[6] = {"bluesky_bk.tga", "bluesky_ft.tga", "bluesky_rt.tga",
                            "bluesky_lf.tga", "bluesky_up.tga", "bluesky_up.tga"};
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, sky->id);
    for (int f = 0; f < 6; ++f) {
        TTgaImage image(TString((std::string("tex/") + files[f]).c_str()));
        ASSERT_TRUE(image.hasPixels()) << files[f];
        std::vector<unsigned char> face(static_cast<size_t>(image.byteCount()));
        glGetTexImage(TCubeMap::kFaces[f], 0, image.pixelFormat, GL_UNSIGNED_BYTE, face.data());
        EXPECT_EQ(0, std::memcmp(face.data(), image.pixels, face.size())) << files[f];
    }

    const unsigned char colours[6][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                         {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, sky->id);
    for (int f = 0; f < 6; ++f)
        glTexImage2D(TCubeMap::kFaces[f], 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, colours[f]);

    const TVector looks[6] = {TVector(1, 0, 0),  TVector(0, 1, 0),  TVector(-1, 0, 0),
                              TVector(0, -1, 0), TVector(0, 0, 1), TVector(0, 0, -1)};
    const int faces[6] = {3, 0, 2, 1, 4, 5};
    TCamera camera = game->followCamera;
    camera.setPosition(TVector());
    glDisable(GL_FOG);
    for (int i = 0; i < 6; ++i) {
        camera.up = looks[i].z != 0.0f ? TVector(0, 1, 0) : TVector(0, 0, 1);
        camera.setDirection(looks[i] * -1.0f);
        camera.apply();
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        engine->setMaterial(engine->stdMat);
        game->drawSkybox();
        const Picture shot = readColourBuffer(640, 480);
        writePng(shot, ::testing::TempDir() + "GameFrameTest_sky_" + std::to_string(i) + ".png");
        const unsigned char* c = &shot.pixels[(240 * 640 + 320) * 4];
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(colours[faces[i]][k], c[k], 8) << "looking " << i << " channel " << k;
    }
    glEnable(GL_FOG);
}

TEST_F(GameFrameTest, SetUpFillsTheLoadingBar) {
    ASSERT_NE(nullptr, TLoadingScreen::existing());
    EXPECT_EQ(TLoadingScreen::existing(), game->loadingScreen);
    EXPECT_FLOAT_EQ(1.0f, game->loadingScreen->progress);
    EXPECT_NE(nullptr, game->particles);
    EXPECT_NE(nullptr, game->bloodBurst);
    EXPECT_NE(nullptr, game->fireBurst);
}

TEST_F(GameFrameTest, TopBarHearsMessagesLifeAndBlood) {
    game->topbar = TTopbar::getInstance(engine, &properties);
    ASSERT_NE(nullptr, game->topbar);
    game->dragon->setPosition(game->dragon->getPosition() + TVector(100.0f, 0.0f, 0.0f));  // off the castle
    key('M');
    EXPECT_EQ("Nicht nahe genug an Burg", game->topbar->message);
    game->dragon->takeDamage(50.0f, TVector());
    EXPECT_FLOAT_EQ(0.75f, game->topbar->fraction[TTopbar::kLife]);
    EXPECT_EQ(32, game->particles->count);  // the blood burst
    game->dragon->takeDamage(500.0f, TVector());
    EXPECT_FLOAT_EQ(0.0f, game->topbar->fraction[TTopbar::kLife]);
    character('c');
    EXPECT_FLOAT_EQ(1.0f, game->topbar->fraction[TTopbar::kLife]);
    frame(50.0f);  // draws the bar; the particles (six seconds) live on
    EXPECT_EQ(64, game->particles->count);
    game->topbar = nullptr;
}

// The sound library hears from the dragon's drawing position scaled by
// 0.01, looking along +z with +y up; the AI controller keeps the same point.
// The level set-up gives the controller the position unscaled.
TEST_F(GameFrameTest, ListenerSitsAtTheDragonInTheSoundLibrarysUnits) {
    const TVector drawn = game->dragon->drawPosition();
    ASSERT_GT(drawn.x, 10000.0f);  // drawing units: 100 times the world's
    EXPECT_FLOAT_EQ(drawn.x, game->ki->listener[0]);
    EXPECT_FLOAT_EQ(drawn.y, game->ki->listener[1]);
    EXPECT_FLOAT_EQ(drawn.z, game->ki->listener[2]);

    frame(50.0f);
    const TVector p = game->dragon->drawPosition() * 0.01f;
    float at[3], forward[3], up[3];
    ASSERT_TRUE(FSOUND_3D_Listener_GetAttributes(at, nullptr, &forward[0], &forward[1], &forward[2], &up[0], &up[1],
                                                 &up[2]));
    const float expected[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(expected[k], at[k]) << k;
        EXPECT_FLOAT_EQ(expected[k], game->ki->listener[k]) << k;
        EXPECT_FLOAT_EQ(k == 2 ? 1.0f : 0.0f, forward[k]) << k;
        EXPECT_FLOAT_EQ(k == 1 ? 1.0f : 0.0f, up[k]) << k;
    }
}

// After the set-up the current music (slot 0) plays at MUSIC_VOLUME, absent
// meaning 0: a stream through its channel, a module through its own volume.
TEST_F(GameFrameTest, LevelSetUpAppliesTheMusicVolume) {
    delete game;
    game = nullptr;
    delete TSound::getInstance();  // a sound object without music
    for (const int kind : {1, 0}) {
        TSound* sound = TSound::getInstance();
        ASSERT_EQ(0, sound->loadMusic(kind, "sound/ingame.wav", true));
        sound->playMusic(0);
        TMusicRecord* music = sound->currentMusic();
        ASSERT_NE(nullptr, music);
        TProperties settings;
        if (kind == 1) settings.set("MUSIC_VOLUME", "77");
        TGame* level = new TGame(engine, &settings);
        if (kind == 1) {
            EXPECT_EQ(77, FSOUND_GetVolume(music->channel));
        } else {
            EXPECT_EQ(0, FMUSIC_GetMasterVolume(music->module));
        }
        delete level;
        delete sound;
    }
}

TEST_F(GameFrameTest, GameTimeIsFiveTimesTheWallClockWithItsFractionCarried) {
    EXPECT_EQ(100, game->frameTime(50.0f));
    EXPECT_EQ(1666, game->frameTime(3.0f));
    EXPECT_EQ(1667, game->frameTime(3.0f));  // two thirds carried
    EXPECT_EQ(0, game->frameTime(1.0f));
    EXPECT_EQ(0, game->frameTime(0.0f));
    // Far above 5000 frames a second time still passes.
    game->dtCarry = 0.0;
    int total = 0;
    for (int i = 0; i < 100; ++i) total += game->frameTime(10000.0f);
    EXPECT_EQ(50, total);
}

TEST_F(GameFrameTest, NothingMovesAtAFrameRateOfOne) {
    game->keyState[VK_UP] = 1;
    const TVector before = game->dragon->drawPosition();
    frame(1.0f);
    EXPECT_EQ(0, game->lastDt);
    EXPECT_EQ(0, game->aiTimer);
    const TVector after = game->dragon->drawPosition();
    EXPECT_FLOAT_EQ(before.x, after.x);
    EXPECT_FLOAT_EQ(before.y, after.y);
    EXPECT_FLOAT_EQ(before.z, after.z);
    frame(50.0f);
    EXPECT_EQ(100, game->lastDt);
    EXPECT_NE(before.y, game->dragon->drawPosition().y);
}

TEST_F(GameFrameTest, AiRunsOnceTheSumPassesOneSecondThenStartsAgain) {
    for (int i = 1; i <= 10; ++i) {
        frame(50.0f);
        EXPECT_EQ(100 * i, game->aiTimer);
    }
    frame(50.0f);
    EXPECT_EQ(0, game->aiTimer);
    frame(3.0f);
    EXPECT_EQ(0, game->aiTimer);  // 1666 at once: run, the surplus dropped
}

TEST_F(GameFrameTest, HeldButtonShootsOnTheNextFrameThenAtTheFireInterval) {
    game->handleMessage(engine->window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(1, game->leftButton);
    frame(50.0f);
    EXPECT_EQ(0, game->fireTimer);  // shot
    EXPECT_EQ(TDrache::SOUND_FIRE, game->dragon->currentSound);
    for (int i = 0; i < 15; ++i) frame(50.0f);
    EXPECT_EQ(1500, game->fireTimer);  // not above the interval yet
    frame(50.0f);
    EXPECT_EQ(0, game->fireTimer);

    game->dragon->firepower = 2.0f;  // 750 ms
    for (int i = 0; i < 8; ++i) frame(50.0f);
    EXPECT_EQ(0, game->fireTimer);

    frame(50.0f);
    game->handleMessage(engine->window, WM_LBUTTONUP, 0, 0);
    frame(50.0f);
    EXPECT_EQ(100, game->fireTimer);  // stopped, not reset
}

TEST_F(GameFrameTest, CastleKeyWithoutCastleIsNotNearEnough) {
    ASSERT_NE(nullptr, game->castleKind);
    delete game->castleKind->castle;  // the kind forgets it
    ASSERT_EQ(nullptr, game->castleKind->castle);
    key('M');
    EXPECT_STREQ("Nicht nahe genug an Burg", game->lastMessage);
    EXPECT_EQ(0, TGame::leaveFlag);
    EXPECT_EQ(0, game->paused);
    EXPECT_EQ(TGame::RESULT_QUIT, game->resultCode);
}

TEST_F(GameFrameTest, PauseStopsTheWorldAndTurnsTheCamera) {
    frame(50.0f);  // the follow camera now looks along the dragon's backward axis
    character('p');
    EXPECT_EQ(1, game->paused);
    const TVector before = game->dragon->drawPosition();
    const TVector direction = game->followCamera.getDirection();
    ASSERT_GT(std::hypot(direction.x, direction.y), 0.5f);
    game->keyState[VK_UP] = 1;
    frame(50.0f);
    EXPECT_EQ(100, game->aiTimer);
    EXPECT_FLOAT_EQ(before.y, game->dragon->drawPosition().y);
    const TVector turned = game->followCamera.getDirection();
    EXPECT_NEAR(0.005f, std::atan2(turned.y, turned.x) - std::atan2(direction.y, direction.x), 1e-4f);
    EXPECT_FLOAT_EQ(1.0f, game->followCamera.up.z);
    character('P');
    EXPECT_EQ(0, game->paused);
    frame(50.0f);
    EXPECT_EQ(200, game->aiTimer);
    EXPECT_NE(before.y, game->dragon->drawPosition().y);
}

TEST_F(GameFrameTest, DragonLifeBelowZeroLosesOnce) {
    game->dragon->life = 0.0f;  // exactly 0 does not lose
    game->aiTimer = 1000;
    frame(50.0f);
    EXPECT_EQ(0, game->aiTimer);
    EXPECT_FALSE(game->ki->lost);
    EXPECT_EQ(0, game->paused);

    game->dragon->life = -0.5f;
    game->aiTimer = 1000;
    frame(50.0f);
    EXPECT_TRUE(game->ki->lost);
    EXPECT_EQ(1, game->paused);
    EXPECT_STREQ("Sie haben das Spiel verloren!", game->lastMessage);
    TMusicRecord* music = game->sound->music[game->ki->soundSlots[TKI::SOUND_LOST]];
    ASSERT_NE(nullptr, music);
    const int channel = music->channel;
    EXPECT_TRUE(FSOUND_IsPlaying(channel));

    // Still lost: nothing moves until P.
    game->aiTimer = 1000;
    frame(50.0f);
    EXPECT_EQ(1000, game->aiTimer);
    character('p');
    game->lastMessage = nullptr;
    frame(50.0f);
    EXPECT_EQ(0, game->aiTimer);
    EXPECT_STREQ("Sie haben das Spiel verloren!", game->lastMessage);
    EXPECT_EQ(channel, music->channel);  // the lose music did not start again
    EXPECT_EQ(0, game->paused);          // nor is the game stopped again
    FSOUND_Stream_Stop(music->stream);
}

TEST_F(GameFrameTest, ObjectAskingToLeaveIsDeletedAfterItsMarker) {
    // The level's own objects (the dragon, the castle, the houses and the
    // dwarves they make in their first step) are counted apart.
    frame(50.0f);
    const int level = game->objects.count();
    std::vector<std::string> events;
    Probe* stays = new Probe(game, &events, false);
    new Probe(game, &events, true);
    frame(50.0f);
    EXPECT_EQ((std::vector<std::string>{"periodicDo 100", "marker", "periodicDo 100", "marker", "deleted"}),
              events);
    EXPECT_EQ(level + 1, game->objects.count());  // the level and the one that stays
    events.clear();
    frame(1.0f);  // no update step: nothing advances
    EXPECT_TRUE(events.empty());
    delete stays;
    EXPECT_EQ(level, game->objects.count());
}

TEST_F(GameFrameTest, KeysLeaveWithTheirResultCodes) {
    key(VK_ESCAPE);
    EXPECT_EQ(1, TGame::leaveFlag);
    EXPECT_EQ(TGame::RESULT_MAIN_MENU, game->resultCode);
    EXPECT_EQ(1, game->keyState[VK_ESCAPE]);
    game->handleMessage(engine->window, WM_KEYUP, VK_ESCAPE, 0);
    EXPECT_EQ(0, game->keyState[VK_ESCAPE]);

    TGame::leaveFlag = 0;
    key(VK_NUMPAD5);
    EXPECT_EQ(1, TGame::leaveFlag);
    EXPECT_EQ(1, game->paused);
    EXPECT_EQ(TGame::RESULT_EQUIPMENT, game->resultCode);

    TGame::leaveFlag = 0;
    game->handleMessage(engine->window, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_EQ(1, TGame::leaveFlag);
    EXPECT_EQ(TGame::RESULT_QUIT, game->resultCode);

    TGame::leaveFlag = 0;
    EXPECT_EQ(0, game->handleMessage(engine->window, WM_CLOSE, 0, 0));
    EXPECT_EQ(1, TGame::leaveFlag);
    EXPECT_EQ(TGame::RESULT_QUIT, game->resultCode);

    // Codes beyond the key table are ignored.
    game->handleMessage(engine->window, WM_KEYDOWN, 0x1234, 0);
    game->handleMessage(engine->window, WM_KEYUP, 0x1234, 0);
}

TEST_F(GameFrameTest, SwitchKeysFlipTheirSettingsWithAMessage) {
    key('2');
    EXPECT_EQ(&game->targetCamera, engine->camera);
    key('1');
    EXPECT_EQ(&game->followCamera, engine->camera);

    key('I');
    EXPECT_EQ(0, game->invertMouse);
    EXPECT_STREQ("Invertierte Maus aus", game->lastMessage);
    key(VK_NUMPAD9);
    EXPECT_STREQ("Invertierte Maus an", game->lastMessage);

    key(VK_F7);
    EXPECT_FALSE(engine->displayLists);
    EXPECT_STREQ("Displaylists aus", game->lastMessage);
    key(VK_F7);
    EXPECT_TRUE(engine->displayLists);
    key(VK_F8);
    EXPECT_FALSE(engine->frustumCulling);
    EXPECT_STREQ("Fustrum Culling aus", game->lastMessage);
    key(VK_F8);
    key(VK_F6);
    EXPECT_STREQ("VBOs aus", game->lastMessage);
    key(VK_F6);
    EXPECT_STREQ("VBOs an", game->lastMessage);
    key(VK_F9);
    EXPECT_STREQ("Transparenz aus", game->lastMessage);
    key(VK_F9);
    key(VK_F3);
    EXPECT_STREQ("wireframe Modus an", game->lastMessage);
    key(VK_F3);
    key(VK_F5);
    EXPECT_STREQ("MipMapping aus", game->lastMessage);
    key(VK_F5);
    key(VK_F4);
    EXPECT_STREQ("nearest filtering", game->lastMessage);
    key(VK_F4);
    EXPECT_STREQ("linear bzw trilinear filtering", game->lastMessage);
    EXPECT_EQ(0, TGame::leaveFlag);
}

TEST_F(GameFrameTest, CharactersActOnDragonAndSound) {
    game->dragon->life = 50.0f;
    character('c');
    EXPECT_FLOAT_EQ(game->dragon->maxLife, game->dragon->getLife());
    EXPECT_EQ(10, game->dragon->unspentPoints);
    character('y');
    EXPECT_EQ(TDrache::SOUND_SNARL, game->dragon->currentSound);
    const int volume = game->sound->musicVolume;
    character('+');
    EXPECT_EQ(volume + 5, game->sound->musicVolume);
    character('-');
    EXPECT_EQ(volume, game->sound->musicVolume);
    character('w');
    character(' ');  // no gold carried: nothing
    EXPECT_FLOAT_EQ(0.0f, game->dragon->carriedGold);
}

TEST_F(GameFrameTest, MouseTurnsTheDragonAndRecentresTheCursor) {
    game->mouseLook(210, 200);
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(200, p.x);
    EXPECT_EQ(200, p.y);
    // From the starting orientation: a turn of -0.05 rad about z.
    const TMatrix expected = TMatrix::rotationZ(-0.05f);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(expected.m[i], game->dragon->rotation.m[i], 1e-6f);

    // While paused the mouse does nothing.
    game->paused = 1;
    SetCursorPos(300, 300);
    game->mouseLook(300, 300);
    GetCursorPos(&p);
    EXPECT_EQ(300, p.x);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(expected.m[i], game->dragon->rotation.m[i], 1e-6f);
}

TEST_F(GameFrameTest, InvertedMousePitchesTheOtherWay) {
    game->mouseLook(200, 220);
    const TVector inverted = game->dragon->getBackward();
    game->dragon->rotation = TMatrix();
    game->invertMouse = 0;
    game->mouseLook(200, 220);
    const TVector plain = game->dragon->getBackward();
    EXPECT_NEAR(-std::sin(0.1f), inverted.z, 1e-5f);
    EXPECT_NEAR(std::sin(0.1f), plain.z, 1e-5f);
}

TEST_F(GameFrameTest, RunStartsWithCleanInputAndEndsOnItsKeys) {
    game->keyState[VK_UP] = 1;
    game->leftButton = 1;
    game->paused = 1;
    SetCursorPos(10, 10);
    PostMessageA(engine->window, WM_KEYDOWN, 'E', 0);
    EXPECT_EQ(TGame::RESULT_EQUIPMENT, game->run());
    EXPECT_EQ(0, game->keyState[VK_UP]);
    EXPECT_EQ(0, game->leftButton);
    EXPECT_EQ(200, game->cursor.x);
    EXPECT_EQ(200, game->cursor.y);
    EXPECT_EQ(game, engine->screen);
    EXPECT_EQ(&game->followCamera, engine->camera);

    PostMessageA(engine->window, WM_CLOSE, 0, 0);
    EXPECT_EQ(TGame::RESULT_QUIT, game->run());
    EXPECT_EQ(0, game->paused);  // every run clears the pause
    PostQuitMessage(0);
    EXPECT_EQ(TGame::RESULT_QUIT, game->run());
    engine->screen = nullptr;
}

TEST_F(GameFrameTest, AtMostAHundredMessagesAFrame) {
    for (int i = 0; i < 150; ++i) PostMessageA(engine->window, WM_KEYUP, VK_LEFT, 0);
    PostMessageA(engine->window, WM_KEYDOWN, VK_ESCAPE, 0);
    const int before = engine->fpsCounter.frames;
    EXPECT_EQ(TGame::RESULT_MAIN_MENU, game->run());
    // Two frames: the escape was the 151st message.
    EXPECT_EQ((before + 2) % 10, engine->fpsCounter.frames);
    engine->screen = nullptr;
}

}  // namespace
