// The routing table against way-point files this test writes itself (its own
// big-endian writer), damaged copies of them, and the generated level file.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/Log.h"
#include "game/TRoutingTable.h"
#include "support/TestPaths.h"

namespace {

// A way-point file described by its entries. A name of 8 characters is written
// without terminating zero; a target "" is written as eight blanks.
struct Network {
    struct WayPoint {
        std::string name;
        int32_t x, y;
    };
    struct KeyField {
        std::string name;
        int32_t a, b;
        std::vector<std::string> endPoints;
    };
    struct Route {
        std::string wayPoint;
        std::vector<std::pair<std::string, std::string>> items;  // neighbour, target
    };
    std::vector<WayPoint> wayPoints;
    std::vector<KeyField> keyFields;
    std::vector<Route> routes;
    uint8_t headerFill = 0;

    std::vector<uint8_t> bytes() const {
        std::vector<uint8_t> out(109, headerFill);
        for (const WayPoint& w : wayPoints) {
            name(out, w.name);
            int32(out, w.x);
            int32(out, w.y);
        }
        int32(out, static_cast<int32_t>(keyFields.size()));
        for (const KeyField& k : keyFields) {
            name(out, k.name);
            int32(out, k.a);
            int32(out, k.b);
            int32(out, static_cast<int32_t>(k.endPoints.size()));
            for (const std::string& e : k.endPoints) name(out, e);
        }
        for (const Route& r : routes) {
            name(out, r.wayPoint);
            int32(out, static_cast<int32_t>(r.items.size()));
            for (const auto& item : r.items) {
                name(out, item.first);
                if (item.second.empty()) {
                    out.insert(out.end(), 8, ' ');
                } else {
                    name(out, item.second);
                }
            }
        }
        // The way-point count goes in front of its section.
        std::vector<uint8_t> count;
        int32(count, static_cast<int32_t>(wayPoints.size()));
        out.insert(out.begin() + 109, count.begin(), count.end());
        return out;
    }

    static void int32(std::vector<uint8_t>& out, int32_t v) {
        const uint32_t u = static_cast<uint32_t>(v);
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(u >> shift));
    }
    static void name(std::vector<uint8_t>& out, const std::string& text) {
        std::string field = text.substr(0, 8);
        field.resize(8, '\0');
        out.insert(out.end(), field.begin(), field.end());
    }
};

// Five way points on a line (one without routing items, listed in the middle),
// the castle with two end points and a house with one; the routing section
// comes in another order than the way points.
Network smallNetwork() {
    Network n;
    n.wayPoints = {{"1", 100, 100}, {"2", 200, 100}, {"5", 500, 500}, {"3", 300, 100}, {"4", 400, 100}};
    n.keyFields = {{"Burg", 410, 100, {"4", "3"}}, {"Haus1", 90, 100, {"1"}}};
    n.routes = {
        {"4", {{"3", "Haus1"}}},
        {"3", {{"2", "Haus1"}}},
        {"5", {}},
        {"2", {{"3", "Burg"}, {"1", "Haus1"}, {"1", "Burg"}}},
        {"1", {{"2", "Burg"}, {"2", ""}}},
    };
    return n;
}

const char* const kSmallDump =
    "\nAktueller Inhalt von TRoutingTable:\n"
    "Key fields:\n"
    "Name: Burg Endpunkte (2): 4, 3Name: Haus1 Endpunkte (1): 1\n"
    "Way points:\n"
    "Name: 1 RoutingItems (2): Nachbar: 2 Ziel: Burg, Nachbar: 2 Ziel: -\n"
    "Name: 2 RoutingItems (3): Nachbar: 3 Ziel: Burg, Nachbar: 1 Ziel: Haus1, Nachbar: 1 Ziel: Burg\n"
    "Name: 5 RoutingItems (0): "
    "Name: 3 RoutingItems (1): Nachbar: 2 Ziel: Haus1\n"
    "Name: 4 RoutingItems (1): Nachbar: 3 Ziel: Haus1\n"
    "\nEnde aktueller Inhalt von TRoutingTable.\n";

const char* const kEmptyDump =
    "\nAktueller Inhalt von TRoutingTable:\n"
    "Key fields:\n"
    "\n"
    "Way points:\n"
    "\n"
    "Ende aktueller Inhalt von TRoutingTable.\n";

std::string dumpText(const TRoutingTable& table) {
    std::ostringstream out;
    table.dump(out);
    return out.str();
}

