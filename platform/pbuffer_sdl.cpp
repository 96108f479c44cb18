// Pbuffers and render-to-texture, with the pixel-format queries that lead to
// them: the WGL extension functions reached through wglGetProcAddress.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/wglstate.h"

using platform::FramebufferCalls;
using platform::kPixelFormat;

namespace {

const int kMaxPbufferSize = 4096;

std::vector<std::unique_ptr<HPBUFFERARB__>>& pbuffers() {
    static std::vector<std::unique_ptr<HPBUFFERARB__>> list;
    return list;
}

// The pbuffer's colour texture and depth renderbuffer, made in the current
// context (every context shares them); the context's bindings are kept.
bool ensureStorage(HPBUFFERARB p) {
    if (p->colour) return true;
    FramebufferCalls& f = platform::framebufferCalls();
    if (!f.complete || !platform::glState().current) return false;
    GLint texture = 0, renderbuffer = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer);
    glGenTextures(1, &p->colour);
    glBindTexture(GL_TEXTURE_2D, p->colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, p->width, p->height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    f.genRenderbuffers(1, &p->depth);
    f.bindRenderbuffer(GL_RENDERBUFFER, p->depth);
    f.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, p->width, p->height);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    f.bindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbuffer));
    return true;
}

// ------------------------------------------------------------ pixel format ----

// The value of one attribute of the pixel format; false for an attribute
// this layer does not know.
bool formatAttribute(int attribute, int& value) {
    switch (attribute) {
        case WGL_NUMBER_PIXEL_FORMATS_ARB:
        case WGL_DRAW_TO_WINDOW_ARB:
        case WGL_DRAW_TO_PBUFFER_ARB:
        case WGL_SUPPORT_OPENGL_ARB:
        case WGL_DOUBLE_BUFFER_ARB:
        case WGL_BIND_TO_TEXTURE_RGB_ARB:
        case WGL_BIND_TO_TEXTURE_RGBA_ARB: value = 1; return true;
        case WGL_DRAW_TO_BITMAP_ARB:
        case WGL_SUPPORT_GDI_ARB:
        case WGL_STEREO_ARB:
        case WGL_NEED_PALETTE_ARB:
        case WGL_NEED_SYSTEM_PALETTE_ARB:
        case WGL_SWAP_LAYER_BUFFERS_ARB:
        case WGL_NUMBER_OVERLAYS_ARB:
        case WGL_NUMBER_UNDERLAYS_ARB:
        case WGL_TRANSPARENT_ARB:
        case WGL_SHARE_DEPTH_ARB:
        case WGL_SHARE_STENCIL_ARB:
        case WGL_SHARE_ACCUM_ARB:
        case WGL_STENCIL_BITS_ARB:
        case WGL_AUX_BUFFERS_ARB:
        case WGL_ACCUM_BITS_ARB:
        case WGL_ACCUM_RED_BITS_ARB:
        case WGL_ACCUM_GREEN_BITS_ARB:
        case WGL_ACCUM_BLUE_BITS_ARB:
        case WGL_ACCUM_ALPHA_BITS_ARB:
        case WGL_RED_SHIFT_ARB: value = 0; return true;
        case WGL_GREEN_SHIFT_ARB: value = 8; return true;
        case WGL_BLUE_SHIFT_ARB: value = 16; return true;
        case WGL_ALPHA_SHIFT_ARB: value = 24; return true;
        case WGL_ACCELERATION_ARB: value = WGL_FULL_ACCELERATION_ARB; return true;
        case WGL_SWAP_METHOD_ARB: value = WGL_SWAP_UNDEFINED_ARB; return true;
        case WGL_PIXEL_TYPE_ARB: value = WGL_TYPE_RGBA_ARB; return true;
        case WGL_COLOR_BITS_ARB: value = 32; return true;
        case WGL_RED_BITS_ARB:
        case WGL_GREEN_BITS_ARB:
        case WGL_BLUE_BITS_ARB:
        case WGL_ALPHA_BITS_ARB: value = 8; return true;
        case WGL_DEPTH_BITS_ARB: value = 24; return true;
        case WGL_MAX_PBUFFER_WIDTH_ARB:
        case WGL_MAX_PBUFFER_HEIGHT_ARB: value = kMaxPbufferSize; return true;
        case WGL_MAX_PBUFFER_PIXELS_ARB: value = kMaxPbufferSize * kMaxPbufferSize; return true;
        default: return false;
    }
}

BOOL getPixelFormatAttribiv(HDC, int format, int, UINT count, const int* attributes, int* values) {
    if (format != kPixelFormat || !attributes || !values) return FALSE;
    for (UINT i = 0; i < count; ++i)
        if (!formatAttribute(attributes[i], values[i])) return FALSE;
    return TRUE;
}

