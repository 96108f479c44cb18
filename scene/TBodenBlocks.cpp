#include "scene/TBodenBlocks.h"

#include <algorithm>
#include <cmath>

#include "platform/gl.h"

namespace {

// Quad positions (in samples) of one side of a level's interior, as the
// ground's own interior building walks them.
std::vector<int> quadStarts(int samples, int step) {
    std::vector<int> starts;
    for (int k = 0; k < samples - step; k += step) starts.push_back(k);
    return starts;
}

// How far inside a plane counts as "on it": plane values are computed in
// floats here and in the driver, both a little off.
const float kRoundingMargin = 1.0e-5f;

}  // namespace

void TBodenBlocks::build(int tileWidth, int tileHeight, int stride, int lodCount) {
    corners.clear();
    blocks.clear();
    levelFirst.assign(1, 0);
    for (int level = 0; level <= lodCount; ++level) {
        const int s = 1 << level;
        const std::vector<int> rows = quadStarts(tileHeight, s), cols = quadStarts(tileWidth, s);
        const int blockRows = (static_cast<int>(rows.size()) + kBlockQuads - 1) / kBlockQuads;
        const int blockCols = (static_cast<int>(cols.size()) + kBlockQuads - 1) / kBlockQuads;
        for (int br = 0; br < blockRows; ++br) {
            for (int bc = 0; bc < blockCols; ++bc) {
                Block b;
                b.first = static_cast<int>(corners.size() / 3);
                const size_t rEnd = std::min(rows.size(), static_cast<size_t>((br + 1) * kBlockQuads));
                const size_t cEnd = std::min(cols.size(), static_cast<size_t>((bc + 1) * kBlockQuads));
                for (size_t i = static_cast<size_t>(br) * kBlockQuads; i < rEnd; ++i) {
                    const int r = rows[i];
                    for (size_t j = static_cast<size_t>(bc) * kBlockQuads; j < cEnd; ++j) {
                        const int c = cols[j];
                        const int quad[6] = {r * stride + c,       r * stride + c + s,       (r + s) * stride + c + s,
                                             (r + s) * stride + c + s, (r + s) * stride + c, r * stride + c};
                        corners.insert(corners.end(), quad, quad + 6);
                    }
                }
                b.end = static_cast<int>(corners.size() / 3);
                b.c0 = cols[static_cast<size_t>(bc) * kBlockQuads];
                b.r0 = rows[static_cast<size_t>(br) * kBlockQuads];
                b.c1 = cols[cEnd - 1] + s;
                b.r1 = rows[rEnd - 1] + s;
                blocks.push_back(b);
            }
        }
        levelFirst.push_back(static_cast<int>(blocks.size()));
    }
}

TBodenBlocks::View TBodenBlocks::viewOfCurrentMatrices() {
    float p[16], m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // Rows of projection x modelview (column-major storage).
    double row[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += static_cast<double>(p[k * 4 + i]) * m[j * 4 + k];
            row[i][j] = sum;
        }
    View view;
    for (int axis = 0; axis < 3; ++axis) {
        for (int side = 0; side < 2; ++side) {
            float* plane = view.planes[2 * axis + side];
            const double sign = side == 0 ? 1.0 : -1.0;
            for (int j = 0; j < 4; ++j) plane[j] = static_cast<float>(row[3][j] + sign * row[axis][j]);
        }
    }
    return view;
}

bool TBodenBlocks::boxCanShow(const View& view, const float low[3], const float high[3], float clipMargin) {
    if (view.clipBelow && low[2] > view.clipHeight + clipMargin) return false;
    for (const float* plane : view.planes) {
        // The corner farthest on the plane's inner side.
        float value = plane[3], size = std::fabs(plane[3]);
        for (int k = 0; k < 3; ++k) {
            const float x = plane[k] >= 0.0f ? high[k] : low[k];
            value += plane[k] * x;
            size += std::fabs(plane[k] * x);
        }
        if (value < -kRoundingMargin * size) return false;
    }
    return true;
}
