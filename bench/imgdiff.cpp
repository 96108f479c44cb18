// Compares two screenshots pixel by pixel.
//
//   imgdiff <a.png> <b.png> [--tolerance N] [--map diff.png] [--list N]
//
// Prints the pixels that differ, those beyond the tolerance (a channel more
// than N off, 0 by default), the largest channel difference and the mean
// one; --list prints the first N pixels beyond the tolerance with both
// colours. Exit code 0 when the pictures match within the tolerance, 1 when they
// do not, 2 when a file cannot be read or the sizes differ.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "BenchPicture.h"

int main(int argc, char** argv) {
    std::string paths[2];
    int given = 0;
    int tolerance = 0;
    std::string mapPath;
    long listed = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--tolerance") == 0 && i + 1 < argc) tolerance = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--map") == 0 && i + 1 < argc) mapPath = argv[++i];
        else if (std::strcmp(argv[i], "--list") == 0 && i + 1 < argc) listed = std::atol(argv[++i]);
        else if (given < 2) paths[given++] = argv[i];
        else given = 3;
    }
    if (given != 2 || tolerance < 0) {
        std::fprintf(stderr, "usage: imgdiff <a.png> <b.png> [--tolerance N] [--map diff.png] [--list N]\n");
        return 2;
    }
    const BenchPicture a = readBenchPicture(paths[0]), b = readBenchPicture(paths[1]);
    if (!a.valid() || !b.valid()) {
        std::fprintf(stderr, "imgdiff: '%s' cannot be read as a PNG\n", (!a.valid() ? paths[0] : paths[1]).c_str());
        return 2;
    }
    BenchPicture map;
    const PictureDifference d = comparePictures(a, b, tolerance, mapPath.empty() ? nullptr : &map);
    if (!d.comparable) {
        std::fprintf(stderr, "imgdiff: sizes differ (%dx%d, %dx%d)\n", a.width, a.height, b.width, b.height);
        return 2;
    }
    std::printf("%ld of %ld pixels differ (%.3f %%), %ld beyond %d, largest %d, mean %.4f\n", d.differing, d.pixels,
                100.0 * d.differing / d.pixels, d.overTolerance, tolerance, d.largest, d.mean);
    for (int y = 0; y < a.height && listed > 0; ++y) {
        for (int x = 0; x < a.width && listed > 0; ++x) {
            const unsigned char *p = a.at(x, y), *q = b.at(x, y);
            if (std::abs(p[0] - q[0]) > tolerance || std::abs(p[1] - q[1]) > tolerance ||
                std::abs(p[2] - q[2]) > tolerance) {
                std::printf("  (%d, %d): %d %d %d / %d %d %d\n", x, y, p[0], p[1], p[2], q[0], q[1], q[2]);
                --listed;
            }
        }
    }
    if (!mapPath.empty() && !writeBenchPicture(mapPath, map))
        std::fprintf(stderr, "imgdiff: '%s' cannot be written\n", mapPath.c_str());
    return d.matches() ? 0 : 1;
}
