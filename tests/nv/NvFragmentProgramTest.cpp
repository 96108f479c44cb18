// The NV fragment-program interface game_nv gets on a driver without it:
// the entry points and extension string appear, every generated ".nv"
// program loads and draws the same pixels as its ARB twin, the instructions
// the translation builds from several ARB ones give the NV results, and a
// broken text takes the compile-error path.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "gl/ProgramTestContext.h"
#include "platform/nvfp.h"

namespace {

class NvFragmentProgramTest : public ::testing::Test {
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
        if (!platform::nvEmulationActive()) GTEST_SKIP() << "the driver has GL_NV_fragment_program itself";
        fetch(gen_, "glGenProgramsNV");
        fetch(bind_, "glBindProgramNV");
        fetch(load_, "glLoadProgramNV");
        fetch(delete_, "glDeleteProgramsNV");
        fetch(named4f_, "glProgramNamedParameter4fNV");
        fetch(getNamed_, "glGetProgramNamedParameterfvNV");
        fetch(local4f_, "glProgramLocalParameter4fARB");
        gl_->reset();
        gl_->engineFog();
        glDisable(GL_FOG);
    }

    template <class T>
    static void fetch(T& proc, const char* name) {
        proc = reinterpret_cast<T>(platform::nvProcAddress(name));
        ASSERT_NE(proc, nullptr) << name;
    }

    // Loads an NV text through the layer's entry points, as game_nv does.
    GLuint loadNv(const std::string& text, GLint& errorPosition) {
        GLuint id = 0;
        gen_(1, &id);
        bind_(GL_FRAGMENT_PROGRAM_NV, id);
        load_(GL_FRAGMENT_PROGRAM_NV, id, static_cast<GLsizei>(text.size()),
              reinterpret_cast<const GLubyte*>(text.data()));
        glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
        return id;
    }

    // Draws a full-viewport quad with a fragment program bound and the
    // interpolated values every program of the data set reads.
    static void drawQuad() {
        glFogi(GL_FOG_COORD_SRC, GL_FOG_COORD);
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        glBegin(GL_QUADS);
        for (int i = 0; i < 4; ++i) {
            const float s = (corners[i][0] + 1) * 0.5f;
            const float t = (corners[i][1] + 1) * 0.5f;
            for (int unit = 0; unit < 4; ++unit)
                gl_->multiTexCoord4f(GL_TEXTURE0_ARB + unit, s * (unit + 1.3f), t * (2.1f - unit * 0.4f), 0, 1);
            const float w = 1.0f + s;  // projective coordinate of unit 4
            gl_->multiTexCoord4f(GL_TEXTURE4_ARB, s * w * 0.8f, t * w * 0.9f, 0, w);
            gl_->multiTexCoord4f(GL_TEXTURE5_ARB, s - 0.5f, t - 0.3f, 0.8f - s * t, 1);
            gl_->multiTexCoord4f(GL_TEXTURE2_ARB, s - 0.4f, 0.6f - t, 0.5f, 1);  // a normal for the skin
            gl_->fogCoordf(15000.0f + 80000.0f * s * t);
            glColor4f(s, t, 0.5f, 1.0f);
            glVertex2f(corners[i][0], corners[i][1]);
        }
        glEnd();
    }

    // Random textures on units 0-5: a 2D one and a cube map on each.
    static void bindTextures() {
        std::srand(7);
        for (int unit = 0; unit < 6; ++unit) {
            gl_->activeTexture(GL_TEXTURE0_ARB + unit);
            gl_->texture2D(16, [](int, int, uint8_t* t) {
                for (int i = 0; i < 4; ++i) t[i] = static_cast<uint8_t>(std::rand() & 0xff);
            });
            GLuint cube = 0;
            glGenTextures(1, &cube);
            glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, cube);
            glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            std::vector<uint8_t> face(8 * 8 * 4);
            for (int f = 0; f < 6; ++f) {
                for (uint8_t& b : face) b = static_cast<uint8_t>(std::rand() & 0xff);
                glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + f, 0, GL_RGBA8, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                             face.data());
            }
        }
        gl_->activeTexture(GL_TEXTURE0_ARB);
    }

    static ProgramTestContext* gl_;
    static std::string why_;
    PFNGLGENPROGRAMSNVPROC gen_ = nullptr;
    PFNGLBINDPROGRAMNVPROC bind_ = nullptr;
    PFNGLLOADPROGRAMNVPROC load_ = nullptr;
    PFNGLDELETEPROGRAMSNVPROC delete_ = nullptr;
    PFNGLPROGRAMNAMEDPARAMETER4FNVPROC named4f_ = nullptr;
    PFNGLGETPROGRAMNAMEDPARAMETERFVNVPROC getNamed_ = nullptr;
    PFNGLPROGRAMLOCALPARAMETER4FARBPROC local4f_ = nullptr;
};

