#pragma once
// TIndexArray is a client-side int array of triangle corners, laid out like
// TVertexArray; the engine makes, owns and frees it with itself.

class TBufferObject;

class TIndexArray {
public:
    bool useBuffer = false;          // overwritten by TEngine::toggleVBO
    TBufferObject* buffer = nullptr; // set by the code that packs it
    int* data;                       // components x count ints, zeroed
    int components;                  // values per element (3 per triangle)
    int count;                       // elements
    void* pointer;                   // the data address, or the offset in buffer
    unsigned int type;               // GL_INT
    int kind;                        // -1

    // A negative count or component number counts as 0.
    TIndexArray(int count, int components, int kind);
    TIndexArray(const TIndexArray&) = delete;
    TIndexArray& operator=(const TIndexArray&) = delete;
    virtual ~TIndexArray();

    // True when GL should read the indices from the buffer object: the
    // switch is on and the array was packed into one.
    bool inBuffer() const { return useBuffer && buffer != nullptr; }
};
