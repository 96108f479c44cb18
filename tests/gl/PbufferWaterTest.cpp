// Pbuffer render targets and the water: a pbuffer keeps its own GL state, the
// engine forwards to it while it is current, its picture reaches a texture
// with mipmaps and is released once; the water's material, its mirrored
// reflection pass and drifting program matrices; and the running game seen
// over the sea, with the island mirrored in the water. Pictures are written
// to the test's temp folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "GameTestWindow.h"
#include "engine/GLExtensions.h"
#include "engine/TCamera.h"
#include "engine/TMaterial.h"
#include "engine/TPBuffer.h"
#include "engine/TProperties.h"
#include "engine/TTextureLayer.h"
#include "game/TGame.h"
#include "platform/gl.h"
#include "scene/TReflectionDrawer.h"
#include "scene/TWasser.h"
#include "support/Picture.h"

namespace fs = std::filesystem;

namespace {

const int kWidth = 640;
const int kHeight = 480;

struct Rgba {
    int r, g, b, a;
};

// The texture bound to GL_TEXTURE_2D, one mipmap level, at (x, y) counted
// from the bottom row.
Rgba texel(int level, int x, int y) {
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
    if (w <= 0 || h <= 0 || x >= w || y >= h) return Rgba{-1, -1, -1, -1};
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    const unsigned char* p = &pixels[(static_cast<size_t>(y) * w + x) * 4];
    return Rgba{p[0], p[1], p[2], p[3]};
}

bool near(const Rgba& c, int r, int g, int b, int tolerance = 3) {
    return std::abs(c.r - r) <= tolerance && std::abs(c.g - g) <= tolerance && std::abs(c.b - b) <= tolerance;
}

// Counts the calls that give a pbuffer's picture back.
int releaseCount = 0;
PFNWGLRELEASETEXIMAGEARBPROC realRelease = nullptr;
BOOL countingRelease(HPBUFFERARB pbuffer, int buffer) {
    ++releaseCount;
    return realRelease(pbuffer, buffer);
}

// Records what the reflection pass looks like from inside and fills the
// target with one colour.
class RecordingDrawer : public TReflectionDrawer {
public:
    explicit RecordingDrawer(TEngine* e) : engine(e) {}
    void drawReflection() override {
        ++calls;
        target = engine->activeTarget;
        context = wglGetCurrentContext();
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview.m);
        glClearColor(1.0f, 1.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0.5f, 0.5f, 1.0f, 1.0f);
    }

    TEngine* engine;
    int calls = 0;
    TRenderContext* target = nullptr;
    HGLRC context = nullptr;
    TMatrix modelview;
};

TVector transformPoint(const TMatrix& m, const TVector& p) {
    const float* a = m.m;
    return TVector(a[0] * p.x + a[4] * p.y + a[8] * p.z + a[12], a[1] * p.x + a[5] * p.y + a[9] * p.z + a[13],
                   a[2] * p.x + a[6] * p.y + a[10] * p.z + a[14]);
}

// A camera as the game's follow camera is set up, at a world position
// looking along `forward`; up along +z gives an upright picture.
void placeCamera(TCamera& camera, TEngine* engine, const TVector& eyeWorld, const TVector& forward) {
    camera.projectionA = 500.0;
    camera.projectionB = 498.0;
    camera.updateProjection();
    camera.lightPosition = engine->lightPosition;
    camera.up = TVector(0.0f, 0.0f, 1.0f);
    camera.setDirection(forward.normalized() * -1.0f);
    camera.setPosition(eyeWorld * 100.0f);
}

class PbufferWaterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = ::testing::TempDir() + "PbufferWaterTest_" + std::to_string(getpid());
        fs::create_directories(folder);
        engine = gametest::openEngine();
    }
    static void TearDownTestSuite() { gametest::closeEngine(); }

    void SetUp() override { ASSERT_NE(nullptr, engine); }
    void TearDown() override {
        engine->makeCurrent();
        engine->setMaterial(engine->stdMat);
    }

    // A pbuffer of the engine's texture list (which owns it).
    TPBuffer* makePbuffer(const char* name, int size) {
        return new TPBuffer(TString(name), size, size, 16, true, engine);
    }

    static std::string savePicture(const Picture& p, const char* name) {
        const std::string path = folder + "/" + name;
        EXPECT_TRUE(writePng(p, path)) << path;
        std::printf("picture: %s\n", path.c_str());
        return path;
    }

    static TEngine* engine;
    static std::string folder;
};

