// The extension loader's text helpers: the word-bounded search of extension
// names and the version flags of a GL_VERSION string.
#include <gtest/gtest.h>

#include "engine/GLExtensions.h"

TEST(ExtensionWordTest, FindsWholeWordsAnywhere) {
    const char* text = "GL_ARB_imaging GL_ARB_multitexture GL_EXT_bgra";
    EXPECT_EQ(1, findExtensionWord(text, "GL_ARB_imaging"));
    EXPECT_EQ(1, findExtensionWord(text, "GL_ARB_multitexture"));
    EXPECT_EQ(1, findExtensionWord(text, "GL_EXT_bgra"));  // last word, no blank after it
    EXPECT_EQ(1, findExtensionWord("GL_EXT_bgra", "GL_EXT_bgra"));
    EXPECT_EQ(1, findExtensionWord("GL_EXT_bgra ", "GL_EXT_bgra"));
}

TEST(ExtensionWordTest, IgnoresPartsOfLongerNames) {
    EXPECT_EQ(0, findExtensionWord("GL_ARB_multitexture2 GL_EXT_bgra", "GL_ARB_multitexture"));
    EXPECT_EQ(0, findExtensionWord("XGL_ARB_multitexture GL_EXT_bgra", "GL_ARB_multitexture"));
    EXPECT_EQ(0, findExtensionWord("GL_ARB_multi", "GL_ARB_multitexture"));
    // A first occurrence that does not count hides no later one that does.
    EXPECT_EQ(1, findExtensionWord("GL_ARB_multitexture_x GL_ARB_multitexture", "GL_ARB_multitexture"));
    EXPECT_EQ(1, findExtensionWord("AGL_ARB_shadow GL_ARB_shadow_ambient GL_ARB_shadow", "GL_ARB_shadow"));
    EXPECT_EQ(0, findExtensionWord("AGL_ARB_shadow GL_ARB_shadow_ambient", "GL_ARB_shadow"));
}

TEST(ExtensionWordTest, RefusesBadNamesAndMissingText) {
    EXPECT_EQ(0, findExtensionWord("GL_A GL_B", "GL_A GL_B"));
    EXPECT_EQ(0, findExtensionWord("GL_A GL_B", ""));
    EXPECT_EQ(0, findExtensionWord("GL_A GL_B", nullptr));
    EXPECT_EQ(0, findExtensionWord(nullptr, "GL_A"));
    EXPECT_EQ(0, findExtensionWord("", "GL_A"));
}

namespace {

std::string flags(const char* version) {
    const GLVersionFlags f = parseGLVersionFlags(version);
    return std::string(f.v12 ? "2" : "-") + (f.v13 ? "3" : "-") + (f.v14 ? "4" : "-");
}

}  // namespace

TEST(GLVersionTest, OneDotXByMinorDigit) {
    EXPECT_EQ("234", flags("1.5.0"));
    EXPECT_EQ("234", flags("1.4 Mesa 5.0"));
    EXPECT_EQ("23-", flags("1.3.1"));
    EXPECT_EQ("2--", flags("1.2"));
    EXPECT_EQ("---", flags("1.1.0"));
    EXPECT_EQ("---", flags("1."));
}

// A driver of version 2 or later has every 1.x version's functions, whatever
// digits follow in its vendor text.
TEST(GLVersionTest, LaterMajorVersionsGrantEveryOneDotX) {
    EXPECT_EQ("234", flags("2.0.0"));
    EXPECT_EQ("234", flags("4.5 (Compatibility Profile) Mesa 22.3.6"));
    EXPECT_EQ("234", flags("4.6.0 NVIDIA 531.18"));
    EXPECT_EQ("234", flags("3.1 Mesa 21.1.0"));
    EXPECT_EQ("234", flags("10.0"));
}

TEST(GLVersionTest, OddStrings) {
    EXPECT_EQ("---", flags(nullptr));
    EXPECT_EQ("---", flags(""));
    EXPECT_EQ("---", flags("0.9"));
    // No leading number: the first "1." decides.
    EXPECT_EQ("23-", flags("OpenGL 1.3"));
    EXPECT_EQ("---", flags("unknown"));
}
