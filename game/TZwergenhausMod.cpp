#include "game/TZwergenhausMod.h"

#include <cstdlib>

#include "engine/TEngine.h"
#include "engine/TMaterial.h"
#include "engine/TString.h"
#include "game/TGame.h"
#include "game/TZwergenhaus.h"
#include "platform/crt.h"

TZwergenhausMod::TZwergenhausMod(TGame* g, TBufferObject* vertexBuffer, TBufferObject* indexBuffer)
    : TMesh(TString("mods\\haus\\mesh.pff"), vertexBuffer, indexBuffer, g ? g->engine : nullptr, false), game(g) {
    TEngine* e = TMesh::engine;
    if (!e) return;
    TMaterial* material = getGroupMaterial(0);
    const int program = e->loadVertexProgram(TString("programs\\standard_vp.txt"));
    if (material) material->vertexProgramSlot = program;
}

TRenderable* TZwergenhausMod::createInstance(const TVector& position, float) {
    // A random turn of 0 to 360, handed over as radians.
    const float angle = static_cast<float>(rand() * 360.0 / 32767);
    return new TZwergenhaus(this, game, position, angle);
}
