// Textures, materials and fonts on a real GL context: shared textures by
// name, unit target switching, the filter switches, the generated cube map,
// 3D textures from slices, material programs and units, and drawn text. The
// tests run in a folder of their own with a "tex" folder of written TGAs.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TCubeMap.h"
#include "engine/TEngine.h"
#include "engine/TFont.h"
#include "engine/TMaterial.h"
#include "engine/TNormCubeMap.h"
#include "engine/TTexture.h"
#include "engine/TTexture3D.h"
#include "engine/TTextureLayer.h"
#include "engine/TTgaImage.h"
#include "platform/gl.h"
#include "platform/win32.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

// A TGA of one colour (given as R, G, B, A; stored B, G, R, A).
void writeTga(const std::string& file, int width, int height, int depth, const Bytes& rgba) {
    Bytes b(18, 0);
    b[2] = 2;
    b[12] = static_cast<unsigned char>(width);
    b[13] = static_cast<unsigned char>(width >> 8);
    b[14] = static_cast<unsigned char>(height);
    b[15] = static_cast<unsigned char>(height >> 8);
    b[16] = static_cast<unsigned char>(depth);
    for (int i = 0; i < width * height; ++i) {
        b.push_back(rgba[2]);
        b.push_back(rgba[1]);
        b.push_back(rgba[0]);
        if (depth == 32) b.push_back(rgba[3]);
    }
    std::ofstream out("tex/" + file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

HWND makeWindow() {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "texturetest";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "texturetest", "texturetest", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                           nullptr);
}

TMaterialData materialOf(const char* name, int n, const TTextureLayer* layers) {
    return TMaterialData(TString(name), TColor(1, 1, 1, 1), TColor(0.2f, 0.2f, 0.2f, 1), TColor(0.3f, 0.3f, 0.3f, 1), 2.0f,
                         n, layers);
}

GLint textureParameter(const TTexture* t, GLenum which) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, t->id);
    glGetTexParameteriv(GL_TEXTURE_2D, which, &value);
    return value;
}

bool enabledOnUnit(int unit, GLenum target) {
    glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    return glIsEnabled(target) == GL_TRUE;
}

class TextureMaterialFontTest : public ::testing::Test {
protected:
    static TEngine* engine;
    static std::string folder;

    static void SetUpTestSuite() {
        folder = ::testing::TempDir() + "TextureMaterialFontTest_" + std::to_string(getpid());
        fs::create_directories(folder + "/tex");
        ASSERT_EQ(0, chdir(folder.c_str()));
        openLog("Log.txt");
        HWND window = makeWindow();
        ASSERT_NE(nullptr, window);
        engine = TEngine::getInstance(640, 480, window, nullptr, nullptr);
    }
    static void TearDownTestSuite() {
        TEngine::destroyInstance();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    void TearDown() override {
        engine->setMaterial(nullptr);
        engine->setTextureUnitCount(0);
    }
};

TEngine* TextureMaterialFontTest::engine = nullptr;
std::string TextureMaterialFontTest::folder;

TEST(TEngineTexturePathTest, KeepsOnlyTheFilePart) {
    const char* cases[][2] = {
        {"models\\dragon\\skin.tga", "tex\\skin.tga"},
        {"skin.tga", "tex\\skin.tga"},
        {"models\\", "tex\\"},
        {"", "tex\\"},
    };
    for (const auto& c : cases) {
        TString name(c[0], true);
        TEngine::texturePath(name);
        EXPECT_TRUE(name.equals(c[1])) << c[0];
        EXPECT_EQ(name.size(), static_cast<int>(std::strlen(c[1])));
    }
}

TEST_F(TextureMaterialFontTest, LayersNamingOneFileShareOneTexture) {
    writeTga("shared.tga", 4, 4, 24, {200, 100, 50, 255});
    const int before = engine->textures.count();
    const TTextureLayer layers[2] = {TTextureLayer(TString("models\\a\\shared.tga"), 2.0f, 3.0f, 0, 0),
                                     TTextureLayer(TString("models\\a\\shared.tga"), 1.0f, 1.0f, 1, 0)};
    TMaterial* m = engine->addMaterial(materialOf("sharedMat", 1, layers));
    EXPECT_EQ(engine->textures.count(), before + 1);
    ASSERT_NE(m->textures[0], nullptr);
    EXPECT_EQ(m->textures[0], m->textures[1]);
    EXPECT_TRUE(m->textures[0]->getName().equals("models\\a\\shared.tga"));
    EXPECT_FLOAT_EQ(m->textures[0]->sScale, 2.0f);
    EXPECT_FLOAT_EQ(m->textures[0]->tScale, 3.0f);
    EXPECT_EQ(m->textures[0]->layerValue, 0);

    // A second material finds the texture by the layer's name, and the
    // newest material of a name is the one found.
    TMaterial* again = engine->addMaterial(materialOf("sharedMat", 0, layers));
    EXPECT_EQ(again->textures[0], m->textures[0]);
    EXPECT_EQ(engine->textures.count(), before + 1);
    EXPECT_EQ(engine->findMaterial(TString("sharedMat")), again);
    EXPECT_EQ(engine->findMaterial(TString("sharedMa")), nullptr);
    EXPECT_EQ(engine->findMaterial(TString("stdMat")), engine->stdMat);

    // The texture holds the file's pixels, red and blue in place.
    GLubyte texel[3] = {0, 0, 0};
    glBindTexture(GL_TEXTURE_2D, m->textures[0]->id);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 2, GL_RGB, GL_UNSIGNED_BYTE, texel);  // the 1 x 1 mipmap
    EXPECT_NEAR(texel[0], 200, 1);
    EXPECT_NEAR(texel[1], 100, 1);
    EXPECT_NEAR(texel[2], 50, 1);
}

