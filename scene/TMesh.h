#pragma once
// TMesh turns a ".pff" model file into engine-owned vertex and index arrays
// with one draw group per geometry part and that part's material. The same
// arrays draw the lit surface (pass 0) and the shadow volume (pass 1: every
// triangle edge joined to the light's apex at infinity). A model that cannot
// be read, or has no geometry or no material in its first group, is a
// missing mesh: logged, isLoaded false, nothing drawn.

#include <cstdint>
#include <vector>

#include "engine/TRenderable.h"
#include "engine/TString.h"
#include "scene/TInstanceFactory.h"

class TBufferObject;
class TIndexArray;
class TMaterial;
class TPffData;
class TVertexArray;

// One draw group: the triangles of one geometry part. The record after the
// last group holds only the end.
struct TMeshGroup {
    TMaterial* material;  // null for a part without material
    int firstTriangle;
    int firstVertex;      // the part's first vertex in the mesh's arrays
};

class TMesh : public TRenderable, public TInstanceFactory {
public:
    uint8_t immediateMode;  // draw with glBegin/glEnd instead of arrays
    uint8_t built;          // 1: this mesh owns groups and texCoordArrays
    TVertexArray* vertexArray;      // 4 floats per vertex; the last is the shadow apex
    TVertexArray** texCoordArrays;  // texSetCount arrays of 2 floats per vertex
    int texSetCount;
    TVertexArray* normalArray;      // 3 floats per vertex
    TIndexArray* indexArray;        // 3 ints per triangle
    TIndexArray* shadowIndexArray;  // 9 ints per triangle
    TBufferObject* vertexBuffer;    // shared, may be null
    TBufferObject* indexBuffer;     // shared, may be null
    TMeshGroup* groups;             // lastGroup + 2 records (at least one)
    int lastGroup;                  // -1: nothing to draw
    int maxLayerIndex;              // largest last-layer index of the file's materials
    bool loaded;

    // Reads the model file (resolved like every game file), optionally
    // splits its vertices so that each carries one texture coordinate per
    // set, builds the arrays and appends them to the shared buffers. A
    // missing or damaged file, a model without geometry part or without a
    // material in its first group gives a missing mesh (one log line).
    TMesh(const TString& fileName, TBufferObject* vertexBuffer, TBufferObject* indexBuffer, TEngine* engine,
          bool split);
    // Frees the group table and the set table when this mesh built them; the
    // arrays belong to the engine.
    ~TMesh() override;

    // Builds the arrays from a parsed model (see the class comment). Returns
    // false, after a log line, when the mesh is missing; the arrays made so
    // far stay with the engine.
    bool build(TPffData* model, TBufferObject* vertexBuffer, TBufferObject* indexBuffer);
    // Pass 0: the surface with each group's material; pass 1: the shadow
    // volume. Nothing for a missing mesh.
    void draw(bool pass);

    void render() override { draw(false); }
    // Static (baked into the ground tile's display list) when drawn in
    // immediate mode.
    bool getFlag() override { return immediateMode != 0; }
    void renderSecondPass() override { draw(true); }
    // A new TSceneNode of this mesh at position, turned by angle, with the
    // model scale; the caller owns it (also for a missing mesh, which draws
    // nothing).
    TRenderable* createInstance(const TVector& position, float angle) override;

    // Reads the model from fd and splits it when asked (no GL needed); null
    // (logged) for a damaged file. The caller owns the result and closes fd.
    static TPffData* readModel(int fd, const TString& fileName, bool split);

    // True when the model was read and has something to draw.
    bool isLoaded() const { return loaded; }
    // The material of group g, or null (no such group, or none).
    TMaterial* getGroupMaterial(int g) const;
    int getLastGroup() const { return lastGroup; }

protected:
    // An empty, missing mesh for holders that read the model themselves.
    explicit TMesh(TEngine* engine);
    // A mesh that shares every array, group and buffer of other and frees
    // none of them (built 0); other must outlive it.
    TMesh(const TMesh& other, bool share);

    // Opens a model file read-only in binary mode; -1 (logged) when it
    // cannot be opened.
    static int openModel(const TString& fileName);
    // Marks the mesh missing: nothing is drawn from now on.
    void markMissing();
    // The array's address for a gl*Pointer call, with the array buffer bound
    // to the array's buffer object or to none, whichever it lives in.
    const void* pointTo(TVertexArray* array);
    // The texture-coordinate array of a material layer's set: the set the
    // layer's texture carries; set 0, or null without sets, for a set out of
    // range (logged once per mesh).
    TVertexArray* texCoordsOfLayer(TMaterial* material, int layer);

    // Appends the arrays behind the vertex buffer's fill offset when it has
    // room for all of them; false (logged, arrays left in memory) otherwise
    // or without a vertex buffer.
    bool appendToVertexBuffer(TVertexArray* const* arrays, int count);

    TString fileName;  // own copy, for log lines

private:
    void initEmpty();
    void fillGeometry(TPffData* model, TMaterial** materials, std::vector<bool>& usedSets);
    void fillShadowIndices();
    void appendToBuffers(TBufferObject* vertexBuffer, TBufferObject* indexBuffer, const std::vector<bool>& usedSets);
    template <class Array>
    bool packArrays(TBufferObject* buffer, unsigned int target, Array* const* arrays, int count, const char* what);
    void drawArrays(bool pass);
    void drawImmediate(bool pass);

    bool setRangeLogged;
};
