#pragma once
// One entry per loader that reads a file a player can replace. Each takes
// the bytes of such a file, hands them to the loader through the same call
// the game makes, and then does with the result what the game does next
// (build, split, animate, look up). They are what the fuzz targets run and
// what the regression test replays, so both exercise the same paths. None
// needs a GL context; none keeps state from one input to the next.

#include <cstddef>
#include <cstdint>
#include <string>

// TGA images: read as a texture would be, then as the height image and the
// level map of a ground (without engine, for images of up to 64 x 64).
void fuzzTga(const uint8_t* data, size_t size);
// "init.props": loaded, then every setting the program reads.
void fuzzProperties(const uint8_t* data, size_t size);
// Model files: read as a plain mesh reads them (with the vertex split) and
// as a skinned mesh does (bone limit, split, skin blocks), then the
// skeleton built and copied as instances copy it.
void fuzzModel(const uint8_t* data, size_t size);
// Animation files: loaded into a copy of the dragon's and of the dwarf's
// skeleton, copied again as an instance would be, started and advanced
// over frames of every length.
void fuzzAnimation(const uint8_t* data, size_t size);
// The way-point file: loaded, dumped, and its nearest key field asked for
// at points across the world.
void fuzzWayPoints(const uint8_t* data, size_t size);
// The item table: loaded, every record looked at, written back.
void fuzzItems(const uint8_t* data, size_t size);
// The shadow map of a 64 x 64 ground.
void fuzzShadowMap(const uint8_t* data, size_t size);
// An NV fragment program through the translator.
void fuzzNvProgram(const uint8_t* data, size_t size);

// The entry of that target name ("tga", "properties", "model", "animation",
// "waypoints", "items", "shadowmap", "nvprogram"), or null.
using FuzzEntry = void (*)(const uint8_t*, size_t);
FuzzEntry findFuzzEntry(const std::string& target);
