// The NV-to-ARB fragment-program translation on its own (no GL): what each
// NV construct becomes, and which texts are refused with a line number.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/nvfp.h"
#include "support/TestPaths.h"

namespace {

using platform::NvTranslation;
using platform::nvTranslateFragmentProgram;

NvTranslation translate(const std::string& text) {
    NvTranslation t;
    nvTranslateFragmentProgram(text.data(), text.size(), t);
    return t;
}

// The translation of a program made of `body` between the header and END.
std::string arbOf(const std::string& body) {
    const NvTranslation t = translate("!!FP1.0\n" + body + "\nEND\n");
    EXPECT_TRUE(t.error.empty()) << t.error;
    return t.arb;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(NvTranslateTest, RegistersAttributesAndParametersMapToTheirArbNames) {
    const std::string arb = arbOf(
        "MOVR R0, f[COL0];\n"
        "MOVH H12, f[COL1];\n"
        "ADDR R31, f[TEX7], f[FOGC];\n"
        "MULR R1, f[WPOS], p[5];\n"
        "MOVR o[DEPR].z, R0;\n"
        "MOVR o[COLR], R1;\n"
        "MOVH o[COLH].w, H12;");
    EXPECT_EQ(arb.compare(0, 11, "!!ARBfp1.0\n"), 0);
    EXPECT_TRUE(contains(arb, "TEMP H12, R0, R1, R31;"));
    EXPECT_TRUE(contains(arb, "MOV R0, fragment.color.primary;"));
    EXPECT_TRUE(contains(arb, "MOV H12, fragment.color.secondary;"));
    EXPECT_TRUE(contains(arb, "ADD R31, fragment.texcoord[7], fragment.fogcoord;"));
    EXPECT_TRUE(contains(arb, "MUL R1, fragment.position, program.local[5];"));
    EXPECT_TRUE(contains(arb, "MOV result.depth.z, R0;"));
    EXPECT_TRUE(contains(arb, "MOV result.color, R1;"));
    EXPECT_TRUE(contains(arb, "MOV result.color.w, H12;"));
    EXPECT_EQ(arb.substr(arb.size() - 4), "END\n");
}

TEST(NvTranslateTest, SuffixesSwizzlesAndModifiers) {
    const std::string arb = arbOf(
        "MADX_SAT R0.xy, -R1.wzyx, R2.x, R3;\n"
        "MULH_SAT R4, |R1.xxyy|, -|R2|;\n"
        "RCPR R5.w, R4.y;");
    EXPECT_TRUE(contains(arb, "MAD_SAT R0.xy, -R1.wzyx, R2.x, R3;"));
    EXPECT_TRUE(contains(arb, "ABS nvxabs0, R1.xxyy;"));
    EXPECT_TRUE(contains(arb, "ABS nvxabs1, R2;"));
    EXPECT_TRUE(contains(arb, "MUL_SAT R4, nvxabs0, -nvxabs1;"));
    EXPECT_TRUE(contains(arb, "RCP R5.w, R4.y;"));
}

TEST(NvTranslateTest, TextureInstructionsKeepUnitAndTarget) {
    const std::string arb = arbOf(
        "TEX R0, f[TEX0], TEX0, 2D;\n"
        "TXP R1, f[TEX4], TEX2, 2D;\n"
        "TEX R2, R0, TEX3, CUBE;\n"
        "TEX_SAT R3, f[TEX1], TEX7, 3D;\n"
        "TEX R4, f[TEX1], TEX1, 1D;\n"
        "TEX R5, f[TEX1], TEX5, RECT;");
    EXPECT_TRUE(contains(arb, "TEX R0, fragment.texcoord[0], texture[0], 2D;"));
    EXPECT_TRUE(contains(arb, "TXP R1, fragment.texcoord[4], texture[2], 2D;"));
    EXPECT_TRUE(contains(arb, "TEX R2, R0, texture[3], CUBE;"));
    EXPECT_TRUE(contains(arb, "TEX_SAT R3, fragment.texcoord[1], texture[7], 3D;"));
    EXPECT_TRUE(contains(arb, "TEX R4, fragment.texcoord[1], texture[1], 1D;"));
    EXPECT_TRUE(contains(arb, "TEX R5, fragment.texcoord[1], texture[5], RECT;"));
}

TEST(NvTranslateTest, ConstantsDefinitionsAndDeclarations) {
    const NvTranslation t = translate(
        "!!FP1.0\n"
        "DEFINE half = 0.5;\n"
        "DEFINE pair = {1, -2};\n"
        "DECLARE tint = {0.25, 0.5, 0.75, 1};\n"
        "DECLARE other;\n"
        "MADR R0, half, pair, {3, 4, 5, 6};\n"
        "ADDR R1, {3, 4, 5, 6}, 1e-3;\n"
        "MULR o[COLR], R0, tint;\n"
        "END");
    ASSERT_TRUE(t.error.empty()) << t.error;
    EXPECT_TRUE(contains(t.arb, "PARAM c_half = { 0.5, 0.5, 0.5, 0.5 };"));
    EXPECT_TRUE(contains(t.arb, "PARAM c_pair = { 1, -2, 0, 1 };"));
    EXPECT_TRUE(contains(t.arb, "PARAM c_tint = program.local[64];"));
    EXPECT_TRUE(contains(t.arb, "PARAM c_other = program.local[65];"));
    EXPECT_TRUE(contains(t.arb, "MAD R0, c_half, c_pair, nvxlit0;"));
    // The same literal is declared once.
    EXPECT_TRUE(contains(t.arb, "ADD R1, nvxlit0, nvxlit1;"));
    EXPECT_TRUE(contains(t.arb, "PARAM nvxlit1 = { 0.00100000005, 0.00100000005, 0.00100000005, 0.00100000005 };"));
    ASSERT_EQ(t.declarations.size(), 2u);
    EXPECT_EQ(t.declarations[0].name, "tint");
    EXPECT_EQ(t.declarations[0].localIndex, 64);
    EXPECT_FLOAT_EQ(t.declarations[0].value[2], 0.75f);
    EXPECT_EQ(t.declarations[1].localIndex, 65);
    EXPECT_FLOAT_EQ(t.declarations[1].value[3], 0.0f);
}

TEST(NvTranslateTest, ComparisonsAndReflectionAreBuiltFromArbInstructions) {
    const std::string arb = arbOf(
        "SGTR R0, R1, R2;\n"
        "SLER R0, R1, R2;\n"
        "SEQR R3, R1, R2;\n"
        "SNER R3, R1, R2;\n"
        "SFLR R4, R1, R2;\n"
        "STRR R4, R1, R2;\n"
        "RFLR R5.xyz, R1, -R2;");
    EXPECT_TRUE(contains(arb, "SLT R0, R2, R1;"));
    EXPECT_TRUE(contains(arb, "SGE R0, R2, R1;"));
    EXPECT_TRUE(contains(arb, "SGE nvxs0, R1, R2;\nSGE nvxs1, R2, R1;\nMUL R3, nvxs0, nvxs1;"));
    EXPECT_TRUE(contains(arb, "SLT nvxs0, R1, R2;\nSLT nvxs1, R2, R1;\nADD R3, nvxs0, nvxs1;"));
    EXPECT_TRUE(contains(arb, "MOV R4, nvxzero;"));
    EXPECT_TRUE(contains(arb, "MOV R4, nvxone;"));
    // 2 (a.b) / (a.a) a - b, with b = -R2.
    EXPECT_TRUE(contains(arb, "DP3 nvxs0.x, R1, -R2;"));
    EXPECT_TRUE(contains(arb, "MAD nvxs1, R1, nvxs0.x, R2;"));
    EXPECT_TRUE(contains(arb, "MOV R5.xyz, nvxs1;"));
}

TEST(NvTranslateTest, ConditionCodesAndKill) {
    const std::string arb = arbOf(
        "MOVRC RC.x, f[TEX5].x;\n"
        "KIL LT.x;\n"
        "ADDRC_SAT R0.xy, R1, R2;\n"
        "KIL GT;\n"
        "KIL NE.xxyy;\n"
        "KIL FL;\n"
        "KIL TR;");
    // The condition code starts at zero before the first instruction.
    const size_t init = arb.find("MOV nvxcc, nvxzero;");
    ASSERT_NE(init, std::string::npos);
    EXPECT_LT(init, arb.find("MOV nvxcc.x, fragment.texcoord[5].x;"));
    EXPECT_TRUE(contains(arb, "KIL nvxcc.x;"));
    EXPECT_TRUE(contains(arb, "ADD_SAT nvxcc.xy, R1, R2;\nMOV R0.xy, nvxcc;"));
    EXPECT_TRUE(contains(arb, "KIL -nvxcc;"));
    EXPECT_TRUE(contains(arb, "SLT nvxk, nvxcc.xxyy, nvxzero;\nSLT nvxk2, nvxzero, nvxcc.xxyy;"));
    EXPECT_TRUE(contains(arb, "KIL -nvxone;"));
}

TEST(NvTranslateTest, CommentsAndWindowsLineEndingsAreAccepted) {
    const NvTranslation t = translate("!!FP1.0\r\n# comment; MOVR R0, R1;\r\nMOVR o[COLR], f[COL0]; # tail\r\nEND\r\n");
    EXPECT_TRUE(t.error.empty()) << t.error;
    EXPECT_TRUE(contains(t.arb, "MOV result.color, fragment.color.primary;"));
    EXPECT_FALSE(contains(t.arb, "R0"));
}

TEST(NvTranslateTest, BrokenTextsAreRefusedWithTheirLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"!!ARBfp1.0\nEND", "line 1: the text does not start with !!FP1.0"},
        {"!!FP1.00\nEND", "line 1: the text does not start with !!FP1.0"},
        {"!!FP1.0\nMOVR o[COLR], f[COL0];\n", "END is missing"},
        {"!!FP1.0\n\nFOOR R0, R1;\nEND", "line 3: unknown instruction 'FOOR'"},
        {"!!FP1.0\nDDXR R0, f[TEX0];\nEND", "instruction DDX is not supported"},
        {"!!FP1.0\nPK4BR R0, R1;\nEND", "instruction PK4B is not supported"},
        {"!!FP1.0\nMOVR R0 (GT.x), R1;\nEND", "conditional write masks are not supported"},
        {"!!FP1.0\nMOVR R32, R1;\nEND", "register 'R32' out of range"},
        {"!!FP1.0\nMOVR H64, R1;\nEND", "register 'H64' out of range"},
        {"!!FP1.0\nMOVR R0, R1.xy;\nEND", "a swizzle has one or four components"},
        {"!!FP1.0\nMOVR R0.yx, R1;\nEND", "bad write mask"},
        {"!!FP1.0\nMOVR R0, f[TEX8];\nEND", "unknown fragment attribute f[TEX8]"},
        {"!!FP1.0\nMOVR R0, p[64];\nEND", "parameter p[64] out of range"},
        // Numbers that would wrap around in an int are out of range too.
        {"!!FP1.0\nMOVR R0, p[4294967296];\nEND", "parameter p[4294967296] out of range"},
        {"!!FP1.0\nMOVR R0, p[99999999999999999999999];\nEND", "parameter p[99999999999999999999999] out of range"},
        {"!!FP1.0\nMOVR R4294967296, R1;\nEND", "register 'R4294967296' out of range"},
        {"!!FP1.0\nMOVR R0, H4294967297;\nEND", "register 'H4294967297' out of range"},
        {"!!FP1.0\nMOVR R0, R2147483648;\nEND", "register 'R2147483648' out of range"},
        {"!!FP1.0\nMOVR R0, 1e999;\nEND", "number '1e999' out of range"},
        {"!!FP1.0\nDEFINE k = {1, 2.5.1};\nEND", "malformed number '2.5.1'"},
        {"!!FP1.0\nTEX R0, f[TEX0], TEX8, 2D;\nEND", "expected a texture unit TEX0-TEX7"},
        {"!!FP1.0\nTEX R0, f[TEX0], TEX0, 4D;\nEND", "expected a texture target"},
        {"!!FP1.0\nMOVR R0, R1\nEND", "expected ';'"},
        {"!!FP1.0\nDEFINE k;\nEND", "DEFINE 'k' has no value"},
        {"!!FP1.0\nDEFINE k = 1;\nDEFINE k = 2;\nEND", "line 3: 'k' is defined twice"},
        {"!!FP1.0\nDEFINE k = {1, 2, 3, 4, 5};\nEND", "more than four components"},
        {"!!FP1.0\nKIL XX.x;\nEND", "unknown condition 'XX'"},
        {"!!FP1.0\nMOVR RC, R1;\nEND", "RC / HC are written only with the C suffix"},
        {"!!FP1.0\nMOVR o[COLX], R1;\nEND", "unknown output register o[COLX]"},
        {"!!FP1.0\nADDR R0, R1;\nEND", "expected ','"},
    };
    for (const Case& c : cases) {
        const NvTranslation t = translate(c.text);
        EXPECT_TRUE(t.arb.empty()) << c.text;
        EXPECT_TRUE(contains(t.error, c.error)) << c.text << "\n  gave: " << t.error;
    }
}

