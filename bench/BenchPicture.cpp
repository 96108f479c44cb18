#include "BenchPicture.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

#include "platform/testhooks.h"

BenchPicture readBenchPicture(const std::string& path) {
    BenchPicture picture;
    if (!platform::readPng(path, picture.width, picture.height, picture.rgb)) return BenchPicture();
    return picture;
}

bool writeBenchPicture(const std::string& path, const BenchPicture& picture) {
    if (!picture.valid()) return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, picture.rgb.data(), 0, nullptr) != 0;
}

PictureDifference comparePictures(const BenchPicture& a, const BenchPicture& b, int tolerance, BenchPicture* map) {
    PictureDifference d;
    if (!a.valid() || !b.valid() || a.width != b.width || a.height != b.height) return d;
    d.comparable = true;
    d.pixels = static_cast<long>(a.width) * a.height;
    if (map) {
        map->width = a.width;
        map->height = a.height;
        map->rgb.assign(a.rgb.size(), 0);
    }
    double sum = 0.0;
    for (long i = 0; i < d.pixels; ++i) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            const int diff = std::abs(a.rgb[3 * i + c] - b.rgb[3 * i + c]);
            sum += diff;
            if (diff > worst) worst = diff;
        }
        if (worst == 0) continue;
        ++d.differing;
        if (worst > d.largest) d.largest = worst;
        if (worst > tolerance) ++d.overTolerance;
        if (map) {
            unsigned char* m = &map->rgb[3 * i];
            if (worst > tolerance) m[0] = 255;
            else m[0] = m[1] = m[2] = 96;
        }
    }
    d.mean = sum / (3.0 * static_cast<double>(d.pixels));
    return d;
}
