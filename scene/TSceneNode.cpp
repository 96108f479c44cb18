#include "scene/TSceneNode.h"

#include <cmath>

#include "platform/gl.h"
#include "scene/TMesh.h"

TSceneNode::TSceneNode(TEngine* e, const TVector& where, float angle, TMesh* drawn, bool scaleAndRotate)
    : TRenderable(e), mesh(drawn), position(where) {
    if (!scaleAndRotate) return;
    const float c = std::cos(angle), s = std::sin(angle);
    matrix.m[0] = kModelScale * c;
    matrix.m[1] = kModelScale * s;
    matrix.m[4] = -kModelScale * s;
    matrix.m[5] = kModelScale * c;
    matrix.m[10] = -kModelScale;
    matrix.m[15] = 1.0f;
}

void TSceneNode::render() {
    if (!mesh) return;
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glMultMatrixf(matrix.m);
    mesh->render();
    glPopMatrix();
}

bool TSceneNode::getFlag() { return mesh ? mesh->getFlag() : false; }

void TSceneNode::updateTile() { refile(*this, position); }

void TSceneNode::moveForward(float distance) {
    position = position + TVector(0.0f, -distance, 0.0f).transform(matrix);
}

void TSceneNode::rotate(float angle) { matrix = TMatrix::rotationZ(angle) * matrix; }

bool TSceneNode::refile(TRenderable& node, const TVector& where) {
    TNodeContainer* tile = node.registry;
    if (!tile || tile->contains(where)) return false;
    TNodeContainer* next = tile->getTileAt(where);
    if (!next || next == tile) return false;
    tile->removeChild(node.handle);
    node.registry = nullptr;
    node.handle = 0;
    next->addChild(&node);
    return true;
}
