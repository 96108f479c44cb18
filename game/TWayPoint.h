#pragma once
// A way point is a named spot on the ground of the road network. Its routing
// items say which neighbouring way point to walk to next for each key field;
// the routing is precomputed in the way-point file and only followed here.
// A way point owns its routing items; the routing table owns the way point.

#include <cstdint>

#include "engine/TVector.h"

class TKeyField;
class TWayPoint;

// One next-hop entry: from its way point, to reach `target`, walk to
// `neighbour`. A null target is a blank (no target) entry. Owns neither.
struct TRoutingItem {
    TWayPoint* neighbour;
    TKeyField* target;
};

class TWayPoint {
public:
    // The name is copied as 8 bytes, NUL-padded as in the file.
    TWayPoint(const char name[8], float x, float y);
    // Frees the routing items and their array.
    ~TWayPoint();
    TWayPoint(const TWayPoint&) = delete;
    TWayPoint& operator=(const TWayPoint&) = delete;

    // Makes room for `count` routing items (replacing any held before).
    // False when the array cannot be allocated; the way point then has none.
    bool allocRoutingItems(int32_t count);
    // Appends an item the way point then owns; false (nothing taken) when the
    // array is full.
    bool addRoutingItem(TRoutingItem* item);
    bool hasRoutingItems() const { return routingItems != nullptr; }

    // The neighbour of the first routing item, in file order, whose target is
    // `keyField` (a null key field matches blank targets); null when no item
    // has it. The way point is owned by the routing table.
    TWayPoint* getNextWayPoint(const TKeyField* keyField) const;

    char name[8];
    TVector position;
    TRoutingItem** routingItems = nullptr;
    int32_t routingItemCapacity = 0;
    int32_t routingItemCount = 0;
};
