// Building the ground: the images, the shared index table of every level
// of detail with its seam strips, the tiles with the objects of the level
// map, the floor programs, the shadow texture and the ground material.
#include <cstring>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "engine/TBufferObject.h"
#include "engine/TEngine.h"
#include "engine/TIndexArray.h"
#include "engine/TMaterial.h"
#include "engine/TMaterialData.h"
#include "engine/TTextureLayer.h"
#include "engine/TTgaImage.h"
#include "platform/gl.h"
#include "scene/TBoden.h"
#include "scene/TBodenTile.h"
#include "scene/TInstanceFactory.h"
#include "scene/TShadowMap.h"

namespace {

const char* const kFloorVertexProgram = "programs\\floor_vp_fp.txt";
const char* const kFloorFragmentProgram = "programs\\floor_fp.txt";
const char* const kClipVertexProgram = "programs\\floor_vp_fp_clipping.txt";
const char* const kClipFragmentProgram = "programs\\floor_fp_clipping.txt";
const int kMaxLevels = 16;

void triangle(std::vector<int>& corners, int a, int b, int c) {
    corners.push_back(a);
    corners.push_back(b);
    corners.push_back(c);
}

// One band of seam strips along a tile edge: inner(k) and edge(k) are the
// vertex indices at position k along the band (columns for the south band,
// rows for the east band), length the band's length in samples.
template <class Inner, class Edge>
struct Band {
    Inner inner;
    Edge edge;
    int length;

    // This tile one level coarser than its neighbour (edge samples s/2
    // apart); level 0 has no finer neighbour and repeats the same-level strip.
    void coarser(std::vector<int>& t, int s) const {
        if (s == 1) return same(t, s);
        const int half = s / 2;
        for (int k = 0; k < length + 1 - s; k += s) {
            triangle(t, inner(k), edge(k), edge(k + half));
            triangle(t, inner(k), edge(k + half), inner(k + s));
            triangle(t, edge(k + half), edge(k + s), inner(k + s));
        }
    }
    void same(std::vector<int>& t, int s) const {
        for (int k = 0; k < length + 1 - s; k += s) {
            triangle(t, inner(k), edge(k + s), inner(k + s));
            triangle(t, inner(k), edge(k + s), edge(k));
        }
    }
    // This tile one level finer than its neighbour, or at the border (edge
    // samples 2s apart).
    void finer(std::vector<int>& t, int s) const {
        for (int k = 0; k < length + 1 - 2 * s; k += 2 * s) {
            triangle(t, edge(k), inner(k), inner(k + s));
            triangle(t, edge(k), inner(k + s), edge(k + 2 * s));
            triangle(t, inner(k + s), inner(k + 2 * s), edge(k + 2 * s));
        }
    }
};

template <class Inner, class Edge>
Band<Inner, Edge> band(Inner inner, Edge edge, int length) {
    return Band<Inner, Edge>{inner, edge, length};
}

// Points the GL binding of target back at what the render context holds.
void restoreBinding(TEngine* engine, unsigned int target) {
    const TRenderContext* context = engine->activeTarget ? engine->activeTarget : engine;
    const TBufferObject* held = target == GL_ARRAY_BUFFER_ARB ? context->arrayBuffer : context->elementBuffer;
    glBindBufferARB(target, held ? held->name : 0);
}

}  // namespace

