#include "game/TItemInstance.h"

#include "game/TDrache.h"
#include "platform/gl.h"
#include "scene/TBone.h"
#include "scene/TMesh.h"

TItemInstance::TItemInstance(TMesh* m, const TItem& record, TBone* b)
    : TSceneNode(m ? m->engine : nullptr, TVector(0.0f, 0.0f, 0.0f), 0.0f, m, true), bone(b), item(record) {}

TItemInstance::~TItemInstance() {
    delete mesh;
    mesh = nullptr;
}

void TItemInstance::draw() {
    if (!mesh) return;
    glPushMatrix();
    if (bone) glMultMatrixf(bone->skinMatrix.m);
    mesh->draw(false);
    glPopMatrix();
}

void TItemInstance::use(TDrache* dragon) {
    if (!dragon) return;
    for (int slot = 0; slot < TDrache::kInventorySize; ++slot) {
        if (dragon->inventory[slot] == this) {
            dragon->inventory[slot] = dragon->equip(this);
            return;
        }
    }
}
