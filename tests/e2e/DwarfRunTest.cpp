// The real program with its dwarves: every house of the level map finds its
// key field and makes its dwarf, the controller sends the dwarves off toward
// the castle, and the run ends cleanly.

#include <gtest/gtest.h>

#include "support/GameRunner.h"

namespace {

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

}  // namespace

TEST(DwarfRunTest, HousesMakeTheirDwarvesAndTheControllerSendsThemOff) {
    GameOptions options;
    options.initProps = defaultInitProps({{"RESX", "640"}, {"RESY", "480"}});
    options.frameLimit = kGameFrame + 240;
    const GameRun run = runGame(options);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_EQ(run.errors.find("ERROR"), std::string::npos) << run.errors;

    EXPECT_EQ(5, occurrences(run.log, "Keyfield des Zwergenhauses: Haus"));
    EXPECT_EQ(5, occurrences(run.log, "Zwerg: Der Endwegpunkt von Heimhaus ist "));
    // Each dwarf set out from its house toward the castle once; none found
    // its route missing.
    EXPECT_EQ(5, occurrences(run.log, "Gehe zu Wegpunkt "));
    EXPECT_EQ(0, occurrences(run.log, "Kein routing item"));
    EXPECT_EQ(0, occurrences(run.log, "Zwerg: Verdacht auf Zyklus."));
}
