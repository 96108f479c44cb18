// GDI fonts over FreeType: CreateFontA makes a font object, SelectObject
// opens its face file and selects it into a device context, and
// GetGlyphOutlineA answers metrics and 65-level grey bitmaps from it.
// "Arial" is Liberation Sans (metric-compatible): Regular below weight 600,
// Bold from 600, found on a fixed list of paths. A face without a file makes
// SelectObject return NULL. Font objects live until the process ends.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/dc.h"
#include "platform/win32.h"

namespace {

struct FontObject {
    int height = 0;
    int weight = 0;
    std::string face;
    FT_Face ftFace = nullptr;
    bool stock = false;
    bool deleted = false;
};

struct FontState {
    FT_Library library = nullptr;
    bool libraryTried = false;
    std::vector<std::unique_ptr<FontObject>> fonts;
    FontObject stockFont;

    FontState() { stockFont.stock = true; }
    ~FontState() {
        for (auto& f : fonts) {
            if (f->ftFace) FT_Done_Face(f->ftFace);
        }
        if (library) FT_Done_FreeType(library);
    }
};

FontState& state() {
    static FontState s;
    return s;
}

const char* const kRegularPaths[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/liberation-sans/LiberationSans-Regular.ttf",
    "/usr/share/fonts/liberation/LiberationSans-Regular.ttf",
    "/usr/share/fonts/TTF/LiberationSans-Regular.ttf",
};
const char* const kBoldPaths[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
    "/usr/share/fonts/liberation-sans/LiberationSans-Bold.ttf",
    "/usr/share/fonts/liberation/LiberationSans-Bold.ttf",
    "/usr/share/fonts/TTF/LiberationSans-Bold.ttf",
};

bool isKnownFace(const std::string& face) {
    return strcasecmp(face.c_str(), "Arial") == 0 || strcasecmp(face.c_str(), "Liberation Sans") == 0;
}

FontObject* findFont(HGDIOBJ object) {
    FontState& s = state();
    if (object == &s.stockFont) return &s.stockFont;
    for (auto& f : s.fonts) {
        if (f.get() == object) return f.get();
    }
    return nullptr;
}

// Sets the size: a negative height is the em height in pixels, a positive
// one the cell height (ascent + descent as Windows measures them).
void setSize(FontObject& font) {
    FT_Face face = font.ftFace;
    double em = 16.0;
    if (font.height < 0) {
        em = -font.height;
    } else if (font.height > 0) {
        const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        const double cell = os2 ? static_cast<double>(os2->usWinAscent) + os2->usWinDescent
                                : static_cast<double>(face->ascender - face->descender);
        em = cell > 0 ? font.height * static_cast<double>(face->units_per_EM) / cell : font.height;
    }
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(em * 64.0)), 72, 72);
}

// Opens the face file of the font; false when none of its paths has one.
bool openFace(FontObject& font) {
    if (font.ftFace) return true;
    if (!isKnownFace(font.face)) return false;
    FontState& s = state();
    if (!s.libraryTried) {
        s.libraryTried = true;
        if (FT_Init_FreeType(&s.library) != 0) s.library = nullptr;
    }
    if (!s.library) return false;
    const bool bold = font.weight >= 600;
    const char* const* paths = bold ? kBoldPaths : kRegularPaths;
    const size_t count = bold ? sizeof kBoldPaths / sizeof *kBoldPaths : sizeof kRegularPaths / sizeof *kRegularPaths;
    for (size_t i = 0; i < count; ++i) {
        FT_Face face = nullptr;
        if (FT_New_Face(s.library, paths[i], 0, &face) == 0) {
            font.ftFace = face;
            setSize(font);
            return true;
        }
    }
    std::fprintf(stderr, "platform: no font file for '%s' (Liberation Sans %s)\n", font.face.c_str(),
                 bold ? "Bold" : "Regular");
    return false;
}

// Renders the glyph of a character code into the face's glyph slot.
bool renderGlyph(FT_Face face, UINT character) {
    const FT_UInt index = FT_Get_Char_Index(face, character);
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) return false;
    return FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
}

}  // namespace

HFONT CreateFontA(int height, int, int, int, int weight, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  LPCSTR faceName) {
    auto font = std::make_unique<FontObject>();
    font->height = height;
    font->weight = weight;
    font->face = faceName ? faceName : "";
    HFONT handle = reinterpret_cast<HFONT>(font.get());
    state().fonts.push_back(std::move(font));
    return handle;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    FontObject* font = findFont(object);
    if (!dc || !font || font->deleted) return nullptr;
    if (!font->stock && !openFace(*font)) return nullptr;
    HGDIOBJ previous = dc->selectedFont ? dc->selectedFont : &state().stockFont;
    dc->selectedFont = font->stock ? nullptr : font;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
    FontObject* font = findFont(object);
    if (!font || font->stock || font->deleted) return FALSE;
    font->deleted = true;
    if (font->ftFace) FT_Done_Face(font->ftFace);
    font->ftFace = nullptr;
    return TRUE;
}

DWORD GetGlyphOutlineA(HDC dc, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                       LPVOID buffer, const MAT2*) {
    if (!dc || !dc->selectedFont || !metrics) return GDI_ERROR;
    FontObject* font = static_cast<FontObject*>(dc->selectedFont);
    if (font->deleted || !font->ftFace) return GDI_ERROR;
    if (format != GGO_METRICS && format != GGO_GRAY8_BITMAP) return GDI_ERROR;
    FT_Face face = font->ftFace;
    if (!renderGlyph(face, character)) return GDI_ERROR;

    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    const int width = static_cast<int>(bitmap.width);
    const int rows = static_cast<int>(bitmap.rows);
    const bool empty = width == 0 || rows == 0;
    std::memset(metrics, 0, sizeof *metrics);
    metrics->gmBlackBoxX = empty ? 1u : static_cast<UINT>(width);
    metrics->gmBlackBoxY = empty ? 1u : static_cast<UINT>(rows);
    metrics->gmptGlyphOrigin.x = empty ? 0 : slot->bitmap_left;
    metrics->gmptGlyphOrigin.y = empty ? 0 : slot->bitmap_top;
    metrics->gmCellIncX = static_cast<SHORT>((slot->advance.x + 32) >> 6);
    metrics->gmCellIncY = 0;

    const int pitch = 4 * ((width + 3) / 4);
    const DWORD size = empty ? 0u : static_cast<DWORD>(pitch * rows);
    if (format == GGO_METRICS || !buffer || bufferSize == 0) return size;
    if (bufferSize < size) return GDI_ERROR;

    // 256 levels become 65 (0 .. 64), rows top first, padded to 4 bytes.
    uint8_t* out = static_cast<uint8_t*>(buffer);
    std::memset(out, 0, size);
    for (int y = 0; y < rows; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < width; ++x) {
            out[static_cast<size_t>(y) * pitch + x] = static_cast<uint8_t>((row[x] * 64 + 127) / 255);
        }
    }
    return size;
}
