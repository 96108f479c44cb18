#pragma once
// A small hidden window with a GL context for the GPU-program tests, made
// with SDL directly (offscreen driver: EGL on Mesa), the ARB program entry
// points they call, and helpers to load programs, set the bone palette and
// read pixels.

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/wglstate.h"
#include "support/TestPaths.h"

struct ProgramTestContext {
    static constexpr int kSize = 64;

    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;

    PFNGLGENPROGRAMSARBPROC genPrograms = nullptr;
    PFNGLBINDPROGRAMARBPROC bindProgram = nullptr;
    PFNGLDELETEPROGRAMSARBPROC deletePrograms = nullptr;
    PFNGLPROGRAMSTRINGARBPROC programString = nullptr;
    PFNGLGETPROGRAMIVARBPROC getProgramiv = nullptr;
    PFNGLPROGRAMENVPARAMETER4FVARBPROC env4fv = nullptr;
    PFNGLPROGRAMLOCALPARAMETER4FVARBPROC local4fv = nullptr;
    PFNGLVERTEXATTRIB4FARBPROC attrib4f = nullptr;
    PFNGLACTIVETEXTUREARBPROC activeTexture = nullptr;
    PFNGLMULTITEXCOORD4FARBPROC multiTexCoord4f = nullptr;
    PFNGLFOGCOORDFPROC fogCoordf = nullptr;

    // Opens the window and context; false (with `why` set) when none is available.
    bool open(std::string& why) {
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            why = SDL_GetError();
            return false;
        }
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        window = SDL_CreateWindow("programs", 0, 0, kSize, kSize, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window) {
            why = SDL_GetError();
            return false;
        }
        context = SDL_GL_CreateContext(window);
        if (!context) {
            why = SDL_GetError();
            return false;
        }
        platform::keepGLDriverLoaded();
        SDL_GL_MakeCurrent(window, context);
        fetch(genPrograms, "glGenProgramsARB");
        fetch(bindProgram, "glBindProgramARB");
        fetch(deletePrograms, "glDeleteProgramsARB");
        fetch(programString, "glProgramStringARB");
        fetch(getProgramiv, "glGetProgramivARB");
        fetch(env4fv, "glProgramEnvParameter4fvARB");
        fetch(local4fv, "glProgramLocalParameter4fvARB");
        fetch(attrib4f, "glVertexAttrib4fARB");
        fetch(activeTexture, "glActiveTextureARB");
        fetch(multiTexCoord4f, "glMultiTexCoord4fARB");
        fetch(fogCoordf, "glFogCoordf");
        glViewport(0, 0, kSize, kSize);
        return true;
    }

    void close() {
        if (context) SDL_GL_DeleteContext(context);
        if (window) SDL_DestroyWindow(window);
        context = nullptr;
        window = nullptr;
        SDL_Quit();
    }

    template <class T>
    static void fetch(T& proc, const char* name) {
        proc = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
    }

    // The text of a generated program file; empty when it is missing.
    static std::string programText(const std::string& name) {
        std::ifstream in(binaryDir() + "/programs/" + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    struct Loaded {
        GLuint id = 0;
        GLint errorPosition = 0;
        std::string error;
        GLint underNativeLimits = 0;
    };

    // Loads `text` as an ARB program of `target` and leaves it bound.
    Loaded load(GLenum target, const std::string& text) {
        Loaded r;
        genPrograms(1, &r.id);
        bindProgram(target, r.id);
        programString(target, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(text.size()), text.data());
        glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &r.errorPosition);
        const GLubyte* e = glGetString(GL_PROGRAM_ERROR_STRING_ARB);
        r.error = e ? reinterpret_cast<const char*>(e) : "";
        if (r.errorPosition == -1) getProgramiv(target, GL_PROGRAM_UNDER_NATIVE_LIMITS_ARB, &r.underNativeLimits);
        return r;
    }

    // Clean state for a drawing test: identity matrices, black background,
    // no fog, no depth test, every texture unit off.
    void reset() {
        glDisable(GL_VERTEX_PROGRAM_ARB);
        glDisable(GL_FRAGMENT_PROGRAM_ARB);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_FOG);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        for (int unit = 0; unit < 8; ++unit) {
            activeTexture(GL_TEXTURE0_ARB + unit);
            glDisable(GL_TEXTURE_2D);
            glDisable(GL_TEXTURE_3D);
            glDisable(GL_TEXTURE_CUBE_MAP_ARB);
            glMatrixMode(GL_TEXTURE);
            glLoadIdentity();
        }
        activeTexture(GL_TEXTURE0_ARB);
        for (int m = 0; m < 8; ++m) {
            glMatrixMode(GL_MATRIX0_ARB + m);
            glLoadIdentity();
        }
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // The engine's fog: linear, start 10000, end 100000, colour (0.5, 0.5, 1).
    void engineFog() {
        const GLfloat colour[4] = {0.5f, 0.5f, 1.0f, 1.0f};
        glEnable(GL_FOG);
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogfv(GL_FOG_COLOR, colour);
        glFogf(GL_FOG_START, 10000.0f);
        glFogf(GL_FOG_END, 100000.0f);
    }

    // The whole colour buffer, RGBA, bottom row first.
    std::vector<uint8_t> pixels() {
        std::vector<uint8_t> p(kSize * kSize * 4);
        glFinish();
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
        return p;
    }

    // Pixel (x, y) of the colour buffer, y counted from the bottom.
    struct Rgba {
        int r, g, b, a;
    };
    Rgba pixel(int x, int y) {
        uint8_t p[4] = {0, 0, 0, 0};
        glFinish();
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2], p[3]};
    }

    // A 2D texture of `size` x `size` RGBA texels filled by `texel` (x, y, rgba).
    template <class F>
    GLuint texture2D(int size, F texel, GLint filter = GL_LINEAR) {
        std::vector<uint8_t> data(static_cast<size_t>(size) * size * 4);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) texel(x, y, &data[(static_cast<size_t>(y) * size + x) * 4]);
        GLuint id = 0;
        glGenTextures(1, &id);
        glBindTexture(GL_TEXTURE_2D, id);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
        return id;
    }
};
