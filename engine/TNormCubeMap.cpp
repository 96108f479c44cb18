#include "engine/TNormCubeMap.h"

#include "engine/TCubeMap.h"
#include "engine/TEngine.h"
#include "engine/TTextureLayer.h"

namespace {

TVector faceDirection(int face, float a, float b) {
    const float h = 31.5f;
    switch (face) {
        case 0: return TVector(h, -a, -b);
        case 1: return TVector(-h, -a, b);
        case 2: return TVector(b, h, a);
        case 3: return TVector(b, -h, -a);
        case 4: return TVector(b, -a, h);
        default: return TVector(-b, -a, -h);
    }
}

uint8_t toByte(float component) { return static_cast<uint8_t>(static_cast<int>((component + 1.0f) * 127.5f)); }

}  // namespace

void TNormCubeMap::computeFace(int face, uint8_t* texels) {
    uint8_t* out = texels;
    for (int row = 0; row < kSize; ++row) {
        const float a = row - 31.5f;
        for (int col = 0; col < kSize; ++col) {
            const float b = col - 31.5f;
            const TVector n = faceDirection(face, a, b).normalized();
            *out++ = toByte(n.x);
            *out++ = toByte(n.y);
            *out++ = toByte(n.z);
        }
    }
}

TNormCubeMap::TNormCubeMap(const TString& name, TEngine* engine)
    : TTexture(TTextureLayer(name, 1.0f, 1.0f, 1, 0), static_cast<uint32_t>(-1), engine) {
    target = GL_TEXTURE_CUBE_MAP_ARB;
    id = TCubeMap::createClampedCubeMap();

    uint8_t* texels = new uint8_t[kSize * kSize * 3];
    TPackedRows packed;
    for (int face = 0; face < 6; ++face) {
        computeFace(face, texels);
        glTexImage2D(TCubeMap::kFaces[face], 0, GL_RGB8, kSize, kSize, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    }
    delete[] texels;
}
