// The generated ground, level map, light map, ground pictures, settings file
// and sounds, read back from the build folder.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>

#include "support/DataFiles.h"

namespace {

using testdata::heightAt;
using testdata::readBuildFile;
using testdata::readTga;
using testdata::Tga;

constexpr int kWorld = 2048;

class TerrainDataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        heights_ = new Tga(readTga("terrain/bodenheight1.tga"));
        map_ = new Tga(readTga("terrain/LevelMap_1.tga"));
    }
    static void TearDownTestSuite() {
        delete heights_;
        delete map_;
    }
    static Tga* heights_;
    static Tga* map_;
};

Tga* TerrainDataTest::heights_ = nullptr;
Tga* TerrainDataTest::map_ = nullptr;

TEST_F(TerrainDataTest, HeightImageIsAnIslandInTheSea) {
    ASSERT_TRUE(heights_->valid());
    ASSERT_EQ(heights_->width, kWorld);
    ASSERT_EQ(heights_->height, kWorld);
    ASSERT_EQ(heights_->bytesPerPixel, 3);
    float deepest = 0.0f, peak = 512.0f;
    for (int y = 0; y < kWorld; ++y) {
        for (int x = 0; x < kWorld; ++x) {
            const float z = heightAt(*heights_, x, y);
            ASSERT_GT(z, 0.0f);
            ASSERT_LE(z, 512.0f);
            deepest = std::max(deepest, z);
            peak = std::min(peak, z);
            if (std::hypot(x - 1024.0f, y - 1024.0f) > 1000.0f) {
                ASSERT_GT(z, 500.0f) << x << "," << y;
            }
        }
    }
    EXPECT_GT(deepest, 505.0f);   // a sea floor below the water
    EXPECT_LT(peak, 440.0f);  // hills well above it
    EXPECT_LT(heightAt(*heights_, 1024, 1024), 495.0f);
}

TEST_F(TerrainDataTest, LevelMapPlacesIsolatedObjectsOnDryLand) {
    ASSERT_TRUE(map_->valid());
    ASSERT_EQ(map_->width, kWorld);
    ASSERT_EQ(map_->height, kWorld);
    ASSERT_EQ(map_->bytesPerPixel, 3);
    std::map<int, int> counts;
    for (int y = 0; y < kWorld; ++y) {
        for (int x = 0; x < kWorld; ++x) {
            const uint8_t* p = map_->at(x, y);
            if (p[0] == 0 && p[1] == 0 && p[2] == 0) continue;
            ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << "code differs between bytes at " << x << "," << y;
            ++counts[p[0]];
            ASSERT_LT(heightAt(*heights_, x, y), 495.0f) << "object in the water at " << x << "," << y;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if ((dx || dy) && x + dx >= 0 && y + dy >= 0 && x + dx < kWorld && y + dy < kWorld) {
                        ASSERT_EQ(map_->at(x + dx, y + dy)[0], 0) << "objects touch at " << x << "," << y;
                    }
        }
    }
    EXPECT_EQ(counts.size(), 4u);
    EXPECT_EQ(counts[100], 1);
    EXPECT_EQ(counts[200], 5);
    EXPECT_EQ(counts[50], 6);
    EXPECT_GE(counts[150], 200);
    EXPECT_LE(counts[150], 1000);
}

TEST_F(TerrainDataTest, BuildingsStandOnFlatGround) {
    ASSERT_TRUE(map_->valid() && heights_->valid());
    for (int y = 0; y < kWorld; ++y) {
        for (int x = 0; x < kWorld; ++x) {
            const int code = map_->at(x, y)[0];
            if (code != 50 && code != 100 && code != 200) continue;
            const int r = code == 100 ? 90 : 30;
            const float z0 = heightAt(*heights_, x, y);
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx)
                    if (dx * dx + dy * dy <= r * r) {
                        ASSERT_NEAR(heightAt(*heights_, x + dx, y + dy), z0, 0.01f) << "site " << x << "," << y;
                    }
        }
    }
}

TEST(TerrainFilesTest, LightMapHasOneByteForEveryHeightPixelWithShadows) {
    const std::vector<uint8_t> light = readBuildFile("terrain/shadowtest.sdm");
    ASSERT_EQ(light.size(), static_cast<size_t>(kWorld) * kWorld);
    int dark = 0, bright = 0;
    for (uint8_t v : light) {
        dark += v < 120;
        bright += v > 200;
    }
    EXPECT_GT(dark, 1000);    // slopes away from the sun and cast shadows
    EXPECT_GT(bright, 1000);  // slopes facing it
}

