// Reading the way-point file: the whole file goes into a buffer, its layout
// (counts against size) is checked before anything is built, and entries
// with bad or unknown names are skipped and counted.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "engine/Log.h"
#include "game/TRoutingTable.h"
#include "platform/crt.h"

namespace {

const size_t kHeaderSize = 109;  // not interpreted
const size_t kNameSize = 8;
const size_t kWayPointSize = kNameSize + 8;
const size_t kKeyFieldSize = kNameSize + 12;
const size_t kRoutingEntrySize = kNameSize + 4;
const size_t kRoutingItemSize = 2 * kNameSize;

// A read position in the file buffer. Callers ask `has` before taking bytes.
class Cursor {
public:
    Cursor(const unsigned char* data, size_t size) : data_(data), size_(size), pos_(kHeaderSize) {}

    bool has(uint64_t count) const { return pos_ <= size_ && count <= size_ - pos_; }
    size_t offset() const { return pos_; }
    const unsigned char* take(size_t count) {
        const unsigned char* at = data_ + pos_;
        pos_ += count;
        return at;
    }
    int32_t takeInt() {
        const unsigned char* p = take(4);
        return static_cast<int32_t>((uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) |
                                    uint32_t(p[3]));
    }
    const char* takeName() { return reinterpret_cast<const char*>(take(kNameSize)); }

private:
    const unsigned char* data_;
    size_t size_;
    size_t pos_;
};

bool isTerminated(const char* name) { return std::memchr(name, 0, kNameSize) != nullptr; }

bool isBlank(const char* name) {
    for (size_t i = 0; i < kNameSize; ++i) {
        if (name[i] != ' ') return false;
    }
    return true;
}

std::string pastEnd(const std::string& what, size_t fileSize) {
    return what + " runs past the end of the file (" + std::to_string(fileSize) + " bytes)";
}

// Walks the sections by their counts without building anything. Returns an
// empty text when every count is non-negative and every section lies within
// the file, else the cause.
std::string checkLayout(const unsigned char* data, size_t size) {
    Cursor in(data, size);
    if (!in.has(4)) return pastEnd("the way-point count at byte " + std::to_string(kHeaderSize), size);
    const int32_t w = in.takeInt();
    if (w < 0) return "the way-point count " + std::to_string(w) + " is negative";
    if (!in.has(uint64_t(w) * kWayPointSize)) {
        return pastEnd("the way-point section (" + std::to_string(w) + " entries)", size);
    }
    in.take(size_t(w) * kWayPointSize);

    if (!in.has(4)) return pastEnd("the key-field count at byte " + std::to_string(in.offset()), size);
    const int32_t k = in.takeInt();
    if (k < 0) return "the key-field count " + std::to_string(k) + " is negative";
    for (int32_t i = 0; i < k; ++i) {
        const std::string entry = "key field " + std::to_string(i + 1) + " of " + std::to_string(k);
        if (!in.has(kKeyFieldSize)) return pastEnd(entry, size);
        in.take(kKeyFieldSize - 4);
        const int32_t e = in.takeInt();
        if (e < 0) return "the end-point count " + std::to_string(e) + " of " + entry + " is negative";
        if (!in.has(uint64_t(e) * kNameSize)) return pastEnd(entry, size);
        in.take(size_t(e) * kNameSize);
    }

    for (int32_t i = 0; i < w; ++i) {
        const std::string entry = "routing entry " + std::to_string(i + 1) + " of " + std::to_string(w);
        if (!in.has(kRoutingEntrySize)) return pastEnd(entry, size);
        in.take(kNameSize);
        const int32_t n = in.takeInt();
        if (n < 0) return "the routing-item count " + std::to_string(n) + " of " + entry + " is negative";
        if (!in.has(uint64_t(n) * kRoutingItemSize)) return pastEnd(entry, size);
        in.take(size_t(n) * kRoutingItemSize);
    }
    return std::string();
}

// Reads the whole file; null (after a log line) when that fails.
std::unique_ptr<unsigned char[]> readWhole(int fd, const char* fileName, long& size) {
    size = _lseek(fd, 0, SEEK_END);
    if (size < 0 || _lseek(fd, 0, SEEK_SET) != 0) {
        logOut() << "Way-point file '" << fileName << "': its size cannot be determined, file refused\n";
        logFlush();
        return nullptr;
    }
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size_t(size) + 1]);
    if (!buffer) {
        logOut() << "Speicherfehler.\n";
        logFlush();
        return nullptr;
    }
    logOut() << "Dateigroesse: " << size << " Bytes.\n";
    logFlush();
    size_t done = 0;
    while (done < size_t(size)) {
        const size_t chunk = std::min<size_t>(size_t(size) - done, 1u << 30);
        const int got = _read(fd, buffer.get() + done, unsigned(chunk));
        if (got <= 0) {
            logOut() << "Way-point file '" << fileName << "': read stopped after " << done << " of " << size
                     << " bytes, file refused\n";
            logFlush();
            return nullptr;
        }
        done += size_t(got);
    }
    return buffer;
}

}  // namespace

