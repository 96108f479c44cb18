#include "scene/TTreeMod.h"

#include "engine/TMatrix.h"
#include "engine/TString.h"
#include "platform/crt.h"
#include "scene/TSceneNode.h"

TTreeMod::TTreeMod(TBufferObject* vb, TBufferObject* ib, TEngine* e, bool split)
    : TMesh(TString("mods\\baum\\treemod.pff"), vb, ib, e, split) {}

TRenderable* TTreeMod::createInstance(const TVector& position, float) {
    // The yaw is drawn in degrees and handed on as radians, which turns the
    // trees just as randomly.
    const float yaw = static_cast<float>(rand()) * 360.0f / 32767.0f;
    TSceneNode* tree = new TSceneNode(engine, position, yaw, this, true);
    TMatrix stretch;
    stretch.m[0] = 2.0f * static_cast<float>(rand()) / 32767.0f + 0.5f;
    stretch.m[5] = 2.0f * static_cast<float>(rand()) / 32767.0f + 0.5f;
    stretch.m[10] = 2.0f * static_cast<float>(rand()) / 32767.0f + 1.0f;
    // The node's matrix on the left: the stretch works in model space.
    tree->matrix = stretch * tree->matrix;
    return tree;
}

void TTreeMod::drawAsOneBatch() {
    if (lastGroup < 0 || !groups) return;
    groups[1].firstTriangle = groups[lastGroup + 1].firstTriangle;
    lastGroup = 0;
    immediateMode = 1;
}
