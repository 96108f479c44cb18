// The generated dragon and dwarf drawn through engine frames in every
// animation track at several times: each picture is read back before the
// engine's overlay and swap, saved as a PNG in the test's temp folder, and
// checked: the model lies wholly inside the frame, the picture changes with
// the pose, a track's first and last keys look the same, and no pose blows
// the model up beyond its bind pose's size.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "GameTestWindow.h"
#include "OverlayFrame.h"
#include "engine/TCamera.h"
#include "engine/TMaterial.h"
#include "engine/TNormCubeMap.h"
#include "game/TDrache.h"
#include "platform/gl.h"
#include "scene/TSkinnedMesh.h"
#include "scene/TSkinnedMeshInstance.h"

namespace {

using overlay::Frame;

// The engine's clear colour (0.5, 0.5, 1.0).
const int kClear[3] = {128, 128, 255};

bool isClear(const unsigned char* p) {
    return std::abs(p[0] - kClear[0]) + std::abs(p[1] - kClear[1]) + std::abs(p[2] - kClear[2]) <= 24;
}

// The rectangle of the pixels that differ from the clear colour, in window
// pixels (rows counted from the top).
struct Box {
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
    int pixels = 0;
    int width() const { return x1 - x0 + 1; }
    int height() const { return y1 - y0 + 1; }
};

Box modelBox(const Frame& f) {
    Box b;
    b.x0 = f.width;
    b.y0 = f.height;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            if (isClear(&f.rgba[(static_cast<size_t>(f.height - 1 - y) * f.width + x) * 4])) continue;
            ++b.pixels;
            b.x0 = std::min(b.x0, x), b.x1 = std::max(b.x1, x);
            b.y0 = std::min(b.y0, y), b.y1 = std::max(b.y1, y);
        }
    return b;
}

// Pixels whose colour differs by more than a rounding error.
int differingPixels(const Frame& a, const Frame& b) {
    int n = 0;
    for (size_t i = 0; i + 3 < a.rgba.size() && i + 3 < b.rgba.size(); i += 4) {
        const int d = std::abs(a.rgba[i] - b.rgba[i]) + std::abs(a.rgba[i + 1] - b.rgba[i + 1]) +
                      std::abs(a.rgba[i + 2] - b.rgba[i + 2]);
        if (d > 48) ++n;
    }
    return n;
}

// Mean row (from the top) of the pixels that pass test; -1 for none.
template <class Test>
double meanRow(const Frame& f, Test test) {
    double sum = 0.0;
    int n = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const unsigned char* p = &f.rgba[(static_cast<size_t>(f.height - 1 - y) * f.width + x) * 4];
            if (!test(p)) continue;
            sum += y;
            ++n;
        }
    return n ? sum / n : -1.0;
}

// The screen of the test frames: draws the model, then reads the back
// buffer before the engine adds its frame-rate line and swaps.
class PoseScreen : public TRenderable {
public:
    explicit PoseScreen(TEngine* e) : TRenderable(e) {}
    void render() override {
        if (drawModel) drawModel();
        picture = overlay::capture(engine);
    }
    std::function<void()> drawModel;
    Frame picture;
};

// One picture of a posed model: its name, the frame and the model's box in it.
struct PoseShot {
    std::string name;
    Frame frame;
    Box box;
};

// A track of a model and the phases (fractions of its length) to show.
struct TrackShots {
    int track;
    const char* name;
    std::vector<double> phases;
};

const std::vector<double> kQuarterPhases = {0.0, 0.25, 0.5, 0.75, 1.0};

class ModelPoseTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = gametest::openEngine();
        ASSERT_NE(nullptr, engine);
        folder = ::testing::TempDir() + "ModelPoseTest_" + std::to_string(getpid());
        std::filesystem::create_directories(folder);
        camera.lightPosition = engine->lightPosition;
        screen = new PoseScreen(engine);
        engine->camera = &camera;
        engine->screen = screen;
        vertexBuffer = engine->createBufferObject(GL_ARRAY_BUFFER_ARB, 4 << 20, GL_STATIC_DRAW_ARB);
        indexBuffer = engine->createBufferObject(GL_ELEMENT_ARRAY_BUFFER_ARB, 2 << 20, GL_STATIC_DRAW_ARB);
    }
    void TearDown() override {
        if (engine) {
            engine->screen = nullptr;
            engine->camera = nullptr;
        }
        delete screen;
        gametest::closeEngine();
    }

    // The camera looks at `target` from `offset` (drawing units) with the
    // game's up vector (model -z is up; the view mirrors the vector given).
    void aimCamera(const TVector& target, const TVector& offset) {
        camera.up = TVector(0.0f, 0.0f, 1.0f);
        camera.direction = offset.normalized();
        camera.eye = target + offset;
        camera.updateView();
        camera.updateFrustum();
    }

    // One engine frame; the picture is saved as <name>.png.
    PoseShot shoot(const std::string& name) {
        engine->renderFrame();
        PoseShot p;
        p.name = name;
        p.frame = screen->picture;
        p.box = modelBox(p.frame);
        const std::string path = folder + "/" + name + ".png";
        EXPECT_TRUE(p.frame.save(path)) << path;
        return p;
    }

    // Starts the track blending in from the pose the skeleton has, runs the
    // blend to time 0, then takes a picture at each phase of the track.
    std::vector<PoseShot> shootTrack(TSkeleton& skeleton, const std::string& model, const TrackShots& t) {
        std::vector<PoseShot> pictures;
        skeleton.startAnimation(t.track, TSkeleton::kRestartTime);
        skeleton.advance(-TSkeleton::kRestartTime);
        const int end = skeleton.trackEnd[t.track];
        for (double phase : t.phases) {
            const int at = static_cast<int>(phase * end);
            if (at > skeleton.getTime()) skeleton.advance(at - skeleton.getTime());
            EXPECT_EQ(at, skeleton.getTime()) << t.name;
            pictures.push_back(shoot(model + "_" + t.name + "_" + std::to_string(at)));
        }
        return pictures;
    }

    // The checks every picture of a posed model passes against its bind pose.
    static void expectFramedAndSane(const PoseShot& p, const Box& bind) {
        SCOPED_TRACE(p.name);
        const Frame& f = p.frame;
        EXPECT_GT(p.box.pixels, f.width * f.height / 50) << "model too small or missing";
        EXPECT_GT(p.box.x0, 2);
        EXPECT_GT(p.box.y0, 2);
        EXPECT_LT(p.box.x1, f.width - 3);
        EXPECT_LT(p.box.y1, f.height - 3);
        EXPECT_LE(p.box.width(), 1.6 * bind.width());
        EXPECT_LE(p.box.height(), 1.6 * bind.height());
        EXPECT_GE(p.box.width(), bind.width() / 1.6);
        EXPECT_GE(p.box.height(), bind.height() / 1.6);
    }

    // A clear change: at least 3% of the model's pixels differ.
    static void expectDifferent(const PoseShot& a, const PoseShot& b) {
        const int changed = differingPixels(a.frame, b.frame);
        EXPECT_GT(changed, std::max(a.box.pixels, b.box.pixels) * 3 / 100) << a.name << " vs " << b.name;
    }

    // The same pose: at most 0.5% of the model's pixels differ.
    static void expectAlike(const PoseShot& a, const PoseShot& b) {
        const int changed = differingPixels(a.frame, b.frame);
        EXPECT_LE(changed, std::max(a.box.pixels, b.box.pixels) / 200) << a.name << " vs " << b.name;
    }

    // Every check of one model: bind pose framed, each track's pictures
    // framed and sane, changing from phase to phase, first equal to last,
    // and the tracks different from each other at the second phase.
    void checkModel(TSkeleton& skeleton, const std::string& model, const std::vector<TrackShots>& tracks) {
        const PoseShot bind = shoot(model + "_bind");
        expectFramedAndSane(bind, bind.box);
        std::vector<std::vector<PoseShot>> all;
        for (const TrackShots& t : tracks) {
            all.push_back(shootTrack(skeleton, model, t));
            const std::vector<PoseShot>& shots = all.back();
            for (const PoseShot& p : shots) expectFramedAndSane(p, bind.box);
            for (size_t i = 1; i + 1 < shots.size(); ++i) {
                expectDifferent(shots[i - 1], shots[i]);
                expectDifferent(shots.front(), shots[i]);
            }
            expectDifferent(shots[shots.size() - 2], shots.back());
            expectAlike(shots.front(), shots.back());
        }
        for (size_t a = 0; a < all.size(); ++a)
            for (size_t b = a + 1; b < all.size(); ++b) expectDifferent(all[a][1], all[b][1]);
        std::cout << "pictures of the " << model << " in " << folder << "\n";
    }

    TEngine* engine = nullptr;
    TCamera camera;
    PoseScreen* screen = nullptr;
    TBufferObject* vertexBuffer = nullptr;
    TBufferObject* indexBuffer = nullptr;
    std::string folder;
};

