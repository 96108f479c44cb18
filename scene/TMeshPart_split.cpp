// The vertex-split pass of TMeshPart.

#include <cstdint>
#include <unordered_map>
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

// A hash of the vertex and its texture-coordinate index in every set.
uint64_t useKey(const TVertexSplit& use) {
    uint64_t h = 1469598103934665603ull ^ static_cast<uint32_t>(use.vertex);
    for (int s = 0; s < use.setCount && s < TVertexSplit::kMaxSets; ++s) {
        h *= 1099511628211ull;
        h ^= static_cast<uint32_t>(use.texIndex[s]);
    }
    return h * 1099511628211ull;
}

}  // namespace

// Uses are looked up by a hash of (vertex, index in every set) instead of
// by walking the vertex's earlier uses, so the pass is linear in the
// corners. The result is that of the walk: within one part a set is empty
// (-1) for every corner or for none, so two uses match exactly when their
// vertex and all their indices are equal, hence hash alike, and a vertex
// never has two uses that match one corner.
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
    std::unordered_multimap<uint64_t, const TVertexSplit*> uses;
    uses.reserve(static_cast<size_t>(triangleCount));
    std::vector<int> cornerIndex(3 * static_cast<size_t>(triangleCount));
    int nextIndex = 0;

    // 2. Every corner whose use matches none met before makes a new vertex.
    TVertexSplit use;
    for (int t = 0; t < triangleCount; ++t) {
        for (int k = 0; k < 3; ++k) {
            makeSplit(t, k, nextIndex, use);
            const uint64_t key = useKey(use);
            const TVertexSplit* found = nullptr;
            const auto range = uses.equal_range(key);
            for (auto it = range.first; it != range.second && !found; ++it)
                if (it->second->vertex == use.vertex && it->second->matches(use)) found = it->second;
            if (found) {
                cornerIndex[3 * static_cast<size_t>(t) + k] = found->newIndex;
                continue;
            }
            TVertexSplit* record = new TVertexSplit(use);
            vertexSplits[use.vertex].pushBack(record, true);
            uses.emplace(key, record);
            cornerIndex[3 * static_cast<size_t>(t) + k] = nextIndex;
            positions.push_back(vertices[use.vertex]);
            for (int s = 0; s < texSetCount; ++s)
                coords[static_cast<size_t>(s)].push_back(use.texIndex[s] >= 0 ? texCoords[s][use.texIndex[s]] : TVector());
            ++nextIndex;
        }
    }

    // 3. Every corner takes the index of its matching use.
    for (int t = 0; t < triangleCount; ++t) {
        for (int k = 0; k < 3; ++k) {
            const int index = cornerIndex[3 * static_cast<size_t>(t) + k];
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