ProgramTestContext* NvFragmentProgramTest::gl_ = nullptr;
std::string NvFragmentProgramTest::why_;

TEST_F(NvFragmentProgramTest, TheGameSeesTheNvInterface) {
    const GLubyte* driver = glGetString(GL_EXTENSIONS);
    ASSERT_NE(driver, nullptr);
    const std::string seen = reinterpret_cast<const char*>(platform::nvExtensionString(driver));
    EXPECT_NE(seen.find(" GL_NV_fragment_program"), std::string::npos);
    EXPECT_NE(seen.find(" GL_NV_vertex_program"), std::string::npos);
    EXPECT_EQ(seen.compare(0, std::strlen(reinterpret_cast<const char*>(driver)),
                           reinterpret_cast<const char*>(driver)),
              0);
    EXPECT_EQ(platform::nvMapTarget(GL_FRAGMENT_PROGRAM_NV), static_cast<GLenum>(GL_FRAGMENT_PROGRAM_ARB));
    EXPECT_EQ(platform::nvMapTarget(GL_VERTEX_PROGRAM_ARB), static_cast<GLenum>(GL_VERTEX_PROGRAM_ARB));
    EXPECT_EQ(platform::nvProcAddress("glNoSuchFunctionNV"), nullptr);
}

TEST_F(NvFragmentProgramTest, EveryNvProgramDrawsLikeItsArbTwin) {
    const char* const names[] = {"normalmap_fp.txt", "floor_fp.txt", "floor_fp_clipping.txt", "wasser_fp.txt"};
    bindTextures();
    gl_->engineFog();
    for (const char* name : names) {
        // The ARB twin, with the dragon's vectors as environment parameters (w = 0).
        gl_->reset();
        glEnable(GL_FOG);
        const float halfway[4] = {0.3f, 0.4f, 0.866f, 0.0f};
        const float light[4] = {-0.5f, 0.2f, 0.84f, 0.0f};
        const ProgramTestContext::Loaded arb = gl_->load(GL_FRAGMENT_PROGRAM_ARB, ProgramTestContext::programText(name));
        ASSERT_EQ(arb.errorPosition, -1) << name << ": " << arb.error;
        gl_->env4fv(GL_FRAGMENT_PROGRAM_ARB, 0, halfway);
        gl_->env4fv(GL_FRAGMENT_PROGRAM_ARB, 1, light);
        glEnable(GL_FRAGMENT_PROGRAM_ARB);
        drawQuad();
        const std::vector<uint8_t> expected = gl_->pixels();

        // The NV twin as game_nv drives it: local parameters with w = 1.
        gl_->reset();
        glEnable(GL_FOG);
        GLint position = 0;
        const GLuint nv = loadNv(ProgramTestContext::programText(std::string(name) + ".nv"), position);
        ASSERT_EQ(position, -1) << name << ".nv";
        local4f_(GL_FRAGMENT_PROGRAM_NV, 0, halfway[0], halfway[1], halfway[2], 1.0f);
        local4f_(GL_FRAGMENT_PROGRAM_NV, 1, light[0], light[1], light[2], 1.0f);
        glEnable(platform::nvMapTarget(GL_FRAGMENT_PROGRAM_NV));
        drawQuad();
        const std::vector<uint8_t> got = gl_->pixels();

        int worst = 0;
        std::vector<uint32_t> colours;
        for (size_t i = 0; i < got.size(); i += 4) {
            for (size_t c = 0; c < 3; ++c) worst = std::max(worst, std::abs(got[i + c] - expected[i + c]));
            colours.push_back(got[i] | got[i + 1] << 8 | got[i + 2] << 16);
        }
        EXPECT_LE(worst, 3) << name;
        std::sort(colours.begin(), colours.end());
        const size_t distinct = std::unique(colours.begin(), colours.end()) - colours.begin();
        EXPECT_GT(distinct, 50u) << name << " draws a flat picture; the comparison would prove nothing";
        gl_->deletePrograms(1, &arb.id);
        delete_(1, &nv);
    }
}

