#pragma once
// TAnimReader reads an animation file: an int header (the track's end
// time) followed by key records (bone name char[64], 16 floats of pose,
// int frame) up to the end of the file. It holds the file open from
// construction to destruction.

#include <string>

#include "engine/TString.h"
#include "scene/TPffReader.h"

class TAnimReader : public TPffReader, public TPffHeaderSource {
public:
    static const int kKeyRecordSize = 64 + 64 + 4;

    // Opens the file read-only in binary mode and reads the header. A file
    // that cannot be opened or is too short for the header is logged;
    // isValid is then false, readKeys adds nothing and the header reads 0.
    explicit TAnimReader(const char* fileName);
    explicit TAnimReader(const TString& fileName);
    ~TAnimReader() override;
    TAnimReader(const TAnimReader&) = delete;
    TAnimReader& operator=(const TAnimReader&) = delete;

    // Puts every key at the front of keys (reverse file order; the list owns
    // them). Returns false, adding nothing and after one log line, when a
    // key record is cut short or its bone name has no terminating zero, or
    // when the reader is not valid.
    bool readKeys(TList<TAnimKey>& keys) override;
    void getHeader(int& header) override { header = this->header; }

    bool isValid() const { return valid; }

private:
    void open(const std::string& fileName);

    int fd;
    int header;
    bool valid;
    std::string name;
};
