#include "screens/TTopbar.h"

#include <cmath>
#include <climits>
#include <new>

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "engine/TFont.h"
#include "engine/TMaterial.h"
#include "platform/gl.h"
#include "platform/win32.h"
#include "screens/StartScreens.h"

namespace {

TTopbar* theTopbar = nullptr;

// Gauge and icon layout on the 640 x 480 overlay, and the regions of the
// menu sheet they show (t given top edge first).
const float kGaugeWidth = 190.0f;
const float kSheetGaugeS0 = 0.24f;
const float kSheetGaugeWidth = 0.74f;
const float kQuadZ = -1.0f;

// One textured quad of the overlay: corners (left, bottom), (right, bottom),
// (right, top), (left, top), texture coordinates in the same order.
void drawQuad(float x0, float x1, float y0, float y1, float s0, float s1, float tTop, float tBottom) {
    glBegin(GL_QUADS);
    glTexCoord2f(s0, tBottom);
    glVertex3f(x0, y1, kQuadZ);
    glTexCoord2f(s1, tBottom);
    glVertex3f(x1, y1, kQuadZ);
    glTexCoord2f(s1, tTop);
    glVertex3f(x1, y0, kQuadZ);
    glTexCoord2f(s0, tTop);
    glVertex3f(x0, y0, kQuadZ);
    glEnd();
}

// A gauge's fill: 190 pixels and 0.74 of the sheet at 1.0, growing from the
// left. A fraction that is not a finite number draws nothing.
void drawFill(float x0, float fraction, float y0, float y1, float tTop, float tBottom) {
    if (!std::isfinite(fraction)) return;
    drawQuad(x0, x0 + kGaugeWidth * fraction, y0, y1, kSheetGaugeS0, kSheetGaugeS0 + kSheetGaugeWidth * fraction,
             tTop, tBottom);
}

// Clock arithmetic wraps with the 32-bit clock instead of overflowing.
int32_t later(uint32_t time, int32_t ms) { return static_cast<int32_t>(time + static_cast<uint32_t>(ms)); }
// True once the clock has reached the time.
bool reached(uint32_t now, int32_t time) { return static_cast<int32_t>(now - static_cast<uint32_t>(time)) >= 0; }

}  // namespace

TTopbar* TTopbar::getInstance(TEngine* engine, TProperties* /*properties*/) {
    if (!theTopbar && engine) theTopbar = new (std::nothrow) TTopbar(engine);
    return theTopbar;
}

TTopbar* TTopbar::existing() { return theTopbar; }

void TTopbar::destroyInstance() {
    delete theTopbar;
    theTopbar = nullptr;
}

TTopbar::TTopbar(TEngine* e) : TRenderable(e) {
    logOut() << "Lade topbar textur...\n";
    logFlush();
    material = startscreens::makePictureMaterial(engine, "topbar", "menu_elemente.tga");
    if (!material) {
        logOut() << "failed to startup texture\n";
        logFlush();
    }
    font = engine->getFont(-14, 400);
}

TTopbar::~TTopbar() {
    if (theTopbar == this) theTopbar = nullptr;
}

int TTopbar::percentOf(float value) {
    const float percent = value * 100.0f;
    if (std::isnan(percent)) return 0;
    if (percent >= static_cast<float>(INT_MAX)) return INT_MAX;
    if (percent <= static_cast<float>(INT_MIN)) return INT_MIN;
    return static_cast<int>(percent);
}

// ------------------------------------------------------------ setters ----

void TTopbar::setLife(float value) {
    const uint32_t now = timeGetTime();
    if (value < fraction[kLife]) {
        if (!blinking[kLife]) nextToggle[kLife] = later(now, kLifeToggleMs);
        blinking[kLife] = 1;
        phase[kLife] = 1;
        blinkStart[kLife] = static_cast<int32_t>(now);
    } else {
        blinking[kLife] = 0;
    }
    fraction[kLife] = value;
}

void TTopbar::setGold(float value) {
    const uint32_t now = timeGetTime();
    if (value < fraction[kGold]) {
        blinkStart[kGold] = static_cast<int32_t>(now);
        if (!blinking[kGold]) {
            nextToggle[kGold] = later(now, kGoldToggleMs);
            phase[kGold] = 1;
        }
        blinking[kGold] = 1;
    } else {
        blinking[kGold] = 0;
    }
    fraction[kGold] = value;
}

void TTopbar::setBalloonCount(int n) { balloonCount = n; }

void TTopbar::showMessage(const char* text) {
    message = text ? text : "";
    messageEnd = timeGetTime() + kMessageMs;
}

// ------------------------------------------------------------ drawing ----

void TTopbar::draw() {
    const uint32_t now = timeGetTime();
    engine->setMaterial(material);
    engine->begin2D();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    // Whatever the scene left as the current colour must not tint the bar.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    drawGauges(now);
    drawTexts(now);

    glPopMatrix();
    engine->end2D();
}

// Flips the phase on its rhythm and ends the blink lengthMs after the
// latest drop.
void TTopbar::advanceBlink(int gauge, int32_t toggleMs, int32_t lengthMs, uint32_t now) {
    if (!blinking[gauge]) return;
    if (reached(now, nextToggle[gauge])) {
        nextToggle[gauge] = later(now, toggleMs);
        phase[gauge] = !phase[gauge];
    }
    if (reached(now, later(static_cast<uint32_t>(blinkStart[gauge]), lengthMs))) blinking[gauge] = 0;
}

void TTopbar::drawGauges(uint32_t now) {
    // Life: the icon and frame turn red while the flash shows.
    advanceBlink(kLife, kLifeToggleMs, kLifeFlashMs, now);
    const bool flash = blinking[kLife] && phase[kLife];
    if (flash) glColor4f(1.0f, 0.3f, 0.3f, 1.0f);
    drawQuad(5, 45, 5, 45, 0.0f, 0.24f, 1.0f, 0.8f);
    drawQuad(50, 240, 15, 36, 0.24f, 0.98f, 1.0f, 0.92f);
    if (flash) glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawFill(50, fraction[kLife], 15, 36, 0.9f, 0.83f);

    // Gold: the icon alternates with its blink picture after a drop.
    advanceBlink(kGold, kGoldToggleMs, kGoldBlinkMs, now);
    if (blinking[kGold] && phase[kGold])
        drawQuad(250, 285, 5, 45, 0.0f, 0.195f, 0.4f, 0.2f);
    else
        drawQuad(250, 285, 5, 45, 0.0f, 0.195f, 0.79f, 0.6f);
    drawQuad(292, 482, 15, 36, 0.24f, 0.98f, 1.0f, 0.92f);
    drawFill(292, fraction[kGold], 15, 36, 0.81f, 0.73f);

    if (balloonCount > 0) drawQuad(492, 532, 5, 45, 0.225f, 0.43f, 0.6f, 0.4f);
}

void TTopbar::drawTexts(uint32_t now) {
    if (!font) return;
    if (balloonCount > 0) {
        glLoadIdentity();
        glTranslatef(523.0f, 40.0f, -1.0f);
        font->print("%d", balloonCount);
    }
    glLoadIdentity();
    glTranslatef(58.0f, 29.0f, 0.0f);
    font->print("%d%%", percentOf(fraction[kLife]));
    glLoadIdentity();
    glTranslatef(303.0f, 29.0f, 0.0f);
    font->print("%d%%", percentOf(fraction[kGold]));
    if (static_cast<int32_t>(now - messageEnd) < 0) {
        glLoadIdentity();
        glTranslatef(203.0f, 99.0f, 0.0f);
        font->print("%s", message.c_str());
    }
}
