// The generated textures in tex/, read back with a reader of the test's own:
// formats, sizes, and that the pictures lie where the screens' texture
// coordinates look for them. Texture coordinates are taken the way GL takes
// the file's rows: t = 0 is the first row in the file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/TestPaths.h"

namespace {

struct Tga {
    int width = 0, height = 0, depth = 0;
    std::vector<uint8_t> header;
    std::vector<uint8_t> pixels;  // file order, B G R (A)
    long fileSize = 0;

    bool ok() const { return width > 0 && height > 0; }
    int channels() const { return depth / 8; }
    // Texel at texture coordinate (s, t) in GL's reading of the rows: R G B A.
    std::vector<int> at(float s, float t) const {
        int x = static_cast<int>(s * width);
        int y = static_cast<int>(t * height);
        x = x < 0 ? 0 : (x >= width ? width - 1 : x);
        y = y < 0 ? 0 : (y >= height ? height - 1 : y);
        const uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * channels()];
        return {p[2], p[1], p[0], channels() == 4 ? p[3] : 255};
    }
    std::vector<int> texel(int x, int row) const { return at((x + 0.5f) / width, (row + 0.5f) / height); }
};

Tga readTga(const std::string& name) {
    Tga t;
    const std::string path = binaryDir() + "/tex/" + name;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return t;
    std::fseek(f, 0, SEEK_END);
    t.fileSize = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    t.header.resize(18);
    if (std::fread(t.header.data(), 1, 18, f) == 18) {
        t.width = t.header[12] | t.header[13] << 8;
        t.height = t.header[14] | t.header[15] << 8;
        t.depth = t.header[16];
        t.pixels.resize(static_cast<size_t>(t.width) * t.height * (t.depth / 8));
        if (t.pixels.empty() || std::fread(t.pixels.data(), 1, t.pixels.size(), f) != t.pixels.size()) t.width = 0;
    }
    std::fclose(f);
    return t;
}

std::vector<std::string> allNames() {
    std::vector<std::string> n = {"bluesky_bk.tga", "bluesky_ft.tga", "bluesky_rt.tga", "bluesky_lf.tga",
                                  "bluesky_up.tga", "bloodparticle.tga", "magicparticle.tga", "perlinnormals.tga",
                                  "menu_elemente.tga", "loading_2.tga", "menu_512.tga", "menu_nebel.tga",
                                  "startup.tga", "Logo_neu.tga", "logo_sky.tga", "sky_new.tga", "cloud.tga",
                                  "cloud_small.tga", "Wolkenbank.tga", "Nacht.tga", "Nebel.tga"};
    for (int i = 0; i < 4; ++i) n.push_back("fireball" + std::to_string(i) + ".tga");
    for (int i = 0; i < 16; ++i) n.push_back("fires" + std::to_string(i) + ".tga");
    return n;
}

float luminance(const std::vector<int>& c) { return 0.3f * c[0] + 0.59f * c[1] + 0.11f * c[2]; }

bool powerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

}  // namespace

TEST(GeneratedTexturesTest, EveryTextureIsAnUncompressedPowerOfTwoTga) {
    for (const std::string& name : allNames()) {
        SCOPED_TRACE(name);
        const Tga t = readTga(name);
        ASSERT_TRUE(t.ok());
        EXPECT_EQ(t.header[0], 0);  // no ID field
        EXPECT_EQ(t.header[1], 0);  // no colour map
        EXPECT_EQ(t.header[2], 2);  // uncompressed true colour
        EXPECT_TRUE(t.depth == 24 || t.depth == 32);
        EXPECT_TRUE(powerOfTwo(t.width) && powerOfTwo(t.height));
        EXPECT_LE(t.width, 512);
        EXPECT_EQ(t.fileSize, 18L + static_cast<long>(t.width) * t.height * (t.depth / 8));
    }
}

