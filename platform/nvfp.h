#pragma once
// NV fragment programs for game_nv on drivers without GL_NV_fragment_program:
// the layer provides the NV entry points by translating "!!FP1.0" texts into
// ARB fragment programs. In `game` (and where the driver has the extension)
// nothing here is active.

#include <GL/gl.h>

namespace platform {

// True in game_nv when the driver lacks GL_NV_fragment_program and the layer
// stands in for it.
bool nvEmulationActive();
// The layer's own NV entry point of that name (glGenProgramsNV,
// glBindProgramNV, glLoadProgramNV, ...) while the emulation is active; null
// otherwise.
void* nvProcAddress(const char* name);
// The extension string the game sees: the driver's, plus GL_NV_fragment_program
// and GL_NV_vertex_program while the emulation is active.
const GLubyte* nvExtensionString(const GLubyte* driverExtensions);
// GL_FRAGMENT_PROGRAM_NV mapped to the ARB target while emulating; any other
// target unchanged.
GLenum nvMapTarget(GLenum target);

}  // namespace platform
