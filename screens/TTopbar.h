#pragma once
// TTopbar is the running game's head-up display: a strip at the top of the
// 640 x 480 overlay with the life and gold gauges, the balloon count and one
// timed message. Game objects only hand it values; the game draws it once a
// frame. Its times are milliseconds of timeGetTime. One instance per run.

#include <cstdint>
#include <string>

#include "engine/TRenderable.h"

class TEngine;
class TFont;
class TMaterial;
class TProperties;

class TTopbar : public TRenderable {
public:
    static const int kLife = 0;
    static const int kGold = 1;
    static const uint32_t kMessageMs = 4000;     // how long a message stays
    static const int32_t kGoldBlinkMs = 3000;    // gold blink after the latest drop
    static const int32_t kGoldToggleMs = 1000;   // gold blink rhythm
    static const int32_t kLifeFlashMs = 1000;    // life flash after the latest drop
    static const int32_t kLifeToggleMs = 250;    // life flash rhythm

    uint32_t messageEnd = 0;  // the message shows while the clock is below this
    TMaterial* material = nullptr;
    TFont* font = nullptr;
    float fraction[2] = {1.0f, 1.0f};   // life, gold: share of the maximum
    int32_t blinking[2] = {0, 0};       // life flash, gold blink running
    int32_t phase[2] = {0, 0};          // the flash or blink picture is showing
    int32_t blinkStart[2] = {0, 0};     // time of the latest drop
    int32_t nextToggle[2] = {0, 0};     // when the phase flips next
    std::string message;
    int32_t balloonCount = 0;

    // The single top bar, made on the first call with this engine (the
    // properties are not used). Null when it does not exist yet and either
    // the engine is null or the allocation fails; the next call tries again.
    // The top bar is owned by this accessor.
    static TTopbar* getInstance(TEngine* engine, TProperties* properties);
    // The top bar if it exists, else null (never makes one).
    static TTopbar* existing();
    // Deletes the top bar; getInstance then makes a new one.
    static void destroyInstance();

    // Builds the material "topbar" on menu_elemente.tga and takes the
    // engine's (-14, 400) font. A material that cannot be made is logged and
    // the bar draws without one.
    explicit TTopbar(TEngine* engine);
    ~TTopbar() override;

    // Draws the bar on the 2D overlay and advances the blinks.
    void draw();
    void render() override { draw(); }

    // Life share of the maximum; a drop starts the life flash.
    void setLife(float value);
    // Gold share of the castle's maximum; a drop starts (or prolongs) the
    // gold blink, anything else stops it at once.
    void setGold(float value);
    void setBalloonCount(int n);
    // Shows a copy of the text for 4000 ms, replacing any earlier message.
    // A null text shows an empty message.
    void showMessage(const char* text);

    // A fraction as a whole percentage, truncated toward zero; 0 for a value
    // that is not a number, saturated beyond the int range.
    static int percentOf(float value);

private:
    void advanceBlink(int gauge, int32_t toggleMs, int32_t lengthMs, uint32_t now);
    void drawGauges(uint32_t now);
    void drawTexts(uint32_t now);
};
