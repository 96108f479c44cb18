#include "engine/TCubeMap.h"

#include <memory>
#include <string>

#include "engine/Log.h"
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

    // A cube map samples only when its six faces are squares of one size and
    // format: the first square face sets them, and a face that cannot be read
    // (its reader has logged why) or does not match them is drawn white.
    std::unique_ptr<TTgaImage> images[6];
    TTgaImage* first = nullptr;
    for (int i = 0; i < 6; ++i) {
        images[i].reset(new TTgaImage(paths[i]));
        TTgaImage* image = images[i].get();
        if (!first && image->hasPixels() && image->width == image->height) first = image;
    }
    const int side = first ? first->width : 1;
    const int depth = first ? first->bitsPerPixel : 32;
    const GLint format = first ? static_cast<GLint>(first->getInternalFormat()) : GL_RGBA8;
    TPackedRows packed;
    for (int i = 0; i < 6; ++i) {
        const TTgaImage& image = *images[i];
        if (!image.hasPixels()) {
            uploadStandIn(kFaces[i], format, side);
        } else if (image.width != side || image.height != side || image.bitsPerPixel != depth) {
            const std::string face(paths[i].buffer, static_cast<size_t>(paths[i].size()));
            logOut() << "Cube map '" << name.copyTo(nullptr) << "': face '" << face << "' is " << image.width
                     << " x " << image.height << " with " << image.bitsPerPixel << " bits, not a square like the "
                     << "first face (" << side << " x " << side << ", " << depth << " bits); it is drawn white\n";
            logFlush();
            uploadStandIn(kFaces[i], format, side);
        } else {
            glTexImage2D(kFaces[i], 0, format, side, side, 0, image.pixelFormat, GL_UNSIGNED_BYTE, image.pixels);
        }
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
