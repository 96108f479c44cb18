// The ground built from the generated level on a real GL context: its
// buffers, programs, texture and material; a frame from the game's flying
// height showing the textured, shaded island; a flat-coloured view from
// above, with tiles at mixed levels of detail, in which no background shows
// through between tiles; and the same pictures whether or not the passes
// leave out what they cannot show. Pictures are written to the test's temp
// folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TBufferObject.h"
#include "engine/TCamera.h"
#include "engine/TEngine.h"
#include "engine/TIndexArray.h"
#include "engine/TMaterial.h"
#include "engine/TTexture.h"
#include "engine/TVertexArray.h"
#include "platform/gl.h"
#include "platform/win32.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"
#include "scene/TMesh.h"
#include "support/Picture.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace {

const int kWidth = 640;
const int kHeight = 480;

HWND makeWindow() {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "groundtest";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "groundtest", "groundtest", WS_POPUP, 0, 0, kWidth, kHeight, nullptr, nullptr, nullptr,
                           nullptr);
}

bool near(const unsigned char* px, int r, int g, int b, int tolerance = 3) {
    return std::abs(px[0] - r) <= tolerance && std::abs(px[1] - g) <= tolerance && std::abs(px[2] - b) <= tolerance;
}

// The game's follow camera: projection distances 500 and 498 and the
// engine's light. The camera's view puts its up vector at the bottom of the
// picture, so an up vector along +z (downward in the world) gives an
// upright picture (mirrored left to right).
void makeGameCamera(TCamera& camera, TEngine* engine, const TVector& eyeWorld, const TVector& forward) {
    camera.projectionA = 500.0;
    camera.projectionB = 498.0;
    camera.updateProjection();
    camera.lightPosition = engine->lightPosition;
    camera.up = TVector(0, 0, 1);
    camera.setDirection(forward.normalized() * -1.0f);
    camera.setPosition(eyeWorld * 100.0f);
}

class GroundRenderTest : public ::testing::Test {
protected:
    static TEngine* engine;
    static TBoden* ground;
    static TMesh* tree;
    static TMesh* house;
    static std::string folder;

    static void SetUpTestSuite() {
        folder = ::testing::TempDir() + "GroundRenderTest_" + std::to_string(getpid());
        fs::create_directories(folder);
        openLog((folder + "/Log.txt").c_str());
        ASSERT_EQ(0, chdir(binaryDir().c_str()));
        HWND window = makeWindow();
        ASSERT_NE(nullptr, window);
        engine = TEngine::getInstance(kWidth, kHeight, window, nullptr, nullptr);
        TBufferObject* vertices = engine->createBufferObject(GL_ARRAY_BUFFER_ARB, 10485760, GL_STATIC_DRAW_ARB);
        TBufferObject* elements = engine->createBufferObject(GL_ELEMENT_ARRAY_BUFFER_ARB, 5242880, GL_STATIC_DRAW_ARB);
        // Trees are drawn as one immediate-mode batch (static, baked into
        // the tiles' display lists); houses stand as children.
        tree = new TMesh(TString("mods\\baum\\treemod.pff"), vertices, elements, engine, false);
        tree->immediateMode = 1;
        house = new TMesh(TString("mods\\haus\\mesh.pff"), vertices, elements, engine, false);
        TInstanceFactory* table[256] = {};
        table[150] = tree;
        table[200] = house;
        ground = new TBoden(TString("terrain\\bodenheight1.tga"), TString("terrain\\LevelMap_1.tga"),
                            TString("terrain\\shadowtest.sdm"), table, 256, 16, 7, elements, engine, 16);
    }
    static void TearDownTestSuite() {
        // The houses are the game's objects: they leave their tiles first.
        for (int i = 0; ground && i < ground->tilesX * ground->tilesY; ++i)
            while (TRenderable* child = ground->tiles[i]->children.at(0)) delete child;
        delete ground;
        delete tree;
        delete house;
        TEngine::destroyInstance();
    }

    void TearDown() override {
        engine->setMaterial(engine->stdMat);
        glDisable(GL_ALPHA_TEST);
        glEnable(GL_FOG);
    }

    std::string savePicture(const Picture& p, const char* name) {
        const std::string path = folder + "/" + name;
        EXPECT_TRUE(writePng(p, path)) << path;
        std::printf("picture: %s\n", path.c_str());
        return path;
    }

