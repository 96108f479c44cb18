// The generated ARB programs on the GL driver: each compiles within the
// native limits, and the contracts the engine relies on hold when drawn:
// the bone palette's places, weight handling, particle billboards, the
// reflection pass's cut at the water, the fog distance and the light.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "gl/ProgramTestContext.h"

namespace {

struct ProgramFile {
    const char* name;
    GLenum target;
};

const ProgramFile kPrograms[] = {
    {"standard_vp.txt", GL_VERTEX_PROGRAM_ARB},       {"noskinning_vp.txt", GL_VERTEX_PROGRAM_ARB},
    {"noskinning_vp_fp.txt", GL_VERTEX_PROGRAM_ARB},  {"particle_vp.txt", GL_VERTEX_PROGRAM_ARB},
    {"floor_vp_fp.txt", GL_VERTEX_PROGRAM_ARB},       {"floor_vp_fp_clipping.txt", GL_VERTEX_PROGRAM_ARB},
    {"wasser_vp.txt", GL_VERTEX_PROGRAM_ARB},         {"normalmap_fp.txt", GL_FRAGMENT_PROGRAM_ARB},
    {"floor_fp.txt", GL_FRAGMENT_PROGRAM_ARB},        {"floor_fp_clipping.txt", GL_FRAGMENT_PROGRAM_ARB},
    {"wasser_fp.txt", GL_FRAGMENT_PROGRAM_ARB},
};

class ProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        gl_ = new ProgramTestContext;
        if (!gl_->open(why_)) {
            gl_->close();
            delete gl_;
            gl_ = nullptr;
        }
    }
    static void TearDownTestSuite() {
        if (gl_) gl_->close();
        delete gl_;
        gl_ = nullptr;
    }
    void SetUp() override {
        if (!gl_) GTEST_SKIP() << "no GL context: " << why_;
        gl_->reset();
        gl_->engineFog();
        glDisable(GL_FOG);
    }

    // Loads a generated program, enables its target and leaves it bound.
    GLuint use(const char* name, GLenum target) {
        const std::string text = ProgramTestContext::programText(name);
        EXPECT_FALSE(text.empty()) << name;
        const ProgramTestContext::Loaded p = gl_->load(target, text);
        EXPECT_EQ(p.errorPosition, -1) << name << ": " << p.error;
        glEnable(target);
        return p.id;
    }

    // The one lit pixel of the buffer, or (-1, -1).
    static void litPixel(int& x, int& y) {
        const std::vector<uint8_t> p = gl_->pixels();
        x = y = -1;
        for (int i = 0; i < ProgramTestContext::kSize * ProgramTestContext::kSize; ++i) {
            if (p[i * 4] > 40 || p[i * 4 + 1] > 40 || p[i * 4 + 2] > 40) {
                x = i % ProgramTestContext::kSize;
                y = i / ProgramTestContext::kSize;
                return;
            }
        }
    }

    static ProgramTestContext* gl_;
    static std::string why_;
};

ProgramTestContext* ProgramTest::gl_ = nullptr;
std::string ProgramTest::why_;

TEST_F(ProgramTest, EveryProgramCompilesWithinNativeLimits) {
    for (const ProgramFile& f : kPrograms) {
        const std::string text = ProgramTestContext::programText(f.name);
        ASSERT_FALSE(text.empty()) << f.name << " was not generated";
        const ProgramTestContext::Loaded p = gl_->load(f.target, text);
        EXPECT_EQ(p.errorPosition, -1) << f.name << ": " << p.error;
        EXPECT_EQ(p.underNativeLimits, 1) << f.name;
        gl_->deletePrograms(1, &p.id);
    }
}

// ---------------------------------------------------------------- skinning

// Bone palette as the skinned mesh uploads it: 52 rows, three per bone.
struct Palette {
    float rows[52][4];

