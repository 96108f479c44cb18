#pragma once
// TEngine is the program's single render engine: it owns the window's GL
// context and its fixed state, keeps the lists of materials, textures, fonts,
// vertex and index arrays and buffer objects (freed only when the engine is
// destroyed), loads GPU programs into its two tables of ten slots, and draws
// one frame per pass of the active screen's loop. While a pbuffer is the
// active render target, the render-context operations are forwarded to it.

#include "engine/TList.h"
#include "engine/TRenderContext.h"
#include "engine/TString.h"
#include "engine/TVector.h"
#include "platform/win32.h"
#include "platform/wgl.h"

class TBufferObject;
class TCamera;
class TFont;
class TImage;
class TIndexArray;
class TMaterial;
class TMaterialData;
class TRenderable;
class TTexture;
class TTextureLayer;
class TVertexArray;

// Frame-rate counter: measures every tenth frame with _ftime.
class TFpsCounter {
public:
    long lastSeconds = 0;
    unsigned short lastMilliseconds = 0;
    int frames = 0;
    float fps = 0.0f;

    virtual ~TFpsCounter() = default;
    void update();
};

class TEngine : public TRenderContext {
public:
    // Renderer switches.
    bool blend = true;
    bool displayLists = true;
    bool frustumCulling = true;
    bool wireframe = false;
    bool mipmapping = true;
    bool linearFiltering = true;
    float lightPosition[4] = {0.0f, -0.707f, -0.707f, 0.0f};
    TMaterial* stdMat = nullptr;

    // GPU program tables (slots handed out in load order, never freed).
    unsigned int vertexProgramIds[10] = {};
    TString vertexProgramNames[10];
    unsigned int fragmentProgramIds[10] = {};
    TString fragmentProgramNames[10];
    int vertexProgramCount = 0;
    int fragmentProgramCount = 0;
    // Per slot: the program compiled. A slot whose program failed keeps its
    // place (loading the name again returns it) but is never bound.
    bool vertexProgramValid[10] = {};
    bool fragmentProgramValid[10] = {};

    HGLRC glContext = nullptr;
    HWND window = nullptr;
    HDC deviceContext = nullptr;
    int width = 0;
    int height = 0;
    TCamera* camera = nullptr;      // applied at the start of every frame
    TRenderable* screen = nullptr;  // the active screen's drawable

    TList<TMaterial> materials;
    TFpsCounter fpsCounter;
    TList<TVertexArray> vertexArrays;
    TList<TIndexArray> indexArrays;
    TList<TVertexArray> spareList;  // one of the engine's listed fields, kept; never filled
    TList<TTexture> textures;
    TList<TFont> fonts;  // newest first; the head prints the frame rate
    TList<TBufferObject> bufferObjects;
    TRenderContext* activeTarget = nullptr;  // the current pbuffer, or null
    TVector directions[256];  // random directions of length 0.0003 for particles

    // The single engine, constructed on the first call with these arguments;
    // later calls ignore them.
    static TEngine* getInstance(int width, int height, HWND window, TCamera* camera, TRenderable* screen);
    // The engine if it exists, else null.
    static TEngine* existing();
    // Deletes the engine (releasing its GL context); getInstance then makes a
    // new one. Deleting the engine directly clears the instance as well.
    static void destroyInstance();

    // Makes the window's GL context and fixed state, loads the extensions and
    // the default material and font. No window, no GL context, or a driver
    // without an entry point the program calls: the "Window Creation Error."
    // box and exit code 1 (nothing could be drawn).
    TEngine(int width, int height, HWND window, TCamera* camera, TRenderable* screen);
    // Frees the lists and programs with the window's context current, then
    // the context.
    ~TEngine() override;

    // Render-context operations (forwarded while a pbuffer is active).
    HGLRC getHandle() override;
    void makeCurrent() override;
    bool toggleVBO() override;
    void setTextureUnitCount(int n) override;
    void setActiveTexture(int unit) override;
    void setUnitTarget(int unit, unsigned int target) override;
    unsigned int getUnitTarget(int unit) override;
    void shrinkTextureUnits(int n) override;
    TMaterial* getMaterial() override;
    void setMaterial(TMaterial* m) override;
    void bindArrayBuffer(TBufferObject* b) override;
    void bindElementBuffer(TBufferObject* b) override;
    TList<TTexture>* getTextureList() override { return &textures; }

    // One frame: counter, clear, camera, screen, stdMat, the "fps: %f" line,
    // swap.
    virtual void renderFrame();
    // A new plain 2D texture from the image, named after the layer's texture
    // name; the image stays the caller's. Null only when allocation fails.
    virtual TTexture* createTexture(TImage* image, TTextureLayer* layer);

    // The 640 x 480 overlay, origin top left, y downward; attributes and both
    // matrices pushed (the caller pops them).
    void begin2D();
    // The linear fog every render target uses: colour (0.5, 0.5, 1.0, 1.0),
    // start 10000, end 100000; on the current context.
    static void setFog();
    // Leaves the overlay: pops the projection and model-view matrices and the
    // attributes that begin2D pushed.
    void end2D();
    bool toggleWireframe();
    bool toggleTransparency();

    // Resource lists and buffers: made, kept and freed by the engine.
    TVertexArray* createVertexArray(int count, int components, int kind);
    TIndexArray* createIndexArray(int count, int components, int kind);
    TBufferObject* createBufferObject(unsigned int target, int size, unsigned int usage);

    // Textures.
    TTexture* findTexture(TTextureLayer* layer);
    static void texturePath(TString& name);  // "tex\" + the part after the last backslash
    bool toggleMipmapping();
    bool toggleFiltering();
    void applyTextureFilter(int minFilter, int magFilter);

    // Materials: newest first by exact name; addMaterial always adds.
    TMaterial* findMaterial(const TString& name);
    TMaterial* addMaterial(const TMaterialData& data);

    // GPU programs: the slot of the file (loaded once; the engine keeps the
    // program). -1, with a log line, when the table is full, the file cannot
    // be read or the driver has no program interface. A program that does not
    // compile shows a message box and still gets a slot, one that is not
    // valid.
    int loadVertexProgram(const TString& fileName);
    int loadFragmentProgram(const TString& fileName);
    // True only for a slot in use whose program compiled; materials bind
    // only such slots (any other slot counts as no program).
    bool isVertexProgramValid(int slot) const;
    bool isFragmentProgramValid(int slot) const;

    // The font of this height and weight, made on first request.
    TFont* getFont(int height, int weight);

private:
    // The GL state set once after the context is made: clear values, depth
    // test, blending, light 0, colour material, fog.
    void setFixedState();
    // Deletes the GL program objects of both tables (context current).
    void deletePrograms();
};
