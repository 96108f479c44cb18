#include "engine/TRecordInput.h"

#include <cstring>
#include <unistd.h>

#include "engine/Log.h"
#include "platform/crt.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "record files are read as little-endian in place");
static_assert(sizeof(int) == 4 && sizeof(float) == 4, "record fields are 32 bits wide");

TRecordInput::TRecordInput(int fileDescriptor, const char* fileName, const char* fileKind)
    : fd(fileDescriptor), left(0), readable(false), hasFailed(false), name(fileName ? fileName : "(unnamed)"), kind(fileKind) {
    const long length = _filelength(fd);
    const long position = fd >= 0 ? _lseek(fd, 0, SEEK_CUR) : -1;
    if (length >= 0 && position >= 0 && position <= length) {
        left = length - position;
        readable = true;
    }
}

bool TRecordInput::fail(const std::string& cause) {
    if (hasFailed) return false;
    hasFailed = true;
    logOut() << kind << " '" << name << "': ";
    if (!context.empty()) logOut() << context << ": ";
    logOut() << cause << "\n";
    logFlush();
    return false;
}

bool TRecordInput::require(long long bytes, const char* what) {
    if (hasFailed) return false;
    if (!readable) return fail("cannot be read");
    if (bytes >= 0 && bytes <= left) return true;
    return fail(std::string(what) + " need " + std::to_string(bytes) + " bytes, " + std::to_string(left) + " left");
}

bool TRecordInput::readBytes(void* dest, long long count, const char* what) {
    if (!require(count, what)) return false;
    char* out = static_cast<char*>(dest);
    long long done = 0;
    while (done < count) {
        const long long chunk = count - done > (1 << 30) ? (1 << 30) : count - done;
        const int got = _read(fd, out + done, static_cast<unsigned>(chunk));
        if (got <= 0) {
            left = 0;
            return fail(std::string("short read in ") + what);
        }
        done += got;
    }
    left -= count;
    return true;
}

bool TRecordInput::readInt(int& value, const char* what) {
    int v = 0;
    if (!readBytes(&v, 4, what)) return false;
    value = v;
    return true;
}

bool TRecordInput::readFloats(float* dest, int count, const char* what) {
    return readBytes(dest, 4LL * count, what);
}

bool TRecordInput::readName(char* field, int size, const char* what) {
    if (!readBytes(field, size, what)) return false;
    if (std::memchr(field, 0, static_cast<size_t>(size)) != nullptr) return true;
    field[size - 1] = '\0';
    return fail(std::string(what) + " has no terminating zero within its " + std::to_string(size) + " bytes");
}

void TRecordOutput::putBytes(const void* data, size_t count) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    bytes.insert(bytes.end(), p, p + count);
}

void TRecordOutput::putInt(int value) { putBytes(&value, 4); }

void TRecordOutput::putFloats(const float* values, int count) {
    if (count > 0) putBytes(values, 4u * static_cast<size_t>(count));
}

void TRecordOutput::putName(const char* text, int size) {
    std::vector<char> field(static_cast<size_t>(size));
    copyNameField(field.data(), size, text);
    putBytes(field.data(), field.size());
}

bool TRecordOutput::writeTo(int fd) const {
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t chunk = bytes.size() - done > (1u << 30) ? (1u << 30) : bytes.size() - done;
        const int wrote = _write(fd, bytes.data() + done, static_cast<unsigned>(chunk));
        if (wrote <= 0) return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

void copyNameField(char* field, int size, const char* text, int length) {
    std::memset(field, 0, static_cast<size_t>(size));
    if (!text) return;
    size_t n = length >= 0 ? static_cast<size_t>(length) : std::strlen(text);
    const void* zero = std::memchr(text, 0, n);
    if (zero) n = static_cast<size_t>(static_cast<const char*>(zero) - text);
    if (n > static_cast<size_t>(size - 1)) n = static_cast<size_t>(size - 1);
    std::memcpy(field, text, n);
}
