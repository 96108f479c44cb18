#pragma once
// TItemInstance is an item in the world: its own copy of an item-table
// record, its model, and the bone of the dragon's skeleton that carries it
// while it is worn. The model is made in the dragon's space at its bind
// pose, so drawing it with the bone's skinning matrix puts it where the
// animated bone is. The instance owns its mesh; the game owns the instance.

#include "game/TItem.h"
#include "game/TItemBase.h"
#include "scene/TSceneNode.h"

class TBone;
class TDrache;
class TMesh;

class TItemInstance : public TItemBase, public TSceneNode {
public:
    TBone* bone;  // not owned; null while not worn
    TItem item;   // own copy of the record

    // A node of the mesh at (0, 0, 0) with the model scale, a copy of the
    // record and the bone (null when not worn). Takes ownership of the mesh
    // (which may be null: the item then draws nothing).
    TItemInstance(TMesh* mesh, const TItem& record, TBone* bone);
    // Deletes the mesh.
    ~TItemInstance() override;

    // The mesh at the bone's current pose, relative to the current matrix
    // (at the bind pose while no bone carries it).
    void draw();
    void render() override { draw(); }

    float getWeight() const override { return item.getWeight(); }
    float getArmour() const override { return item.getArmour(); }
    int getSlotType() const override { return item.getSlotType(); }
    TString getName() const override { return item.getName(); }
    void setBone(TBone* b) override { bone = b; }
    TBone* getBone() const override { return bone; }
    void drawWorn() override { draw(); }
    // Finds this instance in the dragon's inventory (first slot first) and
    // puts it on; that slot takes the item it replaces, or becomes empty.
    // Nothing happens for an instance that is not in the inventory.
    void use(TDrache* dragon) override;

    float getPrice() const { return item.getPrice(); }
};
