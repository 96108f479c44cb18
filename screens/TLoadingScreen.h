#pragma once
// TLoadingScreen shows a picture, a progress bar and "Lade (n%)" while the
// program starts and the level is built. It has no loop of its own: whoever
// loads something raises the progress, and each raise draws one engine frame
// at once. One instance per run.

#include "engine/TRenderable.h"

class TEngine;
class TFont;
class TMaterial;
class TProperties;

class TLoadingScreen : public TRenderable {
public:
    float progress = 0.0f;  // share of the loading done, 0.0 .. 1.0
    TMaterial* material = nullptr;
    TFont* font = nullptr;

    // The single loading screen, made on the first call with this engine
    // (the properties are not used). Null when it does not exist yet and
    // either the engine is null or the allocation fails; the next call tries
    // again. The screen is owned by this accessor.
    static TLoadingScreen* getInstance(TEngine* engine, TProperties* properties);
    // The loading screen if it exists, else null (never makes one).
    static TLoadingScreen* existing();
    // Deletes the loading screen; getInstance then makes a new one.
    static void destroyInstance();

    // Builds the material "loading" on loading_2.tga and takes the engine's
    // (-14, 400) font. A material that cannot be made is logged and the
    // screen draws without one.
    explicit TLoadingScreen(TEngine* engine);
    // Gives the GL clear colour back its sky blue (when an engine, and so a
    // GL context, is still there).
    ~TLoadingScreen() override;

    // progress := p, then one engine frame.
    void setProgress(float p);
    // progress := progress + step, 1.0 at most, then one engine frame.
    void advance(float step);

    // Draws the picture, the bar and the percentage on the 2D overlay.
    void draw();
    void render() override { draw(); }
};
