#include "engine/GLExtensions.h"

#include <cstring>

// ------------------------------------------------------------ definitions ----

#define GL_EXTENSIONS_DEFINE_FLAG(name) int has_##name = 0;
GL_EXTENSION_FLAGS(GL_EXTENSIONS_DEFINE_FLAG)
WGL_EXTENSION_FLAGS(GL_EXTENSIONS_DEFINE_FLAG)
OTHER_EXTENSION_FLAGS(GL_EXTENSIONS_DEFINE_FLAG)
#undef GL_EXTENSIONS_DEFINE_FLAG

#define GL_EXTENSIONS_DEFINE_POINTER(type, name) type ext_##name = nullptr;
PLATFORM_GL_ENTRY_POINTS(GL_EXTENSIONS_DEFINE_POINTER)
WGL_ENTRY_POINTS(GL_EXTENSIONS_DEFINE_POINTER)
#undef GL_EXTENSIONS_DEFINE_POINTER

int glExtensionError = 0;

// ---------------------------------------------------------- text helpers ----

int findExtensionWord(const char* text, const char* name) {
    if (!text || !name || !*name || std::strchr(name, ' ')) return 0;
    const size_t n = std::strlen(name);
    const char* from = text;
    while (const char* hit = std::strstr(from, name)) {
        const bool startsWord = hit == text || hit[-1] == ' ';
        const char after = hit[n];
        if (startsWord && (after == ' ' || after == '\0')) return 1;
        from = hit + n;
    }
    return 0;
}

GLVersionFlags parseGLVersionFlags(const char* version) {
    GLVersionFlags flags;
    if (!version) return flags;
    signed char minor = 0;
    if (*version >= '0' && *version <= '9') {
        int major = 0;
        const char* p = version;
        while (*p >= '0' && *p <= '9' && major < 1000) major = major * 10 + (*p++ - '0');
        if (major >= 2) {
            flags.v12 = flags.v13 = flags.v14 = true;
            return flags;
        }
        if (major != 1 || *p != '.') return flags;
        minor = static_cast<signed char>(p[1]);
    } else {
        const char* hit = std::strstr(version, "1.");
        if (!hit) return flags;
        minor = static_cast<signed char>(hit[2]);
    }
    if (minor >= '4') {
        flags.v12 = flags.v13 = flags.v14 = true;
    } else if (minor == '3') {
        flags.v12 = flags.v13 = true;
    } else if (minor == '2') {
        flags.v12 = true;
    }
    return flags;
}

// ------------------------------------------------------------------ search ----

int isGLExtensionSupported(const char* name) {
    const GLubyte* text = glGetString(GL_EXTENSIONS);
    return findExtensionWord(reinterpret_cast<const char*>(text), name);
}

int isWGLExtensionSupported(const char* name) {
    const char* text = nullptr;
    if (wglGetExtensionsStringARB) {
        text = wglGetExtensionsStringARB(wglGetCurrentDC());
    } else if (wglGetExtensionsStringEXT) {
        text = wglGetExtensionsStringEXT();
    } else {
        return 0;
    }
    return findExtensionWord(text, name);
}

void querySupportedGLExtensions() {
    const GLubyte* version = glGetString(GL_VERSION);
    if (!version) return;
    const GLVersionFlags v = parseGLVersionFlags(reinterpret_cast<const char*>(version));
    has_GL_VERSION_1_2 = v.v12 ? 1 : 0;
    has_GL_VERSION_1_3 = v.v13 ? 1 : 0;
    has_GL_VERSION_1_4 = v.v14 ? 1 : 0;
#define GL_EXTENSIONS_TEST(name) has_##name = isGLExtensionSupported(#name);
    GL_EXTENSION_FLAGS(GL_EXTENSIONS_TEST)
#undef GL_EXTENSIONS_TEST
}

void querySupportedWGLExtensions() {
#define GL_EXTENSIONS_TEST(name) has_##name = isWGLExtensionSupported(#name);
    WGL_EXTENSION_FLAGS(GL_EXTENSIONS_TEST)
#undef GL_EXTENSIONS_TEST
}

// ---------------------------------------------------------------- fetching ----

namespace {

// Stores the fetched address whether or not it is null; null sets the error
// flag.
template <class Pointer>
void fetch(Pointer& pointer, const char* name) {
    pointer = reinterpret_cast<Pointer>(wglGetProcAddress(name));
    if (!pointer) glExtensionError = 1;
}

}  // namespace

#define FETCH(name) fetch(ext_##name, #name)

// The loaders fetch the entry points the program calls (and, for the WGL
// stage, whose errors are reported, each extension's whole list).

void loadEntryPoints_GL_ARB_multitexture() {
    if (!has_GL_ARB_multitexture) return;
    FETCH(glActiveTextureARB);
    FETCH(glClientActiveTextureARB);
}

// The program-object calls GL_ARB_vertex_program and GL_ARB_fragment_program
// share.
static void loadSharedProgramEntryPoints() {
    FETCH(glProgramStringARB);
    FETCH(glBindProgramARB);
    FETCH(glDeleteProgramsARB);
    FETCH(glGenProgramsARB);
    FETCH(glProgramEnvParameter4fARB);
    FETCH(glProgramEnvParameter4fvARB);
    FETCH(glProgramLocalParameter4fARB);
    FETCH(glProgramLocalParameter4fvARB);
    FETCH(glGetProgramivARB);
    FETCH(glIsProgramARB);
}

