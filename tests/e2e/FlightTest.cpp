// The real program flies the dragon by scripted keys: what the keys do shows
// in the pictures the test hooks take, and the frames stay upright.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <future>

#include "support/GameRunner.h"

namespace {

// The game runs after the loading screen and the main menu; the dragon is
// steered from kStart on.
const int kStart = kGameFrame;
const int kEnd = kGameFrame + 340;

GameRun fly(const std::string& script) {
    GameOptions options;
    options.initProps = defaultInitProps({{"RESX", "640"}, {"RESY", "480"}});
    options.frameLimit = kEnd + 5;
    options.script = script;
    options.screenshots = {kStart, kEnd};
    return runGame(options);
}

// Mean difference of the two pictures over the landscape, leaving out the
// top bar, the minimap and the dragon in the middle.
double landscapeChange(const Picture& a, const Picture& b) {
    double sum = 0;
    int n = 0;
    for (int y = 60; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            if (x < 185 && y > 295) continue;                          // minimap
            if (x > 200 && x < 440 && y > 220 && y < 430) continue;    // dragon
            const unsigned char* p = a.at(x, y);
            const unsigned char* q = b.at(x, y);
            sum += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]);
            ++n;
        }
    return sum / n;
}

}  // namespace

TEST(FlightTest, ArrowKeysMoveTheDragonAndTheFramesStayUpright) {
    // Three runs side by side: hovering, speeding up, sliding to the left.
    auto stillRun = std::async(std::launch::async, fly, std::string());
    auto aheadRun = std::async(std::launch::async, fly, std::to_string(kStart + 1) + " keydown UP\n");
    auto asideRun = std::async(std::launch::async, fly, std::to_string(kStart + 1) + " keydown LEFT\n");
    const GameRun still = stillRun.get(), ahead = aheadRun.get(), aside = asideRun.get();
    for (const GameRun* run : {&still, &ahead, &aside}) {
        ASSERT_FALSE(run->timedOut);
        EXPECT_EQ(run->exitCode, 0) << run->errors;
        EXPECT_EQ(run->errors.find("ERROR"), std::string::npos) << run->errors;
    }
    const Picture stillFrom = readPng(still.shot(kStart)), stillTo = readPng(still.shot(kEnd));
    const Picture aheadFrom = readPng(ahead.shot(kStart)), aheadTo = readPng(ahead.shot(kEnd));
    const Picture asideTo = readPng(aside.shot(kEnd));
    ASSERT_TRUE(stillFrom.valid() && stillTo.valid() && aheadFrom.valid() && aheadTo.valid() && asideTo.valid());

    // Left alone the dragon hovers: the landscape hardly changes.
    const double idle = landscapeChange(stillFrom, stillTo);
    EXPECT_LT(idle, 3.0);
    // Speeding up and sliding sideways move the view.
    EXPECT_GT(landscapeChange(aheadFrom, aheadTo), idle + 10.0);
    EXPECT_GT(landscapeChange(stillTo, asideTo), idle + 10.0);
    EXPECT_GT(landscapeChange(aheadTo, asideTo), 10.0);

    // Upright: sky (blue above red and green) over the top of the picture,
    // ground below.
    for (const Picture* p : {&stillTo, &aheadTo, &asideTo}) {
        const Mean sky = meanOf(*p, 200, 60, 640, 120);
        EXPECT_GT(sky.b, sky.r + 30);
        EXPECT_GT(sky.b, sky.g);
        const Mean ground = meanOf(*p, 450, 420, 640, 480);
        EXPECT_LT(ground.b, std::max(ground.r, ground.g));
    }
}
