#include "engine/TTextureLayer.h"

#include <cstring>

#include "engine/TRecordInput.h"

TTextureLayer::TTextureLayer() : sScale(1.0f), tScale(1.0f), flag(0), integer(1) {
    copyNameField(textureName, kNameSize, "none");
}

TTextureLayer::TTextureLayer(const TString& name, float s, float t, int32_t value, uint8_t f)
    : sScale(s), tScale(t), flag(f), integer(value) {
    copyNameField(textureName, kNameSize, name.buffer, name.size());
}

TTextureLayer::TTextureLayer(const TTextureLayer& other)
    : sScale(other.sScale), tScale(other.tScale), flag(other.flag), integer(other.integer) {
    std::memcpy(textureName, other.textureName, kNameSize);
}

TTextureLayer& TTextureLayer::operator=(const TTextureLayer& other) {
    sScale = other.sScale;
    tScale = other.tScale;
    std::memmove(textureName, other.textureName, kNameSize);
    flag = other.flag;
    integer = other.integer;
    return *this;
}

bool TTextureLayer::load(int fd, const char* fileName) {
    TRecordInput in(fd, fileName);
    in.context = "texture layer";
    return load(in);
}

bool TTextureLayer::load(TRecordInput& in) {
    char name[kNameSize];
    float scales[2];
    int value = 0;
    if (!in.readName(name, kNameSize, "the texture name")) return false;
    if (!in.readFloats(scales, 2, "the texture scales")) return false;
    if (!in.readInt(value, "the texture-coordinate set")) return false;
    copyNameField(textureName, kNameSize, name);
    sScale = scales[0];
    tScale = scales[1];
    integer = value;
    flag = 0;
    return true;
}

bool TTextureLayer::write(int fd) const {
    TRecordOutput out;
    out.putName(textureName, kNameSize);
    out.putFloats(&sScale, 1);
    out.putFloats(&tScale, 1);
    out.putInt(integer);
    return out.writeTo(fd);
}

float TTextureLayer::getValue(int i) const {
    if (i == 0) return sScale;
    if (i == 1) return tScale;
    return 0.0f;
}

TString TTextureLayer::getTextureName() const { return TString(textureName); }