// Builds the table's content from a buffer whose layout has been checked,
// counting the entries it has to skip.
class TRoutingTable::Builder {
public:
    Builder(TRoutingTable& table, const char* fileName, const unsigned char* data, size_t size)
        : table_(table), fileName_(fileName), in_(data, size) {}

    // Each false means memory ran out ("Speicherfehler." is logged).
    bool readWayPoints();
    bool readKeyFields();
    bool readRouting();
    // Sets the table's counts to the entries built and logs what was skipped.
    void finish() const;

private:
    bool outOfMemory() const;
    // Checks an 8-byte name field: true when it ends within its bytes,
    // otherwise counts it and returns false.
    bool terminated(const char* name);
    // The way point a name field names, or null (counted as bad or unknown).
    TWayPoint* resolveWayPoint(const char* name);
    TKeyField* resolveKeyField(const char* name);
    void note(const char* what, int count) const;

    TRoutingTable& table_;
    const char* fileName_;
    Cursor in_;
    int32_t fileWayPoints_ = 0;
    int32_t wayPointsRead_ = 0;
    int32_t keyFieldsRead_ = 0;
    int unterminated_ = 0;
    int unresolved_ = 0;
    int repeated_ = 0;
};

bool TRoutingTable::Builder::outOfMemory() const {
    logOut() << "Speicherfehler.\n";
    logFlush();
    return false;
}

bool TRoutingTable::Builder::terminated(const char* name) {
    if (isTerminated(name)) return true;
    ++unterminated_;
    return false;
}

TWayPoint* TRoutingTable::Builder::resolveWayPoint(const char* name) {
    if (!terminated(name)) return nullptr;
    TWayPoint* wayPoint = table_.getWayPoint(name);
    if (!wayPoint) ++unresolved_;
    return wayPoint;
}

TKeyField* TRoutingTable::Builder::resolveKeyField(const char* name) {
    if (!terminated(name)) return nullptr;
    TKeyField* keyField = table_.getKeyField(name);
    if (!keyField) ++unresolved_;
    return keyField;
}

bool TRoutingTable::Builder::readWayPoints() {
    const int32_t w = in_.takeInt();
    fileWayPoints_ = w;
    table_.wayPoints = new (std::nothrow) TWayPoint*[w]();
    if (!table_.wayPoints) return outOfMemory();
    logOut() << "Lade way points (" << w << ")...\n";
    logFlush();
    for (int32_t i = 0; i < w; ++i) {
        const char* name = in_.takeName();
        const int32_t x = in_.takeInt();
        const int32_t y = in_.takeInt();
        if (!terminated(name)) continue;
        if (table_.getWayPoint(name)) {
            ++repeated_;
            continue;
        }
        TWayPoint* wayPoint = new TWayPoint(name, static_cast<float>(x), static_cast<float>(y));
        table_.wayPoints[wayPointsRead_++] = wayPoint;
        table_.wayPointMap_[name] = wayPoint;
    }
    return true;
}

