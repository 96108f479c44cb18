// GL contexts, pixel formats, the buffer swap and the entry-point lookup
// over SDL.

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/nvfp.h"
#include "platform/testhooks.h"
#include "platform/wglstate.h"

using platform::GLState;

namespace {

const char kExtensions[] =
    "WGL_ARB_extensions_string WGL_ARB_pixel_format WGL_ARB_pbuffer WGL_ARB_render_texture WGL_EXT_swap_control";

GLState& gl() { return platform::glState(); }

template <typename T>
void fetch(T& pointer, const char* name) {
    pointer = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
}

bool knownContext(HGLRC c) {
    for (const auto& p : gl().contexts)
        if (p.get() == c) return true;
    return false;
}

void drawableSize(HDC dc, int& width, int& height) {
    width = height = 0;
    if (dc->kind == HDC__::Pbuffer) {
        const HPBUFFERARB p = static_cast<HPBUFFERARB>(dc->owner);
        width = p->width;
        height = p->height;
    } else if (HWND w = platform::windowOfDC(dc)) {
        SDL_GL_GetDrawableSize(w->sdl, &width, &height);
    }
}

// Points the current context's drawing at the device context's target.
void bindTarget(HGLRC c, HDC dc) {
    platform::FramebufferCalls& f = platform::framebufferCalls();
    if (!f.complete) return;
    if (!c->orphans.empty()) {
        f.deleteFramebuffers(static_cast<GLsizei>(c->orphans.size()), c->orphans.data());
        c->orphans.clear();
    }
    if (dc->kind == HDC__::Pbuffer) {
        HPBUFFERARB p = static_cast<HPBUFFERARB>(dc->owner);
        p->copiedTo = 0;  // a new picture may be drawn from here on
        f.bindFramebuffer(GL_FRAMEBUFFER, platform::pbufferFramebuffer(c, p));
    } else if (!c->targets.empty()) {
        f.bindFramebuffer(GL_FRAMEBUFFER, 0);
    }
}

// Takes one more reference to a loaded shared object and marks it never to
// be unloaded (RTLD_NOLOAD loads nothing new).
int keepModuleLoaded(dl_phdr_info* info, size_t, void*) {
    if (info->dlpi_name && info->dlpi_name[0]) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

const char* getExtensionsStringARB(HDC) { return kExtensions; }

const char* getExtensionsStringEXT() { return kExtensions; }

BOOL swapInterval(int interval) { return SDL_GL_SetSwapInterval(interval) == 0 ? TRUE : FALSE; }

int getSwapInterval() { return SDL_GL_GetSwapInterval(); }

struct NamedProc {
    const char* name;
    PROC proc;
};

const NamedProc kOwnProcs[] = {
    {"wglGetExtensionsStringARB", platform::asProc(getExtensionsStringARB)},
    {"wglGetExtensionsStringEXT", platform::asProc(getExtensionsStringEXT)},
    {"wglSwapIntervalEXT", platform::asProc(swapInterval)},
    {"wglGetSwapIntervalEXT", platform::asProc(getSwapInterval)},
};

}  // namespace

namespace platform {

GLState& glState() {
    static GLState s;
    return s;
}

FramebufferCalls& framebufferCalls() {
    static FramebufferCalls f;
    if (f.loaded) return f;
    f.loaded = true;
    fetch(f.genFramebuffers, "glGenFramebuffers");
    fetch(f.deleteFramebuffers, "glDeleteFramebuffers");
    fetch(f.bindFramebuffer, "glBindFramebuffer");
    fetch(f.framebufferTexture2D, "glFramebufferTexture2D");
    fetch(f.framebufferRenderbuffer, "glFramebufferRenderbuffer");
    fetch(f.checkFramebufferStatus, "glCheckFramebufferStatus");
    fetch(f.genRenderbuffers, "glGenRenderbuffers");
    fetch(f.deleteRenderbuffers, "glDeleteRenderbuffers");
    fetch(f.bindRenderbuffer, "glBindRenderbuffer");
    fetch(f.renderbufferStorage, "glRenderbufferStorage");
    f.complete = f.genFramebuffers && f.deleteFramebuffers && f.bindFramebuffer && f.framebufferTexture2D &&
                 f.framebufferRenderbuffer && f.checkFramebufferStatus && f.genRenderbuffers &&
                 f.deleteRenderbuffers && f.bindRenderbuffer && f.renderbufferStorage;
    if (!f.complete) std::fprintf(stderr, "platform: the GL driver has no framebuffer objects; no pbuffers\n");
    return f;
}

HWND windowOfDC(HDC dc) {
    if (!dc) return nullptr;
    if (dc->kind == HDC__::Window) return static_cast<HWND>(dc->owner);
    if (dc->kind == HDC__::Pbuffer) return static_cast<HPBUFFERARB>(dc->owner)->window;
    return firstWindow();
}

void keepGLDriverLoaded() { dl_iterate_phdr(keepModuleLoaded, nullptr); }

void releaseCurrentContext() {
    GLState& s = gl();
    if (s.current && s.currentDC && s.currentDC->kind == HDC__::Pbuffer)
        endPbufferPicture(static_cast<HPBUFFERARB>(s.currentDC->owner));
    if (HWND w = firstWindow()) SDL_GL_MakeCurrent(w->sdl, nullptr);
    s.current = nullptr;
    s.currentDC = nullptr;
}

}  // namespace platform

// ------------------------------------------------------------------- GDI ----

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor) {
    return dc && descriptor ? platform::kPixelFormat : 0;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*) {
    if (!dc || format != platform::kPixelFormat) return FALSE;
    if (dc->pixelFormat != 0 && dc->pixelFormat != format) return FALSE;
    dc->pixelFormat = format;
    return TRUE;
}

