#include "scene/TSkinWeights.h"

#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TRecordInput.h"
#include "scene/TMeshPart.h"

TSkinWeights::TSkinWeights() : boneCount(0), boneNames(nullptr), weights(nullptr), vertexCount(0), ownsArrays(1) {
    copyNameField(name, kNameSize, "");
}

TSkinWeights::~TSkinWeights() {
    if (ownsArrays) freeArrays();
}

void TSkinWeights::freeArrays() {
    delete[] boneNames;
    delete[] weights;
    boneNames = nullptr;
    weights = nullptr;
    boneCount = 0;
    vertexCount = 0;
}

bool TSkinWeights::allocate(int bones, int vertices) {
    if (bones < 0 || vertices < 0) return false;
    if (ownsArrays) freeArrays();
    ownsArrays = 1;
    boneCount = bones;
    vertexCount = vertices;
    boneNames = new TString[static_cast<size_t>(bones)];
    for (int i = 0; i < bones; ++i) boneNames[i].assign(TString(""));
    weights = new float[static_cast<size_t>(bones) * static_cast<size_t>(vertices)]();
    return true;
}

void TSkinWeights::setName(const char* text) { copyNameField(name, kNameSize, text); }

void TSkinWeights::setBoneName(int i, const char* text) {
    if (i < 0 || i >= boneCount) return;
    char field[kNameSize];
    copyNameField(field, kNameSize, text);
    boneNames[i].assign(TString(field));
}

TSkinWeights* TSkinWeights::load(int fd, const char* fileName, int expectedVertexCount) {
    TRecordInput in(fd, fileName);
    in.context = "skin block";
    return load(in, expectedVertexCount);
}

TSkinWeights* TSkinWeights::load(TRecordInput& in, int expectedVertexCount) {
    char readName[kNameSize];
    int n = 0, m = 0;
    if (!in.readName(readName, kNameSize, "the block name")) return nullptr;
    in.context += " '" + std::string(readName) + "'";
    if (!in.readInt(n, "the bone count") || !in.readInt(m, "the vertex count")) return nullptr;
    if (n < 0 || m < 0) {
        in.fail("negative count (bones " + std::to_string(n) + ", vertices " + std::to_string(m) + ")");
        return nullptr;
    }
    if (expectedVertexCount >= 0 && m != expectedVertexCount) {
        in.fail("block has " + std::to_string(m) + " vertices, its part " + std::to_string(expectedVertexCount));
        return nullptr;
    }
    if (!in.require(static_cast<long long>(n) * (kNameSize + 4LL * m), "the bone names and weights")) return nullptr;

    TSkinWeights* block = new TSkinWeights();
    block->allocate(n, m);
    copyNameField(block->name, kNameSize, readName);
    char boneName[kNameSize];
    for (int i = 0; i < n; ++i) {
        if (!in.readName(boneName, kNameSize, "a bone name")) {
            delete block;
            return nullptr;
        }
        block->boneNames[i].assign(TString(boneName));
    }
    if (!in.readFloats(block->weights, n * m, "the weights")) {
        delete block;
        return nullptr;
    }
    return block;
}

bool TSkinWeights::write(int fd) const {
    TRecordOutput out;
    out.putName(name, kNameSize);
    out.putInt(boneCount);
    out.putInt(vertexCount);
    char field[kNameSize];
    for (int i = 0; i < boneCount; ++i) {
        copyNameField(field, kNameSize, boneNames[i].buffer, boneNames[i].size());
        out.putBytes(field, kNameSize);
    }
    out.putFloats(weights, boneCount * vertexCount);
    return out.writeTo(fd);
}

float TSkinWeights::getWeight(int bone, int vertex) const {
    if (bone < 0 || bone >= boneCount || vertex < 0 || vertex >= vertexCount) return 0.0f;
    return weights[static_cast<size_t>(boneCount) * static_cast<size_t>(vertex) + static_cast<size_t>(bone)];
}

int TSkinWeights::findBone(const TString& boneName) const {
    for (int i = 0; i < boneCount; ++i)
        if (boneNames[i].equals(boneName)) return i;
    return -1;
}

TString TSkinWeights::getBoneName(int i) const {
    if (i < 0 || i >= boneCount) return TString("");
    return TString(boneNames[i].buffer, false, boneNames[i].length);
}

int TSkinWeights::remapToPart(const TMeshPart& part) {
    const TList<TVertexSplit>* splits = part.getVertexSplits();
    if (!splits || part.getVertexSplitCount() != vertexCount) {
        logOut() << "Skin block '" << name << "': " << vertexCount << " vertices, part '" << part.name << "' "
                 << (splits ? "was split from " + std::to_string(part.getVertexSplitCount()) + " vertices"
                            : std::string("was not split"))
                 << "; weights not remapped\n";
        logFlush();
        return -1;
    }
    const size_t n = static_cast<size_t>(boneCount);
    const int newCount = part.getVertexCount();
    float* remapped = new float[n * static_cast<size_t>(newCount)]();
    for (int j = 0; j < vertexCount; ++j) {
        for (const TListNode<TVertexSplit>* r = splits[j].head; r; r = r->next) {
            const int target = r->value->newIndex;
            if (target < 0 || target >= newCount) continue;
            for (size_t i = 0; i < n; ++i) remapped[n * static_cast<size_t>(target) + i] = weights[n * static_cast<size_t>(j) + i];
        }
    }
    if (ownsArrays) delete[] weights;
    weights = remapped;
    vertexCount = newCount;
    return newCount;
}
