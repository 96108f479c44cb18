// One frame of the running game: the scene, then (unless paused) the world
// update with the minimap, the sound listener, the timers, the AI controller
// and the dragon's fire.
#include <cmath>

#include "engine/TEngine.h"
#include "engine/TMatrix.h"
#include "game/TDrache.h"
#include "game/TGame.h"
#include "game/TKI.h"
#include "platform/gl.h"
#include "platform/sound.h"
#include "scene/TGrid.h"
#include "scene/TParticleManager.h"
#include "scene/TWasser.h"
#include "screens/TTopbar.h"

namespace {

// Minimap: 180 x 180 overlay pixels in the bottom left corner for the
// 2048 x 2048 world.
const float kMapSize = 180.0f;
const float kMapTop = 300.0f;
const float kWorldSize = 2048.0f;
const float kOverlayDepth = -100.0f;

TVector mapPoint(const TVector& p) {
    return TVector(kMapSize - p.x * kMapSize / kWorldSize, p.y * kMapSize / kWorldSize + kMapTop, kOverlayDepth);
}

void vertex(const TVector& v) { glVertex3f(v.x, v.y, v.z); }

}  // namespace

int TGame::frameTime(float rate) {
    if (!(rate > 1.0f)) return 0;
    const double exact = 5000.0 / rate + dtCarry;
    const int dt = static_cast<int>(exact);
    dtCarry = exact - dt;
    return dt;
}

void TGame::doFrame() {
    readMouse();
    targetCamera.lookAtTarget();
    drawScene();
    if (paused) {
        pausedStep();
        return;
    }
    // Only a measured frame rate above 1.0 moves the world.
    const float rate = engine->fpsCounter.fps;
    const bool running = rate > 1.0f;
    const int dt = frameTime(rate);
    lastDt = dt;
    if (running) updateStep(dt);
    updateListener();
    if (running) runTimers(dt);
    if (aiTimer > 1000) {
        if (ki) ki->think();
        aiTimer = 0;
    }
    if (dragon && fireTimer > 1500.0f / dragon->firepower) {
        fireTimer = 0;
        dragon->shootFireball();
    }
    if (topbar) topbar->draw();
}

void TGame::readMouse() {
    POINT p;
    if (!GetCursorPos(&p)) return;
    if (p.x != cursor.x || p.y != cursor.y) {
        cursor = p;
        mouseLook(p.x, p.y);
    }
}

// The water's reflection first (an offscreen picture: the GL driver has it
// finished by the time the water shows it, instead of the water waiting for
// everything drawn before), then the dragon in drawing units, then the world
// scaled by 100: ground, sky, water, the ground's objects, the particles.
void TGame::drawScene() {
    if (water) water->renderReflection();
    if (dragon) dragon->render();
    glPushMatrix();
    glScalef(100.0f, 100.0f, 100.0f);
    drawGround();
    glDisable(GL_FOG);
    drawSkybox();
    glEnable(GL_FOG);
    if (water) water->drawSurface();
    drawGroundObjects();
    glDepthMask(GL_FALSE);
    if (particles) particles->drawAll();
    glDepthMask(GL_TRUE);
    glPopMatrix();
}

// While paused the active camera turns slowly on the spot.
void TGame::pausedStep() {
    TCamera* camera = engine->camera;
    if (!camera) return;
    const TVector turned = camera->getDirection().transform(TMatrix::rotationZ(0.005f)).normalized();
    camera->setDirection(turned);
    camera->up = TVector(0.0f, 0.0f, 1.0f);
    camera->updateView();
    camera->updateFrustum();
}

// The world moves on by dt game milliseconds: collisions, particles, every
// world object (each one's marker goes on the minimap right after its step,
// so the objects advance inside the minimap's overlay), the dragon's arrow
// on the minimap, the follow camera.
void TGame::updateStep(int dt) {
    if (grid) grid->processCollisions();
    if (particles) particles->update(dt);
    beginMinimap();
    advanceWorldObjects(dt);
    drawDragonArrow();
    engine->end2D();
    if (dragon) dragon->updateCamera(&followCamera);
}

