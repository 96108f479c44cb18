#include "engine/TString.h"

#include <cstring>

#include "platform/crt.h"

TString::TString() : length(-2), buffer(nullptr), owns(false) {}

TString::TString(const char* text, bool ownsBuffer, int len) : length(len), buffer(nullptr), owns(ownsBuffer) {
    if (length == -1) length = text ? static_cast<int>(std::strlen(text)) - 1 : -1;
    if (owns) {
        const int n = length + 1 > 0 ? length + 1 : 0;
        buffer = new char[n + 1];
        buffer[n] = '\0';
        if (text && n > 0) std::memcpy(buffer, text, static_cast<size_t>(n));
        else if (n > 0) std::memset(buffer, 0, static_cast<size_t>(n));
    } else {
        buffer = const_cast<char*>(text);
    }
}

TString::TString(const TString& other) : length(other.length), buffer(other.buffer), owns(false) {}

TString& TString::operator=(const TString& other) {
    if (this != &other) borrow(other);
    return *this;
}

TString::~TString() { release(); }

void TString::release() {
    if (owns) delete[] buffer;
    buffer = nullptr;
    owns = false;
}

void TString::loadFromFile(const char* fileName) {
    release();
    length = -2;
    const int fd = _open(fileName, _O_RDONLY | _O_TEXT);
    if (fd < 0) return;
    const long size = _filelength(fd);
    if (size < 0) {
        _close(fd);
        return;
    }
    owns = true;
    buffer = new char[static_cast<size_t>(size) + 1];
    const int got = size > 0 ? _read(fd, buffer, static_cast<unsigned>(size)) : 0;
    const int n = got < 0 ? 0 : got;
    buffer[n] = '\0';
    length = n - 1;
    _close(fd);
}

char* TString::copyTo(char* dest) const {
    static char shared[kCopyBufferSize];
    int n = length + 1 > 0 ? length + 1 : 0;
    if (!dest) {
        dest = shared;
        if (n > kCopyBufferSize - 1) n = kCopyBufferSize - 1;
    }
    if (n > 0 && buffer) std::memcpy(dest, buffer, static_cast<size_t>(n));
    dest[n] = '\0';
    return dest;
}

void TString::borrow(const TString& other) {
    length = other.length;
    buffer = other.buffer;
    owns = false;
}

void TString::concatTo(const TString& prefix, TString& result) const {
    const int a = prefix.size();
    const int b = size();
    if (a > 0) std::memcpy(result.buffer, prefix.buffer, static_cast<size_t>(a));
    if (b > 0) std::memcpy(result.buffer + a, buffer, static_cast<size_t>(b));
    result.length = prefix.length + length + 1;
}

void TString::assign(const TString& other) {
    if (this == &other) return;
    const int n = other.size();
    char* copy = new char[static_cast<size_t>(n) + 2];
    if (n > 0 && other.buffer) std::memcpy(copy, other.buffer, static_cast<size_t>(n));
    copy[n] = '\0';
    copy[n + 1] = '\0';
    release();
    buffer = copy;
    length = other.length;
    owns = true;
}

bool TString::equals(const TString& other) const {
    if (length != other.length) return false;
    const int n = size();
    if (n == 0) return true;
    if (!buffer || !other.buffer) return buffer == other.buffer;
    // Byte comparison of the terminated copies: a zero byte ends both texts.
    for (int i = 0; i < n; ++i) {
        if (buffer[i] != other.buffer[i]) return false;
        if (buffer[i] == '\0') return true;
    }
    return true;
}

bool TString::equals(const char* text) const {
    TString other(text);
    return equals(other);
}

TString* TString::substring(int from, int to, bool ownsResult) const {
    if (to < from) return new TString();
    return new TString(buffer + from, ownsResult, to - from);
}
