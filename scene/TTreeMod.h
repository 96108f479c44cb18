#pragma once
// TTreeMod is the tree kind: one tree model from which the ground makes
// every tree of the level map. Each tree is a plain scene node of this mesh
// with a random yaw and a random stretch (0.5 to 2.5 across, 1.0 to 3.0 in
// height), so that one model gives a varied forest. The level draws the
// model as one batch in immediate mode, which bakes the trees into the
// ground tiles' display lists; the tiles own the trees.

#include "scene/TMesh.h"

class TBufferObject;

class TTreeMod : public TMesh {
public:
    // Loads "mods\baum\treemod.pff" into the given buffers. A missing model
    // is logged by the mesh; its trees draw nothing.
    TTreeMod(TBufferObject* vertexBuffer, TBufferObject* indexBuffer, TEngine* engine, bool split = false);

    // A new TSceneNode of the tree at position (the angle is not used):
    // random yaw, then random scales x, y and z, drawn in that order. The
    // caller owns it.
    TRenderable* createInstance(const TVector& position, float angle) override;

    // Makes the mesh one batch drawn in immediate mode: the first group runs
    // on to the end of the last (all drawn with the first group's material)
    // and the flag that static objects are recognised by is set. Nothing for
    // a missing mesh.
    void drawAsOneBatch();
};
