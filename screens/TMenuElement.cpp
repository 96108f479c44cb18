#include "screens/TMenuElement.h"

#include "engine/TEngine.h"
#include "platform/gl.h"
#include "screens/TButtonListener.h"

TMenuElement::TMenuElement(TEngine* e, TMaterial* m, TButtonListener* l, const TVector& p0, const TVector& p1,
                           const TVector& q0, const TVector& q1)
    : TRenderable(e), material(m), listener(l) {
    corner[0] = TVector(p0.x, p0.y, p0.z);
    corner[1] = TVector(p1.x, p0.y, p0.z);
    corner[2] = TVector(p1.x, p1.y, p1.z);
    corner[3] = TVector(p0.x, p1.y, p1.z);
    texCoord[0] = q0;
    texCoord[1] = TVector(q1.x, q0.y, q0.z);
    texCoord[2] = q1;
    texCoord[3] = TVector(q0.x, q1.y, q1.z);
}

void TMenuElement::draw() {
    if (engine) engine->setMaterial(material);
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(texCoord[i].x, texCoord[i].y);
        glVertex3f(corner[i].x, corner[i].y, corner[i].z);
    }
    glEnd();
}

bool TMenuElement::contains(const TVector& p) const {
    return corner[0].x < p.x && p.x < corner[1].x && corner[0].y < p.y && p.y < corner[2].y;
}

void TMenuElement::onClick(TVector point) {
    if (listener) listener->onClick(this, &point);
}

void TMenuElement::onDoubleClick(TVector point) {
    if (listener) listener->onDoubleClick(this, &point);
}
