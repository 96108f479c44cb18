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
    options.frameLimit = 420;
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

TEST(Startup, EscapeLeavesTheGame) {
    GameOptions options;
    options.initProps = smallWindowProps();
    options.frameLimit = 1500;  // the safety net only
    options.script = "400 keydown ESCAPE\n401 keyup ESCAPE\n";
    options.screenshots = {395, 1499};
    const GameRun run = runGame(options);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(readPng(run.shot(395)).valid());
    EXPECT_FALSE(readPng(run.shot(1499)).valid());  // it ended long before
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
