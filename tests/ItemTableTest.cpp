// The item table reader and writer: the generated table, the reverse order
// of the list, the writer twin, and damaged or hostile tables (texts
// without their zero, slot types the dragon has no slot for, more records
// than the game holds, files cut short).

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/TString.h"
#include "game/TItem.h"
#include "game/TItemInstance.h"
#include "game/TItemList.h"
#include "platform/crt.h"
#include "support/DataFiles.h"

namespace {

struct Record {
    std::string name;
    std::string text;
    float weight = 1.0f, value = 2.0f, armour = 3.0f;
    int32_t slot = 1;
};

void putRaw(std::vector<uint8_t>& b, const void* p, size_t n) {
    const uint8_t* c = static_cast<const uint8_t*>(p);
    b.insert(b.end(), c, c + n);
}

// The bytes of a table: the count, then each record in the file layout.
// Texts longer than their field are cut to it (without a zero).
std::vector<uint8_t> table(int32_t count, const std::vector<Record>& records) {
    std::vector<uint8_t> b;
    putRaw(b, &count, 4);
    for (const Record& r : records) {
        char name[32] = {}, text[128] = {};
        std::memcpy(name, r.name.data(), std::min<size_t>(r.name.size(), 32));
        std::memcpy(text, r.text.data(), std::min<size_t>(r.text.size(), 128));
        putRaw(b, name, 32);
        putRaw(b, text, 128);
        putRaw(b, &r.weight, 4);
        putRaw(b, &r.value, 4);
        putRaw(b, &r.armour, 4);
        putRaw(b, &r.slot, 4);
    }
    return b;
}

std::vector<uint8_t> table(const std::vector<Record>& records) {
    return table(static_cast<int32_t>(records.size()), records);
}

std::string scratch(const std::string& name) {
    return ::testing::TempDir() + "items_" + std::to_string(getpid()) + "_" + name;
}

// Writes the bytes to a scratch file and reads it with the game's reader.
TItemList* loadBytes(const std::vector<uint8_t>& bytes, const std::string& name = "table.itm") {
    const std::string path = scratch(name);
    const int out = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0644);
    EXPECT_GE(out, 0);
    if (!bytes.empty()) {
        EXPECT_EQ(static_cast<int>(bytes.size()), _write(out, bytes.data(), static_cast<unsigned>(bytes.size())));
    }
    _close(out);
    const int in = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    TItemList* list = TItemList::load(in);
    _close(in);
    return list;
}

std::string nameOf(const TItem* item) {
    const TString s = item->getName();
    return std::string(s.buffer, static_cast<size_t>(s.size()));
}

std::string textOf(const TItem* item) {
    const TString s = item->getText();
    return std::string(s.buffer, static_cast<size_t>(s.size()));
}

TEST(ItemTableTest, GeneratedTableListsItsRecordsBackwards) {
    const std::vector<uint8_t> bytes = testdata::readBuildFile("itemdata/items.itm");
    ASSERT_GE(bytes.size(), 4u);
    int32_t count;
    std::memcpy(&count, bytes.data(), 4);

    const int fd = _open("itemdata\\items.itm", _O_RDONLY | _O_BINARY);
    ASSERT_GE(fd, 0);
    TItemList* list = TItemList::load(fd);
    _close(fd);
    ASSERT_NE(nullptr, list);
    ASSERT_EQ(count, list->getCount());
    ASSERT_EQ(7, list->getCount());

    // get(i) is record count - 1 - i of the file.
    for (int i = 0; i < count; ++i) {
        const size_t at = 4 + 176 * static_cast<size_t>(count - 1 - i);
        const TItem* item = list->get(i);
        ASSERT_NE(nullptr, item);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[at])), nameOf(item));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[at + 32])), textOf(item));
        float weight, armour;
        int32_t slot;
        std::memcpy(&weight, &bytes[at + 160], 4);
        std::memcpy(&armour, &bytes[at + 168], 4);
        std::memcpy(&slot, &bytes[at + 172], 4);
        EXPECT_FLOAT_EQ(weight, item->getWeight());
        EXPECT_FLOAT_EQ(armour, item->getArmour());
        EXPECT_EQ(slot, item->getSlotType());
        EXPECT_FLOAT_EQ(armour * armour, item->getPrice());
    }
    EXPECT_EQ("Eisenhelm", nameOf(list->get(0)));
    EXPECT_EQ(nullptr, list->get(count));
    EXPECT_EQ(nullptr, list->get(-1));

    delete list;
}

TEST(ItemTableTest, SaveAndLoadKeepEveryFieldInReverseOrder) {
    TItemList* first = loadBytes(table({{"eins", "a.pff", 1.5f, 7.25f, 1.0f, 1},
                                        {"zwei", "b.pff", 2.5f, 8.5f, 2.0f, 2},
                                        {"drei", "c.pff", 3.5f, 9.75f, 3.0f, 3}}));
    ASSERT_EQ(3, first->getCount());
    EXPECT_EQ("drei", nameOf(first->get(0)));
    EXPECT_EQ("eins", nameOf(first->get(2)));
    EXPECT_FLOAT_EQ(9.0f, first->get(0)->getPrice());

    const std::string path = scratch("roundtrip.itm");
    const int out = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0644);
    ASSERT_TRUE(first->save(out));
    _close(out);
    const int in = _open(path.c_str(), _O_RDONLY | _O_BINARY);
    TItemList* second = TItemList::load(in);
    _close(in);
    ASSERT_EQ(3, second->getCount());
    const char* names[] = {"eins", "zwei", "drei"};
    const float values[] = {7.25f, 8.5f, 9.75f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(names[i], nameOf(second->get(i)));
        EXPECT_FLOAT_EQ(values[i], second->get(i)->getValue());
        EXPECT_EQ(i + 1, second->get(i)->getSlotType());
    }
    delete first;
    delete second;
}

