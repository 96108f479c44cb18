#include "scene/TMeshPart.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TRecordInput.h"
#include "platform/crt.h"

namespace {

const int kVectorBytes = 12;

bool isEmptyCount(int count) { return count < 1; }

void readVectors(const std::vector<float>& raw, TVector* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = TVector(raw[3 * i], raw[3 * i + 1], raw[3 * i + 2]);
}

void readIntVectors(const std::vector<int>& raw, TIntVector* out, int count) {
    for (int i = 0; i < count; ++i) out[i] = TIntVector(raw[3 * i], raw[3 * i + 1], raw[3 * i + 2]);
}

bool readVectorArray(TRecordInput& in, TVector* out, int count, const char* what) {
    std::vector<float> raw(3 * static_cast<size_t>(count));
    if (!in.readFloats(raw.data(), 3 * count, what)) return false;
    readVectors(raw, out, count);
    return true;
}

bool readIntVectorArray(TRecordInput& in, TIntVector* out, int count, const char* what) {
    std::vector<int> raw(3 * static_cast<size_t>(count));
    if (!in.readBytes(raw.data(), 4LL * 3 * count, what)) return false;
    readIntVectors(raw, out, count);
    return true;
}

void putVectors(TRecordOutput& out, const TVector* v, int count) {
    for (int i = 0; i < count; ++i) {
        const float xyz[3] = {v ? v[i].x : 0.0f, v ? v[i].y : 0.0f, v ? v[i].z : 0.0f};
        out.putFloats(xyz, 3);
    }
}

void putIntVectors(TRecordOutput& out, const TIntVector* v, int count) {
    for (int i = 0; i < count; ++i) {
        out.putInt(v ? v[i].a : 0);
        out.putInt(v ? v[i].b : 0);
        out.putInt(v ? v[i].c : 0);
    }
}

}  // namespace

// ------------------------------------------------------------- records ----

bool TVertexSplit::matches(const TVertexSplit& other) const {
    const int sets = setCount < kMaxSets ? setCount : kMaxSets;
    for (int s = 0; s < sets; ++s) {
        if (texIndex[s] != other.texIndex[s] && texIndex[s] != -1 && other.texIndex[s] != -1) return false;
    }
    return true;
}

TMeshPart::TMeshPart()
    : vertices(nullptr),
      texCoords(nullptr),
      normals(nullptr),
      triangles(nullptr),
      texTriangles(nullptr),
      vertexSplits(nullptr),
      ownsArrays(1),
      vertexCount(0),
      triangleCount(0),
      materialIndex(-1),
      normalCount(0),
      texCoordCounts(nullptr),
      texSetCount(0),
      splitListCount(0) {
    copyNameField(name, kNameSize, "");
    copyNameField(parentName, kNameSize, "none");
}

TMeshPart::~TMeshPart() {
    freeSplits();
    if (ownsArrays) freeArrays();
}

void TMeshPart::freeSplits() {
    delete[] vertexSplits;
    vertexSplits = nullptr;
    splitListCount = 0;
}

void TMeshPart::freeArrays() {
    for (int s = 0; s < texSetCount; ++s) {
        if (texCoords) delete[] texCoords[s];
        if (texTriangles) delete[] texTriangles[s];
    }
    delete[] texCoords;
    delete[] texTriangles;
    delete[] vertices;
    delete[] normals;
    delete[] triangles;
    delete[] texCoordCounts;
    texCoords = nullptr;
    texTriangles = nullptr;
    vertices = nullptr;
    normals = nullptr;
    triangles = nullptr;
    texCoordCounts = nullptr;
    vertexCount = triangleCount = normalCount = texSetCount = 0;
}

