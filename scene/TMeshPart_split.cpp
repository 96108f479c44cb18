// The vertex-split pass of TMeshPart.

#include <vector>

#include "engine/Log.h"
#include "scene/TMeshPart.h"

void TMeshPart::makeSplit(int t, int k, int newIndex, TVertexSplit& out) const {
    out.triangle = t;
    out.corner = k;
    for (int s = 0; s < TVertexSplit::kMaxSets; ++s) {
        if (s >= texSetCount) out.texIndex[s] = 0;
        else if (isTexSetEmpty(s) || !texTriangles || !texTriangles[s]) out.texIndex[s] = -1;
        else out.texIndex[s] = texTriangles[s][t][k];
    }
    out.vertex = triangles[t][k];
    out.newIndex = newIndex;
    out.setCount = texSetCount;
}

namespace {

// The first record of the list that matches, or null.
TVertexSplit* findMatch(TList<TVertexSplit>& list, const TVertexSplit& use) {
    for (TListNode<TVertexSplit>* n = list.head; n; n = n->next)
        if (n->value->matches(use)) return n->value;
    return nullptr;
}

}  // namespace

void TMeshPart::splitVertices() {
    if (!ownsArrays) {
        logOut() << "Model part '" << name << "': arrays not owned, vertex split skipped\n";
        logFlush();
        return;
    }
    const std::string bad = findBadIndex();
    if (!bad.empty()) {
        logOut() << "Model part '" << name << "': " << bad << ", vertex split skipped\n";
        logFlush();
        return;
    }
    // 1. One empty list of uses per stored vertex.
    freeSplits();
    splitListCount = vertexCount;
    vertexSplits = new TList<TVertexSplit>[static_cast<size_t>(vertexCount)];
    std::vector<TVector> positions;
    std::vector<std::vector<TVector>> coords(static_cast<size_t>(texSetCount));
    int nextIndex = 0;

    // 2. Every corner whose use matches none met before makes a new vertex.
    TVertexSplit use;
    for (int t = 0; t < triangleCount; ++t) {
        for (int k = 0; k < 3; ++k) {
            makeSplit(t, k, nextIndex, use);
            TList<TVertexSplit>& uses = vertexSplits[use.vertex];
            if (findMatch(uses, use)) continue;
            uses.pushBack(new TVertexSplit(use), true);
            positions.push_back(vertices[use.vertex]);
            for (int s = 0; s < texSetCount; ++s)
                coords[static_cast<size_t>(s)].push_back(use.texIndex[s] >= 0 ? texCoords[s][use.texIndex[s]] : TVector());
            ++nextIndex;
        }
    }

    // 3. Every corner takes the index of its first matching use.
    for (int t = 0; t < triangleCount; ++t) {
        for (int k = 0; k < 3; ++k) {
            makeSplit(t, k, 0, use);
            const int index = findMatch(vertexSplits[use.vertex], use)->newIndex;
            triangles[t][k] = index;
            for (int s = 0; s < texSetCount; ++s)
                if (!isTexSetEmpty(s)) texTriangles[s][t][k] = index;
        }
    }

    // 4. The new arrays; empty sets stay empty, normals stay as they are.
    delete[] vertices;
    vertexCount = nextIndex;
    vertices = new TVector[positions.size()];
    for (size_t i = 0; i < positions.size(); ++i) vertices[i] = positions[i];
    for (int s = 0; s < texSetCount; ++s) {
        if (isTexSetEmpty(s)) continue;
        const std::vector<TVector>& list = coords[static_cast<size_t>(s)];
        delete[] texCoords[s];
        texCoords[s] = new TVector[list.size()];
        for (size_t i = 0; i < list.size(); ++i) texCoords[s][i] = list[i];
        texCoordCounts[s] = nextIndex;
    }
}
