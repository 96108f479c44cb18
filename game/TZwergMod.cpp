#include "game/TZwergMod.h"

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "engine/TMaterial.h"
#include "engine/TString.h"
#include "game/TGame.h"
#include "game/TZwerg.h"
#include "scene/TMesh.h"

namespace {

const char* const kAnimations[] = {"mods\\zwerg\\ani1.pff", "mods\\zwerg\\ani_shoot.pff"};

}  // namespace

TZwergMod::TZwergMod(TGame* g, TBufferObject* vertexBuffer, TBufferObject* indexBuffer)
    : TSkinnedMesh(TString("mods\\zwerg\\mesh.pff"), vertexBuffer, indexBuffer, g ? g->engine : nullptr, false),
      impostor(nullptr),
      game(g) {
    for (int track = TRACK_WALK; track <= TRACK_SHOOT; ++track) {
        const int loaded = loadAnimation(TString(kAnimations[track]));
        if (loaded != track) {
            logOut() << "Dwarf animation '" << kAnimations[track] << "' went to track " << loaded << " instead of "
                     << track << "\n";
            logFlush();
        }
    }
    TEngine* e = TSkinnedMesh::engine;
    if (e) {
        TMaterial* material = getGroupMaterial(0);
        const int program = e->loadVertexProgram(TString("programs\\noskinning_vp.txt"));
        if (material) material->vertexProgramSlot = program;
    }
    impostor = new TMesh(TString("mods\\zwerg\\mesh_impostor.pff"), vertexBuffer, indexBuffer, e, false);
}

TZwergMod::~TZwergMod() { delete impostor; }

TZwerg* TZwergMod::createDwarf(const TVector& position, float angle) {
    return new TZwerg(position, this, impostor, angle, game);
}

TRenderable* TZwergMod::createInstance(const TVector& position, float angle) {
    return createDwarf(position, angle);
}