int GetPixelFormat(HDC dc) { return dc ? dc->pixelFormat : 0; }

BOOL SwapBuffers(HDC dc) {
    GLState& s = gl();
    if (!dc) return FALSE;
    if (dc->kind == HDC__::Pbuffer) {
        if (s.currentDC == dc) glFlush();
        return TRUE;
    }
    HWND window = platform::windowOfDC(dc);
    if (!window) return FALSE;
    int width = 0, height = 0;
    drawableSize(dc, width, height);
    platform::testHooksBeforeSwap(s.current && s.currentDC == dc, width, height);
    SDL_GL_SwapWindow(window->sdl);
    platform::clockFrameDone();
    platform::testHooksAfterSwap();
    return TRUE;
}

// ------------------------------------------------------------------- WGL ----

HGLRC wglCreateContext(HDC dc) {
    GLState& s = gl();
    HWND window = platform::windowOfDC(dc);
    if (!window || !window->sdl) return nullptr;
    const HGLRC previous = s.current;
    const HDC previousDC = s.currentDC;
    // A context shares with the one current when it is made: make the first
    // context current for the moment.
    if (!s.contexts.empty()) {
        SDL_GL_MakeCurrent(window->sdl, s.contexts.front()->sdl);
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    } else {
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    }
    SDL_GLContext sdl = SDL_GL_CreateContext(window->sdl);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    if (previous) SDL_GL_MakeCurrent(platform::windowOfDC(previousDC)->sdl, previous->sdl);
    else SDL_GL_MakeCurrent(window->sdl, nullptr);
    if (!sdl) {
        std::fprintf(stderr, "platform: GL context cannot be made: %s\n", SDL_GetError());
        return nullptr;
    }
    platform::keepGLDriverLoaded();
    auto c = std::make_unique<HGLRC__>();
    c->sdl = sdl;
    s.contexts.push_back(std::move(c));
    return s.contexts.back().get();
}

BOOL wglDeleteContext(HGLRC context) {
    GLState& s = gl();
    if (!knownContext(context)) return FALSE;
    if (context == s.current) platform::releaseCurrentContext();
    SDL_GL_DeleteContext(context->sdl);
    s.contexts.erase(std::remove_if(s.contexts.begin(), s.contexts.end(),
                                    [context](const std::unique_ptr<HGLRC__>& c) { return c.get() == context; }),
                     s.contexts.end());
    return TRUE;
}

BOOL wglMakeCurrent(HDC dc, HGLRC context) {
    GLState& s = gl();
    if (!context) {
        platform::releaseCurrentContext();
        return TRUE;
    }
    HWND window = platform::windowOfDC(dc);
    if (!knownContext(context) || !window || !window->sdl) return FALSE;
    if (dc->kind == HDC__::Pbuffer && !platform::knownPbuffer(static_cast<HPBUFFERARB>(dc->owner))) return FALSE;
    // A picture drawn into a pbuffer must reach the shared texture before
    // another context reads it.
    if (s.current && s.current != context && s.currentDC && s.currentDC->kind == HDC__::Pbuffer)
        platform::endPbufferPicture(static_cast<HPBUFFERARB>(s.currentDC->owner));
    if (SDL_GL_MakeCurrent(window->sdl, context->sdl) != 0) {
        std::fprintf(stderr, "platform: GL context cannot be made current: %s\n", SDL_GetError());
        return FALSE;
    }
    s.current = context;
    s.currentDC = dc;
    bindTarget(context, dc);
    if (!context->used) {
        context->used = true;
        int width = 0, height = 0;
        drawableSize(dc, width, height);
        glViewport(0, 0, width, height);
        glScissor(0, 0, width, height);
    }
    return TRUE;
}

HGLRC wglGetCurrentContext(void) { return gl().current; }

HDC wglGetCurrentDC(void) { return gl().currentDC; }

BOOL wglShareLists(HGLRC, HGLRC) { return TRUE; }

PROC wglGetProcAddress(LPCSTR name) {
    if (!name) return nullptr;
    for (const NamedProc& p : kOwnProcs)
        if (std::strcmp(p.name, name) == 0) return p.proc;
    if (PROC p = platform::pbufferProcAddress(name)) return p;
    if (std::strncmp(name, "wgl", 3) == 0) return nullptr;
    if (void* nv = platform::nvProcAddress(name)) return reinterpret_cast<PROC>(nv);
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return nullptr;
    return reinterpret_cast<PROC>(SDL_GL_GetProcAddress(name));
}
