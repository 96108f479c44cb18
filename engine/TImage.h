#pragma once
// TImage is a picture in memory: 8-bit channels in R, G, B (, A) order, rows
// one after another, with its size, depth and the GL pixel format that
// describes it. Images live only until they are uploaded. An image without
// pixels (size 0 x 0, pixel format 0) stands for a picture that could not be
// read; uploaders check hasPixels and skip it.

#include <cstdint>

#include "engine/TString.h"

class TImage {
public:
    TString name;  // the file the image was made from (own copy)
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    uint32_t pixelFormat;  // GL_RGB, GL_RGBA, or 0 when unsupported or empty
    uint8_t* pixels;       // width * height * bitsPerPixel / 8 bytes; owned by the subclass
    int32_t components;    // bytes per pixel: 3, 4, or 0

    // Copies the name; no size, no pixels.
    explicit TImage(const TString& name);
    TImage(const TImage&) = delete;
    TImage& operator=(const TImage&) = delete;
    virtual ~TImage() = default;

    // The first byte of pixel (x, y); no bounds check. Null for an image
    // without pixels.
    virtual uint8_t* pixelAddress(int x, int y);
    // The GL internal format for uploading; 0 when the depth has none.
    virtual uint32_t getInternalFormat() = 0;

    // True when there is something to upload.
    bool hasPixels() const { return pixels != nullptr && width > 0 && height > 0 && pixelFormat != 0; }
    // Bytes of pixel data: width * height * (bitsPerPixel / 8).
    long long byteCount() const;
};