TEST_F(TextureMaterialFontTest, MissingTextureFileStillGivesANamedTexture) {
    const TTextureLayer layer(TString("nowhere\\missing.tga"), 1.0f, 1.0f, 0, 0);
    TMaterial* m = engine->addMaterial(materialOf("missingMat", 0, &layer));
    ASSERT_NE(m->textures[0], nullptr);
    TTextureLayer lookup(layer);
    EXPECT_EQ(engine->findTexture(&lookup), m->textures[0]);
    glBindTexture(GL_TEXTURE_2D, m->textures[0]->id);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1);
    EXPECT_NE(readAll("Log.txt").find("tex\\missing.tga"), std::string::npos);
}

TEST_F(TextureMaterialFontTest, BindSwitchesTheUnitsTarget) {
    TNormCubeMap* cube = new TNormCubeMap(TString("normC"), engine);
    writeTga("plain.tga", 2, 2, 32, {1, 2, 3, 4});
    TTextureLayer layer(TString("plain.tga"), 1.0f, 1.0f, 0, 0);
    TTgaImage image(TString("tex\\plain.tga"));
    TTexture* flat = engine->createTexture(&image, &layer);
    EXPECT_EQ(engine->textures.head->value, flat);

    cube->bind(1);
    EXPECT_EQ(cube->unit, 1);
    EXPECT_EQ(engine->getUnitTarget(1), static_cast<unsigned>(GL_TEXTURE_CUBE_MAP_ARB));
    EXPECT_TRUE(enabledOnUnit(1, GL_TEXTURE_CUBE_MAP_ARB));
    flat->bind(1);
    EXPECT_EQ(engine->getUnitTarget(1), static_cast<unsigned>(GL_TEXTURE_2D));
    EXPECT_FALSE(enabledOnUnit(1, GL_TEXTURE_CUBE_MAP_ARB));
    EXPECT_TRUE(enabledOnUnit(1, GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), flat->id);
    engine->setTextureUnitCount(2);
    engine->shrinkTextureUnits(0);
    EXPECT_FALSE(enabledOnUnit(1, GL_TEXTURE_2D));
}