BOOL getPixelFormatAttribfv(HDC, int format, int, UINT count, const int* attributes, FLOAT* values) {
    if (format != kPixelFormat || !attributes || !values) return FALSE;
    for (UINT i = 0; i < count; ++i) {
        int v = 0;
        if (!formatAttribute(attributes[i], v)) return FALSE;
        values[i] = static_cast<FLOAT>(v);
    }
    return TRUE;
}

// Whether the one pixel format meets a requested attribute: sizes are
// minimums, switches must be on when asked for, types must match.
bool formatMeets(int attribute, int wanted) {
    int have = 0;
    if (!formatAttribute(attribute, have)) return true;
    switch (attribute) {
        case WGL_ACCELERATION_ARB: return true;
        case WGL_PIXEL_TYPE_ARB:
        case WGL_SWAP_METHOD_ARB: return wanted == have;
        case WGL_DRAW_TO_WINDOW_ARB:
        case WGL_DRAW_TO_PBUFFER_ARB:
        case WGL_DRAW_TO_BITMAP_ARB:
        case WGL_SUPPORT_OPENGL_ARB:
        case WGL_SUPPORT_GDI_ARB:
        case WGL_DOUBLE_BUFFER_ARB:
        case WGL_STEREO_ARB:
        case WGL_BIND_TO_TEXTURE_RGB_ARB:
        case WGL_BIND_TO_TEXTURE_RGBA_ARB: return wanted == 0 || have != 0;
        default: return wanted <= have;
    }
}

BOOL choosePixelFormat(HDC dc, const int* intAttributes, const FLOAT*, UINT maxFormats, int* formats,
                       UINT* formatCount) {
    if (!dc || !formatCount) return FALSE;
    bool ok = true;
    for (const int* a = intAttributes; a && a[0] != 0; a += 2) ok = ok && formatMeets(a[0], a[1]);
    *formatCount = 0;
    if (ok && maxFormats > 0 && formats) {
        formats[0] = kPixelFormat;
        *formatCount = 1;
    }
    return TRUE;
}

// ---------------------------------------------------------------- pbuffers ----

HPBUFFERARB createPbuffer(HDC dc, int format, int width, int height, const int* attributes) {
    HWND window = platform::windowOfDC(dc);
    if (format != kPixelFormat || !window || width <= 0 || height <= 0 || width > kMaxPbufferSize ||
        height > kMaxPbufferSize) {
        std::fprintf(stderr, "platform: pbuffer %dx%d of format %d refused\n", width, height, format);
        return nullptr;
    }
    auto p = std::make_unique<HPBUFFERARB__>();
    for (const int* a = attributes; a && a[0] != 0; a += 2) {
        switch (a[0]) {
            case WGL_TEXTURE_FORMAT_ARB: p->textureFormat = a[1]; break;
            case WGL_TEXTURE_TARGET_ARB: p->textureTarget = a[1]; break;
            case WGL_MIPMAP_TEXTURE_ARB: p->mipmapTexture = a[1]; break;
            default: break;
        }
    }
    if (p->textureTarget != WGL_NO_TEXTURE_ARB && p->textureTarget != WGL_TEXTURE_2D_ARB) {
        std::fprintf(stderr, "platform: pbuffer texture target 0x%x not supported\n", p->textureTarget);
        return nullptr;
    }
    if (!platform::framebufferCalls().complete) return nullptr;
    p->window = window;
    p->width = width;
    p->height = height;
    p->dc.kind = HDC__::Pbuffer;
    p->dc.owner = p.get();
    p->dc.pixelFormat = format;
    pbuffers().push_back(std::move(p));
    return pbuffers().back().get();
}

HDC getPbufferDC(HPBUFFERARB p) { return platform::knownPbuffer(p) ? &p->dc : nullptr; }

int releasePbufferDC(HPBUFFERARB p, HDC dc) { return platform::knownPbuffer(p) && dc == &p->dc ? 1 : 0; }

BOOL destroyPbuffer(HPBUFFERARB p) {
    platform::GLState& s = platform::glState();
    if (!platform::knownPbuffer(p)) return FALSE;
    if (s.currentDC == &p->dc) platform::releaseCurrentContext();
    FramebufferCalls& f = platform::framebufferCalls();
    for (auto& c : s.contexts) {
        for (auto t = c->targets.begin(); t != c->targets.end();) {
            if (t->pbuffer != p) {
                ++t;
                continue;
            }
            if (c.get() == s.current) f.deleteFramebuffers(1, &t->framebuffer);
            else c->orphans.push_back(t->framebuffer);
            t = c->targets.erase(t);
        }
    }
    // Shared objects: any current context can delete them.
    if (s.current && p->colour) {
        glDeleteTextures(1, &p->colour);
        f.deleteRenderbuffers(1, &p->depth);
    }
    auto& list = pbuffers();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [p](const std::unique_ptr<HPBUFFERARB__>& q) { return q.get() == p; }),
               list.end());
    return TRUE;
}

