// Item table generator: itemdata/items.itm, little-endian, a count and one
// 176-byte record per item (name, model path, weight, value, armour, slot).
// The game lists the records in reverse file order, so they are written
// last menu entry first.

#include <cstdio>
#include <sys/stat.h>

#include "common.h"
#include "gen_models.h"
#include "generators.h"

namespace {

constexpr size_t kNameField = 32;
constexpr size_t kTextField = 128;
constexpr size_t kMaxItems = 32;     // the game's catalogue
constexpr size_t kOfferedItems = 10;  // buttons of the castle menu

bool fail(const std::string& what) {
    std::fprintf(stderr, "datagen: items: %s\n", what.c_str());
    return false;
}

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool checkItem(const models::ItemDef& item, const std::string& out) {
    if (item.name.empty() || item.name.size() >= kNameField) return fail("name '" + item.name + "' does not fit");
    if (item.name.find('%') != std::string::npos) return fail("name '" + item.name + "' holds a '%'");
    if (item.model.size() >= kTextField) return fail("model path of '" + item.name + "' does not fit");
    if (item.slot < 1 || item.slot > 5) return fail("slot type of '" + item.name + "' is not 1 to 5");
    if (!exists(out + "/" + models::outputPath(item.model))) return fail("model " + item.model + " is missing");
    return true;
}

}  // namespace

bool generateItems(const std::string& out) {
    const std::vector<models::ItemDef>& items = models::itemDefinitions();
    if (items.size() > kMaxItems || items.size() > kOfferedItems) return fail("too many items");
    std::vector<uint8_t> b;
    gen::putI32LE(b, static_cast<int32_t>(items.size()));
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        if (!checkItem(*it, out)) return false;
        gen::putName(b, it->name, kNameField);
        gen::putName(b, it->model, kTextField);
        gen::putF32LE(b, it->weight);
        gen::putF32LE(b, it->value);
        gen::putF32LE(b, it->armour);
        gen::putI32LE(b, it->slot);
    }
    return gen::writeFile(out + "/itemdata/items.itm", b);
}
