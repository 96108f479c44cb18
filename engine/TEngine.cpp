#include "engine/TEngine.h"

#include <cstdlib>

#include "engine/GLExtensions.h"
#include "engine/Log.h"
#include "engine/TBufferObject.h"
#include "engine/TIndexArray.h"
#include "engine/TRenderable.h"
#include "engine/TVertexArray.h"
#include "platform/crt.h"
#include "platform/gl.h"
#include "engine/TCamera.h"
#include "engine/TFont.h"
#include "engine/TMaterial.h"
#include "engine/TTexture.h"

namespace {

TEngine* theEngine = nullptr;

const char* const kCreationError = "Window Creation Error.";

void showCreationError() { MessageBoxA(nullptr, kCreationError, "ERROR", MB_OK | MB_ICONEXCLAMATION); }

// Without a window or a GL context nothing can be drawn and every later GL
// call would fail: the box, a log line, exit code 1.
[[noreturn]] void failCreation(const char* cause) {
    logOut() << "Engine: " << cause << ", cannot go on\n";
    logFlush();
    showCreationError();
    std::exit(1);
}

// The entry points newer than GL 1.1 that the program calls without looking
// first; the first one missing, or null when all are there.
const char* firstMissingEntryPoint() {
    struct Entry {
        const void* pointer;
        const char* name;
    };
#define ENTRY(name) {reinterpret_cast<const void*>(ext_##name), #name}
    const Entry required[] = {
        ENTRY(glActiveTextureARB), ENTRY(glClientActiveTextureARB), ENTRY(glMultiTexCoord2f),
        ENTRY(glMultiTexCoord2fv), ENTRY(glTexImage3D), ENTRY(glGenProgramsARB), ENTRY(glProgramStringARB),
        ENTRY(glBindProgramARB), ENTRY(glProgramEnvParameter4fARB), ENTRY(glProgramEnvParameter4fvARB),
        ENTRY(glProgramLocalParameter4fARB), ENTRY(glProgramLocalParameter4fvARB),
        ENTRY(glVertexAttribPointerARB), ENTRY(glEnableVertexAttribArrayARB),
        ENTRY(glDisableVertexAttribArrayARB), ENTRY(glBindBufferARB), ENTRY(glDeleteBuffersARB),
        ENTRY(glGenBuffersARB), ENTRY(glBufferDataARB), ENTRY(glBufferSubDataARB),
        ENTRY(wglChoosePixelFormatARB), ENTRY(wglCreatePbufferARB), ENTRY(wglGetPbufferDCARB),
        ENTRY(wglBindTexImageARB), ENTRY(wglReleaseTexImageARB),
    };
#undef ENTRY
    for (const Entry& e : required) {
        if (!e.pointer) return e.name;
    }
    return nullptr;
}

#define FETCH_BUFFER_ENTRY(name) ext_##name = reinterpret_cast<decltype(ext_##name)>(wglGetProcAddress(#name))

void fetchBufferObjectEntryPoints() {
    FETCH_BUFFER_ENTRY(glBindBufferARB);
    FETCH_BUFFER_ENTRY(glDeleteBuffersARB);
    FETCH_BUFFER_ENTRY(glGenBuffersARB);
    FETCH_BUFFER_ENTRY(glIsBufferARB);
    FETCH_BUFFER_ENTRY(glBufferDataARB);
    FETCH_BUFFER_ENTRY(glBufferSubDataARB);
    FETCH_BUFFER_ENTRY(glGetBufferSubDataARB);
    FETCH_BUFFER_ENTRY(glMapBufferARB);
    FETCH_BUFFER_ENTRY(glUnmapBufferARB);
    FETCH_BUFFER_ENTRY(glGetBufferParameterivARB);
    FETCH_BUFFER_ENTRY(glGetBufferPointervARB);
}

#undef FETCH_BUFFER_ENTRY

}  // namespace

// ---------------------------------------------------------------- instance ----

TEngine* TEngine::getInstance(int width, int height, HWND window, TCamera* camera, TRenderable* screen) {
    if (!theEngine) theEngine = new TEngine(width, height, window, camera, screen);
    return theEngine;
}

TEngine* TEngine::existing() { return theEngine; }

void TEngine::destroyInstance() {
    delete theEngine;
    theEngine = nullptr;
}

// ------------------------------------------------------ construction ----

