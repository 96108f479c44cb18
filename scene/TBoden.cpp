// The ground's life, its height queries and the tile lookup.
#include "scene/TBoden.h"

#include <cmath>

#include "engine/TIndexArray.h"
#include "engine/TTgaImage.h"
#include "scene/TBodenTile.h"

std::function<void(float step)> TBoden::progressHook;

TBoden::~TBoden() {
    drawList.clear();
    for (int i = 0; i < tilesX * tilesY; ++i) delete tiles[i];
    delete[] tiles;
    delete[] levelStart;
    delete[] seamRanges;
    delete heightImage;
    delete ownedIndices;
    delete ownedBlockIndices;
}

float TBoden::getGridHeight(int x, int y) const {
    if (!heightImage || x < 0 || y < 0 || x >= imageWidth || y >= imageHeight) return kOutsideHeight;
    const uint8_t* p = heightImage->pixelAddress(x, y);
    const int32_t value = p[0] + 256 * p[1] + 65536 * p[2];
    return kOutsideHeight - static_cast<float>(value) / 32768.0f;
}

float TBoden::getHeight(const TVector& p) {
    // Far beyond the image every sample is 512; this also keeps the integer
    // conversion below defined (and catches NaN).
    const float kFar = 1.0e8f;
    if (!(std::fabs(p.x) < kFar && std::fabs(p.y) < kFar)) return kOutsideHeight;
    const int ix = static_cast<int>(p.x);
    const int iy = static_cast<int>(p.y);
    const double fx = std::fmod(static_cast<double>(p.x), 1.0);
    const double fy = std::fmod(static_cast<double>(p.y), 1.0);
    const double h00 = getGridHeight(ix, iy);
    const double h10 = getGridHeight(ix + 1, iy);
    const double h01 = getGridHeight(ix, iy + 1);
    const double h11 = getGridHeight(ix + 1, iy + 1);
    return static_cast<float>((h00 * (1.0 - fx) + h10 * fx) * (1.0 - fy) + (h01 * (1.0 - fx) + h11 * fx) * fy);
}

TBodenTile* TBoden::getTileAt(const TVector& p) const {
    const float width = static_cast<float>(tileWidth * tilesX);
    const float height = static_cast<float>(tileHeight * tilesY);
    if (!(p.x >= 0.0f && p.x < width && p.y >= 0.0f && p.y < height)) return nullptr;
    const int column = static_cast<int>(p.x) / tileWidth;
    const int row = static_cast<int>(p.y) / tileHeight;
    if (column >= tilesX || row >= tilesY) return nullptr;
    return tiles[row * tilesX + column];
}

int TBoden::levelForRatio(float r, int lods) {
    if (!(r > 1.0f)) return 0;
    if (r >= 1.0e9f) return lods;
    int n = static_cast<int>(r) - 1;
    int level = 0;
    while (n > 0) {
        n >>= 1;
        ++level;
    }
    return level < lods ? level : lods;
}

void TBoden::advanceLoading() const {
    if (progressHook) progressHook(0.001f);
}
