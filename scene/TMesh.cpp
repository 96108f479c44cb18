// Loading and building meshes: model file to engine arrays and draw groups,
// shadow-volume indices, packing into the shared buffer objects.
#include "scene/TMesh.h"

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TBufferObject.h"
#include "engine/TEngine.h"
#include "engine/TIndexArray.h"
#include "engine/TMaterial.h"
#include "engine/TVertexArray.h"
#include "platform/crt.h"
#include "platform/gl.h"
#include "scene/TPffData.h"
#include "scene/TSceneNode.h"

namespace {

bool isGeometryName(const char* name) { return name[0] == '_'; }

// Bytes an array takes in a buffer object.
long long arrayBytes(int count, int components) { return 4LL * count * components; }

// Packs one array at the buffer's fill offset: from now on GL reads it from
// there (while buffer objects are on).
template <class Array>
void appendArray(Array* a, TBufferObject* b, GLenum target, bool vboOn) {
    const long long bytes = arrayBytes(a->count, a->components);
    a->useBuffer = vboOn;
    a->buffer = b;
    a->pointer = reinterpret_cast<void*>(static_cast<intptr_t>(b->fillOffset));
    glBindBufferARB(target, b->name);
    glBufferSubDataARB(target, b->fillOffset, static_cast<GLsizeiptrARB>(bytes), a->data);
    b->fillOffset += static_cast<int>(bytes);
}

// True when the buffer exists and has room for bytes more.
bool fits(const TBufferObject* b, long long bytes) {
    return b->name != 0 && static_cast<long long>(b->fillOffset) + bytes <= static_cast<long long>(b->size);
}

}  // namespace

// ------------------------------------------------------------ lifetime ----

TMesh::TMesh(const TString& name, TBufferObject* vb, TBufferObject* ib, TEngine* e, bool split) : TRenderable(e) {
    initEmpty();
    fileName.assign(name);
    const int fd = openModel(fileName);
    if (fd < 0) return;
    TPffData* model = readModel(fd, fileName, split);
    if (model) build(model, vb, ib);
    _close(fd);
    delete model;
}

TMesh::TMesh(TEngine* e) : TRenderable(e) { initEmpty(); }

TMesh::TMesh(const TMesh& other, bool) : TRenderable(other.engine) {
    visible = other.visible;
    immediateMode = other.immediateMode;
    built = 0;
    vertexArray = other.vertexArray;
    texCoordArrays = other.texCoordArrays;
    texSetCount = other.texSetCount;
    normalArray = other.normalArray;
    indexArray = other.indexArray;
    shadowIndexArray = other.shadowIndexArray;
    vertexBuffer = other.vertexBuffer;
    indexBuffer = other.indexBuffer;
    groups = other.groups;
    lastGroup = other.lastGroup;
    maxLayerIndex = other.maxLayerIndex;
    loaded = other.loaded;
    setRangeLogged = other.setRangeLogged;
    fileName.assign(other.fileName);
}

void TMesh::initEmpty() {
    immediateMode = 0;
    built = 1;
    vertexArray = nullptr;
    texCoordArrays = nullptr;
    texSetCount = 0;
    normalArray = nullptr;
    indexArray = nullptr;
    shadowIndexArray = nullptr;
    vertexBuffer = nullptr;
    indexBuffer = nullptr;
    groups = nullptr;
    lastGroup = -1;
    maxLayerIndex = -1;
    loaded = false;
    setRangeLogged = false;
}

TMesh::~TMesh() {
    if (!built) return;
    delete[] groups;
    delete[] texCoordArrays;
}

int TMesh::openModel(const TString& name) {
    const int fd = _open(name.copyTo(nullptr), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        logOut() << "Mesh: model file '" << name.copyTo(nullptr) << "' cannot be opened; mesh missing\n";
        logFlush();
    }
    return fd;
}

TPffData* TMesh::readModel(int fd, const TString& name, bool split) {
    const std::string file(name.copyTo(nullptr));
    TPffData* model = TPffData::load(fd, file.c_str());
    if (!model) {
        logOut() << "Mesh: model file '" << file << "' not loaded; mesh missing\n";
        logFlush();
        return nullptr;
    }
    if (split) model->splitVertices();
    return model;
}

void TMesh::markMissing() {
    loaded = false;
    lastGroup = -1;
}

TMaterial* TMesh::getGroupMaterial(int g) const {
    if (!groups || g < 0 || g > lastGroup) return nullptr;
    return groups[g].material;
}

