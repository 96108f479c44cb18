#include "engine/TCubeMap.h"

#include "engine/TEngine.h"
#include "engine/TTextureLayer.h"
#include "engine/TTgaImage.h"

const GLenum TCubeMap::kFaces[6] = {
    GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB, GL_TEXTURE_CUBE_MAP_NEGATIVE_X_ARB, GL_TEXTURE_CUBE_MAP_POSITIVE_Y_ARB,
    GL_TEXTURE_CUBE_MAP_NEGATIVE_Y_ARB, GL_TEXTURE_CUBE_MAP_POSITIVE_Z_ARB, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z_ARB,
};

TCubeMap::TCubeMap(const TString& name, const TString& positiveX, const TString& negativeX,
                   const TString& positiveY, const TString& negativeY, const TString& positiveZ,
                   const TString& negativeZ, TEngine* engine)
    : TTexture(TTextureLayer(name, 1.0f, 1.0f, 1, 0), static_cast<uint32_t>(-1), engine) {
    const TString* files[6] = {&positiveX, &negativeX, &positiveY, &negativeY, &positiveZ, &negativeZ};
    TString paths[6];
    for (int i = 0; i < 6; ++i) {
        paths[i].assign(*files[i]);
        TEngine::texturePath(paths[i]);
    }

    target = GL_TEXTURE_CUBE_MAP_ARB;
    id = createClampedCubeMap();

    TPackedRows packed;
    for (int i = 0; i < 6; ++i) {
        TTgaImage image(paths[i]);
        if (!image.hasPixels()) continue;
        glTexImage2D(kFaces[i], 0, static_cast<GLint>(image.getInternalFormat()), image.width, image.height, 0,
                     image.pixelFormat, GL_UNSIGNED_BYTE, image.pixels);
    }
}

GLuint TCubeMap::createClampedCubeMap() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, name);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return name;
}