// Writes files into a folder of its own and captures the log.
class RoutingTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = binaryDir() + "/test-routing";
        std::filesystem::create_directories(dir_);
        logPath_ = dir_ + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        saved_ = logStream;
        logStream = new std::ofstream(logPath_, std::ios::out | std::ios::trunc);
    }
    void TearDown() override {
        delete logStream;
        logStream = saved_;
    }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        // CTest runs the tests side by side: each one writes files of its own.
        const std::string path =
            dir_ + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" + name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string takeLog() {
        logStream->flush();
        std::ifstream in(logPath_);
        std::stringstream text;
        text << in.rdbuf();
        delete logStream;
        logStream = new std::ofstream(logPath_, std::ios::out | std::ios::trunc);
        return text.str();
    }
    // Loads bytes that must be refused and checks that nothing was kept.
    void expectRefused(const std::string& name, const std::vector<uint8_t>& bytes) {
        TRoutingTable table;
        EXPECT_EQ(-1, table.load(write(name, bytes).c_str())) << name;
        EXPECT_EQ(0, table.wayPointCount) << name;
        EXPECT_EQ(0, table.keyFieldCount) << name;
        EXPECT_EQ(nullptr, table.getWayPoint("1")) << name;
        EXPECT_EQ(kEmptyDump, dumpText(table)) << name;
        const std::string log = takeLog();
        EXPECT_NE(std::string::npos, log.find("file refused\n")) << name << ": " << log;
        EXPECT_EQ(std::string::npos, log.find("Lade way points")) << name;
    }

    std::string dir_;
    std::string logPath_;
    std::ofstream* saved_ = nullptr;
};

TEST_F(RoutingTableTest, LoadsNetworkAndLooksUpByExactName) {
    const std::vector<uint8_t> bytes = smallNetwork().bytes();
    const std::string path = write("small.wpf", bytes);
    TRoutingTable table;
    ASSERT_EQ(0, table.load(path.c_str()));
    EXPECT_EQ("Oeffne RoutingTable Datei '" + path + "'... erfolgreich.\nDateigroesse: " +
                  std::to_string(bytes.size()) + " Bytes.\nLade way points (5)...\nLade key fields (2)...\n",
              takeLog());

    ASSERT_EQ(5, table.wayPointCount);
    ASSERT_EQ(2, table.keyFieldCount);
    EXPECT_STREQ("5", table.wayPoints[2]->name);
    TWayPoint* three = table.getWayPoint("3");
    ASSERT_NE(nullptr, three);
    EXPECT_EQ(table.wayPoints[3], three);
    EXPECT_FLOAT_EQ(300.0f, three->position.x);
    EXPECT_FLOAT_EQ(100.0f, three->position.y);
    EXPECT_FLOAT_EQ(0.0f, three->position.z);

    TKeyField* burg = table.getKeyField("Burg");
    ASSERT_NE(nullptr, burg);
    EXPECT_EQ(table.keyFields[0], burg);
    EXPECT_EQ(410, burg->a);
    EXPECT_EQ(100, burg->b);
    EXPECT_FLOAT_EQ(410.0f, burg->getPosition().x);
    ASSERT_EQ(2, burg->endPointCount);
    EXPECT_EQ(table.getWayPoint("4"), burg->endPoints[0]);
    EXPECT_TRUE(burg->isEndPoint(three));
    EXPECT_FALSE(burg->isEndPoint(table.getWayPoint("2")));

    EXPECT_EQ(nullptr, table.getKeyField("burg"));
    EXPECT_EQ(nullptr, table.getKeyField("Burg "));
    EXPECT_EQ(nullptr, table.getWayPoint("6"));
    EXPECT_EQ(nullptr, table.getWayPoint("Burg"));
}

TEST_F(RoutingTableTest, NextWayPointTakesTheFirstMatchingItem) {
    TRoutingTable table;
    ASSERT_EQ(0, table.load(write("small.wpf", smallNetwork().bytes()).c_str()));
    TWayPoint* one = table.getWayPoint("1");
    TWayPoint* two = table.getWayPoint("2");
    TKeyField* burg = table.getKeyField("Burg");
    TKeyField* haus = table.getKeyField("Haus1");
    EXPECT_EQ(table.getWayPoint("3"), two->getNextWayPoint(burg));  // not the later item to "1"
    EXPECT_EQ(one, two->getNextWayPoint(haus));
    EXPECT_EQ(two, one->getNextWayPoint(burg));
    EXPECT_EQ(nullptr, one->getNextWayPoint(haus));
    EXPECT_EQ(nullptr, table.getWayPoint("5")->getNextWayPoint(burg));
    ASSERT_EQ(2, one->routingItemCount);
    EXPECT_EQ(nullptr, one->routingItems[1]->target);  // eight blanks: no target
    EXPECT_EQ(two, one->routingItems[1]->neighbour);
}

