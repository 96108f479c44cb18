#pragma once
// TMovingObject is the base of every game object: a position (TPositioned),
// a place in the spatial grid (TGridObject), life, and the per-frame and AI
// operations. Each object registers itself in its world's object list from
// its constructor (registerFront / registerBack) and its destructor unlinks
// its own node alone, then leaves its grid cell. The list never owns it.

#include <cstdint>

#include "engine/TList.h"
#include "engine/TVector.h"
#include "scene/TGridObject.h"
#include "scene/TPositioned.h"

class TWorld;

class TMovingObject : public TPositioned, public TGridObject {
public:
    TListNode<TMovingObject>* ownerNode;  // node in *ownerList; null while unregistered
    TList<TMovingObject>* ownerList;      // the world's object list once registered
    float life;
    TWorld* world;  // not owned; may be null (then the object has no grid and no list)
    int index;      // slot in the AI controller's thinkers array, -1 when none
    uint8_t minimapFlag;

    // Life 0, index -1, no minimap marker, unregistered; the grid part uses
    // the world's grid.
    TMovingObject(int layer, TWorld* world, float mass);
    // Unlinks its own list node (if registered); the grid part then leaves
    // its cell.
    ~TMovingObject() override;

    // Pushes the object at the front (back) of the world's object list, not
    // owned, and keeps the node. Returns the node; the existing node when the
    // object is already registered; null with a log line without a world.
    TListNode<TMovingObject>* registerFront();
    TListNode<TMovingObject>* registerBack();
    // Unlinks and deletes its own node alone; nothing when unregistered.
    void unregister();

    // Calls getPosition.
    void position(TVector& out) override;
    // One function serves both the primary and the grid interface, so the
    // grid's position forwards land on the object's own implementation.
    void getPosition(TVector& out) override = 0;
    void setPosition(const TVector& p) override = 0;
    virtual void playSound() = 0;
    // 0 here; towers and dwarves answer their ground tile's level of detail.
    virtual int ownerValue();
    // The AI controller's decision step.
    virtual void think() = 0;
    // The type code of the object's class.
    virtual int getKind() = 0;
    // One frame of dt milliseconds. Returns true when the frame step is to
    // delete the object. This one refiles the object and returns true.
    virtual bool periodicDo(int dt);
    // The minimap marker's colour: red here.
    virtual TVector getMarkerColor();

    // life -= amount; the source is ignored.
    void takeDamage(float amount, const TVector& source) override;
    float getLife() override;
    // getKind.
    int getType() override;

private:
    TListNode<TMovingObject>* registerIn(bool front);
};
