// The demo played from a new game to its second ending by the committed
// input script wilds_ending.input through the program's own message loop on
// the headless back end: the lantern found in the wood, the deer track out
// to the heath of the wilds (a region of its own: its music, and the
// automatic save on the way in), its scripted first look, and the lantern
// kept to follow Wenna, which ends the game with the second picture.
#include <fstream>
#include <sstream>
#include <string>

#include "game/screens/end_of_game_state.h"
#include "game/world/map_level.h"
#include "tests/support/scripted_program.h"

namespace {

constexpr uint32_t kLantern = 0x4601, kHeathSeen = 0x5006, kLanternReturned = 0x5002;

class WildsEndingTest : public ScriptedProgramTest {
protected:
    void SetUp() override {
        start_program(NIMBREL_DEMO_DATA_DIR, NIMBREL_SOURCE_DIR "/tests/game/screens/wilds_ending.input", 11);
    }
    std::string level() { return world().current_level() ? world().current_level()->name : ""; }
    // Whether the last automatic save was made in the region of that name.
    bool autosaved_in(const std::string& region) const {
        std::ifstream in(folder + "/savegame/autoio.ini");
        std::stringstream text;
        text << in.rdbuf();
        return text.str().find("\"" + region + "\"") != std::string::npos;
    }
};

TEST_F(WildsEndingTest, FromANewGameOverTheHeathToTheSecondEnding) {
    play_until(44280);
    EXPECT_EQ(level(), "Thistlewood");
    ASSERT_TRUE(hero().has_item(kLantern));
    EXPECT_FALSE(autosaved_in("Orrowmere Wilds"));

    // Out on the heath: the region's own tune, the save made on the way in,
    // and the first look told on a page.
    play_until(53000);
    ASSERT_EQ(level(), "Orrow Heath");
    EXPECT_EQ(g_game->music_name(), "music/wild.xm");
    EXPECT_TRUE(autosaved_in("Orrowmere Wilds"));
    EXPECT_EQ(screen(), "Story");
    EXPECT_EQ(world().get_flag(kHeathSeen)->value, 1);
    EXPECT_TRUE(hero().running);

    play_until(62500);
    ASSERT_EQ(screen(), "Talking");

    play_until(66000);
    ASSERT_EQ(screen(), "EndOfGame");
    EXPECT_EQ(static_cast<const EndOfGameState*>(g_game->current_state())->variant(), EndOfGameState::kSecondEnding);
    EXPECT_TRUE(hero().has_item(kLantern));
    EXPECT_EQ(world().get_flag(kLanternReturned)->value, 0);
    EXPECT_FALSE(g_game->resumable());
}

}  // namespace
