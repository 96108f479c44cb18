#include "screens/TMenu.h"

TMenu::TMenu(TEngine* e, TMaterial* m, TButtonListener* l, const TVector& p0, const TVector& p1, const TVector& q0,
             const TVector& q1)
    : TMenuElement(e, m, l, p0, p1, q0, q1) {}

void TMenu::insert(TMenuElement* child) {
    if (child) children.pushFront(child, true);
}

void TMenu::draw() {
    TMenuElement::draw();
    for (TListNode<TMenuElement>* n = children.head; n; n = n->next) n->value->draw();
}

TMenuElement* TMenu::childAt(const TVector& point) const {
    for (TListNode<TMenuElement>* n = children.head; n; n = n->next) {
        if (n->value->contains(point)) return n->value;
    }
    return nullptr;
}

void TMenu::onClick(TVector point) {
    if (TMenuElement* child = childAt(point)) child->onClick(point);
}

void TMenu::onDoubleClick(TVector point) {
    if (TMenuElement* child = childAt(point)) child->onDoubleClick(point);
}
