#pragma once
// Plain readers for the generated data files, written apart from the game's
// own loaders so that tests compare two independent readings of one format.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TestPaths.h"

namespace testdata {

// The whole file below the build folder; empty when it cannot be read.
inline std::vector<uint8_t> readBuildFile(const std::string& relativePath) {
    std::ifstream in(binaryDir() + "/" + relativePath, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An uncompressed true-colour TGA: pixels in file order, bytes as stored (B G R (A)).
struct Tga {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    std::vector<uint8_t> pixels;

    bool valid() const { return width > 0 && !pixels.empty(); }
    const uint8_t* at(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * bytesPerPixel]; }
};

// Empty (not valid) unless the file is an uncompressed 24- or 32-bit TGA with
// no ID field and all its pixels.
inline Tga readTga(const std::string& relativePath) {
    const std::vector<uint8_t> b = readBuildFile(relativePath);
    Tga t;
    if (b.size() < 18 || b[0] != 0 || b[1] != 0 || b[2] != 2 || (b[16] != 24 && b[16] != 32)) return t;
    const int w = b[12] | (b[13] << 8), h = b[14] | (b[15] << 8), bpp = b[16] / 8;
    const size_t n = static_cast<size_t>(w) * h * bpp;
    if (b.size() < 18 + n) return t;
    t.width = w;
    t.height = h;
    t.bytesPerPixel = bpp;
    t.pixels.assign(b.begin() + 18, b.begin() + 18 + static_cast<std::ptrdiff_t>(n));
    return t;
}

// Ground z of a height-image pixel: the bytes in R G B order are the low,
// middle and high byte of a 24-bit fixed-point value (file order B G R).
inline float heightAt(const Tga& heights, int x, int y) {
    if (x < 0 || y < 0 || x >= heights.width || y >= heights.height) return 512.0f;
    const uint8_t* p = heights.at(x, y);
    return 512.0f - static_cast<float>(p[2] + 256 * p[1] + 65536 * p[0]) / 32768.0f;
}

}  // namespace testdata