bool TRoutingTable::Builder::readKeyFields() {
    const int32_t k = in_.takeInt();
    table_.keyFields = new (std::nothrow) TKeyField*[k]();
    if (!table_.keyFields) return outOfMemory();
    logOut() << "Lade key fields (" << k << ")...\n";
    logFlush();
    for (int32_t i = 0; i < k; ++i) {
        const char* name = in_.takeName();
        const int32_t a = in_.takeInt();
        const int32_t b = in_.takeInt();
        const int32_t e = in_.takeInt();
        const char* endPointNames = reinterpret_cast<const char*>(in_.take(size_t(e) * kNameSize));
        if (!terminated(name)) continue;
        if (table_.getKeyField(name)) {
            ++repeated_;
            continue;
        }
        TKeyField* keyField = new TKeyField(name, a, b);
        table_.keyFieldMap_[name] = keyField;
        if (!keyField->allocEndPoints(e)) return outOfMemory();
        for (int32_t p = 0; p < e; ++p) {
            TWayPoint* endPoint = resolveWayPoint(endPointNames + size_t(p) * kNameSize);
            if (endPoint) keyField->addEndPoint(endPoint);
        }
        table_.keyFields[keyFieldsRead_++] = keyField;
    }
    return true;
}

bool TRoutingTable::Builder::readRouting() {
    for (int32_t i = 0; i < fileWayPoints_; ++i) {
        const char* name = in_.takeName();
        const int32_t n = in_.takeInt();
        const char* items = reinterpret_cast<const char*>(in_.take(size_t(n) * kRoutingItemSize));
        TWayPoint* wayPoint = resolveWayPoint(name);
        if (!wayPoint) continue;
        if (wayPoint->hasRoutingItems()) {
            ++repeated_;
            continue;
        }
        if (!wayPoint->allocRoutingItems(n)) return outOfMemory();
        for (int32_t r = 0; r < n; ++r) {
            const char* neighbourName = items + size_t(r) * kRoutingItemSize;
            const char* targetName = neighbourName + kNameSize;
            TWayPoint* neighbour = resolveWayPoint(neighbourName);
            TKeyField* target = nullptr;
            if (!isBlank(targetName)) {
                target = resolveKeyField(targetName);
                if (!target) continue;
            }
            if (!neighbour) continue;
            wayPoint->addRoutingItem(new TRoutingItem{neighbour, target});
        }
    }
    return true;
}

void TRoutingTable::Builder::note(const char* what, int count) const {
    if (count == 0) return;
    logOut() << "Way-point file '" << fileName_ << "': " << count << what << "\n";
    logFlush();
}

void TRoutingTable::Builder::finish() const {
    table_.wayPointCount = wayPointsRead_;
    table_.keyFieldCount = keyFieldsRead_;
    note(" names without terminating zero, entries skipped", unterminated_);
    note(" names do not resolve, entries skipped", unresolved_);
    note(" names given twice, entries skipped", repeated_);
    int unrouted = 0;
    for (int32_t i = 0; i < wayPointsRead_; ++i) {
        if (!table_.wayPoints[i]->hasRoutingItems()) ++unrouted;
    }
    note(" way points missing from the routing section", unrouted);
}

int TRoutingTable::load(const char* fileName) {
    clear();
    if (!fileName) fileName = "";
    logOut() << "Oeffne RoutingTable Datei '" << fileName << "'...";
    logFlush();
    const int fd = _open(fileName, _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        logOut() << " fehlgeschlagen.\n";
        logFlush();
        return -1;
    }
    logOut() << " erfolgreich.\n";
    logFlush();

    long size = 0;
    const std::unique_ptr<unsigned char[]> buffer = readWhole(fd, fileName, size);
    _close(fd);
    if (!buffer) return -1;
    const std::string fault = checkLayout(buffer.get(), size_t(size));
    if (!fault.empty()) {
        logOut() << "Way-point file '" << fileName << "': " << fault << ", file refused\n";
        logFlush();
        return -1;
    }

    Builder builder(*this, fileName, buffer.get(), size_t(size));
    if (!builder.readWayPoints() || !builder.readKeyFields() || !builder.readRouting()) return -1;
    builder.finish();
    return 0;
}
