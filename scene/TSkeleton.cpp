#include "scene/TSkeleton.h"

#include <string>
#include <vector>

#include "engine/Log.h"
#include "scene/TAnimReader.h"
#include "scene/TBone.h"
#include "scene/TPffData.h"

namespace {

// Copies the subtree of `from` below the copy `to`, keeping child order.
void copyChildren(const TBone& from, TBone& to, TSkeleton* owner) {
    for (TListNode<TBone>* n = from.children.head; n; n = n->next) {
        TBone* child = new TBone(*n->value, &to, owner);
        to.children.pushBack(child, true);
        copyChildren(*n->value, *child, owner);
    }
}

}  // namespace

TSkeleton::TSkeleton(TEngine* e)
    : bones(nullptr), time(-1), currentTrack(-1), root(nullptr), skeletonEngine(e), boneCount(0) {
    for (int t = 0; t < kTrackCount; ++t) {
        trackEnd[t] = 0;
        trackLoaded[t] = false;
    }
}

TSkeleton::TSkeleton(const TSkeleton& other)
    : bones(nullptr),
      time(other.time),
      currentTrack(other.currentTrack),
      root(nullptr),
      skeletonEngine(other.skeletonEngine),
      boneCount(0) {
    for (int t = 0; t < kTrackCount; ++t) {
        trackEnd[t] = other.trackEnd[t];
        trackLoaded[t] = other.trackLoaded[t];
    }
    for (TListNode<TBone>* r = other.roots.head; r; r = r->next) {
        TBone* copy = new TBone(*r->value, nullptr, this);
        copyChildren(*r->value, *copy, this);
        roots.pushBack(copy, true);
        if (r->value == other.root) root = copy;
    }
    listBones();
}

TSkeleton::~TSkeleton() { freeBones(); }

void TSkeleton::freeBones() {
    delete[] bones;
    bones = nullptr;
    boneCount = 0;
    roots.clear();
    root = nullptr;
}

int TSkeleton::build(TPffData* model) {
    freeBones();
    currentTrack = -1;
    if (!model) return 0;
    int made = 0;
    for (TListNode<TMeshPart>* n = model->partList.head; n; n = n->next)
        if (TBone::build(this, n->value->getName(), model)) ++made;
    time = -1;
    listBones();
    if (roots.count() > 1) {
        logOut() << "Skeleton: the bones form " << roots.count() << " trees (roots";
        for (TListNode<TBone>* r = roots.head; r; r = r->next)
            logOut() << " '" << r->value->name.copyTo(nullptr) << "'";
        logOut() << "); one root bone expected\n";
        logFlush();
    }
    if (made != boneCount) {
        logOut() << "Skeleton: " << made << " bone parts give " << boneCount << " distinct bones\n";
        logFlush();
    }
    return boneCount;
}

// Depth first, pre-order, with a stack kept as a list: take the front bone,
// then put each of its children at the front in child-list order.
void TSkeleton::listBones() {
    std::vector<TBone*> order;
    TList<TBone> stack;
    for (TListNode<TBone>* r = roots.head; r; r = r->next) stack.pushFront(r->value, false);
    while (stack.head) {
        TListNode<TBone>* top = stack.head;
        TBone* bone = top->value;
        stack.unlinkNode(top);
        order.push_back(bone);
        for (TListNode<TBone>* c = bone->children.head; c; c = c->next) stack.pushFront(c->value, false);
    }
    delete[] bones;
    boneCount = static_cast<int>(order.size());
    bones = new TBone*[order.size() > 0 ? order.size() : 1];
    for (int i = 0; i < boneCount; ++i) bones[i] = order[static_cast<size_t>(i)];
}

TBone* TSkeleton::findBone(const TString& name) const {
    for (int i = 0; i < boneCount; ++i)
        if (bones[i]->name.equals(name)) return bones[i];
    return nullptr;
}

int TSkeleton::loadAnimation(const TString& fileName) {
    const std::string file(fileName.copyTo(nullptr));
    TList<TAnimKey> keys;
    int header = 0;
    {
        TAnimReader reader(fileName);
        if (!reader.isValid() || !reader.readKeys(keys)) {
            logOut() << "Skeleton: animation '" << file << "' not loaded\n";
            logFlush();
            return -1;
        }
        reader.getHeader(header);
    }
    int track = -1;
    for (int t = 0; t < kTrackCount && track < 0; ++t) {
        bool empty = !trackLoaded[t];
        for (int b = 0; b < boneCount && empty; ++b) empty = bones[b]->tracks[t].isEmpty();
        if (empty) track = t;
    }
    if (track < 0) {
        logOut() << "Skeleton: no free track for animation '" << file << "'; all " << kTrackCount
                 << " are taken\n";
        logFlush();
        return -1;
    }
    int dropped = 0;
    for (TListNode<TAnimKey>* n = keys.head; n; n = n->next) {
        bool added = false;
        for (TListNode<TBone>* r = roots.head; r && !added; r = r->next) added = r->value->addKey(*n->value, track);
        if (!added) ++dropped;
    }
    if (dropped > 0) {
        logOut() << "Skeleton: animation '" << file << "': " << dropped << " keys name no bone, dropped\n";
        logFlush();
    }
    trackEnd[track] = header;
    trackLoaded[track] = true;
    return track;
}

void TSkeleton::startAnimation(int track, int startTime) {
    if (track < 0 || track >= kTrackCount) {
        logOut() << "Skeleton: animation track " << track << " does not exist; not started\n";
        logFlush();
        return;
    }
    time = startTime;
    for (int b = 0; b < boneCount; ++b) bones[b]->startTrack(startTime, track);
    currentTrack = track;
}

void TSkeleton::restartAnimation() {
    if (currentTrack < 0 || currentTrack >= kTrackCount) return;
    time = kRestartTime;
    for (int b = 0; b < boneCount; ++b) bones[b]->startTrack(kRestartTime, currentTrack);
}

void TSkeleton::advance(int dt) {
    if (currentTrack < 0 || currentTrack >= kTrackCount) return;
    if (time >= trackEnd[currentTrack]) {
        restartAnimation();
        return;
    }
    time += dt;
    for (int b = 0; b < boneCount; ++b) bones[b]->update(dt);
}
