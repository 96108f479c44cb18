#pragma once
// TMenuElement is one flat textured rectangle of the 640 x 480 overlay that
// reports clicks to its listener. Elements are drawn by their owner (a menu),
// never by the engine's drawing list; the caller has begun the overlay.

#include "engine/TRenderable.h"
#include "engine/TVector.h"

class TButtonListener;
class TEngine;
class TMaterial;

class TMenuElement : public TRenderable {
public:
    TVector corner[4];    // (x0, y0), (x1, y0), (x1, y1), (x0, y1)
    TVector texCoord[4];  // texture s, t of the corner with the same index
    TMaterial* material;  // set on the engine before drawing; null keeps the current one
    TButtonListener* listener;  // not owned; receives the clicks

    // The rectangle from p0 to p1 (z of each taken with its corners) showing
    // the texture from q0 (at p0) to q1 (at p1). Neither the material nor
    // the listener is owned; an element that can be clicked needs a listener.
    TMenuElement(TEngine* engine, TMaterial* material, TButtonListener* listener, const TVector& p0,
                 const TVector& p1, const TVector& q0, const TVector& q1);
    ~TMenuElement() override = default;

    void render() override { draw(); }
    // The element's material, then one quad over its corners.
    virtual void draw();

    // True when the point lies strictly inside the rectangle (the border is
    // outside); z is not looked at.
    bool contains(const TVector& point) const;

    // Hand the click on to the listener (nothing without one).
    virtual void onClick(TVector point);
    virtual void onDoubleClick(TVector point);
};
