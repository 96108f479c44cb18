// The real program with the left mouse button held: fireballs leave the
// dragon and fly ahead of it, glowing orange over the green land.

#include <gtest/gtest.h>

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
