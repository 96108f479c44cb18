#pragma once
// OpenGL as the program sees it: the system's GL 1.1 headers, and every entry
// point newer than 1.1 as a process-wide function pointer `ext_<name>`, filled
// once by the extension loader (the buffer-object ones by the engine). The
// program calls these under their GL names; a pointer nobody fetched is null.
// In game_nv the NV fragment-program target and extension string pass through
// the NV hooks, so the layer can stand in for a driver without them.

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include "platform/nvfp.h"

// X(type, name) for every fetched entry point. Arguments reach X unexpanded
// (X pastes and stringizes them), so the list may be used after the renames.
#define PLATFORM_GL_ENTRY_POINTS(X)                                           \
    /* GL_ARB_multitexture */                                                 \
    X(PFNGLACTIVETEXTUREARBPROC, glActiveTextureARB)                          \
    X(PFNGLCLIENTACTIVETEXTUREARBPROC, glClientActiveTextureARB)              \
    /* GL_VERSION_1_2 */                                                      \
    X(PFNGLTEXIMAGE3DPROC, glTexImage3D)                                      \
    X(PFNGLTEXSUBIMAGE3DPROC, glTexSubImage3D)                                \
    X(PFNGLCOPYTEXSUBIMAGE3DPROC, glCopyTexSubImage3D)                        \
    X(PFNGLDRAWRANGEELEMENTSPROC, glDrawRangeElements)                        \
    /* GL_VERSION_1_3 */                                                      \
    X(PFNGLACTIVETEXTUREPROC, glActiveTexture)                                \
    /* (the system gl.h lacks some 1.3 types; the ARB ones are the same) */  \
    X(PFNGLCLIENTACTIVETEXTUREARBPROC, glClientActiveTexture)                 \
    X(PFNGLMULTITEXCOORD2FARBPROC, glMultiTexCoord2f)                         \
    X(PFNGLMULTITEXCOORD2FVARBPROC, glMultiTexCoord2fv)                       \
    /* GL_ARB_vertex_program and GL_ARB_fragment_program */                   \
    X(PFNGLPROGRAMSTRINGARBPROC, glProgramStringARB)                          \
    X(PFNGLBINDPROGRAMARBPROC, glBindProgramARB)                              \
    X(PFNGLDELETEPROGRAMSARBPROC, glDeleteProgramsARB)                        \
    X(PFNGLGENPROGRAMSARBPROC, glGenProgramsARB)                              \
    X(PFNGLPROGRAMENVPARAMETER4FARBPROC, glProgramEnvParameter4fARB)          \
    X(PFNGLPROGRAMENVPARAMETER4FVARBPROC, glProgramEnvParameter4fvARB)        \
    X(PFNGLPROGRAMLOCALPARAMETER4FARBPROC, glProgramLocalParameter4fARB)      \
    X(PFNGLPROGRAMLOCALPARAMETER4FVARBPROC, glProgramLocalParameter4fvARB)    \
    X(PFNGLGETPROGRAMIVARBPROC, glGetProgramivARB)                            \
    X(PFNGLISPROGRAMARBPROC, glIsProgramARB)                                  \
    /* GL_ARB_vertex_program only */                                          \
    X(PFNGLVERTEXATTRIBPOINTERARBPROC, glVertexAttribPointerARB)              \
    X(PFNGLENABLEVERTEXATTRIBARRAYARBPROC, glEnableVertexAttribArrayARB)      \
    X(PFNGLDISABLEVERTEXATTRIBARRAYARBPROC, glDisableVertexAttribArrayARB)    \
    /* GL_NV_vertex_program (the NV program objects) */                       \
    X(PFNGLBINDPROGRAMNVPROC, glBindProgramNV)                                \
    X(PFNGLDELETEPROGRAMSNVPROC, glDeleteProgramsNV)                          \
    X(PFNGLGENPROGRAMSNVPROC, glGenProgramsNV)                                \
    X(PFNGLLOADPROGRAMNVPROC, glLoadProgramNV)                                \
    /* GL_NV_fragment_program */                                              \
    X(PFNGLPROGRAMNAMEDPARAMETER4FNVPROC, glProgramNamedParameter4fNV)        \
    X(PFNGLPROGRAMNAMEDPARAMETER4FVNVPROC, glProgramNamedParameter4fvNV)      \
    X(PFNGLPROGRAMNAMEDPARAMETER4DNVPROC, glProgramNamedParameter4dNV)        \
    X(PFNGLPROGRAMNAMEDPARAMETER4DVNVPROC, glProgramNamedParameter4dvNV)      \
    X(PFNGLGETPROGRAMNAMEDPARAMETERFVNVPROC, glGetProgramNamedParameterfvNV)  \
    X(PFNGLGETPROGRAMNAMEDPARAMETERDVNVPROC, glGetProgramNamedParameterdvNV)  \
    /* GL_ARB_vertex_buffer_object (fetched by the engine) */                 \
    X(PFNGLBINDBUFFERARBPROC, glBindBufferARB)                                \
    X(PFNGLDELETEBUFFERSARBPROC, glDeleteBuffersARB)                          \
    X(PFNGLGENBUFFERSARBPROC, glGenBuffersARB)                                \
    X(PFNGLISBUFFERARBPROC, glIsBufferARB)                                    \
    X(PFNGLBUFFERDATAARBPROC, glBufferDataARB)                                \
    X(PFNGLBUFFERSUBDATAARBPROC, glBufferSubDataARB)                          \
    X(PFNGLGETBUFFERSUBDATAARBPROC, glGetBufferSubDataARB)                    \
    X(PFNGLMAPBUFFERARBPROC, glMapBufferARB)                                  \
    X(PFNGLUNMAPBUFFERARBPROC, glUnmapBufferARB)                              \
    X(PFNGLGETBUFFERPARAMETERIVARBPROC, glGetBufferParameterivARB)            \
    X(PFNGLGETBUFFERPOINTERVARBPROC, glGetBufferPointervARB)

