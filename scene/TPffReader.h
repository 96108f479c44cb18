#pragma once
// The interfaces of a reader of key files: TPffReader hands out the keys,
// TPffHeaderSource the one header value stored before them. TAnimReader
// implements both for animation files.

#include "engine/TList.h"
#include "scene/TAnimKey.h"

class TPffReader {
public:
    // Puts every key of the file at the front of keys (so the list ends up
    // in reverse file order); the list owns the new keys. Returns false,
    // adding nothing, when the file is damaged.
    virtual bool readKeys(TList<TAnimKey>& keys) = 0;
    virtual ~TPffReader() = default;
};

class TPffHeaderSource {
public:
    // Writes the header value into header (0 when the file had none).
    virtual void getHeader(int& header) = 0;
    virtual ~TPffHeaderSource() = default;
};
