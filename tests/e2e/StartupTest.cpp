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

// Mean brightness (0 to 765) of a part of a picture.
long brightness(const Picture& p, int x0, int x1, int y0, int y1) {
    long sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) sum += p.at(x, y)[0] + p.at(x, y)[1] + p.at(x, y)[2];
    return sum / ((x1 - x0) * (y1 - y0));
}

}  // namespace

TEST(StartupTest, RunsIntoTheLevelAndEndsCleanlyWhenTheWindowCloses) {
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
TEST(StartupTest, RunsOnWhenTheLogCannotBeOpened) {
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

TEST(StartupTest, LogHoldsTheDumpOfTheGeneratedWayPointFile) {
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

TEST(StartupTest, EscapeLeadsToTheMainMenuWhoseLastItemQuits) {
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
    EXPECT_GT(brightness(game, 100, 540, 60, 200), 2 * brightness(mainMenu, 100, 540, 60, 200));
    EXPECT_FALSE(readPng(run.shot(kGameFrame + 1400)).valid());  // it ended long before
}

TEST(StartupTest, ClosingTheWindowDuringTheIntroEndsTheProgram) {
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

// The start screens are made one at a time: the logo screen loads its
// picture and starts its sound and its fade only when the intro has ended.
TEST(StartupTest, LogoScreenIsMadeOnceTheIntroHasEnded) {
    GameOptions options;
    options.initProps = smallWindowProps({{"STARTUP", "ON"}});
    options.enterGame = false;
    options.frameLimit = 3000;  // the safety net only
    // In the intro: the dragon fires (a sound), Escape starts the fade-out,
    // and 'g' restarts the intro music near its end. The logo comes about 60
    // frames after Escape and fades in from black.
    const int fire = kMainMenuFrame + 40, escape = fire + 5, again = escape + 35;
    const int logoStart = escape + 75, logoClear = escape + 135;
    options.script = std::to_string(fire) + " key s\n" + std::to_string(escape) + " key ESCAPE\n" +
                     std::to_string(again) + " key g\n" + std::to_string(logoClear + 5) + " close\n";
    options.screenshots = {logoStart, logoClear};
    const GameRun run = runGame(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.errors;

    // The intro's textures and music, its fire sound and its music again,
    // and only then the logo's picture and sound.
    const std::string& log = run.log;
    const size_t introMusic = log.find("channel (playMusic): ", log.find("Lade sky_new.tga textur... ok.\n"));
    ASSERT_NE(introMusic, std::string::npos) << log;
    const size_t fired = log.find("channel (playSound): ", introMusic);
    ASSERT_NE(fired, std::string::npos) << log;
    const size_t introMusicAgain = log.find("channel (playMusic): ", fired);
    ASSERT_NE(introMusicAgain, std::string::npos) << log;
    const size_t logoPicture = log.find("Lade Logo_neu.tga textur... ok.\n");
    ASSERT_NE(logoPicture, std::string::npos) << log;
    EXPECT_GT(logoPicture, introMusicAgain) << log.substr(introMusic);
    EXPECT_NE(log.find("channel (playMusic): ", logoPicture), std::string::npos) << log.substr(logoPicture);

    // The logo then fades in from black.
    const Picture early = readPng(run.shot(logoStart)), clear = readPng(run.shot(logoClear));
    ASSERT_TRUE(early.valid() && clear.valid());
    const long full = brightness(clear, 60, 580, 60, 420);
    EXPECT_GT(full, 20);
    EXPECT_LT(brightness(early, 60, 580, 60, 420), full / 2);
}

TEST(StartupTest, MissingPropertyFileIsLoggedAndStartUpGoesOn) {
    GameOptions options;
    options.writeInitProps = false;
    options.frameLimit = 30;
    const GameRun run = runGame(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_TRUE(contains(run.log, "Fehler beim Lesen von Property-Datei.\n"));
    EXPECT_TRUE(contains(run.log, "STARTZ = '0'\n"));
    EXPECT_EQ(run.exitCode, 0) << run.errors;
}

TEST(StartupTest, UnavailableFullScreenModeShowsTheBoxAndCarriesOn) {
    GameOptions options;
    // The offscreen driver offers no 640 x 480 mode.
    options.initProps = smallWindowProps({{"FULLSCREEN", "TRUE"}});
    options.frameLimit = 30;
    const GameRun run = runGame(options);
    EXPECT_TRUE(contains(run.errors, "ERROR: Window Creation Error.")) << run.errors;
    EXPECT_TRUE(contains(run.log, "Property-Datei erfolgreich gelesen.\n"));
    EXPECT_EQ(run.exitCode, 0);
}

TEST(StartupTest, BrokenPropertyLineKeepsThePairsBeforeIt) {
    GameOptions options;
    options.initProps = "RESX=640\nRESY=480\nSTARTZ=2.5\nthis line has no sign\nSTARTUP=OFF\n";
    options.frameLimit = 30;
    const GameRun run = runGame(options);
    EXPECT_TRUE(contains(run.log, "Fehler beim Lesen von Property-Datei.\n"));
    EXPECT_TRUE(contains(run.log, "STARTZ = '2.5'\n"));
    EXPECT_EQ(run.exitCode, 0) << run.errors;
}
