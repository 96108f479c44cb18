// The NV build's fragment programs: read from the name plus ".nv", kept under
// the name itself, loaded through the NV entry points, and the NV target
// routed to what the driver (or the layer standing in for it) knows.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

#include "engine/GLExtensions.h"
#include "engine/Log.h"
#include "engine/TEngine.h"
#include "platform/gl.h"
#include "platform/nvfp.h"
#include "platform/win32.h"
#include "support/TestPaths.h"

namespace {

TEngine* makeEngine() {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "enginenvtest";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "enginenvtest", "enginenvtest", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                  nullptr, nullptr);
    return TEngine::getInstance(640, 480, window, nullptr, nullptr);
}

// Only "<dir>\nv_fp.txt.nv" exists; the game asks for "<dir>\nv_fp.txt".
std::string writeNvProgramOnly() {
    const std::string dir = binaryDir() + "/enginenvtest_programs";
    mkdir(dir.c_str(), 0755);
    std::ofstream(dir + "/nv_fp.txt.nv", std::ios::binary) << "!!FP1.0\nMOV o[COLR], f[COL0];\nEND\n";
    return "enginenvtest_programs\\nv_fp.txt";
}

}  // namespace

TEST(TEngineNvTest, FragmentProgramsTakeTheNvPath) {
    TEngine* engine = makeEngine();
    ASSERT_NE(nullptr, engine);
    const std::string file = writeNvProgramOnly();
    const TString name(file.c_str());

    if (!has_GL_NV_fragment_program) {
        // Neither the driver nor the layer offers NV programs: no slot, no
        // null call.
        EXPECT_FALSE(platform::nvEmulationActive());
        EXPECT_EQ(-1, engine->loadFragmentProgram(name));
        EXPECT_EQ(0, engine->fragmentProgramCount);
    } else {
        ASSERT_NE(nullptr, glGenProgramsNV);
        EXPECT_EQ(0, engine->loadFragmentProgram(name));
        EXPECT_TRUE(engine->isFragmentProgramValid(0));
        EXPECT_TRUE(engine->fragmentProgramNames[0].equals(name));
        EXPECT_EQ(0, engine->loadFragmentProgram(name));
        // A text that does not translate takes the compile-error path; the
        // box's caption and the log give the translator's reason, and the
        // position is where its line starts.
        const std::string broken = binaryDir() + "/enginenvtest_programs/broken_fp.txt.nv";
        std::ofstream(broken, std::ios::binary) << "!!FP1.0\nFROB o[COLR];\nEND\n";
        const std::string logPath = binaryDir() + "/enginenvtest_programs/Log.txt";
        openLog(logPath.c_str());
        testing::internal::CaptureStderr();
        EXPECT_EQ(1, engine->loadFragmentProgram(TString("enginenvtest_programs\\broken_fp.txt")));
        const std::string err = testing::internal::GetCapturedStderr();
        const std::string reason = "line 2: unknown instruction 'FROB'";
        EXPECT_NE(std::string::npos, err.find(reason + ": enginenvtest_programs\\broken_fp.txt\n")) << err;
        EXPECT_FALSE(engine->isFragmentProgramValid(1));
        std::ifstream logFile(logPath);
        const std::string log((std::istreambuf_iterator<char>(logFile)), std::istreambuf_iterator<char>());
        EXPECT_NE(std::string::npos, log.find("'enginenvtest_programs\\broken_fp.txt' does not compile at position 8: "
                                              "NV fragment program not translated: " + reason + "\n"))
            << log;
        while (glGetError() != GL_NO_ERROR) continue;  // the failed load's own error

        // The next load reports for itself again, an ARB vertex program too.
        std::ofstream(binaryDir() + "/enginenvtest_programs/vp.txt", std::ios::binary)
            << "!!ARBvp1.0\nMOV result.position, vertex.position;\nEND\n";
        EXPECT_EQ(0, engine->loadVertexProgram(TString("enginenvtest_programs\\vp.txt")));
        EXPECT_TRUE(engine->isVertexProgramValid(0));

        // A register number that would wrap around in an int is refused with
        // its reason, not read as R0.
        std::ofstream(binaryDir() + "/enginenvtest_programs/wrap_fp.txt.nv", std::ios::binary)
            << "!!FP1.0\nMOVR R4294967296, f[COL0];\nMOVR o[COLR], R0;\nEND\n";
        testing::internal::CaptureStderr();
        EXPECT_EQ(2, engine->loadFragmentProgram(TString("enginenvtest_programs\\wrap_fp.txt")));
        testing::internal::GetCapturedStderr();
        EXPECT_FALSE(engine->isFragmentProgramValid(2));
        std::ifstream wrapLog(logPath);
        const std::string wrapped((std::istreambuf_iterator<char>(wrapLog)), std::istreambuf_iterator<char>());
        EXPECT_NE(std::string::npos, wrapped.find("'enginenvtest_programs\\wrap_fp.txt' does not compile at position 8: "
                                                  "NV fragment program not translated: line 2: register "
                                                  "'R4294967296' out of range\n"))
            << wrapped;
        while (glGetError() != GL_NO_ERROR) continue;

        glEnable(GL_FRAGMENT_PROGRAM_NV);
        EXPECT_TRUE(glIsEnabled(GL_FRAGMENT_PROGRAM_NV));
        glDisable(GL_FRAGMENT_PROGRAM_NV);
        EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_NV));
        EXPECT_EQ(GL_NO_ERROR, glGetError());
    }
    // Vertex programs stay ARB in this build.
    EXPECT_EQ(1, has_GL_ARB_vertex_program);
    TEngine::destroyInstance();
}
