#pragma once
// TWasser is the level's water: one large quad at a fixed height drawn with
// the six-layer material "wasser" and its program pair. Each frame it first
// draws the scene mirrored about the water plane into the 256 x 256 pbuffer
// "waterpBuff", which the material shows as the reflection, and drifts the
// four texture matrices of the normal maps.

#include <cstdint>

#include "engine/TMatrix.h"
#include "engine/TRenderable.h"
#include "engine/TVector.h"

class TCamera;
class TEngine;
class TMaterial;
class TPBuffer;
class TReflectionDrawer;

class TWasser : public TRenderable {
public:
    static const int kDriftedLayers = 4;

    TMatrix textureMatrices[kDriftedLayers];  // program matrices 0 to 3
    TPBuffer* reflection;  // the reflection target; the engine's texture list owns it
    TVector direction;     // kept as given
    TMaterial* material;   // "wasser"; the engine's material list owns it
    int32_t level;         // the water height in world units
    TReflectionDrawer* reflectionDrawer;  // draws the scene for the reflection
    TCamera* camera;       // applied for the reflection

    // Makes the reflection pbuffer (sharing the engine's GL objects) and the
    // material "wasser" with its programs. The drawer, the camera and the
    // engine are not owned and must outlive the water. A missing texture or
    // program is logged by its loader and the water draws without it; a
    // pbuffer that cannot be made leaves the water without a reflection.
    TWasser(const TVector& direction, TReflectionDrawer* reflectionDrawer, TCamera* camera, int32_t level,
            TEngine* engine);
    // Leaves the material and the pbuffer to the engine's lists.
    ~TWasser() override;

    void render() override { draw(); }
    // The reflection pass, then the surface.
    void draw();
    // The water quad with the drifted normal maps, showing the reflection
    // drawn last; leaves the default material set and the reflection picture
    // released.
    void drawSurface();
    // Draws the scene mirrored about z = level (x 100 in drawing units) into
    // the pbuffer with the water's camera, then makes the previous render
    // target current again. Nothing without a pbuffer.
    void renderReflection();
};
