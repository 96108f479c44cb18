#pragma once
// TZwergMod is the dwarf kind: the skinned dwarf model with its walking
// (track 0) and shooting (track 1) animations, and the plain impostor mesh
// drawn for far dwarves. Every dwarf is an instance of it; the kind must
// outlive its dwarves. The level set-up makes one and the game deletes it.

#include "scene/TSkinnedMesh.h"

class TBufferObject;
class TGame;
class TMesh;
class TVector;
class TZwerg;

class TZwergMod : public TSkinnedMesh {
public:
    // Animation tracks of the dwarf.
    enum { TRACK_WALK = 0, TRACK_SHOOT = 1 };

    TMesh* impostor;  // owned; a missing file gives a mesh that draws nothing
    TGame* game;      // the world of every dwarf it makes; not owned

    // Loads "mods\zwerg\mesh.pff" into the shared buffers, its two
    // animations, the impostor "mods\zwerg\mesh_impostor.pff", and gives the
    // model's first material the vertex program "programs\noskinning_vp.txt".
    // Missing files are logged by the loaders; the kind then draws nothing
    // (or has no animation on that track).
    TZwergMod(TGame* game, TBufferObject* vertexBuffer, TBufferObject* indexBuffer);
    // Deletes the impostor; the arrays belong to the engine.
    ~TZwergMod() override;

    // A new dwarf standing at position, turned by angle (radians), in the
    // game's world. The game's object list holds it; it is deleted through
    // its own destructor. Never null.
    TZwerg* createDwarf(const TVector& position, float angle);
    TRenderable* createInstance(const TVector& position, float angle) override;
};
