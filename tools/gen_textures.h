#pragma once
// The picture generators behind generateTextures, one per topic, and the
// drawings several of them share. Every picture goes through TextureSet,
// which writes it into tex/ and remembers its name and size for the checks
// made after all of them are written.
//
// Row order: an Image is drawn top row first and written bottom row first
// (gen::writeTga's default). The game keeps the file's row order and GL puts
// t = 0 at the first row, so texture coordinate (s, t) shows image pixel
// (s x W, (1 - t) x H): t = 1 is the top of the picture. Every screen draws
// its quads with the larger t at the top edge, so the pictures come out
// upright. Cube-map faces are the exception: they are computed in GL's own
// texel order and written as they are (see gen_textures_sky.cpp).

#include <string>
#include <vector>

#include "common.h"
#include "paint.h"

namespace textures {

class TextureSet {
public:
    explicit TextureSet(const std::string& dir) : dir_(dir) {}

    struct Entry {
        std::string name;
        int width, height, depth;
    };

    // Writes tex/<name>; bottomUp as gen::writeTga. A failure is remembered
    // (ok() turns false) after writeTga's message.
    void write(const std::string& name, const gen::Image& img, bool bottomUp = true);
    bool ok() const { return ok_; }
    const std::vector<Entry>& entries() const { return entries_; }
    const Entry* find(const std::string& name) const;

private:
    std::string dir_;
    std::vector<Entry> entries_;
    bool ok_ = true;
};

void writeSkyTextures(TextureSet& set);     // sky cube faces, the intro's sky and night
void writeCloudTextures(TextureSet& set);   // the intro's clouds and mist pictures
void writeEffectTextures(TextureSet& set);  // fire slices, particles, water normals
void writeMenuTextures(TextureSet& set);    // menu_elemente: top bar and menu panels
void writeScreenTextures(TextureSet& set);  // main menu, loading, startup and logo pictures

// --- shared drawings ----------------------------------------------------------
// Shapes in a design box of 1 x 1 (x right, y down): signed distance in box
// units. Scale a point into the box and the distance back out to paint them.

// A flying dragon seen from the side, heading right, wings raised.
float sdDragon(paint::Vec2 p);
// Its far wing alone (drawn darker behind the body).
float sdDragonFarWing(paint::Vec2 p);
// A castle with towers on a hill; the hill's foot runs along y = 1.
float sdCastle(paint::Vec2 p);
// Lit windows of that castle.
float sdCastleWindows(paint::Vec2 p);

// A night sky from top (v = 0) to bottom (v = 1) with stars, for the
// backgrounds of the screens; x and y in pixels of a picture of width w.
paint::Color nightSky(float x, float y, float w, float h, float dusk);

// The game's title lettering, used by several pictures.
extern const char* const kTitle;

}  // namespace textures
