// The GDI font layer: selecting fonts into a device context, glyph metrics
// and 65-level grey bitmaps with rows padded to 4 bytes.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32.h"

namespace {

const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

HFONT arial(int height, int weight, const char* face = "Arial") {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face);
}

TEST(FontLayerTest, SelectingFonts) {
    HDC dc = GetDC(nullptr);
    GLYPHMETRICS gm;
    // Nothing selected yet: no glyphs.
    HFONT regular = arial(14, 400);
    HGDIOBJ previous = SelectObject(dc, regular);
    ASSERT_NE(previous, nullptr);  // the stock font
    EXPECT_EQ(SelectObject(dc, arial(14, 700)), regular);
    // An unknown face has no file: the selection fails and stays as it was.
    EXPECT_EQ(SelectObject(dc, arial(14, 400, "NoSuchFace")), nullptr);
    EXPECT_EQ(SelectObject(nullptr, regular), nullptr);
    EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(&gm)), nullptr);
    EXPECT_NE(GetGlyphOutlineA(dc, 'A', GGO_METRICS, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
    // Back to the stock font: no glyphs again.
    SelectObject(dc, previous);
    EXPECT_EQ(GetGlyphOutlineA(dc, 'A', GGO_METRICS, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineA(nullptr, 'A', GGO_METRICS, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
}

TEST(FontLayerTest, GreyBitmapsAndMetrics) {
    HDC dc = GetDC(nullptr);
    HFONT font = arial(-20, 400);
    ASSERT_NE(SelectObject(dc, font), nullptr);

    GLYPHMETRICS gm;
    const DWORD size = GetGlyphOutlineA(dc, 'W', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity);
    ASSERT_NE(size, GDI_ERROR);
    const unsigned pitch = 4 * ((gm.gmBlackBoxX + 3) / 4);
    EXPECT_EQ(size, pitch * gm.gmBlackBoxY);
    EXPECT_GT(gm.gmBlackBoxX, 10u);
    EXPECT_GT(gm.gmptGlyphOrigin.y, 10);  // top of the glyph above the baseline
    EXPECT_GE(gm.gmCellIncX, static_cast<SHORT>(gm.gmBlackBoxX));
    EXPECT_EQ(gm.gmCellIncY, 0);

    std::vector<unsigned char> bitmap(size + 8, 0xEE);
    ASSERT_EQ(GetGlyphOutlineA(dc, 'W', GGO_GRAY8_BITMAP, &gm, size + 8, bitmap.data(), &kIdentity), size);
    int full = 0;
    for (DWORD i = 0; i < size; ++i) {
        EXPECT_LE(bitmap[i], 64);
        full += bitmap[i] == 64;
        // Padding bytes at the end of each row stay 0.
        if (i % pitch >= gm.gmBlackBoxX) {
            EXPECT_EQ(bitmap[i], 0) << i;
        }
    }
    EXPECT_GT(full, 0);
    EXPECT_EQ(bitmap[size], 0xEE);  // nothing written past the bitmap
    // A buffer too small for the bitmap is refused.
    EXPECT_EQ(GetGlyphOutlineA(dc, 'W', GGO_GRAY8_BITMAP, &gm, size - 1, bitmap.data(), &kIdentity), GDI_ERROR);

    // The space: empty bitmap, a 1 x 1 black box, an advance.
    EXPECT_EQ(GetGlyphOutlineA(dc, ' ', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentity), 0u);
    EXPECT_EQ(gm.gmBlackBoxX, 1u);
    EXPECT_EQ(gm.gmBlackBoxY, 1u);
    EXPECT_GT(gm.gmCellIncX, 0);
    // Formats other than metrics and 8-bit grey are not offered.
    EXPECT_EQ(GetGlyphOutlineA(dc, 'W', GGO_BITMAP, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
}

TEST(FontLayerTest, CellHeightAndBoldWeight) {
    HDC dc = GetDC(nullptr);
    GLYPHMETRICS em, cell, bold;
    ASSERT_NE(SelectObject(dc, arial(-40, 400)), nullptr);
    GetGlyphOutlineA(dc, 'H', GGO_METRICS, &em, 0, nullptr, &kIdentity);
    // A positive height is the cell height, which holds a smaller em.
    ASSERT_NE(SelectObject(dc, arial(40, 400)), nullptr);
    GetGlyphOutlineA(dc, 'H', GGO_METRICS, &cell, 0, nullptr, &kIdentity);
    EXPECT_LT(cell.gmBlackBoxY, em.gmBlackBoxY);
    ASSERT_NE(SelectObject(dc, arial(-40, 700)), nullptr);
    GetGlyphOutlineA(dc, 'H', GGO_METRICS, &bold, 0, nullptr, &kIdentity);
    EXPECT_GT(bold.gmBlackBoxX, em.gmBlackBoxX);
    EXPECT_TRUE(DeleteObject(arial(10, 400)));
}

}  // namespace