bool TMeshPart::allocate(int v, int n, int t, int s, const int* counts) {
    if (v < 0 || n < 0 || t < 0 || s < 0 || s > kMaxTexSets || (s > 0 && !counts)) return false;
    freeSplits();
    if (ownsArrays) freeArrays();
    ownsArrays = 1;
    vertexCount = v;
    normalCount = n;
    triangleCount = t;
    texSetCount = s;
    vertices = new TVector[static_cast<size_t>(v)];
    normals = new TVector[static_cast<size_t>(n)];
    triangles = new TIntVector[static_cast<size_t>(t)];
    texCoordCounts = new int[static_cast<size_t>(s) + 1]();
    if (s >= 1) {
        texCoords = new TVector*[static_cast<size_t>(s)]();
        texTriangles = new TIntVector*[static_cast<size_t>(s)]();
        for (int i = 0; i < s; ++i) {
            texCoordCounts[i] = counts[i];
            if (isEmptyCount(counts[i])) continue;
            texCoords[i] = new TVector[static_cast<size_t>(counts[i])];
            texTriangles[i] = new TIntVector[static_cast<size_t>(t)];
        }
    }
    return true;
}

void TMeshPart::setName(const char* text) { copyNameField(name, kNameSize, text); }
void TMeshPart::setParentName(const char* text) { copyNameField(parentName, kNameSize, text); }

// ----------------------------------------------------------- load/write ----

TMeshPart* TMeshPart::load(int fd, const char* fileName) {
    TRecordInput in(fd, fileName);
    in.context = "part";
    return load(in);
}

TMeshPart* TMeshPart::load(TRecordInput& in) {
    char readName[kNameSize];
    char readParent[kNameSize];
    float m[16];
    int counts[4] = {0, 0, 0, 0};  // V, N, T, S
    if (!in.readName(readName, kNameSize, "the part name")) return nullptr;
    in.context += " '" + std::string(readName) + "'";
    if (!in.readName(readParent, kNameSize, "the parent name")) return nullptr;
    if (!in.readFloats(m, 16, "the part matrix")) return nullptr;
    if (!in.readBytes(counts, 16, "the part's counts")) return nullptr;
    const int v = counts[0], n = counts[1], t = counts[2], s = counts[3];
    if (v < 0 || n < 0 || t < 0 || s < 0) {
        in.fail("negative count (vertices " + std::to_string(v) + ", normals " + std::to_string(n) +
                ", triangles " + std::to_string(t) + ", texture sets " + std::to_string(s) + ")");
        return nullptr;
    }
    if (s > kMaxTexSets) {
        in.fail(std::to_string(s) + " texture sets, at most " + std::to_string(kMaxTexSets) + " supported");
        return nullptr;
    }
    if (static_cast<long long>(n) > 3LL * t) {
        in.fail(std::to_string(n) + " normals for " + std::to_string(t) + " triangles (one per corner at most)");
        return nullptr;
    }
    std::vector<int> setCounts(static_cast<size_t>(s) + 1);
    int material = -1;
    if (!in.readBytes(setCounts.data(), 4LL * s, "the texture-set counts")) return nullptr;
    if (!in.readInt(material, "the material index")) return nullptr;

    // Everything the counts promise must be in the file before anything is
    // allocated for it.
    long long bytes = kVectorBytes * (static_cast<long long>(v) + n + t);
    for (int i = 0; i < s; ++i)
        if (!isEmptyCount(setCounts[i])) bytes += kVectorBytes * (static_cast<long long>(t) + setCounts[i]);
    if (!in.require(bytes, "the part's arrays")) return nullptr;

    TMeshPart* part = new TMeshPart();
    part->allocate(v, n, t, s, setCounts.data());
    copyNameField(part->name, kNameSize, readName);
    copyNameField(part->parentName, kNameSize, readParent);
    std::memcpy(part->matrix.m, m, sizeof m);
    part->materialIndex = material >= 0 ? material : -1;
    if (!part->readArrays(in)) {
        delete part;
        return nullptr;
    }
    const std::string bad = part->findBadIndex();
    if (!bad.empty()) {
        in.fail(bad);
        delete part;
        return nullptr;
    }
    return part;
}

