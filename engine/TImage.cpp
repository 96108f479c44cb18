#include "engine/TImage.h"

TImage::TImage(const TString& fileName)
    : width(0), height(0), bitsPerPixel(0), pixelFormat(0), pixels(nullptr), components(0) {
    name.assign(fileName);
}

uint8_t* TImage::pixelAddress(int x, int y) {
    if (!pixels) return nullptr;
    const long long offset = (static_cast<long long>(width) * y + x) * (bitsPerPixel / 8);
    return pixels + offset;
}

long long TImage::byteCount() const {
    if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return 0;
    return static_cast<long long>(width) * height * (bitsPerPixel / 8);
}
