#pragma once
// TBone is one joint of a skeleton: its bind pose, the tree below it and up
// to 16 animation tracks of keys sorted by frame. The bone owns its children
// and its keys; its skinMatrix (current pose times inverse bind) is what the
// skinned draw hands to the vertex program.

#include "engine/TList.h"
#include "engine/TMatrix.h"
#include "engine/TRenderable.h"
#include "engine/TString.h"
#include "scene/TAnimKey.h"

class TPffData;
class TSkeleton;
struct TBoneIndex;

class TBone : public TRenderable {
public:
    static const int kTrackCount = 16;

    TSkeleton* skeleton;
    TBone* parent;               // null for a root
    TList<TBone> children;       // owned; a new child goes to the front
    TMatrix bindMatrix;          // the part matrix with unit-length rows
    TMatrix inverseBind;
    TMatrix drawMatrix;          // the bind pose as drawn by render
    TMatrix skinMatrix;          // current pose times inverse bind
    TMatrix skinDelta;           // change of skinMatrix per time unit
    TMatrix blendTarget;         // skinMatrix of the first key at the last start
    TList<TAnimKey> tracks[kTrackCount];  // owned keys, sorted by frame
    TListIterator<TAnimKey>* keyCursor;   // owned, over the current track
    TAnimKey* currentKey;                 // the key being approached, null past the last
    TString name;                         // owned copy

    // A bone in the bind pose; with a parent it goes to the front of the
    // parent's children, without one the caller files it as a root.
    TBone(const TString& name, const TMatrix& matrix, TBone* parent, TSkeleton* skeleton, TEngine* engine);
    // Deep copy of other's own state (matrices, keys with skinMatrix
    // recomputed against this copy's inverse bind); not linked anywhere,
    // no children, no current key.
    TBone(const TBone& other, TBone* parent, TSkeleton* skeleton);
    ~TBone() override;

    // The bone of part `name` in the skeleton's trees: the existing one, or
    // a new one (its parent first). Null for a geometry name, "none", a name
    // no part carries, or a part already being built further up (a parent
    // cycle, logged; the bone then becomes a root). Walks the parent chain
    // without recursion, so a chain of any length is built.
    static TBone* build(TSkeleton* skeleton, const TString& name, TPffData* model);
    // build for every part of the model in list order, with one index of
    // parts and bones by name for all of them (linear in the parts). Returns
    // how many parts gave a bone.
    static int buildAll(TSkeleton* skeleton, TPffData* model);
    // True when the name does not begin with "_".
    static bool isBoneName(const TString& name);

    // Self first, then each child's subtree; null when none matches.
    TBone* findByName(const TString& name);
    // Files a copy of key into tracks[track] of the bone of the key's name in
    // this subtree, after the keys of lower or equal frame. False when no
    // bone has that name (the key is dropped) or track is out of range.
    bool addKey(const TAnimKey& key, int track);
    // Files a copy of key at the end of tracks[track]; the caller hands the
    // keys over in frame order. False for a track out of range.
    bool appendKey(const TAnimKey& key, int track);
    // Starts tracks[track]: blends from the current pose to its first key
    // over -startTime time units. An empty track keeps the bone as it is.
    void startTrack(int startTime, int track);
    // Moves the pose on by dt; the skeleton's time has been advanced already.
    // Keys are in frame order whatever their order in the file; between two
    // keys the pose moves linearly, however far apart their frames lie in
    // the int range (spans are taken in 64 bits).
    void update(int dt);

    // A line list joining every bone to its children at the bind pose
    // (called between glBegin (GL_LINES) and glEnd by the caller).
    void render() override;

    // Matrix with each of its first three rows scaled to unit length; a
    // zero row stays zero.
    static TMatrix normalizeRows(const TMatrix& m);

private:
    static TBone* buildIndexed(TSkeleton* skeleton, const char* name, TBoneIndex& index);
    void clearCursor();
};
