#pragma once
// TTextureLayer is one texture unit of a material: the texture file, the
// scale it is drawn with and the texture-coordinate set it reads. It is a
// plain record; the texture itself belongs to the engine. In files a layer
// is 140 bytes: name char[128], s and t scale, the set integer.

#include <cstdint>

#include "engine/TString.h"

class TRecordInput;

class TTextureLayer {
public:
    static const int kNameSize = 128;
    static const int kRecordSize = 140;

    float sScale;
    float tScale;
    char textureName[kNameSize];  // always zero-terminated
    uint8_t flag;                 // not stored in files
    int32_t integer;              // texture-coordinate set of this layer

    // "none", 1.0, 1.0, integer 1, flag 0.
    TTextureLayer();
    // A name longer than 127 characters is cut to 127.
    TTextureLayer(const TString& textureName, float s, float t, int32_t integer, uint8_t flag);
    TTextureLayer(const TTextureLayer& other);
    TTextureLayer& operator=(const TTextureLayer& other);
    virtual ~TTextureLayer() = default;

    // Replaces this layer by the next layer record of the input (flag 0).
    // Returns false, after one log line, on a short file or a name without
    // a terminating zero; the layer is then left unchanged.
    // fileName only names the file in the log line.
    bool load(int fd, const char* fileName);
    bool load(TRecordInput& in);
    // Writes the 140-byte record; false when the file took less.
    virtual bool write(int fd) const;

    // s for i = 0, t for i = 1 (0.0 for any other i).
    float getValue(int i) const;
    // Borrows this layer's name field: valid while the layer lives.
    TString getTextureName() const;
    uint8_t getFlag() const { return flag; }
    void setFlag(uint8_t f) { flag = f; }
    int32_t getInteger() const { return integer; }
    void setInteger(int32_t v) { integer = v; }
};
