#pragma once
// TSkinnedMeshInstance is one animated copy of a skinned model in the world
// (the dragon and every dwarf derive from it): it shares the template's
// arrays and weights, never frees them, and owns its skeleton copy, its
// position and its orientation. It is drawn at half model scale and moves
// forward along its local +y axis.

#include <cstdint>

#include "engine/TMatrix.h"
#include "engine/TVector.h"
#include "scene/TSkinnedMesh.h"

class TSkinnedMeshInstance : public TSkinnedMesh {
public:
    static constexpr float kDrawScale = 0.5f;

    TMatrix rotation;      // orientation only
    TVector facing;        // cached forward direction
    uint8_t facingValid;   // 0: recompute facing before the next move
    TVector position;

    // A copy of the template (which must outlive it) at position, turned by
    // angle (radians) about z. Its skeleton copy has the template's current
    // track (-1 for a template never started): the owner starts a track
    // before the animation moves.
    TSkinnedMeshInstance(TSkinnedMesh* templ, const TVector& position, float angle);
    ~TSkinnedMeshInstance() override = default;

    // Pass 0 surface, pass 1 shadow volume, at the instance's place.
    void draw(bool pass);
    void render() override { draw(false); }
    void renderSecondPass() override { renderDebug(); }
    void renderDebug() { draw(true); }
    // Re-files the instance by its position, as a scene node does.
    void updateTile() override;

    virtual void setPosition(const TVector& p);
    // position += forward * distance; forward is the rotation applied to
    // (0, 1, 0), cached until rotateZ or rotateX changes the orientation.
    virtual void moveForward(float distance);
    TVector getPosition() const { return position; }

    // A turn about the model's own up axis (the turn first, then the old
    // rotation); clears the cached facing.
    void rotateZ(float angle);
    // The same about the model's x axis; clears the cached facing.
    void rotateX(float angle);
    // A turn about the world's z axis (the old rotation first); the cached
    // facing stays as it is.
    void rotateZ2(float angle);
};
