// TGA reading: byte order of pixels and header fields, pixel addresses, and
// damaged files that must give an empty image and one log line each.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TTgaImage.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes header(int width, int height, int depth) {
    Bytes h(18, 0);
    h[2] = 2;  // uncompressed true colour
    h[12] = static_cast<unsigned char>(width & 0xff);
    h[13] = static_cast<unsigned char>(width >> 8);
    h[14] = static_cast<unsigned char>(height & 0xff);
    h[15] = static_cast<unsigned char>(height >> 8);
    h[16] = static_cast<unsigned char>(depth);
    return h;
}

// A folder of this process's own, as test cases run in parallel processes.
std::string tempDir() {
    static const std::string dir = [] {
        const std::string d = ::testing::TempDir() + "TgaImageTest_" + std::to_string(getpid()) + "/";
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

std::string writeFile(const std::string& name, const Bytes& bytes) {
    const std::string path = tempDir() + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class TgaImageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        logPath = tempDir() + "log.txt";
        openLog(logPath.c_str());
    }
    static std::string logPath;

    // The log lines written while loading the file.
    std::string load(const std::string& path, TTgaImage*& image) {
        const size_t before = readAll(logPath).size();
        image = new TTgaImage(TString(path.c_str()));
        return readAll(logPath).substr(before);
    }

    void expectEmpty(const std::string& path, const std::string& cause) {
        TTgaImage* image = nullptr;
        const std::string log = load(path, image);
        EXPECT_EQ(image->width, 0);
        EXPECT_EQ(image->height, 0);
        EXPECT_EQ(image->pixelFormat, 0u);
        EXPECT_EQ(image->pixels, nullptr);
        EXPECT_EQ(image->getInternalFormat(), 0u);
        EXPECT_FALSE(image->hasPixels());
        EXPECT_EQ(countOf(log, "\n"), 1) << log;
        EXPECT_NE(log.find(path), std::string::npos) << log;
        EXPECT_NE(log.find(cause), std::string::npos) << log;
        delete image;
    }
};
std::string TgaImageTest::logPath;

TEST_F(TgaImageTest, Depth24SwapsRedAndBlue) {
    const std::string path = writeFile("rgb.tga", concat(header(2, 1, 24), {10, 20, 30, 40, 50, 60}));
    TTgaImage* image = nullptr;
    EXPECT_EQ(load(path, image), "");
    ASSERT_TRUE(image->hasPixels());
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 1);
    EXPECT_EQ(image->bitsPerPixel, 24);
    EXPECT_EQ(image->components, 3);
    EXPECT_EQ(image->pixelFormat, static_cast<uint32_t>(GL_RGB));
    EXPECT_EQ(image->getInternalFormat(), static_cast<uint32_t>(GL_RGB8));
    EXPECT_EQ(Bytes(image->pixels, image->pixels + 6), (Bytes{30, 20, 10, 60, 50, 40}));
    EXPECT_TRUE(image->name.equals(path.c_str()));
    delete image;
}

TEST_F(TgaImageTest, Depth32KeepsAlphaAndRowOrder) {
    // 1 x 2: rows stay in file order.
    const std::string path = writeFile("rgba.tga", concat(header(1, 2, 32), {1, 2, 3, 4, 5, 6, 7, 8}));
    TTgaImage* image = nullptr;
    load(path, image);
    ASSERT_TRUE(image->hasPixels());
    EXPECT_EQ(image->pixelFormat, static_cast<uint32_t>(GL_RGBA));
    EXPECT_EQ(image->getInternalFormat(), static_cast<uint32_t>(GL_RGBA8));
    EXPECT_EQ(image->components, 4);
    EXPECT_EQ(Bytes(image->pixels, image->pixels + 8), (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));
    delete image;
}

TEST_F(TgaImageTest, SizeIsLittleEndianAndPixelAddressCountsDepth) {
    Bytes pixels(256 * 1 * 3, 0);
    const std::string path = writeFile("wide.tga", concat(header(256, 1, 24), pixels));
    TTgaImage* image = nullptr;
    load(path, image);
    EXPECT_EQ(image->width, 256);
    EXPECT_EQ(image->height, 1);
    EXPECT_EQ(image->pixelAddress(5, 0), image->pixels + 15);
    delete image;

    const std::string path32 = writeFile("four.tga", concat(header(4, 3, 32), Bytes(4 * 3 * 4, 9)));
    load(path32, image);
    EXPECT_EQ(image->pixelAddress(1, 2), image->pixels + 36);
    delete image;
}

TEST_F(TgaImageTest, DamagedFilesGiveAnEmptyImageAndOneLogLine) {
    expectEmpty(tempDir() + "no_such_file.tga", "cannot be opened");
    const Bytes full = header(2, 2, 24);
    expectEmpty(writeFile("short_header.tga", Bytes(full.begin(), full.begin() + 10)), "header");
    expectEmpty(writeFile("short_pixels.tga", concat(header(2, 2, 24), Bytes(11, 7))), "pixels");
    expectEmpty(writeFile("depth16.tga", concat(header(2, 2, 16), Bytes(8, 7))), "depth 16");
    expectEmpty(writeFile("zero_width.tga", concat(header(0, 4, 24), Bytes(12, 7))), "no pixels");
    expectEmpty(writeFile("zero_height.tga", header(4, 0, 32)), "no pixels");
    // A size far beyond the file is refused before anything is allocated.
    expectEmpty(writeFile("huge.tga", concat(header(65535, 65535, 32), Bytes(16, 7))), "pixels");
}

}  // namespace
