#pragma once
// TTgaImage reads an uncompressed true-colour TGA file (24 or 32 bits, no ID
// field, no colour map): the 18-byte header, then the pixels in file row
// order, turned from B G R (A) into R G B (A). A file it cannot use gives an
// image without pixels and one log line naming the file and the cause.

#include "engine/TImage.h"

class TTgaImage : public TImage {
public:
    static const int kHeaderSize = 18;

    // Reads the file (a Windows-style path is resolved by the file layer).
    // A missing, unreadable or short file, a size of 0 or a depth other than
    // 24 or 32 leaves the image empty (0 x 0, pixel format 0, no pixels).
    explicit TTgaImage(const TString& fileName);
    ~TTgaImage() override;

    // GL_RGB8 for 24 bits, GL_RGBA8 for 32, 0 for anything else.
    uint32_t getInternalFormat() override;

private:
    // Reads header and pixels from the open file; false (after the log
    // line) when the file cannot be used.
    bool read(int fd, const char* path);
    void makeEmpty();
};
