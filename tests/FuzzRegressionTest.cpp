// Every input that ever tripped a loader, kept under
// tests/fuzz/regressions/<target>/, replayed through the same fuzz entry its
// fuzz target calls: under the sanitizer build any fault in them fails here,
// without clang or libFuzzer. Each entry also reads a generated file of its
// kind, so every entry runs here even where nothing was ever found.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/Log.h"
#include "fuzz/FuzzEntries.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace {

// Each target with generated files of its kind (in the build folder).
const struct {
    const char* target;
    std::vector<const char*> generated;
} kTargets[] = {
    {"tga", {"tex/pfeil.tga", "tex/fires0.tga"}},
    {"properties", {"init.props"}},
    {"model", {"mods/zwerg/pfeil.pff", "mods/drache/mesh.pff", "mods/zwerg/mesh.pff"}},
    {"animation", {"mods/drache/ani2.pff", "mods/zwerg/ani_shoot.pff"}},
    {"waypoints", {"Levels/Level_1.wpf"}},
    {"items", {"itemdata/items.itm"}},
    {"shadowmap", {"terrain/shadowtest.sdm"}},
    {"nvprogram", {"programs/wasser_fp.txt.nv"}},
};

fs::path regressions() { return fs::path(sourceDir()) / "tests" / "fuzz" / "regressions"; }

std::vector<uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class FuzzRegressionTest : public ::testing::TestWithParam<size_t> {
protected:
    static void SetUpTestSuite() {
        // The loaders' log lines are written for real, into a file of this run.
        fs::create_directories(folder());
        if (!logStream) openLog((folder() / "Log.txt").string().c_str());
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(folder(), ignored);
    }
    static fs::path folder() {
        return fs::temp_directory_path() / ("FuzzRegressionTest." + std::to_string(::getpid()));
    }
};

TEST_P(FuzzRegressionTest, KeptAndGeneratedInputsLoadWithoutFault) {
    const auto& target = kTargets[GetParam()];
    const FuzzEntry entry = findFuzzEntry(target.target);
    ASSERT_NE(entry, nullptr);
    for (const char* file : target.generated) {
        const std::vector<uint8_t> bytes = readFile(fs::path(binaryDir()) / file);
        ASSERT_FALSE(bytes.empty()) << file << " was not generated";
        entry(bytes.data(), bytes.size());
    }
    const fs::path dir = regressions() / target.target;
    if (!fs::is_directory(dir)) return;  // nothing ever tripped this loader
    for (const auto& file : fs::directory_iterator(dir)) {
        if (!file.is_regular_file()) continue;
        SCOPED_TRACE(file.path().string());
        const std::vector<uint8_t> bytes = readFile(file.path());
        entry(bytes.data(), bytes.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Loaders, FuzzRegressionTest, ::testing::Range<size_t>(0, std::size(kTargets)),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             return std::string(kTargets[info.param].target);
                         });

TEST(FuzzRegressionFoldersTest, EveryFolderNamesAFuzzTarget) {
    for (const auto& dir : fs::directory_iterator(regressions()))
        EXPECT_NE(findFuzzEntry(dir.path().filename().string()), nullptr) << dir.path();
}

}  // namespace
