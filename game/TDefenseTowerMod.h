#pragma once
// TDefenseTowerMod is the defense tower kind: the tower model, built into
// the level's shared buffers, and the factory the ground calls for every
// tower pixel of the level map. Each tower it makes belongs to the game's
// object list; the kind only lends them its mesh, so it must outlive them.

#include "scene/TMesh.h"

class TBufferObject;
class TGame;

class TDefenseTowerMod : public TMesh {
public:
    TGame* game;  // not owned

    // Loads "mods\zwerg\defensetower.pff" (vertices split) into the game's
    // buffers and gives the mesh's first material the standard vertex
    // program. A missing model is logged by the mesh and draws nothing; the
    // towers still stand and fight.
    TDefenseTowerMod(TBufferObject* vertexBuffer, TBufferObject* indexBuffer, TGame* game);

    // A new TDefenseTower at position, turned by angle (radians). It joins
    // the game's object list and the AI controller's thinkers itself; the
    // game deletes it.
    TRenderable* createInstance(const TVector& position, float angle) override;
};
