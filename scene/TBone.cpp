#include "scene/TBone.h"

#include <cmath>

#include "engine/Log.h"
#include "platform/gl.h"
#include "scene/TPffData.h"
#include "scene/TSkeleton.h"

// The names of the bones being built further up one recursion of
// TBone::build: a parent chain that comes back to one of them is a cycle.
struct TBuildChain {
    const TString* name;
    const TBuildChain* up;
};

namespace {

TMeshPart* findPart(TPffData* model, const TString& name) {
    for (TListNode<TMeshPart>* n = model->partList.head; n; n = n->next)
        if (n->value && name.equals(n->value->name)) return n->value;
    return nullptr;
}

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
    return buildChained(owner, boneName, model, nullptr);
}

TBone* TBone::buildChained(TSkeleton* owner, const TString& boneName, TPffData* model, TBuildChain* chain) {
    if (!isBoneName(boneName) || boneName.equals("none")) return nullptr;
    for (TListNode<TBone>* r = owner->roots.head; r; r = r->next) {
        TBone* existing = r->value->findByName(boneName);
        if (existing) return existing;
    }
    for (const TBuildChain* c = chain; c; c = c->up) {
        if (c->name->equals(boneName)) {
            logOut() << "Skeleton: bone '" << boneName.copyTo(nullptr) << "' is its own ancestor; cycle cut there\n";
            logFlush();
            return nullptr;
        }
    }
    TMeshPart* part = findPart(model, boneName);
    if (!part) return nullptr;

    const TMatrix matrix = normalizeRows(part->matrix);
    TBuildChain link = {&boneName, chain};
    TBone* parentBone = buildChained(owner, part->getParentName(), model, &link);
    TBone* bone = new TBone(boneName, matrix, parentBone, owner, owner->skeletonEngine);
    if (!parentBone) {
        owner->roots.pushBack(bone, true);
        owner->root = bone;
    }
    return bone;
}

TBone* TBone::findByName(const TString& text) {
    if (name.equals(text)) return this;
    for (TListNode<TBone>* n = children.head; n; n = n->next) {
        TBone* found = n->value->findByName(text);
        if (found) return found;
    }
    return nullptr;
}

bool TBone::addKey(const TAnimKey& key, int track) {
    if (track < 0 || track >= kTrackCount) return false;
    if (!name.equals(key.boneName)) {
        for (TListNode<TBone>* n = children.head; n; n = n->next)
            if (n->value->addKey(key, track)) return true;
        return false;
    }
    TAnimKey* own = new TAnimKey(key.boneName, normalizeRows(key.matrix), key.frame);
    own->skinMatrix = inverseBind * own->matrix;
    insertSorted(tracks[track], own);
    return true;
}

void TBone::startTrack(int startTime, int track) {
    if (track < 0 || track >= kTrackCount || tracks[track].isEmpty()) return;
    clearCursor();
    keyCursor = tracks[track].createIterator();
    currentKey = keyCursor->next();
    blendTarget = currentKey->skinMatrix;
    if (startTime < 0) {
        skinDelta = blendTarget.sub(skinMatrix).scale(1.0f / static_cast<float>(-startTime));
    } else {
        // No time left to blend: the bone takes the first key's pose at once.
        skinMatrix = blendTarget;
        skinDelta = TMatrix().sub(TMatrix());
    }
}

// The pose moves linearly between keys. When this step passes one or more
// keys, the pose restarts from the last key passed toward the next one, so
// it lands on every key's frame exactly whatever the step length.
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
    const int span = currentKey->frame - passed->frame;
    if (span <= 0) return;
    skinDelta = currentKey->skinMatrix.sub(skinMatrix).scale(1.0f / static_cast<float>(span));
    skinMatrix = skinMatrix.add(skinDelta.scale(static_cast<float>(now - passed->frame)));
}

void TBone::render() {
    const float* t = drawMatrix.m + 12;
    if (parent) glVertex3f(t[0], t[1], t[2]);
    for (TListNode<TBone>* n = children.head; n; n = n->next) {
        glVertex3f(t[0], t[1], t[2]);
        n->value->render();
    }
}