    Palette() {
        for (int b = 0; b < 17; ++b) setBone(b, 0.0f, 0.0f);
        for (int c = 0; c < 4; ++c) rows[51][c] = c == 3 ? 1.0f : 0.0f;
    }
    void setBone(int bone, float tx, float ty) {
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 4; ++c) rows[bone * 3 + r][c] = (r == c) ? 1.0f : 0.0f;
        }
        rows[bone * 3][3] = tx;
        rows[bone * 3 + 1][3] = ty;
    }
    static void loadRows(const float (*r)[4]) {
        float m[16];
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 4; ++col) m[col * 4 + row] = r[row][col];
        glLoadMatrixf(m);
    }
    void upload(ProgramTestContext& gl) const {
        for (int k = 0; k < 7; ++k) {
            glMatrixMode(GL_MATRIX1_ARB + k);
            loadRows(&rows[k * 4]);
        }
        for (int n = 28; n < 36; ++n) gl.env4fv(GL_VERTEX_PROGRAM_ARB, n - 28, rows[n]);
        for (int n = 36; n < 44; ++n) gl.local4fv(GL_VERTEX_PROGRAM_ARB, n - 36, rows[n]);
        for (int unit = 0; unit < 2; ++unit) {
            gl.activeTexture(GL_TEXTURE0_ARB + unit);
            glMatrixMode(GL_TEXTURE);
            loadRows(&rows[44 + unit * 4]);
        }
        gl.activeTexture(GL_TEXTURE0_ARB);
        glMatrixMode(GL_MODELVIEW);
    }
};

// NDC coordinate of the centre of pixel column / row `p`.
float ndc(int p) { return -1.0f + (2.0f * p + 1.0f) / ProgramTestContext::kSize; }

void drawSkinnedPoint(ProgramTestContext& gl, const float bones[4], const float weights[4]) {
    glBegin(GL_POINTS);
    gl.attrib4f(6, bones[0], bones[1], bones[2], bones[3]);
    gl.attrib4f(7, weights[0], weights[1], weights[2], weights[3]);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glEnd();
}

TEST_F(ProgramTest, SkinningReadsEveryBoneFromItsPaletteRows) {
    // Bones whose rows fall into program matrices, across matrix 7 and the
    // environment parameters, the local parameters and the texture matrices.
    const int bonesToTry[] = {0, 5, 9, 10, 12, 13, 14, 16};
    for (const char* name : {"noskinning_vp.txt", "noskinning_vp_fp.txt"}) {
        for (int bone : bonesToTry) {
            gl_->reset();
            use(name, GL_VERTEX_PROGRAM_ARB);
            const int px = 8 + bone * 3;
            const int py = 60 - bone * 2;
            Palette palette;
            palette.setBone(bone, ndc(px), ndc(py));
            palette.upload(*gl_);
            const float bones[4] = {static_cast<float>(bone), 0.0f, 0.0f, 0.0f};
            const float weights[4] = {1.0f, 0.0f, 0.0f, 0.0f};
            drawSkinnedPoint(*gl_, bones, weights);
            int x, y;
            litPixel(x, y);
            EXPECT_EQ(x, px) << name << " bone " << bone;
            EXPECT_EQ(y, py) << name << " bone " << bone;
        }
    }
}

