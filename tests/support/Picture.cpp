#include "Picture.h"

#include <png.h>

#include <cstring>

#include "platform/gl.h"
#include "platform/testhooks.h"

Picture readPng(const std::string& path) {
    Picture picture;
    if (!platform::readPng(path, picture.width, picture.height, picture.pixels)) return Picture();
    return picture;
}

Picture readColourBuffer(int width, int height) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.channels = 4;
    picture.bottomRowFirst = true;
    picture.pixels.resize(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, picture.pixels.data());
    return picture;
}

bool writePng(const Picture& picture, const std::string& path) {
    if (picture.channels != 4 || !picture.bottomRowFirst || !picture.valid()) return false;
    return platform::writePng(path, picture.width, picture.height, picture.pixels.data());
}

Mean meanOf(const Picture& picture, int x0, int y0, int x1, int y1) {
    Mean m;
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const unsigned char* c = picture.at(x, y);
            m.r += c[0];
            m.g += c[1];
            m.b += c[2];
            ++n;
        }
    m.r /= n;
    m.g /= n;
    m.b /= n;
    return m;
}
