#pragma once
// TVertexArray is a client-side float array (positions, normals or texture
// coordinates) that the engine makes, owns and frees with itself. Once packed
// into a buffer object GL is given its offset there instead of its data.

class TBufferObject;

class TVertexArray {
public:
    bool useBuffer = false;          // overwritten by TEngine::toggleVBO
    TBufferObject* buffer = nullptr; // set by the code that packs it
    float* data;                     // components x count floats, zeroed
    int components;                  // values per element
    int count;                       // elements
    void* pointer;                   // the data address, or the offset in buffer
    unsigned int type;               // GL_FLOAT
    int kind;                        // GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY

    // A negative count or component number counts as 0.
    TVertexArray(int count, int components, int kind);
    TVertexArray(const TVertexArray&) = delete;
    TVertexArray& operator=(const TVertexArray&) = delete;
    virtual ~TVertexArray();

    // True when GL should read the array from its buffer object: the switch
    // is on and it was packed into one. An array the VBO switch marks but
    // that was never packed is drawn from its own data.
    bool inBuffer() const { return useBuffer && buffer != nullptr; }
};
