#include "scene/TBone.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/Log.h"
#include "platform/gl.h"
#include "scene/TPffData.h"
#include "scene/TSkeleton.h"

// What building bones looks up by name: the first part of each name (in
// list order) and the bones the skeleton's trees hold.
struct TBoneIndex {
    std::unordered_map<std::string, TMeshPart*> parts;
    std::unordered_map<std::string, TBone*> bones;

    TBoneIndex(TSkeleton* owner, TPffData* model) {
        for (TListNode<TMeshPart>* n = model->partList.head; n; n = n->next)
            if (n->value) parts.emplace(n->value->name, n->value);
        std::vector<TBone*> open;
        for (TListNode<TBone>* r = owner->roots.head; r; r = r->next) open.push_back(r->value);
        while (!open.empty()) {
            TBone* bone = open.back();
            open.pop_back();
            bones.emplace(std::string(bone->name.buffer ? bone->name.buffer : "", bone->name.size()), bone);
            for (TListNode<TBone>* c = bone->children.head; c; c = c->next) open.push_back(c->value);
        }
    }
};

namespace {

// Puts key into list before the first key of greater or equal frame.
void insertSorted(TList<TAnimKey>& list, TAnimKey* key) {
    TListNode<TAnimKey>* at = list.head;
    while (at && at->value->frame < key->frame) at = at->next;
    if (!at) {
        list.pushBack(key, true);
        return;
    }
    if (at == list.head) {
        list.pushFront(key, true);
        return;
    }
    TListNode<TAnimKey>* n = new TListNode<TAnimKey>(key, true);
    n->prev = at->prev;
    n->next = at;
    at->prev->next = n;
    at->prev = n;
    ++list.lastIndex;
}

}  // namespace

TBone::TBone(const TString& boneName, const TMatrix& matrix, TBone* parentBone, TSkeleton* owner, TEngine* e)
    : TRenderable(e), skeleton(owner), parent(parentBone), keyCursor(nullptr), currentKey(nullptr) {
    if (parent) parent->children.pushFront(this, true);
    bindMatrix = matrix;
    inverseBind = bindMatrix.inverseRigid();
    name.assign(boneName);
    drawMatrix = bindMatrix;
    skinMatrix = inverseBind * drawMatrix;
    skinDelta = TMatrix().sub(TMatrix());
}

TBone::TBone(const TBone& other, TBone* parentBone, TSkeleton* owner)
    : TRenderable(other.engine),
      skeleton(owner),
      parent(parentBone),
      bindMatrix(other.bindMatrix),
      inverseBind(other.inverseBind),
      drawMatrix(other.drawMatrix),
      skinMatrix(other.skinMatrix),
      skinDelta(other.skinDelta),
      blendTarget(other.blendTarget),
      keyCursor(nullptr),
      currentKey(nullptr) {
    visible = other.visible;
    name.assign(other.name);
    for (int t = 0; t < kTrackCount; ++t) {
        for (TListNode<TAnimKey>* n = other.tracks[t].head; n; n = n->next) {
            TAnimKey* key = new TAnimKey(*n->value);
            key->skinMatrix = inverseBind * key->matrix;
            tracks[t].pushBack(key, true);
        }
    }
}

TBone::~TBone() { clearCursor(); }

void TBone::clearCursor() {
    delete keyCursor;
    keyCursor = nullptr;
    currentKey = nullptr;
}

bool TBone::isBoneName(const TString& text) { return !(text.size() > 0 && text.buffer[0] == '_'); }

TMatrix TBone::normalizeRows(const TMatrix& m) {
    TMatrix r(m);
    for (int i = 0; i < 3; ++i) {
        const float len = std::sqrt(m.m[i] * m.m[i] + m.m[i + 4] * m.m[i + 4] + m.m[i + 8] * m.m[i + 8]);
        if (len <= 0.0f) continue;
        r.m[i] = m.m[i] / len;
        r.m[i + 4] = m.m[i + 4] / len;
        r.m[i + 8] = m.m[i + 8] / len;
    }
    return r;
}

TBone* TBone::build(TSkeleton* owner, const TString& boneName, TPffData* model) {
    if (!model) return nullptr;
    TBoneIndex index(owner, model);
    const std::string name(boneName.buffer ? boneName.buffer : "", static_cast<size_t>(boneName.size()));
    return buildIndexed(owner, name.c_str(), index);
}

int TBone::buildAll(TSkeleton* owner, TPffData* model) {
    if (!model) return 0;
    TBoneIndex index(owner, model);
    int made = 0;
    for (TListNode<TMeshPart>* n = model->partList.head; n; n = n->next)
        if (buildIndexed(owner, n->value->name, index)) ++made;
    return made;
}