#define PLATFORM_GL_DECLARE_POINTER(type, name) extern type ext_##name;
PLATFORM_GL_ENTRY_POINTS(PLATFORM_GL_DECLARE_POINTER)
#undef PLATFORM_GL_DECLARE_POINTER

// The program calls the pointers under the entry points' own names.
#define glActiveTextureARB ext_glActiveTextureARB
#define glClientActiveTextureARB ext_glClientActiveTextureARB
#define glTexImage3D ext_glTexImage3D
#define glTexSubImage3D ext_glTexSubImage3D
#define glCopyTexSubImage3D ext_glCopyTexSubImage3D
#define glDrawRangeElements ext_glDrawRangeElements
#define glActiveTexture ext_glActiveTexture
#define glClientActiveTexture ext_glClientActiveTexture
#define glMultiTexCoord2f ext_glMultiTexCoord2f
#define glMultiTexCoord2fv ext_glMultiTexCoord2fv
#define glProgramStringARB ext_glProgramStringARB
#define glBindProgramARB ext_glBindProgramARB
#define glDeleteProgramsARB ext_glDeleteProgramsARB
#define glGenProgramsARB ext_glGenProgramsARB
#define glGetProgramivARB ext_glGetProgramivARB
#define glIsProgramARB ext_glIsProgramARB
#define glVertexAttribPointerARB ext_glVertexAttribPointerARB
#define glEnableVertexAttribArrayARB ext_glEnableVertexAttribArrayARB
#define glDisableVertexAttribArrayARB ext_glDisableVertexAttribArrayARB
#define glBindProgramNV ext_glBindProgramNV
#define glDeleteProgramsNV ext_glDeleteProgramsNV
#define glGenProgramsNV ext_glGenProgramsNV
#define glLoadProgramNV ext_glLoadProgramNV
#define glProgramNamedParameter4fNV ext_glProgramNamedParameter4fNV
#define glProgramNamedParameter4fvNV ext_glProgramNamedParameter4fvNV
#define glProgramNamedParameter4dNV ext_glProgramNamedParameter4dNV
#define glProgramNamedParameter4dvNV ext_glProgramNamedParameter4dvNV
#define glGetProgramNamedParameterfvNV ext_glGetProgramNamedParameterfvNV
#define glGetProgramNamedParameterdvNV ext_glGetProgramNamedParameterdvNV
#define glBindBufferARB ext_glBindBufferARB
#define glDeleteBuffersARB ext_glDeleteBuffersARB
#define glGenBuffersARB ext_glGenBuffersARB
#define glIsBufferARB ext_glIsBufferARB
#define glBufferDataARB ext_glBufferDataARB
#define glBufferSubDataARB ext_glBufferSubDataARB
#define glGetBufferSubDataARB ext_glGetBufferSubDataARB
#define glMapBufferARB ext_glMapBufferARB
#define glUnmapBufferARB ext_glUnmapBufferARB
#define glGetBufferParameterivARB ext_glGetBufferParameterivARB
#define glGetBufferPointervARB ext_glGetBufferPointervARB

