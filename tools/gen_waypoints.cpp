// Writes the level's way-point file: way points along the road from every
// house to the castle ring, the key field "Burg" and one key field per house,
// and for every way point the next hop toward every key field it is not an
// end point of (shortest paths over the road network). The written bytes are
// read back and every route is walked before the file counts as good.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "common.h"
#include "generators.h"
#include "layout.h"
#include "terrain.h"
#include "terrain_pictures.h"

namespace {

constexpr int kHeaderSize = 109;
constexpr int kNameSize = 8;

struct Network {
    struct Point {
        std::string name;
        int x, y;
        std::vector<int> links;
    };
    struct Field {
        std::string name;
        int a, b;
        std::vector<int> ends;
    };
    struct Item {
        int neighbour, field;
    };
    std::vector<Point> points;
    std::vector<Field> fields;
    std::vector<std::vector<Item>> items;  // per way point
};

int addPoint(Network& n, terrain::Pixel p) {
    const int index = static_cast<int>(n.points.size());
    n.points.push_back({std::to_string(index), p.x, p.y, {}});
    return index;
}

void link(Network& n, int a, int b) {
    n.points[a].links.push_back(b);
    n.points[b].links.push_back(a);
}

float distance(const Network::Point& a, const Network::Point& b) {
    return std::hypot(static_cast<float>(a.x - b.x), static_cast<float>(a.y - b.y));
}

// Way points named "0", "1", ... in file order: per road, from its castle end
// out to its house end. The castle ends are linked in a ring.
Network buildNetwork() {
    Network n;
    const terrain::Pixel castle = terrain::sitePixel(layout::kCastle);
    n.fields.push_back({"Burg", castle.x, castle.y, {}});
    std::vector<int> castleEnds;
    for (int i = 0; i < layout::kHouseCount; ++i) {
        const terrain::Pixel a = terrain::castleEnd(i), b = terrain::houseEnd(i);
        const float len = std::hypot(static_cast<float>(b.x - a.x), static_cast<float>(b.y - a.y));
        const int segments = std::max(1, static_cast<int>(len / (terrain::kWayPointSpacing + 2.0f)));
        int previous = -1;
        for (int s = 0; s <= segments; ++s) {
            const float t = static_cast<float>(s) / segments;
            const int p = addPoint(n, terrain::sitePixel({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}));
            if (previous >= 0) link(n, previous, p);
            previous = p;
            if (s == 0) castleEnds.push_back(p);
        }
        const terrain::Pixel house = terrain::sitePixel(layout::house(i));
        n.fields.push_back({"Haus" + std::to_string(i + 1), house.x, house.y, {previous}});
    }
    n.fields[0].ends = castleEnds;
    for (size_t i = 0; i < castleEnds.size() && castleEnds.size() > 2; ++i)
        link(n, castleEnds[i], castleEnds[(i + 1) % castleEnds.size()]);
    return n;
}

// Next hops toward every key field: a shortest-path tree grown from the key
// field's end points (ties go to the first way point reached).
void route(Network& n) {
    const size_t count = n.points.size();
    n.items.assign(count, {});
    for (size_t f = 0; f < n.fields.size(); ++f) {
        std::vector<float> dist(count, 1.0e30f);
        std::vector<int> next(count, -1);
        std::vector<bool> done(count, false);
        for (int e : n.fields[f].ends) dist[e] = 0.0f;
        for (size_t round = 0; round < count; ++round) {
            int u = -1;
            for (size_t i = 0; i < count; ++i)
                if (!done[i] && (u < 0 || dist[i] < dist[u])) u = static_cast<int>(i);
            if (u < 0 || dist[u] >= 1.0e30f) break;
            done[u] = true;
            for (int v : n.points[u].links) {
                const float d = dist[u] + distance(n.points[u], n.points[v]);
                if (!done[v] && d < dist[v]) {
                    dist[v] = d;
                    next[v] = u;
                }
            }
        }
        for (size_t i = 0; i < count; ++i)
            if (next[i] >= 0) n.items[i].push_back({next[i], static_cast<int>(f)});
    }
}

std::vector<uint8_t> encode(const Network& n) {
    std::vector<uint8_t> b(kHeaderSize, 0);
    gen::putI32BE(b, static_cast<int32_t>(n.points.size()));
    for (const Network::Point& p : n.points) {
        gen::putName(b, p.name, kNameSize);
        gen::putI32BE(b, p.x);
        gen::putI32BE(b, p.y);
    }
    gen::putI32BE(b, static_cast<int32_t>(n.fields.size()));
    for (const Network::Field& f : n.fields) {
        gen::putName(b, f.name, kNameSize);
        gen::putI32BE(b, f.a);
        gen::putI32BE(b, f.b);
        gen::putI32BE(b, static_cast<int32_t>(f.ends.size()));
        for (int e : f.ends) gen::putName(b, n.points[e].name, kNameSize);
    }
    for (size_t i = 0; i < n.points.size(); ++i) {
        gen::putName(b, n.points[i].name, kNameSize);
        gen::putI32BE(b, static_cast<int32_t>(n.items[i].size()));
        for (const Network::Item& it : n.items[i]) {
            gen::putName(b, n.points[it.neighbour].name, kNameSize);
            gen::putName(b, n.fields[it.field].name, kNameSize);
        }
    }
    return b;
}

// --- reading back -------------------------------------------------------------

bool fail(const std::string& what) {
    std::fprintf(stderr, "datagen: way-point check failed: %s\n", what.c_str());
    return false;
}

// The file as a reader sees it: everything by name.
struct Parsed {
    struct Point {
        int x, y;
        std::vector<std::pair<std::string, std::string>> items;  // neighbour, target
    };
    struct Field {
        std::string name;
        int a, b;
        std::vector<std::string> ends;
    };
    std::map<std::string, Point> points;
    std::vector<Field> fields;
};

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& b) : b_(b) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ == b_.size(); }
    void skip(size_t n) {
        if (need(n)) pos_ += n;
    }
    int32_t i32() {
        if (!need(4)) return 0;
        const uint32_t v = (uint32_t(b_[pos_]) << 24) | (uint32_t(b_[pos_ + 1]) << 16) | (uint32_t(b_[pos_ + 2]) << 8) |
                           uint32_t(b_[pos_ + 3]);
        pos_ += 4;
        return static_cast<int32_t>(v);
    }
    std::string name() {
        if (!need(kNameSize)) return {};
        std::string s;
        size_t i = 0;
        while (i < kNameSize && b_[pos_ + i] != 0) s += static_cast<char>(b_[pos_ + i++]);
        if (i == kNameSize) ok_ = false;  // no terminating zero
        pos_ += kNameSize;
        return s;
    }