TEST_F(TextureMaterialFontTest, FilterSwitchesReachEveryTexture) {
    writeTga("filter.tga", 8, 8, 24, {9, 9, 9, 255});
    const TTextureLayer layer(TString("filter.tga"), 1.0f, 1.0f, 0, 0);
    engine->addMaterial(materialOf("filterMat", 0, &layer));
    auto each2D = [&](GLint minFilter, GLint magFilter) {
        int seen = 0;
        for (TListNode<TTexture>* n = engine->textures.head; n; n = n->next) {
            if (n->value->target != GL_TEXTURE_2D) continue;
            ++seen;
            EXPECT_EQ(textureParameter(n->value, GL_TEXTURE_MIN_FILTER), minFilter);
            EXPECT_EQ(textureParameter(n->value, GL_TEXTURE_MAG_FILTER), magFilter);
        }
        EXPECT_GT(seen, 0);
    };
    ASSERT_TRUE(engine->mipmapping);
    ASSERT_TRUE(engine->linearFiltering);
    EXPECT_FALSE(engine->toggleMipmapping());
    each2D(GL_LINEAR, GL_LINEAR);
    EXPECT_FALSE(engine->toggleFiltering());
    each2D(GL_NEAREST, GL_NEAREST);
    EXPECT_TRUE(engine->toggleMipmapping());
    each2D(GL_NEAREST_MIPMAP_LINEAR, GL_NEAREST);
    EXPECT_TRUE(engine->toggleFiltering());
    each2D(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
}

TEST_F(TextureMaterialFontTest, NormalisationCubeMapTexels) {
    TNormCubeMap* cube = new TNormCubeMap(TString("normC2"), engine);
    EXPECT_EQ(cube->target, static_cast<uint32_t>(GL_TEXTURE_CUBE_MAP_ARB));
    std::vector<GLubyte> face(64 * 64 * 3);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, cube->id);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB, 0, GL_RGB, GL_UNSIGNED_BYTE, face.data());
    // a = b = -31.5: direction (31.5, 31.5, 31.5).
    EXPECT_EQ(face[0], 201);
    EXPECT_EQ(face[1], 201);
    EXPECT_EQ(face[2], 201);
    // Last texel of the first row, b = 31.5: (31.5, 31.5, -31.5).
    EXPECT_EQ(face[63 * 3 + 2], 53);
    std::vector<GLubyte> negZ(64 * 64 * 3);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB, 0, GL_RGB, GL_UNSIGNED_BYTE, negZ.data());
    std::vector<uint8_t> expected(64 * 64 * 3);
    TNormCubeMap::computeFace(5, expected.data());
    EXPECT_EQ(negZ, std::vector<GLubyte>(expected.begin(), expected.end()));
    // Near the centre of -Z the vector points along -z.
    const size_t centre = (32 * 64 + 32) * 3;
    EXPECT_NEAR(negZ[centre + 2], 0, 3);
}

TEST_F(TextureMaterialFontTest, Texture3DStacksItsSlices) {
    const Bytes colours[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 128}, {10, 20, 30, 40}};
    for (int i = 0; i < 4; ++i) writeTga("slice" + std::to_string(i) + ".tga", 4, 2, 32, colours[i]);
    TTexture3D* t = new TTexture3D(TString("slice"), 4, engine);
    EXPECT_EQ(t->target, static_cast<uint32_t>(GL_TEXTURE_3D));
    EXPECT_TRUE(t->getName().equals("slice"));
    glBindTexture(GL_TEXTURE_3D, t->id);
    GLint depth = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_DEPTH, &depth);
    EXPECT_EQ(depth, 4);
    std::vector<GLubyte> texels(4 * 2 * 4 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_3D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    for (int i = 0; i < 4; ++i) {
        const GLubyte* p = &texels[static_cast<size_t>(i) * 4 * 2 * 4 + 5 * 4];
        EXPECT_EQ(Bytes(p, p + 4), colours[i]) << "slice " << i;
    }

    // A slice of another size and a missing one are left blank.
    writeTga("odd0.tga", 4, 4, 24, {50, 60, 70, 255});
    writeTga("odd1.tga", 2, 2, 24, {1, 1, 1, 255});
    TTexture3D* odd = new TTexture3D(TString("odd"), 3, engine);
    glBindTexture(GL_TEXTURE_3D, odd->id);
    std::vector<GLubyte> oddTexels(4 * 4 * 3 * 3, 99);
    glGetTexImage(GL_TEXTURE_3D, 0, GL_RGB, GL_UNSIGNED_BYTE, oddTexels.data());
    EXPECT_EQ(oddTexels[0], 50);
    EXPECT_EQ(oddTexels[48], 0);
    EXPECT_EQ(oddTexels[96], 0);
    const std::string log = readAll("Log.txt");
    EXPECT_NE(log.find("tex\\odd1.tga' is missing or differs"), std::string::npos);
    EXPECT_NE(log.find("tex\\odd2.tga' is missing or differs"), std::string::npos);

    // No slices at all: a texture without an image, still listed by name.
    TTexture3D* none = new TTexture3D(TString("nothing"), 2, engine);
    TTextureLayer lookup(TString("nothing"), 1, 1, 1, 0);
    EXPECT_EQ(engine->findTexture(&lookup), none);
}