TEST(GeneratedTexturesTest, SlicesOfEach3DTextureAndCubeFacesShareOneSize) {
    const struct {
        const char* base;
        int count;
    } stacks[] = {{"fireball", 4}, {"fires", 16}};
    for (const auto& s : stacks) {
        const Tga first = readTga(std::string(s.base) + "0.tga");
        for (int i = 1; i < s.count; ++i) {
            const Tga t = readTga(s.base + std::to_string(i) + ".tga");
            EXPECT_EQ(t.width, first.width) << s.base << i;
            EXPECT_EQ(t.height, first.height) << s.base << i;
            EXPECT_EQ(t.depth, first.depth) << s.base << i;
        }
    }
    const Tga up = readTga("bluesky_up.tga");
    EXPECT_EQ(up.width, up.height);
    for (const char* face : {"bluesky_bk.tga", "bluesky_ft.tga", "bluesky_rt.tga", "bluesky_lf.tga"}) {
        const Tga t = readTga(face);
        EXPECT_EQ(t.width, up.width) << face;
        EXPECT_EQ(t.height, up.height) << face;
    }
}

// Looks the sky up the way the sky box does: the box is drawn turned by +90
// degrees about z, the cube faces are +X bk, -X ft, +Y rt, -Y lf, +Z and -Z up.
class SkyBox {
public:
    SkyBox()
        : faces_{readTga("bluesky_bk.tga"), readTga("bluesky_ft.tga"), readTga("bluesky_rt.tga"),
                 readTga("bluesky_lf.tga"), readTga("bluesky_up.tga"), readTga("bluesky_up.tga")} {}

    // World direction (z down) -> colour.
    std::vector<int> look(float wx, float wy, float wz) const {
        const float rx = wy, ry = -wx, rz = wz;  // undo the turn
        const float ax = std::fabs(rx), ay = std::fabs(ry), az = std::fabs(rz);
        int face;
        float sc, tc, ma;
        if (ax >= ay && ax >= az) {
            ma = ax;
            face = rx > 0 ? 0 : 1;
            sc = rx > 0 ? -rz : rz;
            tc = -ry;
        } else if (ay >= az) {
            ma = ay;
            face = ry > 0 ? 2 : 3;
            sc = rx;
            tc = ry > 0 ? rz : -rz;
        } else {
            ma = az;
            face = rz > 0 ? 4 : 5;
            sc = rz > 0 ? rx : -rx;
            tc = -ry;
        }
        return faces_[face].at((sc / ma + 1) / 2, (tc / ma + 1) / 2);
    }
    std::vector<int> atElevation(float azimuth, float elevation) const {
        return look(std::cos(elevation) * std::cos(azimuth), std::cos(elevation) * std::sin(azimuth),
                    -std::sin(elevation));
    }

private:
    Tga faces_[6];
};

TEST(GeneratedTexturesTest, SkyCubeIsContinuousWithItsHorizonLevel) {
    const SkyBox sky;
    const float pi = 3.14159265f;
    // Walking round the sky at several heights, neighbouring directions (also
    // across face edges) differ little.
    for (float el : {0.1f, 0.4f, 0.7f, 1.0f, 1.3f}) {
        for (int i = 0; i < 720; ++i) {
            const float az = i * pi / 360.0f;
            const std::vector<int> a = sky.atElevation(az, el);
            const std::vector<int> b = sky.atElevation(az + pi / 360.0f, el);
            for (int c = 0; c < 3; ++c) ASSERT_LE(std::abs(a[c] - b[c]), 40) << "elevation " << el << " azimuth " << az;
        }
    }
    // Pale near the horizon, deep blue overhead, whichever way one looks.
    float horizon = 0, zenith = 0;
    for (int i = 0; i < 64; ++i) {
        const float az = i * pi / 32.0f;
        horizon += luminance(sky.atElevation(az, 0.03f));
        zenith += luminance(sky.atElevation(az, 1.45f));
        const std::vector<int> top = sky.atElevation(az, 1.45f);
        EXPECT_GT(top[2], top[0]);
    }
    EXPECT_GT(horizon, zenith + 64 * 30.0f);
}

