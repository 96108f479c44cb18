// Pictures of the real program: the first frame (cleared, with the frame-rate
// line), and the NV variant drawing the same game as the ARB one.

#include <gtest/gtest.h>

#include <cstdlib>
#include <future>

#include "support/GameRunner.h"

namespace {

GameOptions smallRun(const std::string& program, int frames, std::vector<int> shots) {
    GameOptions options;
    options.program = program;
    options.initProps = defaultInitProps({{"RESX", "640"}, {"RESY", "480"}});
    options.frameLimit = frames;
    options.screenshots = std::move(shots);
    return options;
}

bool isClearColour(const unsigned char* c) {
    return std::abs(c[0] - 128) <= 2 && std::abs(c[1] - 128) <= 2 && std::abs(c[2] - 255) <= 2;
}

}  // namespace

TEST(RenderTest, FirstFrameShowsOnlyTheClearColourAndTheFrameRate) {
    const GameRun run = runGame(smallRun("game", 3, {1}));
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    const Picture p = readPng(run.shot(1));
    ASSERT_TRUE(p.valid());
    // The text "fps: ..." stands at the top left of the overlay.
    int text = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 160; ++x) text += isClearColour(p.at(x, y)) ? 0 : 1;
    EXPECT_GT(text, 40);
    // Everything else is the clear colour.
    int other = 0;
    for (int y = 40; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) other += isClearColour(p.at(x, y)) ? 0 : 1;
    EXPECT_EQ(other, 0);
}

TEST(RenderTest, NvVariantDrawsTheSameGame) {
    const int frame = kGameFrame + 90;
    auto arb = std::async(std::launch::async, runGame, smallRun("game", frame + 2, {frame}));
    auto nv = std::async(std::launch::async, runGame, smallRun("game_nv", frame + 2, {frame}));
    const GameRun a = arb.get(), n = nv.get();
    EXPECT_EQ(a.exitCode, 0) << a.errors;
    EXPECT_EQ(n.exitCode, 0) << n.errors;
    EXPECT_EQ(n.errors.find("ERROR"), std::string::npos) << n.errors;
    EXPECT_EQ(n.errors.find("does not translate"), std::string::npos) << n.errors;
    const Picture pa = readPng(a.shot(frame)), pn = readPng(n.shot(frame));
    ASSERT_TRUE(pa.valid() && pn.valid());
    ASSERT_EQ(pa.width, pn.width);
    long differing = 0;
    for (int y = 0; y < pa.height; ++y)
        for (int x = 0; x < pa.width; ++x) {
            const unsigned char* p = pa.at(x, y);
            const unsigned char* q = pn.at(x, y);
            if (std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 12) ++differing;
        }
    EXPECT_LT(differing, pa.width * pa.height / 200) << "pixels differing: " << differing;
}

TEST(RenderTest, MissingSoundFilesAreLoggedAndTheGameRunsOn) {
    GameOptions options = smallRun("game", kGameFrame + 120, {kGameFrame + 100});
    options.omitFolders = {"sound"};
    const GameRun run = runGame(options);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(run.log.find("Failed to load music."), std::string::npos);
    EXPECT_NE(run.log.find("Failed to load sound."), std::string::npos);
    EXPECT_NE(run.log.find("TKI@think(): Alle Ballone fertig mit think()."), std::string::npos);
    EXPECT_TRUE(readPng(run.shot(kGameFrame + 100)).valid());
}
