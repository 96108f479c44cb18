#pragma once
// The routing table is the level's static road network, read once from the
// way-point file: named way points, named key fields (destinations) with
// their end points, and per way point the next hop towards each key field.
// Nothing searches paths; walkers follow the next hops. The table owns every
// way point, key field and routing item it creates.

#include <cstdint>
#include <map>
#include <ostream>
#include <string>

#include "game/TKeyField.h"
#include "game/TWayPoint.h"

class TRoutingTable {
public:
    TRoutingTable() = default;
    // Frees the maps and everything the loads created.
    virtual ~TRoutingTable();
    TRoutingTable(const TRoutingTable&) = delete;
    TRoutingTable& operator=(const TRoutingTable&) = delete;

    // Reads the way-point file (big-endian). 0 on success, also when single
    // bad entries were skipped (each cause gets a log line); -1 when the file
    // cannot be opened or read, its counts do not fit its size, or memory
    // runs out. After -1 the counts are 0 and the caller reports the failure.
    // A second load replaces what the first one read.
    int load(const char* fileName);

    // The way point / key field of that name (exact, case-sensitive), or
    // null. Owned by the table.
    TWayPoint* getWayPoint(const char* name) const;
    TKeyField* getKeyField(const char* name) const;

    // Writes the table's content as text to the stream.
    void dump(std::ostream& out) const;

    // The key field nearest to the position in the x-y plane; of equally
    // near ones the first in file order. Null (with a log line) when the
    // table has none. Owned by the table.
    TKeyField* nearestKeyField(const TVector& position) const;

    TWayPoint** wayPoints = nullptr;
    TKeyField** keyFields = nullptr;
    int32_t wayPointCount = 0;
    int32_t keyFieldCount = 0;

private:
    class Builder;

    void clear();

    std::map<std::string, TWayPoint*> wayPointMap_;
    std::map<std::string, TKeyField*> keyFieldMap_;
};
