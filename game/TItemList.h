#pragma once
// TItemList is the whole item table: it reads "itemdata\items.itm" (a
// 4-byte record count, then 176-byte records) and writes it back. Records
// are pushed to the front as they are read, so the list runs from the last
// record of the file to the first. The list owns its items.

#include "engine/TList.h"
#include "game/TItem.h"

class TItemList {
public:
    // The game's catalogue holds 32 items; a table never yields more.
    static constexpr int kMaxItems = 32;

    TList<TItem> items;  // owning; head = the last record read

    TItemList() = default;
    TItemList(const TItemList&) = delete;
    TItemList& operator=(const TItemList&) = delete;
    // Deletes the list and with it every item.
    virtual ~TItemList() = default;

    // Reads the table from the file's current position. Never null (unless
    // memory runs out); the caller owns the result. Damage is logged and
    // read around: a missing count or a count of 0 or less gives an empty
    // list, a count above kMaxItems reads the first kMaxItems records, a
    // record cut short ends the table there, and a record whose slot type
    // is not 1 to 5 or whose weight or armour is not finite is left out.
    static TItemList* load(int fd);
    // Writes the count and the items from head to tail (the reverse of the
    // file that was read). False when a write fails.
    virtual bool save(int fd) const;

    int getCount() const { return items.count(); }
    // The item i places from the head (get(0) is the file's last record);
    // null outside 0 .. count - 1. The list keeps ownership.
    TItem* get(int i) const;

    // True for a record the game can use: slot type 1 to 5 and finite
    // weight and armour.
    static bool isUsable(const TItem& item);
};
