#pragma once
// Inside the layer: GL contexts and pbuffers as the WGL code keeps them. A
// context is an SDL GL context sharing objects with the first one; a pbuffer
// is a colour texture and a depth renderbuffer that a context draws into
// through a framebuffer object of its own (framebuffer objects belong to one
// context, so each context keeps one for every pbuffer it has drawn into).

#include <GL/gl.h>
#include <GL/glext.h>

#include <memory>
#include <vector>

#include "platform/sdlwindow.h"
#include "platform/wgl.h"

struct HGLRC__ {
    SDL_GLContext sdl = nullptr;
    // Made current through wglMakeCurrent at least once (the viewport is set
    // to the drawing target's size then).
    bool used = false;
    struct Target {
        HPBUFFERARB pbuffer;
        GLuint framebuffer;
    };
    std::vector<Target> targets;
    // Reads pbuffer pictures for wglBindTexImageARB.
    GLuint readFramebuffer = 0;
    // Framebuffers of destroyed pbuffers, deleted when this context is next
    // current.
    std::vector<GLuint> orphans;
};

struct HPBUFFERARB__ {
    HDC__ dc;
    HWND window = nullptr;
    int width = 0;
    int height = 0;
    int textureFormat = WGL_NO_TEXTURE_ARB;
    int textureTarget = WGL_NO_TEXTURE_ARB;
    int mipmapTexture = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    // The texture the picture was last bound to, and whether that binding
    // made mipmaps: each new picture is copied there as soon as it is drawn.
    GLuint boundTexture = 0;
    bool mipmapsWanted = false;
    // The texture that already holds the picture drawn last (0: none).
    GLuint copiedTo = 0;
};

namespace platform {

// The one pixel format offered: RGBA 8 bits each, 24 depth bits,
// double-buffered, for windows and pbuffers alike.
const int kPixelFormat = 1;

// The framebuffer-object calls the layer itself makes.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    bool loaded = false;
    bool complete = false;
};
// Fetched on first use; `complete` is false when the driver lacks any.
FramebufferCalls& framebufferCalls();

// While it lives, pixels are read and written tightly packed (no row
// length, skips, byte swapping or alignment padding); the caller's pixel
// store settings come back when it goes.
struct TightPixelStore {
    TightPixelStore() {
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        for (GLenum name : {GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS, GL_PACK_SWAP_BYTES,
                            GL_PACK_LSB_FIRST, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS,
                            GL_UNPACK_SWAP_BYTES, GL_UNPACK_LSB_FIRST})
            glPixelStorei(name, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~TightPixelStore() { glPopClientAttrib(); }
    TightPixelStore(const TightPixelStore&) = delete;
    TightPixelStore& operator=(const TightPixelStore&) = delete;
};

struct GLState {
    std::vector<std::unique_ptr<HGLRC__>> contexts;
    HGLRC current = nullptr;
    HDC currentDC = nullptr;
};
GLState& glState();
// The window whose GL surface a device context draws on, or null.
HWND windowOfDC(HDC dc);
// Makes no context current (a pbuffer's picture is flushed first).
void releaseCurrentContext();
// Keeps the GL driver (every shared object loaded at the call) in memory
// until the process ends; called once a context exists. A driver unloaded
// with the last window leaves the memory it keeps for its whole life behind,
// where a leak check at exit can neither reach it nor name its module.
void keepGLDriverLoaded();

// Whether the handle is a live pbuffer.
bool knownPbuffer(HPBUFFERARB pbuffer);
// The current context's framebuffer for the pbuffer, made on first use; 0
// when it cannot be made.
GLuint pbufferFramebuffer(HGLRC context, HPBUFFERARB pbuffer);
// Called in the context that drew into the pbuffer when it stops: hands the
// drawing to the GL driver and copies the picture into the texture it was
// last bound to.
void endPbufferPicture(HPBUFFERARB pbuffer);
// The WGL extension functions of pixel formats, pbuffers and render-to-
// texture by name; null for any other name.
PROC pbufferProcAddress(const char* name);

template <typename F>
PROC asProc(F* function) {
    return reinterpret_cast<PROC>(function);
}

}  // namespace platform
