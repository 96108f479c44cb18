#pragma once
// TSkeleton holds a model's bone trees and plays one of up to 16 animation
// tracks at a time. Its bones array is the traversal order (depth first,
// pre-order from the root) and that index is the bone index of skinning.
// The skeleton owns its bones; a copy is deep, so instances animate alone.

#include "engine/TList.h"
#include "engine/TString.h"

class TBone;
class TEngine;
class TPffData;

class TSkeleton {
public:
    static const int kTrackCount = 16;
    // The blend from the pose reached back into a restarted track.
    static const int kRestartTime = -1000;

    TBone** bones;       // boneCount entries, traversal order
    int time;            // animation clock, negative while blending in
    int currentTrack;    // -1 before the first start
    TBone* root;         // the root of the last tree built
    TEngine* skeletonEngine;  // handed to every bone
    int boneCount;
    int trackEnd[kTrackCount];     // time at which each track restarts
    bool trackLoaded[kTrackCount]; // an animation file was loaded into it
    TList<TBone> roots;  // owned: every tree's root, in creation order

    // An empty skeleton: no bones, track -1, time -1.
    explicit TSkeleton(TEngine* engine);
    // Deep copy: trees, matrices, every key of every track (skinMatrix
    // recomputed against the copy's inverse bind), time, current track and
    // track ends. The copy has no current key until a track starts.
    TSkeleton(const TSkeleton& other);
    TSkeleton& operator=(const TSkeleton&) = delete;
    virtual ~TSkeleton();

    // Makes a bone of every part whose name does not begin with "_" (parents
    // first) and lists them in traversal order. Returns the bone count. A
    // model whose bones form more than one tree is logged; every tree is
    // kept and listed, the last root's tree first.
    int build(TPffData* model);
    // The number of bones build would make of the model: the distinct names
    // of its parts that are bone names (not "_..." and not "none"). Linear
    // in the parts; lets a caller refuse a model before building it.
    static int countBones(TPffData* model);

    // The first bone of the bones array with that name, or null.
    TBone* findBone(const TString& name) const;

    // Reads an animation file into the first track that no bone uses and
    // no earlier file took, and sets its end time to the file's header.
    // Returns the track, or -1 (after a log line, nothing loaded) when the
    // file is missing or damaged or all 16 tracks are taken.
    int loadAnimation(const TString& fileName);

    // Time := startTime, every bone starts the track, current track :=
    // track. A track outside 0 .. 15 is logged and ignored.
    void startAnimation(int track, int startTime);
    // Starts the current track again at time -1000; nothing without one.
    virtual void restartAnimation();
    // At or past the track's end restarts it; otherwise moves the clock and
    // every bone on by dt (the clock stops at the ends of the int range).
    // Does nothing before a track was started.
    void advance(int dt);

    int getBoneCount() const { return boneCount; }
    int getCurrentTrack() const { return currentTrack; }
    int getTime() const { return time; }

private:
    // Rebuilds the bones array from the trees in traversal order.
    void listBones();
    void freeBones();
};