TBoden::TBoden(const TString& heightImageName, const TString& mapImageName, const TString& shadowMapName,
               TInstanceFactory* const* table, int tableSize, int requestedTilesY, int lods,
               TBufferObject* elements, TEngine* e, int requestedTilesX)
    : TRenderable(e),
      samplesX(1),
      samplesY(1),
      tilesX(0),
      tilesY(0),
      floorVertexProgram(-1),
      floorFragmentProgram(-1),
      clipVertexProgram(-1),
      clipFragmentProgram(-1),
      material(nullptr),
      heightImage(nullptr),
      vertexBuffer(nullptr),
      elementBuffer(elements),
      tiles(nullptr),
      indices(nullptr),
      levelsBuilt(0),
      triangleCount(0),
      levelStart(nullptr),
      seamRanges(nullptr),
      lodCount(lods),
      createTable(),
      createTableSize(0),
      blockIndices(nullptr),
      passView(nullptr),
      tileWidth(0),
      tileHeight(0),
      heightPath(heightImageName.copyTo(nullptr)),
      mapPath(mapImageName.copyTo(nullptr)),
      imageWidth(0),
      imageHeight(0),
      lastHandle(0),
      unplacedPixels(0),
      unplacedValue(),
      ownedIndices(nullptr),
      ownedBlockIndices(nullptr) {
    if (lodCount < 1 || lodCount > kMaxLevels) {
        logOut() << "Ground: " << lodCount << " levels of detail asked for; using "
                 << (lodCount < 1 ? 1 : kMaxLevels) << "\n";
        logFlush();
        lodCount = lodCount < 1 ? 1 : kMaxLevels;
    }
    createTableSize = tableSize < 0 || !table ? 0 : (tableSize > kCreateTableCapacity ? kCreateTableCapacity : tableSize);
    for (int i = 0; i < createTableSize; ++i) createTable[i] = table[i];

    loadHeights(heightPath.c_str(), requestedTilesX, requestedTilesY);
    TTgaImage* levelMap = loadLevelMap(mapPath.c_str());

    if (engine) vertexBuffer = engine->createBufferObject(GL_ARRAY_BUFFER_ARB, kVertexBufferSize, GL_STATIC_DRAW_ARB);
    tiles = new TBodenTile*[static_cast<size_t>(tilesX) * tilesY]();
    buildIndices();
    buildTiles(levelMap);
    delete levelMap;
    linkTiles();
    uploadIndices();
    logUnplaced();
    if (!engine) return;

    loadPrograms();
    makeMaterial(shadowMapName);
    for (int i = 0; i < tilesX * tilesY; ++i) tiles[i]->materials[0] = material;
}

// ------------------------------------------------------------ images ----

bool TBoden::loadHeights(const char* path, int requestedTilesX, int requestedTilesY) {
    heightImage = new TTgaImage(TString(path));
    const char* cause = nullptr;
    std::string detail;
    if (!heightImage->hasPixels()) {
        cause = "cannot be used";
    } else if (requestedTilesX < 1 || requestedTilesY < 1) {
        cause = "cannot be cut into tiles";
        detail = " (" + std::to_string(requestedTilesX) + " x " + std::to_string(requestedTilesY) + " tiles asked for)";
    } else if (heightImage->width % requestedTilesX != 0 || heightImage->height % requestedTilesY != 0) {
        cause = "does not divide into tiles";
        detail = " (" + std::to_string(heightImage->width) + " x " + std::to_string(heightImage->height) +
                 " pixels, " + std::to_string(requestedTilesX) + " x " + std::to_string(requestedTilesY) + " tiles)";
    }
    if (cause) {
        logOut() << "Ground: height image '" << path << "' " << cause << detail
                 << "; the ground is flat at height 512 and has no tiles\n";
        logFlush();
        delete heightImage;
        heightImage = nullptr;
        return false;
    }
    imageWidth = heightImage->width;
    imageHeight = heightImage->height;
    tilesX = requestedTilesX;
    tilesY = requestedTilesY;
    tileWidth = imageWidth / tilesX;
    tileHeight = imageHeight / tilesY;
    samplesX = tileWidth + 1;
    samplesY = tileHeight + 1;
    return true;
}

// The level map, or null (logged) when it cannot place objects on these
// heights; the caller deletes it.
TTgaImage* TBoden::loadLevelMap(const char* path) const {
    if (!heightImage) return nullptr;
    TTgaImage* map = new TTgaImage(TString(path));
    std::string cause;
    if (!map->hasPixels()) {
        cause = "cannot be used";
    } else if (map->bitsPerPixel != 24) {
        cause = "is " + std::to_string(map->bitsPerPixel) + "-bit, not 24-bit";
    } else if (map->width != imageWidth || map->height != imageHeight) {
        cause = "is " + std::to_string(map->width) + " x " + std::to_string(map->height) +
                " pixels, the height image " + std::to_string(imageWidth) + " x " + std::to_string(imageHeight);
    }
    if (cause.empty()) return map;
    logOut() << "Ground: level map '" << path << "' " << cause << "; no objects are placed\n";
    logFlush();
    delete map;
    return nullptr;
}

// ----------------------------------------------------------- indices ----

