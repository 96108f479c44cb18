#include "fuzz/FuzzEntries.h"

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <vector>

#include "engine/TProperties.h"
#include "engine/TString.h"
#include "engine/TTgaImage.h"
#include "game/TItemList.h"
#include "game/TRoutingTable.h"
#include "platform/crt.h"
#include "platform/nvfp.h"
#include "scene/TBoden.h"
#include "scene/TBone.h"
#include "scene/TInstanceFactory.h"
#include "scene/TMesh.h"
#include "scene/TPffData.h"
#include "scene/TShadowMap.h"
#include "scene/TSkeleton.h"
#include "scene/TSkinWeights.h"
#include "scene/TSkinnedMesh.h"

namespace {

std::string& scratchPath() {
    static std::string path;
    return path;
}

void removeScratchFolder() {
    std::error_code ignored;
    if (!scratchPath().empty()) std::filesystem::remove_all(scratchPath(), ignored);
}

// A folder of this process's own for the files the loaders read (under
// TMPDIR or /tmp), removed when the process ends.
const std::string& scratchFolder() {
    if (scratchPath().empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzzentries.XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data())) {
            scratchPath() = buffer.data();
            std::atexit(removeScratchFolder);
        } else {
            scratchPath() = "/tmp";
        }
    }
    return scratchPath();
}

// Writes the input as the file `name` in the scratch folder; its path.
std::string writeInput(const char* name, const uint8_t* data, size_t size) {
    const std::string path = scratchFolder() + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return path;
    size_t done = 0;
    while (done < size) {
        const ssize_t wrote = ::write(fd, data + done, size - done);
        if (wrote <= 0) break;
        done += static_cast<size_t>(wrote);
    }
    ::close(fd);
    return path;
}

// A placement kind that places nothing.
class NoObjects : public TInstanceFactory {
public:
    TRenderable* createInstance(const TVector&, float) override { return nullptr; }
};

// The skeleton of a generated skinned model, or of a small stand-in tree
// when the data set is not there.
std::unique_ptr<TSkeleton> skeletonOf(const char* relativePath) {
    std::unique_ptr<TSkeleton> skeleton(new TSkeleton(nullptr));
    const std::string path = std::string(GAME_BINARY_DIR) + "/" + relativePath;
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    std::vector<TSkinWeights*> blocks;
    TPffData* model = fd >= 0 ? TSkinnedMesh::readSkinnedModel(fd, TString(path.c_str()), false, blocks) : nullptr;
    if (fd >= 0) _close(fd);
    if (!model) {
        model = new TPffData();
        const char* names[][2] = {{"Bone01", "none"}, {"Bone02", "Bone01"}, {"Bone03", "Bone01"}};
        for (const auto& n : names) {
            TMeshPart* part = new TMeshPart();
            part->setName(n[0]);
            part->setParentName(n[1]);
            model->partList.pushFront(part, false);
        }
    }
    skeleton->build(model);
    for (TSkinWeights* b : blocks) delete b;
    delete model;
    return skeleton;
}

// A 64 x 64 ground of 16 x 16 tiles, without engine, for the shadow map.
const TBoden* shadowOwner() {
    static const TBoden* owner = [] {
        const int side = 64;
        std::vector<uint8_t> tga(18, 0);
        tga[2] = 2;
        tga[12] = side;
        tga[14] = side;
        tga[16] = 24;
        tga.resize(18 + 3 * side * side, 0x40);
        const std::string heights = writeInput("shadow_heights.tga", tga.data(), tga.size());
        const std::string none = scratchFolder() + "/none";
        return new TBoden(TString(heights.c_str()), TString(none.c_str()), TString(none.c_str()), nullptr, 0, 16, 4,
                          nullptr, nullptr, 16);
    }();
    return owner;
}

}  // namespace

void fuzzTga(const uint8_t* data, size_t size) {
    const std::string path = writeInput("image.tga", data, size);
    TTgaImage image{TString(path.c_str())};
    if (!image.hasPixels()) return;
    image.getInternalFormat();
    if (image.width > 64 || image.height > 64) return;
    // The level's images: this one as the height image and the level map.
    static NoObjects nothing;
    TInstanceFactory* table[TBoden::kCreateTableCapacity];
    for (TInstanceFactory*& kind : table) kind = &nothing;
    TBoden ground(TString(path.c_str()), TString(path.c_str()), TString(path.c_str()), table,
                  TBoden::kCreateTableCapacity, 16, 7, nullptr, nullptr, 16);
    ground.getHeight(TVector(3.5f, 7.25f, 0.0f));
    ground.getTileAt(TVector(1.0f, 1.0f, 0.0f));
}

