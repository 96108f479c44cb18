#include "engine/TTgaImage.h"

#include <string>
#include <utility>

#include "engine/Log.h"
#include "platform/crt.h"
#include "platform/gl.h"

namespace {

void logFailure(const char* path, const std::string& cause) {
    logOut() << "TGA file '" << path << "': " << cause << "\n";
    logFlush();
}

}  // namespace

TTgaImage::TTgaImage(const TString& fileName) : TImage(fileName) {
    const std::string path(fileName.buffer ? fileName.buffer : "", static_cast<size_t>(fileName.size()));
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        logFailure(path.c_str(), "cannot be opened");
        return;
    }
    if (!read(fd, path.c_str())) makeEmpty();
    _close(fd);
}

bool TTgaImage::read(int fd, const char* path) {
    uint8_t header[kHeaderSize];
    const long long got = readFully(fd, header, kHeaderSize);
    if (got < 0) {
        logFailure(path, "cannot be read");
        return false;
    }
    if (got < kHeaderSize) {
        logFailure(path, "file ends inside the 18-byte header");
        return false;
    }
    width = header[12] + 256 * header[13];
    height = header[14] + 256 * header[15];
    bitsPerPixel = header[16];
    if (bitsPerPixel == 32) {
        pixelFormat = GL_RGBA;
        components = 4;
    } else if (bitsPerPixel == 24) {
        pixelFormat = GL_RGB;
        components = 3;
    } else {
        logFailure(path, "pixel depth " + std::to_string(bitsPerPixel) + " is not supported (24 or 32 bits)");
        return false;
    }
    if (width == 0 || height == 0) {
        logFailure(path, "size " + std::to_string(width) + " x " + std::to_string(height) + " holds no pixels");
        return false;
    }
    // Check the length before allocating, so a damaged size cannot ask for
    // gigabytes.
    const long long needed = byteCount();
    const long fileLength = _filelength(fd);
    if (fileLength >= 0 && fileLength - kHeaderSize < needed) {
        logFailure(path, "file ends inside the pixels (" + std::to_string(needed) + " bytes needed, " +
                             std::to_string(fileLength - kHeaderSize) + " present)");
        return false;
    }
    pixels = new uint8_t[static_cast<size_t>(needed)];
    const long long read = readFully(fd, pixels, needed);
    if (read != needed) {
        logFailure(path, read < 0 ? std::string("cannot be read")
                                  : "file ends inside the pixels (" + std::to_string(needed) + " bytes needed, " +
                                        std::to_string(read) + " present)");
        return false;
    }
    const long long count = static_cast<long long>(width) * height;
    for (long long i = 0; i < count; ++i) {
        uint8_t* p = pixels + components * i;
        std::swap(p[0], p[2]);
    }
    return true;
}

void TTgaImage::makeEmpty() {
    delete[] pixels;
    pixels = nullptr;
    width = 0;
    height = 0;
    bitsPerPixel = 0;
    pixelFormat = 0;
    components = 0;
}

TTgaImage::~TTgaImage() { delete[] pixels; }

uint32_t TTgaImage::getInternalFormat() {
    if (bitsPerPixel == 24) return GL_RGB8;
    if (bitsPerPixel == 32) return GL_RGBA8;
    return 0;
}
