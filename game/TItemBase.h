#pragma once
// TItemBase is what the dragon sees of an item it carries or wears: the
// numbers of the item's record (weight, armour, body slot), the bone that
// carries it while it is worn, and a way to draw it there. The item
// instances of the item table derive from it; the dragon never owns them.

class TBone;

class TItemBase {
public:
    virtual ~TItemBase() = default;

    // The record's weight, counted against the dragon's maximum load.
    virtual float getWeight() const = 0;
    // The record's armour value.
    virtual float getArmour() const = 0;
    // The body slot the item is worn in: 1 to 5, 6 for the gold sack.
    virtual int getSlotType() const = 0;
    // The bone of the dragon's skeleton that carries the item while it is
    // worn (not owned; null when none).
    virtual void setBone(TBone* bone) = 0;
    virtual TBone* getBone() const = 0;
    // Draws the item at its bone, relative to the current matrix.
    virtual void drawWorn() = 0;
};
