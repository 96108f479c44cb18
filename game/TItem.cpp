#include "game/TItem.h"

#include <cstring>
#include <new>

#include "platform/crt.h"

namespace {

// Copies up to size bytes of src, stopping after its terminating zero, and
// clears the rest of the field.
void copyField(char* field, const char* src, int size) {
    std::memset(field, 0, static_cast<size_t>(size));
    if (!src) return;
    std::memcpy(field, src, strnlen(src, static_cast<size_t>(size)));
}

// A string over the field's characters up to the first zero (or the whole
// field when there is none).
TString fieldString(const char* field, int size) {
    const int n = static_cast<int>(strnlen(field, static_cast<size_t>(size)));
    if (n == 0) return TString(field, false, -1);  // the field starts with its zero
    return TString(field, false, n - 1);
}

void putBytes(unsigned char*& at, const void* src, size_t n) {
    std::memcpy(at, src, n);
    at += n;
}

}  // namespace

TItem::TItem(const char* n, const char* t, float w, float v, float a, int32_t slot)
    : weight(w), value(v), armour(a), slotType(slot) {
    copyField(name, n, kNameSize);
    copyField(text, t, kTextSize);
}

TItem* TItem::load(int fd) {
    unsigned char record[kRecordSize];
    if (readFully(fd, record, kRecordSize) != kRecordSize) return nullptr;
    char n[kNameSize], t[kTextSize];
    float w, v, a;
    int32_t slot;
    std::memcpy(n, record, kNameSize);
    std::memcpy(t, record + kNameSize, kTextSize);
    std::memcpy(&w, record + 160, 4);
    std::memcpy(&v, record + 164, 4);
    std::memcpy(&a, record + 168, 4);
    std::memcpy(&slot, record + 172, 4);
    return new (std::nothrow) TItem(n, t, w, v, a, slot);
}

bool TItem::save(int fd) const {
    unsigned char record[kRecordSize];
    unsigned char* at = record;
    putBytes(at, name, kNameSize);
    putBytes(at, text, kTextSize);
    putBytes(at, &weight, 4);
    putBytes(at, &value, 4);
    putBytes(at, &armour, 4);
    putBytes(at, &slotType, 4);
    return _write(fd, record, kRecordSize) == kRecordSize;
}

TString TItem::getName() const { return fieldString(name, kNameSize); }

TString TItem::getText() const { return fieldString(text, kTextSize); }
