#pragma once
// TFont draws printf-formatted text with GL: at creation each printable
// glyph (codes 32 to 127) of an "Arial" font of the given height and weight
// becomes a small alpha texture and a display list that draws it and moves
// the pen along +x. The engine keeps one font per (height, weight).

#include <cstdint>

#include "platform/gl.h"
#include "platform/win32.h"

class TEngine;

class TFont {
public:
    static const int kFirst = 32;   // first character with a list
    static const int kCount = 96;   // characters 32 .. 127
    static const int kBufferSize = 256;

    GLYPHMETRICS metrics[128];
    uint32_t listBase;                 // first of kCount display lists
    uint32_t glyphTextures[kCount];    // 0 for a glyph that could not be made
    int32_t height;
    int32_t weight;

    // Builds the font on the engine's device context. A font that cannot be
    // selected or a glyph that cannot be read shows the message boxes and
    // leaves those glyphs empty; the font is still usable.
    TFont(int height, int weight, TEngine* engine);
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;
    // Deletes the display lists and glyph textures (GL context current).
    virtual ~TFont();

    // Formats into 256 characters (longer text is cut at 255) and draws it
    // at the current GL position; characters outside 32 .. 127 are left
    // out. A null format draws nothing.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // The side of a glyph's square texture: the smallest power of two that
    // is at least 8 and holds width x height.
    static int textureSize(int width, int height);
    // Grey level 0 .. 64 of the glyph bitmap as an alpha byte: 0 stays 0,
    // g > 0 becomes 4g - 1.
    static uint8_t alphaOf(uint8_t grey) { return grey == 0 ? 0 : static_cast<uint8_t>(4 * grey - 1); }

private:
    // The glyph's texture from its grey bitmap; 0 when the bitmap cannot be
    // read. size receives the texture's side.
    uint32_t makeGlyphTexture(HDC dc, int code, int& size);
    void compileList(int code, int size);
};