TEST_F(ProgramTest, SkinningBlendsScalesAndFallsBackOnWeights) {
    // The vertex rests at pixel (20, 20); bone 1 moves it 16 pixels up and
    // right, bone 2 eight pixels down and left.
    struct Case {
        float weights[4];
        int expect;
        const char* what;
    };
    const Case cases[] = {
        {{0.5f, 0.5f, 0.0f, 0.0f}, 24, "halfway"},
        {{0.25f, 0.25f, 0.0f, 0.0f}, 24, "weights scaled to one"},
        {{0.75f, 0.25f, 0.0f, 0.0f}, 30, "three quarters"},
        {{0.0f, 0.0f, 0.0f, 0.0f}, 20, "no weights: rest pose"},
    };
    const float pixelStep = 2.0f / ProgramTestContext::kSize;
    for (const Case& c : cases) {
        gl_->reset();
        use("noskinning_vp.txt", GL_VERTEX_PROGRAM_ARB);
        Palette palette;
        palette.setBone(1, 16 * pixelStep, 16 * pixelStep);
        palette.setBone(2, -8 * pixelStep, -8 * pixelStep);
        palette.upload(*gl_);
        glBegin(GL_POINTS);
        gl_->attrib4f(6, 1.0f, 2.0f, 0.0f, 0.0f);
        gl_->attrib4f(7, c.weights[0], c.weights[1], c.weights[2], c.weights[3]);
        glNormal3f(0.0f, 0.0f, 1.0f);
        glVertex3f(ndc(20), ndc(20), 0.0f);
        glEnd();
        int x, y;
        litPixel(x, y);
        EXPECT_EQ(x, c.expect) << c.what;
        EXPECT_EQ(y, c.expect) << c.what;
    }
}

// ---------------------------------------------------------------- particles