TEST_F(ModelPoseTest, DragonInEveryFlightTrack) {
    new TNormCubeMap(TString("normC"), engine);  // the engine's, as the level set-up makes it
    TSkinnedMesh mesh(TString("mods\\drache\\mesh.pff"), vertexBuffer, indexBuffer, engine, true);
    ASSERT_TRUE(mesh.isLoaded());
    const char* files[] = {"mods\\drache\\ani2.pff",     "mods\\drache\\ani.pff",       "mods\\drache\\ani4.pff",
                           "mods\\drache\\ani_back.pff", "mods\\drache\\ani_right.pff", "mods\\drache\\ani_left.pff"};
    for (int t = 0; t < 6; ++t) ASSERT_EQ(t, mesh.loadAnimation(TString(files[t])));

    // Drawn as the game draws it, from the front left and above.
    TDrache dragon(&mesh, nullptr);
    screen->drawModel = [&dragon] { dragon.render(); };
    aimCamera(TVector(0.0f, 0.0f, 0.0f), TVector(-150.0f, 190.0f, -160.0f));

    checkModel(dragon, "dragon",
               {{TDrache::TRACK_CRUISE, "cruise", kQuarterPhases},
                {TDrache::TRACK_SPEED_UP, "speedup", kQuarterPhases},
                {TDrache::TRACK_DIVE, "dive", kQuarterPhases},
                {TDrache::TRACK_BACK, "back", kQuarterPhases},
                {TDrache::TRACK_RIGHT, "right", kQuarterPhases},
                {TDrache::TRACK_LEFT, "left", kQuarterPhases}});
}

TEST_F(ModelPoseTest, DwarfWalkingAndShooting) {
    TSkinnedMesh mesh(TString("mods\\zwerg\\mesh.pff"), vertexBuffer, indexBuffer, engine, false);
    ASSERT_TRUE(mesh.isLoaded());
    ASSERT_EQ(0, mesh.loadAnimation(TString("mods\\zwerg\\ani1.pff")));
    ASSERT_EQ(1, mesh.loadAnimation(TString("mods\\zwerg\\ani_shoot.pff")));
    TMaterial* material = mesh.getGroupMaterial(0);
    ASSERT_NE(nullptr, material);
    material->vertexProgramSlot = engine->loadVertexProgram(TString("programs\\noskinning_vp.txt"));
    ASSERT_TRUE(engine->isVertexProgramValid(material->vertexProgramSlot));

    // Placed as a dwarf is: world units with the model scale and the z
    // mirror in its orientation, drawn inside the world's x100 scale.
    TSkinnedMeshInstance dwarf(&mesh, TVector(0.0f, 0.0f, 0.0f), 0.0f);
    TMatrix scale;
    scale.m[0] = scale.m[5] = 0.01f;
    scale.m[10] = -0.01f;
    dwarf.rotation = dwarf.rotation * scale;
    screen->drawModel = [&dwarf] {
        glPushMatrix();
        glScalef(100.0f, 100.0f, 100.0f);
        dwarf.render();
        glPopMatrix();
    };
    // From the front left and a little above; the dwarf faces -y.
    aimCamera(TVector(0.0f, 0.0f, -48.0f), TVector(-70.0f, -110.0f, -60.0f));

    checkModel(dwarf, "dwarf",
               {{0, "walk", kQuarterPhases}, {1, "shoot", {0.0, 0.1, 0.25, 0.975, 1.0}}});

    // Upright: the red hat lies above the middle of the model, the dark
    // boots below it.
    const PoseShot p = shoot("dwarf_upright");
    const double middle = (p.box.y0 + p.box.y1) / 2.0;
    const double hat = meanRow(p.frame, [](const unsigned char* c) { return c[0] > 150 && c[1] < 70 && c[2] < 70; });
    const double boots = meanRow(p.frame, [](const unsigned char* c) { return c[0] < 60 && c[1] < 40 && c[2] < 30; });
    ASSERT_GE(hat, 0.0);
    ASSERT_GE(boots, 0.0);
    EXPECT_LT(hat, middle);
    EXPECT_GT(boots, middle);
}

}  // namespace
