#include "scene/TSkinnedMeshInstance.h"

#include "platform/gl.h"
#include "scene/TSceneNode.h"

TSkinnedMeshInstance::TSkinnedMeshInstance(TSkinnedMesh* templ, const TVector& where, float angle)
    : TSkinnedMesh(*templ, true),
      rotation(TMatrix::rotationZ(angle)),
      facing(0.0f, 0.0f, 0.0f),
      facingValid(0),
      position(where) {}

void TSkinnedMeshInstance::draw(bool pass) {
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glMultMatrixf(rotation.m);
    glScalef(kDrawScale, kDrawScale, kDrawScale);
    drawSkinned(pass);
    glPopMatrix();
}

void TSkinnedMeshInstance::updateTile() { TSceneNode::refile(*this, position); }

void TSkinnedMeshInstance::setPosition(const TVector& p) { position = p; }

void TSkinnedMeshInstance::moveForward(float distance) {
    if (!facingValid) {
        facing = TVector(0.0f, 1.0f, 0.0f).transform(rotation);
        facingValid = 1;
    }
    position = position + facing * distance;
}

void TSkinnedMeshInstance::rotateZ(float angle) {
    rotation = TMatrix::rotationZ(angle) * rotation;
    facingValid = 0;
}

void TSkinnedMeshInstance::rotateX(float angle) {
    rotation = TMatrix::rotationX(angle) * rotation;
    facingValid = 0;
}

void TSkinnedMeshInstance::rotateZ2(float angle) { rotation = rotation * TMatrix::rotationZ(angle); }