TEngine::TEngine(int w, int h, HWND win, TCamera* cam, TRenderable* scr) {
    // The particles' direction table: three rand values per entry, each
    // mapped to -500..500, normalised to length 0.0003.
    for (TVector& d : directions) {
        const int x = rand() * 1000 / 32767 - 500;
        const int y = rand() * 1000 / 32767 - 500;
        const int z = rand() * 1000 / 32767 - 500;
        const TVector v(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
        if (v.length() > 0.0f) d = v.normalized() * 0.0003f;
    }

    width = w;
    height = h;
    window = win;
    camera = cam;
    if (!window) failCreation("no window to draw in");
    deviceContext = GetDC(window);

    // The platform gives the format a depth buffer even though 0 bits are
    // asked for here.
    PIXELFORMATDESCRIPTOR pfd;
    ZeroMemory(&pfd, sizeof(pfd));
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(deviceContext, &pfd);
    if (!SetPixelFormat(deviceContext, format, &pfd)) showCreationError();

    glContext = wglCreateContext(deviceContext);
    if (!glContext) failCreation("the GL context could not be created");
    activeTarget = nullptr;
    if (!wglMakeCurrent(deviceContext, glContext)) failCreation("the GL context could not be made current");

    setFixedState();
    screen = scr;

    if (initGLExtensions() != 0) showCreationError();
    fetchBufferObjectEntryPoints();
    if (const char* missing = firstMissingEntryPoint()) {
        logOut() << "Engine: the GL driver lacks " << missing << "\n";
        failCreation("an OpenGL entry point the program calls is missing");
    }

    stdMat = addMaterial(TMaterialData());
    getFont(-14, 400);
}

void TEngine::setFixedState() {
    glClearColor(0.5f, 0.5f, 1.0f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthFunc(GL_LESS);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glCullFace(GL_BACK);
    glAlphaFunc(GL_GEQUAL, 0.5f);
    glEnable(GL_TEXTURE_2D);
    setFog();
}

TEngine::~TEngine() {
    // GL objects go while the window's context is current; a pbuffer's own
    // teardown may switch contexts, so the window's is made current again
    // before the programs.
    activeTarget = nullptr;
    wglMakeCurrent(deviceContext, glContext);
    stdMat = nullptr;
    material = nullptr;
    bufferObjects.clear();
    fonts.clear();
    textures.clear();
    spareList.clear();
    indexArrays.clear();
    vertexArrays.clear();
    materials.clear();
    wglMakeCurrent(deviceContext, glContext);
    deletePrograms();

    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(glContext);
    ReleaseDC(window, deviceContext);
    if (theEngine == this) theEngine = nullptr;
}

// ------------------------------------------------------ render context ----

HGLRC TEngine::getHandle() { return glContext; }

void TEngine::makeCurrent() {
    activeTarget = nullptr;
    wglMakeCurrent(deviceContext, glContext);
}

// The context's switch, then every array of the engine's lists follows it.
bool TEngine::toggleVBO() {
    TRenderContext::toggleVBO();
    for (TListNode<TVertexArray>* n = vertexArrays.head; n; n = n->next) n->value->useBuffer = useVBO;
    for (TListNode<TIndexArray>* n = indexArrays.head; n; n = n->next) n->value->useBuffer = useVBO;
    return useVBO;
}

void TEngine::setTextureUnitCount(int n) {
    if (activeTarget) return activeTarget->setTextureUnitCount(n);
    TRenderContext::setTextureUnitCount(n);
}

void TEngine::setActiveTexture(int unit) {
    if (activeTarget) return activeTarget->setActiveTexture(unit);
    TRenderContext::setActiveTexture(unit);
}

void TEngine::setUnitTarget(int unit, unsigned int target) {
    if (activeTarget) return activeTarget->setUnitTarget(unit, target);
    TRenderContext::setUnitTarget(unit, target);
}

unsigned int TEngine::getUnitTarget(int unit) {
    if (activeTarget) return activeTarget->getUnitTarget(unit);
    return TRenderContext::getUnitTarget(unit);
}

void TEngine::shrinkTextureUnits(int n) {
    if (activeTarget) return activeTarget->shrinkTextureUnits(n);
    TRenderContext::shrinkTextureUnits(n);
}

TMaterial* TEngine::getMaterial() {
    if (activeTarget) return activeTarget->getMaterial();
    return material;
}

void TEngine::setMaterial(TMaterial* m) {
    if (activeTarget) return activeTarget->setMaterial(m);
    TRenderContext::setMaterial(m);
}

// Buffer binds happen only while buffer objects are in use, for a pbuffer too.
void TEngine::bindArrayBuffer(TBufferObject* b) {
    if (!useVBO) return;
    if (activeTarget) return activeTarget->bindArrayBuffer(b);
    TRenderContext::bindArrayBuffer(b);
}

void TEngine::bindElementBuffer(TBufferObject* b) {
    if (!useVBO) return;
    if (activeTarget) return activeTarget->bindElementBuffer(b);
    TRenderContext::bindElementBuffer(b);
}

// ------------------------------------------------------------- frame ----

void TEngine::renderFrame() {
    fpsCounter.update();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (camera) camera->apply();
    if (screen) screen->render();
    setMaterial(stdMat);

    // The frame-rate line on the 2D overlay.
    begin2D();
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(10.0f, 10.0f, -10.0f);
    if (TFont* font = fonts.head ? fonts.head->value : nullptr) font->print("fps: %f", fpsCounter.fps);
    glPopMatrix();
    end2D();

    SwapBuffers(deviceContext);
}

void TEngine::setFog() {
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    const GLfloat fogColor[4] = {0.5f, 0.5f, 1.0f, 1.0f};
    glFogfv(GL_FOG_COLOR, fogColor);
    glFogf(GL_FOG_START, 10000.0f);
    glFogf(GL_FOG_END, 100000.0f);
}

void TEngine::end2D() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

void TEngine::begin2D() {
    glPushAttrib(0x000fffff);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, 640.0, 480.0, 0.0, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// ------------------------------------------------------------ toggles ----

bool TEngine::toggleWireframe() {
    wireframe = !wireframe;
    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    return wireframe;
}

bool TEngine::toggleTransparency() {
    blend = !blend;
    if (blend) {
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
    return blend;
}

// --------------------------------------------------------- frame rate ----

void TFpsCounter::update() {
    if (++frames < 10) return;
    struct _timeb now;
    _ftime(&now);
    const float elapsed = (static_cast<int>(now.millitm) - static_cast<int>(lastMilliseconds)) * 0.001f +
                          static_cast<float>(now.time - lastSeconds);
    // A clock that stood still keeps the last rate rather than an infinite one.
    if (elapsed > 0.0f) fps = 10.0f / elapsed;
    lastSeconds = static_cast<long>(now.time);
    lastMilliseconds = now.millitm;
    frames = 0;
}