TEST(TerrainFilesTest, GroundPicturesArePowerOfTwoTextures) {
    for (const char* name : {"tex/minimap.tga", "tex/bodenalpha.tga", "tex/tile1.tga", "tex/tile2.tga",
                             "tex/tile3.tga"}) {
        const Tga t = readTga(name);
        ASSERT_TRUE(t.valid()) << name;
        EXPECT_EQ(t.width & (t.width - 1), 0) << name;
        EXPECT_EQ(t.height & (t.height - 1), 0) << name;
    }
    // The blend map's three weights share out 255.
    const Tga blend = readTga("tex/bodenalpha.tga");
    for (int y = 0; y < blend.height; y += 7)
        for (int x = 0; x < blend.width; x += 7) {
            const uint8_t* p = blend.at(x, y);
            ASSERT_EQ(p[0] + p[1] + p[2], 255) << x << "," << y;
        }
}

std::map<std::string, std::string> readProps(bool& blankLine) {
    const std::vector<uint8_t> bytes = readBuildFile("init.props");
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::map<std::string, std::string> props;
    blankLine = false;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) blankLine = true;
        if (line.empty() || line[0] == '#') continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        props[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return props;
}

TEST(TerrainFilesTest, SettingsHoldTheDefaultsWithoutBlankLines) {
    bool blank = true;
    auto props = readProps(blank);
    EXPECT_FALSE(blank);
    EXPECT_EQ(props["RESX"], "1024");
    EXPECT_EQ(props["RESY"], "768");
    EXPECT_EQ(props["FULLSCREEN"], "FALSE");
    EXPECT_EQ(props["STARTZ"], "0");
    EXPECT_EQ(props["CURSOR"], "OFF");
    EXPECT_EQ(props["STARTUP"], "ON");
    EXPECT_EQ(props["SOUND"], "ON");
    EXPECT_EQ(props["MUSIC"], "ON");
    EXPECT_EQ(props["MUSIC0_TYPE"], "NOSEQ");
    EXPECT_EQ(props["MUSIC_VOLUME"], "160");
    EXPECT_EQ(props["MAX_BURG_GOLD"], "1000");
    ASSERT_FALSE(props["MUSIC0"].empty());
    EXPECT_FALSE(readBuildFile(props["MUSIC0"]).empty()) << props["MUSIC0"];
}

int32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24));
}

// Every sample and stream the game loads: RIFF WAVE, PCM, mono, 16 bits,
// with its data complete and not silent.
TEST(TerrainFilesTest, EverySoundTheGameLoadsIsAMonoWave) {
    bool blank;
    const std::string music = readProps(blank)["MUSIC0"];
    for (const std::string& name :
         {std::string("sound/dwarf_walk.wav"), std::string("sound/dwarf_die.wav"), std::string("sound/dwarf_fight.wav"),
          std::string("sound/dwarf_hurt.wav"), std::string("sound/dwarf_snore.wav"), std::string("sound/dragon_fire.wav"),
          std::string("sound/dragon_snarl.wav"), std::string("sound/dragon_logo.wav"), std::string("sound/lostgame.wav"),
          std::string("sound/wind2.wav"), std::string("sound/bird.wav"), std::string("sound/ballon_ok.wav"),
          std::string("sound/switch.wav"), std::string("sound/enter.wav"), std::string("sound/cloudforge.mp3"),
          std::string("sound/DemoIntro.wav"), std::string("sound/valdrun.mp3"), music}) {
        const std::vector<uint8_t> b = readBuildFile(name);
        ASSERT_GE(b.size(), 44u) << name;
        EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF") << name;
        EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ") << name;
        EXPECT_EQ(b[20] | (b[21] << 8), 1) << name;  // PCM
        EXPECT_EQ(b[22] | (b[23] << 8), 1) << name;  // mono
        EXPECT_EQ(b[34] | (b[35] << 8), 16) << name;
        EXPECT_EQ(static_cast<size_t>(le32(b, 40)) + 44, b.size()) << name;
        int loud = 0;
        for (size_t i = 44; i + 1 < b.size(); i += 2) loud += std::abs(static_cast<int16_t>(b[i] | (b[i + 1] << 8))) > 3000;
        EXPECT_GT(loud, 50) << name;
    }
}

}  // namespace
