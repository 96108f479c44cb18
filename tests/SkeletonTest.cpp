// Skeletons without GL: bones made from model parts, traversal order, key
// tracks read from animation files, interpolation, restart, track limits and
// deep copies.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "platform/crt.h"
#include "scene/TBone.h"
#include "scene/TPffData.h"
#include "scene/TSkeleton.h"
#include "scene/TSkinWeights.h"
#include "scene/TSkinnedMesh.h"

namespace fs = std::filesystem;

namespace {

struct PartShape {
    const char* name;
    const char* parent;
    TMatrix matrix;
};

// A model of bare parts (no arrays), given in list order (front first).
TPffData* makeModel(const std::vector<PartShape>& parts) {
    TPffData* model = new TPffData();
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        TMeshPart* p = new TMeshPart();
        p->setName(it->name);
        p->setParentName(it->parent);
        p->matrix = it->matrix;
        model->partList.pushFront(p, false);
    }
    return model;
}

TMatrix moved(float x, float y, float z) { return TMatrix::translation(TVector(x, y, z)); }

struct KeyRecord {
    const char* bone;
    TMatrix matrix;
    int frame;
};

std::vector<std::string> boneOrder(const TSkeleton& s) {
    std::vector<std::string> names;
    for (int i = 0; i < s.boneCount; ++i) names.push_back(s.bones[i]->name.copyTo(nullptr));
    return names;
}

std::vector<int> frames(const TList<TAnimKey>& track) {
    std::vector<int> out;
    for (TListNode<TAnimKey>* n = track.head; n; n = n->next) out.push_back(n->value->frame);
    return out;
}

class SkeletonTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("SkeletonTest." + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // An animation file: the header, then one record per key in file order.
    std::string writeAnimation(const std::string& file, int header, const std::vector<KeyRecord>& keys) {
        const std::string path = (dir / file).string();
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&header), 4);
        for (const KeyRecord& k : keys) {
            char name[64] = {};
            std::strncpy(name, k.bone, 63);
            out.write(name, 64);
            out.write(reinterpret_cast<const char*>(k.matrix.m), 64);
            out.write(reinterpret_cast<const char*>(&k.frame), 4);
        }
        return path;
    }

    fs::path dir;
};

TEST_F(SkeletonTest, BonesComeFromPartsWithRootRules) {
    // "none" is never a bone; geometry parts are skipped; a parent that is
    // "none", a geometry part or no part at all makes a root.
    for (const char* parent : {"none", "_body", "nobody"}) {
        SCOPED_TRACE(parent);
        TPffData* model = makeModel({{"_body", "none", TMatrix()},
                                     {"none", "none", TMatrix()},
                                     {"Hip", parent, moved(1, 2, 3)},
                                     {"Leg", "Hip", moved(0, 0, 5)}});
        TSkeleton s(nullptr);
        EXPECT_EQ(s.build(model), 2);
        ASSERT_NE(s.root, nullptr);
        EXPECT_TRUE(s.root->name.equals("Hip"));
        EXPECT_EQ(s.root->parent, nullptr);
        EXPECT_EQ(s.findBone(TString("none")), nullptr);
        EXPECT_EQ(s.findBone(TString("_body")), nullptr);
        TBone* leg = s.findBone(TString("Leg"));
        ASSERT_NE(leg, nullptr);
        EXPECT_EQ(leg->parent, s.root);
        EXPECT_EQ(s.currentTrack, -1);
        EXPECT_EQ(s.time, -1);
        delete model;
    }
}

