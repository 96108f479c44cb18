#pragma once
// TSkinnedMesh is a mesh whose vertices follow a skeleton: each vertex
// carries the four bones that weigh most on it, and the draw hands every
// bone's skinning matrix to the material's vertex program as a stream of
// matrix rows. It is the template loaded once per model; instances share
// its arrays and own a copy of its skeleton. A model that is not a valid
// skinned model (see the constructor) is a missing mesh and draws nothing.

#include <string>
#include <vector>

#include "engine/TMatrix.h"
#include "scene/TMesh.h"
#include "scene/TSkeleton.h"

class TSkinWeights;

class TSkinnedMesh : public TMesh, public TSkeleton {
public:
    // The row stream has places for 52 rows: 17 bones of three rows.
    static const int kMaxBones = 17;
    static const int kBonesPerVertex = 4;
    // Vertex-program attributes of the bone indices and weights.
    static const int kIndexAttribute = 6;
    static const int kWeightAttribute = 7;

    float* vertexWeights;         // one row of boneCount weights per vertex (V + 1 rows)
    TVertexArray* weightArray;    // 4 floats per vertex: the four largest weights
    TVertexArray* boneIndexArray; // 4 floats per vertex: their bone indices
    TMatrix** palette;            // boneCount pointers: each bone's skinMatrix

    // Reads the model with readSkinnedModel, builds the mesh as TMesh does,
    // then the skeleton and the per-vertex bone selection. Missing (logged)
    // when the model is refused or the mesh cannot be built.
    TSkinnedMesh(const TString& fileName, TBufferObject* vertexBuffer, TBufferObject* indexBuffer, TEngine* engine,
                 bool split);
    // The part of loading that needs no GL: reads the model from fd, refuses
    // it at once when its parts make more than 17 bones, splits its vertices
    // when asked, and reads one skin-weight block per geometry part into
    // blocks (remapped to the split vertices when split is set). Returns the
    // model, which the caller owns with the blocks, or null (one log line,
    // blocks empty) when the file is damaged, has too many bones, or a
    // block is damaged, names more than 17 bones or does not match its part
    // (the geometry parts must come first in the part list). The caller
    // closes fd.
    static TPffData* readSkinnedModel(int fd, const TString& fileName, bool split, std::vector<TSkinWeights*>& blocks);
    // Frees the weights and the palette this template made.
    ~TSkinnedMesh() override;

    // Fills vertexWeights from the blocks (block g for group g) and selects
    // the four heaviest bones of each vertex into weightArray and
    // boneIndexArray; slots beyond the bone count get weight 0 on bone 0.
    void buildSkinning(TSkinWeights** blocks);
    // Loads the palette into the row stream, points attributes 6 and 7 at
    // the bone indices and weights, and draws the mesh (pass 0 surface,
    // pass 1 shadow volume). Nothing for a missing mesh.
    void drawSkinned(bool pass);
    void renderDebug() { drawSkinned(true); }

    void render() override { drawSkinned(false); }
    bool getFlag() override { return false; }
    void renderSecondPass() override { renderDebug(); }
    // A new TSkinnedMeshInstance of this template; the caller owns it and
    // the template must outlive it.
    TRenderable* createInstance(const TVector& position, float angle) override;

    // The row stream: row 3b + r is row r of bone b's matrix, placed in the
    // program matrices 1 to 7 (rows 0 to 27), vertex-program environment
    // parameters 0 to 7 (rows 28 to 35), local parameters 0 to 7 (rows 36
    // to 43) and texture matrices 0 and 1 (rows 44 to 51). The material's
    // vertex program must be bound. Returns true when it pushed the two
    // texture matrices; unloadPalette pops them. Leaves unit 0 active and
    // the model-view matrix mode.
    bool loadPalette();
    void unloadPalette(bool texturesPushed);

    // The weight of bone b on vertex v (0 outside the table).
    float getVertexWeight(int v, int b) const;

protected:
    // The instance form: shares every array and the weights of the
    // template, copies its skeleton deeply and points a new palette at the
    // copy's bones.
    TSkinnedMesh(const TSkinnedMesh& shared, bool share);

private:
    static bool readSkin(int fd, const std::string& file, TPffData* model, bool split,
                         std::vector<TSkinWeights*>& blocks);
    void makePalette();
    void selectBones();
};
