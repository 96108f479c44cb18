#pragma once
// What the start screens (intro, logo, startup picture) and the main menu
// share: their pictures are one-layer materials of the engine (so are those
// of the loading screen, the top bar and the in-game menus), the loading
// screen, the startup picture and the main menu open their frame the same
// way, and the intro and logo draw the same black fade with letterbox bars
// over their scene. Their loops take every waiting message of the thread
// before the next frame (pumpMessages with no window and no limit).

#include <cstdint>

class TCamera;
class TEngine;
class TMaterial;

namespace startscreens {

// A one-layer material named name on the texture file (scale 1 x 1, three
// black colours with alpha 1, float 2.0) added to the engine. The material
// is the engine's; null only when the engine could not make one.
TMaterial* makePictureMaterial(TEngine* engine, const char* name, const char* textureFile);
// makePictureMaterial, logged as "Lade <name> textur..." and, when it could
// not be made, "failed to startup texture".
TMaterial* loadPicture(TEngine* engine, const char* name, const char* textureFile);
// makePictureMaterial of a screen's numbered pictures, logged as
// "Lade <file> textur... ok." or "failed.", kept in slots[count] while count
// is below capacity (otherwise logged as "<owner>: no texture slot left
// ..." and not kept); count goes up either way.
void keepPicture(TEngine* engine, const char* file, const char* name, TMaterial** slots, int& count, int capacity,
                 const char* owner);

// Opens a full-screen picture's frame: the material, the overlay, a black
// clear, white so that nothing drawn before tints the picture, and the
// model-view matrix pushed and moved to (60, 0, depth), where a 480-wide
// picture stands centred. The caller pops the matrix and ends the overlay.
void beginPicture(TEngine* engine, TMaterial* material, float depth);

// One step of a fade: once stepMs have passed since lastFadeStep (which then
// becomes now), alpha moves by step, up while fading out, down while fading
// in, and is kept in 0 .. 1.
void stepFade(float& alpha, int fadingOut, int fadingIn, uint32_t& lastFadeStep, uint32_t now, uint32_t stepMs,
              float step);

// The camera of the intro and logo screens: at the origin looking along +z,
// y up, its projection distances 0 and -2 (near plane at 2, no far plane),
// lit by the engine's light. The caller owns it; never null.
TCamera* makeStartCamera(TEngine* engine);

// The fade and letterbox overlay of the intro and logo screens: while a fade
// flag is set, a black quad of opacity alpha over the whole 640 x 480
// overlay, alpha stepping by 0.05 (up while fading out, down while fading
// in, kept in 0 .. 1) once at least 50 ms have passed since lastFadeStep;
// then the two opaque black bars at the top and bottom. Leaves blending on
// and the matrices and attributes as it found them.
void drawLetterboxFade(TEngine* engine, float& alpha, int fadingOut, int fadingIn, uint32_t& lastFadeStep);

// One quad from (x0, y0) to (x1, y1) at depth 0, without texture
// coordinates.
void drawPlainQuad(float x0, float y0, float x1, float y1);

}  // namespace startscreens