TEST_F(SkeletonTest, BindPoseGivesIdentitySkinAndUnitRows) {
    TMatrix scaledTurn = TMatrix::rotationZ(0.7f);
    for (int i = 0; i < 3; ++i) scaledTurn.m[4 * i] *= 2.0f;  // first row twice as long
    scaledTurn.m[12] = 4.0f;
    TPffData* model = makeModel({{"Root", "none", scaledTurn}});
    TSkeleton s(nullptr);
    ASSERT_EQ(s.build(model), 1);
    const TMatrix& bind = s.root->bindMatrix;
    for (int r = 0; r < 3; ++r) {
        const float len = bind.m[r] * bind.m[r] + bind.m[r + 4] * bind.m[r + 4] + bind.m[r + 8] * bind.m[r + 8];
        EXPECT_NEAR(len, 1.0f, 1e-5f);
    }
    const TMatrix identity;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(s.root->skinMatrix.m[i], identity.m[i], 1e-5f) << i;
    delete model;
}

TEST_F(SkeletonTest, TraversalIsPreOrderWithSiblingsInCreationOrder) {
    // Creation order R (as A's parent), A, B, A1.
    TPffData* model = makeModel({{"A", "R", TMatrix()},
                                 {"B", "R", TMatrix()},
                                 {"A1", "A", TMatrix()},
                                 {"R", "none", TMatrix()}});
    TSkeleton s(nullptr);
    EXPECT_EQ(s.build(model), 4);
    EXPECT_EQ(boneOrder(s), (std::vector<std::string>{"R", "A", "A1", "B"}));
    delete model;
}

TEST_F(SkeletonTest, ParentCycleAndSecondTreeStayBounded) {
    TPffData* cycle = makeModel({{"A", "B", TMatrix()}, {"B", "A", TMatrix()}});
    TSkeleton s(nullptr);
    EXPECT_EQ(s.build(cycle), 2);
    EXPECT_EQ(s.roots.count(), 1);
    delete cycle;

    TPffData* twoTrees = makeModel({{"P", "none", TMatrix()}, {"Q", "none", TMatrix()}, {"Q1", "Q", TMatrix()}});
    TSkeleton t(nullptr);
    EXPECT_EQ(t.build(twoTrees), 3);  // every bone listed, the last root's tree first
    EXPECT_EQ(boneOrder(t), (std::vector<std::string>{"Q", "Q1", "P"}));
    delete twoTrees;
}

TEST_F(SkeletonTest, KeysAreSortedByFrameEqualFramesInFileOrder) {
    TPffData* model = makeModel({{"Root", "none", TMatrix()}});
    TSkeleton s(nullptr);
    s.build(model);
    const std::string file = writeAnimation("keys.pff", 1000,
                                            {{"Root", moved(1, 0, 0), 500},
                                             {"Root", moved(2, 0, 0), 0},
                                             {"Ghost", moved(9, 9, 9), 0},
                                             {"Root", moved(3, 0, 0), 1000},
                                             {"Root", moved(4, 0, 0), 500}});
    ASSERT_EQ(s.loadAnimation(TString(file.c_str())), 0);
    EXPECT_EQ(s.trackEnd[0], 1000);
    const TList<TAnimKey>& track = s.root->tracks[0];
    EXPECT_EQ(frames(track), (std::vector<int>{0, 500, 500, 1000}));
    EXPECT_FLOAT_EQ(track.at(1)->matrix.m[12], 1.0f);  // the earlier key of frame 500
    EXPECT_FLOAT_EQ(track.at(2)->matrix.m[12], 4.0f);
    delete model;
}

