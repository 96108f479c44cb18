#pragma once
// TRenderable is the base of everything the engine or an owner draws once a
// frame: screens, the game, scene nodes, meshes, bones, menu elements, the
// ground, water and the top bar. A drawable filed in a container (a ground
// tile) keeps the container and its handle there, and leaves it when it is
// destroyed.

class TEngine;
class TVector;

// The container a drawable is filed in: a ground tile's list of scene nodes.
class TNodeContainer {
public:
    virtual ~TNodeContainer() = default;
    // Takes the child with this handle out of the container.
    virtual void removeChild(int handle) = 0;
    // Files the node here and sets its handle and container.
    virtual void addChild(class TRenderable* node) = 0;
    // True when the position lies in this container's area.
    virtual bool contains(const TVector& position) = 0;
    // The container that holds the position, or null when none does.
    virtual TNodeContainer* getTileAt(const TVector& position) = 0;
};

class TRenderable {
public:
    TEngine* engine = nullptr;
    unsigned char visible = 0;
    void* ownerData = nullptr;
    int handle = 0;
    TNodeContainer* registry = nullptr;

    TRenderable() = default;
    explicit TRenderable(TEngine* e) : engine(e), visible(1) {}
    TRenderable(const TRenderable&) = delete;
    TRenderable& operator=(const TRenderable&) = delete;

    // Draws the object for the current frame; a screen's render also
    // advances the screen.
    virtual void render() = 0;
    // True: the object is static, baked into the display list of the ground
    // tile that holds it; false (the default): the tile keeps it as a child
    // and draws it each frame.
    virtual bool getFlag() { return false; }
    // Leaves the container the drawable is filed in.
    virtual ~TRenderable() {
        if (registry) registry->removeChild(handle);
    }
    // Refiles the object in the ground tile that holds its position.
    virtual void updateTile() {}
    virtual void renderSecondPass() {}
};
