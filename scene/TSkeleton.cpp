#include "scene/TSkeleton.h"

#include <algorithm>
#include <climits>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/Log.h"
#include "scene/TAnimReader.h"
#include "scene/TBone.h"
#include "scene/TPffData.h"

namespace {

// Copies the subtree of `from` below the copy `to`, keeping child order;
// walked with a stack of its own, so a deep tree costs no recursion.
void copyChildren(const TBone& from, TBone& to, TSkeleton* owner) {
    std::vector<std::pair<const TBone*, TBone*>> open(1, {&from, &to});
    while (!open.empty()) {
        const std::pair<const TBone*, TBone*> step = open.back();
        open.pop_back();
        for (TListNode<TBone>* n = step.first->children.head; n; n = n->next) {
            TBone* child = new TBone(*n->value, step.second, owner);
            step.second->children.pushBack(child, true);
            open.push_back({n->value, child});
        }
    }
}

std::string nameOf(const TString& text) {
    return std::string(text.buffer ? text.buffer : "", static_cast<size_t>(text.size()));
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

// The bones go one by one from the array (which lists every bone of every
// tree), so deleting a deep tree costs no recursion.
void TSkeleton::freeBones() {
    for (int i = 0; i < boneCount; ++i)
        for (TListNode<TBone>* n = bones[i]->children.head; n; n = n->next) n->owns = false;
    for (TListNode<TBone>* r = roots.head; r; r = r->next) r->owns = false;
    for (int i = 0; i < boneCount; ++i) delete bones[i];
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
    const int made = TBone::buildAll(this, model);
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

int TSkeleton::countBones(TPffData* model) {
    if (!model) return 0;
    std::unordered_set<std::string> names;
    for (TListNode<TMeshPart>* n = model->partList.head; n; n = n->next) {
        const char* name = n->value->name;
        if (name[0] != '_' && std::string(name) != "none") names.insert(name);
    }
    return static_cast<int>(names.size());
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
    // Each bone's keys in file order (the list runs backwards), then sorted
    // by frame keeping equal frames in file order, as filing them one by
    // one would, at n log n.
    std::unordered_map<std::string, int> boneIndex;
    for (int b = 0; b < boneCount; ++b) boneIndex.emplace(nameOf(bones[b]->name), b);
    std::vector<std::vector<const TAnimKey*>> perBone(static_cast<size_t>(boneCount));
    int dropped = 0;
    for (TListNode<TAnimKey>* n = keys.tail; n; n = n->prev) {
        const auto bone = boneIndex.find(n->value->boneName);
        if (bone == boneIndex.end()) ++dropped;
        else perBone[static_cast<size_t>(bone->second)].push_back(n->value);
    }
    for (int b = 0; b < boneCount; ++b) {
        std::vector<const TAnimKey*>& list = perBone[static_cast<size_t>(b)];
        std::stable_sort(list.begin(), list.end(),
                         [](const TAnimKey* x, const TAnimKey* y) { return x->frame < y->frame; });
        for (const TAnimKey* key : list) bones[b]->appendKey(*key, track);
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
    // The clock stops at the ends of the int range instead of wrapping.
    const long long next = static_cast<long long>(time) + dt;
    time = static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, next)));
    for (int b = 0; b < boneCount; ++b) bones[b]->update(dt);
}
