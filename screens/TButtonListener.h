#pragma once
// TButtonListener receives the clicks of menu elements. The source is the
// element that was clicked (listeners tell their buttons apart by comparing
// it with the ones they made); the point is the mouse position on the
// 640 x 480 overlay (x, y, 0).

class TMenuElement;
class TVector;

class TButtonListener {
public:
    virtual void onClick(TMenuElement* source, TVector* point) = 0;
    virtual void onDoubleClick(TMenuElement* source, TVector* point) = 0;

protected:
    // Listeners are never deleted through this interface.
    ~TButtonListener() = default;
};