TEST_F(RoutingTableTest, DumpWritesTheExactText) {
    TRoutingTable table;
    EXPECT_EQ(kEmptyDump, dumpText(table));
    ASSERT_EQ(0, table.load(write("small.wpf", smallNetwork().bytes()).c_str()));
    EXPECT_EQ(kSmallDump, dumpText(table));

    Network empty;
    ASSERT_EQ(0, table.load(write("empty.wpf", empty.bytes()).c_str()));  // replaces the first load
    EXPECT_EQ(0, table.wayPointCount);
    EXPECT_EQ(nullptr, table.getWayPoint("1"));
    EXPECT_EQ(kEmptyDump, dumpText(table));
}

TEST_F(RoutingTableTest, HeaderBytesAreIgnored) {
    Network n = smallNetwork();
    n.headerFill = 0xa7;
    TRoutingTable table;
    ASSERT_EQ(0, table.load(write("header.wpf", n.bytes()).c_str()));
    EXPECT_EQ(kSmallDump, dumpText(table));
}

TEST_F(RoutingTableTest, MissingFileFailsAndLeavesTheTableEmpty) {
    const std::string path = dir_ + "/absent.wpf";
    TRoutingTable table;
    EXPECT_EQ(-1, table.load(path.c_str()));
    EXPECT_EQ("Oeffne RoutingTable Datei '" + path + "'... fehlgeschlagen.\n", takeLog());
    EXPECT_EQ(kEmptyDump, dumpText(table));
    EXPECT_EQ(nullptr, table.getKeyField("Burg"));
}

TEST_F(RoutingTableTest, TruncatedFilesAreRefusedAtEveryLength) {
    const std::vector<uint8_t> whole = smallNetwork().bytes();
    for (size_t length = 0; length < whole.size(); ++length) {
        expectRefused("cut" + std::to_string(length) + ".wpf",
                      std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(length)));
    }
}

TEST_F(RoutingTableTest, CountsBeyondTheFileOrNegativeAreRefused) {
    const std::vector<uint8_t> whole = smallNetwork().bytes();
    const size_t keyFieldCountAt = 113 + 5 * 16;
    const size_t endPointCountAt = keyFieldCountAt + 4 + 16;
    const size_t firstRouteCountAt = keyFieldCountAt + 4 + (20 + 16) + (20 + 8) + 8;
    const std::vector<std::pair<size_t, int32_t>> patches = {
        {109, 6},             {109, -1},           {109, INT32_MAX},
        {keyFieldCountAt, 3}, {keyFieldCountAt, -2}, {endPointCountAt, 40},
        {endPointCountAt, -1}, {firstRouteCountAt, 2}, {firstRouteCountAt, INT32_MIN},
    };
    for (const auto& patch : patches) {
        std::vector<uint8_t> bytes = whole;
        std::vector<uint8_t> value;
        Network::int32(value, patch.second);
        std::copy(value.begin(), value.end(), bytes.begin() + static_cast<long>(patch.first));
        expectRefused("count" + std::to_string(patch.first) + "_" + std::to_string(patch.second) + ".wpf", bytes);
    }
}

TEST_F(RoutingTableTest, NamesWithoutTerminatingZeroSkipTheirEntries) {
    Network n = smallNetwork();
    n.wayPoints[2].name = "55555555";             // the way point itself
    n.routes[2].wayPoint = "55555555";            // its routing entry
    n.keyFields[1].name = "Haus1234";             // a key field: its end point is passed over
    n.routes[0].items.push_back({"12345678", ""}); // a neighbour
    const std::string path = write("unterminated.wpf", n.bytes());
    TRoutingTable table;
    ASSERT_EQ(0, table.load(path.c_str()));
    const std::string log = takeLog();
    EXPECT_NE(std::string::npos,
              log.find("Way-point file '" + path + "': 4 names without terminating zero, entries skipped\n"))
        << log;
    EXPECT_EQ(4, table.wayPointCount);
    EXPECT_EQ(1, table.keyFieldCount);
    EXPECT_EQ(nullptr, table.getWayPoint("55555555"));
    EXPECT_EQ(nullptr, table.getKeyField("Haus1234"));
    // Items aimed at the skipped key field no longer resolve.
    EXPECT_EQ(2, table.getWayPoint("2")->routingItemCount);
    EXPECT_EQ(0, table.getWayPoint("4")->routingItemCount);
    EXPECT_NE(std::string::npos, log.find(": 3 names do not resolve, entries skipped\n")) << log;
    EXPECT_NE(std::string::npos, dumpText(table).find("Name: 3 RoutingItems (0): Name: 4 RoutingItems (0): \nEnde"));
}

