#include "game/TWayPoint.h"

#include <cstring>
#include <new>

TWayPoint::TWayPoint(const char aName[8], float x, float y) : position(x, y, 0.0f) {
    std::memcpy(name, aName, sizeof name);
}

TWayPoint::~TWayPoint() {
    for (int32_t i = 0; i < routingItemCount; ++i) delete routingItems[i];
    delete[] routingItems;
}

bool TWayPoint::allocRoutingItems(int32_t count) {
    for (int32_t i = 0; i < routingItemCount; ++i) delete routingItems[i];
    delete[] routingItems;
    routingItemCount = 0;
    routingItemCapacity = 0;
    routingItems = count >= 0 ? new (std::nothrow) TRoutingItem*[count]() : nullptr;
    if (!routingItems) return false;
    routingItemCapacity = count;
    return true;
}

bool TWayPoint::addRoutingItem(TRoutingItem* item) {
    if (routingItemCount >= routingItemCapacity) return false;
    routingItems[routingItemCount++] = item;
    return true;
}

TWayPoint* TWayPoint::getNextWayPoint(const TKeyField* keyField) const {
    for (int32_t i = 0; i < routingItemCount; ++i) {
        if (routingItems[i]->target == keyField) return routingItems[i]->neighbour;
    }
    return nullptr;
}
