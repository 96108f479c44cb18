#pragma once
// TRecordInput reads the little-endian records of a binary data file from an
// open descriptor and never past its end: it knows how many bytes are left,
// so every count can be bounded before anything is allocated. The first
// failure writes one log line naming the file, the record and the cause;
// later failures stay silent, so nested readers report each bad file once.
// TRecordOutput collects a record's bytes and writes them in one call.

#include <string>
#include <vector>

class TRecordInput {
public:
    // The bytes from the descriptor's current position to the end of the
    // file are what may be read. fileName and kind appear in the log line
    // ("Model file 'mods\x.pff': ..."); a null fileName reads "(unnamed)".
    // A descriptor whose length cannot be told (none open) has no bytes
    // left, and its first read fails as unreadable.
    TRecordInput(int fd, const char* fileName, const char* kind = "Model file");

    // Each read returns false, after the log line, when the file ends before
    // the value does (what names the value for the log line).
    bool readBytes(void* dest, long long count, const char* what);
    bool readInt(int& value, const char* what);
    bool readFloats(float* dest, int count, const char* what);
    // A char[size] name field; refused when it holds no terminating zero.
    bool readName(char* field, int size, const char* what);

    // False, after the log line, when `bytes` is negative or more than is left.
    bool require(long long bytes, const char* what);
    // Logs "<kind> '<file>': <context>: <cause>" unless a failure was logged
    // already; returns false so that readers can `return in.fail(...)`.
    bool fail(const std::string& cause);

    long long remaining() const { return left; }
    bool failed() const { return hasFailed; }
    const std::string& fileName() const { return name; }

    // The record being read ("part 3 '_body'"), put before the cause.
    std::string context;

private:
    int fd;
    long long left;
    bool readable;
    bool hasFailed;
    std::string name;
    std::string kind;
};

class TRecordOutput {
public:
    void putInt(int value);
    void putFloats(const float* values, int count);
    // The text cut to size - 1 characters, zero-padded to the field's size.
    void putName(const char* text, int size);
    void putBytes(const void* data, size_t count);
    // Writes everything collected; false when the descriptor took less.
    bool writeTo(int fd) const;

    size_t size() const { return bytes.size(); }

private:
    std::vector<unsigned char> bytes;
};

// Copies a zero-terminated text (or `length` characters of it when length is
// not negative) into a char[size] field, cut to size - 1 characters and
// zero-padded, so the field always ends in zeros.
void copyNameField(char* field, int size, const char* text, int length = -1);
