#include "engine/TTexture3D.h"

#include <cstring>
#include <string>

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "engine/TTextureLayer.h"
#include "engine/TTgaImage.h"

namespace {

std::string text(const TString& s) { return std::string(s.buffer ? s.buffer : "", static_cast<size_t>(s.size())); }

TString slicePath(const TString& baseName, int index) {
    const std::string file = text(baseName) + std::to_string(index) + ".tga";
    TString path(file.c_str());
    TString owned;
    owned.assign(path);
    TEngine::texturePath(owned);
    return owned;
}

bool sameShape(const TImage& a, const TImage& b) {
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel;
}

}  // namespace

TTexture3D::TTexture3D(const TString& baseName, int count, TEngine* engine)
    : TTexture(TTextureLayer(baseName, 1.0f, 1.0f, 1, 0), static_cast<uint32_t>(-1), engine) {
    target = GL_TEXTURE_3D;
    glGenTextures(1, &id);
    if (count < 1) {
        logOut() << "3D texture '" << text(baseName) << "': " << count << " slices, nothing to upload\n";
        logFlush();
        return;
    }

    TTgaImage** slices = new TTgaImage*[count];
    for (int i = 0; i < count; ++i) {
        TString path = slicePath(baseName, i);
        slices[i] = new TTgaImage(path);
    }

    const TTgaImage& first = *slices[0];
    if (!first.hasPixels()) {
        logOut() << "3D texture '" << text(baseName) << "': first slice unreadable, nothing uploaded\n";
        logFlush();
    } else {
        const long long sliceSize = first.byteCount();
        uint8_t* buffer = new uint8_t[static_cast<size_t>(sliceSize * count)]();
        for (int i = 0; i < count; ++i) {
            if (slices[i]->hasPixels() && sameShape(*slices[i], first)) {
                std::memcpy(buffer + i * sliceSize, slices[i]->pixels, static_cast<size_t>(sliceSize));
            } else {
                logOut() << "3D texture '" << text(baseName) << "': slice '" << text(slices[i]->name)
                         << "' is missing or differs from the first in size or depth, left blank\n";
                logFlush();
            }
        }

        glBindTexture(GL_TEXTURE_3D, id);
        glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_3D, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
        {
            TPackedRows packed;
            glTexImage3D(GL_TEXTURE_3D, 0, static_cast<GLint>(slices[0]->getInternalFormat()), first.width,
                         first.height, count, 0, first.pixelFormat, GL_UNSIGNED_BYTE, buffer);
        }
        delete[] buffer;
    }

    for (int i = 0; i < count; ++i) delete slices[i];
    delete[] slices;
}
