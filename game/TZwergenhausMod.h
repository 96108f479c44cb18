#pragma once
// TZwergenhausMod is the dwarf-house kind: the house model that every house
// of the level map draws. The level set-up makes one; the game deletes it
// after the houses.

#include "scene/TMesh.h"

class TBufferObject;
class TGame;

class TZwergenhausMod : public TMesh {
public:
    TGame* game;  // the world of every house it makes; not owned

    // Loads "mods\haus\mesh.pff" into the shared buffers and gives its first
    // material the vertex program "programs\standard_vp.txt". A missing file
    // is logged by the mesh; the houses then draw nothing.
    TZwergenhausMod(TGame* game, TBufferObject* vertexBuffer, TBufferObject* indexBuffer);

    // A new TZwergenhaus at position; the angle given is ignored, the house
    // takes a random one. The game's object list holds it; never null.
    TRenderable* createInstance(const TVector& position, float angle) override;
};