BOOL queryPbuffer(HPBUFFERARB p, int attribute, int* value) {
    if (!platform::knownPbuffer(p) || !value) return FALSE;
    switch (attribute) {
        case WGL_PBUFFER_WIDTH_ARB: *value = p->width; return TRUE;
        case WGL_PBUFFER_HEIGHT_ARB: *value = p->height; return TRUE;
        case WGL_PBUFFER_LOST_ARB: *value = 0; return TRUE;
        case WGL_TEXTURE_FORMAT_ARB: *value = p->textureFormat; return TRUE;
        case WGL_TEXTURE_TARGET_ARB: *value = p->textureTarget; return TRUE;
        case WGL_MIPMAP_TEXTURE_ARB: *value = p->mipmapTexture; return TRUE;
        default: return FALSE;
    }
}

// ---------------------------------------------------------- render texture ----

GLenum internalFormatOf(HPBUFFERARB p) { return p->textureFormat == WGL_TEXTURE_RGB_ARB ? GL_RGB8 : GL_RGBA8; }

// Whether level n of the texture bound to GL_TEXTURE_2D has this size and
// the pbuffer's texture format.
bool levelFits(HPBUFFERARB p, int n, int width, int height) {
    GLint haveWidth = 0, haveHeight = 0, haveFormat = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, n, GL_TEXTURE_WIDTH, &haveWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, n, GL_TEXTURE_HEIGHT, &haveHeight);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, n, GL_TEXTURE_INTERNAL_FORMAT, &haveFormat);
    return haveWidth == width && haveHeight == height && static_cast<GLenum>(haveFormat) == internalFormatOf(p);
}

bool powerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

// One channel value between two: their mean, rounded as Mesa's software
// rasteriser rounds it when it makes a mipmap level with its linear filter
// (other drivers differ by at most one step, as the GL allows).
uint8_t between(int a, int b) { return static_cast<uint8_t>(a + ((((b - a) * 128 + 128) + 65536) >> 8) - 256); }

// The next smaller mipmap level of an RGBA picture whose sides are powers
// of two: each texel the mean of (up to) four, the pairs of a row first,
// then the two rows.
std::vector<uint8_t> halved(const std::vector<uint8_t>& level, int width, int height) {
    const int w = std::max(1, width / 2), h = std::max(1, height / 2);
    std::vector<uint8_t> out(static_cast<size_t>(4) * w * h);
    for (int y = 0; y < h; ++y) {
        const int y0 = std::min(2 * y, height - 1), y1 = std::min(2 * y + 1, height - 1);
        for (int x = 0; x < w; ++x) {
            const int x0 = std::min(2 * x, width - 1), x1 = std::min(2 * x + 1, width - 1);
            for (int k = 0; k < 4; ++k) {
                const auto at = [&](int tx, int ty) { return level[(static_cast<size_t>(ty) * width + tx) * 4 + k]; };
                const uint8_t top = between(at(x0, y0), at(x1, y0));
                const uint8_t bottom = between(at(x0, y1), at(x1, y1));
                out[(static_cast<size_t>(y) * w + x) * 4 + k] = between(top, bottom);
            }
        }
    }
    return out;
}

// Level n of the texture bound to GL_TEXTURE_2D set to an RGBA picture.
void setLevel(HPBUFFERARB p, int n, int width, int height, const std::vector<uint8_t>& texels) {
    if (levelFits(p, n, width, height))
        glTexSubImage2D(GL_TEXTURE_2D, n, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    else
        glTexImage2D(GL_TEXTURE_2D, n, static_cast<GLint>(internalFormatOf(p)), width, height, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, texels.data());
}

// Copies the pbuffer's picture into the texture it was last bound to, with
// mipmaps when that binding made them, right after the drawing (which it
// waits for). Done here and by hand, the copy is finished before the
// texture is next used: a software GL driver lets any use of a texture that
// a context has drawn into wait for everything queued before it, so a copy
// at the binding, or mipmaps made by the GL, would wait for all the drawing
// in between. Other sizes than powers of two are left to the binding.
bool copyAfterDrawing(HPBUFFERARB p) {
    const GLuint texture = p->boundTexture;
    if (!texture || !p->colour || !powerOfTwo(p->width) || !powerOfTwo(p->height) || !glIsTexture(texture))
        return false;
    GLint packBuffer = 0, unpackBuffer = 0, previous = 0;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer);
    if (packBuffer || unpackBuffer) return false;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    const platform::TightPixelStore tight;
    int width = p->width, height = p->height;
    std::vector<uint8_t> level(static_cast<size_t>(4) * width * height);
    glBindTexture(GL_TEXTURE_2D, p->colour);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.data());
    glBindTexture(GL_TEXTURE_2D, texture);
    setLevel(p, 0, width, height, level);
    for (int n = 1; p->mipmapsWanted && (width > 1 || height > 1); ++n) {
        level = halved(level, width, height);
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
        setLevel(p, n, width, height, level);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return true;
}

