// The NV fragment-program entry points of game_nv on drivers that lack them.
// An NV program object is an ARB fragment program object underneath: its
// text is translated (nvfp_translate.cpp) and loaded through the ARB
// interface; a text that does not translate is replaced by one the driver
// rejects, so the caller sees a compile error as the real extension reports
// it, and the error queries then give the translation's reason and line. In
// the plain build nothing here is active.

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "platform/nvfp.h"

namespace platform {
inline namespace PLATFORM_BUILD {

namespace {

#if defined(GAME_NV) && GAME_NV
constexpr bool kNvBuild = true;
#else
constexpr bool kNvBuild = false;
#endif

const char kFragmentExtension[] = "GL_NV_fragment_program";
const char kVertexExtension[] = "GL_NV_vertex_program";

// The driver's ARB program entry points, fetched on first use.
struct ArbProcs {
    bool fetched = false;
    PFNGLGENPROGRAMSARBPROC genPrograms = nullptr;
    PFNGLBINDPROGRAMARBPROC bindProgram = nullptr;
    PFNGLDELETEPROGRAMSARBPROC deletePrograms = nullptr;
    PFNGLISPROGRAMARBPROC isProgram = nullptr;
    PFNGLPROGRAMSTRINGARBPROC programString = nullptr;
    PFNGLGETPROGRAMIVARBPROC getProgramiv = nullptr;
    PFNGLPROGRAMLOCALPARAMETER4FARBPROC local4f = nullptr;
    PFNGLPROGRAMLOCALPARAMETER4FVARBPROC local4fv = nullptr;
    PFNGLPROGRAMLOCALPARAMETER4DARBPROC local4d = nullptr;
    PFNGLPROGRAMLOCALPARAMETER4DVARBPROC local4dv = nullptr;
    PFNGLPROGRAMENVPARAMETER4FARBPROC env4f = nullptr;
    PFNGLPROGRAMENVPARAMETER4FVARBPROC env4fv = nullptr;
    PFNGLPROGRAMENVPARAMETER4DARBPROC env4d = nullptr;
    PFNGLPROGRAMENVPARAMETER4DVARBPROC env4dv = nullptr;
    PFNGLGETPROGRAMLOCALPARAMETERFVARBPROC getLocalfv = nullptr;
    PFNGLGETPROGRAMLOCALPARAMETERDVARBPROC getLocaldv = nullptr;
    PFNGLGETPROGRAMENVPARAMETERFVARBPROC getEnvfv = nullptr;
    PFNGLGETPROGRAMENVPARAMETERDVARBPROC getEnvdv = nullptr;

    bool complete() const {
        return genPrograms && bindProgram && deletePrograms && isProgram && programString && getProgramiv &&
               local4f && local4fv && local4d && local4dv && env4f && env4fv && env4d && env4dv && getLocalfv &&
               getLocaldv && getEnvfv && getEnvdv;
    }
};

template <class T>
void fetch(T& proc, const char* name) {
    proc = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
}

ArbProcs& arb() {
    static ArbProcs p;
    if (!p.fetched) {
        p.fetched = true;
        fetch(p.genPrograms, "glGenProgramsARB");
        fetch(p.bindProgram, "glBindProgramARB");
        fetch(p.deletePrograms, "glDeleteProgramsARB");
        fetch(p.isProgram, "glIsProgramARB");
        fetch(p.programString, "glProgramStringARB");
        fetch(p.getProgramiv, "glGetProgramivARB");
        fetch(p.local4f, "glProgramLocalParameter4fARB");
        fetch(p.local4fv, "glProgramLocalParameter4fvARB");
        fetch(p.local4d, "glProgramLocalParameter4dARB");
        fetch(p.local4dv, "glProgramLocalParameter4dvARB");
        fetch(p.env4f, "glProgramEnvParameter4fARB");
        fetch(p.env4fv, "glProgramEnvParameter4fvARB");
        fetch(p.env4d, "glProgramEnvParameter4dARB");
        fetch(p.env4dv, "glProgramEnvParameter4dvARB");
        fetch(p.getLocalfv, "glGetProgramLocalParameterfvARB");
        fetch(p.getLocaldv, "glGetProgramLocalParameterdvARB");
        fetch(p.getEnvfv, "glGetProgramEnvParameterfvARB");
        fetch(p.getEnvdv, "glGetProgramEnvParameterdvARB");
        if (!p.complete()) std::fprintf(stderr, "NV fragment programs: the driver lacks ARB program entry points\n");
    }
    return p;
}

// -1 until a context answered, then 1 when the layer stands in for the driver.
int g_emulating = -1;

// The last program load, when it was an NV text that did not translate: the
// driver saw only the stand-in text, so the error queries answer for the NV
// text instead (the start of the line the translation stopped at, and its
// reason). Any later program load clears it.
struct Untranslated {
    bool active = false;
    GLint position = -1;
    std::string message;
};

Untranslated& untranslated() {
    static Untranslated u;
    return u;
}

// Byte offset of the start of the line named by a translation error
// ("line N: cause") in the text; 0 when the error names no line.
GLint errorLineStart(const char* text, size_t length, const std::string& error) {
    if (!text || error.compare(0, 5, "line ") != 0) return 0;
    long line = std::strtol(error.c_str() + 5, nullptr, 10);
    size_t at = 0;
    for (; at < length && line > 1; ++at)
        if (text[at] == '\n') --line;
    return static_cast<GLint>(at);
}

// The DECLAREd parameters of each loaded program, by program name.
std::map<GLuint, std::vector<NvDeclaration>>& declarations() {
    static std::map<GLuint, std::vector<NvDeclaration>> d;
    return d;
}

bool hasWord(const char* list, const char* word) {
    const size_t n = std::strlen(word);
    for (const char* p = list; (p = std::strstr(p, word)) != nullptr; p += n) {
        const bool startOk = p == list || p[-1] == ' ';
        const bool endOk = p[n] == '\0' || p[n] == ' ';
        if (startOk && endOk) return true;
    }
    return false;
}

// Runs `body` with program `id` bound to the ARB fragment target, then
// restores the previous binding.
template <class F>
void withBound(GLuint id, F body) {
    ArbProcs& a = arb();
    if (!a.complete()) return;
    GLint previous = 0;
    a.getProgramiv(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_BINDING_ARB, &previous);
    a.bindProgram(GL_FRAGMENT_PROGRAM_ARB, id);
    body(a);
    a.bindProgram(GL_FRAGMENT_PROGRAM_ARB, static_cast<GLuint>(previous));
}

// The declaration `name` (len bytes) of program `id`; null when there is none.
const NvDeclaration* findDeclaration(GLuint id, GLsizei len, const GLubyte* name) {
    auto it = declarations().find(id);
    if (it == declarations().end() || !name || len <= 0) return nullptr;
    const std::string wanted(reinterpret_cast<const char*>(name), static_cast<size_t>(len));
    for (const NvDeclaration& d : it->second)
        if (d.name == wanted) return &d;
    return nullptr;
}

// ---------------------------------------------------------------- NV entry points ----

void APIENTRY genProgramsNV(GLsizei n, GLuint* ids) {
    if (arb().complete()) arb().genPrograms(n, ids);
}

void APIENTRY bindProgramNV(GLenum target, GLuint id) {
    if (arb().complete()) arb().bindProgram(nvMapTarget(target), id);
}

void APIENTRY deleteProgramsNV(GLsizei n, const GLuint* ids) {
    if (!arb().complete() || n <= 0 || !ids) return;
    for (GLsizei i = 0; i < n; ++i) declarations().erase(ids[i]);
    arb().deletePrograms(n, ids);
}

GLboolean APIENTRY isProgramNV(GLuint id) { return arb().complete() ? arb().isProgram(id) : GL_FALSE; }

void APIENTRY loadProgramNV(GLenum target, GLuint id, GLsizei len, const GLubyte* program) {
    if (target != GL_FRAGMENT_PROGRAM_NV) {
        std::fprintf(stderr, "glLoadProgramNV: only fragment programs are provided (target 0x%x)\n", target);
        return;
    }
    NvTranslation t;
    const char* text = reinterpret_cast<const char*>(program);
    const size_t length = program && len > 0 ? static_cast<size_t>(len) : 0;
    const bool translated = program && len >= 0 && nvTranslateFragmentProgram(text, length, t);
    untranslated() = Untranslated();
    if (!translated) {
        Untranslated& u = untranslated();
        u.active = true;
        u.position = errorLineStart(text, length, t.error);
        u.message = "NV fragment program not translated: " + (program ? t.error : std::string("no text"));
        t.arb = nvInvalidProgramText();
        t.declarations.clear();
    }
    withBound(id, [&](ArbProcs& a) {
        a.programString(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(t.arb.size()),
                        t.arb.data());
        GLint position = 0;
        glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &position);
        declarations().erase(id);
        if (position != -1) return;
        for (const NvDeclaration& d : t.declarations)
            a.local4fv(GL_FRAGMENT_PROGRAM_ARB, static_cast<GLuint>(d.localIndex), d.value);
        declarations()[id] = t.declarations;
    });
}

void setNamed(GLuint id, GLsizei len, const GLubyte* name, const GLfloat v[4]) {
    const NvDeclaration* d = findDeclaration(id, len, name);
    if (!d) return;
    const GLuint index = static_cast<GLuint>(d->localIndex);
    withBound(id, [&](ArbProcs& a) { a.local4fv(GL_FRAGMENT_PROGRAM_ARB, index, v); });
}

void getNamed(GLuint id, GLsizei len, const GLubyte* name, GLfloat out[4]) {
    const NvDeclaration* d = findDeclaration(id, len, name);
    if (!d) return;
    const GLuint index = static_cast<GLuint>(d->localIndex);
    withBound(id, [&](ArbProcs& a) { a.getLocalfv(GL_FRAGMENT_PROGRAM_ARB, index, out); });
}

void APIENTRY programNamedParameter4fNV(GLuint id, GLsizei len, const GLubyte* name, GLfloat x, GLfloat y,
                                        GLfloat z, GLfloat w) {
    const GLfloat v[4] = {x, y, z, w};
    setNamed(id, len, name, v);
}

void APIENTRY programNamedParameter4fvNV(GLuint id, GLsizei len, const GLubyte* name, const GLfloat v[]) {
    if (v) setNamed(id, len, name, v);
}

void APIENTRY programNamedParameter4dNV(GLuint id, GLsizei len, const GLubyte* name, GLdouble x, GLdouble y,
                                        GLdouble z, GLdouble w) {
    const GLfloat v[4] = {static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z),
                          static_cast<GLfloat>(w)};
    setNamed(id, len, name, v);
}

void APIENTRY programNamedParameter4dvNV(GLuint id, GLsizei len, const GLubyte* name, const GLdouble v[]) {
    if (v) programNamedParameter4dNV(id, len, name, v[0], v[1], v[2], v[3]);
}

void APIENTRY getProgramNamedParameterfvNV(GLuint id, GLsizei len, const GLubyte* name, GLfloat* params) {
    if (params) getNamed(id, len, name, params);
}

void APIENTRY getProgramNamedParameterdvNV(GLuint id, GLsizei len, const GLubyte* name, GLdouble* params) {
    if (!params) return;
    GLfloat v[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    getNamed(id, len, name, v);
    for (int i = 0; i < 4; ++i) params[i] = v[i];
}

// ---------------------------------------------------------------- ARB calls with NV targets ----
// The game passes GL_FRAGMENT_PROGRAM_NV to the ARB parameter calls; these
// versions hand the driver the ARB target instead.

// An ARB program load reports for itself: the answer kept for an NV text
// that did not translate is dropped.
void APIENTRY programStringARB(GLenum target, GLenum format, GLsizei len, const void* text) {
    untranslated() = Untranslated();
    if (arb().complete()) arb().programString(nvMapTarget(target), format, len, text);
}
void APIENTRY bindProgramARB(GLenum target, GLuint id) {
    if (arb().complete()) arb().bindProgram(nvMapTarget(target), id);
}
void APIENTRY getProgramivARB(GLenum target, GLenum pname, GLint* params) {
    if (arb().complete()) arb().getProgramiv(nvMapTarget(target), pname, params);
}
void APIENTRY local4fARB(GLenum target, GLuint index, GLfloat x, GLfloat y, GLfloat z, GLfloat w) {
    if (arb().complete()) arb().local4f(nvMapTarget(target), index, x, y, z, w);
}
void APIENTRY local4fvARB(GLenum target, GLuint index, const GLfloat* v) {
    if (arb().complete()) arb().local4fv(nvMapTarget(target), index, v);
}
void APIENTRY local4dARB(GLenum target, GLuint index, GLdouble x, GLdouble y, GLdouble z, GLdouble w) {
    if (arb().complete()) arb().local4d(nvMapTarget(target), index, x, y, z, w);
}
void APIENTRY local4dvARB(GLenum target, GLuint index, const GLdouble* v) {
    if (arb().complete()) arb().local4dv(nvMapTarget(target), index, v);
}
void APIENTRY env4fARB(GLenum target, GLuint index, GLfloat x, GLfloat y, GLfloat z, GLfloat w) {
    if (arb().complete()) arb().env4f(nvMapTarget(target), index, x, y, z, w);
}
void APIENTRY env4fvARB(GLenum target, GLuint index, const GLfloat* v) {
    if (arb().complete()) arb().env4fv(nvMapTarget(target), index, v);
}
void APIENTRY env4dARB(GLenum target, GLuint index, GLdouble x, GLdouble y, GLdouble z, GLdouble w) {
    if (arb().complete()) arb().env4d(nvMapTarget(target), index, x, y, z, w);
}
void APIENTRY env4dvARB(GLenum target, GLuint index, const GLdouble* v) {
    if (arb().complete()) arb().env4dv(nvMapTarget(target), index, v);
}
void APIENTRY getLocalfvARB(GLenum target, GLuint index, GLfloat* v) {
    if (arb().complete()) arb().getLocalfv(nvMapTarget(target), index, v);
}
void APIENTRY getLocaldvARB(GLenum target, GLuint index, GLdouble* v) {
    if (arb().complete()) arb().getLocaldv(nvMapTarget(target), index, v);
}
void APIENTRY getEnvfvARB(GLenum target, GLuint index, GLfloat* v) {
    if (arb().complete()) arb().getEnvfv(nvMapTarget(target), index, v);
}
void APIENTRY getEnvdvARB(GLenum target, GLuint index, GLdouble* v) {
    if (arb().complete()) arb().getEnvdv(nvMapTarget(target), index, v);
}

struct Entry {
    const char* name;
    void* proc;
};

template <class F>
void* procOf(F f) {
    return reinterpret_cast<void*>(f);
}

const Entry* entries() {
    static const Entry table[] = {
        {"glGenProgramsNV", procOf(&genProgramsNV)},
        {"glBindProgramNV", procOf(&bindProgramNV)},
        {"glDeleteProgramsNV", procOf(&deleteProgramsNV)},
        {"glIsProgramNV", procOf(&isProgramNV)},
        {"glLoadProgramNV", procOf(&loadProgramNV)},
        {"glProgramNamedParameter4fNV", procOf(&programNamedParameter4fNV)},
        {"glProgramNamedParameter4fvNV", procOf(&programNamedParameter4fvNV)},
        {"glProgramNamedParameter4dNV", procOf(&programNamedParameter4dNV)},
        {"glProgramNamedParameter4dvNV", procOf(&programNamedParameter4dvNV)},
        {"glGetProgramNamedParameterfvNV", procOf(&getProgramNamedParameterfvNV)},
        {"glGetProgramNamedParameterdvNV", procOf(&getProgramNamedParameterdvNV)},
        {"glProgramStringARB", procOf(&programStringARB)},
        {"glBindProgramARB", procOf(&bindProgramARB)},
        {"glGetProgramivARB", procOf(&getProgramivARB)},
        {"glProgramLocalParameter4fARB", procOf(&local4fARB)},
        {"glProgramLocalParameter4fvARB", procOf(&local4fvARB)},
        {"glProgramLocalParameter4dARB", procOf(&local4dARB)},
        {"glProgramLocalParameter4dvARB", procOf(&local4dvARB)},
        {"glProgramEnvParameter4fARB", procOf(&env4fARB)},
        {"glProgramEnvParameter4fvARB", procOf(&env4fvARB)},
        {"glProgramEnvParameter4dARB", procOf(&env4dARB)},
        {"glProgramEnvParameter4dvARB", procOf(&env4dvARB)},
        {"glGetProgramLocalParameterfvARB", procOf(&getLocalfvARB)},
        {"glGetProgramLocalParameterdvARB", procOf(&getLocaldvARB)},
        {"glGetProgramEnvParameterfvARB", procOf(&getEnvfvARB)},
        {"glGetProgramEnvParameterdvARB", procOf(&getEnvdvARB)},
        {nullptr, nullptr},
    };
    return table;
}

}  // namespace

bool nvEmulationActive() {
    if (!kNvBuild) return false;
    if (g_emulating < 0) {
        const char* ext = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        if (!ext) return false;
        g_emulating = hasWord(ext, kFragmentExtension) ? 0 : 1;
    }
    return g_emulating == 1;
}

void* nvProcAddress(const char* name) {
    if (!name || !nvEmulationActive()) return nullptr;
    for (const Entry* e = entries(); e->name; ++e)
        if (std::strcmp(e->name, name) == 0) return e->proc;
    return nullptr;
}

const GLubyte* nvExtensionString(const GLubyte* driverExtensions) {
    if (!driverExtensions || !nvEmulationActive()) return driverExtensions;
    static std::string driver;
    static std::string combined;
    const char* d = reinterpret_cast<const char*>(driverExtensions);
    if (combined.empty() || driver != d) {
        driver = d;
        combined = driver;
        for (const char* name : {kFragmentExtension, kVertexExtension}) {
            if (hasWord(d, name)) continue;
            if (!combined.empty() && combined.back() != ' ') combined += ' ';
            combined += name;
        }
    }
    return reinterpret_cast<const GLubyte*>(combined.c_str());
}

const GLubyte* nvProgramErrorString(const GLubyte* driverText) {
    const Untranslated& u = untranslated();
    return u.active ? reinterpret_cast<const GLubyte*>(u.message.c_str()) : driverText;
}

GLint nvProgramErrorPosition(GLint driverPosition) {
    const Untranslated& u = untranslated();
    return u.active ? u.position : driverPosition;
}

GLenum nvMapTarget(GLenum target) {
    if (target == GL_FRAGMENT_PROGRAM_NV && nvEmulationActive()) return GL_FRAGMENT_PROGRAM_ARB;
    return target;
}

}  // namespace nvbuild / plainbuild
}  // namespace platform