TEST(NvTranslateTest, ReadsOnlyTheGivenLength) {
    // The loader hands over texts that are not zero-terminated: the part
    // beyond the length (here the END) must not count.
    const std::string full = "!!FP1.0\nMOVR o[COLR], f[COL0];\nEND\n";
    const size_t cut = full.find("END");
    std::vector<char> buffer(full.begin(), full.begin() + static_cast<long>(cut));
    NvTranslation t;
    EXPECT_FALSE(nvTranslateFragmentProgram(buffer.data(), buffer.size(), t));
    EXPECT_TRUE(contains(t.error, "END is missing"));
    EXPECT_FALSE(nvTranslateFragmentProgram(nullptr, 10, t));
    EXPECT_FALSE(nvTranslateFragmentProgram(full.data(), 3, t));
}

TEST(NvTranslateTest, EveryGeneratedNvProgramTranslates) {
    for (const char* name : {"normalmap_fp.txt.nv", "floor_fp.txt.nv", "floor_fp_clipping.txt.nv", "wasser_fp.txt.nv"}) {
        std::ifstream in(binaryDir() + "/programs/" + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        const std::string text = s.str();
        ASSERT_FALSE(text.empty()) << name << " was not generated";
        const NvTranslation t = translate(text);
        EXPECT_TRUE(t.error.empty()) << name << ": " << t.error;
        EXPECT_TRUE(contains(t.arb, "result.color")) << name;
    }
}

}  // namespace
