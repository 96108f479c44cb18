#pragma once
// A small proportional bitmap font (5 x 7 cells with descenders and the German
// letters ä ö ü Ä Ö Ü ß) for the captions painted into the generated pictures.
// Text is laid out once into a grid of font cells; painting asks for the
// signed distance to the lit cells, so any scale, outline or glow comes out
// anti-aliased. Strings are UTF-8; characters the font lacks show as '?'.

#include <cstdint>
#include <string>
#include <vector>

#include "common.h"
#include "paint.h"

namespace pixelfont {

// Cell rows of a line: row 0 holds the marks above capitals, rows 1-7 the
// capital height, rows 8-9 the descenders.
constexpr int kRows = 10;
constexpr int kCapRows = 7;

// Columns of the glyph for a character (5 bits each, bit 4 leftmost), one
// byte per row; null for characters the font lacks.
const uint8_t* glyphRows(uint32_t codepoint);
std::vector<uint32_t> decodeUtf8(const std::string& text);

class Text {
public:
    // Lays out the text with cell size scaleX x scaleY pixels; bold widens
    // every lit cell by half a cell to the right (gaps between strokes stay
    // open) and spaces the letters by one more cell.
    Text(const std::string& utf8, float scaleX, float scaleY, bool bold = false);

    float width() const { return cols_ * sx_; }
    float capHeight() const { return kCapRows * sy_; }
    int columns() const { return cols_; }
    bool lit(int col, int row) const;

    // Signed distance in pixels from the point (x, y), given relative to the
    // text's left edge and the top of its capitals, to the lit cells:
    // negative inside. Outside distances are exact up to maxDist and capped
    // there.
    float distance(float x, float y, float maxDist) const;

private:
    std::vector<uint8_t> grid_;  // cols_ x kRows
    int cols_ = 0;
    float sx_, sy_;
    float widen_ = 0;  // of a cell, for bold
};

// How drawText paints: a fill (flat, or a vertical gradient from top to
// bottom of the capitals), an optional outline of `outline` pixels, an
// optional soft glow of `glow` pixels and a shadow offset by (shadowX,
// shadowY).
struct Style {
    paint::Color top{1, 1, 1, 1};
    paint::Color bottom{1, 1, 1, 1};
    float outline = 0;
    paint::Color outlineColor{0, 0, 0, 1};
    float glow = 0;
    paint::Color glowColor{1, 1, 1, 0.6f};
    float shadowX = 0, shadowY = 0;
    paint::Color shadowColor{0, 0, 0, 0};
};

// Paints the text with its left edge at x and the top of its capitals at y.
void drawText(gen::Image& img, const Text& text, float x, float y, const Style& style);
// The same, centred on the column cx.
void drawTextCentred(gen::Image& img, const Text& text, float cx, float y, const Style& style);

}  // namespace pixelfont
