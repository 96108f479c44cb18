#include "pixelfont.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace pixelfont {

namespace {

// Glyphs from the top of the capitals down: rows of five cells, '#' lit,
// separated by blanks; rows 8 and 9 (descenders) only where used.
struct GlyphSource {
    uint32_t code;
    const char* rows;
};

const GlyphSource kGlyphs[] = {
    {' ', "..... ..... ..... ..... ..... ..... ....."},
    {'!', "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#.."},
    {'"', ".#.#. .#.#. ..... ..... ..... ..... ....."},
    {'#', ".#.#. .#.#. ##### .#.#. ##### .#.#. .#.#."},
    {'$', "..#.. .#### #.#.. .###. ..#.# ####. ..#.."},
    {'%', "##... ##..# ...#. ..#.. .#... #..## ...##"},
    {'&', ".##.. #..#. #.#.. .#... #.#.# #..#. .##.#"},
    {'\'', "..#.. ..#.. .#... ..... ..... ..... ....."},
    {'(', "...#. ..#.. .#... .#... .#... ..#.. ...#."},
    {')', ".#... ..#.. ...#. ...#. ...#. ..#.. .#..."},
    {'*', "..... ..#.. #.#.# .###. #.#.# ..#.. ....."},
    {'+', "..... ..#.. ..#.. ##### ..#.. ..#.. ....."},
    {',', "..... ..... ..... ..... ..... .##.. ..#.. .#..."},
    {'-', "..... ..... ..... ##### ..... ..... ....."},
    {'.', "..... ..... ..... ..... ..... .##.. .##.."},
    {'/', "..... ....# ...#. ..#.. .#... #.... ....."},
    {'0', ".###. #...# #..## #.#.# ##..# #...# .###."},
    {'1', "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###."},
    {'2', ".###. #...# ....# ...#. ..#.. .#... #####"},
    {'3', "##### ...#. ..#.. ...#. ....# #...# .###."},
    {'4', "...#. ..##. .#.#. #..#. ##### ...#. ...#."},
    {'5', "##### #.... ####. ....# ....# #...# .###."},
    {'6', "..##. .#... #.... ####. #...# #...# .###."},
    {'7', "##### ....# ...#. ..#.. .#... .#... .#..."},
    {'8', ".###. #...# #...# .###. #...# #...# .###."},
    {'9', ".###. #...# #...# .#### ....# ...#. .##.."},
    {':', "..... .##.. .##.. ..... .##.. .##.. ....."},
    {';', "..... .##.. .##.. ..... .##.. ..#.. .#..."},
    {'<', "...#. ..#.. .#... #.... .#... ..#.. ...#."},
    {'=', "..... ..... ##### ..... ##### ..... ....."},
    {'>', ".#... ..#.. ...#. ....# ...#. ..#.. .#..."},
    {'?', ".###. #...# ....# ...#. ..#.. ..... ..#.."},
    {'@', ".###. #...# ....# .##.# #.#.# #.#.# .###."},
    {'A', ".###. #...# #...# ##### #...# #...# #...#"},
    {'B', "####. #...# #...# ####. #...# #...# ####."},
    {'C', ".###. #...# #.... #.... #.... #...# .###."},
    {'D', "####. #...# #...# #...# #...# #...# ####."},
    {'E', "##### #.... #.... ####. #.... #.... #####"},
    {'F', "##### #.... #.... ####. #.... #.... #...."},
    {'G', ".###. #...# #.... #.### #...# #...# .####"},
    {'H', "#...# #...# #...# ##### #...# #...# #...#"},
    {'I', ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###."},
    {'J', "..### ...#. ...#. ...#. ...#. #..#. .##.."},
    {'K', "#...# #..#. #.#.. ##... #.#.. #..#. #...#"},
    {'L', "#.... #.... #.... #.... #.... #.... #####"},
    {'M', "#...# ##.## #.#.# #.#.# #...# #...# #...#"},
    {'N', "#...# #...# ##..# #.#.# #..## #...# #...#"},
    {'O', ".###. #...# #...# #...# #...# #...# .###."},
    {'P', "####. #...# #...# ####. #.... #.... #...."},
    {'Q', ".###. #...# #...# #...# #.#.# #..#. .##.#"},
    {'R', "####. #...# #...# ####. #.#.. #..#. #...#"},
    {'S', ".#### #.... #.... .###. ....# ....# ####."},
    {'T', "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#.."},
    {'U', "#...# #...# #...# #...# #...# #...# .###."},
    {'V', "#...# #...# #...# #...# #...# .#.#. ..#.."},
    {'W', "#...# #...# #...# #.#.# #.#.# #.#.# .#.#."},
    {'X', "#...# #...# .#.#. ..#.. .#.#. #...# #...#"},
    {'Y', "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#.."},
    {'Z', "##### ....# ...#. ..#.. .#... #.... #####"},
    {'[', ".###. .#... .#... .#... .#... .#... .###."},
    {'\\', "..... #.... .#... ..#.. ...#. ....# ....."},
    {']', ".###. ...#. ...#. ...#. ...#. ...#. .###."},
    {'^', "..#.. .#.#. #...# ..... ..... ..... ....."},
    {'_', "..... ..... ..... ..... ..... ..... #####"},
    {'`', ".#... ..#.. ...#. ..... ..... ..... ....."},
    {'a', "..... ..... .###. ....# .#### #...# .####"},
    {'b', "#.... #.... #.##. ##..# #...# #...# ####."},
    {'c', "..... ..... .###. #.... #.... #...# .###."},
    {'d', "....# ....# .##.# #..## #...# #...# .####"},
    {'e', "..... ..... .###. #...# ##### #.... .###."},
    {'f', "..##. .#..# .#... ###.. .#... .#... .#..."},
    {'g', "..... ..... .#### #...# #...# #...# .#### ....# .###."},
    {'h', "#.... #.... #.##. ##..# #...# #...# #...#"},
    {'i', "..#.. ..... .##.. ..#.. ..#.. ..#.. .###."},
    {'j', "...#. ..... ..##. ...#. ...#. ...#. ...#. #..#. .##.."},
    {'k', "#.... #.... #..#. #.#.. ##... #.#.. #..#."},
    {'l', ".##.. ..#.. ..#.. ..#.. ..#.. ..#.. .###."},
    {'m', "..... ..... ##.#. #.#.# #.#.# #.#.# #.#.#"},
    {'n', "..... ..... #.##. ##..# #...# #...# #...#"},
    {'o', "..... ..... .###. #...# #...# #...# .###."},
    {'p', "..... ..... ####. #...# #...# #...# ####. #.... #...."},
    {'q', "..... ..... .#### #...# #...# #...# .#### ....# ....#"},
    {'r', "..... ..... #.##. ##..# #.... #.... #...."},
    {'s', "..... ..... .#### #.... .###. ....# ####."},
    {'t', ".#... .#... ###.. .#... .#... .#..# ..##."},
    {'u', "..... ..... #...# #...# #...# #..## .##.#"},
    {'v', "..... ..... #...# #...# #...# .#.#. ..#.."},
    {'w', "..... ..... #...# #...# #.#.# #.#.# .#.#."},
    {'x', "..... ..... #...# .#.#. ..#.. .#.#. #...#"},
    {'y', "..... ..... #...# #...# #...# #...# .#### ....# .###."},
    {'z', "..... ..... ##### ...#. ..#.. .#... #####"},
    {'{', "...#. ..#.. ..#.. .#... ..#.. ..#.. ...#."},
    {'|', "..#.. ..#.. ..#.. ..#.. ..#.. ..#.. ..#.."},
    {'}', ".#... ..#.. ..#.. ...#. ..#.. ..#.. .#..."},
    {'~', "..... ..... .#... #.#.# ...#. ..... ....."},
    {0xDF, ".###. #...# #..#. #.#.. #..#. #...# #.##."},  // ß
};

// Umlauts: the base letter with two dots above it (above the capitals, or in
// the free rows above the small letters).
struct Umlaut {
    uint32_t code;
    uint32_t base;
    int dotRow;
};
const Umlaut kUmlauts[] = {{0xC4, 'A', 0}, {0xD6, 'O', 0}, {0xDC, 'U', 0},
                           {0xE4, 'a', 1}, {0xF6, 'o', 1}, {0xFC, 'u', 1}};

using Rows = std::array<uint8_t, kRows>;

Rows parse(const char* text) {
    Rows rows{};
    int row = 1;
    int col = 0;
    for (const char* c = text; *c && row < kRows; ++c) {
        if (*c == ' ') {
            ++row;
            col = 0;
            continue;
        }
        if (*c == '#' && col < 5) rows[row] |= static_cast<uint8_t>(1 << (4 - col));
        ++col;
    }
    return rows;
}

const std::map<uint32_t, Rows>& table() {
    static const std::map<uint32_t, Rows> glyphs = [] {
        std::map<uint32_t, Rows> m;
        for (const GlyphSource& g : kGlyphs) m[g.code] = parse(g.rows);
        for (const Umlaut& u : kUmlauts) {
            Rows r = m[u.base];
            r[u.dotRow] |= 0x0A;  // .#.#.
            m[u.code] = r;
        }
        return m;
    }();
    return glyphs;
}

}  // namespace

const uint8_t* glyphRows(uint32_t codepoint) {
    const auto& t = table();
    const auto it = t.find(codepoint);
    return it == t.end() ? nullptr : it->second.data();
}

std::vector<uint32_t> decodeUtf8(const std::string& text) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out.push_back(c);
            ++i;
        } else if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
            out.push_back(((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu));
            i += 2;
        } else {
            out.push_back('?');
            ++i;
            while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
        }
    }
    return out;
}

