#pragma once
// Runs the real program (`game` or `game_nv` from the build folder) headless in
// a fresh folder of its own: the generated data folders are linked in, an
// init.props is written, the test hooks are set through the environment, and
// the run's exit code, output and "Log.txt" come back.

#include <map>
#include <string>
#include <vector>

#include "Picture.h"  // the runs' screenshots are read with readPng

// The default run (STARTUP=OFF, fixed clock) shows the loading screen, then
// the main menu from about kMainMenuFrame on; the runner presses Enter there
// ("Spiel starten") unless told not to, and the game runs from kGameFrame on.
constexpr int kMainMenuFrame = 360;
constexpr int kGameFrame = 480;

struct GameOptions {
    std::string program = "game";
    // Lines of init.props; the generated defaults with STARTUP=OFF when empty.
    std::string initProps;
    bool writeInitProps = true;
    // Scripted input (the test hooks' format); none when empty.
    std::string script;
    bool enterGame = true;  // press Enter in the main menu at kMainMenuFrame
    int frameLimit = 300;  // GAME_TEST_FRAMES; 0 for none
    int frameMs = 20;      // GAME_TEST_FRAME_MS; 0 for the real clock
    std::vector<int> screenshots;  // frames to capture
    std::map<std::string, std::string> env;  // further variables
    std::vector<std::string> omitFolders;    // data folders left out of the run's folder
    std::vector<std::string> emptyFolders;   // made in the run's folder before the start
    int timeoutSeconds = 240;
};

struct GameRun {
    int exitCode = -1;      // -1 when killed by a signal or the timeout
    bool timedOut = false;
    std::string output;     // standard output
    std::string errors;     // standard error
    std::string log;        // Log.txt
    std::string dir;        // the run's folder (screenshots are written here)

    std::string shot(int frame) const;  // path of a screenshot
};

// The generated init.props with the given keys replaced (or added).
std::string defaultInitProps(const std::map<std::string, std::string>& overrides = {});

GameRun runGame(const GameOptions& options);
