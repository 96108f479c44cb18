// The generated item table: its layout, and that every record names a
// worn-item model that exists and a body slot the dragon has.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/TestPaths.h"

namespace {

std::vector<unsigned char> readAll(const std::string& path) {
    std::vector<unsigned char> d;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return d;
    unsigned char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) d.insert(d.end(), buf, buf + n);
    std::fclose(f);
    return d;
}

int32_t i32(const std::vector<unsigned char>& d, size_t at) {
    int32_t v;
    std::memcpy(&v, &d[at], 4);
    return v;
}

float f32(const std::vector<unsigned char>& d, size_t at) {
    float v;
    std::memcpy(&v, &d[at], 4);
    return v;
}

std::string field(const std::vector<unsigned char>& d, size_t at, size_t size, bool& terminated) {
    const char* p = reinterpret_cast<const char*>(&d[at]);
    terminated = std::memchr(p, 0, size) != nullptr;
    return std::string(p, strnlen(p, size));
}

}  // namespace

TEST(ItemTableDataTest, RecordsNameExistingModelsAndDragonSlots) {
    const std::vector<unsigned char> d = readAll(binaryDir() + "/itemdata/items.itm");
    ASSERT_GE(d.size(), 4u);
    const int32_t count = i32(d, 0);
    ASSERT_GT(count, 0);
    ASSERT_LE(count, 10) << "the castle menu offers ten entries";
    ASSERT_EQ(d.size(), 4u + 176u * static_cast<size_t>(count));
    bool slots[6] = {false, false, false, false, false, false};
    for (int32_t i = 0; i < count; ++i) {
        const size_t at = 4 + 176 * static_cast<size_t>(i);
        bool nameTerm = false, textTerm = false;
        const std::string name = field(d, at, 32, nameTerm);
        const std::string model = field(d, at + 32, 128, textTerm);
        SCOPED_TRACE(name);
        EXPECT_TRUE(nameTerm);
        EXPECT_TRUE(textTerm);
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(name.find('%'), std::string::npos);
        EXPECT_GT(f32(d, at + 160), 0.0f);  // weight
        EXPECT_GT(f32(d, at + 168), 0.0f);  // armour, so a price
        const int32_t slot = i32(d, at + 172);
        ASSERT_GE(slot, 1);
        ASSERT_LE(slot, 5);
        slots[slot] = true;
        std::string path = model;
        for (char& c : path)
            if (c == '\\') c = '/';
        EXPECT_FALSE(readAll(binaryDir() + "/" + path).empty()) << model;
    }
    for (int s = 1; s <= 5; ++s) EXPECT_TRUE(slots[s]) << "no item for slot " << s;
    // The catalogue lists the file backwards: the first offer is the last record.
    bool term = false;
    EXPECT_EQ(field(d, 4 + 176 * static_cast<size_t>(count - 1), 32, term), "Eisenhelm");
}
