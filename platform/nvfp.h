#pragma once
// NV fragment programs for game_nv on drivers without GL_NV_fragment_program:
// the layer provides the NV entry points by translating "!!FP1.0" texts into
// ARB fragment programs. In `game` (and where the driver has the extension)
// nothing here is active.

#include <GL/gl.h>

#include <cstddef>
#include <string>
#include <vector>

// The plain and the NV build compile this layer twice; their versions carry
// different link names (the inline namespace PLATFORM_BUILD), so a program
// that links both libraries (a test) gets the one it was compiled for.
#if defined(GAME_NV) && GAME_NV
#define PLATFORM_BUILD nvbuild
#else
#define PLATFORM_BUILD plainbuild
#endif

namespace platform {
inline namespace PLATFORM_BUILD {

// True in game_nv when the driver lacks GL_NV_fragment_program and the layer
// stands in for it. Needs a current GL context; false without one.
bool nvEmulationActive();
// The layer's own NV entry point of that name (glGenProgramsNV,
// glBindProgramNV, glLoadProgramNV, glDeleteProgramsNV, glIsProgramNV, the
// glProgramNamedParameter*NV family, and target-mapping versions of the ARB
// program-parameter calls) while the emulation is active; null otherwise.
void* nvProcAddress(const char* name);
// The extension string the game sees: the driver's, plus GL_NV_fragment_program
// and GL_NV_vertex_program while the emulation is active. The returned text
// belongs to the layer (or is the driver's own).
const GLubyte* nvExtensionString(const GLubyte* driverExtensions);
// The answers to the program error queries (GL_PROGRAM_ERROR_STRING_ARB and
// GL_PROGRAM_ERROR_POSITION_ARB, the same values as the NV names) that the
// game sees: after a glLoadProgramNV whose text did not translate, the
// translator's reason and the start of the line it stopped at; after any
// other program load, the driver's own answers, passed through.
const GLubyte* nvProgramErrorString(const GLubyte* driverText);
GLint nvProgramErrorPosition(GLint driverPosition);
// GL_FRAGMENT_PROGRAM_NV mapped to the ARB target while emulating; any other
// target unchanged. The GL layer passes glEnable/glDisable capabilities and
// program targets through it.
GLenum nvMapTarget(GLenum target);

// A parameter the NV text declared with DECLARE: it lives in the ARB
// program's local parameter `localIndex`.
struct NvDeclaration {
    std::string name;
    int localIndex = 0;
    float value[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

// The result of translating one NV fragment program.
struct NvTranslation {
    std::string arb;  // the "!!ARBfp1.0" text
    std::vector<NvDeclaration> declarations;
    std::string error;  // "line N: cause" when the translation failed
};

// Local parameter of the first DECLAREd name; p[0] to p[63] keep their own
// indices below it. Every local index the translation writes stays below
// kNvFirstDeclaredLocal + kNvMaxDeclarations.
constexpr int kNvFirstDeclaredLocal = 64;
// The highest temporaries NV fragment programs name: R0-R31, H0-H63.
constexpr int kNvMaxFullTemporary = 31;
constexpr int kNvMaxHalfTemporary = 63;
// At most this many DECLAREd names per program.
constexpr int kNvMaxDeclarations = 64;

// Translates an NV fragment program of `length` bytes (not necessarily
// zero-terminated) into ARB assembly. Returns false, with `out.error` set and
// `out.arb` empty, when the text is malformed or uses something the
// translation does not cover (derivatives, packing, conditional writes, ...).
bool nvTranslateFragmentProgram(const char* text, size_t length, NvTranslation& out);

// The ARB text loaded in place of an NV program that does not translate: the
// driver rejects it, so the caller's compile-error path runs.
const char* nvInvalidProgramText();

}  // namespace nvbuild / plainbuild
}  // namespace platform
