#pragma once
// TButton is a menu element with a caption centred on it. The caption shares
// the characters of the string it was given: their owner keeps them alive
// while the button shows them, and the button never frees them.

#include "engine/TString.h"
#include "screens/TMenuElement.h"

class TFont;

class TButton : public TMenuElement {
public:
    TString caption;    // borrowed characters, not zero-terminated
    TFont* font;        // the engine's; null draws no caption
    TVector captionPos;  // where the caption's base line starts

    // The element as TMenuElement makes it, with the caption placed in its
    // middle. Neither the caption's characters nor the font are owned.
    TButton(TEngine* engine, TMaterial* material, TButtonListener* listener, const TVector& p0, const TVector& p1,
            const TVector& q0, const TVector& q1, const TString& caption, TFont* font);
    // Leaves the caption's characters to their owner.
    ~TButton() override = default;

    // Shows another caption (shared, not copied) and centres it again.
    void setText(const TString& text);

    // The rectangle, then the caption as plain text (a '%' in it is shown,
    // never read as a format).
    void draw() override;

    // The caption's width in overlay units: the pen advance of every
    // character the font draws (32 to 127); other characters count 0.
    float captionWidth() const;

private:
    void placeCaption();
};
