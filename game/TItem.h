#pragma once
// TItem is one record of the item table "itemdata\items.itm": a name for
// the menus, a text naming the item's model file, weight, value, armour and
// the body slot it is worn in. Both texts are kept in fixed fields of 32 and
// 128 bytes; a text that fills its field has no terminating zero, so every
// reader goes by the length the getters report.

#include <cstdint>

#include "engine/TString.h"

class TItem final {
public:
    static constexpr int kNameSize = 32;
    static constexpr int kTextSize = 128;
    static constexpr int kRecordSize = 176;  // both texts and four 4-byte numbers

    char name[kNameSize];
    char text[kTextSize];
    float weight;
    float value;   // kept and written back; nothing in the game reads it
    float armour;
    int32_t slotType;

    // Copies each text up to its terminating zero, at most the field's size
    // (the rest of the field is cleared); a null text counts as empty.
    TItem(const char* name, const char* text, float weight, float value, float armour, int32_t slotType);

    // Reads one record (name, text, weight, value, armour, slot type) from
    // the file's current position. Null when the file ends before the whole
    // record (or memory runs out); the caller owns the result.
    static TItem* load(int fd);
    // Writes the record in the same layout. False when not every byte could
    // be written.
    virtual bool save(int fd) const;

    float getWeight() const { return weight; }
    float getArmour() const { return armour; }
    float getValue() const { return value; }
    int getSlotType() const { return slotType; }
    // The texts as strings sharing this record's characters (valid while the
    // record lives; not zero-terminated when the field is full).
    TString getName() const;
    TString getText() const;
    // What the castle asks for the item: armour x armour.
    float getPrice() const { return armour * armour; }
};
