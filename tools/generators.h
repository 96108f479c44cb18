#pragma once
// One entry per part of the default data set. Each writes its files below
// `out` (the build folder, where `game` runs) and returns false, after a
// message on standard error, when it cannot; its own checks on what it wrote
// fail the same way.

#include <string>

bool generateConfig(const std::string& out);     // init.props
bool generateTextures(const std::string& out);   // tex/
bool generateTerrain(const std::string& out);    // terrain/
bool generateSounds(const std::string& out);     // sound/
bool generateModels(const std::string& out);     // mods/ and the models' textures
bool generateItems(const std::string& out);      // itemdata/
bool generateWayPoints(const std::string& out);  // Levels/
bool generatePrograms(const std::string& out);   // programs/