    static std::string logText() {
        logFlush();
        std::ifstream in(folder + "/Log.txt", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEngine* GroundRenderTest::engine = nullptr;
TBoden* GroundRenderTest::ground = nullptr;
TMesh* GroundRenderTest::tree = nullptr;
TMesh* GroundRenderTest::house = nullptr;
std::string GroundRenderTest::folder;

TEST_F(GroundRenderTest, IsBuiltFromTheGeneratedLevel) {
    ASSERT_EQ(ground->tilesX, 16);
    ASSERT_EQ(ground->tilesY, 16);
    EXPECT_EQ(ground->samplesX, 129);
    EXPECT_EQ(ground->tileWidth, 128);
    // Vertices and indices live in buffer objects.
    EXPECT_TRUE(ground->indices->inBuffer());
    for (int i = 0; i < 256; ++i) ASSERT_TRUE(ground->tiles[i]->vertices->inBuffer()) << i;
    EXPECT_NE(ground->tiles[0]->vertices->buffer, ground->tiles[255]->vertices->buffer);

    // The material: five layers on units 0 to 4 with the floor programs.
    ASSERT_NE(ground->material, nullptr);
    EXPECT_EQ(engine->findMaterial(TString("boden")), ground->material);
    EXPECT_EQ(ground->material->lastLayerIndex, 4);
    const char* names[5] = {"bodenalpha.tga", "tile1.tga", "tile2.tga", "tile3.tga", "bShadow"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(ground->material->layers[i].getTextureName().equals(names[i])) << i;
        ASSERT_NE(ground->material->textures[i], nullptr);
    }
    for (int slot : {ground->floorVertexProgram, ground->clipVertexProgram}) {
        ASSERT_GE(slot, 0);
        EXPECT_TRUE(engine->isVertexProgramValid(slot));
    }
    for (int slot : {ground->floorFragmentProgram, ground->clipFragmentProgram}) {
        ASSERT_GE(slot, 0);
        EXPECT_TRUE(engine->isFragmentProgramValid(slot));
    }
    EXPECT_EQ(ground->material->vertexProgramSlot, ground->floorVertexProgram);

    // The shadow texture holds the light map: 2048 x 2048 luminance.
    const TTexture* shadow = ground->material->textures[4];
    glBindTexture(GL_TEXTURE_2D, shadow->id);
    GLint w = 0, format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(w, 2048);
    EXPECT_EQ(format, GL_LUMINANCE8);

    // The level's objects: houses filed as children, trees baked into lists.
    int houses = 0, trees = 0;
    for (int i = 0; i < 256; ++i) {
        houses += ground->tiles[i]->children.count();
        trees += ground->tiles[i]->staticCount;
        if (ground->tiles[i]->staticCount > 0) {
            EXPECT_NE(ground->tiles[i]->displayList, 0u);
        }
    }
    EXPECT_GE(houses, 3);
    EXPECT_GE(trees, 200);
    // The castle and towers had no kind in this table.
    EXPECT_NE(logText().find("pixels have a value without a kind (50, 100)"), std::string::npos);
}

// A frame from the dragon's height over the island's southern shore,
// looking north towards the castle: the lower part of the picture is the
// textured, shaded ground (not the clear colour), the sky above it.
TEST_F(GroundRenderTest, GameViewShowsTheTexturedIsland) {
    TCamera camera;
    makeGameCamera(camera, engine, TVector(1024.0f, 1780.0f, 400.0f), TVector(0.0f, -1.0f, 0.25f));
    engine->setMaterial(engine->stdMat);
    glClearColor(0.5f, 0.5f, 1.0f, 0.0f);
    for (int frame = 0; frame < 2; ++frame) {  // the first update fills the draw list
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera.apply();
        glPushMatrix();
        glScalef(100.0f, 100.0f, 100.0f);
        ground->draw();
        glEnable(GL_ALPHA_TEST);
        ground->drawDisplayLists();
        glDisable(GL_ALPHA_TEST);
        ground->update(&camera, 100.0f, 100000.0f);
        glPopMatrix();
    }
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const Picture picture = readColourBuffer(kWidth, kHeight);
    savePicture(picture, "ground_game_view.png");

    EXPECT_GT(ground->drawList.count(), 10);
    EXPECT_LT(ground->drawList.count(), 256);
    int levels[8] = {};
    for (TListNode<TBodenTile>* n = ground->drawList.head; n; n = n->next) ++levels[n->value->level];
    EXPECT_GT(levels[0], 0);
    EXPECT_GT(levels[2] + levels[3] + levels[4], 0);

    // Lower third: ground everywhere, of varied colour (texture and shade).
    int clear = 0, count = 0;
    double sum = 0.0, sumSq = 0.0;
    for (int y = 0; y < kHeight / 3; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* px = picture.at(x, kHeight - 1 - y);
            if (near(px, 127, 127, 255, 2)) ++clear;
            const double l = 0.3 * px[0] + 0.59 * px[1] + 0.11 * px[2];
            sum += l;
            sumSq += l * l;
            ++count;
        }
    }
    EXPECT_EQ(clear, 0);
    const double mean = sum / count, deviation = std::sqrt(sumSq / count - mean * mean);
    EXPECT_GT(deviation, 8.0) << "mean " << mean;
    EXPECT_GT(mean, 30.0);
    // The top row is sky (the clear colour, or fog of the same colour).
    int sky = 0;
    for (int x = 0; x < kWidth; ++x) sky += near(picture.at(x, 0), 127, 127, 255, 3);
    EXPECT_GT(sky, kWidth / 2);
}

namespace {

// Looks straight down from `height` world units above the ground at (x, y):
// north (smaller y) at the top of the picture, east on the left.
void makeTopCamera(TCamera& camera, TEngine* engine, float x, float y, float height) {
    camera.projectionA = 500.0;
    camera.projectionB = 498.0;
    camera.updateProjection();
    camera.lightPosition = engine->lightPosition;
    camera.up = TVector(0, 1, 0);
    camera.setDirection(TVector(0, 0, -1));
    camera.setPosition(TVector(x, y, 450.0f - height) * 100.0f);
}

// Random levels, made consistent by the seam pass.
void mixLevels(TBoden* ground, unsigned seed) {
    for (int i = 0; i < ground->tilesX * ground->tilesY; ++i) {
        seed = seed * 1103515245u + 12345u;
        ground->tiles[i]->level = static_cast<int>((seed >> 16) % 7);
    }
    ground->relaxSeams();
}

}  // namespace

// Tiles of every level side by side, drawn white over a magenta background
// from above: not one background pixel may show.
TEST_F(GroundRenderTest, TilesOfMixedDetailMeetWithoutCracks) {
    struct View {
        float x, y, height;
        unsigned seed;
        const char* picture;
    };
    const View views[] = {{1024, 1024, 1000, 7, "ground_seams_wide.png"},
                          {700, 1300, 180, 11, "ground_seams_close.png"},
                          {1400, 800, 400, 3, "ground_seams_mid.png"}};
    for (const View& v : views) {
        TCamera camera;
        makeTopCamera(camera, engine, v.x, v.y, v.height);
        ground->update(&camera, 100.0f, 100000.0f);
        mixLevels(ground, v.seed);
        int levels[8] = {};
        for (TListNode<TBodenTile>* n = ground->drawList.head; n; n = n->next) ++levels[n->value->level];
        int distinct = 0;
        for (int l : levels) distinct += l > 0;

        glClearColor(1.0f, 0.0f, 1.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_FOG);
        camera.apply();
        engine->setMaterial(engine->stdMat);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glPushMatrix();
        glScalef(100.0f, 100.0f, 100.0f);
        for (TListNode<TBodenTile>* n = ground->drawList.head; n; n = n->next) n->value->drawElements(0, true);
        glPopMatrix();
        glEnable(GL_FOG);
        glClearColor(0.5f, 0.5f, 1.0f, 0.0f);
        const Picture picture = readColourBuffer(kWidth, kHeight);
        savePicture(picture, v.picture);

        int background = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) background += near(picture.at(x, y), 255, 0, 255, 8);
        EXPECT_GT(distinct, 2) << v.picture;
        EXPECT_EQ(background, 0) << v.picture;
    }
}

// The reflection pass draws through the clipping programs, which drop what
// lies below the water: the sea floor disappears, the island stays.
TEST_F(GroundRenderTest, ClippingProgramsDropTheGroundBelowTheWater) {
    TCamera camera;
    makeTopCamera(camera, engine, 1024, 1024, 1200);
    ground->update(&camera, 100.0f, 100000.0f);
    const auto drawAndCount = [&](bool clip) {
        glClearColor(1.0f, 0.0f, 1.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera.apply();
        glPushMatrix();
        glScalef(100.0f, 100.0f, 100.0f);
        ground->drawVertexArrays(clip);
        glPopMatrix();
        const Picture p = readColourBuffer(kWidth, kHeight);
        int background = 0;
        for (size_t i = 0; i < p.pixels.size(); i += 4) background += near(&p.pixels[i], 255, 0, 255, 8);
        return background;
    };
    // The floor programs fog by themselves: push the fog out of the way.
    glFogf(GL_FOG_START, 1.0e6f);
    glFogf(GL_FOG_END, 2.0e6f);
    const int plain = drawAndCount(false);
    const Picture textured = readColourBuffer(kWidth, kHeight);
    savePicture(textured, "ground_from_above.png");
    const int clipped = drawAndCount(true);
    const Picture island = readColourBuffer(kWidth, kHeight);
    savePicture(island, "ground_clipped.png");
    glFogf(GL_FOG_START, 10000.0f);
    glFogf(GL_FOG_END, 100000.0f);
    // What stays is land: mostly grass green.
    int land = 0, green = 0;
    for (size_t i = 0; i < island.pixels.size(); i += 4) {
        if (near(&island.pixels[i], 255, 0, 255, 8)) continue;
        ++land;
        const unsigned char* px = &textured.pixels[i];
        green += px[1] > px[0] && px[1] > px[2];
    }
    EXPECT_GT(green, land * 6 / 10);
    glClearColor(0.5f, 0.5f, 1.0f, 0.0f);
    EXPECT_EQ(plain, 0);
    EXPECT_GT(clipped, kWidth * kHeight / 10);  // the sea around the island
    EXPECT_LT(clipped, kWidth * kHeight * 9 / 10);
    EXPECT_EQ(ground->material->vertexProgramSlot, ground->clipVertexProgram);
    ground->draw();  // back to the floor programs
    EXPECT_EQ(ground->material->vertexProgramSlot, ground->floorVertexProgram);
}

// The main pass and the mirrored pass leave out the blocks of the tiles they
// cannot show (outside the view, or below the water when clipped): the
// pictures are those of the whole tiles drawn in full, which frustum culling
// switched off gives.
TEST_F(GroundRenderTest, LeavingOutWhatAPassCannotShowKeepsThePicture) {
    struct View {
        TVector eye, forward;
        bool mirrored;
        const char* picture;
    };
    const View views[] = {
        {TVector(1024.0f, 1780.0f, 400.0f), TVector(0.0f, -1.0f, 0.25f), false, "ground_view_culled.png"},
        {TVector(900.0f, 1000.0f, 380.0f), TVector(1.0f, 0.3f, 0.6f), false, "ground_view_down_culled.png"},
        {TVector(120.0f, 120.0f, 430.0f), TVector(1.0f, 1.0f, 0.2f), true, "ground_mirrored_culled.png"},
    };
    glFogf(GL_FOG_START, 1.0e6f);
    glFogf(GL_FOG_END, 2.0e6f);
    for (const View& v : views) {
        TCamera camera;
        makeGameCamera(camera, engine, v.eye, v.forward);
        ground->update(&camera, 100.0f, 100000.0f);
        const auto drawPass = [&](bool leaveOut) {
            glClearColor(1.0f, 0.0f, 1.0f, 0.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            camera.apply();
            if (v.mirrored) {
                glTranslatef(0.0f, 0.0f, 50000.0f);
                glScalef(1.0f, 1.0f, -1.0f);
                glTranslatef(0.0f, 0.0f, -50000.0f);
            }
            glPushMatrix();
            glScalef(100.0f, 100.0f, 100.0f);
            engine->frustumCulling = leaveOut;
            ground->drawVertexArrays(v.mirrored, v.mirrored ? 2 : 0);
            engine->frustumCulling = true;
            glPopMatrix();
            return readColourBuffer(kWidth, kHeight);
        };
        const Picture culled = drawPass(true);
        const Picture whole = drawPass(false);
        savePicture(culled, v.picture);
        int shown = 0, differing = 0;
        for (size_t i = 0; i < culled.pixels.size(); i += 4) {
            shown += !near(&whole.pixels[i], 255, 0, 255, 8);
            differing += !near(&culled.pixels[i], whole.pixels[i], whole.pixels[i + 1], whole.pixels[i + 2], 2);
        }
        EXPECT_GT(shown, kWidth * kHeight / 20) << v.picture;
        EXPECT_EQ(differing, 0) << v.picture;
    }
    glFogf(GL_FOG_START, 10000.0f);
    glFogf(GL_FOG_END, 100000.0f);
    glClearColor(0.5f, 0.5f, 1.0f, 0.0f);
    ground->draw();
}

}  // namespace
