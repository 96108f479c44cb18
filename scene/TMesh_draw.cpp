// Drawing meshes: the surface and shadow-volume passes, from vertex arrays
// (client memory or buffer objects) or in immediate mode.
#include <cstdint>

#include "engine/Log.h"
#include "engine/TEngine.h"
#include "engine/TIndexArray.h"
#include "engine/TMaterial.h"
#include "engine/TTexture.h"
#include "engine/TVertexArray.h"
#include "platform/gl.h"
#include "scene/TMesh.h"

namespace {

const int kRowsPerTriangle[2] = {3, 9};

// Layers of a material that the draw sets up: none without a material.
int layerCount(const TMaterial* m) { return m ? m->lastLayerIndex + 1 : 0; }

}  // namespace

const void* TMesh::pointTo(TVertexArray* array) {
    if (array->inBuffer()) {
        engine->bindArrayBuffer(array->buffer);
        return array->pointer;
    }
    engine->bindArrayBuffer(nullptr);
    return array->data;
}

TVertexArray* TMesh::texCoordsOfLayer(TMaterial* material, int layer) {
    const TTexture* texture = material->textures ? material->textures[layer] : nullptr;
    const int set = texture ? texture->layerValue : material->layers[layer].integer;
    if (set >= 0 && set < texSetCount) return texCoordArrays[set];
    if (!setRangeLogged) {
        setRangeLogged = true;
        logOut() << "Mesh: model file '" << fileName.copyTo(nullptr) << "': material '" << material->name
                 << "' layer " << layer << " reads texture-coordinate set " << set << " of " << texSetCount
                 << "; drawn with " << (texSetCount > 0 ? "set 0" : "no coordinates") << "\n";
        logFlush();
    }
    return texSetCount > 0 ? texCoordArrays[0] : nullptr;
}

void TMesh::draw(bool pass) {
    if (lastGroup < 0) return;
    if (immediateMode) drawImmediate(pass);
    else drawArrays(pass);
}

// Groups without a material draw with the material in use, without texture
// coordinates.
void TMesh::drawArrays(bool pass) {
    TIndexArray* indices = pass ? shadowIndexArray : indexArray;
    const int rows = kRowsPerTriangle[pass ? 1 : 0];
    engine->bindElementBuffer(indices->inBuffer() ? indices->buffer : nullptr);
    const char* indexStart = static_cast<const char*>(indices->inBuffer() ? indices->pointer : indices->data);

    glVertexPointer(4, GL_FLOAT, 0, pointTo(vertexArray));
    glNormalPointer(GL_FLOAT, 0, pointTo(normalArray));
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);

    for (int g = 0; g <= lastGroup; ++g) {
        TMaterial* material = groups[g].material;
        if (!pass && material) engine->setMaterial(material);
        const int layers = layerCount(material);
        for (int l = 0; l < layers; ++l) {
            glClientActiveTextureARB(GL_TEXTURE0_ARB + l);
            TVertexArray* coords = texCoordsOfLayer(material, l);
            if (!coords) continue;
            glTexCoordPointer(2, GL_FLOAT, 0, pointTo(coords));
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        }
        const int first = groups[g].firstTriangle, end = groups[g + 1].firstTriangle;
        glDrawElements(GL_TRIANGLES, rows * (end - first), GL_UNSIGNED_INT,
                       indexStart + static_cast<intptr_t>(rows) * first * 4);
        for (int l = 0; l < layers; ++l) {
            glClientActiveTextureARB(GL_TEXTURE0_ARB + l);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
    }
    glClientActiveTextureARB(GL_TEXTURE0_ARB);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
}

void TMesh::drawImmediate(bool pass) {
    const TIndexArray* indices = pass ? shadowIndexArray : indexArray;
    const int rowsPerTriangle = pass ? 3 : 1;
    const float* vertices = vertexArray->data;
    const float* normals = normalArray->data;
    for (int g = 0; g <= lastGroup; ++g) {
        TMaterial* material = groups[g].material;
        if (material) engine->setMaterial(material);
        const int layers = layerCount(material);
        const TVertexArray* coords[8] = {};
        for (int l = 0; l < layers && l < 8; ++l) coords[l] = texCoordsOfLayer(material, l);

        glBegin(GL_TRIANGLES);
        const int first = rowsPerTriangle * groups[g].firstTriangle;
        const int end = rowsPerTriangle * groups[g + 1].firstTriangle;
        for (int r = first; r < end; ++r) {
            for (int k = 0; k < 3; ++k) {
                const int v = indices->data[3 * r + k];
                for (int l = 0; l < layers && l < 8; ++l)
                    if (coords[l]) glMultiTexCoord2fv(GL_TEXTURE0_ARB + l, coords[l]->data + 2 * v);
                glNormal3fv(normals + 3 * v);
                glVertex4fv(vertices + 4 * v);
            }
        }
        glEnd();
    }
}
