// The generated way-point file, read back with a reader of its own: format,
// names, routes to every key field, and its fit with the level map.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/DataFiles.h"

namespace {

struct Point {
    int x = 0, y = 0;
    std::vector<std::pair<std::string, std::string>> items;  // neighbour, target
};

struct Field {
    std::string name;
    int a = 0, b = 0;
    std::vector<std::string> ends;
};

struct WayPoints {
    bool ok = false;
    std::vector<std::string> order;  // way points in file order
    std::map<std::string, Point> points;
    std::vector<Field> fields;
};

class Cursor {
public:
    explicit Cursor(const std::vector<uint8_t>& b) : b_(b) {}
    bool fits(size_t n) const { return pos_ + n <= b_.size(); }
    bool atEnd() const { return pos_ == b_.size(); }
    void skip(size_t n) { pos_ += n; }
    int32_t be32() {
        const size_t p = pos_;
        pos_ += 4;
        return static_cast<int32_t>((uint32_t(b_[p]) << 24) | (b_[p + 1] << 16) | (b_[p + 2] << 8) | b_[p + 3]);
    }
    // A name field; `terminated` turns false when its 8 bytes hold no zero.
    std::string name(bool& terminated) {
        std::string s;
        size_t i = 0;
        while (i < 8 && b_[pos_ + i]) s += static_cast<char>(b_[pos_ + i++]);
        terminated = terminated && i < 8;
        pos_ += 8;
        return s;
    }

private:
    const std::vector<uint8_t>& b_;
    size_t pos_ = 0;
};

WayPoints load() {
    const std::vector<uint8_t> bytes = testdata::readBuildFile("Levels/Level_1.wpf");
    WayPoints w;
    Cursor c(bytes);
    bool terminated = true;
    if (!c.fits(113)) return w;
    c.skip(109);
    const int count = c.be32();
    if (count <= 0 || !c.fits(static_cast<size_t>(count) * 16 + 4)) return w;
    for (int i = 0; i < count; ++i) {
        const std::string n = c.name(terminated);
        Point p;
        p.x = c.be32();
        p.y = c.be32();
        w.order.push_back(n);
        w.points[n] = p;
    }
    const int fields = c.be32();
    for (int i = 0; i < fields; ++i) {
        if (!c.fits(20)) return w;
        Field f;
        f.name = c.name(terminated);
        f.a = c.be32();
        f.b = c.be32();
        const int ends = c.be32();
        if (ends < 0 || !c.fits(static_cast<size_t>(ends) * 8)) return w;
        for (int j = 0; j < ends; ++j) f.ends.push_back(c.name(terminated));
        w.fields.push_back(f);
    }
    for (int i = 0; i < count; ++i) {
        if (!c.fits(12)) return w;
        const std::string n = c.name(terminated);
        const int items = c.be32();
        if (items < 0 || !c.fits(static_cast<size_t>(items) * 16) || !w.points.count(n)) return w;
        for (int j = 0; j < items; ++j) {
            std::string neighbour = c.name(terminated);
            w.points[n].items.emplace_back(neighbour, c.name(terminated));
        }
    }
    w.ok = c.atEnd() && terminated && w.points.size() == w.order.size();
    return w;
}

const std::string* nextHop(const Point& p, const std::string& field) {
    for (const auto& item : p.items)
        if (item.second == field) return &item.first;
    return nullptr;
}

bool isEnd(const Field& f, const std::string& point) {
    for (const std::string& e : f.ends)
        if (e == point) return true;
    return false;
}

float distance(int ax, int ay, int bx, int by) { return std::hypot(float(ax - bx), float(ay - by)); }

TEST(WayPointDataTest, FileFollowsTheFormatAndAllNamesResolve) {
    const WayPoints w = load();
    ASSERT_TRUE(w.ok);
    std::set<std::string> fieldNames;
    for (const Field& f : w.fields) {
        EXPECT_TRUE(fieldNames.insert(f.name).second) << "key field twice: " << f.name;
        EXPECT_FALSE(f.ends.empty()) << f.name;
        for (const std::string& e : f.ends) EXPECT_TRUE(w.points.count(e)) << e;
    }
    EXPECT_TRUE(fieldNames.count("Burg"));
    // The controller puts dwarves that already exist at way point "4".
    EXPECT_TRUE(w.points.count("4"));
    for (const auto& [name, p] : w.points) {
        for (const auto& [neighbour, target] : p.items) {
            ASSERT_TRUE(w.points.count(neighbour)) << neighbour;
            EXPECT_TRUE(fieldNames.count(target)) << target;
            const Point& n = w.points.at(neighbour);
            EXPECT_GE(distance(p.x, p.y, n.x, n.y), 50.0f) << name << " -> " << neighbour;
        }
    }
}

// As a dwarf walks: from any way point, take the first item for the key field
// until an end point of it is reached, never stepping back or in a circle.
TEST(WayPointDataTest, EveryRouteEndsAtItsKeyField) {
    const WayPoints w = load();
    ASSERT_TRUE(w.ok);
    for (const Field& f : w.fields) {
        for (const std::string& start : w.order) {
            const bool end = isEnd(f, start);
            EXPECT_EQ(nextHop(w.points.at(start), f.name) == nullptr, end) << start << " / " << f.name;
            std::set<std::string> seen;
            std::string previous, current = start;
            while (!isEnd(f, current)) {
                ASSERT_TRUE(seen.insert(current).second) << "loop from " << start << " to " << f.name;
                const std::string* next = nextHop(w.points.at(current), f.name);
                ASSERT_NE(next, nullptr) << current << " / " << f.name;
                ASSERT_NE(*next, previous) << "back step at " << current << " toward " << f.name;
                previous = current;
                current = *next;
            }
        }
    }
}

TEST(WayPointDataTest, HousesFindTheirOwnKeyFieldsAndTheRoadsLieOnLand) {
    const WayPoints w = load();
    ASSERT_TRUE(w.ok);
    const testdata::Tga map = testdata::readTga("terrain/LevelMap_1.tga");
    const testdata::Tga heights = testdata::readTga("terrain/bodenheight1.tga");
    ASSERT_TRUE(map.valid() && heights.valid());
    std::set<std::string> owned;
    int castleX = -1, castleY = -1;
    for (int y = 0; y < map.height; ++y) {
        for (int x = 0; x < map.width; ++x) {
            const int code = map.at(x, y)[0];
            if (code == 100) castleX = x, castleY = y;
            if (code != 200) continue;
            // Nearest in x and y; only a strictly nearer one replaces the best.
            const Field* best = nullptr;
            float bestDistance = 1.0e8f;
            for (const Field& f : w.fields) {
                const float d = distance(f.a, f.b, x, y);
                if (d < bestDistance) bestDistance = d, best = &f;
            }
            ASSERT_NE(best, nullptr);
            EXPECT_NE(best->name, "Burg") << "house at " << x << "," << y;
            EXPECT_TRUE(owned.insert(best->name).second) << "two houses share " << best->name;
            const Point& end = w.points.at(best->ends.front());
            EXPECT_LT(distance(end.x, end.y, x, y), 30.0f) << best->name;
        }
    }
    EXPECT_EQ(owned.size() + 1, w.fields.size());
    ASSERT_GE(castleX, 0);
    for (const Field& f : w.fields) {
        if (f.name != "Burg") continue;
        EXPECT_EQ(f.a, castleX);
        EXPECT_EQ(f.b, castleY);
        for (const std::string& e : f.ends)
            EXPECT_LT(distance(w.points.at(e).x, w.points.at(e).y, castleX, castleY), 80.0f) << e;
    }
    for (const auto& [name, p] : w.points) EXPECT_LT(testdata::heightAt(heights, p.x, p.y), 495.0f) << name;
}

}  // namespace
