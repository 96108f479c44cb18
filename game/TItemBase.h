#pragma once
// TItemBase is what the dragon and the menus see of an item: the numbers of
// the item's record (weight, armour, body slot), its name, the bone that
// carries it while it is worn, a way to draw it there and a way to put it
// on. The item instances of the item table derive from it; the dragon never
// owns them.

#include "engine/TString.h"

class TBone;
class TDrache;

class TItemBase {
public:
    virtual ~TItemBase() = default;

    // The record's weight, counted against the dragon's maximum load.
    virtual float getWeight() const = 0;
    // The record's armour value.
    virtual float getArmour() const = 0;
    // The body slot the item is worn in: 1 to 5, 6 for the gold sack.
    virtual int getSlotType() const = 0;
    // The record's name; the string shares the item's characters (valid as
    // long as the item lives) and is not zero-terminated.
    virtual TString getName() const = 0;
    // The bone of the dragon's skeleton that carries the item while it is
    // worn (not owned; null when none).
    virtual void setBone(TBone* bone) = 0;
    virtual TBone* getBone() const = 0;
    // Draws the item at its bone, relative to the current matrix.
    virtual void drawWorn() = 0;
    // Puts the item on when it lies in the dragon's inventory: its slot
    // takes the item it replaces (or none). Anywhere else nothing happens.
    virtual void use(TDrache* dragon) = 0;
};