TEST_F(SkeletonTest, InterpolatesBlendsAndRestartsAtTrackEnd) {
    // Bind at x = 1: the skin matrices move by (pose - bind).
    TPffData* model = makeModel({{"Root", "none", moved(1, 0, 0)}});
    TSkeleton s(nullptr);
    s.build(model);
    const std::string file = writeAnimation(
        "walk.pff", 1000, {{"Root", moved(11, 0, 0), 0}, {"Root", moved(21, 0, 0), 500}, {"Root", moved(31, 0, 0), 1000}});
    ASSERT_EQ(s.loadAnimation(TString(file.c_str())), 0);
    const float& x = s.root->skinMatrix.m[12];

    s.advance(16);  // before any start: nothing moves
    EXPECT_EQ(s.time, -1);
    EXPECT_FLOAT_EQ(x, 0.0f);

    s.startAnimation(0, -1000);
    EXPECT_EQ(s.currentTrack, 0);
    s.advance(500);
    EXPECT_NEAR(x, 5.0f, 1e-4f);  // halfway through the blend
    s.advance(500);
    EXPECT_NEAR(x, 10.0f, 1e-4f);  // time 0: the key at 0 reached
    s.advance(250);
    EXPECT_NEAR(x, 15.0f, 1e-4f);  // halfway to the key at 500
    for (int i = 0; i < 75; ++i) s.advance(10);  // lands on the key at 1000
    EXPECT_EQ(s.time, 1000);
    EXPECT_NEAR(x, 30.0f, 1e-3f);
    EXPECT_EQ(s.root->currentKey, nullptr);

    s.advance(10);  // at the end: restart instead of moving
    EXPECT_EQ(s.time, -1000);
    EXPECT_NEAR(x, 30.0f, 1e-3f);
    s.advance(500);
    EXPECT_NEAR(x, 20.0f, 1e-3f);  // blending back toward the first key

    // Small uneven steps land on the same poses as large ones.
    s.startAnimation(0, -1000);
    for (int i = 0; i < 31; ++i) s.advance(33);  // time 23
    EXPECT_NEAR(x, 10.0f + 23.0f * 0.02f, 1e-3f);
    delete model;
}

TEST_F(SkeletonTest, SeventeenthAnimationAndMissingFilesAreRefused) {
    TPffData* model = makeModel({{"Root", "none", TMatrix()}});
    TSkeleton s(nullptr);
    s.build(model);
    const std::string file = writeAnimation("one.pff", 100, {{"Root", moved(1, 0, 0), 0}});
    for (int t = 0; t < 16; ++t) EXPECT_EQ(s.loadAnimation(TString(file.c_str())), t);
    EXPECT_EQ(s.loadAnimation(TString(file.c_str())), -1);

    TSkeleton fresh(nullptr);
    fresh.build(model);
    const std::string missing = (dir / "absent.pff").string();
    EXPECT_EQ(fresh.loadAnimation(TString(missing.c_str())), -1);
    // A file whose keys name no bone still takes its track, so later files
    // keep their track numbers.
    const std::string foreign = writeAnimation("foreign.pff", 100, {{"Other", moved(1, 0, 0), 0}});
    EXPECT_EQ(fresh.loadAnimation(TString(foreign.c_str())), 0);
    EXPECT_EQ(fresh.loadAnimation(TString(file.c_str())), 1);
    fresh.startAnimation(16, -1000);  // no such track: ignored
    EXPECT_EQ(fresh.currentTrack, -1);
    delete model;
}