TEST_F(TextureMaterialFontTest, CubeMapFromSixFiles) {
    const char* names[6] = {"sky_rt.tga", "sky_lf.tga", "sky_up.tga", "sky_dn.tga", "sky_ft.tga", "sky_bk.tga"};
    for (int i = 0; i < 6; ++i) writeTga(names[i], 2, 2, 24, {static_cast<unsigned char>(40 * i), 7, 9, 255});
    TCubeMap* sky = new TCubeMap(TString("sky"), TString("x\\sky_rt.tga"), TString("sky_lf.tga"),
                                 TString("sky_up.tga"), TString("sky_dn.tga"), TString("sky_ft.tga"),
                                 TString("sky_bk.tga"), engine);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, sky->id);
    for (int i = 0; i < 6; ++i) {
        GLubyte texel[12];
        glGetTexImage(TCubeMap::kFaces[i], 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
        EXPECT_EQ(texel[0], 40 * i) << i;
    }
}

// The colour the middle of the window shows when a quad is drawn with the
// cube map on unit 0 and one texture coordinate (x, y, z) everywhere.
std::vector<GLubyte> sampleCubeMap(TCubeMap* cube, float x, float y, float z) {
    cube->bind(0);
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    const GLenum off[] = {GL_LIGHTING, GL_DEPTH_TEST, GL_FOG, GL_BLEND, GL_ALPHA_TEST, GL_CULL_FACE,
                          GL_VERTEX_PROGRAM_ARB, GL_FRAGMENT_PROGRAM_ARB};
    for (GLenum cap : off) glDisable(cap);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor4f(0, 0, 0, 1);
    glBegin(GL_QUADS);
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& c : corners) {
        glTexCoord3f(x, y, z);
        glVertex2f(c[0], c[1]);
    }
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    std::vector<GLubyte> rgba(4);
    glReadBuffer(GL_BACK);
    glReadPixels(320, 240, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

TEST_F(TextureMaterialFontTest, CubeMapFacesThatCannotBeUsedAreWhite) {
    // -X is missing, -Y is smaller than the others, +Z has another depth.
    writeTga("box_rt.tga", 4, 4, 24, {200, 10, 10, 255});
    writeTga("box_up.tga", 4, 4, 24, {10, 200, 10, 255});
    writeTga("box_dn.tga", 2, 2, 24, {10, 10, 200, 255});
    writeTga("box_ft.tga", 4, 4, 32, {10, 10, 10, 255});
    writeTga("box_bk.tga", 4, 4, 24, {90, 90, 10, 255});
    TCubeMap* box = new TCubeMap(TString("box"), TString("box_rt.tga"), TString("box_lf.tga"), TString("box_up.tga"),
                                 TString("box_dn.tga"), TString("box_ft.tga"), TString("box_bk.tga"), engine);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, box->id);
    const int firstTexel[6] = {200, 255, 10, 255, 255, 90};
    for (int i = 0; i < 6; ++i) {
        GLint width = 0, height = 0;
        glGetTexLevelParameteriv(TCubeMap::kFaces[i], 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(TCubeMap::kFaces[i], 0, GL_TEXTURE_HEIGHT, &height);
        EXPECT_EQ(width, 4) << i;
        EXPECT_EQ(height, 4) << i;
        std::vector<GLubyte> texels(4 * 4 * 3);
        glGetTexImage(TCubeMap::kFaces[i], 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        EXPECT_EQ(texels[0], firstTexel[i]) << i;
        EXPECT_EQ(texels[45], firstTexel[i]) << i;  // the last texel
    }
    // Complete: the faces sample as loaded (an incomplete cube map samples
    // black), the unusable ones white.
    EXPECT_NEAR(sampleCubeMap(box, 1, 0, 0)[0], 200, 2);
    EXPECT_NEAR(sampleCubeMap(box, 0, 1, 0)[1], 200, 2);
    EXPECT_EQ(sampleCubeMap(box, -1, 0, 0), (std::vector<GLubyte>{255, 255, 255, 255}));
    EXPECT_EQ(sampleCubeMap(box, 0, 0, 1), (std::vector<GLubyte>{255, 255, 255, 255}));
    // One line for each: the reader's for the missing file, the cube map's
    // for the two that do not fit.
    const std::string log = readAll("Log.txt");
    EXPECT_NE(log.find("TGA file 'tex\\box_lf.tga'"), std::string::npos);
    EXPECT_NE(log.find("Cube map 'box': face 'tex\\box_dn.tga' is 2 x 2 with 24 bits"), std::string::npos) << log;
    EXPECT_NE(log.find("Cube map 'box': face 'tex\\box_ft.tga' is 4 x 4 with 32 bits"), std::string::npos) << log;
    EXPECT_EQ(log.find("face 'tex\\box_lf.tga'"), std::string::npos);
}

TEST_F(TextureMaterialFontTest, MaterialProgramsAndUnits) {
    std::ofstream("vp.txt") << "!!ARBvp1.0\nMOV result.position, vertex.position;\nEND\n";
    std::ofstream("fp.txt") << "!!ARBfp1.0\nMOV result.color, fragment.color;\nEND\n";
    std::ofstream("broken_fp.txt") << "!!ARBfp1.0\nNOT AN INSTRUCTION;\nEND\n";
    const int vp = engine->loadVertexProgram(TString("vp.txt"));
    const int fp = engine->loadFragmentProgram(TString("fp.txt"));
    const int broken = engine->loadFragmentProgram(TString("broken_fp.txt"));
    ASSERT_GE(vp, 0);
    ASSERT_GE(fp, 0);
    ASSERT_GE(broken, 0);

    writeTga("unit0.tga", 2, 2, 24, {1, 1, 1, 255});
    writeTga("unit1.tga", 2, 2, 24, {2, 2, 2, 255});
    const TTextureLayer layers[2] = {TTextureLayer(TString("unit0.tga"), 1, 1, 0, 0),
                                     TTextureLayer(TString("unit1.tga"), 1, 1, 0, 0)};
    TMaterial* two = engine->addMaterial(materialOf("twoUnits", 1, layers));
    two->vertexProgramSlot = vp;
    two->fragmentProgramSlot = fp;
    engine->setMaterial(two);
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
    EXPECT_TRUE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
    EXPECT_EQ(engine->unitCount, 2);
    EXPECT_TRUE(enabledOnUnit(0, GL_TEXTURE_2D));
    EXPECT_TRUE(enabledOnUnit(1, GL_TEXTURE_2D));
    // (Ambient and diffuse follow the current colour: the engine turns on
    // colour material.)
    GLfloat specular[4] = {0, 0, 0, 0};
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    EXPECT_FLOAT_EQ(specular[0], 0.3f);
    GLfloat shininess = 0;
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
    EXPECT_FLOAT_EQ(shininess, 10.0f);

    // No layers, no programs: every unit and both program targets off.
    TMaterial* bare = engine->addMaterial(materialOf("bare", -1, nullptr));
    engine->setMaterial(bare);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
    EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
    EXPECT_EQ(engine->unitCount, 0);
    for (int unit = 0; unit < 8; ++unit) {
        EXPECT_FALSE(enabledOnUnit(unit, GL_TEXTURE_2D)) << unit;
        EXPECT_EQ(engine->getUnitTarget(unit), 0u) << unit;
    }

    // A slot whose program failed to compile is never enabled.
    two->fragmentProgramSlot = broken;
    engine->setMaterial(two);
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_PROGRAM_ARB));
    EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
}