TEST(ItemTableTest, EmptyMissingAndNegativeTablesGiveEmptyLists) {
    for (int32_t count : {0, -1, -100000}) {
        TItemList* list = loadBytes(table(count, {{"eins", "a.pff"}}));
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(0, list->getCount()) << count;
        delete list;
    }
    TItemList* none = TItemList::load(-1);
    ASSERT_NE(nullptr, none);
    EXPECT_EQ(0, none->getCount());
    delete none;
    TItemList* shortCount = loadBytes({7, 0});  // two bytes of a count
    EXPECT_EQ(0, shortCount->getCount());
    delete shortCount;
}

TEST(ItemTableTest, TextsWithoutTheirZeroAreCopiedBoundedByTheirFields) {
    const std::string longName(40, 'N');
    const std::string longText(140, 'T');
    TItemList* list = loadBytes(table({{longName, longText, 1, 1, 1, 2}, {"kurz", "x.pff", 1, 1, 1, 3}}));
    ASSERT_EQ(2, list->getCount());
    const TItem* full = list->get(1);
    EXPECT_EQ(std::string(32, 'N'), nameOf(full));  // never runs on into the text
    EXPECT_EQ(std::string(128, 'T'), textOf(full));  // nor into the numbers
    EXPECT_EQ(2, full->getSlotType());
    EXPECT_EQ("kurz", nameOf(list->get(0)));

    // The instance copies all the bytes of both fields.
    TItemInstance copy(nullptr, *full, nullptr);
    EXPECT_EQ(0, std::memcmp(full->name, copy.item.name, 32));
    EXPECT_EQ(0, std::memcmp(full->text, copy.item.text, 128));
    const TString shared = copy.getName();
    EXPECT_EQ(copy.item.name, shared.buffer);  // shares, does not copy
    EXPECT_EQ(32, shared.size());
    delete list;

    // Built from texts: a longer one is cut, a null one is empty.
    TItem cut(longName.c_str(), nullptr, 0, 0, 0, 1);
    EXPECT_EQ(std::string(32, 'N'), nameOf(&cut));
    EXPECT_EQ(0, cut.getText().size());
    TItem sack("", "", 0.0f, 1.0f, 0.0f, 6);
    EXPECT_EQ(0, sack.getName().size());
}

TEST(ItemTableTest, RecordsTheDragonCannotWearAreLeftOut) {
    const float nan = std::nanf("");
    TItemList* list = loadBytes(table({{"null", "a", 1, 1, 1, 0},
                                       {"kopf", "b", 1, 1, 1, 1},
                                       {"sack", "c", 1, 1, 1, 6},
                                       {"weit", "d", 1, 1, 1, 1000000},
                                       {"minus", "e", 1, 1, 1, -3},
                                       {"arm", "f", 1, 1, 1, 5},
                                       {"leicht", "g", nan, 1, 1, 2},
                                       {"hart", "h", 1, 1, INFINITY, 2},
                                       {"wert", "i", 1, nan, 1, 3}}));
    ASSERT_EQ(3, list->getCount());
    EXPECT_EQ("wert", nameOf(list->get(0)));  // the value is never used
    EXPECT_EQ("arm", nameOf(list->get(1)));
    EXPECT_EQ("kopf", nameOf(list->get(2)));
    delete list;
}

TEST(ItemTableTest, NoMoreRecordsThanTheGameHolds) {
    std::vector<Record> many;
    for (int i = 0; i < 40; ++i) many.push_back({"item" + std::to_string(i), "m.pff", 1, 1, 1, 1 + i % 5});
    TItemList* list = loadBytes(table(many));
    ASSERT_EQ(TItemList::kMaxItems, list->getCount());
    EXPECT_EQ("item31", nameOf(list->get(0)));
    EXPECT_EQ("item0", nameOf(list->get(31)));
    delete list;

    // A count far beyond the records: the table ends with the file.
    TItemList* huge = loadBytes(table(2000000000, {{"a", "a"}, {"b", "b"}}));
    EXPECT_EQ(2, huge->getCount());
    delete huge;
}

TEST(ItemTableTest, DamagedCopiesOfTheGeneratedTable) {
    const std::vector<uint8_t> bytes = testdata::readBuildFile("itemdata/items.itm");
    ASSERT_EQ(4u + 176u * 7u, bytes.size());

    // Cut in the middle of the fourth record: three records survive.
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 4 + 176 * 3 + 100);
    TItemList* list = loadBytes(cut, "cut.itm");
    EXPECT_EQ(3, list->getCount());
    delete list;

    // Only the count.
    list = loadBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), "countonly.itm");
    EXPECT_EQ(0, list->getCount());
    delete list;

    // Every byte flipped in turn in the second record's name, slot and
    // numbers never brings the reader out of its fields.
    for (size_t at = 4 + 176; at < 4 + 2 * 176; at += 7) {
        std::vector<uint8_t> damaged = bytes;
        damaged[at] = static_cast<uint8_t>(~damaged[at]);
        list = loadBytes(damaged, "flipped.itm");
        EXPECT_GE(list->getCount(), 6);
        EXPECT_LE(list->getCount(), 7);
        for (int i = 0; i < list->getCount(); ++i) {
            const TItem* item = list->get(i);
            EXPECT_LE(item->getName().size(), 32);
            EXPECT_LE(item->getText().size(), 128);
            EXPECT_GE(item->getSlotType(), 1);
            EXPECT_LE(item->getSlotType(), 5);
        }
        delete list;
    }
}

}  // namespace
