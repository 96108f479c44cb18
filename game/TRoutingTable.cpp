#include "game/TRoutingTable.h"

#include <cmath>
#include <cstring>

#include "engine/Log.h"

namespace {
// Names are 8-byte fields; a name read from the file always ends within them,
// but the bound keeps the writer safe for any record.
void writeName(std::ostream& out, const char name[8]) {
    const void* end = std::memchr(name, 0, 8);
    out.write(name, end ? static_cast<const char*>(end) - name : 8);
}
}  // namespace

TRoutingTable::~TRoutingTable() { clear(); }

void TRoutingTable::clear() {
    // Every way point and key field a load created sits in exactly one map
    // entry, also those a failed load left outside the arrays.
    for (auto& entry : wayPointMap_) delete entry.second;
    for (auto& entry : keyFieldMap_) delete entry.second;
    wayPointMap_.clear();
    keyFieldMap_.clear();
    delete[] wayPoints;
    delete[] keyFields;
    wayPoints = nullptr;
    keyFields = nullptr;
    wayPointCount = 0;
    keyFieldCount = 0;
}

TWayPoint* TRoutingTable::getWayPoint(const char* name) const {
    if (!name) return nullptr;
    const auto found = wayPointMap_.find(name);
    return found == wayPointMap_.end() ? nullptr : found->second;
}

TKeyField* TRoutingTable::getKeyField(const char* name) const {
    if (!name) return nullptr;
    const auto found = keyFieldMap_.find(name);
    return found == keyFieldMap_.end() ? nullptr : found->second;
}

void TRoutingTable::dump(std::ostream& out) const {
    out << "\nAktueller Inhalt von TRoutingTable:\n"
        << "Key fields:\n";
    out.flush();
    // A key field's line has no end of its own: the next one continues it.
    for (int32_t i = 0; i < keyFieldCount; ++i) {
        const TKeyField* keyField = keyFields[i];
        out << "Name: ";
        writeName(out, keyField->name);
        out << " " << "Endpunkte (" << keyField->endPointCount << "): ";
        for (int32_t e = 0; e < keyField->endPointCount; ++e) {
            if (e > 0) out << ", ";
            writeName(out, keyField->endPoints[e]->name);
        }
    }
    out << "\n"
        << "Way points:\n";
    out.flush();
    // A way point without routing items ends no line either.
    for (int32_t i = 0; i < wayPointCount; ++i) {
        const TWayPoint* wayPoint = wayPoints[i];
        out << "Name: ";
        writeName(out, wayPoint->name);
        out << " " << "RoutingItems (" << wayPoint->routingItemCount << "): ";
        for (int32_t r = 0; r < wayPoint->routingItemCount; ++r) {
            const TRoutingItem* item = wayPoint->routingItems[r];
            out << "Nachbar: ";
            writeName(out, item->neighbour->name);
            out << " Ziel: ";
            if (item->target) {
                writeName(out, item->target->name);
            } else {
                out << "-";
            }
            out << (r + 1 < wayPoint->routingItemCount ? ", " : "\n");
        }
    }
    out << "\n"
        << "Ende aktueller Inhalt von TRoutingTable.\n";
    out.flush();
}

TKeyField* TRoutingTable::nearestKeyField(const TVector& position) const {
    TKeyField* nearest = nullptr;
    float best = 1.0e8f;
    for (int32_t i = 0; i < keyFieldCount; ++i) {
        const TVector at = keyFields[i]->getPosition();
        const float dx = at.x - position.x;
        const float dy = at.y - position.y;
        const float distance = std::sqrt(dx * dx + dy * dy);
        if (distance < best) {
            best = distance;
            nearest = keyFields[i];
        }
    }
    if (!nearest) {
        logOut() << "Fehler bei TKI::getNextKeyField!\n";
        logFlush();
    }
    return nearest;
}
