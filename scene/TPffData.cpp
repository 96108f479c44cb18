#include "scene/TPffData.h"

#include <string>

#include "engine/TRecordInput.h"

namespace {

// The smallest records: a material without layers, a part with no arrays.
const long long kMinMaterialBytes = TMaterialData::kHeaderSize;
const long long kMinPartBytes = 2 * TMeshPart::kNameSize + 16 * 4 + 4 * 4 + 4;

}  // namespace

TPffData::TPffData() : materialCount(0), materials(nullptr), ownsContents(1) {}

TPffData::~TPffData() {
    if (!ownsContents) return;
    for (TListNode<TMeshPart>* n = partList.head; n; n = n->next) delete n->value;
    delete[] materials;
}

TPffData* TPffData::load(int fd, const char* fileName) {
    TRecordInput in(fd, fileName);
    return load(in);
}

TPffData* TPffData::load(TRecordInput& in) {
    TPffData* model = new TPffData();
    const bool ok = model->readMaterials(in) && model->readParts(in);
    in.context.clear();
    if (ok) return model;
    delete model;
    return nullptr;
}

bool TPffData::readMaterials(TRecordInput& in) {
    int count = 0;
    in.context.clear();
    if (!in.readInt(count, "the material count")) return false;
    if (count < 0) return in.fail("negative material count " + std::to_string(count));
    if (!in.require(count * kMinMaterialBytes, (std::to_string(count) + " materials").c_str())) return false;
    if (count > 0) {
        materials = new TMaterialData[static_cast<size_t>(count)];
        materialCount = count;
    }
    for (int i = 0; i < count; ++i) {
        in.context = "material " + std::to_string(i);
        if (!materials[i].load(in)) return false;
    }
    return true;
}

bool TPffData::readParts(TRecordInput& in) {
    int count = 0;
    in.context.clear();
    if (!in.readInt(count, "the part count")) return false;
    if (count < 0) return in.fail("negative part count " + std::to_string(count));
    if (!in.require(count * kMinPartBytes, (std::to_string(count) + " parts").c_str())) return false;
    for (int i = 0; i < count; ++i) {
        in.context = "part " + std::to_string(i);
        TMeshPart* part = TMeshPart::load(in);
        if (!part) return false;
        partList.pushFront(part, false);
        if (part->materialIndex >= materialCount)
            return in.fail("material index " + std::to_string(part->materialIndex) + " beyond the " +
                           std::to_string(materialCount) + " materials");
    }
    return true;
}

TMaterialData TPffData::getMaterial(int i) const {
    if (i < 0 || i >= materialCount) return TMaterialData();
    return materials[i];
}

void TPffData::splitVertices() {
    for (TListNode<TMeshPart>* n = partList.head; n; n = n->next) n->value->splitVertices();
}
