// The real program with the left mouse button held: fireballs leave the
// dragon and fly ahead of it, glowing orange over the green land, and a tower
// they are aimed at falls.

#include <gtest/gtest.h>

#include <algorithm>

#include "support/GameRunner.h"

namespace {

const int kPress = kGameFrame;  // the game runs by then

// Orange fire pixels in the strip ahead of the dragon (above its head, where
// the shots fly towards the horizon).
int firePixels(const Picture& p) {
    int n = 0;
    for (int y = 120; y < 320; ++y)
        for (int x = 260; x < 380; ++x) {
            const unsigned char* c = p.at(x, y);
            if (c[0] > 200 && c[2] < 150 && c[0] - c[2] > 90) ++n;
        }
    return n;
}

// Dark stone of a tower's body against the sky in the middle of the picture,
// where the dragon's nose points in the run below (fire is bright, the sky
// blue).
int towerPixels(const Picture& p) {
    int n = 0;
    for (int y = 236; y < 259; ++y)
        for (int x = 300; x < 337; ++x) {
            const unsigned char* c = p.at(x, y);
            if (std::max({c[0], c[1], c[2]}) < 0x90 && c[2] < c[0] + 0x20) ++n;
        }
    return n;
}

}  // namespace

TEST(FireballTest, HoldingTheLeftButtonShootsFireballsAhead) {
    GameOptions options;
    options.initProps = defaultInitProps({{"RESX", "640"}, {"RESY", "480"}});
    options.script = std::to_string(kPress) + " ldown 200 200\n";
    options.frameLimit = kPress + 60;
    options.screenshots = {kPress - 2, kPress + 20, kPress + 55};
    const GameRun run = runGame(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(0, run.exitCode) << run.errors;

    const Picture before = readPng(run.shot(kPress - 2));
    const Picture shooting = readPng(run.shot(kPress + 20));
    const Picture later = readPng(run.shot(kPress + 55));
    ASSERT_TRUE(before.valid() && shooting.valid() && later.valid());
    EXPECT_LT(firePixels(before), 10);
    EXPECT_GT(firePixels(shooting), 30);
    EXPECT_GT(firePixels(later), 30);  // one shot every 1500 ms of game time
}

TEST(FireballTest, ShotsAimedAtATowersBodyBringItDown) {
    // The dragon turns towards the tower south-east of the castle, whose upper
    // spheres lie in the grid cell above its base's, climbs, levels off
    // about 86 units from it and aims a little down at the middle of its
    // body; then it fires for 1400 frames (some 90 shots; 51 bring it down).
    GameOptions options;
    options.initProps = defaultInitProps({{"RESX", "640"}, {"RESY", "480"}});
    options.script =
        "490 mousemove 326 200\n"
        "500 mousemove 200 90\n"
        "510 keydown UP\n"
        "1510 keyup UP\n"
        "1510 mousemove 200 310\n"
        "1880 mousemove 200 205\n"
        "1900 ldown 200 200\n"
        "3300 lup 200 200\n";
    options.frameLimit = 3600;
    options.screenshots = {1890, 3560};
    options.timeoutSeconds = 280;  // the test's own limit is 300 s
    const GameRun run = runGame(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(0, run.exitCode) << run.errors;

    const Picture aimed = readPng(run.shot(1890));
    const Picture after = readPng(run.shot(3560));
    ASSERT_TRUE(aimed.valid() && after.valid());
    EXPECT_GT(towerPixels(aimed), 300);  // the tower stands ahead
    EXPECT_LT(towerPixels(after), 60);   // fallen; its fire has burnt out
}