TEST_F(RoutingTableTest, UnresolvedAndRepeatedNamesSkipTheirEntries) {
    Network n = smallNetwork();
    n.keyFields[0].endPoints.push_back("9");      // an end point
    n.routes[3].items.push_back({"9", "Burg"});   // a neighbour
    n.routes[3].items.push_back({"1", "Turm"});   // a target
    n.routes[2].wayPoint = "7";                   // a routing entry; "5" goes missing
    n.routes[1].wayPoint = "4";                   // "4" twice; "3" goes missing
    n.wayPoints.push_back({"2", 0, 0});           // a way point twice
    n.routes.push_back({"2", {}});
    n.keyFields.push_back({"Haus1", 0, 0, {}});   // a key field twice
    const std::string path = write("unresolved.wpf", n.bytes());
    TRoutingTable table;
    ASSERT_EQ(0, table.load(path.c_str()));
    const std::string prefix = "Way-point file '" + path + "': ";
    const std::string log = takeLog();
    EXPECT_NE(std::string::npos, log.find(prefix + "4 names do not resolve, entries skipped\n")) << log;
    EXPECT_NE(std::string::npos, log.find(prefix + "4 names given twice, entries skipped\n")) << log;
    EXPECT_NE(std::string::npos, log.find(prefix + "2 way points missing from the routing section\n")) << log;

    EXPECT_EQ(5, table.wayPointCount);
    EXPECT_EQ(2, table.keyFieldCount);
    EXPECT_FLOAT_EQ(200.0f, table.getWayPoint("2")->position.x);  // the first one counts
    EXPECT_EQ(90, table.getKeyField("Haus1")->a);
    EXPECT_EQ(2, table.getKeyField("Burg")->endPointCount);
    TWayPoint* two = table.getWayPoint("2");
    EXPECT_EQ(3, two->routingItemCount);  // first entry kept, bad items dropped
    TWayPoint* four = table.getWayPoint("4");
    ASSERT_EQ(1, four->routingItemCount);
    EXPECT_EQ(table.getWayPoint("3"), four->routingItems[0]->neighbour);  // the first of the two entries
    EXPECT_EQ(0, table.getWayPoint("3")->routingItemCount);
    EXPECT_NE(std::string::npos, dumpText(table).find("Name: 3 RoutingItems (0): Name: 4"));
}

TEST_F(RoutingTableTest, NearestKeyFieldFirstOfEquallyNearWins) {
    TRoutingTable table;
    EXPECT_EQ(nullptr, table.nearestKeyField(TVector(0.0f, 0.0f, 0.0f)));
    EXPECT_EQ("Fehler bei TKI::getNextKeyField!\n", takeLog());

    Network n;
    n.wayPoints = {{"1", 0, 0}};
    n.keyFields = {{"Haus2", 300, 100, {"1"}}, {"Burg", 100, 100, {"1"}}, {"Haus1", 100, 300, {"1"}}};
    n.routes = {{"1", {}}};
    ASSERT_EQ(0, table.load(write("near.wpf", n.bytes()).c_str()));
    takeLog();
    EXPECT_STREQ("Burg", table.nearestKeyField(TVector(110.0f, 90.0f, 50.0f))->name);
    // (200, 200) is as near to all three; (100, 200) as near to Burg and Haus1.
    EXPECT_STREQ("Haus2", table.nearestKeyField(TVector(200.0f, 200.0f, 0.0f))->name);
    EXPECT_STREQ("Burg", table.nearestKeyField(TVector(100.0f, 200.0f, 0.0f))->name);
    EXPECT_STREQ("Haus1", table.nearestKeyField(TVector(100.0f, 201.0f, 0.0f))->name);
    EXPECT_EQ("", takeLog());
}

// Every way point reaches every key field's end points by its next hops.
TEST_F(RoutingTableTest, GeneratedLevelRoutesAllEnd) {
    const std::string path = binaryDir() + "/Levels/Level_1.wpf";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no generated way-point file";
    TRoutingTable table;
    ASSERT_EQ(0, table.load(path.c_str()));
    EXPECT_EQ(std::string::npos, takeLog().find("Way-point file"));  // nothing skipped
    ASSERT_GT(table.wayPointCount, 0);
    ASSERT_NE(nullptr, table.getKeyField("Burg"));
    for (int32_t k = 0; k < table.keyFieldCount; ++k) {
        const TKeyField* target = table.keyFields[k];
        ASSERT_GT(target->endPointCount, 0) << target->name;
        for (int32_t w = 0; w < table.wayPointCount; ++w) {
            const TWayPoint* at = table.wayPoints[w];
            int32_t steps = 0;
            while (at && !target->isEndPoint(at) && steps <= table.wayPointCount) {
                at = at->getNextWayPoint(target);
                ++steps;
            }
            EXPECT_TRUE(at && target->isEndPoint(at))
                << "from " << table.wayPoints[w]->name << " to " << target->name << " after " << steps << " steps";
        }
    }
}

}  // namespace
