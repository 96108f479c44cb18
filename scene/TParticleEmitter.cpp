#include "scene/TParticleEmitter.h"

#include "engine/TEngine.h"
#include "platform/gl.h"
#include "scene/TParticleManager.h"

namespace {

// The billboard list and the GL context it was made in (-1: none yet).
int billboardList = -1;
HGLRC billboardContext = nullptr;

}  // namespace

TParticleEmitter::TParticleEmitter(int life, const TVector& v, float fade, float s, float grow, float turn,
                                   float fall, float slow, TMaterial* m, const TVector& p, bool children,
                                   bool alphaAsZ, TParticleManager* manager, TEngine* e)
    : TParticle(p, life, manager, e),
      size(s * 0.5f),
      material(m),
      spin(0.0f),
      spinRate(turn),
      fadeRate(fade),
      alpha(fade >= 0.0f ? 1.0f : 0.0f),
      growth(grow),
      gravity(fall),
      drag(slow),
      spawnsChildren(children),
      alphaInZ(alphaAsZ),
      childTimer(0),
      velocity(v) {}

bool TParticleEmitter::step(int dt) {
    const float t = static_cast<float>(dt);
    position = position + velocity * t;
    if (gravity != 0.0f) velocity.z += gravity * t;
    size += t * growth;
    spin += t * spinRate;
    alpha -= t * fadeRate;
    if (alpha < 0.0f) alpha = 0.0f;
    if (alpha > 1.0f) alpha = 1.0f;
    if (drag > 0.0f) velocity = velocity - velocity * drag * t;
    if (spawnsChildren) {
        childTimer += dt;
        if (childTimer > 1000) {
            childTimer = 0;
            emitChild();
        }
    }
    depth = viewDepth(engine, position);
    lifetime -= dt;
    dead = lifetime <= 0;
    return dead;
}

// Half the parent's lifetime, speed, growth and (given) size, twice its fade
// and spin; no children of its own.
void TParticleEmitter::emitChild() {
    if (!particles) return;
    particles->add(new TParticleEmitter(lifetime / 2, velocity * 0.5f, fadeRate * 2.0f, size * 0.5f,
                                        growth * 0.5f, spinRate * 2.0f, gravity, drag, material, position, false,
                                        alphaInZ, particles, engine));
}

void TParticleEmitter::draw() {
    if (engine) engine->setMaterial(material);
    glProgramLocalParameter4fARB(GL_VERTEX_PROGRAM_ARB, 0, position.x, position.y, position.z, 1.0f);
    glProgramLocalParameter4fARB(GL_VERTEX_PROGRAM_ARB, 1, spin, size, alphaInZ ? alpha : 1.0f, alpha);
    const unsigned int list = billboard(engine);
    if (list) glCallList(list);
}

unsigned int TParticleEmitter::billboard(TEngine* engine) {
    HGLRC context = engine ? engine->glContext : nullptr;
    if (billboardList != -1 && billboardContext == context) return static_cast<unsigned int>(billboardList);
    const GLuint list = glGenLists(1);
    if (list == 0) return 0;
    glNewList(list, GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex4f(-1.0f, -1.0f, 0.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex4f(1.0f, -1.0f, 0.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex4f(1.0f, 1.0f, 0.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex4f(-1.0f, 1.0f, 0.0f, 0.0f);
    glEnd();
    glEndList();
    billboardList = static_cast<int>(list);
    billboardContext = context;
    return list;
}
