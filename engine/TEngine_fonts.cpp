// The engine's fonts: one per (height, weight), newest first; the list owns
// them and the head prints the frame rate.
#include "engine/TEngine.h"
#include "engine/TFont.h"

TFont* TEngine::getFont(int height, int weight) {
    for (TListNode<TFont>* n = fonts.head; n; n = n->next) {
        if (n->value && n->value->height == height && n->value->weight == weight) return n->value;
    }
    TFont* font = new TFont(height, weight, this);
    fonts.pushFront(font, true);
    return font;
}
