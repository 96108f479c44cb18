#include "screens/TButton.h"

#include <cstring>

#include "engine/TFont.h"
#include "platform/gl.h"

TButton::TButton(TEngine* e, TMaterial* m, TButtonListener* l, const TVector& p0, const TVector& p1,
                 const TVector& q0, const TVector& q1, const TString& text, TFont* f)
    : TMenuElement(e, m, l, p0, p1, q0, q1), caption(text), font(f) {
    placeCaption();
}

void TButton::setText(const TString& text) {
    caption.borrow(text);
    placeCaption();
}

// The middle of the rectangle, the base line half the font's height below
// it and the text's left end half its width to the left.
void TButton::placeCaption() {
    captionPos = corner[0] + (corner[2] - corner[0]) * 0.5f;
    if (font) captionPos.y = captionPos.y - 0.5f * static_cast<float>(font->height);
    captionPos.x = captionPos.x - 0.5f * captionWidth();
}

float TButton::captionWidth() const {
    if (!font || !caption.buffer) return 0.0f;
    float width = 0.0f;
    for (int i = 0; i < caption.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(caption.buffer[i]);
        if (c >= TFont::kFirst && c < TFont::kFirst + TFont::kCount) width += font->metrics[c].gmCellIncX;
    }
    return width;
}

void TButton::draw() {
    TMenuElement::draw();
    if (!font) return;
    // The caption's characters are not terminated: print a bounded copy.
    char text[TFont::kBufferSize];
    int n = caption.buffer ? caption.size() : 0;
    if (n > TFont::kBufferSize - 1) n = TFont::kBufferSize - 1;
    if (n > 0) std::memcpy(text, caption.buffer, static_cast<size_t>(n));
    text[n] = '\0';
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(captionPos.x, captionPos.y, captionPos.z);
    font->print("%s", text);
    glPopMatrix();
}
