#pragma once
// Helpers every generator shares: a fixed-seed random source, folders and
// whole-file writes, little- and big-endian packing, TGA and WAV writers.
// The generator's writers are its own, independent of the game's readers, so
// a misreading on either side shows up as a failing test.

#include <cstdint>
#include <string>
#include <vector>

namespace gen {

// A small deterministic generator (xorshift), so every build writes the same data.
class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed ? seed : 0x9e3779b97f4a7c15ull) {}
    uint32_t next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return static_cast<uint32_t>(s_ >> 11);
    }
    // Uniform in [0, 1).
    float uniform() { return (next() & 0xffffff) / 16777216.0f; }
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }

private:
    uint64_t s_;
};

// Creates the folder and its parents; true when it exists afterwards.
bool makeDirs(const std::string& path);
// Writes the bytes, creating the parent folders. False (with a message on
// standard error) on failure.
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool writeText(const std::string& path, const std::string& text);

// Appends values in little- or big-endian order.
void putU8(std::vector<uint8_t>& b, uint8_t v);
void putI32LE(std::vector<uint8_t>& b, int32_t v);
void putU16LE(std::vector<uint8_t>& b, uint16_t v);
void putF32LE(std::vector<uint8_t>& b, float v);
void putI32BE(std::vector<uint8_t>& b, int32_t v);
void putF32BE(std::vector<uint8_t>& b, float v);
// A zero-terminated name in a fixed-size field (cut to size - 1 characters).
void putName(std::vector<uint8_t>& b, const std::string& name, size_t size);

// An 8-bit-per-channel picture, rows top first, pixels R G B (A).
struct Image {
    int width = 0;
    int height = 0;
    int channels = 3;  // 3 or 4
    std::vector<uint8_t> pixels;

    Image() = default;
    Image(int w, int h, int c) : width(w), height(h), channels(c), pixels(static_cast<size_t>(w) * h * c, 0) {}
    uint8_t* at(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * channels]; }
    const uint8_t* at(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * channels]; }
    void set(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
};

// Writes an uncompressed true-colour TGA (ID length 0, no colour map, 24 or
// 32 bits). With bottomUp set (the default) the rows are stored bottom first
// with the origin bit clear, as textures expect; the game's reader keeps file
// order, so a picture drawn top-first must be written bottom-up to appear
// upright in GL. Terrain images are written in world row order (bottomUp
// false: row y of the image is world y).
bool writeTga(const std::string& path, const Image& image, bool bottomUp = true);

// A 16-bit mono PCM WAV file.
bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int rate);

}  // namespace gen