TEngine* PbufferWaterTest::engine = nullptr;
std::string PbufferWaterTest::folder;

TEST_F(PbufferWaterTest, PbufferKeepsItsOwnStateAndTheEngineForwardsWhileItIsCurrent) {
    TPBuffer* p = makePbuffer("statepBuff", 64);
    ASSERT_TRUE(p->isValid());
    // Construction leaves the window's context current and registers the
    // pbuffer as a texture of the engine.
    EXPECT_EQ(engine->glContext, wglGetCurrentContext());
    EXPECT_EQ(nullptr, engine->activeTarget);
    TTextureLayer layer(TString("statepBuff"), 1.0f, 1.0f, 1, 0);
    EXPECT_EQ(static_cast<TTexture*>(p), engine->findTexture(&layer));
    EXPECT_EQ(GL_TEXTURE_2D, static_cast<GLenum>(p->target));
    EXPECT_NE(0u, p->id);

    p->makeCurrent();
    EXPECT_EQ(p, engine->activeTarget);
    EXPECT_EQ(p->pbufferContext, wglGetCurrentContext());
    // Its own defaults: opaque clear colour, colour material on diffuse only.
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(1.0f, clear[3]);
    GLint colourMaterial = 0;
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &colourMaterial);
    EXPECT_EQ(GL_DIFFUSE, colourMaterial);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(64, viewport[2]);
    EXPECT_EQ(64, viewport[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(128, pixel[0]);
    EXPECT_EQ(128, pixel[1]);
    EXPECT_EQ(255, pixel[2]);
    EXPECT_EQ(255, pixel[3]);

    // The render-context operations reach the pbuffer, not the engine.
    const int engineUnit = engine->activeUnit;
    engine->setActiveTexture(3);
    EXPECT_EQ(3, p->activeUnit);
    EXPECT_EQ(engineUnit, engine->activeUnit);
    engine->setUnitTarget(5, GL_TEXTURE_CUBE_MAP_ARB);
    EXPECT_EQ(static_cast<unsigned>(GL_TEXTURE_CUBE_MAP_ARB), p->unitTargets[5]);
    EXPECT_EQ(static_cast<unsigned>(GL_TEXTURE_CUBE_MAP_ARB), engine->getUnitTarget(5));
    EXPECT_EQ(0u, engine->unitTargets[5]);
    engine->setTextureUnitCount(6);
    EXPECT_EQ(6, p->unitCount);
    engine->setMaterial(engine->stdMat);
    EXPECT_EQ(engine->stdMat, p->material);
    EXPECT_EQ(engine->stdMat, engine->getMaterial());
    engine->setTextureUnitCount(0);
    EXPECT_EQ(0u, p->unitTargets[5]);

    // The engine's makeCurrent ends the forwarding; the window's state was
    // never touched.
    engine->makeCurrent();
    EXPECT_EQ(nullptr, engine->activeTarget);
    EXPECT_EQ(engine->glContext, wglGetCurrentContext());
    const int pbufferUnit = p->activeUnit;
    engine->setActiveTexture(2);
    EXPECT_EQ(2, engine->activeUnit);
    EXPECT_EQ(pbufferUnit, p->activeUnit);
    engine->setActiveTexture(0);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(0.0f, clear[3]);
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &colourMaterial);
    EXPECT_EQ(GL_AMBIENT_AND_DIFFUSE, colourMaterial);
}