void loadEntryPoints_GL_ARB_vertex_program() {
    if (!has_GL_ARB_vertex_program) return;
    FETCH(glVertexAttribPointerARB);
    FETCH(glEnableVertexAttribArrayARB);
    FETCH(glDisableVertexAttribArrayARB);
    loadSharedProgramEntryPoints();
}

void loadEntryPoints_GL_ARB_fragment_program() {
    if (!has_GL_ARB_fragment_program) return;
    loadSharedProgramEntryPoints();
}

void loadEntryPoints_GL_NV_vertex_program() {
    if (!has_GL_NV_vertex_program) return;
    FETCH(glBindProgramNV);
    FETCH(glDeleteProgramsNV);
    FETCH(glGenProgramsNV);
    FETCH(glLoadProgramNV);
}

void loadEntryPoints_GL_NV_fragment_program() {
    if (!has_GL_NV_fragment_program) return;
    FETCH(glProgramNamedParameter4fNV);
    FETCH(glProgramNamedParameter4dNV);
    FETCH(glProgramNamedParameter4fvNV);
    FETCH(glProgramNamedParameter4dvNV);
    FETCH(glGetProgramNamedParameterfvNV);
    FETCH(glGetProgramNamedParameterdvNV);
}

void loadEntryPoints_GL_VERSION_1_2() {
    if (!has_GL_VERSION_1_2) return;
    FETCH(glTexImage3D);
    FETCH(glTexSubImage3D);
    FETCH(glCopyTexSubImage3D);
    FETCH(glDrawRangeElements);
}

void loadEntryPoints_GL_VERSION_1_3() {
    if (!has_GL_VERSION_1_3) return;
    FETCH(glActiveTexture);
    FETCH(glClientActiveTexture);
    FETCH(glMultiTexCoord2f);
    FETCH(glMultiTexCoord2fv);
}

void loadEntryPoints_WGL_ARB_make_current_read() {
    if (!has_WGL_ARB_make_current_read) return;
    FETCH(wglMakeContextCurrentARB);
    FETCH(wglGetCurrentReadDCARB);
}

void loadEntryPoints_WGL_EXT_swap_control() {
    if (!has_WGL_EXT_swap_control) return;
    FETCH(wglSwapIntervalEXT);
    FETCH(wglGetSwapIntervalEXT);
}

void loadEntryPoints_WGL_ARB_render_texture() {
    if (!has_WGL_ARB_render_texture) return;
    FETCH(wglBindTexImageARB);
    FETCH(wglReleaseTexImageARB);
    FETCH(wglSetPbufferAttribARB);
}

void loadEntryPoints_WGL_ARB_pixel_format() {
    if (!has_WGL_ARB_pixel_format) return;
    FETCH(wglGetPixelFormatAttribivARB);
    FETCH(wglGetPixelFormatAttribfvARB);
    FETCH(wglChoosePixelFormatARB);
}

void loadEntryPoints_WGL_ARB_pbuffer() {
    if (!has_WGL_ARB_pbuffer) return;
    FETCH(wglCreatePbufferARB);
    FETCH(wglGetPbufferDCARB);
    FETCH(wglReleasePbufferDCARB);
    FETCH(wglDestroyPbufferARB);
    FETCH(wglQueryPbufferARB);
}

void loadEntryPoints_WGL_ARB_buffer_region() {
    if (!has_WGL_ARB_buffer_region) return;
    FETCH(wglCreateBufferRegionARB);
    FETCH(wglDeleteBufferRegionARB);
    FETCH(wglSaveBufferRegionARB);
    FETCH(wglRestoreBufferRegionARB);
}

#undef FETCH

// ------------------------------------------------------------------ stages ----

int initWGLExtensions() {
    glExtensionError = 0;
    fetch(ext_wglGetExtensionsStringARB, "wglGetExtensionsStringARB");
    fetch(ext_wglGetExtensionsStringEXT, "wglGetExtensionsStringEXT");
    // A missing extension-string query is no error.
    glExtensionError = 0;
    has_WGL_ARB_extensions_string = ext_wglGetExtensionsStringARB ? 1 : 0;
    has_WGL_EXT_extensions_string = ext_wglGetExtensionsStringEXT ? 1 : 0;
    querySupportedWGLExtensions();
    loadEntryPoints_WGL_ARB_make_current_read();
    loadEntryPoints_WGL_EXT_swap_control();
    loadEntryPoints_WGL_ARB_render_texture();
    loadEntryPoints_WGL_ARB_pixel_format();
    loadEntryPoints_WGL_ARB_pbuffer();
    loadEntryPoints_WGL_ARB_buffer_region();
    return glExtensionError;
}

int initGLExtensions() {
    glExtensionError = 0;
    querySupportedGLExtensions();
    loadEntryPoints_GL_ARB_multitexture();
    loadEntryPoints_GL_ARB_vertex_program();
    loadEntryPoints_GL_ARB_fragment_program();
    loadEntryPoints_GL_NV_vertex_program();
    loadEntryPoints_GL_NV_fragment_program();
    loadEntryPoints_GL_VERSION_1_2();
    loadEntryPoints_GL_VERSION_1_3();
    return initWGLExtensions();
}