TEST_F(SkeletonTest, DeepCopyAnimatesIndependently) {
    TPffData* model = makeModel({{"Arm", "Root", moved(0, 1, 0)}, {"Root", "none", moved(1, 0, 0)}});
    TSkeleton s(nullptr);
    s.build(model);
    delete model;
    const std::string file = writeAnimation(
        "wave.pff", 1000, {{"Root", moved(3, 0, 0), 0}, {"Arm", moved(0, 5, 0), 0}, {"Arm", moved(0, 9, 0), 800}});
    ASSERT_EQ(s.loadAnimation(TString(file.c_str())), 0);

    TSkeleton copy(s);
    ASSERT_EQ(copy.boneCount, 2);
    EXPECT_EQ(boneOrder(copy), boneOrder(s));
    EXPECT_EQ(copy.currentTrack, -1);
    EXPECT_EQ(copy.trackEnd[0], 1000);
    for (int b = 0; b < 2; ++b) {
        EXPECT_NE(copy.bones[b], s.bones[b]);
        EXPECT_EQ(copy.bones[b]->skeleton, &copy);
        EXPECT_EQ(frames(copy.bones[b]->tracks[0]), frames(s.bones[b]->tracks[0]));
        EXPECT_NE(copy.bones[b]->tracks[0].head->value, s.bones[b]->tracks[0].head->value);
        for (int i = 0; i < 16; ++i)
            EXPECT_FLOAT_EQ(copy.bones[b]->tracks[0].head->value->skinMatrix.m[i],
                            s.bones[b]->tracks[0].head->value->skinMatrix.m[i]);
    }
    EXPECT_EQ(copy.bones[1]->parent, copy.bones[0]);

    copy.advance(100);  // track -1: nothing happens
    EXPECT_EQ(copy.time, -1);
    s.startAnimation(0, -1000);
    s.advance(1000);
    EXPECT_NEAR(s.findBone(TString("Arm"))->skinMatrix.m[13], 4.0f, 1e-4f);
    EXPECT_NEAR(copy.findBone(TString("Arm"))->skinMatrix.m[13], 0.0f, 1e-5f);
    EXPECT_EQ(copy.root->currentKey, nullptr);

    copy.startAnimation(0, -1000);
    copy.advance(500);
    EXPECT_NEAR(copy.findBone(TString("Arm"))->skinMatrix.m[13], 2.0f, 1e-4f);
    EXPECT_NEAR(s.findBone(TString("Arm"))->skinMatrix.m[13], 4.0f, 1e-4f);
}

TEST_F(SkeletonTest, FarApartKeysInAnyFileOrderInterpolateWithoutOverflow) {
    // Keys at both ends of the int range, given out of order: they play in
    // frame order, and the spans between them (2^31 and more) are exact.
    TPffData* model = makeModel({{"Root", "none", TMatrix()}});
    TSkeleton s(nullptr);
    s.build(model);
    const std::string file = writeAnimation(
        "far.pff", INT_MAX,
        {{"Root", moved(20, 0, 0), 0}, {"Root", moved(30, 0, 0), INT_MAX}, {"Root", moved(10, 0, 0), INT_MIN}});
    ASSERT_EQ(s.loadAnimation(TString(file.c_str())), 0);
    EXPECT_EQ(frames(s.root->tracks[0]), (std::vector<int>{INT_MIN, 0, INT_MAX}));
    const float& x = s.root->skinMatrix.m[12];

    s.startAnimation(0, -1000);
    s.advance(16);  // time -984: past the key at INT_MIN, 984 units before the key at 0
    EXPECT_NEAR(x, 20.0f, 1e-3f);
    s.advance(1000);  // time 16: past the key at 0 toward the one at INT_MAX
    EXPECT_NEAR(x, 20.0f, 1e-3f);
    s.time = INT_MAX - 10;
    s.advance(100);  // the clock stops at INT_MAX instead of wrapping
    EXPECT_EQ(s.time, INT_MAX);
    EXPECT_NEAR(x, 30.0f, 1e-3f);
    s.advance(16);  // the end: the track restarts
    EXPECT_EQ(s.time, -1000);

    // The longest blend there is.
    s.startAnimation(0, INT_MIN);
    EXPECT_EQ(s.time, INT_MIN);
    s.advance(16);
    EXPECT_TRUE(std::isfinite(x));
    delete model;
}