// Copies the pbuffer's picture into the texture bound to GL_TEXTURE_2D in the
// calling context, so that the texture's own settings (mipmap generation
// among them) apply to it; a texture that got the picture as it was drawn
// already holds it. Later pictures go to this texture as they are drawn.
BOOL bindTexImage(HPBUFFERARB p, int buffer) {
    platform::GLState& s = platform::glState();
    if (!platform::knownPbuffer(p) || !s.current || p->textureFormat == WGL_NO_TEXTURE_ARB) return FALSE;
    if (buffer != WGL_FRONT_LEFT_ARB && buffer != WGL_BACK_LEFT_ARB) return FALSE;
    if (!ensureStorage(p)) return FALSE;
    FramebufferCalls& f = platform::framebufferCalls();
    HGLRC c = s.current;
    if (s.currentDC == &p->dc) platform::endPbufferPicture(p);
    GLint bound = 0, generate = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, &generate);
    const GLuint texture = static_cast<GLuint>(bound);
    const bool wanted = generate != 0;
    if (texture != 0 && texture == p->copiedTo && wanted == p->mipmapsWanted &&
        levelFits(p, 0, p->width, p->height))
        return TRUE;
    p->boundTexture = texture;
    p->mipmapsWanted = wanted;
    GLint previous = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    if (!c->readFramebuffer) f.genFramebuffers(1, &c->readFramebuffer);
    f.bindFramebuffer(GL_READ_FRAMEBUFFER, c->readFramebuffer);
    f.framebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, p->colour, 0);
    const bool complete = f.checkFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) glCopyTexImage2D(GL_TEXTURE_2D, 0, internalFormatOf(p), 0, 0, p->width, p->height, 0);
    f.framebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    f.bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
    p->copiedTo = complete ? texture : 0;
    return complete ? TRUE : FALSE;
}

BOOL releaseTexImage(HPBUFFERARB p, int) { return platform::knownPbuffer(p) ? TRUE : FALSE; }

BOOL setPbufferAttrib(HPBUFFERARB p, const int*) { return platform::knownPbuffer(p) ? TRUE : FALSE; }

struct NamedProc {
    const char* name;
    PROC proc;
};

const NamedProc kPbufferProcs[] = {
    {"wglGetPixelFormatAttribivARB", platform::asProc(getPixelFormatAttribiv)},
    {"wglGetPixelFormatAttribfvARB", platform::asProc(getPixelFormatAttribfv)},
    {"wglChoosePixelFormatARB", platform::asProc(choosePixelFormat)},
    {"wglCreatePbufferARB", platform::asProc(createPbuffer)},
    {"wglGetPbufferDCARB", platform::asProc(getPbufferDC)},
    {"wglReleasePbufferDCARB", platform::asProc(releasePbufferDC)},
    {"wglDestroyPbufferARB", platform::asProc(destroyPbuffer)},
    {"wglQueryPbufferARB", platform::asProc(queryPbuffer)},
    {"wglBindTexImageARB", platform::asProc(bindTexImage)},
    {"wglReleaseTexImageARB", platform::asProc(releaseTexImage)},
    {"wglSetPbufferAttribARB", platform::asProc(setPbufferAttrib)},
};

}  // namespace

namespace platform {

bool knownPbuffer(HPBUFFERARB p) {
    for (const auto& q : pbuffers())
        if (q.get() == p) return true;
    return false;
}

GLuint pbufferFramebuffer(HGLRC c, HPBUFFERARB p) {
    for (const HGLRC__::Target& t : c->targets)
        if (t.pbuffer == p) return t.framebuffer;
    if (!ensureStorage(p)) return 0;
    FramebufferCalls& f = framebufferCalls();
    GLuint fbo = 0;
    f.genFramebuffers(1, &fbo);
    f.bindFramebuffer(GL_FRAMEBUFFER, fbo);
    f.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, p->colour, 0);
    f.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, p->depth);
    const GLenum status = f.checkFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        std::fprintf(stderr, "platform: pbuffer %dx%d framebuffer incomplete (0x%x)\n", p->width, p->height, status);
    c->targets.push_back(HGLRC__::Target{p, fbo});
    return fbo;
}

void endPbufferPicture(HPBUFFERARB p) {
    glFlush();
    if (knownPbuffer(p) && copyAfterDrawing(p)) p->copiedTo = p->boundTexture;
}

PROC pbufferProcAddress(const char* name) {
    for (const NamedProc& p : kPbufferProcs)
        if (std::strcmp(p.name, name) == 0) return p.proc;
    return nullptr;
}

}  // namespace platform
