#pragma once
// Where the tests find the build folder (programs and generated data) and the
// source tree.

#include <string>

inline std::string binaryDir() { return GAME_BINARY_DIR; }
inline std::string sourceDir() { return GAME_SOURCE_DIR; }