TRenderable* TMesh::createInstance(const TVector& position, float angle) {
    return new TSceneNode(engine, position, angle, this, true);
}

// --------------------------------------------------------------- build ----

bool TMesh::build(TPffData* model, TBufferObject* vb, TBufferObject* ib) {
    const std::string file(fileName.copyTo(nullptr));
    long long totalVertices = 0, totalTriangles = 0;
    int sets = 0;
    for (TListNode<TMeshPart>* n = model->partList.head; n; n = n->next) {
        totalVertices += n->value->vertexCount;
        totalTriangles += n->value->triangleCount;
        if (n->value->texSetCount > sets) sets = n->value->texSetCount;
    }
    if (totalVertices + 1 > INT_MAX / 4 || totalTriangles > INT_MAX / 9) {
        logOut() << "Mesh: model file '" << file << "' is too large to draw; mesh missing\n";
        logFlush();
        markMissing();
        return false;
    }
    const int V = static_cast<int>(totalVertices), T = static_cast<int>(totalTriangles);

    vertexArray = engine->createVertexArray(V + 1, 4, GL_VERTEX_ARRAY);
    indexArray = engine->createIndexArray(T, 3, -1);
    shadowIndexArray = engine->createIndexArray(3 * T, 3, -1);
    normalArray = engine->createVertexArray(V + 1, 3, GL_NORMAL_ARRAY);
    for (int k = 0; k < 4; ++k) vertexArray->data[4 * V + k] = engine->lightPosition[k];

    delete[] texCoordArrays;
    texSetCount = sets;
    texCoordArrays = new TVertexArray*[static_cast<size_t>(sets) + 1];
    for (int s = 0; s < sets; ++s) texCoordArrays[s] = engine->createVertexArray(V + 1, 2, GL_TEXTURE_COORD_ARRAY);

    const int groupCount = model->getLastPartIndex() + 2;
    delete[] groups;
    groups = new TMeshGroup[static_cast<size_t>(groupCount)];
    for (int g = 0; g < groupCount; ++g) groups[g] = TMeshGroup{nullptr, -1, 0};

    // Materials are shared by name between all meshes.
    maxLayerIndex = -1;
    std::vector<TMaterial*> materials(static_cast<size_t>(model->materialCount), nullptr);
    for (int i = 0; i < model->materialCount; ++i) {
        const TMaterialData& data = model->materials[i];
        TMaterial* m = engine->findMaterial(data.getName());
        materials[static_cast<size_t>(i)] = m ? m : engine->addMaterial(data);
        if (data.lastLayerIndex > maxLayerIndex) maxLayerIndex = data.lastLayerIndex;
    }

    std::vector<bool> used(static_cast<size_t>(sets), false);
    fillGeometry(model, materials.data(), used);
    fillShadowIndices();
    appendToBuffers(vb, ib, used);

    if (lastGroup < 0) {
        logOut() << "Mesh: model file '" << file << "' has no geometry part; mesh missing\n";
        logFlush();
        markMissing();
        return false;
    }
    if (!groups[0].material) {
        logOut() << "Mesh: model file '" << file << "' has no material in its first group; mesh missing\n";
        logFlush();
        markMissing();
        return false;
    }
    loaded = true;
    return true;
}

