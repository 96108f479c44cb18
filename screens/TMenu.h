#pragma once
// TMenu is a menu element that holds child elements: it draws its own
// rectangle and then every child, and hands a click to the child under the
// mouse. Children are inserted at the front, so the one inserted last is
// drawn first and wins where rectangles overlap. The menu owns its children.

#include "engine/TList.h"
#include "screens/TMenuElement.h"

class TMenu : public TMenuElement {
public:
    TList<TMenuElement> children;  // owning; head = the last inserted

    TMenu(TEngine* engine, TMaterial* material, TButtonListener* listener, const TVector& p0, const TVector& p1,
          const TVector& q0, const TVector& q1);
    // Deletes every child.
    ~TMenu() override = default;

    // Takes ownership of the element and puts it at the front of the
    // children. A null element is ignored.
    void insert(TMenuElement* child);

    // The menu's own rectangle, then each child in list order.
    void draw() override;
    // Hands the point to the first child (in list order) whose rectangle
    // holds it; nothing when none does.
    void onClick(TVector point) override;
    void onDoubleClick(TVector point) override;

    // The first child whose rectangle holds the point, or null.
    TMenuElement* childAt(const TVector& point) const;
};
