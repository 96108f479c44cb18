#include "scene/TShadowMap.h"

#include <cstring>
#include <string>

#include "engine/Log.h"
#include "platform/crt.h"
#include "platform/gl.h"
#include "scene/TBoden.h"

TShadowMap::TShadowMap(const TBoden* owner, const TString& fileName, int divisor) : TImage(fileName) {
    if (divisor < 1) divisor = 1;
    const int w = owner ? owner->tileWidth * owner->tilesX / divisor : 0;
    const int h = owner ? owner->tileHeight * owner->tilesY / divisor : 0;
    if (w <= 0 || h <= 0) return;
    width = w;
    height = h;
    bitsPerPixel = 8;
    components = 1;
    pixelFormat = GL_LUMINANCE;
    const long long count = static_cast<long long>(w) * h;
    pixels = new uint8_t[static_cast<size_t>(count)];
    const std::string path(fileName.copyTo(nullptr));
    if (!read(path.c_str(), count)) std::memset(pixels, 255, static_cast<size_t>(count));
}

bool TShadowMap::read(const char* path, long long count) {
    const int fd = _open(path, _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        logOut() << "Shadow map '" << path << "': cannot be opened; the ground is drawn unshaded\n";
        logFlush();
        return false;
    }
    const long long got = readFully(fd, pixels, count);
    const long length = _filelength(fd);
    _close(fd);
    if (got != count) {
        logOut() << "Shadow map '" << path << "': holds " << (got < 0 ? 0 : got) << " of the " << count
                 << " bytes of a " << width << " x " << height << " map; the ground is drawn unshaded\n";
        logFlush();
        return false;
    }
    if (length > count) {
        logOut() << "Shadow map '" << path << "': " << (length - count) << " bytes beyond the " << width << " x "
                 << height << " map are ignored\n";
        logFlush();
    }
    return true;
}

TShadowMap::~TShadowMap() { delete[] pixels; }

uint32_t TShadowMap::getInternalFormat() { return GL_LUMINANCE8; }
