#include "scene/TAnimReader.h"

#include <cstring>
#include <vector>

#include "engine/Log.h"
#include "engine/TRecordInput.h"
#include "platform/crt.h"

TAnimReader::TAnimReader(const char* fileName) : fd(-1), header(0), valid(false) {
    open(fileName ? fileName : "");
}

TAnimReader::TAnimReader(const TString& fileName) : fd(-1), header(0), valid(false) {
    open(std::string(fileName.buffer ? fileName.buffer : "", static_cast<size_t>(fileName.size())));
}

TAnimReader::~TAnimReader() {
    if (fd >= 0) _close(fd);
}

void TAnimReader::open(const std::string& fileName) {
    name = fileName;
    fd = _open(name.c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        logOut() << "Animation file '" << name << "': cannot be opened\n";
        logFlush();
        return;
    }
    TRecordInput in(fd, name.c_str(), "Animation file");
    valid = in.readInt(header, "the header");
}

bool TAnimReader::readKeys(TList<TAnimKey>& keys) {
    if (!valid) return false;
    TRecordInput in(fd, name.c_str(), "Animation file");
    std::vector<TAnimKey*> read;
    bool ok = true;
    char boneName[TAnimKey::kNameSize];
    float pose[16];
    int frame = 0;
    // The file ends where the next bone name would begin.
    while (ok && in.remaining() > 0) {
        in.context = "key " + std::to_string(read.size());
        ok = in.readName(boneName, TAnimKey::kNameSize, "the bone name") &&
             in.readFloats(pose, 16, "the key matrix") && in.readInt(frame, "the frame");
        if (!ok) break;
        TMatrix m;
        std::memcpy(m.m, pose, sizeof pose);
        read.push_back(new TAnimKey(boneName, m, frame));
    }
    if (!ok) {
        for (TAnimKey* k : read) delete k;
        return false;
    }
    for (TAnimKey* k : read) keys.pushFront(k, true);
    return true;
}
