#include "scene/TSkinnedMesh.h"

#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "engine/TIndexArray.h"
#include "engine/TVertexArray.h"
#include "platform/crt.h"
#include "platform/gl.h"
#include "scene/TBone.h"
#include "scene/TPffData.h"
#include "scene/TSkinWeights.h"
#include "scene/TSkinnedMeshInstance.h"

namespace {

const int kPaletteMatrices = 7;   // GL_MATRIX1_ARB .. GL_MATRIX7_ARB
const int kEnvRowsStart = 28;
const int kLocalRowsStart = 36;
const int kTextureRowsStart = 44;
const int kStreamRows = 52;

void setIdentity(float* m) {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void setRow(float* m, int r, const float* row) {
    for (int c = 0; c < 4; ++c) m[4 * c + r] = row[c];
}

}  // namespace

// ------------------------------------------------------------ lifetime ----

TSkinnedMesh::TSkinnedMesh(const TString& name, TBufferObject* vb, TBufferObject* ib, TEngine* e, bool split)
    : TMesh(e), TSkeleton(e), vertexWeights(nullptr), weightArray(nullptr), boneIndexArray(nullptr), palette(nullptr) {
    fileName.assign(name);
    const int fd = openModel(fileName);
    if (fd < 0) return;
    std::vector<TSkinWeights*> blocks;
    TPffData* model = readSkinnedModel(fd, fileName, split, blocks);
    _close(fd);
    const bool ok = model && TMesh::build(model, vb, ib);
    if (ok) {
        TSkeleton::build(model);
        buildSkinning(blocks.data());
    } else {
        markMissing();
    }
    for (TSkinWeights* b : blocks) delete b;
    delete model;
}

TSkinnedMesh::TSkinnedMesh(const TSkinnedMesh& shared, bool share)
    : TMesh(shared, share),
      TSkeleton(shared),
      vertexWeights(shared.vertexWeights),
      weightArray(shared.weightArray),
      boneIndexArray(shared.boneIndexArray),
      palette(nullptr) {
    makePalette();
}

TSkinnedMesh::~TSkinnedMesh() {
    if (built) delete[] vertexWeights;
    delete[] palette;
}

TPffData* TSkinnedMesh::readSkinnedModel(int fd, const TString& name, bool split, std::vector<TSkinWeights*>& blocks) {
    const std::string file(name.copyTo(nullptr));
    blocks.clear();
    TPffData* model = readModel(fd, name, false);
    if (!model) return nullptr;
    // Refused before any work is spent on it.
    const int bones = TSkeleton::countBones(model);
    if (bones > kMaxBones) {
        logOut() << "Skinned mesh: model file '" << file << "' has " << bones << " bones, at most " << kMaxBones
                 << " can be drawn; mesh missing\n";
        logFlush();
        delete model;
        return nullptr;
    }
    if (split) model->splitVertices();
    if (!readSkin(fd, file, model, split, blocks)) {
        for (TSkinWeights* b : blocks) delete b;
        blocks.clear();
        delete model;
        return nullptr;
    }
    return model;
}

// One block per geometry part; block g belongs to the part at list position
// g (draw group g), which must be that geometry part.
bool TSkinnedMesh::readSkin(int fd, const std::string& file, TPffData* model, bool split,
                            std::vector<TSkinWeights*>& blocks) {
    int groups = 0;
    for (TListNode<TMeshPart>* n = model->partList.head; n; n = n->next)
        if (n->value->name[0] == '_') ++groups;
    for (int g = 0; g < groups; ++g) {
        TMeshPart* part = model->getPart(g);
        if (!part || part->name[0] != '_') {
            logOut() << "Skinned mesh: model file '" << file << "': skin block " << g
                     << " has no geometry part at its place; mesh missing\n";
            logFlush();
            return false;
        }
        blocks.push_back(TSkinWeights::load(fd, file.c_str(), part->getStoredVertexCount()));
        // A block can name no more bones than a skeleton may have; more
        // would make the weight table (split vertices x bones) out of all
        // proportion to the file.
        if (blocks.back() && blocks.back()->boneCount > kMaxBones) {
            logOut() << "Skinned mesh: model file '" << file << "': skin block " << g << " names "
                     << blocks.back()->boneCount << " bones, at most " << kMaxBones << " can be drawn; mesh missing\n";
            logFlush();
            return false;
        }
        if (!blocks.back() || (split && blocks.back()->remapToPart(*part) < 0)) {
            logOut() << "Skinned mesh: model file '" << file << "': skin block " << g
                     << " does not fit its part; mesh missing\n";
            logFlush();
            return false;
        }
    }
    return true;
}

TRenderable* TSkinnedMesh::createInstance(const TVector& position, float angle) {
    return new TSkinnedMeshInstance(this, position, angle);
}

// ------------------------------------------------------------ skinning ----

void TSkinnedMesh::makePalette() {
    delete[] palette;
    palette = new TMatrix*[static_cast<size_t>(boneCount) + 1];
    for (int i = 0; i < boneCount; ++i) palette[i] = &bones[i]->skinMatrix;
}

float TSkinnedMesh::getVertexWeight(int v, int b) const {
    if (!vertexWeights || !vertexArray || v < 0 || v >= vertexArray->count || b < 0 || b >= boneCount) return 0.0f;
    return vertexWeights[static_cast<size_t>(v) * boneCount + b];
}

// A block holds the vertices of its own part, so a mesh vertex is looked up
// at its index within the group's part.
void TSkinnedMesh::buildSkinning(TSkinWeights** blocks) {
    const int rows = vertexArray->count;
    delete[] vertexWeights;
    vertexWeights = new float[static_cast<size_t>(rows) * boneCount + 1]();
    makePalette();

    for (int g = 0; g <= lastGroup; ++g) {
        const TSkinWeights* block = blocks[g];
        const int firstVertex = groups[g].firstVertex;
        const int firstCorner = 3 * groups[g].firstTriangle, endCorner = 3 * groups[g + 1].firstTriangle;
        for (int b = 0; b < boneCount; ++b) {
            const int j = block->findBone(bones[b]->name);
            for (int c = firstCorner; c < endCorner; ++c) {
                const int v = indexArray->data[c];
                vertexWeights[static_cast<size_t>(v) * boneCount + b] =
                    j < 0 ? 0.0f : block->getWeight(j, v - firstVertex);
            }
        }
    }
    selectBones();
    TVertexArray* arrays[2] = {weightArray, boneIndexArray};
    appendToVertexBuffer(arrays, 2);
}

// The four heaviest bones of every vertex in falling order (the lower bone
// index first among equal weights). A skeleton of fewer than four bones
// leaves the remaining slots at weight 0 on bone 0.
void TSkinnedMesh::selectBones() {
    const int rows = vertexArray->count;
    weightArray = engine->createVertexArray(rows, kBonesPerVertex, -1);
    boneIndexArray = engine->createVertexArray(rows, kBonesPerVertex, -1);
    std::vector<bool> taken(static_cast<size_t>(boneCount));
    for (int v = 0; v < rows; ++v) {
        const float* w = vertexWeights + static_cast<size_t>(v) * boneCount;
        taken.assign(taken.size(), false);
        for (int s = 0; s < kBonesPerVertex; ++s) {
            int best = -1;
            for (int i = 0; i < boneCount; ++i)
                if (!taken[static_cast<size_t>(i)] && (best < 0 || w[i] > w[best])) best = i;
            weightArray->data[kBonesPerVertex * v + s] = best < 0 ? 0.0f : w[best];
            boneIndexArray->data[kBonesPerVertex * v + s] = best < 0 ? 0.0f : static_cast<float>(best);
            if (best >= 0) taken[static_cast<size_t>(best)] = true;
        }
    }
}

// ---------------------------------------------------------------- draw ----

void TSkinnedMesh::drawSkinned(bool pass) {
    if (!loaded) return;
    engine->setMaterial(groups[0].material);
    const bool pushed = loadPalette();
    glVertexAttribPointerARB(kWeightAttribute, 4, GL_FLOAT, GL_FALSE, 0, pointTo(weightArray));
    glVertexAttribPointerARB(kIndexAttribute, 4, GL_FLOAT, GL_FALSE, 0, pointTo(boneIndexArray));
    glEnableVertexAttribArrayARB(kIndexAttribute);
    glEnableVertexAttribArrayARB(kWeightAttribute);
    TMesh::draw(pass);
    glDisableVertexAttribArrayARB(kIndexAttribute);
    glDisableVertexAttribArrayARB(kWeightAttribute);
    unloadPalette(pushed);
}

bool TSkinnedMesh::loadPalette() {
    float matrices[kPaletteMatrices][16];
    float textureMatrices[2][16];
    for (float* m : matrices) setIdentity(m);
    for (float* m : textureMatrices) setIdentity(m);

    int rows = 3 * boneCount;
    if (rows > kStreamRows) rows = kStreamRows - kStreamRows % 3;  // refused at load; never past the places
    for (int n = 0; n < rows; ++n) {
        const float* m = palette[n / 3]->m;
        const int r = n % 3;
        const float row[4] = {m[r], m[4 + r], m[8 + r], m[12 + r]};
        if (n < kEnvRowsStart) {
            setRow(matrices[n / 4], n % 4, row);
            if (n % 4 == 3) {
                glMatrixMode(GL_MATRIX1_ARB + n / 4);
                glLoadMatrixf(matrices[n / 4]);
            }
        } else if (n < kLocalRowsStart) {
            glProgramEnvParameter4fvARB(GL_VERTEX_PROGRAM_ARB, n - kEnvRowsStart, row);
        } else if (n < kTextureRowsStart) {
            glProgramLocalParameter4fvARB(GL_VERTEX_PROGRAM_ARB, n - kLocalRowsStart, row);
        } else {
            setRow(textureMatrices[(n - kTextureRowsStart) / 4], (n - kTextureRowsStart) % 4, row);
        }
    }
    if (rows < kEnvRowsStart && rows % 4 != 0) {
        glMatrixMode(GL_MATRIX1_ARB + rows / 4);
        glLoadMatrixf(matrices[rows / 4]);
    }

    const bool pushTextures = rows >= kTextureRowsStart;
    if (pushTextures) {
        for (int unit = 0; unit < 2; ++unit) {
            glActiveTextureARB(GL_TEXTURE0_ARB + unit);
            glMatrixMode(GL_TEXTURE);
            glPushMatrix();
            glLoadMatrixf(textureMatrices[unit]);
        }
    }
    engine->setActiveTexture(0);
    glMatrixMode(GL_MODELVIEW);
    return pushTextures;
}

void TSkinnedMesh::unloadPalette(bool texturesPushed) {
    if (!texturesPushed) return;
    for (int unit = 0; unit < 2; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glMatrixMode(GL_TEXTURE);
        glPopMatrix();
    }
    engine->setActiveTexture(0);
    glMatrixMode(GL_MODELVIEW);
}
