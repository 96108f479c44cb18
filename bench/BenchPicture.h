#pragma once
// Screenshots as the benchmark compares them: an 8-bit RGB picture read
// from a PNG file, and the per-pixel difference of two pictures of one size.

#include <string>
#include <vector>

struct BenchPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows top to bottom, 3 bytes a pixel

    bool valid() const { return width > 0 && height > 0; }
    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// The picture in the file; an empty (not valid) picture when the file is
// missing or not a PNG.
BenchPicture readBenchPicture(const std::string& path);

// A picture written as an 8-bit RGB PNG; false when the file cannot be
// written.
bool writeBenchPicture(const std::string& path, const BenchPicture& picture);

struct PictureDifference {
    bool comparable = false;  // both valid and of one size
    long pixels = 0;          // pixels in each picture
    long differing = 0;       // pixels with any channel different
    long overTolerance = 0;   // pixels with a channel more than the tolerance off
    int largest = 0;          // the largest channel difference (0 to 255)
    double mean = 0.0;        // mean absolute channel difference

    // Within tolerance: comparable, and at most `outliers` (a share of the
    // pixels, 0.0001 for 0.01 %) beyond it.
    bool matches(double outliers = 0.0) const {
        return comparable && static_cast<double>(overTolerance) <= outliers * static_cast<double>(pixels);
    }
};

// Compares the two pictures channel by channel; `tolerance` is the largest
// channel difference that still counts as equal. When `map` is given it
// receives a picture of the differences (black where equal, grey within the
// tolerance, red beyond it).
PictureDifference comparePictures(const BenchPicture& a, const BenchPicture& b, int tolerance,
                                  BenchPicture* map = nullptr);
