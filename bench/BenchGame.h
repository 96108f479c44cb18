#pragma once
// The game's level on an engine of its own, as the GL tests build it, for the
// benchmark programs that measure one part of a game frame without the
// shell: a pop-up window through the platform layer, the engine, the
// settings of "init.props" in the working folder and the game, whose follow
// camera is the engine's camera. Window messages go to the game.

#include "engine/TProperties.h"

class TEngine;
class TGame;

class BenchGame {
public:
    // `name` names the window and the program in error lines. On failure
    // (no window) game and engine stay null.
    BenchGame(const char* name, int width, int height);
    // Deletes the game, then the engine.
    ~BenchGame();
    BenchGame(const BenchGame&) = delete;
    BenchGame& operator=(const BenchGame&) = delete;

    TProperties properties;  // kept by the game for its whole life
    TEngine* engine = nullptr;
    TGame* game = nullptr;
};