TEST_F(ProgramTest, ParticleBillboardFollowsSizeSpinAndAlpha) {
    struct Case {
        float spin;
        bool corner;  // a pixel near the square's corner is covered
        bool axis;    // a pixel on the x axis beyond the half size is covered
    };
    const float quarter = 0.78539816f;
    const Case cases[] = {
        {0.0f, true, false},
        {quarter, false, true},
        {quarter + 2.0f * 3.14159265f, false, true},
        {-quarter, false, true},
        {2.0f * quarter, true, false},
    };
    for (const Case& c : cases) {
        gl_->reset();
        use("particle_vp.txt", GL_VERTEX_PROGRAM_ARB);
        const float centre[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        const float look[4] = {c.spin, 0.5f, 1.0f, 0.5f};
        gl_->local4fv(GL_VERTEX_PROGRAM_ARB, 0, centre);
        gl_->local4fv(GL_VERTEX_PROGRAM_ARB, 1, look);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex4f(-1, -1, 0, 0);
        glTexCoord2f(1, 0);
        glVertex4f(1, -1, 0, 0);
        glTexCoord2f(1, 1);
        glVertex4f(1, 1, 0, 0);
        glTexCoord2f(0, 1);
        glVertex4f(-1, 1, 0, 0);
        glEnd();
        // Pixel 18 lies at -0.42 (inside the unturned square's corner);
        // pixel 51 at 0.61 on the axis (inside the turned square's tip).
        const ProgramTestContext::Rgba corner = gl_->pixel(18, 18);
        const ProgramTestContext::Rgba axis = gl_->pixel(51, 32);
        EXPECT_EQ(corner.r > 100, c.corner) << "spin " << c.spin;
        EXPECT_EQ(axis.r > 100, c.axis) << "spin " << c.spin;
        // White at alpha 0.5 over black.
        EXPECT_NEAR(gl_->pixel(32, 32).r, 128, 2) << "alpha from local parameter 1";
    }
}

// ---------------------------------------------------------------- ground

TEST_F(ProgramTest, ClippingGroundDropsWhatLiesBelowTheWater) {
    use("floor_vp_fp_clipping.txt", GL_VERTEX_PROGRAM_ARB);
    use("floor_fp_clipping.txt", GL_FRAGMENT_PROGRAM_ARB);
    for (int unit = 0; unit < 5; ++unit) {
        gl_->activeTexture(GL_TEXTURE0_ARB + unit);
        gl_->texture2D(1, [](int, int, uint8_t* t) { t[0] = t[1] = t[2] = t[3] = 255; });
    }
    gl_->activeTexture(GL_TEXTURE0_ARB);
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, 64, 0, 64, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    // World z runs from 400 (above the water) at the bottom row to 600 at the top.
    glBegin(GL_QUADS);
    glVertex3f(0, 0, 400);
    glVertex3f(64, 0, 400);
    glVertex3f(64, 64, 600);
    glVertex3f(0, 64, 600);
    glEnd();
    EXPECT_GT(gl_->pixel(10, 5).r, 240);
    EXPECT_GT(gl_->pixel(10, 30).r, 240);
    EXPECT_EQ(gl_->pixel(10, 34).r, 0);
    EXPECT_EQ(gl_->pixel(10, 60).r, 0);
}

TEST_F(ProgramTest, GroundBlendsTexturesByWeightsAndLightMap) {
    use("floor_vp_fp.txt", GL_VERTEX_PROGRAM_ARB);
    use("floor_fp.txt", GL_FRAGMENT_PROGRAM_ARB);
    const uint8_t colours[5][4] = {
        {0, 255, 0, 255},        // weights: all on the second texture
        {255, 0, 0, 255},        // texture 1 red
        {0, 0, 255, 255},        // texture 2 blue
        {0, 255, 0, 255},        // texture 3 green
        {128, 128, 128, 255},    // half light
    };
    for (int unit = 0; unit < 5; ++unit) {
        gl_->activeTexture(GL_TEXTURE0_ARB + unit);
        const uint8_t* c = colours[unit];
        gl_->texture2D(1, [c](int, int, uint8_t* t) {
            for (int i = 0; i < 4; ++i) t[i] = c[i];
        });
    }
    gl_->activeTexture(GL_TEXTURE0_ARB);
    glMatrixMode(GL_PROJECTION);
    glOrtho(0, 64, 0, 64, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glBegin(GL_QUADS);
    glVertex3f(0, 0, 100);
    glVertex3f(64, 0, 100);
    glVertex3f(64, 64, 100);
    glVertex3f(0, 64, 100);
    glEnd();
    const ProgramTestContext::Rgba p = gl_->pixel(20, 20);
    EXPECT_LE(p.r, 2);
    EXPECT_LE(p.g, 2);
    EXPECT_NEAR(p.b, 128, 3);
    EXPECT_EQ(p.a, 255);
}

// ---------------------------------------------------------------- fog and light

TEST_F(ProgramTest, VertexProgramsFeedTheEnginesLinearFog) {
    use("standard_vp.txt", GL_VERTEX_PROGRAM_ARB);
    glEnable(GL_FOG);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-1, 1, -1, 1, 0, 200000);
    glMatrixMode(GL_MODELVIEW);
    const GLfloat towardsViewer[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, towardsViewer);
    glBegin(GL_POINTS);
    glNormal3f(0, 0, 1);
    glVertex3f(ndc(16), 0.0f, -55000.0f);  // halfway into the fog
    glVertex3f(ndc(48), 0.0f, -5000.0f);   // before the fog starts
    glEnd();
    const ProgramTestContext::Rgba far = gl_->pixel(16, 32);
    EXPECT_NEAR(far.r, 191, 3);
    EXPECT_NEAR(far.g, 191, 3);
    EXPECT_NEAR(far.b, 255, 1);
    const ProgramTestContext::Rgba near = gl_->pixel(48, 32);
    EXPECT_GE(near.r, 252);
}

TEST_F(ProgramTest, StandardProgramLightsFromLightZero) {
    use("standard_vp.txt", GL_VERTEX_PROGRAM_ARB);
    const GLfloat towardsViewer[4] = {0.0f, 0.0f, 2.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, towardsViewer);
    glBegin(GL_POINTS);
    glNormal3f(0, 0, 3);
    glVertex3f(ndc(10), 0, 0);
    glNormal3f(0, 0, -1);
    glVertex3f(ndc(30), 0, 0);
    glNormal3f(1, 0, 0);
    glVertex3f(ndc(50), 0, 0);
    glEnd();
    EXPECT_GE(gl_->pixel(10, 32).r, 253);              // facing the light
    EXPECT_NEAR(gl_->pixel(30, 32).r, 115, 2);         // facing away: ambient only
    EXPECT_NEAR(gl_->pixel(50, 32).r, 115, 2);         // edge-on
    EXPECT_EQ(gl_->pixel(10, 32).a, 255);
}

}  // namespace
