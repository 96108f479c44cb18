#pragma once
// A key field is a named destination of the road network (the castle "Burg",
// a dwarf house). A walker has arrived when it stands on one of the key
// field's end points. The key field owns its end-point array, not the way
// points in it; the routing table owns the key field.

#include <cstdint>

#include "engine/TVector.h"

class TWayPoint;

class TKeyField {
public:
    // The name is copied as 8 bytes; the position becomes (a, b, 0).
    TKeyField(const char name[8], int32_t a, int32_t b);
    // Frees the end-point array.
    virtual ~TKeyField();
    TKeyField(const TKeyField&) = delete;
    TKeyField& operator=(const TKeyField&) = delete;

    // Makes room for `count` end points (replacing any held before). False
    // when the array cannot be allocated; the key field then has none.
    bool allocEndPoints(int32_t count);
    // Appends a way point (not owned); false when the array is full.
    bool addEndPoint(TWayPoint* wayPoint);
    // True when the way point is one of the end points.
    bool isEndPoint(const TWayPoint* wayPoint) const;

    TVector getPosition() const { return position; }

    char name[8];
    int32_t a;
    int32_t b;
    TVector position;
    TWayPoint** endPoints = nullptr;
    int32_t endPointCapacity = 0;
    int32_t endPointCount = 0;
};
