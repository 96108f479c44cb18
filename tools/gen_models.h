#pragma once
// The model generator's builders, one per topic, and what they share: unit
// scales, material helpers, the dragon's skeleton and body anchors, and the
// item definitions that the item table writes too.
//
// Unit conventions: static models stand with +z up and face -y, in 100 model
// units per world unit (the scene node scales them by 0.01 and flips z); the
// dragon is drawn in drawing units (100 per world unit) facing +y with -z up;
// dwarves face -y with +z up at 200 model units per world unit.

#include <string>
#include <vector>

#include "mesh_builder.h"
#include "model_set.h"
#include "pff.h"
#include "skeleton.h"
#include "texture_painter.h"
#include "vecmath.h"

namespace models {

// The builders' vocabulary.
using gen::M4;
using gen::MeshBuilder;
using gen::UvRect;
using gen::V3;

// Model units per world unit.
constexpr float kStaticScale = 100.0f;
constexpr float kDragonScale = 100.0f;
constexpr float kDwarfScale = 200.0f;

// A one-material model: the material (with its texture layers) and the
// builder's part; `sets` copies of the texture coordinates.
pff::Model singlePartModel(const pff::Material& material, const gen::MeshBuilder& mesh, const std::string& partName,
                           int sets = 1);
// A plain material with one texture layer on coordinate set 0.
pff::Material textureMaterial(const std::string& name, const std::string& texture);

// The dragon's skeleton (drawing units, facing +y, -z up, +x its left) and
// the places on its body that worn items fit around.
Skeleton dragonSkeleton();
struct DragonAnchors {
    gen::V3 headCentre{0, 98, -34}, headRadii{12, 18, 11};
    gen::V3 chestCentre{0, 18, -2}, torsoRadii{26, 52, 22}, torsoCentre{0, 0, -2};
    gen::V3 tailRingCentre{0, -58, -1};
    float tailRadiusAtRing = 14.5f;
    gen::V3 armTop{18, 28, 5}, armElbow{20, 38, 28}, armWrist{20, 44, 42};  // left arm; the right mirrors x
    gen::V3 sackCentre{0, -18, 42};
};
const DragonAnchors& dragonAnchors();

// The builders, one per topic; each adds its files to the set.
void buildDragon(ModelSet& set);
void buildDwarf(ModelSet& set);
void buildBuildings(ModelSet& set);
void buildItems(ModelSet& set);

// Item definitions shared by the item models and the item table.
struct ItemDef {
    std::string name;   // shown in the menus
    std::string model;  // game path of the model, backslash separated
    float weight, value, armour;
    int slot;           // 1 head, 2 chest, 3 tail, 4 left arm, 5 right arm
};
const std::vector<ItemDef>& itemDefinitions();

// Game path ("mods\a\b.pff") to output path ("mods/a/b.pff").
std::string outputPath(const std::string& gamePath);

}  // namespace models
