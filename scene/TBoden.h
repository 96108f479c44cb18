#pragma once
// TBoden is the level's ground: the heights of a TGA height image cut into
// tilesX x tilesY tiles that share one index table, drawn each frame at a
// level of detail chosen by their distance from the camera, with seam strips
// so that neighbouring tiles of different detail meet without cracks. It
// answers height queries, places the level's objects from the level map
// through a table of kinds, and owns the shadow texture "bShadow" and the
// ground material "boden" (both kept by the engine).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/TList.h"
#include "engine/TRenderable.h"
#include "engine/TString.h"
#include "engine/TVector.h"
#include "scene/TBodenBlocks.h"
#include "scene/THeightSource.h"

class TBodenTile;
class TBufferObject;
class TCamera;
class TEngine;
class TImage;
class TIndexArray;
class TInstanceFactory;
class TMaterial;
class TTgaImage;

class TBoden : public TRenderable, public THeightSource {
public:
    // Bytes of each buffer object the tiles' vertices are packed into.
    static const int kVertexBufferSize = 8388608;
    static const int kCreateTableCapacity = 256;
    // Height of a sample outside the height image (the sea floor).
    static constexpr float kOutsideHeight = 512.0f;
    // The clipping programs drop every fragment that lies below this height
    // (the water; z grows downward). A tile whose vertices all lie more
    // than kClipMargin below it leaves nothing in the clipped pass.
    static constexpr float kClipHeight = 500.0f;
    static constexpr float kClipMargin = 1.0f;

    int samplesX;  // vertices per tile along x: tile width + 1
    int samplesY;  // vertices per tile along y: tile height + 1
    int tilesX;
    int tilesY;
    int floorVertexProgram;    // engine program slots; -1 when not loaded
    int floorFragmentProgram;
    int clipVertexProgram;     // the reflection pass's pair
    int clipFragmentProgram;
    TMaterial* material;       // "boden", owned by the engine
    TTgaImage* heightImage;    // owned; null when the file could not be used
    TBufferObject* vertexBuffer;   // the one tiles are packed into now (engine's)
    TBufferObject* elementBuffer;  // given by the caller, may be null
    TBodenTile** tiles;            // tilesX * tilesY, index row * tilesX + column
    TIndexArray* indices;          // three corners per triangle, shared by all tiles
    int levelsBuilt;
    int triangleCount;
    int* levelStart;   // lodCount + 2 entries: first interior triangle of each level
    int* seamRanges;   // 6 per level + 1: triangle bounds of the seam strips
    int lodCount;
    TInstanceFactory* createTable[kCreateTableCapacity];
    int createTableSize;
    TList<TBodenTile> drawList;  // the tiles visible this frame, not owned
    // The interior of every level again, block by block, and its copy for
    // GL (packed after the shared indices when the element buffer has room).
    TBodenBlocks blockTable;
    TIndexArray* blockIndices;
    // While a pass of the draw list runs with frustum culling on: what it
    // can show, so that tiles leave out the blocks it cannot. Null otherwise
    // (a tile then draws its whole interior).
    const TBodenBlocks::View* passView;

    int tileWidth;   // samples per tile along x (image width / tilesX)
    int tileHeight;  // samples per tile along y (image height / tilesY)

    // Called with 0.001 after each row of index building, each row of tiles
    // and each column of tiles linked; the loading screen advances by it and
    // draws a frame. Empty: nothing is called.
    static std::function<void(float step)> progressHook;

    // Builds the ground from the height image, places the objects of the
    // level map (24-bit, the height image's size; the first byte of a pixel
    // indexes createTable), loads the floor programs, the shadow map
    // (shadowMapName, raw luminance bytes) as texture "bShadow" and makes
    // the material "boden". A height image that cannot be used (missing, or
    // its size not a multiple of the tile counts) gives a flat ground of
    // height 512 without tiles; a level map that cannot be used places
    // nothing; each with a log line naming the file. Without an engine
    // nothing is drawn or uploaded (heights, tiles and objects only).
    TBoden(const TString& heightImageName, const TString& mapImageName, const TString& shadowMapName,
           TInstanceFactory* const* createTable, int createTableSize, int tilesY, int lodCount,
           TBufferObject* elementBuffer, TEngine* engine, int tilesX = 16);
    // Deletes the tiles (and with them the static objects they drew into
    // their display lists) and the height image. Objects still filed in a
    // tile belong to the game: they are only unfiled.
    ~TBoden() override;

    // The bilinear height under p from the four samples around it.
    float getHeight(const TVector& p) override;
    // The height of sample (x, y): 512 - (b0 + 256 b1 + 65536 b2) / 32768 of
    // the pixel's first three bytes; 512 outside the image.
    float getGridHeight(int x, int y) const;

    // Visibility and level of detail for the next frame: positions of the
    // camera are divided by lodScale to reach ground units; tiles farther
    // than maxDistance (in distance ratios) are never drawn. Neighbouring
    // visible tiles end at most one level apart.
    void update(TCamera* camera, float lodScale, float maxDistance);
    // The ground with the floor programs.
    void render() override { draw(); }
    void draw();
    // The ground through the clipping programs (clip set: the mirrored pass
    // of the water reflection; tiles wholly below the water are left out,
    // they would show nothing) or the floor programs, `bias` levels of
    // detail coarser than the tiles' own.
    void drawVertexArrays(bool clip, int bias = 0);
    // The objects of every visible tile of level below 4.
    void drawDisplayLists();

    // The tile under p, or null beyond the tiles.
    TBodenTile* getTileAt(const TVector& p) const;
    // A handle for a node filed in a tile; unique over the ground's life.
    int newHandle() { return ++lastHandle; }

    // The level of detail of a tile at distance ratio r: 0 up to 1.0, then
    // the bit length of int(r) - 1, at most lodCount.
    static int levelForRatio(float r, int lodCount);
    // Lowers the level of visible neighbours of draw-list tiles until no
    // two visible neighbours differ by more than one.
    void relaxSeams();

private:
    bool loadHeights(const char* path, int requestedTilesX, int requestedTilesY);
    TTgaImage* loadLevelMap(const char* path) const;
    void buildIndices();
    void appendInterior(int level, std::vector<int>& corners) const;
    void appendSeams(int level, std::vector<int>& corners, int* bounds) const;
    void buildTiles(TTgaImage* levelMap);
    int placeObjects(TTgaImage* levelMap, int x0, int y0, TRenderable**& objects);
    void linkTiles();
    void uploadIndices();
    void uploadIndexArray(TIndexArray* array, const char* what);
    void loadPrograms();
    void makeMaterial(const TString& shadowMapName);
    void useFloorPrograms(int vertexProgram, int fragmentProgram);
    void drawTiles(bool clip, int bias);
    void insertByDepth(TBodenTile* tile, const TCamera* camera, float lodScale);
    void advanceLoading() const;
    void logUnplaced() const;

    std::string heightPath;  // for log lines
    std::string mapPath;
    int imageWidth;
    int imageHeight;
    int lastHandle;
    int unplacedPixels;  // map pixels whose value has no kind
    bool unplacedValue[kCreateTableCapacity];
    TIndexArray* ownedIndices;  // the index array when there is no engine to keep it
    TIndexArray* ownedBlockIndices;
    std::vector<TBodenTile*> drawOrder;  // the surfaces of one pass, nearest first
};