TEST_F(SkeletonTest, DeepBoneChainsBuildCopyAndFreeWithoutRecursion) {
    // One parent chain of 100 000 bones, the deepest part first in the list,
    // so that building it walks the whole chain at once.
    const int depth = 100000;
    TPffData* model = new TPffData();
    for (int i = 0; i < depth; ++i) {
        TMeshPart* p = new TMeshPart();
        p->setName(("B" + std::to_string(i)).c_str());
        p->setParentName(i == 0 ? "none" : ("B" + std::to_string(i - 1)).c_str());
        model->partList.pushFront(p, false);
    }
    EXPECT_EQ(TSkeleton::countBones(model), depth);
    {
        TSkeleton s(nullptr);
        ASSERT_EQ(s.build(model), depth);
        EXPECT_EQ(s.roots.count(), 1);
        EXPECT_TRUE(s.bones[0]->name.equals("B0"));
        TBone* deepest = s.bones[depth - 1];
        EXPECT_TRUE(deepest->name.equals(("B" + std::to_string(depth - 1)).c_str()));
        EXPECT_EQ(s.root->findByName(deepest->name), deepest);
        const std::string file = writeAnimation("deep.pff", 100, {{deepest->name.copyTo(nullptr), moved(1, 0, 0), 0}});
        ASSERT_EQ(s.loadAnimation(TString(file.c_str())), 0);
        EXPECT_EQ(deepest->tracks[0].count(), 1);
        TSkeleton copy(s);
        EXPECT_EQ(copy.boneCount, depth);
        EXPECT_EQ(copy.bones[depth - 1]->tracks[0].count(), 1);
    }
    delete model;
}

TEST_F(SkeletonTest, SkinnedModelsWithTooManyBonesAreRefusedBeforeTheBuild) {
    // 100 000 bone parts in one chain, then the geometry part: refused from
    // the part names alone, with the skinned mesh's log line.
    const std::string log = (dir / "Log.txt").string();
    const bool ownLog = !logStream;
    if (ownLog) openLog(log.c_str());
    const std::string file = (dir / "bones.pff").string();
    {
        const int fd = _open(file.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0644);
        const int zero = 0, parts = 100001;
        _write(fd, &zero, 4);
        _write(fd, &parts, 4);
        for (int i = 0; i < parts - 1; ++i) {
            TMeshPart bone;
            bone.setName(("B" + std::to_string(i)).c_str());
            bone.setParentName(i == 0 ? "none" : ("B" + std::to_string(i - 1)).c_str());
            bone.write(fd);
        }
        TMeshPart body;
        body.setName("_body");
        body.write(fd);
        _close(fd);
    }
    const auto start = std::chrono::steady_clock::now();
    const int fd = _open(file.c_str(), _O_RDONLY | _O_BINARY);
    std::vector<TSkinWeights*> blocks;
    EXPECT_EQ(TSkinnedMesh::readSkinnedModel(fd, TString(file.c_str()), true, blocks), nullptr);
    _close(fd);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(blocks.empty());
    EXPECT_LT(seconds, 10.0);

    // A skin block naming more bones than a skeleton may have is refused
    // before its weights are spread over the split vertices; 17 are taken.
    for (const int named : {18, 17}) {
        const std::string small = (dir / ("block" + std::to_string(named) + ".pff")).string();
        const int out = _open(small.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0644);
        const int zero = 0, two = 2;
        _write(out, &zero, 4);
        _write(out, &two, 4);
        TMeshPart bone;
        bone.setName("B0");
        bone.write(out);
        TMeshPart body;
        body.setName("_body");
        const int noSets[1] = {0};
        body.allocate(1, 0, 1, 0, noSets);
        body.write(out);
        TSkinWeights skin;
        skin.allocate(named, 1);
        skin.setName("skin");
        for (int b = 0; b < named; ++b) skin.setBoneName(b, ("B" + std::to_string(b)).c_str());
        skin.write(out);
        _close(out);
        const int in = _open(small.c_str(), _O_RDONLY | _O_BINARY);
        TPffData* model = TSkinnedMesh::readSkinnedModel(in, TString(small.c_str()), true, blocks);
        _close(in);
        EXPECT_EQ(model != nullptr, named <= 17) << named;
        EXPECT_EQ(blocks.size(), named <= 17 ? 1u : 0u) << named;
        for (TSkinWeights* b : blocks) delete b;
        delete model;
    }
    if (ownLog) {
        logFlush();
        std::ifstream in(log);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find("has 100000 bones, at most 17 can be drawn; mesh missing"), std::string::npos) << text;
        EXPECT_NE(text.find("skin block 0 names 18 bones, at most 17 can be drawn; mesh missing"), std::string::npos)
            << text;
    }
}

}  // namespace
