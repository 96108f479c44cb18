#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "engine/TString.h"

TEST(TStringTest, LengthConventions) {
    EXPECT_EQ(TString().length, -2);
    EXPECT_EQ(TString("").length, -1);
    EXPECT_EQ(TString("abc").length, 2);
    TString owned("abcdef", true, 2);  // the first three characters, copied
    EXPECT_TRUE(owned.owns);
    char out[8];
    EXPECT_STREQ(owned.copyTo(out), "abc");
    TString empty("");
    EXPECT_STREQ(empty.copyTo(out), "");
    EXPECT_STREQ(TString().copyTo(nullptr), "");
}

TEST(TStringTest, ConcatBuildsTexturePath) {
    const TString prefix("tex\\");
    const TString name("skin.tga");
    TString path(nullptr, true, prefix.length + name.length + 1);
    name.concatTo(prefix, path);
    EXPECT_EQ(path.length, 11);
    EXPECT_STREQ(path.copyTo(nullptr), "tex\\skin.tga");
}

TEST(TStringTest, SubstringBoundsAndOwnership) {
    const TString s("models\\dragon");
    std::unique_ptr<TString> one(s.substring(3, 3, true));
    EXPECT_EQ(one->length, 0);
    EXPECT_STREQ(one->copyTo(nullptr), "e");
    std::unique_ptr<TString> none(s.substring(3, 2, true));
    EXPECT_EQ(none->length, -2);
    std::unique_ptr<TString> tail(s.substring(7, 12, false));
    EXPECT_FALSE(tail->owns);
    EXPECT_STREQ(tail->copyTo(nullptr), "dragon");
}

TEST(TStringTest, EqualsComparesLengthThenBytes) {
    EXPECT_TRUE(TString("abc").equals(TString("abc")));
    EXPECT_FALSE(TString("abc").equals(TString("abd")));
    EXPECT_FALSE(TString("abc").equals(TString("abcd")));
    EXPECT_TRUE(TString("").equals(TString("")));
    EXPECT_FALSE(TString().equals(TString("")));
}

TEST(TStringTest, CopiesBorrowAssignCopiesDeep) {
    TString original("hello", true);
    TString shallow(original);
    EXPECT_FALSE(shallow.owns);
    EXPECT_EQ(shallow.buffer, original.buffer);
    TString deep;
    deep.assign(original);
    EXPECT_TRUE(deep.owns);
    EXPECT_NE(deep.buffer, original.buffer);
    original.buffer[0] = 'j';
    EXPECT_STREQ(deep.copyTo(nullptr), "hello");
    // assign terminates: the buffer can be read as a C text.
    EXPECT_STREQ(deep.buffer, "hello");
    deep.assign(deep);
    EXPECT_STREQ(deep.buffer, "hello");
}

TEST(TStringTest, LoadFromFileReadsTextMode) {
    const std::string path = ::testing::TempDir() + "tstring_load.txt";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("line1\r\nline2\r\n", f);
    std::fclose(f);
    TString s;
    s.loadFromFile(path.c_str());
    EXPECT_EQ(s.length, 11);  // "line1\nline2\n" is 12 characters
    EXPECT_STREQ(s.copyTo(nullptr), "line1\nline2\n");

    TString missing("keep");
    missing.loadFromFile((path + ".missing").c_str());
    EXPECT_EQ(missing.length, -2);
    EXPECT_EQ(missing.buffer, nullptr);
    std::remove(path.c_str());
}
