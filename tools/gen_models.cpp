// Models generator: builds every model, animation and model texture of the
// default data set, checks them against what the game looks up and what its
// buffers hold, then writes them.

#include "gen_models.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "generators.h"

namespace models {

using gen::M4;
using gen::V3;

// ---------------------------------------------------------------------------
// Helpers shared by the builders

pff::Model singlePartModel(const pff::Material& material, const gen::MeshBuilder& mesh, const std::string& partName,
                           int sets) {
    pff::Model m;
    m.materials.push_back(material);
    m.parts.push_back(mesh.toPart(partName, 0, sets));
    return m;
}

pff::Material textureMaterial(const std::string& name, const std::string& texture) {
    pff::Material m;
    m.name = name;
    m.diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    m.ambient = {0.4f, 0.4f, 0.4f, 1.0f};
    m.specular = {0.2f, 0.2f, 0.2f, 1.0f};
    m.value = 2.0f;
    pff::Layer l;
    l.texture = texture;
    l.set = 0;
    m.layers.push_back(l);
    return m;
}

std::string outputPath(const std::string& gamePath) {
    std::string p = gamePath;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

namespace {

// With DATAGEN_VERBOSE set, lists what was written (for the data notes).
void printSummary(const ModelSet& set) {
    for (const ModelFile& f : set.models()) {
        int bones = 0, vertices = 0, triangles = 0;
        for (const pff::Part& p : f.model.parts) {
            if (!p.isGeometry()) ++bones;
            vertices += static_cast<int>(p.vertices.size());
            triangles += static_cast<int>(p.triangles.size());
        }
        std::string layers;
        for (const pff::Layer& l : f.model.materials[0].layers) layers += " " + l.texture;
        std::printf("%-32s %-22s parts %zu bones %d v %d t %d radius %.2f material %s:%s\n", f.path.c_str(),
                    f.what.c_str(), f.model.parts.size(), bones, vertices, triangles, f.radius,
                    f.model.materials[0].name.c_str(), layers.c_str());
    }
    for (const AnimationFile& a : set.animations())
        std::printf("%-32s keys %zu end %d\n", a.path.c_str(), a.animation.keys.size(), a.animation.header);
    for (const TextureFile& t : set.textures())
        std::printf("tex/%-28s %dx%d %d bit\n", t.name.c_str(), t.image.width, t.image.height, t.image.channels * 8);
    std::printf("vertex buffer %ld of %ld bytes, index buffer %ld of %ld bytes (ground included)\n",
                set.vertexBufferUse(), kVertexBufferBytes, set.indexBufferUse(), kIndexBufferBytes);
}

}  // namespace

}  // namespace models

bool generateModels(const std::string& out) {
    models::ModelSet set;
    models::buildDragon(set);
    models::buildDwarf(set);
    models::buildBuildings(set);
    models::buildItems(set);
    if (!set.check()) return false;
    if (std::getenv("DATAGEN_VERBOSE")) models::printSummary(set);
    return set.write(out);
}