Text::Text(const std::string& utf8, float scaleX, float scaleY, bool bold)
    : sx_(scaleX), sy_(scaleY), widen_(bold ? 0.5f : 0.0f) {
    struct Placed {
        const uint8_t* rows;
        int first, width;
    };
    std::vector<Placed> placed;
    for (uint32_t code : decodeUtf8(utf8)) {
        const uint8_t* rows = glyphRows(code);
        if (!rows) rows = glyphRows('?');
        uint8_t used = 0;
        for (int r = 0; r < kRows; ++r) used |= rows[r];
        if (used == 0) {
            placed.push_back({rows, 0, 3});  // a space
            continue;
        }
        int first = 0;
        while (!(used & (1 << (4 - first)))) ++first;
        int last = 4;
        while (!(used & (1 << (4 - last)))) --last;
        placed.push_back({rows, first, last - first + 1 + (bold ? 1 : 0)});
    }
    for (size_t i = 0; i < placed.size(); ++i) cols_ += placed[i].width + (i + 1 < placed.size() ? 1 : 0);
    grid_.assign(static_cast<size_t>(cols_) * kRows, 0);
    int x = 0;
    for (const Placed& p : placed) {
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < 5; ++c) {
                if (!(p.rows[r] & (1 << (4 - c)))) continue;
                grid_[static_cast<size_t>(r) * cols_ + x + c - p.first] = 1;
            }
        x += p.width + 1;
    }
}