// One group per geometry part in list order: corner indices moved behind
// the vertices written before, texture coordinates per final vertex (a
// vertex met again takes the later coordinate), normals averaged per
// vertex and turned by the part's matrix.
void TMesh::fillGeometry(TPffData* model, TMaterial** materials, std::vector<bool>& used) {
    int g = -1, t = -1, b = -1;
    int* index = indexArray->data;
    float* normal = normalArray->data;
    for (TListNode<TMeshPart>* n = model->partList.head; n; n = n->next) {
        const TMeshPart& part = *n->value;
        if (!isGeometryName(part.name)) continue;
        ++g;
        const int firstTriangle = t + 1;
        groups[g].firstTriangle = firstTriangle;
        groups[g].firstVertex = b + 1;
        groups[g].material = part.materialIndex >= 0 ? materials[part.materialIndex] : nullptr;

        for (int i = 0; i < part.triangleCount; ++i) {
            ++t;
            for (int k = 0; k < 3; ++k) {
                const int v = part.triangles[i][k] + b + 1;
                index[3 * t + k] = v;
                if (!part.hasTexTriangles()) continue;
                for (int s = 0; s < part.texSetCount; ++s) {
                    if (part.isTexSetEmpty(s)) continue;
                    used[static_cast<size_t>(s)] = true;
                    const TVector c = part.texCoords[s][part.texTriangles[s][i][k]];
                    texCoordArrays[s]->data[2 * v] = c.x;
                    texCoordArrays[s]->data[2 * v + 1] = c.y;
                }
            }
        }

        for (int i = 0; i < part.normalCount; ++i) {
            const int v = index[3 * (firstTriangle + i / 3) + i % 3];
            float* old = normal + 3 * v;
            const TVector& add = part.normals[i];
            if (old[0] == 0.0f && old[1] == 0.0f && old[2] == 0.0f) {
                old[0] = add.x, old[1] = add.y, old[2] = add.z;
            } else {
                old[0] = (old[0] + add.x) * 0.5f, old[1] = (old[1] + add.y) * 0.5f, old[2] = (old[2] + add.z) * 0.5f;
            }
        }

        const int first = b + 1;
        for (int i = 0; i < part.vertexCount; ++i) {
            ++b;
            const TVector& p = part.vertices[i];
            float* out = vertexArray->data + 4 * b;
            out[0] = p.x, out[1] = p.y, out[2] = p.z, out[3] = 1.0f;
        }

        const TMatrix turn = part.matrix.rotationPart();
        for (int v = first; v <= b; ++v) {
            float* out = normal + 3 * v;
            const TVector turned = TVector(out[0], out[1], out[2]).transform(turn);
            if (turned.length() <= 0.0f) continue;  // a vertex no corner uses keeps no normal
            const TVector unit = turned.normalized();
            out[0] = unit.x, out[1] = unit.y, out[2] = unit.z;
        }
    }
    lastGroup = g;
    groups[g + 1].firstTriangle = t + 1;
    groups[g + 1].firstVertex = b + 1;
}

// Each surface triangle (a, b, c) sweeps three triangles to the apex V.
void TMesh::fillShadowIndices() {
    const int apex = vertexArray->count - 1;
    const int* tri = indexArray->data;
    int* out = shadowIndexArray->data;
    for (int i = 0; i < indexArray->count; ++i) {
        const int a = tri[3 * i], b = tri[3 * i + 1], c = tri[3 * i + 2];
        const int rows[9] = {a, b, apex, b, c, apex, c, a, apex};
        for (int k = 0; k < 9; ++k) out[9 * i + k] = rows[k];
    }
}

// Appends the arrays behind what earlier meshes put into the shared
// buffers. A buffer without room for all of this mesh's arrays is not
// touched: they stay client-side and the mesh draws without it.
void TMesh::appendToBuffers(TBufferObject* vb, TBufferObject* ib, const std::vector<bool>& used) {
    if (vb) {
        std::vector<TVertexArray*> arrays = {vertexArray, normalArray};
        for (int s = 0; s < texSetCount; ++s)
            if (used[static_cast<size_t>(s)]) arrays.push_back(texCoordArrays[s]);
        if (packArrays(vb, GL_ARRAY_BUFFER_ARB, arrays.data(), static_cast<int>(arrays.size()), "vertex"))
            vertexBuffer = vb;
    }
    if (ib) {
        TIndexArray* arrays[2] = {indexArray, shadowIndexArray};
        if (packArrays(ib, GL_ELEMENT_ARRAY_BUFFER_ARB, arrays, 2, "index")) indexBuffer = ib;
    }
}

bool TMesh::appendToVertexBuffer(TVertexArray* const* arrays, int count) {
    return vertexBuffer && packArrays(vertexBuffer, GL_ARRAY_BUFFER_ARB, arrays, count, "vertex");
}

// All or nothing; the GL binding of the target is put back to what the
// render context remembers.
template <class Array>
bool TMesh::packArrays(TBufferObject* b, unsigned int target, Array* const* arrays, int count, const char* what) {
    long long bytes = 0;
    for (int i = 0; i < count; ++i) bytes += arrayBytes(arrays[i]->count, arrays[i]->components);
    if (!fits(b, bytes)) {
        logOut() << "Mesh: model file '" << fileName.copyTo(nullptr) << "': the " << what
                 << " buffer has no room for " << bytes << " bytes; the arrays stay in memory\n";
        logFlush();
        return false;
    }
    for (int i = 0; i < count; ++i) appendArray(arrays[i], b, target, engine->useVBO);
    const TRenderContext* context = engine->activeTarget ? engine->activeTarget : engine;
    const TBufferObject* remembered =
        target == GL_ARRAY_BUFFER_ARB ? context->arrayBuffer : context->elementBuffer;
    glBindBufferARB(target, remembered ? remembered->name : 0);
    return true;
}
