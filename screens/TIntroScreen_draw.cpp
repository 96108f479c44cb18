// The intro's picture: the dragon, the particles, the sky backdrop and title
// and thirteen cloud pictures at fixed depths, seen through the intro's
// camera, then the fade and letterbox bars.

#include "engine/TCamera.h"
#include "engine/TEngine.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "platform/gl.h"
#include "scene/TParticleManager.h"
#include "screens/StartScreens.h"
#include "screens/TIntroScreen.h"
#include "screens/TLogoScreen.h"

namespace {

// One cloud picture; x and y move with the camera by the given factors.
struct CloudQuad {
    int slot;
    float x, xPerZ;
    float y, yPerZ;
    float z, w, h;
    bool mirrored;
    bool shiftedByOffset;
};

// Far to near, each drawn over the ones before.
const CloudQuad kClouds[] = {
    {TIntroScreen::TEX_CLOUD, -2.0f, 0.07f, -1.0f, 0.0f, -13.5f, 4.0f, 3.0f, false, true},
    {TIntroScreen::TEX_CLOUD, -2.8f, -0.07f, -0.3f, 0.0f, -13.0f, 4.0f, 3.0f, true, false},
    {TIntroScreen::TEX_CLOUD_SMALL, -1.0f, 0.0f, -0.8f, 0.12f, -12.8f, 3.0f, 3.0f, false, false},
    {TIntroScreen::TEX_CLOUD, -0.2f, 0.0f, -0.6f, 0.05f, -8.0f, 4.0f, 3.0f, true, false},
    {TIntroScreen::TEX_CLOUD, -1.95f, 0.1f, -0.9f, 0.0f, -7.2f, 4.0f, 3.0f, false, false},
    {TIntroScreen::TEX_CLOUD_SMALL, -0.5f, 0.0f, -1.0f, 0.12f, -7.1f, 3.0f, 3.0f, false, false},
    {TIntroScreen::TEX_CLOUD, -1.3f, -0.02f, -1.4f, 0.0f, -6.0f, 4.0f, 3.0f, true, false},
    {TIntroScreen::TEX_WOLKENBANK, -3.0f, 0.0f, -0.4f, 0.0f, -5.3f, 5.0f, 3.5f, true, false},
    {TIntroScreen::TEX_CLOUD_SMALL, -0.5f, 0.0f, -1.4f, 0.12f, -4.2f, 3.0f, 3.0f, false, false},
    {TIntroScreen::TEX_CLOUD_SMALL, -1.3f, 0.0f, -0.7f, 0.0f, -3.4f, 3.0f, 3.0f, true, false},
    {TIntroScreen::TEX_CLOUD, 0.0f, 0.0f, -0.1f, 0.0f, -2.2f, 3.0f, 3.0f, true, false},
    {TIntroScreen::TEX_CLOUD, -2.88f, 0.0f, -0.3f, 0.0f, -2.0f, 3.0f, 3.0f, false, false},
    {TIntroScreen::TEX_CLOUD_SMALL, 0.5f, 0.0f, -1.3f, 0.0f, -1.95f, 3.0f, 3.0f, false, false},
};

// A quad from (0, 0) to (w, h) at depth 0, s 0 .. 1 along x, t from tAtY0 at
// y = 0 to tAtH at y = h.
void texturedQuad(float w, float h, float tAtY0, float tAtH) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, tAtH);
    glVertex3f(0.0f, h, 0.0f);
    glTexCoord2f(1.0f, tAtH);
    glVertex3f(w, h, 0.0f);
    glTexCoord2f(1.0f, tAtY0);
    glVertex3f(w, 0.0f, 0.0f);
    glTexCoord2f(0.0f, tAtY0);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glEnd();
}

}  // namespace

void TIntroScreen::draw() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    camera->setPosition(TVector(0.0f, 0.0f, cameraZ));

    drawDragon();

    // The particles live in the game's world units.
    if (game && game->particles) {
        glPushMatrix();
        glScalef(0.001f, 0.001f, 0.001f);
        glDepthMask(GL_FALSE);
        game->particles->render();
        glDepthMask(GL_TRUE);
        glPopMatrix();
    }

    // Whatever was drawn before must not tint the pictures.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawSky();
    drawClouds();

    engine->setMaterial(textures[TEX_NEBEL]);
    glPopMatrix();
    glDisable(GL_BLEND);
    drawFade();
}

void TIntroScreen::drawDragon() {
    glPushMatrix();
    glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glScalef(0.004f, 0.004f, 0.004f);
    glTranslatef(flightPos.x, flightPos.y, flightPos.z);
    if (dragon) dragon->render();
    // Game time runs as in the game: nothing moves at one frame a second or
    // less.
    const float rate = engine->fpsCounter.fps;
    if (rate > 1.0f) {
        const int dt = static_cast<int>(5000.0f / rate);
        if (dragon) dragon->advance(dt);
        if (game && game->particles) game->particles->update(dt);
    }
    glPopMatrix();
}

void TIntroScreen::drawFade() { startscreens::drawLetterboxFade(engine, alpha, fadingOut, fadingIn, lastFadeStep); }

// The backdrop (opaque) and the title blended over it, which recedes while
// the dragon climbs.
void TIntroScreen::drawSky() {
    glDisable(GL_BLEND);
    engine->setMaterial(textures[TEX_SKY_NEW]);
    glPushMatrix();
    glScalef(8.5f, 8.5f, 1.0f);
    glTranslatef(-1.5f, -1.0f, -23.0f);
    texturedQuad(3.0f, 2.0f, 1.0f, 0.283203125f);
    glPopMatrix();

    glEnable(GL_BLEND);
    engine->setMaterial(textures[TEX_LOGO_SKY]);
    glPushMatrix();
    glTranslatef(-3.5f, 0.5f, logoDepth - 22.5f);
    glScalef(7.5f, 7.5f, 1.0f);
    texturedQuad(1.5f, 0.5f, 0.27f, 0.0f);
    glPopMatrix();
}

void TIntroScreen::drawClouds() {
    const float z = cameraZ;
    for (const CloudQuad& c : kClouds) {
        engine->setMaterial(textures[c.slot]);
        const float x = c.x + c.xPerZ * z + (c.shiftedByOffset ? cloudOffset : 0.0f);
        const float y = c.y + c.yPerZ * z;
        TLogoScreen::drawQuad(x, y, c.z, c.w, c.h, c.mirrored);
    }
}
