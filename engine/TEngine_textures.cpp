// The engine's texture operations: plain 2D textures from images, lookup by
// layer name, the "tex\" path rule and the filter switches applied to every
// listed texture.
#include <string>

#include "engine/TEngine.h"
#include "engine/TImage.h"
#include "engine/TTexture.h"
#include "engine/TTextureLayer.h"
#include "platform/gl.h"

namespace {

// Uploads the image with mipmaps, or a 1 x 1 white stand-in when the image
// has no pixels (its reader has said why), so that the texture is complete.
void uploadMipmaps(TImage* image) {
    if (!image || !image->hasPixels()) {
        uploadStandIn(GL_TEXTURE_2D, GL_RGBA8, 1);
        return;
    }
    TPackedRows packed;
    gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(image->getInternalFormat()), image->width, image->height,
                      image->pixelFormat, GL_UNSIGNED_BYTE, image->pixels);
}

// The filter pair that the two switches select.
void selectedFilters(bool mipmapping, bool linear, int& minFilter, int& magFilter) {
    magFilter = linear ? GL_LINEAR : GL_NEAREST;
    if (mipmapping) {
        minFilter = linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    } else {
        minFilter = linear ? GL_LINEAR : GL_NEAREST;
    }
}

}  // namespace

TTexture* TEngine::createTexture(TImage* image, TTextureLayer* layer) {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    uploadMipmaps(image);
    const TTextureLayer fallback;
    return new TTexture(layer ? *layer : fallback, id, this);
}

TTexture* TEngine::findTexture(TTextureLayer* layer) {
    if (!layer) return nullptr;
    const TString wanted = layer->getTextureName();
    for (TListNode<TTexture>* n = textures.head; n; n = n->next) {
        if (n->value && n->value->name.equals(wanted)) return n->value;
    }
    return nullptr;
}

void TEngine::texturePath(TString& name) {
    int start = 0;
    for (int i = name.length; name.buffer && i >= 0; --i) {
        if (name.buffer[i] == '\\') {
            start = i + 1;
            break;
        }
    }
    std::string path = "tex\\";
    if (name.buffer && start <= name.length) path.append(name.buffer + start, static_cast<size_t>(name.length + 1 - start));
    name.assign(TString(path.c_str()));
}

bool TEngine::toggleMipmapping() {
    mipmapping = !mipmapping;
    int minFilter = 0, magFilter = 0;
    selectedFilters(mipmapping, linearFiltering, minFilter, magFilter);
    applyTextureFilter(minFilter, magFilter);
    return mipmapping;
}

bool TEngine::toggleFiltering() {
    linearFiltering = !linearFiltering;
    int minFilter = 0, magFilter = 0;
    selectedFilters(mipmapping, linearFiltering, minFilter, magFilter);
    applyTextureFilter(minFilter, magFilter);
    return linearFiltering;
}

void TEngine::applyTextureFilter(int minFilter, int magFilter) {
    for (TListNode<TTexture>* n = textures.head; n; n = n->next) {
        n->value->bind(0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    }
}