private:
    bool need(size_t n) {
        if (pos_ + n > b_.size()) ok_ = false;
        return ok_;
    }
    const std::vector<uint8_t>& b_;
    size_t pos_ = 0;
    bool ok_ = true;
};

bool parse(const std::vector<uint8_t>& bytes, Parsed& p) {
    Reader r(bytes);
    r.skip(kHeaderSize);
    const int w = r.i32();
    for (int i = 0; i < w && r.ok(); ++i) {
        const std::string name = r.name();
        const int x = r.i32(), y = r.i32();
        if (!p.points.emplace(name, Parsed::Point{x, y, {}}).second) return fail("way point named twice: " + name);
    }
    const int k = r.i32();
    for (int i = 0; i < k && r.ok(); ++i) {
        Parsed::Field f;
        f.name = r.name();
        f.a = r.i32();
        f.b = r.i32();
        const int e = r.i32();
        for (int j = 0; j < e && r.ok(); ++j) f.ends.push_back(r.name());
        p.fields.push_back(f);
    }
    for (int i = 0; i < w && r.ok(); ++i) {
        const std::string name = r.name();
        const int count = r.i32();
        auto it = p.points.find(name);
        if (it == p.points.end() || !it->second.items.empty()) return fail("routing entry for an unknown way point");
        for (int j = 0; j < count && r.ok(); ++j) {
            std::string neighbour = r.name();
            it->second.items.emplace_back(neighbour, r.name());
        }
    }
    if (!r.ok() || !r.atEnd()) return fail("the file's size does not match its counts");
    if (static_cast<int>(p.points.size()) != w || w == 0) return fail("no way points");
    return true;
}

bool isEnd(const Parsed::Field& f, const std::string& point) {
    for (const std::string& e : f.ends)
        if (e == point) return true;
    return false;
}

// Every name resolves, neighbours are far enough apart, way points lie on land.
bool checkNames(const Parsed& p) {
    std::map<std::string, int> fieldNames;
    for (const Parsed::Field& f : p.fields) {
        if (++fieldNames[f.name] > 1) return fail("key field named twice: " + f.name);
        if (f.ends.empty()) return fail("key field without end points: " + f.name);
        for (const std::string& e : f.ends)
            if (!p.points.count(e)) return fail("unknown end point " + e);
    }
    if (!fieldNames.count("Burg")) return fail("no key field \"Burg\"");
    for (const auto& [name, point] : p.points) {
        if (terrain::groundZ(static_cast<float>(point.x), static_cast<float>(point.y)) >= terrain::kLandZ)
            return fail("way point " + name + " lies in the water");
        for (const auto& [neighbour, target] : point.items) {
            auto it = p.points.find(neighbour);
            if (it == p.points.end()) return fail("unknown neighbour " + neighbour);
            if (!fieldNames.count(target)) return fail("unknown target " + target);
            if (std::hypot(static_cast<float>(it->second.x - point.x), static_cast<float>(it->second.y - point.y)) <
                terrain::kWayPointSpacing)
                return fail("way points " + name + " and " + neighbour + " are too close");
        }
    }
    return true;
}