TEST_F(PbufferWaterTest, BindTextureDeliversThePictureWithMipmaps) {
    TPBuffer* p = makePbuffer("picturepBuff", 64);
    ASSERT_TRUE(p->isValid());
    // Red below, green above, drawn in the pbuffer's own context.
    p->makeCurrent();
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    glVertex3f(-1.0f, 0.0f, 0.0f);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glVertex3f(-1.0f, 1.0f, 0.0f);
    glEnd();
    engine->makeCurrent();

    p->bindTexture(1);
    EXPECT_TRUE(p->bound);
    EXPECT_EQ(1, p->unit);
    EXPECT_EQ(1, engine->activeUnit);
    EXPECT_EQ(static_cast<unsigned>(GL_TEXTURE_2D), engine->getUnitTarget(1));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(p->id, static_cast<GLuint>(bound));

    // The picture, upright (bottom row first), on every mipmap level.
    EXPECT_TRUE(near(texel(0, 32, 8), 255, 0, 0)) << texel(0, 32, 8).r;
    EXPECT_TRUE(near(texel(0, 32, 56), 0, 255, 0));
    EXPECT_TRUE(near(texel(1, 16, 4), 255, 0, 0));
    EXPECT_TRUE(near(texel(1, 16, 28), 0, 255, 0));
    const Rgba last = texel(6, 0, 0);
    EXPECT_TRUE(near(last, 128, 128, 0, 4)) << last.r << " " << last.g << " " << last.b;
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(GL_LINEAR_MIPMAP_LINEAR, value);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(GL_CLAMP_TO_EDGE, value);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, &value);
    EXPECT_EQ(0, value);

    // A new picture replaces the old one at the next bind.
    p->makeCurrent();
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    engine->makeCurrent();
    p->bindTexture(1);
    EXPECT_TRUE(near(texel(0, 32, 56), 0, 0, 255));
    EXPECT_TRUE(near(texel(6, 0, 0), 0, 0, 255));
    engine->setTextureUnitCount(0);
}

TEST_F(PbufferWaterTest, MakeCurrentReleasesTheBoundPictureOnce) {
    TPBuffer* p = makePbuffer("releasepBuff", 32);
    ASSERT_TRUE(p->isValid());
    realRelease = ext_wglReleaseTexImageARB;
    ext_wglReleaseTexImageARB = countingRelease;
    releaseCount = 0;

    p->makeCurrent();  // nothing bound yet
    engine->makeCurrent();
    EXPECT_EQ(0, releaseCount);

    p->bindTexture(0);
    p->makeCurrent();
    p->makeCurrent();
    EXPECT_EQ(1, releaseCount);
    EXPECT_FALSE(p->bound);
    engine->makeCurrent();
    engine->makeCurrent();
    EXPECT_EQ(1, releaseCount);

    ext_wglReleaseTexImageARB = realRelease;
    engine->setTextureUnitCount(0);
}