void TBoden::buildIndices() {
    std::vector<int> corners;
    levelStart = new int[lodCount + 2];
    seamRanges = new int[6 * (lodCount + 1) + 1];
    levelStart[0] = 0;
    for (int level = 0; level <= lodCount; ++level) {
        appendInterior(level, corners);
        levelStart[level + 1] = static_cast<int>(corners.size() / 3);
    }
    for (int level = 0; level <= lodCount; ++level) appendSeams(level, corners, seamRanges + 6 * level);
    seamRanges[6 * (lodCount + 1)] = static_cast<int>(corners.size() / 3);
    levelsBuilt = lodCount + 1;
    triangleCount = static_cast<int>(corners.size() / 3);

    if (engine) {
        indices = engine->createIndexArray(triangleCount, 3, -1);
    } else {
        ownedIndices = new TIndexArray(triangleCount, 3, -1);
        indices = ownedIndices;
    }
    if (!corners.empty()) std::memcpy(indices->data, corners.data(), corners.size() * sizeof(int));

    blockTable.build(tileWidth, tileHeight, samplesX, lodCount);
    const int blockTriangles = static_cast<int>(blockTable.corners.size() / 3);
    if (engine) {
        blockIndices = engine->createIndexArray(blockTriangles, 3, -1);
    } else {
        ownedBlockIndices = new TIndexArray(blockTriangles, 3, -1);
        blockIndices = ownedBlockIndices;
    }
    if (blockTriangles > 0)
        std::memcpy(blockIndices->data, blockTable.corners.data(), blockTable.corners.size() * sizeof(int));
}

// Two triangles per quad of step 2^level, leaving the far row and column
// band to the seam strips.
void TBoden::appendInterior(int level, std::vector<int>& t) const {
    const int s = 1 << level;
    const int stride = samplesX;
    for (int r = 0; r < tileHeight - s; r += s) {
        for (int c = 0; c < tileWidth - s; c += s) {
            triangle(t, r * stride + c, r * stride + c + s, (r + s) * stride + c + s);
            triangle(t, (r + s) * stride + c + s, (r + s) * stride + c, r * stride + c);
        }
        advanceLoading();
    }
}

// The south band, then the east band, each as coarser, same-level and
// finer strips; bounds receives the first triangle of each of the six.
void TBoden::appendSeams(int level, std::vector<int>& t, int* bounds) const {
    const int s = 1 << level;
    const int w = tileWidth, h = tileHeight, stride = samplesX;
    const auto south = band([=](int c) { return (h - s) * stride + c; }, [=](int c) { return h * stride + c; }, w);
    const auto east = band([=](int r) { return r * stride + w - s; }, [=](int r) { return r * stride + w; }, h);
    // A band wider than the tile would reach outside it.
    const bool southFits = s <= h, eastFits = s <= w;
    const auto mark = [&](int i) { bounds[i] = static_cast<int>(t.size() / 3); };
    mark(0);
    if (southFits) south.coarser(t, s);
    mark(1);
    if (southFits) south.same(t, s);
    mark(2);
    if (southFits) south.finer(t, s);
    mark(3);
    if (eastFits) east.coarser(t, s);
    mark(4);
    if (eastFits) east.same(t, s);
    mark(5);
    if (eastFits) east.finer(t, s);
}

void TBoden::uploadIndices() {
    uploadIndexArray(indices, "ground indices");
    uploadIndexArray(blockIndices, "ground block indices");
}

void TBoden::uploadIndexArray(TIndexArray* array, const char* what) {
    if (!engine || !elementBuffer || !array || array->count == 0) return;
    const long long bytes = 12LL * array->count;
    if (elementBuffer->name == 0 || elementBuffer->fillOffset + bytes > elementBuffer->size) {
        logOut() << "Ground: the element buffer has no room for " << bytes << " bytes of " << what
                 << "; they stay in memory\n";
        logFlush();
        return;
    }
    array->useBuffer = engine->useVBO;
    array->buffer = elementBuffer;
    array->pointer = reinterpret_cast<void*>(static_cast<intptr_t>(elementBuffer->fillOffset));
    glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, elementBuffer->name);
    glBufferSubDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB, elementBuffer->fillOffset, static_cast<GLsizeiptrARB>(bytes),
                       array->data);
    elementBuffer->fillOffset += static_cast<int>(bytes);
    restoreBinding(engine, GL_ELEMENT_ARRAY_BUFFER_ARB);
}

// ------------------------------------------------------------- tiles ----

void TBoden::buildTiles(TTgaImage* levelMap) {
    const long long tileBytes = 12LL * samplesX * samplesY;
    for (int row = 0; row < tilesY; ++row) {
        for (int column = 0; column < tilesX; ++column) {
            if (engine && vertexBuffer && vertexBuffer->fillOffset + tileBytes > vertexBuffer->size &&
                tileBytes <= kVertexBufferSize)
                vertexBuffer = engine->createBufferObject(GL_ARRAY_BUFFER_ARB, kVertexBufferSize, GL_STATIC_DRAW_ARB);
            TRenderable** objects = nullptr;
            const int count = placeObjects(levelMap, column * tileWidth, row * tileHeight, objects);
            TBodenTile* tile = new TBodenTile(this, column * tileWidth, row * tileHeight, objects, count);
            tile->level = 0;
            tiles[row * tilesX + column] = tile;
        }
        advanceLoading();
    }
}

