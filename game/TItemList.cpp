#include "game/TItemList.h"

#include <cmath>
#include <cstdint>
#include <new>

#include "engine/Log.h"
#include "platform/crt.h"

namespace {

const char* const kWhat = "Item table: ";

// The record's name for a log line (terminated, at most 32 characters).
const char* nameOf(const TItem& item) {
    static char buffer[TItem::kNameSize + 1];
    return item.getName().copyTo(buffer);
}

}  // namespace

TItemList* TItemList::load(int fd) {
    TItemList* list = new (std::nothrow) TItemList();
    if (!list) return nullptr;
    int32_t count = 0;
    if (readFully(fd, &count, 4) != 4) {
        logOut() << kWhat << "the record count cannot be read; no items\n";
        logFlush();
        return list;
    }
    if (count <= 0) return list;
    if (count > kMaxItems) {
        logOut() << kWhat << count << " records, more than the " << kMaxItems << " the game holds; the first "
                 << kMaxItems << " are read\n";
        logFlush();
        count = kMaxItems;
    }
    for (int32_t i = 0; i < count; ++i) {
        TItem* item = TItem::load(fd);
        if (!item) {
            logOut() << kWhat << "record " << i << " is cut short; " << list->getCount() << " items read\n";
            logFlush();
            break;
        }
        if (!isUsable(*item)) {
            logOut() << kWhat << "record " << i << " ('" << nameOf(*item) << "') ";
            if (item->slotType < 1 || item->slotType > 5)
                logOut() << "has slot type " << item->slotType << ", not 1 to 5; left out\n";
            else
                logOut() << "has a weight or armour that is not a number; left out\n";
            logFlush();
            delete item;
            continue;
        }
        list->items.pushFront(item, true);
    }
    return list;
}

bool TItemList::save(int fd) const {
    const int32_t count = getCount();
    bool ok = _write(fd, &count, 4) == 4;
    for (TListNode<TItem>* n = items.head; n; n = n->next) ok = n->value->save(fd) && ok;
    return ok;
}

TItem* TItemList::get(int i) const { return items.at(i); }

bool TItemList::isUsable(const TItem& item) {
    return item.slotType >= 1 && item.slotType <= 5 && std::isfinite(item.weight) && std::isfinite(item.armour);
}
