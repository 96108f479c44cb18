#pragma once
// TBallonMod is the balloon kind: the balloon's model and the factory that
// makes balloons for the castle. It keeps no balloons itself; the castle
// kind lists the ones bought and the game's object list holds them.

#include "scene/TMesh.h"

class TBufferObject;
class TGame;

class TBallonMod : public TMesh {
public:
    TGame* game;  // not owned

    // Loads "mods\ballon\mesh.pff" into the shared buffers (not split) and
    // gives the mesh's first material the standard vertex program. A missing
    // model leaves a kind whose balloons draw nothing.
    TBallonMod(TGame* game, TBufferObject* vertexBuffer, TBufferObject* indexBuffer);

    // A new TBallon at position, turned by angle, in the kind's game. The
    // game's object list holds it; the caller may delete it.
    TRenderable* createInstance(const TVector& position, float angle) override;
};