TEST_F(TextureMaterialFontTest, LayerIndexBeyondEightIsClamped) {
    TMaterialData data = materialOf("tooMany", -1, nullptr);
    data.lastLayerIndex = 12;
    TMaterial* m = engine->addMaterial(data);
    EXPECT_EQ(m->getLastLayerIndex(), 7);
    for (int i = 0; i < 8; ++i) EXPECT_NE(m->textures[i], nullptr);
    EXPECT_NE(readAll("Log.txt").find("Material 'tooMany': layer index 12"), std::string::npos);
}

TEST_F(TextureMaterialFontTest, FontsPerHeightAndWeight) {
    TFont* standard = engine->getFont(-14, 400);
    EXPECT_EQ(engine->fonts.count(), 1);  // the engine's own, made at start
    EXPECT_EQ(engine->getFont(-14, 400), standard);
    TFont* bold = engine->getFont(-14, 700);
    EXPECT_NE(bold, standard);
    EXPECT_EQ(engine->fonts.head->value, bold);
    EXPECT_EQ(engine->getFont(-14, 700), bold);
    EXPECT_EQ(engine->fonts.count(), 2);

    EXPECT_EQ(TFont::textureSize(5, 12), 16);
    EXPECT_EQ(TFont::textureSize(3, 3), 8);
    EXPECT_EQ(TFont::textureSize(8, 8), 8);
    EXPECT_EQ(TFont::textureSize(9, 1), 16);
    EXPECT_EQ(TFont::alphaOf(0), 0);
    EXPECT_EQ(TFont::alphaOf(1), 3);
    EXPECT_EQ(TFont::alphaOf(32), 127);
    EXPECT_EQ(TFont::alphaOf(64), 255);

    // 'A' has a real bitmap; its texture is S x S for its black box.
    const GLYPHMETRICS& a = standard->metrics['A'];
    EXPECT_GT(a.gmBlackBoxX, 3u);
    EXPECT_GT(a.gmBlackBoxY, 5u);
    EXPECT_GT(a.gmCellIncX, 4);
    const GLuint aTexture = standard->glyphTextures['A' - 32];
    ASSERT_NE(aTexture, 0u);
    glBindTexture(GL_TEXTURE_2D, aTexture);
    GLint size = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &size);
    EXPECT_EQ(size, TFont::textureSize(static_cast<int>(a.gmBlackBoxX), static_cast<int>(a.gmBlackBoxY)));
    std::vector<GLubyte> alpha(static_cast<size_t>(size) * size);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
    int lit = 0;
    for (GLubyte v : alpha) lit += v > 0;
    EXPECT_GT(lit, 5);
    EXPECT_EQ(alpha.back(), 0);

    // The space: a 1 x 1 box, an all-zero 8 x 8 texture, but a pen advance.
    const GLYPHMETRICS& space = standard->metrics[' '];
    EXPECT_EQ(space.gmBlackBoxX, 1u);
    EXPECT_EQ(space.gmBlackBoxY, 1u);
    EXPECT_GT(space.gmCellIncX, 0);
    glBindTexture(GL_TEXTURE_2D, standard->glyphTextures[0]);
    std::vector<GLubyte> blank(64, 7);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, blank.data());
    EXPECT_EQ(blank, std::vector<GLubyte>(64, 0));
}

TEST_F(TextureMaterialFontTest, PrintingDrawsText) {
    TFont* font = engine->getFont(-14, 400);
    auto litPixels = [&](const char* text) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        engine->setMaterial(engine->stdMat);
        engine->begin2D();
        glColor4f(1, 1, 1, 1);
        glTranslatef(20.0f, 40.0f, -10.0f);
        font->print("%s", text);
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glPopAttrib();
        glFinish();
        std::vector<GLubyte> pixels(200 * 60 * 4);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        // The text's box: overlay x 20..220, y about 25..45, GL rows from the bottom.
        glReadPixels(0, 480 - 80, 200, 60, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        int lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 4) lit += pixels[i] > 128;
        return lit;
    };
    EXPECT_GT(litPixels("Hallo Welt"), 30);
    EXPECT_EQ(litPixels("   "), 0);
    EXPECT_EQ(litPixels("\x01\x80\xff"), 0);  // no lists for these codes
    // Longer than the buffer: cut, drawn without harm.
    EXPECT_GT(litPixels(std::string(400, 'W').c_str()), 30);
    font->print(nullptr);
    glClearColor(0.5f, 0.5f, 1.0f, 0.0f);
}

}  // namespace
