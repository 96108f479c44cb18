// GPU programs: each file is loaded once into a GL program object and known
// by its slot in one of two tables of ten. Vertex programs are ARB programs;
// fragment programs are ARB programs in `game` and NV programs (read from the
// name plus ".nv") in `game_nv`.
#include <cstring>

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "platform/gl.h"

namespace {

const int kSlots = 10;

// One of the engine's two program tables.
struct ProgramTable {
    unsigned int* ids;
    TString* names;
    bool* valid;
    int* count;
    const char* kind;  // for log lines
};

// The slot already holding this file name, or -1.
int findSlot(const ProgramTable& table, const TString& fileName) {
    for (int i = 0; i < *table.count && i < kSlots; ++i) {
        if (table.names[i].equals(fileName)) return i;
    }
    return -1;
}

// Hands the text to GL: generate, bind and load one program object.
using ProgramLoader = unsigned int (*)(const char* text, int length);

unsigned int loadArbProgram(GLenum target, const char* text, int length) {
    GLuint id = 0;
    glGenProgramsARB(1, &id);
    glBindProgramARB(target, id);
    glProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, length, text);
    return id;
}

unsigned int loadArbVertexProgram(const char* text, int length) {
    return loadArbProgram(GL_VERTEX_PROGRAM_ARB, text, length);
}

#ifdef GAME_NV
unsigned int loadNvFragmentProgram(const char* text, int length) {
    GLuint id = 0;
    glGenProgramsNV(1, &id);
    glBindProgramNV(GL_FRAGMENT_PROGRAM_NV, id);
    glLoadProgramNV(GL_FRAGMENT_PROGRAM_NV, id, length, reinterpret_cast<const GLubyte*>(text));
    return id;
}
const char* const kFragmentSuffix = ".nv";
#else
unsigned int loadArbFragmentProgram(const char* text, int length) {
    return loadArbProgram(GL_FRAGMENT_PROGRAM_ARB, text, length);
}
const char* const kFragmentSuffix = "";
#endif

bool vertexInterfacePresent() { return glGenProgramsARB && glBindProgramARB && glProgramStringARB; }

bool fragmentInterfacePresent() {
#ifdef GAME_NV
    return glGenProgramsNV && glBindProgramNV && glLoadProgramNV;
#else
    return vertexInterfacePresent();
#endif
}

// The file's slot: found, or loaded into the next free one. The file is read
// from the name plus `suffix`. A compile error shows the box (text: the file
// name, caption: the driver's error string) and marks the slot invalid.
int loadProgram(ProgramTable table, const TString& fileName, const char* suffix, bool interfacePresent,
                ProgramLoader load) {
    if (fileName.size() == 0) {
        logOut() << "Engine: a " << table.kind << " program without a file name is not loaded\n";
        return -1;
    }
    const int found = findSlot(table, fileName);
    if (found >= 0) return found;

    char* name = new char[fileName.size() + std::strlen(suffix) + 1];
    fileName.copyTo(name);
    std::strcat(name, suffix);
    int slot = -1;
    TString text;
    if (*table.count >= kSlots) {
        logOut() << "Engine: " << table.kind << " program '" << name << "' not loaded, all " << kSlots
                 << " slots are taken\n";
    } else if (!interfacePresent) {
        logOut() << "Engine: " << table.kind << " program '" << name
                 << "' not loaded, the GL driver has no program interface for it\n";
    } else if (text.loadFromFile(name), text.length == -2) {
        logOut() << "Engine: " << table.kind << " program file '" << name << "' cannot be read\n";
    } else {
        // The text goes to GL with its own length, up to a zero byte in it.
        const char* chars = text.buffer ? text.buffer : "";
        const void* zero = std::memchr(chars, 0, static_cast<size_t>(text.size()));
        const int length = zero ? static_cast<int>(static_cast<const char*>(zero) - chars) : text.size();

        slot = *table.count;
        table.ids[slot] = load(chars, length);
        table.names[slot].assign(fileName);
        GLint errorPosition = -1;
        glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
        table.valid[slot] = errorPosition == -1;
        if (errorPosition != -1) {
            const GLubyte* error = glGetString(GL_PROGRAM_ERROR_STRING_ARB);
            const char* caption = error ? reinterpret_cast<const char*>(error) : "";
            logOut() << "Engine: " << table.kind << " program '" << name << "' does not compile at position "
                     << errorPosition << ": " << caption << "\n";
            fileName.copyTo(name);
            MessageBoxA(nullptr, name, caption, MB_OK | MB_ICONEXCLAMATION);
        }
        ++*table.count;
    }
    logFlush();
    delete[] name;
    return slot;
}

}  // namespace

int TEngine::loadVertexProgram(const TString& fileName) {
    const ProgramTable table{vertexProgramIds, vertexProgramNames, vertexProgramValid, &vertexProgramCount,
                             "vertex"};
    return loadProgram(table, fileName, "", vertexInterfacePresent(), loadArbVertexProgram);
}

int TEngine::loadFragmentProgram(const TString& fileName) {
    const ProgramTable table{fragmentProgramIds, fragmentProgramNames, fragmentProgramValid,
                             &fragmentProgramCount, "fragment"};
#ifdef GAME_NV
    return loadProgram(table, fileName, kFragmentSuffix, fragmentInterfacePresent(), loadNvFragmentProgram);
#else
    return loadProgram(table, fileName, kFragmentSuffix, fragmentInterfacePresent(), loadArbFragmentProgram);
#endif
}

bool TEngine::isVertexProgramValid(int slot) const {
    return slot >= 0 && slot < vertexProgramCount && slot < kSlots && vertexProgramValid[slot];
}

bool TEngine::isFragmentProgramValid(int slot) const {
    return slot >= 0 && slot < fragmentProgramCount && slot < kSlots && fragmentProgramValid[slot];
}

void TEngine::deletePrograms() {
    for (int i = 0; i < vertexProgramCount && i < kSlots; ++i) {
        if (vertexProgramIds[i] && glDeleteProgramsARB) glDeleteProgramsARB(1, &vertexProgramIds[i]);
        vertexProgramIds[i] = 0;
    }
    for (int i = 0; i < fragmentProgramCount && i < kSlots; ++i) {
#ifdef GAME_NV
        if (fragmentProgramIds[i] && glDeleteProgramsNV) glDeleteProgramsNV(1, &fragmentProgramIds[i]);
#else
        if (fragmentProgramIds[i] && glDeleteProgramsARB) glDeleteProgramsARB(1, &fragmentProgramIds[i]);
#endif
        fragmentProgramIds[i] = 0;
    }
}
