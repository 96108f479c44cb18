// The render engine on a real window and GL context: the extension loader's
// results on this driver, the cleared frame, the render context's caching of
// texture units, materials and buffer bindings, and GPU program slots.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>

#include "support/TestPaths.h"
#include "engine/GLExtensions.h"
#include "engine/TBufferObject.h"
#include "engine/TEngine.h"
#include "engine/TIndexArray.h"
#include "engine/TVertexArray.h"
#include "platform/crt.h"
#include "platform/gl.h"
#include "platform/win32.h"

namespace {

HWND makeWindow() {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "enginetest";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "enginetest", "enginetest", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                           nullptr);
}

// Writes a program file under the build folder and returns its name the way
// the game names files (backslash separated, relative to the build folder).
std::string writeProgram(const std::string& file, const std::string& text) {
    const std::string dir = binaryDir() + "/enginetest_programs";
    mkdir(dir.c_str(), 0755);
    std::ofstream(dir + "/" + file, std::ios::binary) << text;
    return "enginetest_programs\\" + file;
}

const char* const kVertexProgram = "!!ARBvp1.0\nMOV result.position, vertex.position;\nEND\n";
const char* const kFragmentProgram = "!!ARBfp1.0\nMOV result.color, fragment.color;\nEND\n";

GLint boundArrayBuffer() {
    GLint name = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING_ARB, &name);
    return name;
}

// A render target that only records what reaches it.
class RecordingTarget : public TRenderContext {
public:
    int activeCalls = 0;
    HGLRC getHandle() override { return nullptr; }
    void makeCurrent() override {}
    void setActiveTexture(int unit) override {
        ++activeCalls;
        activeUnit = unit;
    }
};

class TEngineTest : public ::testing::Test {
protected:
    static TEngine* engine;

    static void SetUpTestSuite() {
        HWND window = makeWindow();
        ASSERT_NE(nullptr, window);
        engine = TEngine::getInstance(640, 480, window, nullptr, nullptr);
    }
    static void TearDownTestSuite() {
        TEngine::destroyInstance();
        EXPECT_EQ(nullptr, TEngine::existing());
    }
};

TEngine* TEngineTest::engine = nullptr;

}  // namespace

TEST_F(TEngineTest, SingleInstance) {
    EXPECT_EQ(engine, TEngine::existing());
    EXPECT_EQ(engine, TEngine::getInstance(1, 1, nullptr, nullptr, nullptr));
    EXPECT_EQ(640, engine->width);
    for (const TVector& d : engine->directions) EXPECT_NEAR(0.0003f, d.length(), 1e-6f);
}

TEST_F(TEngineTest, LoaderFindsWhatThisDriverOffers) {
    EXPECT_EQ(1, has_GL_ARB_vertex_program);
    EXPECT_EQ(1, has_GL_ARB_fragment_program);
    EXPECT_EQ(1, has_GL_ARB_multitexture);
    EXPECT_EQ(1, has_GL_VERSION_1_2);
    EXPECT_EQ(1, has_GL_VERSION_1_3);
    EXPECT_EQ(1, has_GL_VERSION_1_4);
    EXPECT_EQ(1, has_GL_ARB_shadow);
    // The plain build sees the driver's own string: no NV programs here.
    EXPECT_EQ(0, has_GL_NV_fragment_program + has_GL_NV_vertex_program);
    EXPECT_EQ(nullptr, glGenProgramsNV);
    EXPECT_NE(nullptr, glTexImage3D);
    EXPECT_NE(nullptr, glMultiTexCoord2f);
    EXPECT_NE(nullptr, glActiveTextureARB);
    EXPECT_NE(nullptr, glGenProgramsARB);
    EXPECT_NE(nullptr, glBindBufferARB);
    EXPECT_EQ(1, has_WGL_ARB_extensions_string);
    EXPECT_EQ(1, has_WGL_ARB_pbuffer);
    EXPECT_EQ(1, has_WGL_ARB_pixel_format);
    EXPECT_EQ(1, has_WGL_ARB_render_texture);
    EXPECT_NE(nullptr, wglCreatePbufferARB);
    EXPECT_NE(nullptr, wglBindTexImageARB);
    // Every WGL entry point of a reported WGL extension is there.
    EXPECT_EQ(0, initWGLExtensions());
}

