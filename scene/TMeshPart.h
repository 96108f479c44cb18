#pragma once
// TMeshPart is one named part of a model file: a piece of geometry (name
// beginning with "_") or a bone. It holds the part's arrays as the file
// stores them; every index in an accepted part lies inside the array it
// indexes. splitVertices rewrites the arrays so that each vertex carries one
// texture coordinate per set, and records where every stored vertex went.

#include <cstdint>
#include <string>

#include "engine/TList.h"
#include "engine/TMatrix.h"
#include "engine/TString.h"
#include "engine/TVector.h"
#include "scene/TIntVector.h"

class TRecordInput;

// One distinct use of a stored vertex: the corner it was first met at, its
// texture-coordinate index in every set (-1 for an empty set, 0 beyond the
// part's set count) and the index it has after the split.
struct TVertexSplit {
    static const int kMaxSets = 256;
    int triangle;
    int corner;
    int texIndex[kMaxSets];
    int vertex;
    int newIndex;
    int setCount;

    // Two uses share a vertex when no set gives them different indices.
    bool matches(const TVertexSplit& other) const;
};

class TMeshPart {
public:
    static const int kNameSize = 64;
    static const int kMaxTexSets = TVertexSplit::kMaxSets;

    char name[kNameSize];        // always zero-terminated
    char parentName[kNameSize];  // "none" for a root
    TVector* vertices;
    TVector** texCoords;      // per set; null for an empty set, all null when texSetCount < 1
    TVector* normals;         // one per triangle corner: normal n is corner n % 3 of triangle n / 3
    TIntVector* triangles;    // vertex indices
    TIntVector** texTriangles;  // per set, texture-coordinate indices; like texCoords
    TList<TVertexSplit>* vertexSplits;  // one list per stored vertex after splitVertices, else null
    TMatrix matrix;
    uint8_t ownsArrays;
    int vertexCount;
    int triangleCount;
    int materialIndex;  // -1: no material
    int normalCount;
    int* texCoordCounts;  // per set; a count below 1 marks an empty set
    int texSetCount;
    int splitListCount;  // lists in vertexSplits: the vertex count before the split

    // An empty part named "" with parent "none", the identity matrix, no
    // arrays, material -1; it owns whatever allocate gives it.
    TMeshPart();
    virtual ~TMeshPart();
    TMeshPart(const TMeshPart&) = delete;
    TMeshPart& operator=(const TMeshPart&) = delete;

    // Reads the next part record of an open model file (binary mode).
    // fileName only names the file in the log line. Returns a new part that
    // the caller owns, or null after one log line when the record is short,
    // a name has no terminating zero, a count is negative or larger than the
    // rest of the file, there are more than 256 texture sets or more normals
    // than triangle corners, or a corner index lies outside its array. The
    // material index is not checked against a table here (TPffData does).
    static TMeshPart* load(int fd, const char* fileName);
    static TMeshPart* load(TRecordInput& in);
    // Writes the part record as load reads it; false when the file took less.
    virtual bool write(int fd) const;

    // Replaces the arrays by zeroed ones of these sizes (texCoordCounts
    // holds S entries; a count below 1 makes an empty set). False, changing
    // nothing, for a negative count or more than 256 sets.
    bool allocate(int vertexCount, int normalCount, int triangleCount, int texSetCount, const int* texCoordCounts);
    // Both cut to 63 characters.
    void setName(const char* text);
    void setParentName(const char* text);

    // Gives every vertex a single texture coordinate per set: a stored
    // vertex whose corners use different coordinates becomes one vertex per
    // distinct use; vertices are renumbered in the order of first use.
    // Normals are left alone; vertexSplits keeps the mapping.
    void splitVertices();
    // Empty when every corner index lies inside its array, else the first
    // index that does not, in words.
    std::string findBadIndex() const;

    // The names borrow the part's fields: valid while the part lives.
    TString getName() const { return TString(name); }
    TString getParentName() const { return TString(parentName); }
    int getVertexCount() const { return vertexCount; }
    int getNormalCount() const { return normalCount; }
    int getTriangleCount() const { return triangleCount; }
    int getTexSetCount() const { return texSetCount; }
    // 0 for a set outside 0 .. texSetCount - 1.
    int getTexCoordCount(int s) const;
    bool isTexSetEmpty(int s) const { return getTexCoordCount(s) < 1 || !texCoords[s]; }
    int getMaterialIndex() const { return materialIndex; }
    bool hasTexTriangles() const { return texTriangles != nullptr; }
    // Copies; an index outside its array (or an empty set) gives zeros.
    TVector getVertex(int i) const;
    TVector getNormal(int i) const;
    TVector getTexCoord(int i, int s) const;
    TIntVector getTriangle(int i) const;
    TIntVector getTexTriangle(int i, int s) const;
    TMatrix getMatrix() const { return matrix; }
    // Null until splitVertices ran; then getVertexSplitCount lists, indexed
    // by the vertex index as stored in the file. Owned by the part.
    TList<TVertexSplit>* getVertexSplits() const { return vertexSplits; }
    int getVertexSplitCount() const { return vertexSplits ? splitListCount : 0; }
    // The vertex count as the file stores it (before any split): what the
    // part's skin-weight block must match.
    int getStoredVertexCount() const { return vertexSplits ? splitListCount : vertexCount; }

private:
    void freeArrays();
    void freeSplits();
    void makeSplit(int t, int k, int newIndex, TVertexSplit& out) const;
    bool readArrays(TRecordInput& in);
};
