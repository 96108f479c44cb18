#include "pff.h"

#include "common.h"

namespace pff {

using gen::putF32LE;
using gen::putI32LE;
using gen::putName;

namespace {

void putColor(std::vector<uint8_t>& out, const Color& c) {
    putF32LE(out, c.r);
    putF32LE(out, c.g);
    putF32LE(out, c.b);
    putF32LE(out, c.a);
}

void putMatrix(std::vector<uint8_t>& out, const gen::M4& m) {
    for (float v : m.m) putF32LE(out, v);
}

void putV3(std::vector<uint8_t>& out, const gen::V3& v) {
    putF32LE(out, v.x);
    putF32LE(out, v.y);
    putF32LE(out, v.z);
}

void putTri(std::vector<uint8_t>& out, const Tri& t) {
    for (int32_t i : t) putI32LE(out, i);
}

bool fits(const std::string& name, size_t field) { return !name.empty() && name.size() < field; }

}  // namespace

void putMaterial(std::vector<uint8_t>& out, const Material& m) {
    putName(out, m.name, kNameField);
    putColor(out, m.diffuse);
    putColor(out, m.ambient);
    putColor(out, m.specular);
    putF32LE(out, m.value);
    putI32LE(out, static_cast<int32_t>(m.layers.size()) - 1);
    for (const Layer& l : m.layers) {
        putName(out, l.texture, kTextureField);
        putF32LE(out, l.s);
        putF32LE(out, l.t);
        putI32LE(out, l.set);
    }
}

void putPart(std::vector<uint8_t>& out, const Part& p) {
    putName(out, p.name, kNameField);
    putName(out, p.parent, kNameField);
    putMatrix(out, p.matrix);
    putI32LE(out, static_cast<int32_t>(p.vertices.size()));
    putI32LE(out, static_cast<int32_t>(p.normals.size()));
    putI32LE(out, static_cast<int32_t>(p.triangles.size()));
    putI32LE(out, static_cast<int32_t>(p.sets.size()));
    for (const TexSet& s : p.sets) putI32LE(out, static_cast<int32_t>(s.coords.size()));
    putI32LE(out, p.material);
    for (const gen::V3& v : p.vertices) putV3(out, v);
    for (const gen::V3& n : p.normals) putV3(out, n);
    for (const Tri& t : p.triangles) putTri(out, t);
    for (const TexSet& s : p.sets)
        if (!s.coords.empty())
            for (const Tri& t : s.triangles) putTri(out, t);
    for (const TexSet& s : p.sets)
        for (const gen::V3& c : s.coords) putV3(out, c);
}

void putSkin(std::vector<uint8_t>& out, const SkinBlock& s) {
    putName(out, s.name, kNameField);
    putI32LE(out, static_cast<int32_t>(s.bones.size()));
    putI32LE(out, s.vertexCount);
    for (const std::string& b : s.bones) putName(out, b, kNameField);
    for (float w : s.weights) putF32LE(out, w);
}

std::vector<uint8_t> modelBytes(const Model& model) {
    std::vector<uint8_t> out;
    putI32LE(out, static_cast<int32_t>(model.materials.size()));
    for (const Material& m : model.materials) putMaterial(out, m);
    putI32LE(out, static_cast<int32_t>(model.parts.size()));
    for (const Part& p : model.parts) putPart(out, p);
    for (const SkinBlock& s : model.skins) putSkin(out, s);
    return out;
}

std::vector<uint8_t> animationBytes(const Animation& anim) {
    std::vector<uint8_t> out;
    putI32LE(out, anim.header);
    for (const AnimKey& k : anim.keys) {
        putName(out, k.bone, kNameField);
        putMatrix(out, k.matrix);
        putI32LE(out, k.frame);
    }
    return out;
}

std::string validate(const Model& model) {
    for (const Material& m : model.materials) {
        if (!fits(m.name, kNameField)) return "material name '" + m.name + "' does not fit its field";
        if (m.layers.size() > 4) return "material '" + m.name + "' has more than 4 layers";
        for (const Layer& l : m.layers)
            if (!fits(l.texture, kTextureField)) return "texture name '" + l.texture + "' does not fit its field";
    }
    size_t geometryParts = 0;
    for (const Part& p : model.parts) {
        if (!fits(p.name, kNameField) || !fits(p.parent, kNameField)) return "part name '" + p.name + "' too long";
        if (!p.isGeometry()) {
            if (!p.vertices.empty() || !p.triangles.empty()) return "bone '" + p.name + "' carries geometry";
            continue;
        }
        ++geometryParts;
        if (p.normals.size() != 3 * p.triangles.size()) return "part '" + p.name + "' needs one normal per corner";
        if (p.material < 0 || p.material >= static_cast<int32_t>(model.materials.size()))
            return "part '" + p.name + "' has no material";
        const int32_t v = static_cast<int32_t>(p.vertices.size());
        for (const Tri& t : p.triangles)
            for (int32_t i : t)
                if (i < 0 || i >= v) return "part '" + p.name + "' has a vertex index out of range";
        for (const TexSet& s : p.sets) {
            if (s.coords.empty()) continue;
            if (s.triangles.size() != p.triangles.size()) return "part '" + p.name + "' texture triangles miss";
            const int32_t c = static_cast<int32_t>(s.coords.size());
            for (const Tri& t : s.triangles)
                for (int32_t i : t)
                    if (i < 0 || i >= c) return "part '" + p.name + "' has a texture index out of range";
        }
        for (const Material& m : model.materials)
            for (const Layer& l : m.layers)
                if (l.set < 0 || l.set >= static_cast<int32_t>(p.sets.size()))
                    return "material '" + m.name + "' names a texture set the part lacks";
    }
    if (geometryParts == 0) return "model has no geometry part";
    if (!model.skins.empty()) {
        // Skin block g pairs with the g-th geometry part counted from the end
        // of the file (the reader's list runs backwards).
        if (model.skins.size() != geometryParts) return "one skin block per geometry part expected";
        size_t g = 0;
        for (auto it = model.parts.rbegin(); it != model.parts.rend() && g < model.skins.size(); ++it) {
            if (!it->isGeometry()) continue;
            const SkinBlock& s = model.skins[g++];
            if (s.vertexCount != static_cast<int32_t>(it->vertices.size()))
                return "skin block '" + s.name + "' does not match its part's vertex count";
            if (s.weights.size() != s.bones.size() * static_cast<size_t>(s.vertexCount))
                return "skin block '" + s.name + "' has the wrong number of weights";
            for (const std::string& b : s.bones)
                if (!fits(b, kNameField)) return "skin bone name '" + b + "' too long";
        }
    }
    return std::string();
}

}  // namespace pff