void fuzzProperties(const uint8_t* data, size_t size) {
    const std::string path = writeInput("init.props", data, size);
    TProperties properties;
    properties.load(path.c_str());
    for (const char* key : {"RESX", "RESY", "STARTZ", "MUSIC_VOLUME", "MAX_BURG_GOLD"}) {
        properties.getInt(key);
        properties.getFloat(key);
    }
    for (const char* key : {"FULLSCREEN", "CURSOR", "STARTUP", "SOUND", "MUSIC", "MUSIC0", "MUSIC0_TYPE"}) {
        properties.getString(key);
        properties.isValue(key, "ON");
    }
}

void fuzzModel(const uint8_t* data, size_t size) {
    const std::string path = writeInput("model.pff", data, size);
    const TString name(path.c_str());
    int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    delete TMesh::readModel(fd, name, true);
    _close(fd);

    fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    std::vector<TSkinWeights*> blocks;
    TPffData* model = TSkinnedMesh::readSkinnedModel(fd, name, true, blocks);
    _close(fd);
    if (model) {
        TSkeleton skeleton(nullptr);
        skeleton.build(model);
        TSkeleton instance(skeleton);
        for (TSkinWeights* b : blocks)
            for (int i = 0; i < skeleton.getBoneCount(); ++i) b->findBone(skeleton.bones[i]->name);
    }
    for (TSkinWeights* b : blocks) delete b;
    delete model;
}

void fuzzAnimation(const uint8_t* data, size_t size) {
    static const std::unique_ptr<TSkeleton> dragon = skeletonOf("mods/drache/mesh.pff");
    static const std::unique_ptr<TSkeleton> dwarf = skeletonOf("mods/zwerg/mesh.pff");
    const std::string path = writeInput("ani.pff", data, size);
    // Steps of every length: a frame, a second, a jump to the far end.
    const int steps[] = {0, 16, 16, 1000, 250, 33, 100000, INT_MAX, 16, -5, 16};
    for (const TSkeleton* base : {dragon.get(), dwarf.get()}) {
        TSkeleton model(*base);
        const int track = model.loadAnimation(TString(path.c_str()));
        if (track < 0) continue;
        TSkeleton instance(model);
        instance.startAnimation(track, TSkeleton::kRestartTime);
        for (int dt : steps) instance.advance(dt);
        instance.startAnimation(track, INT_MIN);
        for (int dt : steps) instance.advance(dt);
    }
}

void fuzzWayPoints(const uint8_t* data, size_t size) {
    const std::string path = writeInput("Level.wpf", data, size);
    TRoutingTable table;
    if (table.load(path.c_str()) < 0) return;
    std::ostringstream dump;
    table.dump(dump);
    for (float x : {0.0f, 1024.0f, 2047.0f, -1.0e30f})
        for (float y : {0.0f, 1024.0f, 1.0e30f}) table.nearestKeyField(TVector(x, y, 0.0f));
    // A walker's look-ups: its way point by name, the next hop to a key field.
    for (int i = 0; i < table.wayPointCount; ++i) {
        const TWayPoint* point = table.wayPoints[i];
        table.getWayPoint(point->name);
        if (table.keyFieldCount > 0) point->getNextWayPoint(table.keyFields[i % table.keyFieldCount]);
    }
}

void fuzzItems(const uint8_t* data, size_t size) {
    const std::string path = writeInput("items.itm", data, size);
    const int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    std::unique_ptr<TItemList> table(TItemList::load(fd));
    _close(fd);
    if (!table) return;
    for (int i = 0; i < table->getCount(); ++i) {
        const TItem* item = table->get(i);
        char name[TItem::kNameSize + 1];
        char text[TItem::kTextSize + 1];
        item->getName().copyTo(name);
        item->getText().copyTo(text);
        item->getPrice();
    }
    const std::string copy = scratchFolder() + "/items_copy.itm";
    const int out = _open(copy.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0600);
    table->save(out);
    _close(out);
}

void fuzzShadowMap(const uint8_t* data, size_t size) {
    const std::string path = writeInput("shadow.sdm", data, size);
    TShadowMap map(shadowOwner(), TString(path.c_str()), 1);
    map.getInternalFormat();
}

void fuzzNvProgram(const uint8_t* data, size_t size) {
    platform::NvTranslation translation;
    platform::nvTranslateFragmentProgram(reinterpret_cast<const char*>(data), size, translation);
}

FuzzEntry findFuzzEntry(const std::string& target) {
    static const struct {
        const char* name;
        FuzzEntry entry;
    } entries[] = {{"tga", fuzzTga},         {"properties", fuzzProperties}, {"model", fuzzModel},
                   {"animation", fuzzAnimation}, {"waypoints", fuzzWayPoints}, {"items", fuzzItems},
                   {"shadowmap", fuzzShadowMap}, {"nvprogram", fuzzNvProgram}};
    for (const auto& e : entries)
        if (target == e.name) return e.entry;
    return nullptr;
}
