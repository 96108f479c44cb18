// The C-runtime layer: path resolution, text and binary reads, rand.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/crt.h"

namespace {

class CrtFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/crttestXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        for (const std::string& f : files_) std::remove(f.c_str());
        for (auto d = dirs_.rbegin(); d != dirs_.rend(); ++d) rmdir(d->c_str());
        rmdir(dir_.c_str());
    }
    std::string makeDir(const std::string& name) {
        const std::string p = dir_ + "/" + name;
        mkdir(p.c_str(), 0755);
        dirs_.push_back(p);
        return p;
    }
    std::string makeFile(const std::string& name, const std::string& bytes) {
        const std::string p = dir_ + "/" + name;
        std::ofstream(p, std::ios::binary) << bytes;
        files_.push_back(p);
        return p;
    }
    // Reads the whole file in blocks of `block` bytes.
    std::string readAll(const std::string& path, int flags, unsigned block) {
        const int fd = _open(path.c_str(), flags);
        EXPECT_GE(fd, 0);
        std::string out;
        char buf[64];
        int n;
        while ((n = _read(fd, buf, block)) > 0) out.append(buf, static_cast<size_t>(n));
        _close(fd);
        return out;
    }
    std::string dir_;
    std::vector<std::string> files_, dirs_;
};

TEST_F(CrtFilesTest, ResolvePathTurnsBackslashesAndIgnoresCase) {
    makeDir("Mods");
    makeDir("Mods/Gold");
    const std::string file = makeFile("Mods/Gold/equippedMesh.pff", "x");
    EXPECT_EQ(resolvePath(dir_ + "\\mods\\gold\\equippedmesh.PFF"), file);
    EXPECT_EQ(resolvePath(dir_ + "/Mods/Gold/equippedMesh.pff"), file);
    // Nothing matches: only the separators change.
    EXPECT_EQ(resolvePath(dir_ + "\\mods\\missing.pff"), dir_ + "/mods/missing.pff");
}

TEST_F(CrtFilesTest, OpenFindsFileWhateverTheCase) {
    makeFile("Logo_neu.tga", "abc");
    EXPECT_EQ(readAll(dir_ + "\\logo_NEU.TGA", _O_RDONLY | _O_BINARY, 64), "abc");
    EXPECT_EQ(_open((dir_ + "/none.tga").c_str(), _O_RDONLY), -1);
}

TEST_F(CrtFilesTest, TextModeTurnsCrLfIntoLf) {
    const std::string p = makeFile("t.txt", "a\r\nbc\r\n\rd\r");
    EXPECT_EQ(readAll(p, _O_RDONLY, 64), "a\nbc\n\rd\r");
}

TEST_F(CrtFilesTest, TextModeJoinsCrLfSplitAcrossReads) {
    // Blocks of 3: "ab\r" ends with a CR whose LF comes in the next block.
    const std::string p = makeFile("t.txt", "ab\r\ncd\r\nef");
    EXPECT_EQ(readAll(p, _O_RDONLY | _O_TEXT, 3), "ab\ncd\nef");
    // A lone CR at the end of a block stays and the next byte is not lost.
    const std::string q = makeFile("u.txt", "ab\rcd");
    EXPECT_EQ(readAll(q, _O_RDONLY, 3), "ab\rcd");
    // A lone CR right before a CR LF pair that straddles a block boundary.
    const std::string r = makeFile("v.txt", "a\r\r\nb");
    EXPECT_EQ(readAll(r, _O_RDONLY, 3), "a\r\nb");
}

TEST_F(CrtFilesTest, BinaryModeKeepsEveryByte) {
    const std::string bytes("a\r\nb\r\0\n", 7);
    const std::string p = makeFile("b.bin", bytes);
    EXPECT_EQ(readAll(p, _O_RDONLY | _O_BINARY, 2), bytes);
}

TEST(CrtRandTest, SequenceFromSeedOne) {
    srand(1);
    EXPECT_EQ(rand(), 41);
    EXPECT_EQ(rand(), 18467);
    EXPECT_EQ(rand(), 6334);
    srand(1);
    EXPECT_EQ(rand(), 41);
    for (int i = 0; i < 1000; ++i) {
        const int r = rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, RAND_MAX);
    }
    EXPECT_EQ(RAND_MAX, 32767);
}

}  // namespace
