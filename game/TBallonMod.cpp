#include "game/TBallonMod.h"

#include "engine/TEngine.h"
#include "engine/TMaterial.h"
#include "engine/TString.h"
#include "game/TBallon.h"
#include "game/TGame.h"

TBallonMod::TBallonMod(TGame* g, TBufferObject* vb, TBufferObject* ib)
    : TMesh(TString("mods\\ballon\\mesh.pff"), vb, ib, g ? g->engine : nullptr, false), game(g) {
    TEngine* e = TRenderable::engine;
    TMaterial* material = getGroupMaterial(0);
    if (e && material) material->vertexProgramSlot = e->loadVertexProgram(TString("programs\\standard_vp.txt"));
}

TRenderable* TBallonMod::createInstance(const TVector& position, float angle) {
    return new TBallon(this, game, position, angle);
}
