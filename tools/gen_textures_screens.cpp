// The full-screen pictures: the main menu's sheet (menu_512: background and
// the three items in their glow frames), the loading screen (loading_2:
// picture and progress bar), the startup picture with the controls, the logo
// (Logo_neu) and the intro's sky title (logo_sky).

#include <algorithm>
#include <cmath>
#include <string>

#include "gen_textures.h"
#include "pixelfont.h"

namespace textures {

using paint::Color;
using paint::Vec2;
using pixelfont::Style;
using pixelfont::Text;

namespace {

const Color kTransparent{0, 0, 0, 0};

// Where a drawing in its 1 x 1 design box lands: top-left corner and size in
// pixels.
struct Place {
    float x, y, size;
    Vec2 design(float px, float py) const { return {(px - x) / size, (py - y) / size}; }
};

Color dragonOver(Color under, float x, float y, const Place& at, Color body, Color rim) {
    const Vec2 p = at.design(x, y);
    if (p.x < -0.05f || p.x > 1.05f || p.y < -0.05f || p.y > 1.05f) return under;  // clear of its box
    const float far = sdDragonFarWing(p) * at.size;
    Color c = paint::mix(under, paint::mix(body, {0, 0, 0, 1}, 0.4f), paint::coverage(far));
    const float d = sdDragon(p) * at.size;
    const Color skin = paint::mix(body, rim, paint::smoothstep(-3.0f, 0.0f, d));  // lit along its outline
    c = paint::mix(c, skin, paint::coverage(d));
    const float eye = paint::sdCircle(p, {0.855f, 0.355f}, 0.009f) * at.size;
    return paint::mix(c, paint::rgb(255, 220, 90), paint::coverage(eye));
}

Color castleOver(Color under, float x, float y, const Place& at) {
    const Vec2 p = at.design(x, y);
    if (p.x < -0.15f || p.x > 1.15f || p.y < -0.05f || p.y > 1.2f) return under;  // clear of hill and flag
    const float d = sdCastle(p) * at.size;
    Color c = paint::mix(under, paint::rgb(10, 10, 20), paint::coverage(d));
    const float w = sdCastleWindows(p) * at.size;
    const float glow = std::exp(-std::max(w, 0.0f) / 3.0f) * 0.5f * (d < 0.0f ? 1.0f : 0.0f);
    c = paint::mix(c, paint::rgb(255, 170, 60), glow);
    return paint::mix(c, paint::rgb(255, 214, 110), paint::coverage(w));
}

Color moonOver(Color under, float x, float y, Vec2 centre, float r) {
    const float d = paint::sdCircle({x, y}, centre, r);
    const float halo = 0.3f * std::exp(-std::max(d, 0.0f) / (r * 0.6f));
    Color c{under.r + halo * 0.8f, under.g + halo * 0.85f, under.b + halo, 1.0f};
    const float crater = 0.1f * paint::fbm2(x / (r * 0.45f), y / (r * 0.45f), 3, 0, 0, 5u);
    return paint::mix(c, paint::rgb(240 - static_cast<int>(260 * crater), 236, 216), paint::coverage(d));
}

Style titleStyle(float outline, float glow) {
    Style s;
    s.top = paint::rgb(255, 240, 170);
    s.bottom = paint::rgb(226, 128, 24);
    s.outline = outline;
    s.outlineColor = paint::rgb(48, 16, 4);
    s.glow = glow;
    s.glowColor = paint::rgb(255, 160, 60, 0.55f);
    return s;
}

Style plainStyle(Color c, float outline = 1.0f) {
    Style s;
    s.top = c;
    s.bottom = c;
    s.outline = outline;
    s.outlineColor = paint::rgb(0, 0, 0, 0.85f);
    return s;
}

// --- main menu --------------------------------------------------------------

// Item captions in the order of the menu's items 0, 1, 2; items 0 and 1 both
// go (back) into the game, item 2 ends the program.
const char* const kItemCaptions[3] = {"Spiel starten", "Weiterspielen", "Beenden"};
// Image row of frame 0 of each item (frames 1 and 2 follow, 50 rows each).
constexpr int kItemRow[3] = {0, 300, 150};
constexpr int kItemX = 311;  // texel column where the items' s range starts
constexpr int kItemW = 201;

void drawMenuItem(gen::Image& img, int top, const char* caption, int frame) {
    const float glow = frame * 0.5f;
    const float x0 = kItemX, y0 = static_cast<float>(top);
    paint::paintRect(img, kItemX, top, kItemX + kItemW, top + 50, [&](float x, float y) {
        const float d = paint::sdBox({x, y}, {x0 + 6.0f, y0 + 7.0f}, {x0 + kItemW - 6.0f, y0 + 43.0f}, 8.0f);
        if (d > 0.0f) {
            // The halo fades out before the edge of the item's rows.
            const float halo = glow * 0.8f * std::exp(-d / 2.5f) * (1.0f - paint::smoothstep(3.0f, 6.0f, d));
            return paint::withAlpha(paint::rgb(255, 140, 40), paint::clamp01(halo));
        }
        if (-d < 3.0f) {
            const float b = 0.6f + 0.4f * std::sin(-d / 3.0f * 3.14159265f) + 0.3f * glow;
            return Color{std::min(1.0f, 0.8f * b), std::min(1.0f, 0.6f * b), std::min(1.0f, 0.25f * b), 1.0f};
        }
        const float v = (y - y0 - 7.0f) / 36.0f;
        const Color inner = paint::mix(paint::rgb(30, 30, 52), paint::rgb(12, 12, 24), v);
        return paint::mix(inner, paint::rgb(110, 50, 16), 0.45f * glow * (1.0f - v));
    });
    const Text text(caption, 2.0f, 2.0f, true);
    Style s = plainStyle(paint::mix(paint::rgb(218, 204, 168), paint::rgb(255, 246, 200), glow), 1.0f);
    if (frame > 0) {
        s.glow = 3.0f + 2.0f * frame;
        s.glowColor = paint::rgb(255, 150, 50, 0.35f * frame);
    }
    pixelfont::drawTextCentred(img, text, x0 + kItemW * 0.5f, y0 + 25.0f - text.capHeight() * 0.5f, s);
}

gen::Image mainMenuSheet() {
    gen::Image img(512, 512, 3);
    // Background: s 0..300/512 over the full height, shown 300 x 480.
    const Place dragon{55.0f, 120.0f, 210.0f};
    const Place castle{30.0f, 292.0f, 240.0f};
    paint::paintRect(img, 0, 0, 300, 512, [&](float x, float y) {
        Color c = nightSky(x, y, 300, 512, 0.7f);
        c = moonOver(c, x, y, {70, 150}, 22);
        c = castleOver(c, x, y, castle);
        return dragonOver(c, x, y, dragon, paint::rgb(40, 12, 10), paint::rgb(190, 70, 40));
    });
    // The sheet is squeezed to 480 lines on screen: letters drawn taller.
    const float squeeze = 512.0f / 480.0f;
    const Text title(kTitle, 5.5f, 5.5f * squeeze);
    pixelfont::drawTextCentred(img, title, 150, 34, titleStyle(2.0f, 8.0f));
    const Text sub("Der Hort des Drachen", 2.0f, 2.0f * squeeze);
    pixelfont::drawTextCentred(img, sub, 150, 34 + title.capHeight() + 14, plainStyle(paint::rgb(230, 214, 180)));
    for (int item = 0; item < 3; ++item)
        for (int frame = 0; frame < 3; ++frame) drawMenuItem(img, kItemRow[item] + 50 * frame, kItemCaptions[item], frame);
    return img;
}

// --- loading screen ---------------------------------------------------------

// Rows 0..450 (t 1 down to 0.12) hold the picture; the screen shows it down
// to about row 446. Rows 451..511 (t 0.12..0) hold the bar, revealed from the
// left; its upper rows lie on the screen, the lower ones below its edge.
constexpr int kLoadingBarRow = 451;

gen::Image loadingScreen() {
    gen::Image img(512, 512, 3);
    const Place castle{121.0f, 150.0f, 270.0f};
    const Place dragon{236.0f, 24.0f, 250.0f};
    paint::paintRect(img, 0, 0, 512, kLoadingBarRow, [&](float x, float y) {
        Color c = nightSky(x, y, 512, 450, 0.9f);
        c = moonOver(c, x, y, {80, 150}, 26);
        // Hills along the bottom, the castle's hill among them.
        const float ridge = 400.0f + 14.0f * paint::fbm2(x / 90.0f, 0.5f, 3, 0, 0, 83u);
        c = paint::mix(c, paint::rgb(14, 12, 26), paint::coverage(ridge - y));
        c = castleOver(c, x, y, castle);
        return dragonOver(c, x, y, dragon, paint::rgb(44, 12, 10), paint::rgb(200, 80, 40));
    });
    const Text title(kTitle, 5.0f, 5.0f);
    pixelfont::drawTextCentred(img, title, 130, 30, titleStyle(2.0f, 8.0f));
    paint::paintRect(img, 0, kLoadingBarRow, 512, 512, [](float x, float y) {
        const float v = (y - kLoadingBarRow) / 36.0f;  // the bar's body: rows 451..487
        if (v > 1.0f) return paint::rgb(8, 4, 2);
        const float flame = paint::fbm2(x / 24.0f, y / 8.0f, 4, 0, 0, 81u);
        Color c = paint::mix(paint::rgb(150, 20, 4), paint::rgb(255, 190, 40), paint::clamp01(x / 512.0f + 0.4f * flame));
        const float shade = std::sin(paint::clamp01(v) * 3.14159265f);
        c = paint::mix(paint::rgb(40, 6, 0), c, 0.35f + 0.65f * shade);
        return paint::mix(c, {1, 1, 0.8f, 1}, 0.35f * paint::smoothstep(0.55f, 0.3f, std::fabs(v - 0.3f) * 2.0f));
    });
    return img;
}

// --- startup picture --------------------------------------------------------

gen::Image startupScreen() {
    gen::Image img(512, 512, 3);
    const Place dragon{100.0f, 92.0f, 320.0f};
    paint::paintAll(img, [&](float x, float y) {
        Color c = nightSky(x, y, 512, 512, 0.5f);
        c = moonOver(c, x, y, {420, 140}, 24);
        return dragonOver(c, x, y, dragon, paint::rgb(46, 12, 10), paint::rgb(210, 84, 40));
    });
    const Text title(kTitle, 7.0f, 7.0f);
    pixelfont::drawTextCentred(img, title, 256, 24, titleStyle(3.0f, 10.0f));
    pixelfont::drawTextCentred(img, Text("Der Hort des Drachen", 2.0f, 2.0f), 256, 86,
                               plainStyle(paint::rgb(230, 214, 180)));
    // The controls, key on the left, what it does on the right.
    paint::paintRect(img, 40, 314, 472, 462, [](float x, float y) {
        const float d = paint::sdBox({x, y}, {44, 318}, {468, 458}, 10.0f);
        if (d > 0.0f) return kTransparent;
        if (-d < 3.0f) return paint::rgb(196, 150, 60);
        return paint::rgb(10, 10, 22, 0.8f);
    });
    const char* const keys[][2] = {{"Maus", "Drache lenken"},
                                   {"Linke Taste", "Feuerball"},
                                   {"Leertaste", "Gold abwerfen"},
                                   {"E", "Ausrüstung"},
                                   {"M", "Burgmenü (bei der Burg)"},
                                   {"P / Esc", "Pause / Hauptmenü"}};
    for (int i = 0; i < 6; ++i) {
        const float y = 330.0f + 21.0f * i;
        const Text key(keys[i][0], 2.0f, 2.0f);
        pixelfont::drawText(img, key, 184.0f - key.width(), y, plainStyle(paint::rgb(255, 214, 110)));
        pixelfont::drawText(img, Text(keys[i][1], 2.0f, 2.0f), 200.0f, y, plainStyle(paint::rgb(232, 232, 240)));
    }
    pixelfont::drawTextCentred(img, Text("Bitte eine Taste drücken", 2.0f, 2.0f, true), 256, 476,
                               plainStyle(paint::rgb(255, 236, 150)));
    return img;
}

// --- logos ------------------------------------------------------------------

// The intro and logo screens' camera draws x at 0.625 of y's scale into the
// 4 : 3 overlay, so a world square shows 0.833 times as wide as high; their
// pictures are drawn that much wider.
constexpr float kPerspectiveWidth = 0.625f * 640.0f / 480.0f;

// The logo screen shows this square in perspective; toward the end of its
// zoom the top twentieth and the bottom sixth lie under the letterbox bars,
// so the emblem and the name keep to the rows between.
gen::Image logo() {
    gen::Image img(512, 512, 3);
    const Vec2 centre{256, 196};
    const float radius = 142;
    const Place dragon{145.6f, 109.75f, 230.0f};  // its extent centred in the disc
    paint::paintAll(img, [&](float px, float y) {
        const float x = 256.0f + (px - 256.0f) * kPerspectiveWidth;
        const float d = paint::sdCircle({x, y}, centre, radius);
        const float glow = 0.35f * std::exp(-std::max(d, 0.0f) / 18.0f);
        Color c{glow * 0.8f, glow * 0.3f, glow * 0.1f, 1.0f};
        if (d < 0.0f) {
            const float r = paint::length(Vec2{x, y} - centre) / radius;
            c = paint::mix(paint::rgb(120, 12, 8), paint::rgb(36, 2, 2), r);
        }
        const float ring = std::fabs(d + 7.0f) - 7.0f;
        const float shine = 0.5f + 0.5f * std::sin((d + 14.0f) / 14.0f * 3.14159265f);
        c = paint::mix(c, paint::mix(paint::rgb(120, 80, 20), paint::rgb(255, 216, 110), shine), paint::coverage(ring));
        // The dragon in gold, outlined dark.
        const Vec2 p = dragon.design(x, y);
        if (p.x < -0.05f || p.x > 1.05f || p.y < -0.05f || p.y > 1.05f) return c;
        const float dd = std::min(sdDragon(p), sdDragonFarWing(p)) * dragon.size;
        c = paint::mix(c, paint::rgb(30, 6, 2), paint::coverage(dd - 2.5f));
        const Color gold = paint::mix(paint::rgb(255, 236, 150), paint::rgb(200, 120, 20), (y - 100.0f) / 180.0f);
        c = paint::mix(c, sdDragonFarWing(p) < 0 && sdDragon(p) > 0 ? paint::mix(gold, {0, 0, 0, 1}, 0.35f) : gold,
                       paint::coverage(dd));
        return c;
    });
    const Text title(kTitle, 7.0f / kPerspectiveWidth, 7.0f);
    pixelfont::drawTextCentred(img, title, 256, 364, titleStyle(3.0f, 10.0f));
    return img;
}

// The intro shows t 0..0.27 of this sheet (the rows from 374 down) on a quad
// of 1.5 x 0.5, blended over the sky; the rest stays transparent. On screen
// the strip is 2.5 : 1, its texels 3.7 : 1, so letters are drawn wider to
// come out upright.
gen::Image skyTitle() {
    gen::Image img(512, 512, 4);
    const float stretch = (512.0f / (0.27f * 512.0f)) / (3.0f * kPerspectiveWidth);
    const Text title(kTitle, 10.0f, 10.0f / stretch);
    Style s = titleStyle(3.0f, 12.0f);
    s.glowColor = paint::rgb(255, 255, 255, 0.5f);
    pixelfont::drawTextCentred(img, title, 256, 386, s);
    const Text sub("Der Hort des Drachen", 3.0f, 3.0f / stretch);
    pixelfont::drawTextCentred(img, sub, 256, 386 + title.capHeight() + 12, plainStyle(paint::rgb(255, 246, 220), 1.5f));
    paint::bleedTransparent(img);
    return img;
}

}  // namespace

void writeScreenTextures(TextureSet& set) {
    set.write("menu_512.tga", mainMenuSheet());
    set.write("loading_2.tga", loadingScreen());
    set.write("startup.tga", startupScreen());
    set.write("Logo_neu.tga", logo());
    set.write("logo_sky.tga", skyTitle());
}

}  // namespace textures