TEST(GeneratedTexturesTest, SpritesFadeOutBeforeTheirBorder) {
    std::vector<std::string> sprites = {"bloodparticle.tga", "magicparticle.tga", "cloud.tga", "cloud_small.tga",
                                        "Wolkenbank.tga"};
    for (int i = 0; i < 4; ++i) sprites.push_back("fireball" + std::to_string(i) + ".tga");
    for (int i = 0; i < 16; ++i) sprites.push_back("fires" + std::to_string(i) + ".tga");
    for (const std::string& name : sprites) {
        SCOPED_TRACE(name);
        const Tga t = readTga(name);
        ASSERT_EQ(t.depth, 32);
        int border = 0;
        for (int i = 0; i < t.width; ++i)
            border = std::max({border, t.texel(i, 0)[3], t.texel(i, t.height - 1)[3]});
        for (int j = 0; j < t.height; ++j)
            border = std::max({border, t.texel(0, j)[3], t.texel(t.width - 1, j)[3]});
        EXPECT_EQ(border, 0);
        int alpha = 0;
        for (size_t i = 3; i < t.pixels.size(); i += 4) alpha = std::max<int>(alpha, t.pixels[i]);
        EXPECT_GT(alpha, 180);
    }
}

TEST(GeneratedTexturesTest, FireSlicesChangeFromSliceToSliceAndLoop) {
    // Neighbouring frames differ a little, and the last leads back to the first.
    auto difference = [](const Tga& a, const Tga& b) {
        double sum = 0;
        for (size_t i = 0; i < a.pixels.size(); ++i) sum += std::abs(a.pixels[i] - b.pixels[i]);
        return sum / a.pixels.size();
    };
    std::vector<Tga> fires;
    for (int i = 0; i < 16; ++i) fires.push_back(readTga("fires" + std::to_string(i) + ".tga"));
    for (int i = 0; i < 16; ++i) {
        const double d = difference(fires[i], fires[(i + 1) % 16]);
        EXPECT_GT(d, 0.5) << i;
        EXPECT_LT(d, 40.0) << i;
    }
}

TEST(GeneratedTexturesTest, TopBarPicturesLieInTheirRegions) {
    const Tga me = readTga("menu_elemente.tga");
    ASSERT_EQ(me.depth, 32);
    // Icons: opaque in the middle of their region; the heart red, the coins gold.
    const auto heart = me.at(0.12f, 0.88f);
    EXPECT_GT(heart[3], 200);
    EXPECT_GT(heart[0], 2 * heart[1]);
    const auto gold = me.at(0.0975f, 0.73f);  // the top coin
    EXPECT_GT(gold[3], 200);
    EXPECT_GT(gold[0], 150);
    EXPECT_GT(gold[1], gold[2]);
    EXPECT_GT(me.at(0.1f, 0.27f)[3], 200);    // the gold icon's blink picture
    EXPECT_GT(me.at(0.33f, 0.48f)[3], 200);   // balloon
    EXPECT_EQ(me.at(0.01f, 0.995f)[3], 0);   // the icons' corners are clear
    EXPECT_EQ(me.at(0.42f, 0.41f)[3], 0);
    // Gauges: the frame is see-through inside, the fills are solid.
    EXPECT_LT(me.at(0.6f, 0.96f)[3], 200);
    const auto life = me.at(0.6f, 0.865f);
    EXPECT_EQ(life[3], 255);
    EXPECT_GT(life[0], 2 * life[1]);
    const auto goldFill = me.at(0.6f, 0.77f);
    EXPECT_EQ(goldFill[3], 255);
    EXPECT_GT(goldFill[1], goldFill[2] + 60);
    // A fill leaves the frame's border free: its first and last rows and
    // columns are clear.
    EXPECT_EQ(me.at(0.6f, 0.899f)[3], 0);
    EXPECT_EQ(me.at(0.6f, 0.831f)[3], 0);
    EXPECT_EQ(me.at(0.241f, 0.865f)[3], 0);
    // Between the regions nothing is drawn.
    EXPECT_EQ(me.at(0.46f, 0.7f)[3], 0);
}

TEST(GeneratedTexturesTest, MenuPanelIsOpaqueAndDarkForTheCaptions) {
    const Tga me = readTga("menu_elemente.tga");
    for (float s : {0.6f, 0.75f, 0.9f})
        for (float t : {0.1f, 0.22f, 0.35f}) {
            const auto c = me.at(s, t);
            EXPECT_EQ(c[3], 255) << s << " " << t;
            EXPECT_LT(luminance(c), 90.0f) << s << " " << t;
        }
    // Its brass border runs along the region's edges.
    const auto border = me.at(0.75f, 0.453125f - 0.004f);
    EXPECT_GT(border[0], 120);
}

