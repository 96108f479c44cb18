#pragma once
// TSceneNode is one placed, oriented copy of a mesh: a world position, an
// orientation-and-scale matrix without translation, and the mesh (not
// owned). A node filed in a ground tile re-files itself when it moves out
// of it, and leaves its tile once, when it is destroyed.

#include "engine/TMatrix.h"
#include "engine/TRenderable.h"
#include "engine/TVector.h"

class TMesh;

class TSceneNode : public TRenderable {
public:
    // The model scale of placed meshes; -z turns the model's up axis into
    // the world's downward-growing z.
    static constexpr float kModelScale = 0.01f;

    TMesh* mesh;
    TVector position;
    TMatrix matrix;

    // A visible, unfiled node. With scaleAndRotate the matrix is the turn
    // about z by angle (radians) with the scale diag(0.01, 0.01, -0.01);
    // otherwise the identity (the mesh is drawn at model scale).
    TSceneNode(TEngine* engine, const TVector& position, float angle, TMesh* mesh, bool scaleAndRotate);
    // Leaves the tile it is filed in (TRenderable's destructor does that).
    ~TSceneNode() override = default;

    // Draws the mesh's surface at the position with the matrix; nothing
    // without a mesh.
    void render() override;
    // Static (baked into the ground tile's display list) when its mesh is;
    // false without a mesh.
    bool getFlag() override;
    // Moves the node to the tile under its position when it has left its
    // own. Unfiled nodes, and nodes with no tile under them (beyond the
    // ground), stay where they are filed.
    void updateTile() override;
    // Moves along the model's forward axis (local -y); the matrix's scale
    // applies to the distance.
    virtual void moveForward(float distance);

    // Turns about the model's own up axis: the turn first, the old matrix
    // after it.
    void rotate(float angle);
    TVector getPosition() const { return position; }
    void setPosition(const TVector& p) { position = p; }

    // The re-filing both scene nodes and skinned instances use: when node
    // is filed and its tile does not contain position, it moves to the
    // tile that does; with no such tile it keeps its tile. Returns true
    // when it moved.
    static bool refile(TRenderable& node, const TVector& position);
};
