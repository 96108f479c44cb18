// GPU programs: each file is loaded once into a GL program object and known
// by its slot in one of two tables of ten. Vertex programs are ARB programs;
// fragment programs are ARB programs in `game` and NV programs (read from the
// name plus ".nv") in `game_nv`.
#include <cstring>
#include <string>

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

bool arbInterfacePresent() { return glGenProgramsARB && glBindProgramARB && glProgramStringARB; }

unsigned int loadArbVertexProgram(const char* text, int length) {
    return loadArbProgram(GL_VERTEX_PROGRAM_ARB, text, length);
}

void deleteArbProgram(unsigned int id) {
    if (id && glDeleteProgramsARB) glDeleteProgramsARB(1, &id);
}

// The one place the two builds differ: how fragment programs are read,
// loaded and deleted.
#ifdef GAME_NV
const char* const kFragmentSuffix = ".nv";

bool fragmentInterfacePresent() { return glGenProgramsNV && glBindProgramNV && glLoadProgramNV; }

unsigned int loadFragment(const char* text, int length) {
    GLuint id = 0;
    glGenProgramsNV(1, &id);
    glBindProgramNV(GL_FRAGMENT_PROGRAM_NV, id);
    glLoadProgramNV(GL_FRAGMENT_PROGRAM_NV, id, length, reinterpret_cast<const GLubyte*>(text));
    return id;
}

void deleteFragment(unsigned int id) {
    if (id && glDeleteProgramsNV) glDeleteProgramsNV(1, &id);
}
#else
const char* const kFragmentSuffix = "";

bool fragmentInterfacePresent() { return arbInterfacePresent(); }

unsigned int loadFragment(const char* text, int length) {
    return loadArbProgram(GL_FRAGMENT_PROGRAM_ARB, text, length);
}

void deleteFragment(unsigned int id) { deleteArbProgram(id); }
#endif

// The length GL is given: the text's own length, cut at a zero byte in it.
int textLength(const TString& text) {
    if (!text.buffer) return 0;
    const void* zero = std::memchr(text.buffer, 0, static_cast<size_t>(text.size()));
    return zero ? static_cast<int>(static_cast<const char*>(zero) - text.buffer) : text.size();
}

// Whether the program just loaded compiled. If not: a log line and the box
// (text: the file name, caption: the driver's error string).
bool compiled(const ProgramTable& table, const std::string& name) {
    GLint errorPosition = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
    if (errorPosition == -1) return true;
    const GLubyte* error = glGetString(GL_PROGRAM_ERROR_STRING_ARB);
    const char* caption = error ? reinterpret_cast<const char*>(error) : "";
    logOut() << "Engine: " << table.kind << " program '" << name << "' does not compile at position "
             << errorPosition << ": " << caption << "\n";
    logFlush();
    MessageBoxA(nullptr, name.c_str(), caption, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// The file's slot: found, or loaded into the next free one from the file
// named fileName + suffix.
int loadProgram(ProgramTable table, const TString& fileName, const char* suffix, bool interfacePresent,
                ProgramLoader load) {
    const std::string name(fileName.buffer ? fileName.buffer : "", static_cast<size_t>(fileName.size()));
    if (name.empty()) {
        logOut() << "Engine: a " << table.kind << " program without a file name is not loaded\n";
        logFlush();
        return -1;
    }
    const int found = findSlot(table, fileName);
    if (found >= 0) return found;

    const std::string path = name + suffix;
    if (*table.count >= kSlots) {
        logOut() << "Engine: " << table.kind << " program '" << path << "' not loaded, all " << kSlots
                 << " slots are taken\n";
        logFlush();
        return -1;
    }
    if (!interfacePresent) {
        logOut() << "Engine: " << table.kind << " program '" << path
                 << "' not loaded, the GL driver has no program interface for it\n";
        logFlush();
        return -1;
    }
    TString text;
    text.loadFromFile(path.c_str());
    if (text.length == -2) {
        logOut() << "Engine: " << table.kind << " program file '" << path << "' cannot be read\n";
        logFlush();
        return -1;
    }

    const int slot = (*table.count)++;
    table.ids[slot] = load(text.buffer ? text.buffer : "", textLength(text));
    table.names[slot].assign(fileName);
    table.valid[slot] = compiled(table, name);
    return slot;
}

}  // namespace

int TEngine::loadVertexProgram(const TString& fileName) {
    const ProgramTable table{vertexProgramIds, vertexProgramNames, vertexProgramValid, &vertexProgramCount,
                             "vertex"};
    return loadProgram(table, fileName, "", arbInterfacePresent(), loadArbVertexProgram);
}

int TEngine::loadFragmentProgram(const TString& fileName) {
    const ProgramTable table{fragmentProgramIds, fragmentProgramNames, fragmentProgramValid,
                             &fragmentProgramCount, "fragment"};
    return loadProgram(table, fileName, kFragmentSuffix, fragmentInterfacePresent(), loadFragment);
}

bool TEngine::isVertexProgramValid(int slot) const {
    return slot >= 0 && slot < vertexProgramCount && slot < kSlots && vertexProgramValid[slot];
}

bool TEngine::isFragmentProgramValid(int slot) const {
    return slot >= 0 && slot < fragmentProgramCount && slot < kSlots && fragmentProgramValid[slot];
}

void TEngine::deletePrograms() {
    for (int i = 0; i < vertexProgramCount && i < kSlots; ++i) {
        deleteArbProgram(vertexProgramIds[i]);
        vertexProgramIds[i] = 0;
    }
    for (int i = 0; i < fragmentProgramCount && i < kSlots; ++i) {
        deleteFragment(fragmentProgramIds[i]);
        fragmentProgramIds[i] = 0;
    }
}
