// The demo played from a new game to its ending by the committed input
// script ending.input through the program's own message loop on the
// headless back end: a night at the inn (the sleep screen and the health
// message after it), the lantern found in the wood's reeds (the hero's
// thought on a story page), and the lantern brought back to the innkeeper,
// which ends the game with its picture and then the title menu. Closing the
// window on that picture leaves no game to continue.
#include <filesystem>
#include <string>

#include "game/screens/end_of_game_state.h"
#include "game/screens/sleep_state.h"
#include "game/screens/story_state.h"
#include "game/screens/walking_state.h"
#include "game/world/map_level.h"
#include "tests/support/scripted_program.h"

namespace {

constexpr uint32_t kLantern = 0x4601, kLanternReturned = 0x5002;

class EndingRoadTest : public ScriptedProgramTest {
protected:
    void SetUp() override {
        start_program(NIMBREL_DEMO_DATA_DIR, NIMBREL_SOURCE_DIR "/tests/game/screens/ending.input", 11);
    }
    void expect_screen(const std::string& name) { expect_golden_screen(host.front_buffer(), "ending_" + name); }
    std::string level() { return world().current_level() ? world().current_level()->name : ""; }
    bool autosave_written() const { return std::filesystem::exists(folder + "/savegame/autosave.gam"); }
};

TEST_F(EndingRoadTest, FromANewGameThroughANightAtTheInnAndTheLanternToTheEnding) {
    // A night at the inn: the sleep screen's pictures, then the map tells
    // the player the hero is rested.
    play_until(7400);
    ASSERT_EQ(screen(), "Sleep");
    play_until(10000);
    EXPECT_EQ(static_cast<const SleepState*>(g_game->current_state())->phase(), SleepState::kPictureShown);
    expect_screen("sleep");
    play_until(14500);
    ASSERT_EQ(screen(), "Walking");
    EXPECT_TRUE(static_cast<const WalkingState*>(g_game->current_state())->has_message());
    EXPECT_EQ(hero().hit_points, hero().max_hit_points);
    expect_screen("rested");

    // Among the reeds: the lantern, and the hero's thought about it.
    play_until(44280);
    ASSERT_EQ(screen(), "Story");
    EXPECT_EQ(level(), "Thistlewood");
    EXPECT_TRUE(hero().has_item(kLantern));
    EXPECT_EQ(static_cast<const StoryState*>(g_game->current_state())->style().kind, 2);
    expect_screen("thought");

    // Back in the village with it; the innkeeper takes it and the game ends.
    play_until(66000);
    EXPECT_EQ(level(), "Millbrook");
    EXPECT_GE(hero().level_number, 2);
    play_until(74000);
    ASSERT_EQ(screen(), "EndOfGame");
    EXPECT_EQ(static_cast<const EndOfGameState*>(g_game->current_state())->variant(), EndOfGameState::kFirstEnding);
    EXPECT_FALSE(hero().has_item(kLantern));
    EXPECT_EQ(world().get_flag(kLanternReturned)->value, 1);
    EXPECT_FALSE(g_game->resumable());
    expect_screen("picture");

    // A key: the title menu, with no game to continue.
    play_until(77000);
    ASSERT_EQ(screen(), "Menu");
    EXPECT_EQ(g_game->music_name(), "music/title-ending.xm");
    expect_screen("menu");
}

TEST_F(EndingRoadTest, ClosingTheWindowOnTheEndingsPictureLeavesNoGameToContinue) {
    play_until(74000);
    ASSERT_EQ(screen(), "EndOfGame");
    host.send_message(MessageId::Close);
    EXPECT_FALSE(host.has_window());
    EXPECT_FALSE(autosave_written());
}

TEST_F(EndingRoadTest, ClosingTheWindowOnTheWayHomeKeepsTheGameToContinue) {
    play_until(66000);
    ASSERT_EQ(screen(), "Walking");
    host.send_message(MessageId::Close);
    EXPECT_TRUE(autosave_written());
}

}  // namespace