// Creates the objects of the map pixels in the tile's range; objects gets
// a new array (null when there are none). Returns how many were made.
int TBoden::placeObjects(TTgaImage* levelMap, int x0, int y0, TRenderable**& objects) {
    objects = nullptr;
    if (!levelMap) return 0;
    const auto kindOf = [&](uint8_t v) { return v < createTableSize ? createTable[v] : nullptr; };
    int count = 0;
    for (int y = y0; y < y0 + tileHeight; ++y) {
        for (int x = x0; x < x0 + tileWidth; ++x) {
            const uint8_t v = levelMap->pixelAddress(x, y)[0];
            if (v == 0) continue;
            if (kindOf(v)) {
                ++count;
            } else {
                ++unplacedPixels;
                unplacedValue[v] = true;
            }
        }
    }
    if (count == 0) return 0;
    objects = new TRenderable*[count];
    int made = 0;
    for (int y = y0; y < y0 + tileHeight; ++y) {
        for (int x = x0; x < x0 + tileWidth; ++x) {
            TInstanceFactory* kind = kindOf(levelMap->pixelAddress(x, y)[0]);
            if (!kind) continue;
            const TVector at(static_cast<float>(x), static_cast<float>(y), getGridHeight(x, y));
            if (TRenderable* object = kind->createInstance(at, 0.0f)) objects[made++] = object;
        }
    }
    return made;
}

void TBoden::logUnplaced() const {
    if (unplacedPixels == 0) return;
    std::string values;
    for (int v = 0; v < kCreateTableCapacity; ++v)
        if (unplacedValue[v]) values += (values.empty() ? "" : ", ") + std::to_string(v);
    logOut() << "Ground: level map '" << mapPath << "': " << unplacedPixels
             << " pixels have a value without a kind (" << values << "); nothing placed there\n";
    logFlush();
}

void TBoden::linkTiles() {
    for (int column = 0; column < tilesX; ++column) {
        for (int row = 0; row < tilesY; ++row) {
            TBodenTile* tile = tiles[row * tilesX + column];
            tile->north = row > 0 ? tiles[(row - 1) * tilesX + column] : nullptr;
            tile->east = column + 1 < tilesX ? tiles[row * tilesX + column + 1] : nullptr;
            tile->south = row + 1 < tilesY ? tiles[(row + 1) * tilesX + column] : nullptr;
            tile->west = column > 0 ? tiles[row * tilesX + column - 1] : nullptr;
        }
        advanceLoading();
    }
}

// ---------------------------------------------------------- material ----

void TBoden::loadPrograms() {
    floorVertexProgram = engine->loadVertexProgram(TString(kFloorVertexProgram));
    floorFragmentProgram = engine->loadFragmentProgram(TString(kFloorFragmentProgram));
    clipVertexProgram = engine->loadVertexProgram(TString(kClipVertexProgram));
    clipFragmentProgram = engine->loadFragmentProgram(TString(kClipFragmentProgram));
}

// Texture units 0 to 4: the blend weights of the three ground textures,
// the three textures, and the light map.
void TBoden::makeMaterial(const TString& shadowMapName) {
    TShadowMap* shadow = new TShadowMap(this, shadowMapName, 1);
    TTextureLayer shadowLayer(TString("bShadow"), 1.0f, 1.0f, 1, 0);
    engine->createTexture(shadow, &shadowLayer);
    delete shadow;

    const TTextureLayer layers[5] = {
        TTextureLayer(TString("bodenalpha.tga"), 1.0f, 1.0f, 1, 0),
        TTextureLayer(TString("tile1.tga"), 1.0f, 1.0f, 1, 0),
        TTextureLayer(TString("tile2.tga"), 1.0f, 1.0f, 1, 0),
        TTextureLayer(TString("tile3.tga"), 1.0f, 1.0f, 1, 0),
        shadowLayer,
    };
    const TColor black(0.0f, 0.0f, 0.0f, 1.0f);
    material = engine->addMaterial(TMaterialData(TString("boden"), black, black, black, 2.0f, 4, layers));
    material->vertexProgramSlot = floorVertexProgram;
    material->fragmentProgramSlot = floorFragmentProgram;
}