TEST_F(PbufferWaterTest, WaterMirrorsTheSceneIntoItsPbufferAndDriftsItsNormalMaps) {
    RecordingDrawer drawer(engine);
    TCamera reflectionCamera, viewer;
    placeCamera(reflectionCamera, engine, TVector(1024.0f, 100.0f, 400.0f), TVector(0.0f, 1.0f, 0.3f));
    placeCamera(viewer, engine, TVector(300.0f, 200.0f, 450.0f), TVector(0.0f, 1.0f, 0.3f));
    TWasser* water = new TWasser(TVector(0.0f, 0.707f, 0.707f), &drawer, &reflectionCamera, 500, engine);

    // The material: six layers with the reflection picture on unit 2, and
    // the water programs.
    ASSERT_NE(nullptr, water->material);
    EXPECT_EQ(water->material, engine->findMaterial(TString("wasser")));
    ASSERT_EQ(5, water->material->lastLayerIndex);
    const char* names[6] = {"perlinnormals.tga", "normC", "waterpBuff", "skyboxtex", "perlinnormals.tga",
                            "perlinnormals.tga"};
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(water->material->layers[i].getTextureName().equals(names[i])) << i;
    ASSERT_NE(nullptr, water->reflection);
    ASSERT_TRUE(water->reflection->isValid());
    EXPECT_EQ(static_cast<TTexture*>(water->reflection), water->material->textures[2]);
    EXPECT_EQ(water->material->textures[0], water->material->textures[4]);
    EXPECT_TRUE(engine->isVertexProgramValid(water->material->vertexProgramSlot));
    EXPECT_TRUE(engine->isFragmentProgramValid(water->material->fragmentProgramSlot));

    engine->camera = &viewer;
    viewer.apply();
    glPushMatrix();
    glScalef(100.0f, 100.0f, 100.0f);
    water->render();
    glPopMatrix();
    engine->camera = nullptr;

    // The pass ran in the pbuffer, mirrored about z = 500 x 100, with the
    // water's own camera.
    EXPECT_EQ(1, drawer.calls);
    EXPECT_EQ(static_cast<TRenderContext*>(water->reflection), drawer.target);
    EXPECT_EQ(water->reflection->pbufferContext, drawer.context);
    for (const TVector& p : {TVector(0.0f, 0.0f, 0.0f), TVector(1000.0f, -300.0f, 50000.0f),
                             TVector(204800.0f, 50.0f, 80000.0f)}) {
        const TVector seen = transformPoint(drawer.modelview, p);
        const TVector expected = transformPoint(reflectionCamera.view, TVector(p.x, p.y, 100000.0f - p.z));
        EXPECT_NEAR(0.0f, (seen - expected).length(), 0.05f) << p.x << " " << p.y << " " << p.z;
    }
    // Afterwards: the window's context, the default material, the picture
    // released; the picture itself holds what the pass drew.
    EXPECT_EQ(nullptr, engine->activeTarget);
    EXPECT_EQ(engine->glContext, wglGetCurrentContext());
    EXPECT_EQ(engine->stdMat, engine->getMaterial());
    EXPECT_FALSE(water->reflection->bound);
    glBindTexture(GL_TEXTURE_2D, water->reflection->id);
    EXPECT_TRUE(near(texel(0, 128, 128), 255, 255, 0));
    EXPECT_TRUE(near(texel(8, 0, 0), 255, 255, 0));

    // Vertex-program environment parameter 0: the viewing camera in world
    // units.
    auto getEnv = reinterpret_cast<PFNGLGETPROGRAMENVPARAMETERFVARBPROC>(
        wglGetProcAddress("glGetProgramEnvParameterfvARB"));
    ASSERT_NE(nullptr, getEnv);
    GLfloat env[4] = {};
    getEnv(GL_VERTEX_PROGRAM_ARB, 0, env);
    EXPECT_NEAR(300.0f, env[0], 0.01f);
    EXPECT_NEAR(200.0f, env[1], 0.01f);
    EXPECT_NEAR(450.0f, env[2], 0.01f);
    EXPECT_FLOAT_EQ(1.0f, env[3]);

    // The program matrices drift a fixed step every frame.
    for (int frame = 1; frame < 5; ++frame) water->render();
    for (int i = 0; i < 4; ++i) {
        const float step = 0.08f * static_cast<float>(4 - i);
        GLfloat m[16] = {};
        glMatrixMode(GL_MATRIX0_ARB + i);
        glGetFloatv(GL_CURRENT_MATRIX_ARB, m);
        EXPECT_NEAR(5 * 0.0005f * step, m[12], 1e-6f) << i;
        EXPECT_NEAR(5 * 0.0001f * step, m[13], 1e-6f) << i;
        EXPECT_FLOAT_EQ(1.0f, m[0]);
        EXPECT_NEAR(5 * 0.0005f * step, water->textureMatrices[i].m[12], 1e-6f);
    }
    glMatrixMode(GL_MODELVIEW);
    EXPECT_NEAR(0.0008f, water->textureMatrices[0].m[12], 1e-6f);
    EXPECT_NEAR(0.00016f, water->textureMatrices[0].m[13], 1e-6f);
    EXPECT_EQ(5, drawer.calls);

    // The material and the pbuffer stay with the engine.
    delete water;
    EXPECT_NE(nullptr, engine->findMaterial(TString("wasser")));
    TTextureLayer layer(TString("waterpBuff"), 1.0f, 1.0f, 1, 0);
    EXPECT_NE(nullptr, engine->findTexture(&layer));
}

