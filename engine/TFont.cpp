#include "engine/TFont.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/TEngine.h"

namespace {

const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

void showCreationError() { MessageBoxA(nullptr, "Window Creation Error.", "ERROR", MB_ICONEXCLAMATION); }

}  // namespace

int TFont::textureSize(int width, int height) {
    int s = 4;
    do {
        s *= 2;
    } while (s < width || s < height);
    return s;
}

TFont::TFont(int fontHeight, int fontWeight, TEngine* engine) : listBase(0), height(fontHeight), weight(fontWeight) {
    std::memset(metrics, 0, sizeof metrics);
    std::memset(glyphTextures, 0, sizeof glyphTextures);
    HDC dc = engine->deviceContext;

    HFONT font = CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, "Arial");
    if (!SelectObject(dc, font)) showCreationError();

    for (int c = 0; c < 128; ++c) {
        if (GetGlyphOutlineA(dc, static_cast<UINT>(c), GGO_METRICS, &metrics[c], 0, nullptr, &kIdentity) ==
            GDI_ERROR)
            showCreationError();
    }

    int sizes[kCount];
    for (int c = kFirst; c < kFirst + kCount; ++c) glyphTextures[c - kFirst] = makeGlyphTexture(dc, c, sizes[c - kFirst]);

    listBase = glGenLists(kCount);
    for (int c = kFirst; c < kFirst + kCount; ++c) compileList(c, sizes[c - kFirst]);
}

uint32_t TFont::makeGlyphTexture(HDC dc, int code, int& size) {
    GLYPHMETRICS gm;
    std::memset(&gm, 0, sizeof gm);
    size = textureSize(static_cast<int>(metrics[code].gmBlackBoxX), static_cast<int>(metrics[code].gmBlackBoxY));
    const DWORD bytes = GetGlyphOutlineA(dc, static_cast<UINT>(code), GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity);
    if (bytes == GDI_ERROR) {
        MessageBoxA(nullptr, "TREFFER", "Font", MB_OK);
        return 0;
    }
    const int w = static_cast<int>(gm.gmBlackBoxX);
    const int h = static_cast<int>(gm.gmBlackBoxY);
    size = textureSize(w, h);
    std::vector<uint8_t> texels(static_cast<size_t>(size) * size, 0);
    if (bytes > 0) {
        std::vector<uint8_t> bitmap(bytes, 0);
        GetGlyphOutlineA(dc, static_cast<UINT>(code), GGO_GRAY8_BITMAP, &gm, bytes, bitmap.data(), &kIdentity);
        const int pitch = 4 * ((w + 3) / 4);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < pitch && x < size; ++x) {
                const size_t from = static_cast<size_t>(y) * pitch + x;
                if (from >= bitmap.size()) break;
                texels[static_cast<size_t>(y) * size + x] = alphaOf(bitmap[from]);
            }
        }
    }

    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, size, size, 0, GL_ALPHA, GL_UNSIGNED_BYTE, texels.data());
    return id;
}

void TFont::compileList(int code, int size) {
    const GLYPHMETRICS& m = metrics[code];
    const float w = static_cast<float>(m.gmBlackBoxX);
    const float h = static_cast<float>(m.gmBlackBoxY);
    const float ox = static_cast<float>(m.gmptGlyphOrigin.x);
    const float oy = static_cast<float>(m.gmptGlyphOrigin.y);
    const float s = static_cast<float>(size);
    glNewList(listBase + static_cast<GLuint>(code - kFirst), GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, glyphTextures[code - kFirst]);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(ox, -oy, -0.5f);
    glTexCoord2f(0.0f, h / s);
    glVertex3f(ox, h - oy, -0.5f);
    glTexCoord2f(w / s, h / s);
    glVertex3f(ox + w, h - oy, -0.5f);
    glTexCoord2f(w / s, 0.0f);
    glVertex3f(ox + w, -oy, -0.5f);
    glEnd();
    glTranslatef(static_cast<float>(m.gmCellIncX), 0.0f, 0.0f);
    glEndList();
}

TFont::~TFont() {
    if (listBase) glDeleteLists(listBase, kCount);
    for (uint32_t id : glyphTextures) {
        if (id) glDeleteTextures(1, &id);
    }
}

void TFont::print(const char* format, ...) {
    if (!format) return;
    char text[kBufferSize];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (written < 0) return;
    // Only characters with a list of this font; others would call lists of
    // other fonts or none.
    unsigned char codes[kBufferSize];
    int n = 0;
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c >= kFirst && c < kFirst + kCount) codes[n++] = c;
    }
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glListBase(listBase - kFirst);
    glCallLists(n, GL_UNSIGNED_BYTE, codes);
    glPopAttrib();
}
