#include "engine/TMaterialData.h"

#include <initializer_list>
#include <string>

#include "engine/TRecordInput.h"

TMaterialData::TMaterialData() : lastLayerIndex(-1), value(0.0f) {
    copyNameField(name, kNameSize, "stdMat");
}

TMaterialData::TMaterialData(const TString& n, const TColor& d, const TColor& a, const TColor& s, float v,
                             int32_t last, const TTextureLayer* l)
    : lastLayerIndex(last), value(v), diffuse(d), ambient(a), specular(s) {
    copyNameField(name, kNameSize, n.buffer, n.size());
    if (lastLayerIndex < -1) lastLayerIndex = -1;
    if (lastLayerIndex > kLayerCount - 1) lastLayerIndex = kLayerCount - 1;
    if (!l) lastLayerIndex = -1;
    for (int i = 0; i <= lastLayerIndex; ++i) layers[i] = l[i];
}

bool TMaterialData::load(int fd, const char* fileName) {
    TRecordInput in(fd, fileName);
    in.context = "material";
    return load(in);
}

bool TMaterialData::load(TRecordInput& in) {
    char readName[kNameSize];
    float colours[12];
    float readValue = 0.0f;
    int n = -1;
    if (!in.readName(readName, kNameSize, "the material name")) return false;
    if (!in.readFloats(colours, 12, "the material colours")) return false;
    if (!in.readFloats(&readValue, 1, "the material value")) return false;
    if (!in.readInt(n, "the layer count")) return false;
    if (n < -1 || n > kMaxFileLayerIndex)
        return in.fail("material '" + std::string(readName) + "' has last layer index " + std::to_string(n) +
                       ", allowed -1 to " + std::to_string(kMaxFileLayerIndex));
    TTextureLayer readLayers[kMaxFileLayerIndex + 1];
    for (int i = 0; i <= n; ++i)
        if (!readLayers[i].load(in)) return false;

    copyNameField(name, kNameSize, readName);
    diffuse = TColor(colours[0], colours[1], colours[2], colours[3]);
    ambient = TColor(colours[4], colours[5], colours[6], colours[7]);
    specular = TColor(colours[8], colours[9], colours[10], colours[11]);
    value = readValue;
    lastLayerIndex = n;
    for (int i = 0; i < kLayerCount; ++i) layers[i] = i <= n ? readLayers[i] : TTextureLayer();
    return true;
}

bool TMaterialData::write(int fd) const {
    TRecordOutput out;
    out.putName(name, kNameSize);
    for (const TColor* c : {&diffuse, &ambient, &specular}) {
        const float rgba[4] = {c->r, c->g, c->b, c->a};
        out.putFloats(rgba, 4);
    }
    out.putFloats(&value, 1);
    const int n = lastLayerIndex < -1 ? -1 : (lastLayerIndex > kLayerCount - 1 ? kLayerCount - 1 : lastLayerIndex);
    out.putInt(n);
    if (!out.writeTo(fd)) return false;
    for (int i = 0; i <= n; ++i)
        if (!layers[i].write(fd)) return false;
    return true;
}

TTextureLayer TMaterialData::getLayer(int i) const {
    if (i < 0 || i >= kLayerCount) return TTextureLayer();
    return layers[i];
}