bool TMeshPart::readArrays(TRecordInput& in) {
    if (!readVectorArray(in, vertices, vertexCount, "the vertices")) return false;
    if (!readVectorArray(in, normals, normalCount, "the normals")) return false;
    if (!readIntVectorArray(in, triangles, triangleCount, "the triangles")) return false;
    for (int s = 0; s < texSetCount; ++s) {
        if (isTexSetEmpty(s)) continue;
        if (!readIntVectorArray(in, texTriangles[s], triangleCount, "the texture triangles")) return false;
    }
    for (int s = 0; s < texSetCount; ++s) {
        if (isTexSetEmpty(s)) continue;
        if (!readVectorArray(in, texCoords[s], texCoordCounts[s], "the texture coordinates")) return false;
    }
    return true;
}

std::string TMeshPart::findBadIndex() const {
    for (int t = 0; t < triangleCount; ++t) {
        for (int k = 0; k < 3; ++k) {
            const int i = triangles[t][k];
            if (i >= 0 && i < vertexCount) continue;
            return "triangle " + std::to_string(t) + " corner " + std::to_string(k) + " names vertex " +
                   std::to_string(i) + " of " + std::to_string(vertexCount);
        }
    }
    for (int s = 0; s < texSetCount; ++s) {
        if (isTexSetEmpty(s)) continue;
        if (!texTriangles || !texTriangles[s]) return "texture set " + std::to_string(s) + " has no triangles";
        for (int t = 0; t < triangleCount; ++t) {
            for (int k = 0; k < 3; ++k) {
                const int i = texTriangles[s][t][k];
                if (i >= 0 && i < texCoordCounts[s]) continue;
                return "texture set " + std::to_string(s) + " triangle " + std::to_string(t) + " corner " +
                       std::to_string(k) + " names coordinate " + std::to_string(i) + " of " +
                       std::to_string(texCoordCounts[s]);
            }
        }
    }
    return std::string();
}

bool TMeshPart::write(int fd) const {
    TRecordOutput out;
    out.putName(name, kNameSize);
    out.putName(parentName, kNameSize);
    out.putFloats(matrix.m, 16);
    out.putInt(vertexCount);
    out.putInt(normalCount);
    out.putInt(triangleCount);
    out.putInt(texSetCount);
    for (int s = 0; s < texSetCount; ++s) out.putInt(texCoordCounts ? texCoordCounts[s] : 0);
    out.putInt(materialIndex);
    putVectors(out, vertices, vertexCount);
    putVectors(out, normals, normalCount);
    putIntVectors(out, triangles, triangleCount);
    // A set with a count of at least 1 always has its triangles and
    // coordinates in the file, so the record stays readable.
    for (int s = 0; s < texSetCount; ++s) {
        if (getTexCoordCount(s) < 1) continue;
        putIntVectors(out, texTriangles ? texTriangles[s] : nullptr, triangleCount);
    }
    for (int s = 0; s < texSetCount; ++s) {
        if (getTexCoordCount(s) < 1) continue;
        putVectors(out, texCoords ? texCoords[s] : nullptr, texCoordCounts[s]);
    }
    return out.writeTo(fd);
}

// ------------------------------------------------------------ accessors ----

int TMeshPart::getTexCoordCount(int s) const {
    if (s < 0 || s >= texSetCount || !texCoordCounts) return 0;
    return texCoordCounts[s];
}

TVector TMeshPart::getVertex(int i) const {
    return i >= 0 && i < vertexCount ? vertices[i] : TVector();
}

TVector TMeshPart::getNormal(int i) const {
    return i >= 0 && i < normalCount ? normals[i] : TVector();
}

TVector TMeshPart::getTexCoord(int i, int s) const {
    if (isTexSetEmpty(s) || i < 0 || i >= texCoordCounts[s]) return TVector();
    return texCoords[s][i];
}

TIntVector TMeshPart::getTriangle(int i) const {
    return i >= 0 && i < triangleCount ? triangles[i] : TIntVector();
}

TIntVector TMeshPart::getTexTriangle(int i, int s) const {
    if (isTexSetEmpty(s) || !texTriangles || !texTriangles[s] || i < 0 || i >= triangleCount) return TIntVector();
    return texTriangles[s][i];
}