TEST_F(TEngineTest, EmptyFrameClearsToSkyBlue) {
    engine->renderFrame();
    engine->renderFrame();
    glReadBuffer(GL_FRONT);
    unsigned char pixel[4] = {0, 0, 0, 0};
    glReadPixels(600, 20, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glReadBuffer(GL_BACK);
    EXPECT_NEAR(128, pixel[0], 1);
    EXPECT_NEAR(128, pixel[1], 1);
    EXPECT_EQ(255, pixel[2]);
    // The 2D overlay restored both matrices and the attributes.
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(1, depth);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(GL_NO_ERROR, glGetError());
}

TEST_F(TEngineTest, BufferBindsWaitWhileBuffersAreOff) {
    TVertexArray* packed = engine->createVertexArray(4, 4, GL_VERTEX_ARRAY);
    TVertexArray* loose = engine->createVertexArray(0, 2, GL_TEXTURE_COORD_ARRAY);
    TIndexArray* indices = engine->createIndexArray(2, 3, -1);
    EXPECT_EQ(static_cast<void*>(loose->data), loose->pointer);
    EXPECT_EQ(static_cast<unsigned int>(GL_INT), indices->type);
    TBufferObject* a = engine->createBufferObject(GL_ARRAY_BUFFER_ARB, 1024, GL_STATIC_DRAW_ARB);
    TBufferObject* b = engine->createBufferObject(GL_ARRAY_BUFFER_ARB, 1024, GL_STATIC_DRAW_ARB);
    ASSERT_NE(0u, a->name);
    packed->buffer = a;

    engine->bindArrayBuffer(a);
    EXPECT_EQ(static_cast<GLint>(a->name), boundArrayBuffer());
    // Making a buffer leaves GL bound to what the engine remembers.
    TBufferObject* c = engine->createBufferObject(GL_ARRAY_BUFFER_ARB, 64, GL_STATIC_DRAW_ARB);
    EXPECT_EQ(static_cast<GLint>(a->name), boundArrayBuffer());
    EXPECT_NE(c->name, a->name);

    EXPECT_FALSE(engine->toggleVBO());
    EXPECT_EQ(0, boundArrayBuffer());
    EXPECT_EQ(nullptr, engine->arrayBuffer);
    EXPECT_FALSE(packed->useBuffer || loose->useBuffer || indices->useBuffer);
    engine->bindArrayBuffer(b);
    EXPECT_EQ(0, boundArrayBuffer());
    EXPECT_EQ(nullptr, engine->arrayBuffer);

    EXPECT_TRUE(engine->toggleVBO());
    EXPECT_EQ(0, boundArrayBuffer());  // turning on binds nothing
    EXPECT_TRUE(packed->useBuffer && loose->useBuffer && indices->useBuffer);
    EXPECT_TRUE(packed->inBuffer());
    EXPECT_FALSE(loose->inBuffer());  // marked, but never packed
    engine->bindArrayBuffer(a);
    EXPECT_EQ(static_cast<GLint>(a->name), boundArrayBuffer());
    engine->bindArrayBuffer(nullptr);
    EXPECT_EQ(0, boundArrayBuffer());
}

TEST_F(TEngineTest, ShrinkingTextureUnitsDisablesTheirTargets) {
    engine->setTextureUnitCount(3);
    for (int unit = 1; unit <= 2; ++unit) {
        const unsigned int target = unit == 1 ? GL_TEXTURE_2D : GL_TEXTURE_CUBE_MAP_ARB;
        engine->setActiveTexture(unit);
        glEnable(target);
        engine->setUnitTarget(unit, target);
    }
    EXPECT_EQ(3, engine->unitCount);

    engine->setTextureUnitCount(1);
    EXPECT_EQ(1, engine->unitCount);
    EXPECT_EQ(1, engine->activeUnit);  // 2, then 1
    EXPECT_EQ(0u, engine->getUnitTarget(1));
    EXPECT_EQ(0u, engine->getUnitTarget(2));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    engine->setActiveTexture(2);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP_ARB));

    engine->setTextureUnitCount(3);  // raises the count only
    EXPECT_EQ(3, engine->unitCount);
    EXPECT_EQ(0u, engine->getUnitTarget(2));
    EXPECT_EQ(0u, engine->getUnitTarget(8));  // no such unit
    engine->setTextureUnitCount(0);
    engine->setActiveTexture(0);
    EXPECT_EQ(GL_NO_ERROR, glGetError());
}

TEST_F(TEngineTest, MaterialChangesOnlyWhenDifferent) {
    // A material that is never applied: touching it would fault.
    TMaterial* current = reinterpret_cast<TMaterial*>(alignof(void*) * 16);
    TMaterial* saved = engine->material;
    engine->material = current;
    engine->setMaterial(current);
    EXPECT_EQ(current, engine->getMaterial());
    engine->setMaterial(nullptr);  // forgets without GL
    EXPECT_EQ(nullptr, engine->getMaterial());
    engine->material = saved;
}

TEST_F(TEngineTest, PbufferTargetTakesTheCallsUntilTheEngineIsCurrent) {
    RecordingTarget pbuffer;
    engine->setActiveTexture(0);
    engine->activeTarget = &pbuffer;
    engine->setActiveTexture(3);
    engine->setUnitTarget(1, GL_TEXTURE_3D);
    EXPECT_EQ(1, pbuffer.activeCalls);
    EXPECT_EQ(3, pbuffer.activeUnit);
    EXPECT_EQ(static_cast<unsigned int>(GL_TEXTURE_3D), pbuffer.unitTargets[1]);
    EXPECT_EQ(0, engine->activeUnit);
    EXPECT_EQ(0u, engine->unitTargets[1]);
    engine->makeCurrent();
    EXPECT_EQ(nullptr, engine->activeTarget);
    engine->setActiveTexture(0);
    EXPECT_EQ(1, pbuffer.activeCalls);
}

