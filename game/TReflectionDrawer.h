#pragma once
// TReflectionDrawer is what the water asks to draw its mirrored picture: one
// pass of the scene above the water line into the reflection target. The
// running game is the only implementation.

class TReflectionDrawer {
public:
    virtual ~TReflectionDrawer() = default;

    // Draws the sky, the dragon and the ground for the reflection; the water
    // enables and disables the clip plane around the call.
    virtual void drawReflection() = 0;
};
