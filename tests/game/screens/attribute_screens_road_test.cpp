// The level-up and stats screens reached from the map as a player reaches
// them, played by the committed input script attributes.input through the
// program's own message loop on the headless back end: a new game, a walk
// to Pell Marrow, his training (the stats screen, spent with a tap and F3),
// back on the map; then the hero's experience reaches the step, the
// level-up screen opens, F2 raises strength, and the map comes back with
// the automatic save written. Golden frames of both pages.
#include <filesystem>
#include <string>

#include "game/screens/level_up_state.h"
#include "game/screens/stats_state.h"
#include "game/story/item_record.h"
#include "tests/support/scripted_program.h"

namespace {

class AttributeScreensRoadTest : public ScriptedProgramTest {
protected:
    void SetUp() override {
        start_program(NIMBREL_DEMO_DATA_DIR, NIMBREL_SOURCE_DIR "/tests/game/screens/attributes.input", 11);
    }
    void expect_screen(const std::string& name) { expect_golden_screen(host.front_buffer(), "attributes_" + name); }
    Point cell() { return {(hero().x + 16) / 32, (hero().y + 26) / 32}; }
};

TEST_F(AttributeScreensRoadTest, PellMarrowsTrainingThenALevelUpAndBackOnTheMap) {
    // The new game's story page, turned.
    play_until(2100);
    ASSERT_EQ(screen(), "Story");
    play_until(2900);
    ASSERT_EQ(screen(), "Walking");
    const int32_t gold = hero().gold;
    EXPECT_EQ(hero().level_number, 1);

    // Below Pell Marrow, talking; "Training" ends the talk in the stats
    // screen, paid for with ten gold.
    play_until(7900);
    EXPECT_EQ(cell(), (Point{13, 6}));
    play_until(9000);
    ASSERT_EQ(screen(), "Stats");
    EXPECT_EQ(hero().gold, gold - 10);
    const auto* stats = static_cast<const StatsState*>(g_app->game()->current_state());
    EXPECT_EQ(stats->points(), 3 + 1 + 1 - 3);
    play_until(9700);
    EXPECT_EQ(stats->page().alpha(), HeroSheetPage::kOpaque);
    expect_screen("stats");

    // All but the last point spent: 1, 2, 1 and one point left.
    play_until(11200);
    EXPECT_EQ(stats->points(), 1);
    EXPECT_EQ(hero().dexterity_, 1);
    EXPECT_EQ(hero().strength_, 2);
    EXPECT_EQ(hero().knowledge_, 1);
    expect_screen("stats_spent");
    // The last one: the page fades out to the map.
    play_until(11460);
    EXPECT_EQ(hero().knowledge_, 2);
    EXPECT_TRUE(stats->leaving());
    play_until(12000);
    ASSERT_EQ(screen(), "Walking");
    EXPECT_FALSE(g_app->game()->full_screen_page);

    // Experience that reaches the step (a fight's reward would bring it):
    // the walking screen opens the level-up screen.
    // The hero wears his jerkin and a buckler: the page shows their icons
    // and uses.
    std::filesystem::remove(folder + "/savegame/save6.dat");
    HeroActor& h = hero();
    for (const auto& entry : h.inventory)
        if (entry->item && entry->item->name == "Padded Jerkin") h.armour = entry.get();
    ASSERT_NE(h.armour, nullptr);
    ASSERT_TRUE(h.add_item(world().item_id_by_name("Wicker Buckler")));
    h.shield = h.inventory.back().get();
    h.experience = h.experience_step;
    play_until(12100);
    ASSERT_EQ(screen(), "Level");
    const auto* level_up = static_cast<const LevelUpState*>(g_app->game()->current_state());
    play_until(12550);
    expect_screen("level");
    play_until(13000);
    EXPECT_EQ(level_up->phase(), LevelUpState::kShowing);
    EXPECT_EQ(hero().level_number, 2);
    EXPECT_EQ(hero().strength_, 3);
    EXPECT_EQ(hero().max_hit_points, 55);
    EXPECT_EQ(hero().experience, 0);
    expect_screen("level_result");
    EXPECT_FALSE(std::filesystem::exists(folder + "/savegame/save6.dat"));

    // 150 ticks of the result, the fade-out, the automatic save, the map.
    play_until(15500);
    EXPECT_EQ(screen(), "Walking");
    EXPECT_TRUE(std::filesystem::exists(folder + "/savegame/save6.dat"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/savegame/autoio.ini"));
    EXPECT_EQ(cell(), (Point{13, 6}));
    expect_screen("back_on_the_map");
}

}  // namespace