// The game from a little above the sea, looking at the island: the water
// reflects the sky and the island; the picture is upright and has no black
// or missing parts.
TEST_F(PbufferWaterTest, GameShowsTheIslandMirroredInTheSea) {
    TProperties properties;
    TGame* game = new TGame(engine, &properties);
    gametest::activeScreen() = game;
    ASSERT_NE(nullptr, game->water);
    EXPECT_EQ(500, game->water->level);
    EXPECT_EQ(static_cast<TReflectionDrawer*>(game), game->water->reflectionDrawer);
    EXPECT_EQ(&game->followCamera, game->water->camera);
    EXPECT_FLOAT_EQ(0.707f, game->water->direction.y);
    EXPECT_FLOAT_EQ(0.707f, game->water->direction.z);

    // A frame rate of 0 keeps the world (and the camera) still.
    engine->camera = &game->followCamera;
    engine->fpsCounter.fps = 0.0f;
    placeCamera(game->followCamera, engine, TVector(120.0f, 120.0f, 430.0f), TVector(1.0f, 1.0f, 0.2f));
    auto drawFrame = [&]() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        engine->camera->apply();
        game->doFrame();
        glFinish();
        return readColourBuffer(kWidth, kHeight);
    };
    drawFrame();  // the ground picks its visible tiles for the next frame
    const Picture withReflection = drawFrame();
    savePicture(withReflection, "sea.png");

    // The same view with only the sky in the reflection.
    class SkyOnly : public TReflectionDrawer {
    public:
        explicit SkyOnly(TGame* g) : game(g) {}
        void drawReflection() override { game->drawSkybox(); }
        TGame* game;
    } skyOnly(game);
    game->water->reflectionDrawer = &skyOnly;
    const Picture skyReflection = drawFrame();
    savePicture(skyReflection, "sea_sky_only.png");
    game->water->reflectionDrawer = game;

    // Upright: sky at the top, water at the bottom, nothing black.
    const Mean sky = meanOf(withReflection, 0, 0, kWidth, 60);
    EXPECT_GT(sky.b, sky.r + 30);
    const Mean sea = meanOf(withReflection, 0, kHeight - 80, kWidth, kHeight);
    EXPECT_GT(sea.b, sea.r);
    int dark = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* c = withReflection.at(x, y);
            if (c[0] + c[1] + c[2] < 30) ++dark;
        }
    EXPECT_LT(dark, kWidth * kHeight / 500);

    // The near sea is water, not fog (its fog distance is the depth in
    // front of the camera).
    const Mean near = meanOf(withReflection, 0, kHeight - 60, kWidth, kHeight);
    EXPECT_LT(near.b, 200.0);
    EXPECT_GT(near.b, near.r + 20);

    // The island shows in the water: below the coast the sea differs from
    // the sea with only the sky in the reflection, and is darker.
    int changed = 0;
    for (int y = 200; y < 340; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* a = withReflection.at(x, y);
            const unsigned char* b = skyReflection.at(x, y);
            if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 15) ++changed;
        }
    EXPECT_GT(changed, 4000);
    const Mean island = meanOf(withReflection, 100, 250, 340, 290);
    const Mean skyOnlyThere = meanOf(skyReflection, 100, 250, 340, 290);
    EXPECT_LT(island.b, skyOnlyThere.b - 4.0);

    // F6 switches buffer objects off on the reflection target and the
    // engine together, and leaves the window's context current; the frame
    // looks the same without them.
    game->keyDown(VK_F6, 0);
    EXPECT_FALSE(game->water->reflection->useVBO);
    EXPECT_FALSE(engine->useVBO);
    EXPECT_EQ(nullptr, engine->activeTarget);
    EXPECT_EQ(engine->glContext, wglGetCurrentContext());
    const Picture withoutBuffers = drawFrame();
    int differing = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* a = withReflection.at(x, y);
            const unsigned char* b = withoutBuffers.at(x, y);
            if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 12) ++differing;
        }
    EXPECT_LT(differing, kWidth * kHeight / 100);
    game->keyDown(VK_F6, 0);
    EXPECT_TRUE(game->water->reflection->useVBO);
    EXPECT_TRUE(engine->useVBO);

    gametest::activeScreen() = nullptr;
    engine->camera = nullptr;
    delete game;
}

}  // namespace
