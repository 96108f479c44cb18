#include "game/TDefenseTowerMod.h"

#include "engine/TEngine.h"
#include "engine/TMaterial.h"
#include "engine/TString.h"
#include "game/TDefenseTower.h"
#include "game/TGame.h"

TDefenseTowerMod::TDefenseTowerMod(TBufferObject* vb, TBufferObject* ib, TGame* g)
    : TMesh(TString("mods\\zwerg\\defensetower.pff"), vb, ib, g ? g->engine : nullptr, true), game(g) {
    TMaterial* material = getGroupMaterial(0);
    if (material && engine) material->vertexProgramSlot = engine->loadVertexProgram(TString("programs\\standard_vp.txt"));
}

TRenderable* TDefenseTowerMod::createInstance(const TVector& position, float angle) {
    TDefenseTower* tower = new TDefenseTower(this, position, angle, game);
    return static_cast<TSceneNode*>(tower);
}
