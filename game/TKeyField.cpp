#include "game/TKeyField.h"

#include <cstring>
#include <new>

TKeyField::TKeyField(const char aName[8], int32_t aa, int32_t ab)
    : a(aa), b(ab), position(static_cast<float>(aa), static_cast<float>(ab), 0.0f) {
    std::memcpy(name, aName, sizeof name);
}

TKeyField::~TKeyField() { delete[] endPoints; }

bool TKeyField::allocEndPoints(int32_t count) {
    delete[] endPoints;
    endPointCount = 0;
    endPointCapacity = 0;
    endPoints = count >= 0 ? new (std::nothrow) TWayPoint*[count]() : nullptr;
    if (!endPoints) return false;
    endPointCapacity = count;
    return true;
}

bool TKeyField::addEndPoint(TWayPoint* wayPoint) {
    if (endPointCount >= endPointCapacity) return false;
    endPoints[endPointCount++] = wayPoint;
    return true;
}

bool TKeyField::isEndPoint(const TWayPoint* wayPoint) const {
    for (int32_t i = 0; i < endPointCount; ++i) {
        if (endPoints[i] == wayPoint) return true;
    }
    return false;
}
