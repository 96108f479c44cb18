#pragma once
// TShadowMap is the ground's light map as an image: one luminance byte per
// height sample (divided by a divisor), read raw from a ".sdm" file with no
// header, row after row. It lives only until the texture "bShadow" is made
// from it. A missing or short file gives a white map (the ground unshaded).

#include <cstdint>

#include "engine/TImage.h"

class TBoden;

class TShadowMap : public TImage {
public:
    // Reads width x height bytes, where width and height are the owner's
    // height-image size divided by divisor (a divisor below 1 counts as 1).
    // A file that cannot be opened or holds fewer bytes gives an all-white
    // map, with a log line naming the file and the cause; bytes beyond the
    // map are ignored (logged). An owner without heights gives an image
    // without pixels.
    TShadowMap(const TBoden* owner, const TString& fileName, int divisor);
    ~TShadowMap() override;

    // GL_LUMINANCE8.
    uint32_t getInternalFormat() override;

private:
    bool read(const char* path, long long count);
};
