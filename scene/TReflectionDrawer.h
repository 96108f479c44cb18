#pragma once
// TReflectionDrawer is what the water asks to draw its mirrored picture: one
// pass of the scene above the water line into the reflection target. The
// running game is the only implementation.

class TReflectionDrawer {
public:
    virtual ~TReflectionDrawer() = default;

    // Draws the sky, the dragon and the ground for the reflection, into the
    // mirrored view the water has set up; the ground's clipping programs drop
    // what lies below the water.
    virtual void drawReflection() = 0;
};
