#pragma once
// TBufferObject is one GL buffer object into which meshes and the ground pack
// their arrays. The engine makes every one (TEngine::createBufferObject),
// keeps it in its buffer-object list and deletes it, with its GL buffer, when
// the engine goes; nobody else frees one.

class TBufferObject {
public:
    unsigned int name = 0;  // GL buffer name; 0 when none could be made
    int fillOffset = 0;     // bytes already filled, advanced by the packers
    int size = 0;           // bytes

    TBufferObject(unsigned int glName, int bytes) : name(glName), size(bytes) {}
    TBufferObject(const TBufferObject&) = delete;
    TBufferObject& operator=(const TBufferObject&) = delete;
    // Deletes the GL buffer; runs while the engine's context is current.
    virtual ~TBufferObject();
};