TEST_F(NvFragmentProgramTest, BuiltInstructionsGiveTheNvResults) {
    struct Case {
        const char* body;
        float expect[4];
    };
    // p[0] = (0.5, 0.25, -0.5, 0.75)
    const Case cases[] = {
        {"SEQR o[COLR], p[0], {0.5, 0.3, -0.5, 0.1};", {1, 0, 1, 0}},
        {"SNER o[COLR], p[0], {0.5, 0.3, -0.5, 0.1};", {0, 1, 0, 1}},
        {"SGTR o[COLR], p[0], {0.4, 0.25, -0.6, 0.8};", {1, 0, 1, 0}},
        {"SLER o[COLR], p[0], {0.4, 0.25, -0.6, 0.8};", {0, 1, 0, 1}},
        {"STRR o[COLR], p[0], p[0];", {1, 1, 1, 1}},
        {"SFLR R0, p[0], p[0]; ADDR o[COLR], R0, 0.25;", {0.25f, 0.25f, 0.25f, 0.25f}},
        {"MOVR_SAT o[COLR], |p[0].zyxw|;", {0.5f, 0.25f, 0.5f, 0.75f}},
        // reflection of (0, 0.5, 0) about the y axis (a = (0, 2, 0)) ...
        {"RFLR R0.xyz, {0, 2, 0, 0}, {0.5, 0.5, 0, 0}; MOVR R0.w, 1; MOVR_SAT o[COLR], R0;", {0, 0.5f, 0, 1}},
        // ... and of (0.25, 0.75, 0): 2 (a.b) / (a.a) a - b = (-0.25, 0.75, 0)
        {"RFLR R0, {0, 1, 0, 0}, {0.25, 0.75, 0, 0}; ADDR_SAT o[COLR], R0, {0.5, 0, 0, 1};", {0.25f, 0.75f, 0, 1}},
        {"MOVRC RC, p[0]; MOVR o[COLR], 1; KIL LT.z;", {0, 0, 0, 0}},
        {"MOVRC RC, p[0]; MOVR o[COLR], 1; KIL LT.y;", {1, 1, 1, 1}},
        {"MOVRC RC, p[0]; MOVR o[COLR], 1; KIL GE.z;", {1, 1, 1, 1}},
        {"MOVRC RC, p[0]; MOVR o[COLR], 1; KIL GT.x;", {0, 0, 0, 0}},
        {"ADDRC R1, p[0], -p[0].x; MOVR o[COLR], 1; KIL EQ.yzww;", {1, 1, 1, 1}},
        {"ADDRC R1, p[0], -p[0].x; MOVR o[COLR], 1; KIL EQ.xyzw;", {0, 0, 0, 0}},
        {"MOVR o[COLR], 1; KIL NE;", {1, 1, 1, 1}},
        {"MOVR o[COLR], 1; KIL TR;", {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        gl_->reset();
        GLint position = 0;
        const GLuint id = loadNv(std::string("!!FP1.0\n") + c.body + "\nEND\n", position);
        ASSERT_EQ(position, -1) << c.body;
        local4f_(GL_FRAGMENT_PROGRAM_NV, 0, 0.5f, 0.25f, -0.5f, 0.75f);
        glEnable(platform::nvMapTarget(GL_FRAGMENT_PROGRAM_NV));
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ZERO);
        drawQuad();
        const ProgramTestContext::Rgba p = gl_->pixel(20, 20);
        EXPECT_NEAR(p.r, c.expect[0] * 255, 2) << c.body;
        EXPECT_NEAR(p.g, c.expect[1] * 255, 2) << c.body;
        EXPECT_NEAR(p.b, c.expect[2] * 255, 2) << c.body;
        delete_(1, &id);
    }
}

TEST_F(NvFragmentProgramTest, DeclaredParametersAreSetByName) {
    GLint position = 0;
    const GLuint id = loadNv("!!FP1.0\nDECLARE tint = {0.2, 0.4, 0.6, 1};\nMOVR o[COLR], tint;\nEND\n", position);
    ASSERT_EQ(position, -1);
    glEnable(platform::nvMapTarget(GL_FRAGMENT_PROGRAM_NV));
    drawQuad();
    EXPECT_NEAR(gl_->pixel(5, 5).g, 102, 2);
    const GLubyte name[] = {'t', 'i', 'n', 't'};
    named4f_(id, 4, name, 1.0f, 0.0f, 0.5f, 1.0f);
    GLfloat v[4] = {0, 0, 0, 0};
    getNamed_(id, 4, name, v);
    EXPECT_FLOAT_EQ(v[2], 0.5f);
    drawQuad();
    const ProgramTestContext::Rgba p = gl_->pixel(5, 5);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 0);
    EXPECT_NEAR(p.b, 128, 1);
    delete_(1, &id);
}

TEST_F(NvFragmentProgramTest, BrokenTextTakesTheCompileErrorPath) {
    GLint position = -1;
    GLuint id = loadNv("!!FP1.0\nMOVR o[COLR], f[TEX9];\nEND\n", position);
    EXPECT_NE(position, -1);
    const GLubyte* message = glGetString(GL_PROGRAM_ERROR_STRING_ARB);
    ASSERT_NE(message, nullptr);
    EXPECT_GT(std::strlen(reinterpret_cast<const char*>(message)), 0u);
    delete_(1, &id);

    // A text the translation accepts but the driver refuses reports the same way.
    id = loadNv("!!FP1.0\nRCPR R0, R1;\nMOVR o[COLR], R0;\nEND\n", position);
    EXPECT_NE(position, -1);
    delete_(1, &id);

    // And a good program afterwards loads cleanly again.
    id = loadNv("!!FP1.0\nMOVR o[COLR], f[COL0];\nEND\n", position);
    EXPECT_EQ(position, -1);
    delete_(1, &id);
}

}  // namespace