// Opens the overlay and draws the minimap's ground picture; lighting and
// texturing stay off for the markers.
void TGame::beginMinimap() {
    engine->setMaterial(minimapMaterial);
    engine->begin2D();
    glLoadIdentity();

    glBegin(GL_QUADS);
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(0.0f, kMapTop, kOverlayDepth);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(kMapSize, kMapTop, kOverlayDepth);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(kMapSize, kMapTop + kMapSize, kOverlayDepth);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(0.0f, kMapTop + kMapSize, kOverlayDepth);
    glEnd();

    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
}

// Every world object's periodicDo, each followed by its marker on the
// minimap (one triangle batch for all markers) and its deletion when it asks
// for it.
void TGame::advanceWorldObjects(int dt) {
    glBegin(GL_TRIANGLES);
    TListNode<TMovingObject>* node = objects.head;
    while (node) {
        TMovingObject* object = node->value;
        const bool remove = object->periodicDo(dt);
        TVector p;
        object->getPosition(p);
        if (object->minimapFlag) {
            const TVector m = mapPoint(p);
            const TVector c = object->getMarkerColor();
            glColor3f(c.x, c.y, c.z);
            vertex(m);
            vertex(m + TVector(2.0f, 0.0f, 0.0f));
            vertex(m + TVector(0.0f, 2.0f, 0.0f));
        }
        node = node->next;
        if (remove) delete object;
    }
    glEnd();
}

void TGame::drawDragonArrow() {
    if (!dragon) return;
    const TVector m = mapPoint(dragon->getPosition());
    glLoadIdentity();
    glTranslatef(m.x, m.y, m.z);
    TVector f = dragon->getBackward();
    f.x = -f.x;
    f.z = 0.0f;
    if (f.length() <= 0.0f) return;  // nose straight up or down: no heading
    const TVector tip = f.normalized() * -8.0f;
    const TVector side = f.perpendicularXY();
    glBegin(GL_TRIANGLES);
    glColor3f(0.0f, 0.0f, 1.0f);
    vertex(tip);
    vertex(side * 0.3f);
    vertex(side * -0.3f);
    glEnd();
}

void TGame::updateListener() {
    if (!dragon) return;
    const TVector p = dragon->drawPosition() * 0.01f;
    const float at[3] = {p.x, p.y, p.z};
    FSOUND_3D_Listener_SetAttributes(at, nullptr, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f);
    FSOUND_Update();
    if (ki) {
        ki->listener[0] = p.x;
        ki->listener[1] = p.y;
        ki->listener[2] = p.z;
    }
}

void TGame::runTimers(int dt) {
    aiTimer += dt;
    if (leftButton) fireTimer += dt;
}

void TGame::drawSkybox() {
    engine->setMaterial(skyMaterial);
    glPushMatrix();
    glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
    // Faces z = -1, z = 1, y = 1, y = -1, x = -1, x = 1; w = 0 puts the cube
    // at infinity and the texture coordinate is the cube-map direction.
    static const float corners[24][3] = {
        {-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},  //
        {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1},   //
        {-1, 1, -1},  {-1, 1, 1},  {1, 1, 1},  {1, 1, -1},   //
        {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1},  //
        {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}, {-1, -1, 1},  //
        {1, -1, -1},  {1, 1, -1},  {1, 1, 1},  {1, -1, 1},
    };
    glBegin(GL_QUADS);
    for (const float* c : corners) {
        glTexCoord3f(c[0], c[1], c[2]);
        glVertex4f(c[0], c[1], c[2], 0.0f);
    }
    glEnd();
    glPopMatrix();
}

void TGame::drawReflection() {
    drawSkybox();
    if (dragon) dragon->render();
    glPushMatrix();
    glScalef(100.0f, 100.0f, 100.0f);
    const double plane[4] = {0.0, 0.0, -1.0, 500.0};
    glClipPlane(GL_CLIP_PLANE0, plane);
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnable(GL_ALPHA_TEST);
    drawGroundReflection();
    glDisable(GL_ALPHA_TEST);
    glPopMatrix();
}
