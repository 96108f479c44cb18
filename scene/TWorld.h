#pragma once
// TWorld is what a world object sees of the running game: the grid, the list
// of world objects, the ground, the particle manager and the engine. The game
// derives from it and owns all of them; TWorld owns none. The object list
// never owns its objects: each object is deleted through its own destructor,
// which unlinks it. Objects still listed when the world goes are cut loose
// (their list node forgotten) so that deleting them later stays safe.

#include "engine/TList.h"
#include "scene/TMovingObject.h"

class TEngine;
class TGrid;
class THeightSource;
class TParticleManager;

class TWorld {
public:
    TGrid* grid;
    TList<TMovingObject> objects;
    THeightSource* ground;
    TParticleManager* particles;
    TEngine* engine;

    TWorld() : grid(nullptr), ground(nullptr), particles(nullptr), engine(nullptr) {}
    virtual ~TWorld() {
        for (TListNode<TMovingObject>* n = objects.head; n; n = n->next) {
            n->value->ownerNode = nullptr;
            n->value->ownerList = nullptr;
        }
    }
    TWorld(const TWorld&) = delete;
    TWorld& operator=(const TWorld&) = delete;
};