// Walks up the parent names to the first that is no bone part, an existing
// bone or a name met before on this walk (a cycle), then makes the bones of
// the walk from the top down, so each parent exists before its child.
TBone* TBone::buildIndexed(TSkeleton* owner, const char* boneName, TBoneIndex& index) {
    std::vector<TMeshPart*> chain;  // the asked part first
    std::unordered_set<std::string> onChain;
    TBone* top = nullptr;           // the parent of the chain's last part
    std::string name(boneName);
    while (true) {
        if ((!name.empty() && name[0] == '_') || name == "none") break;
        const auto existing = index.bones.find(name);
        if (existing != index.bones.end()) {
            top = existing->second;
            break;
        }
        if (onChain.count(name)) {
            logOut() << "Skeleton: bone '" << name << "' is its own ancestor; cycle cut there\n";
            logFlush();
            break;
        }
        const auto part = index.parts.find(name);
        if (part == index.parts.end()) break;
        chain.push_back(part->second);
        onChain.insert(name);
        name = part->second->parentName;
    }
    TBone* parentBone = top;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        TMeshPart* part = *it;
        TBone* bone = new TBone(TString(part->name), normalizeRows(part->matrix), parentBone, owner,
                                owner->skeletonEngine);
        if (!parentBone) {
            owner->roots.pushBack(bone, true);
            owner->root = bone;
        }
        index.bones.emplace(part->name, bone);
        parentBone = bone;
    }
    return parentBone;
}

TBone* TBone::findByName(const TString& text) {
    std::vector<TBone*> open(1, this);
    while (!open.empty()) {
        TBone* bone = open.back();
        open.pop_back();
        if (bone->name.equals(text)) return bone;
        const size_t at = open.size();
        for (TListNode<TBone>* n = bone->children.head; n; n = n->next) open.push_back(n->value);
        std::reverse(open.begin() + static_cast<long>(at), open.end());  // the first child on top
    }
    return nullptr;
}

bool TBone::addKey(const TAnimKey& key, int track) {
    if (track < 0 || track >= kTrackCount) return false;
    TBone* bone = findByName(TString(key.boneName));
    if (!bone) return false;
    TAnimKey* own = new TAnimKey(key.boneName, normalizeRows(key.matrix), key.frame);
    own->skinMatrix = bone->inverseBind * own->matrix;
    insertSorted(bone->tracks[track], own);
    return true;
}

bool TBone::appendKey(const TAnimKey& key, int track) {
    if (track < 0 || track >= kTrackCount) return false;
    TAnimKey* own = new TAnimKey(key.boneName, normalizeRows(key.matrix), key.frame);
    own->skinMatrix = inverseBind * own->matrix;
    tracks[track].pushBack(own, true);
    return true;
}

void TBone::startTrack(int startTime, int track) {
    if (track < 0 || track >= kTrackCount || tracks[track].isEmpty()) return;
    clearCursor();
    keyCursor = tracks[track].createIterator();
    currentKey = keyCursor->next();
    blendTarget = currentKey->skinMatrix;
    if (startTime < 0) {
        const long long blend = -static_cast<long long>(startTime);
        skinDelta = blendTarget.sub(skinMatrix).scale(1.0f / static_cast<float>(blend));
    } else {
        // No time left to blend: the bone takes the first key's pose at once.
        skinMatrix = blendTarget;
        skinDelta = TMatrix().sub(TMatrix());
    }
}

// The pose moves linearly between keys. When this step passes one or more
// keys, the pose restarts from the last key passed toward the next one, so
// it lands on every key's frame exactly whatever the step length. Frames
// may lie anywhere in the int range, so their differences are taken in 64
// bits.
void TBone::update(int dt) {
    if (!currentKey) return;
    const int now = skeleton->time;
    TAnimKey* passed = nullptr;
    while (currentKey && currentKey->frame <= now) {
        passed = currentKey;
        currentKey = keyCursor->next();
    }
    if (!passed) {
        skinMatrix = skinMatrix.add(skinDelta.scale(static_cast<float>(dt)));
        return;
    }
    skinMatrix = passed->skinMatrix;
    if (!currentKey) return;
    const long long span = static_cast<long long>(currentKey->frame) - passed->frame;
    if (span <= 0) return;
    const long long since = static_cast<long long>(now) - passed->frame;
    skinDelta = currentKey->skinMatrix.sub(skinMatrix).scale(1.0f / static_cast<float>(span));
    skinMatrix = skinMatrix.add(skinDelta.scale(static_cast<float>(since)));
}

// Each bone with a parent starts at its own joint; before each child the
// line starts again at this bone's joint. Walked with a stack of its own.
void TBone::render() {
    struct Step {
        TBone* bone;
        bool fromParent;  // put the parent's joint first
    };
    std::vector<Step> open(1, Step{this, false});
    while (!open.empty()) {
        const Step step = open.back();
        open.pop_back();
        if (step.fromParent) {
            const float* p = step.bone->parent->drawMatrix.m + 12;
            glVertex3f(p[0], p[1], p[2]);
        }
        const float* t = step.bone->drawMatrix.m + 12;
        if (step.bone->parent) glVertex3f(t[0], t[1], t[2]);
        const size_t at = open.size();
        for (TListNode<TBone>* n = step.bone->children.head; n; n = n->next) open.push_back(Step{n->value, true});
        std::reverse(open.begin() + static_cast<long>(at), open.end());
    }
}
