#pragma once
// TSkinWeights is one skin-weight block of a skinned model file: for each
// vertex of one geometry part, the weight of every bone that the block
// names. Weights are vertex-major: bone i on vertex j is element
// boneCount * j + i. An accepted block never holds more weights than its
// counts say, and every look-up outside them reads as weight 0.

#include <cstdint>

#include "engine/TString.h"

class TMeshPart;
class TRecordInput;

class TSkinWeights {
public:
    static const int kNameSize = 64;

    char name[kNameSize];  // always zero-terminated
    int boneCount;
    TString* boneNames;  // boneCount owned strings
    float* weights;      // boneCount x vertexCount
    int vertexCount;
    uint8_t ownsArrays;

    // An empty block ("", no bones, no vertices) owning what allocate gives it.
    TSkinWeights();
    virtual ~TSkinWeights();
    TSkinWeights(const TSkinWeights&) = delete;
    TSkinWeights& operator=(const TSkinWeights&) = delete;

    // Reads the next skin-weight block of an open model file (binary mode);
    // fileName only names the file in the log line. expectedVertexCount,
    // when not negative, is the stored vertex count of the block's part
    // (TMeshPart::getStoredVertexCount); a block of another count is
    // refused. Returns a new block that the caller owns, or null after one
    // log line for a short block, a negative count, counts larger than the
    // rest of the file, a name without a terminating zero or a vertex count
    // that does not match.
    static TSkinWeights* load(int fd, const char* fileName, int expectedVertexCount = -1);
    static TSkinWeights* load(TRecordInput& in, int expectedVertexCount = -1);
    // Writes the block as load reads it; false when the file took less.
    virtual bool write(int fd) const;

    // Replaces names and weights by boneCount empty names and zero weights
    // for vertexCount vertices; false, changing nothing, for a negative count.
    bool allocate(int boneCount, int vertexCount);
    void setName(const char* text);  // cut to 63 characters
    void setBoneName(int i, const char* text);

    // Weight of bone i on vertex j; 0.0 outside the block's counts.
    float getWeight(int bone, int vertex) const;
    // Index of the first bone name equal to name, -1 when none.
    int findBone(const TString& name) const;
    // Carries each stored vertex's weights to every vertex it was split
    // into (the part after TMeshPart::splitVertices) and returns the new
    // vertex count. Returns -1, after a log line and changing nothing, when
    // the part was not split or was split from another vertex count.
    int remapToPart(const TMeshPart& part);

    int getBoneCount() const { return boneCount; }
    int getVertexCount() const { return vertexCount; }
    // Borrows the block's name field: valid while the block lives.
    TString getName() const { return TString(name); }
    // The name of bone i (borrowed), or an empty string outside 0 .. n - 1.
    TString getBoneName(int i) const;

private:
    void freeArrays();
};
