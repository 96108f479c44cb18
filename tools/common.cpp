#include "common.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace gen {

bool makeDirs(const std::string& path) {
    if (path.empty()) return true;
    std::string cur;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            if (!cur.empty() && ::mkdir(cur.c_str(), 0755) != 0 && errno != EEXIST) {
                std::fprintf(stderr, "datagen: cannot create %s: %s\n", cur.c_str(), std::strerror(errno));
                return false;
            }
        }
        if (i < path.size()) cur += path[i];
    }
    return true;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && !makeDirs(path.substr(0, slash))) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "datagen: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const size_t n = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
    const bool ok = std::fclose(f) == 0 && n == bytes.size();
    if (!ok) std::fprintf(stderr, "datagen: short write on %s\n", path.c_str());
    return ok;
}

bool writeText(const std::string& path, const std::string& text) {
    return writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

void putU8(std::vector<uint8_t>& b, uint8_t v) { b.push_back(v); }

void putU16LE(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v & 0xff));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void putI32LE(std::vector<uint8_t>& b, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

void putF32LE(std::vector<uint8_t>& b, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    putI32LE(b, static_cast<int32_t>(u));
}

void putI32BE(std::vector<uint8_t>& b, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 3; i >= 0; --i) b.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

void putF32BE(std::vector<uint8_t>& b, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    putI32BE(b, static_cast<int32_t>(u));
}

void putName(std::vector<uint8_t>& b, const std::string& name, size_t size) {
    for (size_t i = 0; i < size; ++i) b.push_back(i < name.size() && i + 1 < size ? static_cast<uint8_t>(name[i]) : 0);
}

void Image::set(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    uint8_t* p = at(x, y);
    p[0] = r;
    p[1] = g;
    p[2] = b;
    if (channels == 4) p[3] = a;
}

bool writeTga(const std::string& path, const Image& image, bool bottomUp) {
    std::vector<uint8_t> b;
    b.reserve(18 + image.pixels.size());
    putU8(b, 0);  // ID length
    putU8(b, 0);  // no colour map
    putU8(b, 2);  // uncompressed true colour
    for (int i = 0; i < 5; ++i) putU8(b, 0);  // colour-map specification
    putU16LE(b, 0);
    putU16LE(b, 0);  // origin
    putU16LE(b, static_cast<uint16_t>(image.width));
    putU16LE(b, static_cast<uint16_t>(image.height));
    putU8(b, static_cast<uint8_t>(image.channels * 8));
    putU8(b, static_cast<uint8_t>(image.channels == 4 ? 8 : 0));  // alpha bits, origin lower left
    for (int r = 0; r < image.height; ++r) {
        const int y = bottomUp ? image.height - 1 - r : r;
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            b.push_back(p[2]);
            b.push_back(p[1]);
            b.push_back(p[0]);
            if (image.channels == 4) b.push_back(p[3]);
        }
    }
    return writeFile(path, b);
}

bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int rate) {
    std::vector<uint8_t> b;
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    const char* riff = "RIFF";
    b.insert(b.end(), riff, riff + 4);
    putI32LE(b, static_cast<int32_t>(36 + dataBytes));
    const char* wavefmt = "WAVEfmt ";
    b.insert(b.end(), wavefmt, wavefmt + 8);
    putI32LE(b, 16);
    putU16LE(b, 1);  // PCM
    putU16LE(b, 1);  // mono
    putI32LE(b, rate);
    putI32LE(b, rate * 2);
    putU16LE(b, 2);
    putU16LE(b, 16);
    const char* data = "data";
    b.insert(b.end(), data, data + 4);
    putI32LE(b, static_cast<int32_t>(dataBytes));
    for (int16_t s : samples) putU16LE(b, static_cast<uint16_t>(s));
    return writeFile(path, b);
}

}  // namespace gen
