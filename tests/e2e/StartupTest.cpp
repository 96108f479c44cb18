// Start-up and shutdown of the real program: the log, the property file, the
// window and the screen stack's result codes.

#include <gtest/gtest.h>

#include <sstream>

#include "support/GameRunner.h"
#include "support/TestPaths.h"
#include "game/TRoutingTable.h"

namespace {

// A small window keeps the runs quick.
std::string smallWindowProps(std::map<std::string, std::string> more = {}) {
    more.emplace("RESX", "640");
    more.emplace("RESY", "480");
    return defaultInitProps(more);
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(Startup, RunsIntoTheLevelAndEndsCleanlyWhenTheWindowCloses) {
    GameOptions options;
    options.initProps = smallWindowProps();
    options.frameLimit = kGameFrame + 100;
    const GameRun run = runGame(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.log.rfind("Korvalis - Program Documentation\n", 0), 0u) << run.log.substr(0, 200);
    EXPECT_TRUE(contains(run.log, "\nLoggin started at "));
    EXPECT_TRUE(contains(run.log, "Property-Datei erfolgreich gelesen.\n"));
    EXPECT_TRUE(contains(run.log, "STARTZ = '0'\n"));
    EXPECT_TRUE(contains(run.log, "\nSound (END)\n"));
    // The AI controller ran in the level.
    EXPECT_TRUE(contains(run.log, "TKI@think(): Alle Ballone fertig mit think().\n"));
    // No message box (they are written to standard error as "caption: text").
    EXPECT_FALSE(contains(run.errors, "ERROR")) << run.errors;
    EXPECT_FALSE(contains(run.errors, "programs")) << run.errors;
}

// A "Log.txt" that cannot be opened (a folder of that name is in the way)
// costs only the log: the program runs into the level and ends as usual.
TEST(Startup, RunsOnWhenTheLogCannotBeOpened) {
    GameOptions options;
    options.initProps = smallWindowProps();
    options.emptyFolders = {"Log.txt"};
    options.frameLimit = kGameFrame + 20;
    options.screenshots = {kGameFrame + 10};
    const GameRun run = runGame(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(run.log.empty());
    EXPECT_TRUE(readPng(run.shot(kGameFrame + 10)).valid());
}

TEST(Startup, LogHoldsTheDumpOfTheGeneratedWayPointFile) {
    GameOptions options;
    options.initProps = smallWindowProps();
    options.frameLimit = 5;
    const GameRun run = runGame(options);
    EXPECT_EQ(run.exitCode, 0) << run.errors;

    TRoutingTable table;
    ASSERT_EQ(table.load((binaryDir() + "/Levels/Level_1.wpf").c_str()), 0);
    std::ostringstream dump;
    table.dump(dump);
    ASSERT_GT(dump.str().size(), 200u);
    EXPECT_TRUE(contains(run.log, dump.str()));
    EXPECT_TRUE(contains(run.log, "Name: Burg Endpunkte ("));
}

TEST(Startup, EscapeLeadsToTheMainMenuWhoseLastItemQuits) {
    GameOptions options;
    options.initProps = smallWindowProps();
    options.frameLimit = kGameFrame + 1500;  // the safety net only
    const int escape = kGameFrame + 20, menu = escape + 60;
    options.script = std::to_string(escape) + " key ESCAPE\n" + std::to_string(menu + 10) + " key DOWN\n" +
                     std::to_string(menu + 20) + " key DOWN\n" + std::to_string(menu + 30) + " key RETURN\n";
    options.screenshots = {escape - 5, menu, kGameFrame + 1400};
    const GameRun run = runGame(options);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    const Picture game = readPng(run.shot(escape - 5)), mainMenu = readPng(run.shot(menu));
    ASSERT_TRUE(game.valid() && mainMenu.valid());
    // The game's sky is light; the main menu stands on a dark night picture.
    auto brightness = [](const Picture& p) {
        long sum = 0;
        for (int y = 60; y < 200; ++y)
            for (int x = 100; x < 540; ++x) sum += p.at(x, y)[0] + p.at(x, y)[1] + p.at(x, y)[2];
        return sum / (140 * 440);
    };
    EXPECT_GT(brightness(game), 2 * brightness(mainMenu));
    EXPECT_FALSE(readPng(run.shot(kGameFrame + 1400)).valid());  // it ended long before
}

TEST(Startup, ClosingTheWindowDuringTheIntroEndsTheProgram) {
    GameOptions options;
    options.initProps = smallWindowProps({{"STARTUP", "ON"}});
    options.enterGame = false;
    options.frameLimit = 3000;  // the safety net only
    options.script = std::to_string(kMainMenuFrame + 40) + " close\n";
    const GameRun run = runGame(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(contains(run.log, "Property-Datei erfolgreich gelesen.\n"));
    EXPECT_FALSE(contains(run.log, "Lade menu_512"));  // the main menu never came
    EXPECT_TRUE(contains(run.errors, "") && !contains(run.errors, "Frame limit"));
}

TEST(Startup, MissingPropertyFileIsLoggedAndStartUpGoesOn) {
    GameOptions options;
    options.writeInitProps = false;
    options.frameLimit = 30;
    const GameRun run = runGame(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_TRUE(contains(run.log, "Fehler beim Lesen von Property-Datei.\n"));
    EXPECT_TRUE(contains(run.log, "STARTZ = '0'\n"));
    EXPECT_EQ(run.exitCode, 0) << run.errors;
}

TEST(Startup, UnavailableFullScreenModeShowsTheBoxAndCarriesOn) {
    GameOptions options;
    // The offscreen driver offers no 640 x 480 mode.
    options.initProps = smallWindowProps({{"FULLSCREEN", "TRUE"}});
    options.frameLimit = 30;
    const GameRun run = runGame(options);
    EXPECT_TRUE(contains(run.errors, "ERROR: Window Creation Error.")) << run.errors;
    EXPECT_TRUE(contains(run.log, "Property-Datei erfolgreich gelesen.\n"));
    EXPECT_EQ(run.exitCode, 0);
}

TEST(Startup, BrokenPropertyLineKeepsThePairsBeforeIt) {
    GameOptions options;
    options.initProps = "RESX=640\nRESY=480\nSTARTZ=2.5\nthis line has no sign\nSTARTUP=OFF\n";
    options.frameLimit = 30;
    const GameRun run = runGame(options);
    EXPECT_TRUE(contains(run.log, "Fehler beim Lesen von Property-Datei.\n"));
    EXPECT_TRUE(contains(run.log, "STARTZ = '2.5'\n"));
    EXPECT_EQ(run.exitCode, 0) << run.errors;
}
