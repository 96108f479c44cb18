#pragma once
// A picture the tests look at: a PNG file the program wrote (RGB, top row
// first) or the GL colour buffer read back (RGBA, bottom row first, as GL
// reads it). Either way at(x, y) counts y from the top of the picture.

#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    int channels = 3;             // 3: RGB, 4: RGBA
    bool bottomRowFirst = false;  // the rows as GL reads them
    std::vector<unsigned char> pixels;

    bool valid() const { return width > 0 && height > 0; }
    // The pixel at x from the left and y from the top: red, green, blue
    // (and alpha for RGBA).
    const unsigned char* at(int x, int y) const {
        const int row = bottomRowFirst ? height - 1 - y : y;
        return &pixels[(static_cast<size_t>(row) * width + x) * channels];
    }
};

// An RGB picture read from a PNG file; empty (not valid) when the file
// cannot be read.
Picture readPng(const std::string& path);

// The current GL colour buffer, width x height from the bottom left, RGBA.
// Needs a current GL context.
Picture readColourBuffer(int width, int height);
// Writes an RGBA picture read from GL as an upright PNG (the test hooks'
// writer). False when the picture is not such a picture or the file cannot
// be written.
bool writePng(const Picture& picture, const std::string& path);

// The mean colour over the rectangle x0 .. x1 - 1, y0 .. y1 - 1 (y from the
// top); a rectangle must hold at least one pixel.
struct Mean {
    double r = 0, g = 0, b = 0;
};
Mean meanOf(const Picture& picture, int x0, int y0, int x1, int y1);
