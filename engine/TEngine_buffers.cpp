// The engine's geometry arrays and buffer objects: made here, owned by the
// engine's lists, freed with the engine.
#include "engine/Log.h"
#include "engine/TBufferObject.h"
#include "engine/TEngine.h"
#include "engine/TIndexArray.h"
#include "engine/TVertexArray.h"
#include "platform/gl.h"

TVertexArray* TEngine::createVertexArray(int count, int components, int kind) {
    TVertexArray* a = new TVertexArray(count, components, kind);
    vertexArrays.pushFront(a, true);
    return a;
}

TIndexArray* TEngine::createIndexArray(int count, int components, int kind) {
    TIndexArray* a = new TIndexArray(count, components, kind);
    indexArrays.pushFront(a, true);
    return a;
}

// The buffer is bound only to size it: afterwards the target is bound back to
// what the render context remembers, so its memory stays true (and nothing
// is left bound while buffer objects are off).
TBufferObject* TEngine::createBufferObject(unsigned int target, int size, unsigned int usage) {
    GLuint name = 0;
    glGenBuffersARB(1, &name);
    glBindBufferARB(target, name);
    glBufferDataARB(target, size, nullptr, usage);
    if (name == 0) {
        logOut() << "Engine: no GL buffer object of " << size << " bytes could be made\n";
        logFlush();
    }

    const TRenderContext* context = activeTarget ? activeTarget : this;
    const TBufferObject* remembered = nullptr;
    if (target == GL_ARRAY_BUFFER_ARB) remembered = context->arrayBuffer;
    if (target == GL_ELEMENT_ARRAY_BUFFER_ARB) remembered = context->elementBuffer;
    glBindBufferARB(target, remembered ? remembered->name : 0);

    TBufferObject* b = new TBufferObject(name, size);
    bufferObjects.pushFront(b, true);
    return b;
}