#ifdef GAME_NV
// game_nv: the extension string, the program error queries and the NV
// fragment-program target go through the NV hooks (they change nothing while
// the driver has the extension itself). Code that implements the hooks
// includes the system headers directly, not this one.
namespace platform {

inline const GLubyte* routedGetString(GLenum name) {
    const GLubyte* text = glGetString(name);
    if (name == GL_EXTENSIONS) return nvExtensionString(text);
    return name == GL_PROGRAM_ERROR_STRING_ARB ? nvProgramErrorString(text) : text;
}
inline void routedGetIntegerv(GLenum name, GLint* values) {
    glGetIntegerv(name, values);
    if (name == GL_PROGRAM_ERROR_POSITION_ARB && values) *values = nvProgramErrorPosition(*values);
}
inline void routedEnable(GLenum cap) { glEnable(nvMapTarget(cap)); }
inline void routedDisable(GLenum cap) { glDisable(nvMapTarget(cap)); }
inline GLboolean routedIsEnabled(GLenum cap) { return glIsEnabled(nvMapTarget(cap)); }
inline void routedProgramEnvParameter4fARB(GLenum target, GLuint index, GLfloat x, GLfloat y, GLfloat z,
                                           GLfloat w) {
    ext_glProgramEnvParameter4fARB(nvMapTarget(target), index, x, y, z, w);
}
inline void routedProgramEnvParameter4fvARB(GLenum target, GLuint index, const GLfloat* v) {
    ext_glProgramEnvParameter4fvARB(nvMapTarget(target), index, v);
}
inline void routedProgramLocalParameter4fARB(GLenum target, GLuint index, GLfloat x, GLfloat y, GLfloat z,
                                             GLfloat w) {
    ext_glProgramLocalParameter4fARB(nvMapTarget(target), index, x, y, z, w);
}
inline void routedProgramLocalParameter4fvARB(GLenum target, GLuint index, const GLfloat* v) {
    ext_glProgramLocalParameter4fvARB(nvMapTarget(target), index, v);
}

}  // namespace platform

#define glGetString platform::routedGetString
#define glGetIntegerv platform::routedGetIntegerv
#define glEnable platform::routedEnable
#define glDisable platform::routedDisable
#define glIsEnabled platform::routedIsEnabled
#define glProgramEnvParameter4fARB platform::routedProgramEnvParameter4fARB
#define glProgramEnvParameter4fvARB platform::routedProgramEnvParameter4fvARB
#define glProgramLocalParameter4fARB platform::routedProgramLocalParameter4fARB
#define glProgramLocalParameter4fvARB platform::routedProgramLocalParameter4fvARB
#else
#define glProgramEnvParameter4fARB ext_glProgramEnvParameter4fARB
#define glProgramEnvParameter4fvARB ext_glProgramEnvParameter4fvARB
#define glProgramLocalParameter4fARB ext_glProgramLocalParameter4fARB
#define glProgramLocalParameter4fvARB ext_glProgramLocalParameter4fvARB
#endif
