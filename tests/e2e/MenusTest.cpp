// The in-game menus in the real program: M near the castle opens the castle
// menu, E the equipment menu, Escape returns to the game each time.

#include <gtest/gtest.h>

#include "support/GameRunner.h"

namespace {

// Mean brightness of the sky band in the middle of the picture, where the
// menus lay their dark panel over the game.
double skyBrightness(const Picture& p) {
    long sum = 0;
    int n = 0;
    for (int y = 60; y < 140; ++y)
        for (int x = 240; x < 600; ++x, ++n) sum += p.at(x, y)[0] + p.at(x, y)[1] + p.at(x, y)[2];
    return static_cast<double>(sum) / n;
}

}  // namespace

TEST(MenusTest, CastleAndEquipmentMenusOpenAndReturnToTheGame) {
    const int m = kGameFrame + 20;  // the dragon starts 30 above the castle
    GameOptions options;
    options.initProps = defaultInitProps({{"RESX", "640"}, {"RESY", "480"}});
    options.script = std::to_string(m) + " key M\n" + std::to_string(m + 40) + " key ESCAPE\n" +
                     std::to_string(m + 80) + " key E\n" + std::to_string(m + 120) + " key ESCAPE\n";
    options.frameLimit = m + 180;
    options.screenshots = {m - 5, m + 30, m + 100, m + 160};
    const GameRun run = runGame(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    const Picture before = readPng(run.shot(m - 5)), castle = readPng(run.shot(m + 30)),
                  equipment = readPng(run.shot(m + 100)), after = readPng(run.shot(m + 160));
    ASSERT_TRUE(before.valid() && castle.valid() && equipment.valid() && after.valid());
    const double game = skyBrightness(before);
    EXPECT_LT(skyBrightness(castle), 0.8 * game);
    EXPECT_LT(skyBrightness(equipment), 0.8 * game);
    EXPECT_GT(skyBrightness(after), 0.9 * game);  // back in the game
}