bool Text::lit(int col, int row) const {
    if (col < 0 || row < 0 || col >= cols_ || row >= kRows) return false;
    return grid_[static_cast<size_t>(row) * cols_ + col] != 0;
}

float Text::distance(float x, float y, float maxDist) const {
    // Cell (c, r) covers [c sx, (c+1) sx) x [(r-1) sy, r sy): row 1 starts at
    // y = 0. A lit cell reaches widen_ cells into its right neighbour.
    const int cc = static_cast<int>(std::floor(x / sx_));
    const int cr = static_cast<int>(std::floor(y / sy_)) + 1;
    const int reach = static_cast<int>(std::ceil(maxDist / std::min(sx_, sy_))) + 1;
    const bool inside = lit(cc, cr) || (lit(cc - 1, cr) && x - cc * sx_ < widen_ * sx_);
    float best = maxDist;
    for (int r = cr - reach; r <= cr + reach; ++r)
        for (int c = cc - reach; c <= cc + reach; ++c) {
            const bool on = lit(c, r);
            if (on == inside) continue;
            paint::Vec2 lo{c * sx_, (r - 1) * sy_};
            paint::Vec2 hi{(c + 1) * sx_, r * sy_};
            if (on)
                hi.x += widen_ * sx_;
            else if (lit(c - 1, r))
                lo.x += widen_ * sx_;
            // Inside: the distance to the nearest free area, how deep the point lies.
            best = std::min(best, paint::sdBox({x, y}, lo, hi));
        }
    best = std::max(best, 0.0f);
    return inside ? -best : best;
}

void drawText(gen::Image& img, const Text& text, float x, float y, const Style& style) {
    const float reach = std::max({style.outline, style.glow, 1.0f}) + 2.0f;
    const float shadowReach = std::fabs(style.shadowX) + std::fabs(style.shadowY);
    const float top = y - text.capHeight() / kCapRows;  // the marks above capitals
    const float bottom = y + text.capHeight() / kCapRows * (kRows - 1);
    const int x0 = static_cast<int>(std::floor(x - reach - shadowReach));
    const int x1 = static_cast<int>(std::ceil(x + text.width() + reach + shadowReach));
    const int y0 = static_cast<int>(std::floor(top - reach - shadowReach));
    const int y1 = static_cast<int>(std::ceil(bottom + reach + shadowReach));
    using paint::Color;
    paint::paintRect(img, x0, y0, x1, y1, [&](float px, float py) {
        const float d = text.distance(px - x, py - y, reach);
        Color out{0, 0, 0, 0};
        auto over = [&out](Color c) {
            const float a = c.a + out.a * (1.0f - c.a);
            if (a <= 0.0f) return;
            out = {(c.r * c.a + out.r * out.a * (1.0f - c.a)) / a, (c.g * c.a + out.g * out.a * (1.0f - c.a)) / a,
                   (c.b * c.a + out.b * out.a * (1.0f - c.a)) / a, a};
        };
        if (style.shadowColor.a > 0.0f) {
            const float ds = text.distance(px - x - style.shadowX, py - y - style.shadowY, reach);
            const float soft = std::max(1.0f, style.outline);
            over(paint::withAlpha(style.shadowColor, style.shadowColor.a * paint::clamp01(0.5f - (ds - style.outline) / soft)));
        }
        if (style.glow > 0.0f) {
            const float g = 1.0f - paint::smoothstep(0.0f, style.glow, d);
            over(paint::withAlpha(style.glowColor, style.glowColor.a * g * g));
        }
        if (style.outline > 0.0f) over(paint::withAlpha(style.outlineColor, style.outlineColor.a * paint::coverage(d - style.outline)));
        const float v = paint::clamp01((py - y) / text.capHeight());
        const Color fill = paint::mix(style.top, style.bottom, v);
        over(paint::withAlpha(fill, fill.a * paint::coverage(d)));
        return out;
    });
}

void drawTextCentred(gen::Image& img, const Text& text, float cx, float y, const Style& style) {
    drawText(img, text, cx - text.width() * 0.5f, y, style);
}

}  // namespace pixelfont
