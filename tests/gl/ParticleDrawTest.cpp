// Particles on a real GL context with the generated particle vertex program:
// squares appear where the program puts the particles' positions, in their
// materials' colours, the later drawn (greater view depth) over the earlier,
// with alpha and the third texture coordinate taken from the parameters;
// the bursts' counts and spread with the engine's direction table. The
// picture is written to the test's temp folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TCamera.h"
#include "engine/TEngine.h"
#include "engine/TMaterial.h"
#include "engine/TTexture3D.h"
#include "engine/TTextureLayer.h"
#include "platform/gl.h"
#include "platform/win32.h"
#include "scene/TBurstEmitter.h"
#include "scene/TParticleBurst.h"
#include "scene/TParticleEmitter.h"
#include "scene/TParticleManager.h"
#include "scene/TWorld.h"
#include "support/Picture.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace {

const int kWidth = 640;
const int kHeight = 480;

// An opaque TGA of one colour, 8 x 8, 32 bits.
void writeTga(const std::string& file, unsigned char r, unsigned char g, unsigned char b) {
    std::vector<unsigned char> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = 8;
    bytes[14] = 8;
    bytes[16] = 32;
    for (int i = 0; i < 64; ++i) {
        bytes.push_back(b);
        bytes.push_back(g);
        bytes.push_back(r);
        bytes.push_back(255);
    }
    FILE* f = std::fopen(("tex/" + file).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

HWND makeWindow() {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "particletest";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "particletest", "particletest", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr,
                           nullptr, nullptr);
}

class ParticleDrawTest : public ::testing::Test {
protected:
    static TEngine* engine;
    static std::string folder;
    static int program;

    static void SetUpTestSuite() {
        folder = ::testing::TempDir() + "ParticleDrawTest_" + std::to_string(getpid());
        fs::create_directories(folder + "/tex");
        fs::create_directories(folder + "/programs");
        fs::copy_file(binaryDir() + "/programs/particle_vp.txt", folder + "/programs/particle_vp.txt");
        ASSERT_EQ(0, chdir(folder.c_str()));
        openLog("Log.txt");
        HWND window = makeWindow();
        ASSERT_NE(nullptr, window);
        engine = TEngine::getInstance(kWidth, kHeight, window, nullptr, nullptr);
        program = engine->loadVertexProgram(TString("programs\\particle_vp.txt"));
    }
    static void TearDownTestSuite() { TEngine::destroyInstance(); }

    // A one-layer material on the texture name with the particle program.
    static TMaterial* material(const char* name, const char* texture) {
        const TTextureLayer layer(TString(texture), 1.0f, 1.0f, 0, 0);
        TMaterial* m = engine->addMaterial(TMaterialData(TString(name), TColor(1, 1, 1, 1), TColor(0, 0, 0, 1),
                                                         TColor(0, 0, 0, 1), 2.0f, 0, &layer));
        m->vertexProgramSlot = program;
        return m;
    }

    static TParticleEmitter* particle(TParticleManager& manager, TMaterial* m, const TVector& p, float size,
                                      float spin, bool alphaInZ) {
        TParticleEmitter* e = manager.add(new TParticleEmitter(10000, TVector(), 0.0f, size, 0.0f, 0.0f, 0.0f, 0.0f,
                                                               m, p, false, alphaInZ, &manager, engine));
        e->spin = spin;
        return e;
    }

    // The pixel at (x, y) counted from the top left.
    static std::vector<int> pixel(const Picture& picture, int x, int y) {
        const unsigned char* c = picture.at(x, y);
        return {c[0], c[1], c[2]};
    }
};

TEngine* ParticleDrawTest::engine = nullptr;
std::string ParticleDrawTest::folder;
int ParticleDrawTest::program = -1;

// The default camera sees a point at (x, y, z) at window x 320 (1 + 0.625 x
// / w), y 240 (1 + y / w) from the top, with w = (30 - z) / 2; a half size
// h covers 0.625 h / w by h / w of the half window.
TEST_F(ParticleDrawTest, SquaresWhereTheProgramPlacesThem) {
    ASSERT_GE(program, 0);
    ASSERT_TRUE(engine->isVertexProgramValid(program));
    writeTga("red.tga", 255, 0, 0);
    writeTga("green.tga", 0, 255, 0);
    writeTga("blue.tga", 0, 0, 255);
    writeTga("yellow.tga", 255, 255, 0);
    writeTga("white.tga", 255, 255, 255);
    writeTga("slice0.tga", 255, 0, 0);
    writeTga("slice1.tga", 0, 255, 0);
    writeTga("slice2.tga", 0, 0, 255);
    writeTga("slice3.tga", 255, 0, 255);
    new TTexture3D(TString("slice"), 4, engine);

    TCamera camera;
    engine->camera = &camera;
    TParticleManager manager(engine);
    // Left red, right green; a rotated white one at the top.
    particle(manager, material("redMat", "red.tga"), TVector(-1, 0, 26), 1.0f, 0.0f, false);
    particle(manager, material("greenMat", "green.tga"), TVector(1, 0, 26), 1.0f, 0.0f, false);
    particle(manager, material("whiteMat", "white.tga"), TVector(0, -1, 26), 1.0f, 0.785398f, false);
    // Blue (depth 26) and yellow (depth 22, twice as far from the eye and a
    // little more than twice the size) below the centre: a yellow rim.
    particle(manager, material("blueMat", "blue.tga"), TVector(0, 1, 26), 1.0f, 0.0f, false);
    particle(manager, material("yellowMat", "yellow.tga"), TVector(0, 2, 22), 2.4f, 0.0f, false);
    // Half transparent red at the bottom left; the 3D texture's last slice
    // (r = alpha = 0.875) at the bottom right.
    particle(manager, material("redMat2", "red.tga"), TVector(-1, 1.5f, 26), 0.6f, 0.0f, false)->alpha = 0.5f;
    particle(manager, material("sliceMat", "slice"), TVector(1, 1.5f, 26), 0.6f, 0.0f, true)->alpha = 0.875f;

    manager.update(0);
    ASSERT_EQ(manager.count, 7);
    for (int i = 1; i < manager.count; ++i) EXPECT_LE(manager.items[i - 1]->depth, manager.items[i]->depth);

    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    camera.apply();
    glDepthMask(GL_FALSE);
    manager.drawAll();
    glDepthMask(GL_TRUE);
    glReadBuffer(GL_BACK);
    const Picture shot = readColourBuffer(kWidth, kHeight);
    const std::string png = ::testing::TempDir() + "ParticleDrawTest_particles.png";
    EXPECT_TRUE(writePng(shot, png));
    std::printf("picture: %s\n", png.c_str());
    engine->camera = nullptr;
    engine->setMaterial(nullptr);

    // Red square centred at (220, 240), 50 x 60 half extents; green at 420.
    EXPECT_EQ(pixel(shot, 220, 240), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(pixel(shot, 180, 200), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(pixel(shot, 420, 240), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(pixel(shot, 275, 240), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(pixel(shot, 320, 240), (std::vector<int>{0, 0, 0}));
    // White turned by 45 degrees around (320, 120): the square's corners
    // are cut off, its tips reach out along the axes.
    EXPECT_EQ(pixel(shot, 320, 120), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(pixel(shot, 320, 120 - 75), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(pixel(shot, 320 + 45, 120 - 55), (std::vector<int>{0, 0, 0}));
    // Yellow is farther, drawn first; blue over it.
    EXPECT_EQ(pixel(shot, 320, 360), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(pixel(shot, 375, 360), (std::vector<int>{255, 255, 0}));
    // Alpha 0.5 blends half of the red into the black.
    const std::vector<int> half = pixel(shot, 220, 420);
    EXPECT_NEAR(half[0], 128, 3);
    EXPECT_EQ(half[1], 0);
    // The last slice (magenta) at 0.875 of its colour.
    const std::vector<int> slice = pixel(shot, 420, 420);
    EXPECT_NEAR(slice[0], 223, 4);
    EXPECT_NEAR(slice[1], 0, 4);
    EXPECT_NEAR(slice[2], 223, 4);
}

// A burst particle starts `distance` out from the centre along an entry of
// the engine's direction table and flies on outwards along the same line, at
// most `maxSpeed` per millisecond.
void expectFlyingOut(const TEngine* engine, const TParticleEmitter& e, const TVector& centre, float distance,
                     float maxSpeed) {
    const TVector out = e.position - centre;
    EXPECT_NEAR(out.length(), distance, 1e-4f);
    const TVector dir = out.normalized() * 0.0003f;
    bool inTable = false;
    for (const TVector& d : engine->directions) inTable = inTable || (d - dir).length() < 3e-7f;
    EXPECT_TRUE(inTable);
    EXPECT_LE(e.velocity.length(), maxSpeed + 1e-9f);
    if (e.velocity.length() > 0.0f) {
        EXPECT_GT(e.velocity.normalized().dot(out.normalized()), 0.9999f);
    }
}

TEST_F(ParticleDrawTest, BurstsCountAndSpread) {
    TParticleManager manager(engine);
    TWorld world;
    world.particles = &manager;
    world.engine = engine;
    TParticleBurst fire(&world, nullptr);
    TBurstEmitter blood(&world, nullptr);
    const TVector centre(10, 20, 30);

    const float scales[] = {0.0f, -1.0f, 1.0f, 0.1f, 3.0f};
    const int counts[] = {0, 0, 16, 2, 48};
    for (int i = 0; i < 5; ++i) {
        fire.spawn(centre, TVector(), scales[i]);
        EXPECT_EQ(manager.count, counts[i]) << scales[i];
        for (int k = 0; k < manager.count; ++k) {
            auto* e = static_cast<TParticleEmitter*>(manager.items[k]);
            expectFlyingOut(engine, *e, centre, 0.3f * scales[i], 0.0003f * 0.6f * scales[i]);
            EXPECT_TRUE(e->alphaInZ);
            EXPECT_EQ(e->lifetime, 12000);
            EXPECT_FLOAT_EQ(e->fadeRate, 0.00009f);
            EXPECT_FLOAT_EQ(e->size, 25.0f);  // half of 50
            EXPECT_FLOAT_EQ(e->growth, 0.01f * scales[i]);
            EXPECT_FLOAT_EQ(e->spinRate, 0.00007f);
            EXPECT_EQ(e->gravity, 0.0f);
            EXPECT_EQ(e->drag, 0.0f);
            EXPECT_FALSE(e->spawnsChildren);
        }
        manager.update(20000);
        EXPECT_EQ(manager.count, 0);
    }

    blood.spawn(centre, TVector(), 2.0f);
    ASSERT_EQ(manager.count, 32);
    for (int k = 0; k < manager.count; ++k) {
        auto* e = static_cast<TParticleEmitter*>(manager.items[k]);
        expectFlyingOut(engine, *e, centre, 0.15f, 0.0003f * 2.0f * 0.6f);
        EXPECT_EQ(e->lifetime, 6000);
        EXPECT_FLOAT_EQ(e->size, 10.0f);
        EXPECT_FLOAT_EQ(e->fadeRate, 0.00028f);
        EXPECT_FLOAT_EQ(e->growth, 0.007f);
        EXPECT_FLOAT_EQ(e->spinRate, 0.00007f);
        EXPECT_FLOAT_EQ(e->gravity, 1e-7f);
        EXPECT_EQ(e->drag, 0.0f);
        EXPECT_FALSE(e->spawnsChildren);
        EXPECT_FALSE(e->alphaInZ);
    }

    // A burst that does not fit stops where the array is full, however
    // large its scale.
    while (manager.count < TParticleManager::kCapacity - 5) blood.spawn(centre, TVector(), 1.0f);
    fire.spawn(centre, TVector(), 1000000.0f);
    EXPECT_EQ(manager.count, TParticleManager::kCapacity);
}

}  // namespace
