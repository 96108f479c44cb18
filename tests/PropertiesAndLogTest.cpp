#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <fstream>
#include <cctype>
#include <sstream>
#include <string>

#include "engine/Log.h"
#include "engine/TProperties.h"

namespace {

std::string writeTemp(const std::string& name, const std::string& text) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(TPropertiesTest, SyntaxOfLines) {
    TProperties p;
    const std::string path = writeTemp("props_syntax.props",
                                       "# a comment\r\n"
                                       "RESX = 1024\r\n"
                                       "RESY=768 # not a comment\n"
                                       "KEY==x\n"
                                       "CURSOR=on\n"
                                       "  SPACED  =\tvalue\t \n"
                                       "RESX=800");  // last line without a line feed
    EXPECT_EQ(p.load(path.c_str()), 0);
    EXPECT_EQ(p.getInt("RESX"), 800);
    EXPECT_EQ(p.getString("RESY"), "768 # not a comment");
    EXPECT_EQ(p.getInt("RESY"), 768);
    EXPECT_EQ(p.getString("KEY"), "=x");
    EXPECT_FALSE(p.isValue("CURSOR", "ON"));  // case matters
    EXPECT_TRUE(p.isValue("CURSOR", "on"));
    EXPECT_EQ(p.getString("SPACED"), "\tvalue\t");  // only blanks are trimmed
}

TEST(TPropertiesTest, BadLinesStopReading) {
    TProperties blankFirst;
    EXPECT_EQ(blankFirst.load(writeTemp("props_blank.props", "\nRESX=1\n").c_str()), -1);
    EXPECT_EQ(blankFirst.getString("RESX"), "");

    TProperties stops;
    EXPECT_EQ(stops.load(writeTemp("props_stop.props", "A=1\n=2\nB=3\n").c_str()), -1);
    EXPECT_EQ(stops.getInt("A"), 1);  // pairs before the bad line stay
    EXPECT_EQ(stops.getString("B"), "");

    TProperties noSign;
    EXPECT_EQ(noSign.load(writeTemp("props_nosign.props", "A=1\njunk\n").c_str()), -1);

    TProperties missing;
    EXPECT_EQ(missing.load((::testing::TempDir() + "no_such.props").c_str()), -1);
}

TEST(TPropertiesTest, AbsentKeysAndConversions) {
    TProperties p;
    EXPECT_EQ(p.getInt("RESX"), 0);  // queried before loading: inserted empty
    EXPECT_EQ(p.getFloat("STARTZ"), 0.0f);
    EXPECT_FALSE(p.isValue("FULLSCREEN", "TRUE"));
    EXPECT_FALSE(p.isValue("EMPTY", ""));  // an empty value never matches
    EXPECT_EQ(p.load(writeTemp("props_conv.props", "RESX= -12abc\nSTARTZ=2.5e1x\nN=abc\n").c_str()), 0);
    EXPECT_EQ(p.getInt("RESX"), -12);  // a later line replaces the empty value
    EXPECT_FLOAT_EQ(p.getFloat("STARTZ"), 25.0f);
    EXPECT_EQ(p.getInt("N"), 0);
    // Numbers beyond the int range give its ends instead of wrapping.
    p.set("RESX", "4294968320");
    EXPECT_EQ(p.getInt("RESX"), INT_MAX);
    p.set("RESX", "-99999999999999999999999");
    EXPECT_EQ(p.getInt("RESX"), INT_MIN);
    EXPECT_EQ(TProperties::trim("   "), "");
    EXPECT_EQ(TProperties::trim(" a b "), "a b");
}

TEST(LogTest, HeaderAndWrites) {
    const std::string path = ::testing::TempDir() + "log_test.txt";
    std::ofstream(path) << "previous run\n";
    ASSERT_TRUE(openLog(path.c_str()));
    logWrite("first");
    logWrite(" line\n");
    logOut() << 42 << " " << 1.5f << "\n";
    logFlush();
    const std::string text = readAll(path);
    // "Loggin started at " + the 26-byte date text + milliseconds + year again.
    const std::string head =
        "Korvalis - Program Documentation\n" + std::string(57, '-') + "\n\nLoggin started at ";
    ASSERT_EQ(text.compare(0, head.size(), head), 0) << text;
    const std::string date = text.substr(head.size(), 25);  // "Www Mmm dd hh:mm:ss yyyy\n"
    ASSERT_EQ(date.size(), 25u);
    EXPECT_EQ(date[3], ' ');
    EXPECT_EQ(date[7], ' ');
    EXPECT_TRUE(date[8] == ' ' || (date[8] >= '1' && date[8] <= '3')) << date;  // day padded with a blank
    EXPECT_EQ(date[13], ':');
    EXPECT_EQ(date[16], ':');
    EXPECT_EQ(date[24], '\n');
    const std::string year = date.substr(20, 5);
    size_t pos = head.size() + 25;
    size_t digits = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos, ++digits;
    // The milliseconds run straight into the year, so only their total is known.
    EXPECT_GE(digits, 5u);
    EXPECT_LE(digits, 7u);
    const size_t yearAt = pos - 4;
    EXPECT_EQ(text.substr(yearAt, 5), year);
    EXPECT_EQ(text.substr(pos + 1), "\n\nfirst line\n42 1.5\n");
    EXPECT_EQ(text.find("previous run"), std::string::npos);
    delete logStream;
    logStream = nullptr;
    logWrite("dropped without a log\n");  // no stream: nothing happens
}

// A log file that cannot be opened takes nothing, the header included, and
// every later write and flush goes on without it.
TEST(LogTest, FileThatCannotBeOpenedDropsEverything) {
    const std::string path = ::testing::TempDir() + "no_such_folder_for_the_log/Log.txt";
    ASSERT_TRUE(openLog(path.c_str()));
    ASSERT_NE(nullptr, logStream);
    EXPECT_TRUE(logStream->fail());
    logWrite("dropped\n");
    logOut() << 42 << " " << 1.5f << "\n";
    logFlush();
    EXPECT_FALSE(std::ifstream(path).good());
    delete logStream;
    logStream = nullptr;
}
