#pragma once
// TMaterialData is the plain material record: name, three colours, a float
// kept with the record, and layers 0 .. n of eight texture layers. Model
// files store it (120 bytes, then 140 per layer); screens fill it by hand;
// the engine builds its renderer materials from it.

#include <cstdint>

#include "engine/TColor.h"
#include "engine/TString.h"
#include "engine/TTextureLayer.h"

class TRecordInput;

class TMaterialData {
public:
    static const int kNameSize = 64;
    static const int kLayerCount = 8;
    // Model files hold at most four layers (n up to 3); load refuses more.
    static const int kMaxFileLayerIndex = 3;
    static const int kHeaderSize = 120;

    char name[kNameSize];  // always zero-terminated
    TTextureLayer layers[kLayerCount];
    int32_t lastLayerIndex;  // n: layers 0 .. n are in use, -1 none
    float value;
    TColor diffuse;
    TColor ambient;
    TColor specular;

    // The default record "stdMat": colours (0, 0, 0, 1), value 0.0, n = -1.
    TMaterialData();
    // Copies everything; a name longer than 63 characters is cut, n is
    // clamped to -1 .. 7 and only layers 0 .. n are copied (the rest stay
    // default). layers may be null when n is -1.
    TMaterialData(const TString& name, const TColor& diffuse, const TColor& ambient, const TColor& specular,
                  float value, int32_t n, const TTextureLayer* layers);
    TMaterialData(const TMaterialData& other) = default;
    TMaterialData& operator=(const TMaterialData& other) = default;
    virtual ~TMaterialData() = default;

    // Replaces this record by the next material record of an open file read
    // in binary mode. fileName only names the file in the log line. Returns
    // false, after one log line, on a short record, a name without a
    // terminating zero or n outside -1 .. 3; the record is then unchanged.
    bool load(int fd, const char* fileName);
    bool load(TRecordInput& in);
    // Writes the record in the file layout; false when the file took less.
    virtual bool write(int fd) const;

    TColor getDiffuse() const { return diffuse; }
    TColor getAmbient() const { return ambient; }
    TColor getSpecular() const { return specular; }
    float getFloat() const { return value; }
    int32_t getLastLayerIndex() const { return lastLayerIndex; }
    // A copy of layer i; a default layer for i outside 0 .. 7.
    TTextureLayer getLayer(int i) const;
    // Borrows the name field: valid while this record lives.
    TString getName() const { return TString(name); }
};