TEST_F(TEngineTest, ProgramSlots) {
    const std::string vp = writeProgram("vp.txt", kVertexProgram);
    const std::string fp = writeProgram("fp.txt", kFragmentProgram);
    EXPECT_EQ(0, engine->loadVertexProgram(TString(vp.c_str())));
    EXPECT_EQ(0, engine->loadVertexProgram(TString(vp.c_str(), true)));  // same name, loaded once
    EXPECT_EQ(0, engine->loadFragmentProgram(TString(fp.c_str())));     // separate tables
    EXPECT_TRUE(engine->isVertexProgramValid(0));
    EXPECT_TRUE(engine->isFragmentProgramValid(0));
    EXPECT_NE(0u, engine->vertexProgramIds[0]);

    // Windows line ends compile as well.
    const std::string crlf = writeProgram("vp_crlf.txt", "!!ARBvp1.0\r\nMOV result.position, vertex.position;\r\nEND\r\n");
    EXPECT_EQ(1, engine->loadVertexProgram(TString(crlf.c_str())));
    EXPECT_TRUE(engine->isVertexProgramValid(1));

    // A missing file takes no slot.
    EXPECT_EQ(-1, engine->loadVertexProgram(TString("enginetest_programs\\missing.txt")));
    EXPECT_EQ(2, engine->vertexProgramCount);

    // A syntax error: one box naming the file, with the driver's message as
    // its caption, and a slot that is never bound.
    const std::string bad = writeProgram("vp_bad.txt", "!!ARBvp1.0\nMOVE result.position;\nEND\n");
    testing::internal::CaptureStderr();
    const int badSlot = engine->loadVertexProgram(TString(bad.c_str()));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(2, badSlot);
    EXPECT_FALSE(engine->isVertexProgramValid(badSlot));
    const size_t at = err.find(": " + bad + "\n");
    EXPECT_NE(std::string::npos, at) << err;
    EXPECT_EQ(at, err.rfind(": " + bad + "\n"));
    EXPECT_EQ(2, engine->loadVertexProgram(TString(bad.c_str())));  // its slot stays

    // Ten slots: the eleventh distinct program is refused.
    for (int i = 3; i < 10; ++i) {
        const std::string name = writeProgram("vp" + std::to_string(i) + ".txt", kVertexProgram);
        EXPECT_EQ(i, engine->loadVertexProgram(TString(name.c_str())));
    }
    const std::string eleventh = writeProgram("vp10.txt", kVertexProgram);
    EXPECT_EQ(-1, engine->loadVertexProgram(TString(eleventh.c_str())));
    EXPECT_EQ(10, engine->vertexProgramCount);
    EXPECT_FALSE(engine->isVertexProgramValid(10));
    EXPECT_FALSE(engine->isVertexProgramValid(-1));
}

TEST_F(TEngineTest, TogglesFlipGLState) {
    EXPECT_TRUE(engine->toggleWireframe());
    GLint modes[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(GL_LINE, modes[0]);
    EXPECT_FALSE(engine->toggleWireframe());
    EXPECT_FALSE(engine->toggleTransparency());
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(engine->toggleTransparency());
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

// The frame rate is measured every tenth frame as ten frames over the time
// since the previous measurement; the first one counts from time stamp zero.
TEST(TFpsCounterTest, TenFramesOverTheTimeSinceTheLastMeasurement) {
    TFpsCounter counter;
    for (int i = 0; i < 9; ++i) counter.update();
    EXPECT_EQ(9, counter.frames);
    EXPECT_EQ(0.0f, counter.fps);
    counter.update();
    EXPECT_EQ(0, counter.frames);
    EXPECT_GT(counter.fps, 0.0f);  // ten frames since 1970
    EXPECT_LT(counter.fps, 1e-6f);
    struct _timeb now;
    _ftime(&now);
    EXPECT_NEAR(static_cast<double>(now.time), static_cast<double>(counter.lastSeconds), 1.0);

    // The last measurement 2.5 s ago (seconds and milliseconds both count).
    if (counter.lastMilliseconds >= 500) {
        counter.lastMilliseconds -= 500;
    } else {
        counter.lastMilliseconds += 500;
        counter.lastSeconds -= 1;
    }
    counter.lastSeconds -= 2;
    const float first = counter.fps;
    for (int i = 0; i < 9; ++i) counter.update();
    EXPECT_EQ(first, counter.fps);
    counter.update();
    EXPECT_NEAR(4.0f, counter.fps, 0.1f);
    EXPECT_EQ(0, counter.frames);
}

// Without a window there is nothing to draw in: the box, then exit code 1.
TEST(TEngineDeathTest, NoWindowEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(new TEngine(640, 480, nullptr, nullptr, nullptr), testing::ExitedWithCode(1),
                "ERROR: Window Creation Error.");
}
