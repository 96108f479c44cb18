#include "engine/TPBuffer.h"

#include "engine/GLExtensions.h"
#include "engine/Log.h"
#include "engine/TEngine.h"
#include "engine/TTextureLayer.h"
#include "platform/gl.h"

namespace {

void logFailure(const TString& name, const char* cause) {
    logOut() << "Pbuffer '" << name.copyTo(nullptr) << "': " << cause << ", it draws nothing\n";
    logFlush();
}

}  // namespace

TPBuffer::TPBuffer(const TString& bufferName, int32_t w, int32_t h, int32_t depthBits, bool withMipmaps,
                   TEngine* owner)
    : TRenderContext(),
      TTexture(TTextureLayer(bufferName, 1.0f, 1.0f, 1, 0), 0, owner),
      width(w),
      height(h),
      pbuffer(nullptr),
      pbufferDC(nullptr),
      pbufferContext(nullptr),
      bound(false),
      mipmaps(withMipmaps),
      engine(owner) {
    glGenTextures(1, &id);
    target = GL_TEXTURE_2D;

    const int formatAttributes[] = {
        WGL_DRAW_TO_PBUFFER_ARB, 1, WGL_BIND_TO_TEXTURE_RGBA_ARB, 1, WGL_COLOR_BITS_ARB, 24,
        WGL_ALPHA_BITS_ARB,      8, WGL_DEPTH_BITS_ARB,           depthBits, 0,
    };
    const FLOAT noFloatAttributes[] = {0.0f, 0.0f};
    int format = 0;
    UINT formatCount = 0;
    if (!wglChoosePixelFormatARB(engine->deviceContext, formatAttributes, noFloatAttributes, 1, &format,
                                 &formatCount) ||
        formatCount == 0) {
        logFailure(name, "no pixel format for a pbuffer");
        return;
    }

    const int bufferAttributes[] = {
        WGL_TEXTURE_FORMAT_ARB, WGL_TEXTURE_RGBA_ARB, WGL_TEXTURE_TARGET_ARB, WGL_TEXTURE_2D_ARB,
        WGL_MIPMAP_TEXTURE_ARB, 1, WGL_PBUFFER_LARGEST_ARB, 0, 0,
    };
    pbuffer = wglCreatePbufferARB(engine->deviceContext, format, width, height, bufferAttributes);
    if (!pbuffer) {
        logFailure(name, "the pbuffer could not be made");
        return;
    }
    pbufferDC = wglGetPbufferDCARB(pbuffer);
    if (pbufferDC) pbufferContext = wglCreateContext(pbufferDC);
    if (!pbufferContext) {
        logFailure(name, "no GL context for the pbuffer");
        return;
    }

    makeCurrent();
    setDefaultState();
    engine->makeCurrent();
}

// The pbuffer's own context starts with the same look as the window's:
// clear colour, depth test, blending, colour material, alpha function, fog.
void TPBuffer::setDefaultState() {
    glClearColor(0.5f, 0.5f, 1.0f, 1.0f);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthFunc(GL_LESS);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
    glAlphaFunc(GL_GEQUAL, 0.5f);
    TEngine::setFog();
}

TPBuffer::~TPBuffer() {
    if (engine && engine->activeTarget == this) engine->makeCurrent();
    if (pbufferContext) wglDeleteContext(pbufferContext);
    if (pbuffer) {
        if (pbufferDC && wglReleasePbufferDCARB) wglReleasePbufferDCARB(pbuffer, pbufferDC);
        if (wglDestroyPbufferARB) wglDestroyPbufferARB(pbuffer);
    }
}

void TPBuffer::makeCurrent() {
    if (!isValid()) return;
    engine->activeTarget = this;
    if (bound) releaseImage();
    wglMakeCurrent(pbufferDC, pbufferContext);
}

void TPBuffer::releaseImage() {
    glBindTexture(target, id);
    if (pbuffer) wglReleaseTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB);
    bound = false;
}

void TPBuffer::bindTexture(int toUnit) {
    bound = true;
    selectOnUnit(toUnit);

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    if (mipmaps) glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 1);
    if (pbuffer) wglBindTexImageARB(pbuffer, WGL_FRONT_LEFT_ARB);
    if (mipmaps) glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 0);

    loadTextureMatrix();
}