TEST(GeneratedTexturesTest, MainMenuItemsGlowInTheirLaterFrames) {
    const Tga mm = readTga("menu_512.tga");
    // Item i, frame f: texel columns 311..511, rows (from the file's start)
    // [top - 50, top) with top = 512 - 50 f - offset(i).
    const int offset[3] = {0, 300, 150};
    for (int item = 0; item < 3; ++item) {
        float lum[3];
        float brightest = 0;
        for (int f = 0; f < 3; ++f) {
            const int top = 512 - 50 * f - offset[item];
            double sum = 0;
            for (int row = top - 50; row < top; ++row)
                for (int x = 311; x < 512; ++x) {
                    const float l = luminance(mm.texel(x, row));
                    sum += l;
                    if (f == 0) brightest = std::max(brightest, l);
                }
            lum[f] = static_cast<float>(sum / (50 * 201));
        }
        EXPECT_GT(lum[1], lum[0] + 1.0f) << item;
        EXPECT_GT(lum[2], lum[1] + 1.0f) << item;
        EXPECT_GT(brightest, 180.0f) << item;  // its caption
    }
    // Below the items (t < 62 / 512) the item column is empty.
    for (int row = 0; row < 60; ++row) EXPECT_LT(luminance(mm.texel(400, row)), 20.0f);
    // The background (s < 300 / 512) is a picture, not black.
    double sum = 0;
    for (int row = 0; row < 512; row += 4)
        for (int x = 0; x < 300; x += 4) sum += luminance(mm.texel(x, row));
    EXPECT_GT(sum / (128 * 75), 20.0);
}

TEST(GeneratedTexturesTest, LoadingBarLiesBelowThePicture) {
    const Tga ld = readTga("loading_2.tga");
    // The bar (t 0..0.12) is fire-coloured; the top of the picture is night sky.
    const auto bar = ld.at(0.9f, 0.1f);
    EXPECT_GT(bar[0], 180);
    EXPECT_GT(bar[0], bar[2] + 80);
    const auto sky = ld.at(0.5f, 0.99f);
    EXPECT_GT(sky[2], sky[0]);
    EXPECT_LT(luminance(sky), 80.0f);
}

TEST(GeneratedTexturesTest, SkyTitleUsesOnlyTheStripTheIntroShows) {
    const Tga t = readTga("logo_sky.tga");
    ASSERT_EQ(t.depth, 32);
    int outside = 0, inside = 0;
    for (int row = 0; row < t.height; ++row)
        for (int x = 0; x < t.width; ++x) {
            const int a = t.texel(x, row)[3];
            if (row >= 0.27f * t.height)
                outside = std::max(outside, a);
            else if (a == 255)
                ++inside;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(inside, 2000);
}

TEST(GeneratedTexturesTest, PicturesUnderFadeOverlaysAreOpaque) {
    // The screens draw their black fade quads with these still bound; an
    // alpha channel would thin the fade.
    for (const char* name : {"Nebel.tga", "Logo_neu.tga", "menu_512.tga", "startup.tga", "loading_2.tga"})
        EXPECT_EQ(readTga(name).depth, 24) << name;
}

TEST(GeneratedTexturesTest, WaterNormalMapHoldsUnitNormalsAndTiles) {
    const Tga t = readTga("perlinnormals.tga");
    ASSERT_EQ(t.depth, 24);
    double wrapStep = 0, innerStep = 0;
    for (int row = 0; row < t.height; ++row) {
        for (int x = 0; x < t.width; ++x) {
            const auto c = t.texel(x, row);
            const float n[3] = {c[0] / 127.5f - 1, c[1] / 127.5f - 1, c[2] / 127.5f - 1};
            const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            ASSERT_NEAR(len, 1.0f, 0.03f);
            ASSERT_GT(n[2], 0.5f);
        }
        const auto first = t.texel(0, row), last = t.texel(t.width - 1, row);
        const auto a = t.texel(100, row), b = t.texel(101, row);
        for (int c = 0; c < 3; ++c) {
            wrapStep += std::abs(first[c] - last[c]);
            innerStep += std::abs(a[c] - b[c]);
        }
    }
    // Across the wrap the map changes no more than between neighbours.
    EXPECT_LT(wrapStep, 2.0 * innerStep + t.height);
}