const std::string* nextHop(const Parsed::Point& point, const std::string& field) {
    for (const auto& item : point.items)
        if (item.second == field) return &item.first;
    return nullptr;
}

// From every way point, for every key field it is not an end point of, the
// next hops lead to one of the key field's end points without a loop.
bool checkRoutes(const Parsed& p) {
    for (const Parsed::Field& f : p.fields) {
        for (const auto& [start, point] : p.points) {
            if (isEnd(f, start)) {
                if (nextHop(point, f.name)) return fail("end point " + start + " routes on toward " + f.name);
                continue;
            }
            std::map<std::string, bool> seen;
            std::string cur = start;
            while (!isEnd(f, cur)) {
                if (seen[cur]) return fail("route from " + start + " to " + f.name + " loops");
                seen[cur] = true;
                const std::string* next = nextHop(p.points.at(cur), f.name);
                if (!next) return fail("way point " + cur + " has no next hop toward " + f.name);
                cur = *next;
            }
        }
    }
    return true;
}

bool readFile(const std::string& path, std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
    return true;
}

// The houses and the castle as the level map places them.
bool readMapSites(const std::string& out, std::vector<terrain::Pixel>& houses, std::vector<terrain::Pixel>& castles) {
    std::vector<uint8_t> b;
    if (!readFile(out + "/terrain/LevelMap_1.tga", b) || b.size() < 18) return fail("cannot read the level map");
    const int w = b[12] | (b[13] << 8), h = b[14] | (b[15] << 8);
    if (b[0] != 0 || b[2] != 2 || b[16] != 24 || b.size() < 18 + static_cast<size_t>(w) * h * 3)
        return fail("the level map is not a 24-bit picture");
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t v = b[18 + (static_cast<size_t>(y) * w + x) * 3];
            if (v == terrain::kMapHouse) houses.push_back({x, y});
            if (v == terrain::kMapCastle) castles.push_back({x, y});
        }
    }
    return true;
}

// Each house's nearest key field (x-y distance, the first of equals wins) is
// its own, with an end point beside it; the castle's end points surround it.
bool checkSites(const Parsed& p, const std::string& out) {
    std::vector<terrain::Pixel> houses, castles;
    if (!readMapSites(out, houses, castles)) return false;
    if (castles.size() != 1) return fail("the level map has no single castle");
    std::map<std::string, int> owners;
    for (const terrain::Pixel& h : houses) {
        const Parsed::Field* best = nullptr;
        float bestDistance = 1.0e8f;
        for (const Parsed::Field& f : p.fields) {
            const float d = std::hypot(static_cast<float>(f.a - h.x), static_cast<float>(f.b - h.y));
            if (d < bestDistance) bestDistance = d, best = &f;
        }
        if (!best || best->name == "Burg" || bestDistance > 0.0f) return fail("a house's nearest key field is not its own");
        if (++owners[best->name] > 1) return fail("two houses share key field " + best->name);
        const Parsed::Point& end = p.points.at(best->ends.front());
        if (std::hypot(static_cast<float>(end.x - h.x), static_cast<float>(end.y - h.y)) > 30.0f)
            return fail("the end point of " + best->name + " is far from its house");
    }
    if (owners.size() + 1 != p.fields.size()) return fail("a key field belongs to no house");
    for (const Parsed::Field& f : p.fields) {
        if (f.name != "Burg") continue;
        for (const std::string& e : f.ends) {
            const Parsed::Point& end = p.points.at(e);
            if (std::hypot(static_cast<float>(end.x - castles[0].x), static_cast<float>(end.y - castles[0].y)) > 80.0f)
                return fail("a castle end point is far from the castle");
        }
    }
    return true;
}

}  // namespace

bool generateWayPoints(const std::string& out) {
    Network network = buildNetwork();
    route(network);
    const std::vector<uint8_t> bytes = encode(network);
    Parsed parsed;
    if (!parse(bytes, parsed) || !checkNames(parsed) || !checkRoutes(parsed) || !checkSites(parsed, out)) return false;
    return gen::writeFile(out + "/Levels/Level_1.wpf", bytes);
}
